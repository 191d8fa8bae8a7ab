#include "wmi_runs.h"

#include "runner/wmi_script.h"

namespace {

WmiItem withComment(const char* label, const char* comment) {
    WmiItem item;
    item.label = label;
    item.comment = comment;
    return item;
}

const char* const kLongOperatingSystemLabels[] = {"BootDevice",
                                                  "BuildNumber",
                                                  "BuildType",
                                                  "Caption",
                                                  "CodeSet",
                                                  "CountryCode",
                                                  "CreationClassName",
                                                  "CSCreationClassName",
                                                  "CSDVersion",
                                                  "CSName",
                                                  "CurrentTimeZone",
                                                  "DataExecutionPrevention_32BitApplications",
                                                  "DataExecutionPrevention_Available",
                                                  "DataExecutionPrevention_Drivers",
                                                  "DataExecutionPrevention_SupportPolicy",
                                                  "Debug",
                                                  "Description",
                                                  "Distributed",
                                                  "EncryptionLevel",
                                                  "ForegroundApplicationBoost",
                                                  "FreePhysicalMemory",
                                                  "FreeSpaceInPagingFiles",
                                                  "InstallDate",
                                                  "LargeSystemCache",
                                                  "Locale",
                                                  "Manufacturer",
                                                  "MaxNumberOfProcesses",
                                                  "MaxProcessMemorySize",
                                                  "Name",
                                                  "NumberOfLicensedUsers",
                                                  "NumberOfProcesses",
                                                  "NumberOfUsers",
                                                  "Organization",
                                                  "OSLanguage",
                                                  "OSProductSuite",
                                                  "OSType",
                                                  "OtherTypeDescription",
                                                  "PlusProductID",
                                                  "PlusVersionNumber",
                                                  "Primary",
                                                  "ProductType",
                                                  "QuantumLength",
                                                  "QuantumType",
                                                  "RegisteredUser",
                                                  "ServicePackMajorVersion",
                                                  "ServicePackMinorVersion",
                                                  "Status",
                                                  "SuiteMask",
                                                  "SystemDevice",
                                                  "TotalSwapSpaceSize",
                                                  "TotalVirtualMemorySize",
                                                  "TotalVisibleMemorySize",
                                                  "Version"};

} // namespace

std::vector<std::string> operatingSystemRunLines(bool newerWindows) {
    if (newerWindows) {
        std::vector<WmiItem> items;
        for (const char* label : kLongOperatingSystemLabels) {
            WmiItem item;
            item.label = label;
            if (item.label == "InstallDate") item.kind = WmiItem::DateInline;
            items.push_back(item);
        }
        std::vector<std::string> lines = secondConnectionLines("Win32_OperatingSystem", items);
        for (const std::string& line : dateFunctionLines(DateVariant::A))
            lines.push_back(line);
        return lines;
    }
    WmiBlock block;
    block.className = "Win32_OperatingSystem";
    block.collection = "colOSes";
    block.item = "objOS";
    block.items = {withComment("Caption", "'Name"), withComment("Version", "'Version & build"),
                   withComment("Build Number", "'Build")};
    for (const WmiItem& item : labels({"Build Type", "OS Type", "Other Type Description"}))
        block.items.push_back(item);
    std::vector<std::string> lines = blockLines(block);
    // The service pack joins two properties in one echo line.
    lines.insert(lines.end() - 1,
                 "    Wscript.Echo \"Service Pack: \" & objOS.ServicePackMajorVersion & \".\" & "
                 "objOS.ServicePackMinorVersion");
    return lines;
}

std::vector<std::string> processCountRunLines() {
    WmiBlock block;
    block.title = "Tasklist - Processes and Threads:";
    block.className = "Win32_Process";
    WmiItem process;
    process.label = "Process";
    process.property = "Name";
    block.items = {process};
    return blockLines(block);
}
