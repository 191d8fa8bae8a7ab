#include "environment_collector.h"

#include "os_section.h"
#include "policies_report.h"
#include "report/task_context.h"
#include "runner/command_runner.h"
#include "runner/script_buffer.h"
#include "runner/wmi_script.h"
#include "wmi_runs.h"

void EnvironmentCollector::runScript(const std::vector<std::string>& lines) {
    ScriptBuffer& script = scriptBuffer();
    script.clear();
    appendLines(script, lines);
    context_.runner().run(script.text(), RunMode::Script);
}

void EnvironmentCollector::run() {
    context_.animate(true);
    if (policiesMode_) return writePoliciesReport(context_);
    if (!policiesMode_) {
        const bool newer = writeOperatingSystemSection(context_);
        if (context_.step()) runScript(operatingSystemRunLines(newer));
        context_.step();
    }
    if (!context_.haltRequested()) writeReportTrailer(context_);
    context_.animate(false);
}
