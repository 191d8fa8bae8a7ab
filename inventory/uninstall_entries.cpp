#include "uninstall_entries.h"

#include "registry/registry_read.h"

std::optional<std::string> listedName(const std::optional<std::string>& displayName,
                                      const std::optional<std::string>& quietDisplayName) {
    const std::optional<std::string>& name = displayName ? displayName : quietDisplayName;
    if (!name || name->empty()) return std::nullopt;
    return name;
}

std::vector<SoftwareEntry> uninstallEntries(HKEY root, const char* keyPath) {
    std::vector<SoftwareEntry> entries;
    RegKey list;
    if (!list.open(root, keyPath, KEY_READ)) return entries;
    for (const std::string& subkey : subkeyNames(list.get())) {
        RegKey key;
        if (!key.open(list.get(), subkey.c_str(), KEY_READ)) continue;
        const std::optional<std::string> name =
            listedName(readTextValue(key.get(), "DisplayName"), readTextValue(key.get(), "QuietDisplayName"));
        if (!name) continue;
        SoftwareEntry entry;
        entry.name = *name;
        entry.publisher = readTextValue(key.get(), "Publisher").value_or("");
        entry.version = readTextValue(key.get(), "DisplayVersion").value_or("");
        if (entry.version.empty()) {
            const std::optional<DWORD> major = readDwordValue(key.get(), "VersionMajor");
            const std::optional<DWORD> minor = readDwordValue(key.get(), "VersionMinor");
            if (major && minor) entry.version = std::to_string(*major) + "." + std::to_string(*minor);
        }
        entry.installDate = readTextValue(key.get(), "InstallDate").value_or("");
        entry.folder = readTextValue(key.get(), "InstallLocation").value_or("");
        entry.comments = readTextValue(key.get(), "Comments").value_or("");
        if (const std::optional<DWORD> size = readDwordValue(key.get(), "EstimatedSize"))
            entry.sizeKilobytes = *size;
        entries.push_back(std::move(entry));
    }
    return entries;
}
