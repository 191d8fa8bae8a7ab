// The application object: runs the main window modally; the process ends when it returns.
#include "main_dialog.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // The framework's settings location; the program itself stores nothing there.
    const char* const settingsKey = "Local AppWizard-Generated Applications";
    (void)settingsKey;

    // Never destroyed: a worker still running when the dialog ends may touch
    // it until the process is gone.
    auto* dialog = new MainDialog();
    dialog->runModal(instance);
    dialog->afterDialogEnded();
    ExitProcess(0);
}
