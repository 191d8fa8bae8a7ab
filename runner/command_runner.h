// Runs a command line, batch text or generated script hidden, with its output
// redirected into a work file, and delivers the cleaned output to the report
// or to the holder the mode switches choose.
#pragma once

#include <string>

struct ControllerState;

class CommandRunner {
public:
    explicit CommandRunner(ControllerState& state) : s_(state) {}

    // 0: a file, the pipe or the process could not be made, or the run was
    // halted; 1: output delivered; 2: probe saw at least two characters.
    int run(const char* text, bool probeOnly);

    // The lines of the batch file for a run (paths quoted).
    static std::string batchText(bool scriptMode, bool envValueMode, const std::string& text,
                                 const std::string& scriptPath, const std::string& outputPath);

private:
    ControllerState& s_;
};
