// The common environment report (and, with policiesMode, the policies report).
#pragma once

#include <string>
#include <vector>

class MainDialog;

class EnvironmentCollector {
public:
    explicit EnvironmentCollector(MainDialog& dialog) : dialog_(dialog) {}
    void run();

private:
    // Advances the status line; false once a halt was requested.
    bool step();
    // One WMI run: the lines go through the shared script buffer to the runner.
    void runScript(const std::vector<std::string>& lines);

    MainDialog& dialog_;
};
