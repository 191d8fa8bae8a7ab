// Runs about the board and its devices: IRQs, processor and baseboard (C),
// bus, motherboard and BIOS (D), input, Plug and Play, modem and sound (E),
// video (F) and memory (G).
#include "wmi_block_data.h"
#include "wmi_runs.h"

using wmidata::add;
using wmidata::block;

ScriptLines processorRunLines() {
    ScriptLines lines;
    add(lines, block("", "Win32_IRQResource",
                     {"Availability", "Caption", "Description", "Hardware", "InstallDate", "IRQ Number",
                      "Name", "Shareable", "Status", "Trigger Level", "Trigger Type", "[blank]"}));
    add(lines, block("CPU :", "Win32_Processor",
                     {"Address Width",
                      "Architecture",
                      "Availability",
                      "CPU Status",
                      "Current Clock Speed",
                      "Data Width",
                      "Description",
                      "Device ID",
                      "External Clock -> ExtClock",
                      "Family",
                      "L2 Cache Size",
                      "L2 Cache Speed",
                      "Level",
                      "Load Percentage",
                      "Manufacturer",
                      "Maximum Clock Speed -> MaxClockSpeed",
                      "Name",
                      "PNP Device ID",
                      "Processor ID",
                      "Processor Type",
                      "Revision",
                      "Role",
                      "Socket Designation",
                      "Status Information -> StatusInfo",
                      "Stepping",
                      "Unique Id",
                      "Upgrade Method",
                      "Version",
                      "Voltage Caps"}));
    add(lines, block("Baseboard:", "Win32_BaseBoard",
                     {"each ConfigOptions as Configuration Option using strOption",
                      "Depth",
                      "Description",
                      "Height",
                      "Hosting Board",
                      "Hot Swappable",
                      "Manufacturer",
                      "Model",
                      "Name",
                      "Other Identifying Information -> OtherIdentifyingInfo",
                      "Part Number",
                      "Powered-On -> PoweredOn",
                      "Product",
                      "Removable",
                      "Replaceable",
                      "Requirements Description",
                      "Requires Daughterboard",
                      "Serial Number",
                      "SKU",
                      "Slot Layout",
                      "Special Requirements",
                      "Tag",
                      "Version",
                      "Weight",
                      "Width"}));
    return lines;
}

ScriptLines biosRunLines() {
    ScriptLines lines;
    add(lines,
        block("BUS:", "Win32_Bus",
              {"Bus Number -> BusNum", "Bus Type", "Description", "Device ID", "Name", "PNP Device ID"}));
    add(lines, block("MotherboardDevice:", "Win32_MotherboardDevice",
                     {"Device ID", "Primary Bus Type", "Secondary Bus Type", "[blank]"}));
    WmiBlock smbios =
        block("SMBIOS:", "Win32_SystemEnclosure",
              {"Part Number", "Serial Number", "Asset Tag -> SMBIOSAssetTag"}, "colSMBIOS", "objSMBIOS");
    smbios.twoLineQuery = true;
    add(lines, smbios);
    WmiBlock bios =
        block("BIOS:", "Win32_BIOS",
              {"Build Number", "Current Language", "Installable Languages", "Manufacturer", "Name",
               "Primary BIOS", "Release Date", "Serial Number", "SMBIOS Version -> SMBIOSBIOSVersion",
               "SMBIOS Major Version", "SMBIOS Minor Version", "SMBIOS Present", "Status", "Version",
               "indexed BiosCharacteristics as BIOS Characteristics"},
              "colBIOS", "objBIOS");
    bios.twoLineQuery = true;
    bios.loop = "For each";
    add(lines, bios);
    return lines;
}

ScriptLines devicesRunLines(bool newerWindows) {
    ScriptLines lines;
    add(lines, block("Keyboard data:", "Win32_Keyboard",
                     {"Caption", "Description", "Device ID", "Is Locked", "Layout", "Name",
                      "Number of Function Keys", "Password", "PNP Device ID"}));
    add(lines, block("Plug and Play Devices:", "Win32_PnPEntity",
                     {"[blank]", "Class GUID", "Description", "Device ID", "Manufacturer", "Name",
                      "PNP Device ID", "Service"}));
    add(lines, block("Modem:", "Win32_POTSModem",
                     {"Attached To",
                      "Blind Off",
                      "Blind On",
                      "Compression Off",
                      "Compression On",
                      "Configuration Manager Error Code -> ConfigManagerErrorCode",
                      "Configuration Manager User Configuration -> ConfigManagerUserConfig",
                      "Configuration Dialog",
                      "Country Selected",
                      "tab list DCB after DCB",
                      "tab list Default after Default",
                      "Device ID",
                      "Device Type",
                      "Driver Date",
                      "Error Control Forced",
                      "Error Control Off",
                      "Error Control On",
                      "Flow Control Hard",
                      "Flow Control Off",
                      "Flow Control Soft",
                      "Inactivity Scale",
                      "Inactivity Timeout",
                      "Index",
                      "Maximum Baud Rate To SerialPort -> MaxBaudRateToSerialPort",
                      "Model",
                      "Modem INF Path",
                      "Modem INF Section",
                      "Modulation Bell",
                      "Modulation CCITT",
                      "Name",
                      "PNP Device ID",
                      "Port SubClass",
                      "Prefix",
                      "tab list Properties after Properties",
                      "Provider Name",
                      "Pulse",
                      "Reset",
                      "Responses Key Name",
                      "Speaker Mode Dial",
                      "Speaker Mode Off",
                      "Speaker Mode On",
                      "Speaker Mode Setup",
                      "Speaker Volume High",
                      "Speaker Volume Info",
                      "Speaker Volume Low",
                      "Speaker Volume Med",
                      "Status Info",
                      "Terminator",
                      "Tone",
                      "[blank]"}));
    // Signed drivers are counted from XP on; before it the class does not exist.
    if (newerWindows) {
        add(lines, block("Plug and Play Signed Drivers:", "Win32_PnPSignedDriver",
                         {"Class Guid", "Compatability ID -> CompatID", "Description", "Device Class",
                          "Device ID", "Device Name", "date DriverDate as Driver Date",
                          "Driver Provider Name", "Driver Version", "Hardware ID -> HardWareID", "INF Name",
                          "Is Signed", "Manufacturer", "PDO", "Signer", "[blank]"}));
        add(lines, dateFunctionLines(DateVariant::B));
    }
    add(lines, block("Pointing Device:", "Win32_PointingDevice",
                     {"Description", "Device ID", "Device Interface", "Double Speed Threshold", "Handedness",
                      "Hardware Type", "INF File Name", "INF Section", "Manufacturer", "Name",
                      "Number Of Buttons", "PNP Device ID", "Pointing Type", "Quad Speed Threshold",
                      "Resolution", "Sample Rate", "Synch"}));
    add(lines, block("Sound Card:", "Win32_SoundDevice",
                     {"Description", "Device ID", "DMA Buffer Size", "Manufacturer",
                      "MPU 401 Address -> MPU401Address", "Name", "PNP Device ID", "Product Name",
                      "Status Information -> StatusInfo"}));
    return lines;
}

ScriptLines videoRunLines() {
    ScriptLines lines;
    add(lines, block("All Possible Video Controller Resolutions:", "CIM_VideoControllerResolution",
                     {"Horizontal Resolution", "Number Of Colors", "Refresh Rate", "Scan Mode", "Setting ID",
                      "Vertical Resolution", "[blank]"}));
    add(lines,
        block("Current Display Configuration:", "Win32_DisplayConfiguration",
              {"Bits Per Pel", "Device Name", "Display Flags", "Display Frequency", "Driver Version",
               "Log Pixels", "Pels Height", "Pels Width", "Setting ID", "Specification Version", "[blank]"}));
    add(lines, block("Monitor Properties:", "Win32_DesktopMonitor",
                     {"Availability", "Bandwidth", "Description", "Device ID", "Display Type", "Is Locked",
                      "Monitor Manufacturer", "Monitor Type", "Name", "Pixels Per X Logical Inch",
                      "Pixels Per Y Logical Inch", "PNP Device ID", "Screen Height", "Screen Width"}));
    add(lines, block("Video Adapter:", "Win32_DisplayControllerConfiguration",
                     {"Bits Per Pixel", "Color Planes", "Device Entries in a Color Table",
                      "Device Specific Pens", "Horizontal Resolution", "Name", "Refresh Rate", "Setting ID",
                      "Vertical Resolution", "Video Mode", "[blank]"}));
    add(lines, block("Video Controller:", "Win32_VideoController",
                     {"each AcceleratorCapabilities as Accelerator Capability",
                      "Adapter Compatibility",
                      "Adapter DAC Type",
                      "Adapter RAM",
                      "Availability",
                      "Color Table Entries",
                      "Current Bits Per Pixel",
                      "Current Horizontal Resolution",
                      "Current Number of Colors",
                      "Current Number of Columns",
                      "Current Number of Rows",
                      "Current Refresh Rate",
                      "Current Scan Mode",
                      "Current Vertical Resolution",
                      "Description",
                      "Device ID",
                      "Device Specific Pens",
                      "Dither Type",
                      "Driver Date",
                      "Driver Version",
                      "ICM Intent",
                      "ICM Method",
                      "INF Filename",
                      "INF Section",
                      "Installed Display Drivers",
                      "Maximum Memory Supported -> MaxMemorySupported",
                      "Maximum Number Controlled -> MaxNumberControlled",
                      "Maximum Refresh Rate -> MaxRefreshRate",
                      "Minimum Refresh Rate -> MinRefreshRate",
                      "Monochrome",
                      "Name",
                      "Number of Color Planes",
                      "Number of Video Pages",
                      "PNP Device ID",
                      "Reserved System Palette Entries",
                      "Specification Version",
                      "System Palette Entries",
                      "Video Architecture",
                      "Video Memory Type",
                      "Video Mode",
                      "Video Mode Description",
                      "Video Processor"}));
    return lines;
}

ScriptLines memoryRunLines() {
    ScriptLines lines;
    add(lines, block("Cache Memory:", "Win32_CacheMemory",
                     {"Access",
                      "tab list AdditionalErrorData after Additional Error Data",
                      "Associativity",
                      "Availability",
                      "Block Size",
                      "Cache Speed",
                      "Cache Type",
                      "tab list CurrentSRAM after Current SRAM",
                      "Description",
                      "Device ID",
                      "Error Correct Type",
                      "Installed Size",
                      "Level",
                      "Location",
                      "Maximum Cache Size -> MaxCacheSize",
                      "Name",
                      "Number Of Blocks",
                      "Status Information -> StatusInfo",
                      "tab list SupportedSRAM after Supported SRAM",
                      "Write Policy",
                      "[blank]"}));
    add(lines, block("Device Memory Addresses:", "Win32_DeviceMemoryAddress",
                     {"Ending Address", "Name", "Starting Address", "[blank]"}));
    add(lines,
        block("DMA:", "Win32_DMAChannel",
              {"Address Size", "Availability", "Byte Mode", "Channel Timing", "DMA Channel",
               "Maximum Transfer Size -> MaxTransferSize", "Name", "Type C Timing", "Word Mode", "[blank]"}));
    add(lines, block("Memory Array:", "Win32_MemoryArray",
                     {"Device ID", "Ending Address", "Starting Address", "[blank]"}));
    add(lines, block("Memory Devices:", "Win32_MemoryDevice",
                     {"Device ID", "Ending Address", "Starting Address", "[blank]"}));
    add(lines, block("Physical Memory:", "Win32_PhysicalMemoryArray",
                     {"Description", "Maximum Capacity -> MaxCapacity", "Memory Devices",
                      "Memory Error Correction"}));
    add(lines, block("Physical Memory Configuration:", "Win32_PhysicalMemory",
                     {"[blank]", "Bank Label", "Capacity", "Data Width", "Description", "Device Locator",
                      "Form Factor", "Hot Swappable", "Manufacturer", "Memory Type", "Name", "Part Number",
                      "Position In Row", "Speed", "Tag", "Type Detail"}));
    return lines;
}
