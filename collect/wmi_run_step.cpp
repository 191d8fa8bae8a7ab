#include "wmi_run_step.h"

#include "common_report.h"
#include "report/task_context.h"
#include "runner/script_buffer.h"
#include "runner/wmi_script.h"

bool runWmi(CommonReport& report, const WmiRun& run) {
    return runWmiLines(report, run, run.lines(report.newerWindows));
}

bool runWmiLines(CommonReport& report, const WmiRun& run, const ScriptLines& lines) {
    // No script host is started for a report that is being abandoned.
    if (report.context.haltRequested()) return false;
    if (run.lead != nullptr) {
        report.context.write(run.lead);
        if (!report.context.step()) return false;
    }
    ScriptBuffer& script = scriptBuffer();
    script.clear();
    if (!appendLines(script, lines)) {
        // Half a script would end inside a block or a loop: run none of it.
        script.clear();
        reportPrintf(report.context,
                     "\nWMI run left out (%s): its script does not fit the %u-byte script buffer.\n",
                     run.name, static_cast<unsigned>(ScriptBuffer::kBytes));
        return true;
    }
    if (run.mode == RunMode::ScriptCapture) report.holder.captureText.clear();
    report.context.runner().run(script.text(), run.mode, false, &report.holder);
    if (run.mode == RunMode::ScriptCapture) {
        report.capturedTaskList = std::move(report.holder.captureText);
        report.holder.captureText.clear();
    }
    return true;
}
