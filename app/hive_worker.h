// The window's side of a hive dump: its work files and flags, the worker
// thread that runs the dump, and the hand-over of the result to the task
// driver, which loads it.
#pragma once

#include <windows.h>

struct ControllerState;
class MainDialog;
class TaskHost;

// Deletes the files an earlier task left and names this dump's report and
// keys-list files; true when all candidate names were taken. Throws
// std::bad_alloc.
bool nameHiveDumpFiles(ControllerState& state);

// The dump itself, once its files are named: on success it raises
// resultReady with resultHeader set, and loadHiveResult shows it. Never
// throws.
void runHiveDump(TaskHost& host, HKEY root, const char* name, bool noFreeName);

// Names the dump's files and starts its worker; the task driver loads the
// report once the worker raises resultReady.
void startHiveDump(MainDialog& dialog, HKEY root, const char* name);
