#include "hive_dump.h"

#include "registry_access.h"
#include "registry_dumper.h"
#include "registry_read.h"
#include "report/report_view.h"
#include "report/task_context.h"
#include "report/work_file.h"

#include <algorithm>
#include <memory>
#include <new>

namespace {

struct KeyBlock {
    TaskContext* context;
    WalkState* walk;
    HKEY root;
    HKEY key;
    std::string name;
    bool* failed; // set when the walk of this key could not finish
};

DWORD WINAPI keyThread(void* parameter) {
    std::unique_ptr<KeyBlock> block(static_cast<KeyBlock*>(parameter));
    try {
        RegistryDumper(*block->context, *block->walk).walk(block->root, block->key, block->name, ":");
    } catch (...) {
        // Memory ran out inside this key: the dump would miss it and must
        // not be shown as complete.
        *block->failed = true;
    }
    block->context->animate(false);
    return 0;
}

void pause(bool newer) {
    if (!newer) Sleep(2000);
}

// The walker's collection switches decide what a pass does; the root is
// opened afresh for each pass and closed after it. Neither pass descends below
// the top level: the names are all a pass learns. Walking the whole hive
// silently in the first pass only kept the "Working .. please Wait" frames
// turning while it enumerated every key once more; it cost about a tenth of
// a HKEY_LOCAL_MACHINE dump (0.39 s of 3.6 s under Wine) for the same report.
void namePass(TaskContext& context, WalkState& walk, HKEY root) {
    walk.topLevelCount = 0;
    walk.keysVisited = 0;
    walk.topLevelSeen = 0;
    walk.topLevelNames.clear();
    walk.topLevelPending.clear();
    walk.keysListLost = false;
    RegKey key;
    if (key.open(root, "", KEY_READ)) RegistryDumper(context, walk).walk(root, key.get(), "", "");
}

// Dumps each top-level key named in the list the second pass wrote; false
// when a key's walk failed.
bool printingPass(TaskContext& context, WalkState& walk, HKEY root, const std::string& keysListPath,
                  bool newer) {
    bool failed = false;
    std::string list;
    if (!readWholeFile(keysListPath, list)) list.clear();
    size_t next = 0;
    while (next < list.size()) {
        const size_t end = std::min(list.find('\n', next), list.size());
        std::string line = list.substr(next, end - next);
        next = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.size() > 5000) line.resize(5000);
        const std::wstring wideName = reg::fromListLine(line);
        RegKey key;
        if (!reg::openKey(root, wideName, KEY_READ, key)) continue;
        auto* block =
            new (std::nothrow) KeyBlock{&context, &walk, root, key.get(), toAnsi(wideName), &failed};
        if (block != nullptr) {
            HANDLE thread = CreateThread(nullptr, 0, keyThread, block, 0, nullptr);
            if (thread == nullptr) {
                delete block;
            } else {
                WaitForSingleObject(thread, INFINITE);
                CloseHandle(thread);
            }
            if (failed) return false;
            if (context.haltRequested()) break;
        }
        pause(newer);
        context.write("\n");
    }
    return true;
}

} // namespace

HiveDumpOutcome dumpHive(TaskContext& context, HKEY root, const std::string& keysListPath, bool newer) {
    WalkState walk;
    walk.printHeaders = true;
    walk.showProgress = true;
    walk.keysListPath = keysListPath;
    walk.collectToKeysFile = true;
    for (int pass = 0; pass < 2; ++pass) {
        DeleteFileA(keysListPath.c_str());
        if (pass == 1 && !context.haltRequested()) {
            try {
                walk.topLevelNames.reserve(static_cast<size_t>(walk.topLevelSeen) + 10);
                walk.topLevelPending.reserve(static_cast<size_t>(walk.topLevelSeen) + 10);
            } catch (const std::bad_alloc&) {
                return HiveDumpOutcome::NoMemory;
            }
            walk.topLevelCapacity = static_cast<size_t>(walk.topLevelSeen) + 10;
            walk.collectToList = true;
        }
        namePass(context, walk, root);
        walk.collectToList = false;
        pause(newer);
    }
    walk.collectToKeysFile = false;
    // The printing pass knows the keys only from the list: one it cannot
    // read back would make an empty dump of a hive that has keys.
    if (!context.haltRequested() &&
        (walk.keysListLost || (walk.topLevelSeen > 0 && !fileCanBeRead(keysListPath))))
        return HiveDumpOutcome::ListLost;

    if (!printingPass(context, walk, root, keysListPath, newer)) return HiveDumpOutcome::NoMemory;

    for (size_t i = 0; i < walk.topLevelNames.size() && i < walk.topLevelPending.size(); ++i) {
        if (!walk.topLevelPending[i]) continue;
        walk.topLevelPending[i] = 0;
        reportPrintf(context, "\n   Key: %s\n", walk.topLevelNames[i].c_str());
    }
    context.status().setStatus(" ");

    if (context.haltRequested()) return HiveDumpOutcome::Halted;
    pause(newer);
    // A Clear during the pause has appended its halt line to the finished
    // file and deleted it: there is nothing left to load.
    if (context.haltRequested()) return HiveDumpOutcome::Halted;
    return HiveDumpOutcome::Complete;
}
