#include "app_paths.h"

#include "task_context.h"

void writeAppPathsReport(TaskContext&) {
    // The registered-paths and installed-software report is written here in
    // view mode once it exists.
}
