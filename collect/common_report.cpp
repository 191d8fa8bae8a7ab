#include "common_report.h"

#include "disk/ide_drives_section.h"
#include "hardware_section.h"
#include "network_section.h"
#include "os_section.h"
#include "process_rows.h"
#include "registry/registry_dumper.h"
#include "registry/registry_read.h"
#include "report/task_context.h"
#include "wmi_run_step.h"

#include <windows.h>

namespace {

const char* const kSep = "===========================================================================";

// A WMI run at its row of the catalogue.
template <char Letter> bool wmiRow(CommonReport& r) {
    return runWmi(r, wmiRun(Letter));
}

// A console tool that may be missing: its header only when a probe sees output.
void runProbed(CommonReport& r, const char* command, const char* header) {
    if (r.context.runner().run(command, RunMode::Plain, true) != 2) return;
    r.context.write(header);
    r.context.runner().run(command, RunMode::Plain);
}

bool computerNameRow(CommonReport& r) {
    reportPrintf(r.context, "User / Windows Environment:\nComputer name:      %s", r.computerName.c_str());
    return true;
}

bool userNameRow(CommonReport& r) {
    reportPrintf(r.context, "\nUser name:          %s", identity::userName().c_str());
    return true;
}

bool administratorRow(CommonReport& r) {
    r.isAdministrator = identity::userIsAdministrator();
    r.context.write(r.isAdministrator ? " - Administrator rights\n" : "  - NO Administrator rights\n");
    return true;
}

bool foldersRow(CommonReport& r) {
    r.commands = writeFolderLines(r.context, identity::systemFolderLookup());
    return true;
}

bool currentDirectoryRow(CommonReport& r) {
    writeCurrentDirectory(r.context, identity::currentDirectory());
    return true;
}

bool accountsRow(CommonReport& r) {
    writeAccountLines(r.context, identity::localAccounts(), identity::docFolderPath);
    return true;
}

bool operatingSystemRow(CommonReport& r) {
    r.newerWindows = writeOperatingSystemSection(r.context);
    return !r.context.haltRequested();
}

bool pcSupplementRow(CommonReport& r) {
    return writePcSupplementSection(r.context);
}

bool keyboardRow(CommonReport& r) {
    writeKeyboardSection(r.context, GetKeyboardType(0));
    return true;
}

bool videoBiosRow(CommonReport& r) {
    writeVideoBiosLines(r.context);
    return true;
}

bool memoryRow(CommonReport& r) {
    writeMemorySection(r.context, systemMemory());
    return true;
}

bool memRow(CommonReport& r) {
    r.context.runner().run("mem /c", RunMode::Plain);
    return true;
}

bool modeRow(CommonReport& r) {
    reportPrintf(r.context, "%s\n", kSep);
    if (!r.context.step()) return false;
    r.context.runner().run("mode", RunMode::Plain);
    return true;
}

bool ideDrivesRow(CommonReport& r) {
    // The drive list is taken here, before the probe; its lines close the report.
    r.driveRoots = logicalDriveRoots();
    if (r.isAdministrator) writeIdeDrivesSection(r.context, r.context.viewTextWidth());
    return true;
}

// A registry dump under its header, only when the key opens.
bool dumpKey(CommonReport& r, HKEY root, const char* keyPath, const char* header) {
    RegKey key;
    if (!key.open(root, keyPath, KEY_READ)) return false;
    r.context.write(header);
    WalkState walk;
    walk.printHeaders = true;
    walk.showProgress = true;
    RegistryDumper(r.context, walk).walk(root, key.get(), keyPath, "");
    return true;
}

bool hintsRow(CommonReport& r) {
    reportPrintf(r.context, "%s\n", kSep);
    if (!r.context.step()) return false;
    if (dumpKey(r, HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Hints",
                "Microsoft Windows Password Hints - keys and values:\n"))
        reportPrintf(r.context, "%s\n", kSep);
    return true;
}

bool reinstallRow(CommonReport& r) {
    if (dumpKey(r, HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Reinstall",
                "Microsoft Windows Reinstall - keys and values:\n"))
        reportPrintf(r.context, "%s\n", kSep);
    return true;
}

bool machineRunRow(CommonReport& r) {
    if (dumpKey(r, HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run",
                "Microsoft Windows local machine Application Run at startup - keys and values:\n"))
        r.context.write("\n");
    return true;
}

bool userRunRow(CommonReport& r) {
    if (dumpKey(r, HKEY_CURRENT_USER, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run",
                "Microsoft Windows current user Application Run at startup - keys and values:\n"))
        r.context.write("\n");
    r.context.write("\n");
    return true;
}

bool systeminfoRow(CommonReport& r) {
    runProbed(r, "systeminfo",
              "===========================================================================\n"
              "Windows Local systeminfo:\n");
    return true;
}

bool bootLoaderRow(CommonReport& r) {
    runProbed(r, "bootcfg.exe /Query",
              "===========================================================================\n"
              "Boot Loader:\n");
    return true;
}

bool adaptersRow(CommonReport& r) {
    return writeAdapterSection(r.context, systemAdapters());
}

bool hostsRow(CommonReport& r) {
    return writeHostsSection(r.context, r.commands);
}

bool networkToolsRow(CommonReport& r) {
    return writeNetworkToolsSection(r.context);
}

bool computerNamesRow(CommonReport& r) {
    writeComputerNameLines(r.context, identity::computerNameEx);
    return true;
}

bool logicalDrivesRow(CommonReport& r) {
    std::vector<DriveFacts> drives;
    for (const std::string& root : r.driveRoots)
        drives.push_back(driveFacts(root));
    reportPrintf(r.context, "%s\n", kSep);
    r.context.write(logicalDrivesText(drives));
    reportPrintf(r.context, "%s\n", kSep);
    writeReportTrailer(r.context);
    return true;
}

bool instanceCountRow(CommonReport& r) {
    r.holder.ownInstanceCount = 0;
    if (!runWmi(r, wmiRun('Q')) || !r.context.step()) return false;
    // Another copy's work files are its own: sweep only when this copy runs alone.
    r.sweepDue = r.holder.ownInstanceCount == 1;
    r.holder.ownInstanceCount = 0;
    return true;
}

} // namespace

const CatalogueRow kCommonReportRows[49] = {
    {1, "computer name", computerNameRow},
    {2, "user name", userNameRow},
    {3, "administrator rights", administratorRow},
    {4, "special folders", foldersRow},
    {5, "current directory", currentDirectoryRow},
    {6, "local accounts", accountsRow},
    {7, "operating system", operatingSystemRow},
    {8, "WMI: operating system", wmiRow<'A'>},
    {9, "PC supplement data", pcSupplementRow},
    {10, "WMI: desktop settings", wmiRow<'B'>},
    {11, "WMI: IRQ settings, processor, baseboard", wmiRow<'C'>},
    {12, "WMI: bus, motherboard, SMBIOS, BIOS", wmiRow<'D'>},
    {13, "keyboard type", keyboardRow},
    {14, "WMI: keyboard and Plug and Play devices", wmiRow<'E'>},
    {15, "WMI: video", wmiRow<'F'>},
    {16, "video BIOS", videoBiosRow},
    {17, "WMI: memory devices", wmiRow<'G'>},
    {18, "memory status", memoryRow},
    {19, "mem /c", memRow},
    {20, "WMI: ports", wmiRow<'H'>},
    {21, "mode", modeRow},
    {22, "WMI: serial ports, slots, batteries, printers", wmiRow<'I'>},
    {23, "WMI: controllers, NTFS", wmiRow<'J'>},
    {24, "IDE drives (administrators)", ideDrivesRow},
    {25, "WMI: physical disks", wmiRow<'K'>},
    {26, "environment strings", processrows::environmentStrings},
    {27, "WMI: environment variables", wmiRow<'L'>},
    {28, "registry: password hints", hintsRow},
    {29, "registry: reinstall", reinstallRow},
    {30, "registry: machine Run", machineRunRow},
    {31, "registry: user Run", userRunRow},
    {32, "Startup folder", processrows::startupFolder},
    {33, "Startup folder of all users", processrows::commonStartupFolder},
    {34, "WMI: startup commands", wmiRow<'M'>},
    {35, "file types (assoc)", processrows::fileTypes},
    {36, "drivers (driverquery)", processrows::installedDrivers},
    {37, "WMI: task list, captured", wmiRow<'N'>},
    {38, "kernel drivers", processrows::kernelDrivers},
    {39, "processes, windows, modules", processrows::processes},
    {40, "systeminfo", systeminfoRow},
    {41, "boot loader", bootLoaderRow},
    {42, "WMI: computer startup options", wmiRow<'O'>},
    {43, "network adapters", adaptersRow},
    {44, "WMI: network adapter properties", wmiRow<'P'>},
    {45, "hosts file", hostsRow},
    {46, "console network tools", networkToolsRow},
    {47, "computer-name formats", computerNamesRow},
    {48, "logical drives, trailer", logicalDrivesRow},
    {49, "instance count, stale work files", instanceCountRow},
};

bool writeCommonReport(CommonReport& report, const std::function<void(int row)>& beforeRow) {
    for (const CatalogueRow& row : kCommonReportRows) {
        if (beforeRow) beforeRow(row.number);
        if (!row.write(report) || !report.context.step()) return false;
        if (row.number == kLastBusyCursorRow) report.context.showBusyCursor(false);
    }
    return true;
}
