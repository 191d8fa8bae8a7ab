#include "os_section.h"

#include "registry/registry_read.h"
#include "report/task_context.h"
#include "windows_version.h"

const char* platformWord(unsigned long platformId) {
    switch (platformId) {
    case 2:
        return "NT ";
    case 1:
        return "Windows ";
    case 0:
        return "Win32s ";
    default:
        return "Unknown, ";
    }
}

std::optional<std::string> windowsProductId() {
    std::string productId;
    if (!readRegistryString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "ProductId",
                            productId))
        return std::nullopt;
    return productId;
}

bool writeOperatingSystemSection(TaskContext& d) {
    auto step = [&d] { return d.step(); };
    reportPrintf(d, "\n==========================================================================="
                    "\nOperatingSystem:\n\n");
    if (!step()) return true;
    std::string edition;
    const bool newer = describeWindowsVersion(edition);
    reportPrintf(d, "%s", edition.c_str());
    if (!step()) return newer;
    const OSVERSIONINFOEXA record = versionRecord();
    reportPrintf(d, "Platform type: ");
    if (!step()) return newer;
    reportPrintf(d, "%s", platformWord(record.dwPlatformId));
    if (!step()) return newer;
    reportPrintf(d, "version %s.", std::to_string(record.dwMajorVersion).c_str());
    if (!step()) return newer;
    reportPrintf(d, "%s ", std::to_string(record.dwMinorVersion).c_str());
    if (!step()) return newer;
    std::string servicePack;
    copyServicePackLine(servicePack);
    reportPrintf(d, "%s", servicePack.c_str());
    if (!step()) return newer;
    reportPrintf(d, "Windows Product id:         ");
    if (const std::optional<std::string> productId = windowsProductId())
        reportPrintf(d, "%s\n", productId->c_str());
    step();
    return newer;
}
