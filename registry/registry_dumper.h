// The registry tree walker every registry section is written with.
#pragma once

#include "registry_access.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

class TaskContext;

// What one walk does and what it learns on the way. The task that walks owns
// it, so no walk inherits another's switches.
struct WalkState {
    // Subkey headers and default values (a hive's printing pass, the common
    // report); values are printed in every walk that prints.
    bool printHeaders = false;
    // The status line's frames and the live view (a hive dump, the collector,
    // the services dump); the services dump shows the plain frames.
    bool showProgress = false;
    bool servicesMode = false;
    // Silent: nothing is printed, the names of the walked key's own subkeys
    // are handed over (or only counted); no descent.
    bool captureNames = false;
    bool countNamesOnly = false;
    std::vector<std::string>* capturedNames = nullptr;
    int capturedNameCount = 0;
    // A hive dump's name passes: top-level names to the keys-list file, and
    // with collectToList to topLevelNames; neither pass descends.
    bool collectToKeysFile = false;
    bool collectToList = false;
    std::string keysListPath;
    // A name that did not reach the keys-list file: the printing pass would
    // leave its key out without a word.
    bool keysListLost = false;
    std::vector<std::string> topLevelNames;
    std::vector<uint8_t> topLevelPending; // 1 until the name's header is printed
    size_t topLevelCapacity = 0;
    int topLevelCount = 0;
    int topLevelSeen = 0;
    int keysVisited = 0;
};

// Dumps a key and everything below it into the report: subkeys (with their
// headers) before values; or, in the silent passes, collects top-level names.
class RegistryDumper {
  public:
    // `clock` gives the local time's second (the status line changes at most
    // once a second); null for the real clock.
    using SecondClock = int (*)();
    RegistryDumper(TaskContext& context, WalkState& state, SecondClock clock = nullptr)
        : context_(context), s_(state), clock_(clock) {}

    // `key` is an open handle of root\keyPath; `valueSuffix` follows every value name.
    void walk(HKEY root, HKEY key, const std::string& keyPath, const char* valueSuffix);

    // The percentage range of the top-level list that `keyPath` lies in
    // ("0 to 1", "22 to 25"); empty when no entry matches.
    static std::string topLevelProgress(const std::vector<std::string>& names, int count,
                                        const std::string& keyPath);

  private:
    void progress(const std::string& keyPath, std::string& progressText, const std::string& previousPath);
    struct CachedValue {
        std::wstring name;
        reg::ValueReader::Got got = reg::ValueReader::Got::Nothing;
        reg::ValueData data;
    };
    void walkKey(HKEY root, HKEY key, const std::string& keyPath, const char* valueSuffix,
                 bool printOwnDefault);
    void readValues(HKEY key, DWORD count, std::vector<CachedValue>& out);
    void printTopLevelHeader(const std::string& keyPath, const reg::ValueData* ownDefault);
    void printDefaultValue(const reg::ValueData* value);

    TaskContext& context_;
    WalkState& s_;
    reg::ValueReader::Buffers valueBuffers_;
    SecondClock clock_;
};

// Walk-wide memory of the last header, shared by every walk of the process.
void resetWalkerMemory();
