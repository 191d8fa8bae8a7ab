// A whole hive dumped into the report: two silent passes learn the top-level
// names, then each top-level key is dumped on a thread of its own, one at a
// time. The window's side (the worker thread, its files and flags, the load
// of the result) lives with the window; this is the dump itself.
#pragma once

#include <windows.h>

#include <string>

class TaskContext;

enum class HiveDumpOutcome {
    Complete, // the report holds the whole dump
    Halted,   // Clear or Close stopped it: no result
    NoMemory, // the top-level name list could not be had
    ListLost, // a top-level name could not be written to the keys-list file
};

// `keysListPath` is the dump's keys-list file; `newerWindows` false makes the
// dump pause two seconds after each pass and each top-level key, as the
// systems before XP need.
HiveDumpOutcome dumpHive(TaskContext& context, HKEY root, const std::string& keysListPath, bool newerWindows);
