#include "environment_collector.h"

#include "app/main_dialog.h"
#include "os_section.h"
#include "report/report_writer.h"
#include "runner/command_runner.h"
#include "runner/script_buffer.h"
#include "runner/wmi_script.h"
#include "wmi_runs.h"

bool EnvironmentCollector::step() {
    statusProgressFor(dialog_);
    return dialog_.haltRequested == 0;
}

void EnvironmentCollector::runScript(const std::vector<std::string>& lines) {
    ScriptBuffer& script = scriptBuffer();
    script.clear();
    appendLines(script, lines);
    dialog_.scriptMode = 1;
    CommandRunner(dialog_).run(script.c_str(), false);
}

void EnvironmentCollector::run() {
    dialog_.animateStatus = 1;
    if (dialog_.policiesMode) {
        // The policies report is written here once it exists.
        dialog_.policiesMode = 0;
    } else {
        const bool newer = writeOperatingSystemSection(dialog_, [this] { return step(); });
        if (step()) runScript(operatingSystemRunLines(newer));
        step();
    }
    if (dialog_.haltRequested == 0) writeReportTrailer(dialog_);
    dialog_.animateStatus = 0;
}
