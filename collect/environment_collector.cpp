#include "environment_collector.h"

#include "common_report.h"
#include "identity_section.h"
#include "policies_report.h"
#include "report/task_context.h"

void EnvironmentCollector::run() {
    context_.showBusyCursor(true);
    context_.animate(true);
    context_.clearDefaultButton();
    CommonReport report(context_);
    report.computerName = identity::computerName();
    if (policiesMode_) {
        // Writes its own trailer.
        writePoliciesReport(context_);
        context_.showBusyCursor(false);
        context_.animate(false);
        return;
    }
    if (!writeCommonReport(report, beforeRow)) return;
    sweepDue_ = report.sweepDue;
    context_.animate(false);
}
