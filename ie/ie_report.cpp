#include "ie_report.h"

#include "report/task_context.h"

void writeInternetExplorerReport(TaskContext&) {
    // The Internet Explorer report is written here once it exists.
}
