// The window's side of a hive dump: its work files and flags, the worker
// thread that runs the dump, and the hand-over of the result to the task
// driver, which loads it.
#pragma once

#include <windows.h>

class MainDialog;

// Names the dump's files and starts its worker; the task driver loads the
// report once the worker raises resultReady.
void startHiveDump(MainDialog& dialog, HKEY root, const char* name);
