// Registry reports: the tree walker and the hive dumps built on it.
#pragma once

#include <windows.h>

class MainDialog;

// Starts the worker that dumps one whole hive into a report work file; the
// task driver loads the file once the worker raises resultReady.
void startHiveDump(MainDialog& dialog, HKEY root, const char* name);
