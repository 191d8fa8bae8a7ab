// The App Paths report: registered application paths, installed software and codec files.
#pragma once

class TaskContext;

// Runs on the window's thread, writing straight into the view.
void writeAppPathsReport(TaskContext& context);
