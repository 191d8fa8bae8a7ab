// The common environment report (and, with policiesMode, the policies report).
#pragma once

class MainDialog;

class EnvironmentCollector {
public:
    explicit EnvironmentCollector(MainDialog& dialog) : dialog_(dialog) {}
    void run();

private:
    // Advances the status line; false once a halt was requested.
    bool step();

    MainDialog& dialog_;
};
