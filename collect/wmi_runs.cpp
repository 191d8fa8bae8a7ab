#include "wmi_runs.h"

const WmiRun kWmiRuns[17] = {
    {'A', 8, "operating system", nullptr, RunMode::Script, operatingSystemRunLines},
    {'B', 10, "desktop settings",
     "\n===========================================================================\nDesktop Settings:",
     RunMode::Script, [](bool) { return desktopRunLines(); }},
    {'C', 11, "IRQ settings, processor, baseboard",
     "\n===========================================================================\nIRQ Settings:\n",
     RunMode::Script, [](bool) { return processorRunLines(); }},
    {'D', 12, "bus, motherboard, SMBIOS, BIOS", nullptr, RunMode::Script,
     [](bool) { return biosRunLines(); }},
    {'E', 14, "keyboard, Plug and Play devices, modem, pointing device, sound card", nullptr, RunMode::Script,
     devicesRunLines},
    {'F', 15, "video", nullptr, RunMode::Script, [](bool) { return videoRunLines(); }},
    {'G', 17, "memory devices", nullptr, RunMode::Script, [](bool) { return memoryRunLines(); }},
    {'H', 20, "ports", nullptr, RunMode::Script, [](bool) { return portsRunLines(); }},
    {'I', 22, "serial ports, system slots, batteries, printers", nullptr, RunMode::Script, slotsRunLines},
    {'J', 23, "controllers, NTFS", nullptr, RunMode::Script, [](bool) { return controllersRunLines(); }},
    {'K', 25, "physical disks", nullptr, RunMode::Script, [](bool) { return diskDrivesRunLines(); }},
    {'L', 27, "environment variables", nullptr, RunMode::Script, [](bool) { return environmentRunLines(); }},
    {'M', 34, "startup commands", nullptr, RunMode::Script, [](bool) { return startupCommandsRunLines(); }},
    {'N', 37, "task list", nullptr, RunMode::ScriptCapture, [](bool) { return taskListRunLines(); }},
    {'O', 42, "computer startup options", nullptr, RunMode::Script,
     [](bool) { return startupOptionsRunLines(); }},
    {'P', 44, "network adapter properties", nullptr, RunMode::Script,
     [](bool) { return networkAdaptersRunLines(); }},
    {'Q', 49, "instance count", nullptr, RunMode::ScriptCountInstances,
     [](bool) { return processCountRunLines(); }},
};

const WmiRun& wmiRun(char letter) {
    for (const WmiRun& run : kWmiRuns)
        if (run.letter == letter) return run;
    return kWmiRuns[0];
}
