// Prints the operating-system section as the report would show it, for the
// tests that run it under Wine's emulation of other Windows versions.
#include "collect/os_section.h"
#include "support/test_context.h"

#include <cstdio>

int main() {
    TestContext context;
    const bool newer = writeOperatingSystemSection(context);
    std::fwrite(context.report.data(), 1, context.report.size(), stdout);
    std::printf("\nnewerWindows=%d\n", newer ? 1 : 0);
    return 0;
}
