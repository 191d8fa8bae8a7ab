// Registry reports: the tree walker and the hive dumps built on it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

class MainDialog;

// Starts the worker that dumps one whole hive into a report work file; the
// task driver loads the file once the worker raises resultReady.
void startHiveDump(MainDialog& dialog, HKEY root, const char* name);

struct ControllerState;

// Dumps a key and everything below it into the report: subkeys (with their
// headers) before values; or, in the silent passes, collects top-level names.
class RegistryDumper {
public:
    // `clock` gives the local time's second (the status line changes at most
    // once a second); null for the real clock.
    using SecondClock = int (*)();
    explicit RegistryDumper(ControllerState& state, SecondClock clock = nullptr) : s_(state), clock_(clock) {}

    // `key` is an open handle of root\keyPath; `valueSuffix` follows every value name.
    void walk(HKEY root, HKEY key, const std::string& keyPath, const char* valueSuffix);

    // The percentage range of the top-level list that `keyPath` lies in
    // ("0 to 1", "22 to 25"); empty when no entry matches.
    static std::string topLevelProgress(const std::vector<std::string>& names, int count, const std::string& keyPath);

private:
    void progress(const std::string& keyPath, std::string& progressText, const std::string& previousPath);
    void printTopLevelHeader(const std::string& keyPath, HKEY key);
    void printDefaultValue(HKEY key);

    ControllerState& s_;
    SecondClock clock_;
};

// Walk-wide memory of the last header, shared by every walk of the process.
void resetWalkerMemory();
