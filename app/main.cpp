// The application object: without switches it runs the main window modally
// and the process ends when it returns; "/report KIND FILE" writes one report
// without the window; "/inventory TARGET" sends this machine's inventory;
// "/compare OLD NEW [OUT]" compares two reports; "/?" prints the usage.
#include "command_line.h"
#include "compare_command.h"
#include "console_streams.h"
#include "headless_run.h"
#include "inventory_command.h"
#include "main_dialog.h"
#include "report/running_copies.h"
#include "report/work_file.h"

#include <windows.h>

namespace {

int runFromCommandLine(const CommandLine& line) {
    ConsoleStreams console;
    switch (line.action) {
    case CommandLine::Action::Usage:
        console.out(usageText());
        return exitcode::kUsage;
    case CommandLine::Action::Error:
        console.errorLine(line.error);
        return line.errorExit;
    case CommandLine::Action::Report:
        return runReportFromCommandLine(line, console);
    case CommandLine::Action::Inventory:
        return runInventoryFromCommandLine(line, console);
    case CommandLine::Action::Compare:
        return runCompareFromCommandLine(line, console);
    case CommandLine::Action::Window:
        break;
    }
    return exitcode::kFailed;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR arguments, int) {
    runningcopies::countThisCopyIn();
    CommandLine line;
    try {
        line = parseCommandLine(arguments != nullptr ? arguments : "");
        if (line.action != CommandLine::Action::Window) {
            const int code = runFromCommandLine(line);
            // What a halted run had to leave behind, once more before the end.
            removeLeftWorkFiles(1000);
            runningcopies::countThisCopyOut();
            ExitProcess(static_cast<UINT>(code));
        }
    } catch (...) {
        // Memory ran out before anything was written: the run fails.
        runningcopies::countThisCopyOut();
        ExitProcess(exitcode::kFailed);
    }
    // The program keeps no settings, so there is no settings key to name.
    // Never destroyed: a worker still running when the dialog ends may touch
    // it until the process is gone.
    auto* dialog = new MainDialog();
    dialog->runModal(instance);
    dialog->afterDialogEnded();
    runningcopies::countThisCopyOut();
    ExitProcess(0);
}
