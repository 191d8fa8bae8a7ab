// The App Paths report: registered application paths, installed software and codec files.
#pragma once

#include <string>
#include <vector>

class TaskContext;

// The generated script: installed products through a work file at
// `exchangePath` (written, then read back whole), the uninstall entries, the
// codec files. `newerWindows` (XP and later) reads the products' InstallDate2.
std::vector<std::string> appPathsScriptLines(const std::string& exchangePath, bool newerWindows);

// Runs on the window's thread, writing straight into the view.
void writeAppPathsReport(TaskContext& context);
