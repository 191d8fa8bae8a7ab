// Runs about ports, slots, power, printers and storage: ports (H), serial
// ports, slots, batteries and printers (I), controllers with the NTFS
// settings (J) and physical disks (K).
#include "wmi_block_data.h"
#include "wmi_runs.h"

using wmidata::add;
using wmidata::block;

namespace {

// The floppy, IDE and USB controller blocks list the same properties.
const std::vector<std::string> kControllerItems = {
    "Configuration Manager Error Code -> ConfigManagerErrorCode",
    "Configuration Manager User Configuration -> ConfigManagerUserConfig",
    "Device ID",
    "Manufacturer",
    "Name",
    "PNP Device ID",
    "Protocol Supported",
    "[blank]"};

} // namespace

ScriptLines portsRunLines() {
    ScriptLines lines;
    add(lines, block("Parallel Port:", "Win32_ParallelPort",
                     {"Availability", "each Capabilities as Capability", "Description", "Device ID", "Name",
                      "OS Auto Discovered", "PNP Device ID", "Protocol Supported"}));
    add(lines, block("PCMCIA Controller:", "Win32_PCMCIAController", kControllerItems));
    add(lines, block("Port Connector:", "Win32_PortConnector",
                     {"[blank]", "Connector Pinout", "each ConnectorType as Connector Type", "Description",
                      "External Reference Designator", "Internal Reference Designator", "Name", "Port Type",
                      "Serial Number", "Tag", "Version"}));
    add(lines, block("Port Resource:", "Win32_PortResource",
                     {"Alias", "Ending Address", "Name", "Starting Address", "[blank]"}));
    add(lines, block("Serial Port Configuration:", "Win32_SerialPortConfiguration",
                     {"Abort Read Write On Error",
                      "Baud Rate",
                      "Binary Mode Enabled",
                      "Bits Per Byte",
                      "Continue XMit On XOff",
                      "CTS Outflow Control",
                      "Discard NULL Bytes",
                      "DSR Outflow Control",
                      "DSR Sensitivity",
                      "DTR Flow Control Type",
                      "EOF Character",
                      "Error Replace Character",
                      "Error Replacement Enabled",
                      "Event Character",
                      "Is Busy",
                      "Name",
                      "Parity",
                      "Parity Check Enabled",
                      "RTS Flow Control Type",
                      "Setting ID",
                      "Stop Bits",
                      "XOff Character",
                      "XOff XMit Threshold",
                      "XOn Character",
                      "XOn XMit Threshold",
                      "XOn XOff InFlow Control",
                      "XOn XOff OutFlow Control"}));
    return lines;
}

ScriptLines slotsRunLines(bool newerWindows) {
    ScriptLines lines;
    add(lines, block("Serial Port:", "Win32_SerialPort",
                     {"Binary",
                      "Description",
                      "Device ID",
                      "Maximum Baud Rate -> MaxBaudRate",
                      "Maximum Input Buffer Size",
                      "Maximum Output Buffer Size",
                      "Name",
                      "OS Auto Discovered",
                      "PNP Device ID",
                      "Provider Type",
                      "Settable Baud Rate",
                      "Settable Data Bits",
                      "Settable Flow Control",
                      "Settable Parity",
                      "Settable Parity Check",
                      "Settable RLSD",
                      "Settable Stop Bits",
                      "Supports 16-Bit Mode -> Supports16BitMode",
                      "Supports DTRDSR",
                      "Supports Elapsed Timeouts",
                      "Supports Int Timeouts",
                      "Supports Parity Check",
                      "Supports RLSD",
                      "Supports RTSCTS",
                      "Supports Special Characters",
                      "Supports XOn XOff",
                      "Supports XOn XOff Setting -> SupportsXOnXOffSet"}));
    add(lines, block("System Slot:", "Win32_SystemSlot",
                     {"each ConnectorPinout as Connector Pinout with blank",
                      "Connector Type",
                      "Current Usage",
                      "Description",
                      "Height Allowed",
                      "Length Allowed",
                      "Manufacturer",
                      "Maximum Data Width -> MaxDataWidth",
                      "Model",
                      "Name",
                      "Number",
                      "PME Signal",
                      "Shared",
                      "Slot Designation",
                      "Supports Hot Plug",
                      "Tag",
                      "Thermal Rating",
                      "each VccMixedVoltageSupport as VCC Mixed Voltage Support",
                      "Version",
                      "each VppMixedVoltageSupport as VPP Mixed Voltage Support"}));
    add(lines, block("Battery:", "Win32_Battery",
                     {"Availability", "Battery Status", "Chemistry", "Description", "Design Voltage",
                      "Device ID", "Estimated Run Time", "Name",
                      "tab list PowerManagementCapabilities after Power Management Capabilities",
                      "Power Management Supported", "[blank]"}));
    add(lines, block("Portable Battery:", "Win32_PortableBattery",
                     {"Capacity Multiplier", "Chemistry", "Description", "Design Capacity", "Design Voltage",
                      "Device ID", "Location", "date ManufactureDate as Manufacture Date", "Manufacturer",
                      "Maximum Battery Error -> MaxBatteryError", "Smart Battery Version", "[blank]"}));
    add(lines, dateFunctionLines(DateVariant::C));
    if (newerWindows) {
        add(lines, block("Printer Connections:", "Win32_Printer", {"Name", "Location", "Default"},
                         "colInstalledPrinters", "objPrinter"));
        WmiBlock drivers = block("Printer Drivers:", "Win32_PrinterDriver",
                                 {"Configuration File -> ConfigFile", "Data File", "Description",
                                  "Driver Path", "File Path", "Help File", "INF Name", "Monitor Name", "Name",
                                  "OEM Url -> OEMUrl", "Supported Platform", "Version"},
                                 "colInstalledPrinters", "objPrinter");
        drivers.loop = "For each";
        add(lines, drivers);
    }
    return lines;
}

ScriptLines controllersRunLines() {
    ScriptLines lines;
    add(lines, block("Floppy Controller:", "Win32_FloppyController", kControllerItems));
    add(lines, block("IDE Controller:", "Win32_IDEController", kControllerItems));
    add(lines, block("SCSI Controller:", "Win32_SCSIController",
                     {"Availability", "Configuration Manager Error Code -> ConfigManagerErrorCode",
                      "Configuration Manager User Configuration -> ConfigManagerUserConfig", "Device ID",
                      "Driver Name", "Name", "PNP Device ID", "Protocol Supported",
                      "Status Information -> StatusInfo", "[blank]"}));
    add(lines, block("USB Controller:", "Win32_USBController", kControllerItems));
    add(lines, ntfsBlockLines());
    return lines;
}

ScriptLines diskDrivesRunLines() {
    WmiBlock disks = block("Physical Disk Description :", "Win32_DiskDrive",
                           {"[blank]",
                            "Bytes Per Sector",
                            "bounded Capabilities as Capabilities",
                            "Caption",
                            "Device ID",
                            "Index",
                            "Interface Type",
                            "Manufacturer",
                            "Media Loaded",
                            "Media Type",
                            "Model",
                            "Name",
                            "Partitions",
                            "PNP DeviceID -> PNPDeviceID",
                            "SCSI Bus",
                            "SCSI Logical Unit",
                            "SCSI Port",
                            "SCSI TargetId",
                            "Sectors Per Track",
                            "Signature",
                            "Size",
                            "Status",
                            "Total Cylinders",
                            "Total Heads",
                            "Total Sectors",
                            "Total Tracks",
                            "Tracks Per Cylinder"},
                           "colDiskDrives", "objDiskDrive");
    disks.twoLineQuery = true;
    disks.queryTail = "    ";
    disks.loop = "For each";
    disks.tabBeforeValue = true;
    return blockLines(disks);
}
