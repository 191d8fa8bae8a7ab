// Runs about the system as a whole: the operating system (A), the desktop (B),
// environment variables (L), start-up commands (M) and start-up options (O).
#include "wmi_block_data.h"
#include "wmi_runs.h"

using wmidata::block;

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

ScriptLines operatingSystemRunLines(bool newerWindows) {
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

ScriptLines desktopRunLines() {
    return blockLines(block("", "Win32_Desktop",
                            {"[blank]",
                             "Border Width",
                             "Caption",
                             "Cool Switch",
                             "Cursor Blink Rate",
                             "Description",
                             "Drag Full Windows",
                             "Grid Granularity",
                             "Icon Spacing",
                             "Icon Title Face Name",
                             "Icon Title Size",
                             "Icon Title Wrap",
                             "Name",
                             "Pattern",
                             "Screen Saver Active",
                             "Screen Saver Executable",
                             "Screen Saver Secure",
                             "Screen Saver Timeout",
                             "Setting ID",
                             "Wallpaper",
                             "Wallpaper Stretched",
                             "Wallpaper Tiled"}));
}

ScriptLines environmentRunLines() {
    return blockLines(
        block("All Environment Variables -> user details :", "Win32_Environment",
              {"[blank]", "Description", "Name", "System Variable", "User Name", "Variable Value"}));
}

ScriptLines startupCommandsRunLines() {
    return blockLines(block("Computer Startup Commands  - User dependence:", "Win32_StartupCommand",
                            {"[blank]", "Command", "Description", "Location", "Name", "Setting ID", "User"},
                            "colStartupCommands", "objStartupCommand"));
}

ScriptLines startupOptionsRunLines() {
    return blockLines(block(
        "Computer Startup Options:", "Win32_ComputerSystem",
        {"Reset Boot Enabled -> AutomaticResetBootOption", "Reset Boot Possible -> AutomaticResetCapability",
         "Boot State -> BootupState", "Startup Delay -> SystemStartupDelay",
         "indexed SystemStartupOptions as Startup Options", "Startup Setting -> SystemStartupSetting"},
        "colStartupCommands", "objStartupCommand"));
}
