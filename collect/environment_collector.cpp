#include "environment_collector.h"

#include "app/main_dialog.h"
#include "os_section.h"
#include "report/report_writer.h"

bool EnvironmentCollector::step() {
    statusProgressFor(dialog_);
    return dialog_.haltRequested == 0;
}

void EnvironmentCollector::run() {
    dialog_.animateStatus = 1;
    writeOperatingSystemSection(dialog_, [this] { return step(); });
    if (dialog_.haltRequested == 0) writeReportTrailer(dialog_);
    dialog_.animateStatus = 0;
}
