// The common environment report as an ordered table of steps, one per row of
// the report's catalogue. A row writes its section (or, for a section that is
// not built yet, nothing) and answers false once it has seen a halt.
#pragma once

#include "identity_section.h"
#include "runner/command_runner.h"

#include <functional>
#include <string>
#include <vector>

class TaskContext;

// What one run of the report carries from row to row.
struct CommonReport {
    explicit CommonReport(TaskContext& context) : context(context) {}
    TaskContext& context;
    std::string computerName;
    bool isAdministrator = false;
    bool newerWindows = true;
    FolderCommands commands;
    std::vector<std::string> driveRoots;
    RunHolder holder;
    // The task list captured by its WMI run, for the process blocks further on.
    std::string capturedTaskList;
    // Set by the last row: this is the only running copy of the program, so
    // work files of earlier runs may be swept once the report is loaded.
    bool sweepDue = false;
};

struct CatalogueRow {
    int number;
    const char* section; // what the row writes, for readers of the table
    bool (*write)(CommonReport& report);
};

// The 49 rows, in report order.
extern const CatalogueRow kCommonReportRows[49];
// Rows up to this one run under the busy cursor; the closing rows follow.
inline constexpr int kLastBusyCursorRow = 39;

// Writes the rows in order with a progress step and stop test after each;
// `beforeRow` (tests) is told each row's number before it runs. Returns
// false when a halt ended the report early.
bool writeCommonReport(CommonReport& report, const std::function<void(int row)>& beforeRow = {});
