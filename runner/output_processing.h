// What the command runner does with the bytes a command printed: drop the
// script host's banner, cut chunks at line ends, clean and convert them (a
// zero byte becomes a blank), and hand them to the sink the mode switches
// choose. Pure: bytes in, pieces out.
#pragma once

#include <string>
#include <string_view>
#include <vector>

struct RunnerModes {
    bool scriptMode = false;
    bool envValueMode = false;
    bool joinThreeMode = false;
    bool countInstancesMode = false;
    bool captureMode = false;
};

struct RunnerOutput {
    int result = 1;                    // 1 delivered, 2 probe saw two or more characters
    std::vector<std::string> report;   // pieces for the report, literal text, in order
    std::string capture;               // to append to captureText ("%" doubled)
    bool envValueSet = false;
    std::string envValue;              // replaces envValue ("%" doubled)
    int ownInstances = 0;              // to add to ownInstanceCount
};

// `oemToAnsi` converts a text in place from the OEM to the ANSI code page.
RunnerOutput processRunnerOutput(std::string_view bytes, const RunnerModes& modes, bool probeOnly,
                                 void (*oemToAnsi)(std::string&));

// Removes CR, BEL, BS, TAB, VT and FF.
std::string removeControlBytes(std::string_view chunk);

// Lines naming this program's own process in a process listing.
int countOwnInstanceLines(std::string_view listing);

// The system's conversion, for the runner (defined with it: the processing
// above makes no system calls).
void oemToAnsiInPlace(std::string& text);
