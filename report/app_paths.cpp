#include "app_paths.h"

#include "app/main_dialog.h"

void runAppPathsTask(MainDialog& dialog) {
    // The registered-paths and installed-software report is written here in
    // view mode once it exists; the task always ends idle.
    dialog.setStatus(" ");
    dialog.animateStatus = 0;
}
