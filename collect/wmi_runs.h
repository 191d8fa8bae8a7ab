// The WMI runs of the common environment report: which blocks each run puts
// into one script, in report order, as data for the script builder.
#pragma once

#include "runner/command_runner.h"

#include <string>
#include <vector>

using ScriptLines = std::vector<std::string>;

struct WmiRun {
    char letter;
    int row;          // of the report's catalogue
    const char* name; // how the report names the run when it has to leave it out
    const char* lead; // report text written before the run (nullptr: none)
    RunMode mode;
    ScriptLines (*lines)(bool newerWindows);
};

// Runs A to Q in report order.
extern const WmiRun kWmiRuns[17];
const WmiRun& wmiRun(char letter);

// A: the operating system; the short block before Windows XP, the long one from XP on.
ScriptLines operatingSystemRunLines(bool newerWindows);
ScriptLines desktopRunLines();                  // B
ScriptLines processorRunLines();                // C: IRQs, processor, baseboard
ScriptLines biosRunLines();                     // D: bus, motherboard, SMBIOS, BIOS
ScriptLines devicesRunLines(bool newerWindows); // E: keyboard, Plug and Play, modem, ...
ScriptLines videoRunLines();                    // F
ScriptLines memoryRunLines();                   // G
ScriptLines portsRunLines();                    // H
ScriptLines slotsRunLines(bool newerWindows);   // I: serial ports, slots, batteries, printers
ScriptLines controllersRunLines();              // J: controllers and the NTFS settings
ScriptLines diskDrivesRunLines();               // K
ScriptLines environmentRunLines();              // L
ScriptLines startupCommandsRunLines();          // M
ScriptLines taskListRunLines();                 // N
ScriptLines startupOptionsRunLines();           // O
ScriptLines networkAdaptersRunLines();          // P

// Q: the process list whose lines the runner counts to learn how many copies
// of the program are running.
ScriptLines processCountRunLines();

// The NTFS settings block of run J: five registry values read by the script.
ScriptLines ntfsBlockLines();
