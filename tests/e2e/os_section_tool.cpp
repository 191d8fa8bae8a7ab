// Prints the operating-system section as the report would show it, for the
// tests that run it under Wine's emulation of other Windows versions.
#include "collect/os_section.h"
#include "report/report_writer.h"
#include "support/fake_view.h"

#include <cstdio>

int main() {
    FakeView view;
    ReportState state;
    state.view = &view;
    const bool newer = writeOperatingSystemSection(state, [] { return true; });
    std::fwrite(view.content.data(), 1, view.content.size(), stdout);
    std::printf("\nnewerWindows=%d\n", newer ? 1 : 0);
    return 0;
}
