// The five hive dumps: two silent passes learn the top-level names, then each
// top-level key is dumped on a thread of its own, one at a time.
#include "registry_dumper.h"

#include "app/main_dialog.h"
#include "collect/windows_version.h"
#include "registry_access.h"
#include "registry_read.h"
#include "report/work_file.h"
#include "value_format.h"

#include <algorithm>
#include <memory>
#include <new>

namespace {

const char* const kNoMemoryTitle = "Dynamic Memory Allocation problem";

struct HiveBlock {
    MainDialog* dialog;
    HKEY root;
    const char* name;
    bool noFreeName; // all 1,000 candidate work-file names were in use
};

struct KeyBlock {
    MainDialog* dialog;
    HKEY root;
    HKEY key;
    std::string name;
};

DWORD WINAPI keyThread(void* parameter) {
    std::unique_ptr<KeyBlock> block(static_cast<KeyBlock*>(parameter));
    MainDialog& d = *block->dialog;
    try {
        RegistryDumper(d).walk(block->root, block->key, block->name, ":");
    } catch (...) {
    }
    d.animateStatus = 0;
    return 0;
}

void clearDumpFlags(MainDialog& d) {
    d.collectToKeysFile = 0;
    d.collectToList = 0;
    d.collectorRunning = 0;
}

void deleteDumpFiles(MainDialog& d) {
    d.reportFile.close();
    DeleteFileA(d.reportPath.get().c_str());
    DeleteFileA(d.keysListPath.get().c_str());
}

// A dump that ends without a result: flags down, both files gone.
// The running flag goes last: the next task may start as soon as it is down.
void abandonDump(MainDialog& d) {
    d.topLevelCount = 0;
    d.keysVisited = 0;
    deleteDumpFiles(d);
    d.haltRequested = 0;
    clearDumpFlags(d);
}

// A halt requested by Clear or Close ends the dump without a result.
bool stoppedByHalt(MainDialog& d) {
    if (!d.haltRequested) return false;
    d.resultReady = 0;
    abandonDump(d);
    return true;
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
void namePass(MainDialog& d, HKEY root) {
    d.topLevelCount = 0;
    d.keysVisited = 0;
    d.topLevelSeen = 0;
    d.topLevelNames.clear();
    d.topLevelPending.clear();
    RegKey key;
    if (key.open(root, "", KEY_READ)) RegistryDumper(d).walk(root, key.get(), "", "");
}

void dumpHive(MainDialog& d, HKEY root, const std::string& hiveName, bool noFreeName) {
    d.topLevelCount = 0;
    d.keysVisited = 0;
    d.collectorRunning = 1;

    // Named by startHiveDump on the window's thread.
    const std::string path = d.reportPath.get();
    if (noFreeName) {
        d.showMessage("Unable to create temporary file. Make sure the disk is not full or write protected.",
                      "File Creation Error!");
        d.setStatus(" ");
        d.reportView().setText("");
        clearDumpFlags(d);
        return;
    }

    std::string scratch;
    const bool newer = describeWindowsVersion(scratch);

    d.collectToKeysFile = 1;
    d.topLevelSeen = 0;
    for (int pass = 0; pass < 2; ++pass) {
        DeleteFileA(d.keysListPath.get().c_str());
        if (pass == 1 && !d.haltRequested) {
            try {
                d.topLevelNames.reserve(static_cast<size_t>(d.topLevelSeen) + 10);
                d.topLevelPending.reserve(static_cast<size_t>(d.topLevelSeen) + 10);
            } catch (const std::bad_alloc&) {
                abandonDump(d);
                d.showMessage("There is not enough memory to complete the operation", kNoMemoryTitle);
                return;
            }
            d.topLevelCapacity = static_cast<size_t>(d.topLevelSeen) + 10;
            d.collectToList = 1;
        }
        if (d.haltRequested) d.reportView().setText(" ");
        namePass(d, root);
        d.collectToList = 0;
        pause(newer);
    }
    d.collectToKeysFile = 0;
    d.reportFile.close();
    DeleteFileA(path.c_str());

    // Printing pass, from the list the second pass wrote.
    {
        std::string list;
        if (!readWholeFile(d.keysListPath.get(), list)) list.clear();
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
            auto* block = new (std::nothrow) KeyBlock{&d, root, key.get(), toAnsi(wideName)};
            if (block != nullptr) {
                HANDLE thread = CreateThread(nullptr, 0, keyThread, block, 0, nullptr);
                if (thread == nullptr) {
                    delete block;
                } else {
                    WaitForSingleObject(thread, INFINITE);
                    CloseHandle(thread);
                }
                if (d.haltRequested) break;
            }
            pause(newer);
            reportPrintf(d, "\n");
        }
    }

    for (size_t i = 0; i < d.topLevelNames.size() && i < d.topLevelPending.size(); ++i) {
        if (!d.topLevelPending[i]) continue;
        d.topLevelPending[i] = 0;
        reportPrintf(d, "\n   Key: %s\n", d.topLevelNames[i].c_str());
    }
    d.topLevelNames.clear();
    d.topLevelPending.clear();
    d.topLevelCapacity = 0;
    d.setStatus(" ");

    if (stoppedByHalt(d)) return;
    pause(newer);
    // A Clear during the pause has appended its halt line to the finished
    // file and deleted it: there is nothing left to load.
    if (stoppedByHalt(d)) return;
    d.reportFile.close();
    d.resultHeader.set(hiveName + " Registry:\r\n");
    d.setStatus("Working .. please Wait ");
    d.statusLine().repaint();
    // The status text waits for the window's thread, so a Clear may have run
    // in between as well.
    if (d.haltRequested) {
        d.setStatus(" ");
        stoppedByHalt(d);
        return;
    }
    d.resultReady = 1;
    d.collectorRunning = 0;
}

DWORD WINAPI hiveWorker(void* parameter) {
    auto* block = static_cast<HiveBlock*>(parameter);
    MainDialog& d = *block->dialog;
    const HKEY root = block->root;
    const std::string name = block->name;
    const bool noFreeName = block->noFreeName;
    delete block;
    try {
        dumpHive(d, root, name, noFreeName);
    } catch (...) {
        try {
            deleteDumpFiles(d);
            d.setStatus(" ");
        } catch (...) {
            // The flags below come down all the same.
        }
        clearDumpFlags(d);
    }
    d.animateStatus = 0;
    return 0;
}

}  // namespace

void startHiveDump(MainDialog& d, HKEY root, const char* name) {
    std::unique_ptr<HiveBlock> block(new (std::nothrow) HiveBlock{&d, root, name, false});
    if (block != nullptr) {
        // The files of an earlier task go, and this dump's are named, here on
        // the window's thread before the worker starts: a Clear from now on
        // writes its halt line into this dump's file, never into the previous
        // task's.
        try {
            deleteDumpFiles(d);
            const std::string path = makeWorkFileName(workfile::kReport);
            // Decided now: once the dump runs, a Clear may have created the file.
            block->noFreeName = workFileNameTaken(path);
            d.reportPath.set(path);
            d.keysListPath.set(path + "keys");
        } catch (const std::bad_alloc&) {
            block.reset();
        }
    }
    if (block == nullptr) {
        d.showMessage("There is not Enough memory to complete the operation", kNoMemoryTitle);
        d.setStatus(" ");
        d.reportView().setText("");
        clearDumpFlags(d);
        return;
    }
    d.collectorRunning = 1;
    HANDLE thread = CreateThread(nullptr, 0, hiveWorker, block.get(), 0, nullptr);
    if (thread == nullptr) {
        clearDumpFlags(d);
        d.setStatus(" ");
        return;
    }
    block.release(); // the worker frees it
    HANDLE previous = d.workerThread.exchange(thread);
    if (previous != nullptr) CloseHandle(previous);
}
