// The application object: runs the main window modally; the process ends when it returns.
#include "main_dialog.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // The program keeps no settings, so there is no settings key to name.
    // Never destroyed: a worker still running when the dialog ends may touch
    // it until the process is gone.
    auto* dialog = new MainDialog();
    dialog->runModal(instance);
    dialog->afterDialogEnded();
    ExitProcess(0);
}
