// Prints the operating-system section as the report would show it, for the
// tests that run it under Wine's emulation of other Windows versions.
#include "collect/os_section.h"
#include "report/report_writer.h"

#include <cstdio>

namespace {

class MemoryView : public ReportView {
public:
    std::string content;
    std::string text() const override { return content; }
    void setText(std::string_view t) override { content = t; }
    size_t append(std::string_view t) override {
        content += t;
        return content.size();
    }
    void insertAtEnd(std::string_view t) override { content += t; }
};

}  // namespace

int main() {
    MemoryView view;
    ReportState state;
    state.view = &view;
    const bool newer = writeOperatingSystemSection(state, [] { return true; });
    std::fwrite(view.content.data(), 1, view.content.size(), stdout);
    std::printf("\nnewerWindows=%d\n", newer ? 1 : 0);
    return 0;
}
