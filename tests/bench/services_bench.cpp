// The whole Services report under Wine, as the worker writes it: the services
// key dump into a stand-in for its work file, shown whole in a visible edit
// control, then the service script through the real runner with its output
// appended to the view. Prints the wall time and the time of the view-mode
// appends against one WM_SETTEXT of the same final text; asserts nothing.
#include "app/edit_view.h"
#include "report/task_context.h"
#include "report/text_format.h"
#include "runner/command_runner.h"
#include "services/services_report.h"

#include "bench_support.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

double seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

class NoStatus : public StatusDisplay {
  public:
    void setStatus(std::string_view) override {}
    void repaint() override {}
};

class BenchContext : public TaskContext {
  public:
    explicit BenchContext(EditReportView& view) : view_(view), runner_(*this) {}

    Clock::duration appendTime{};
    int appends = 0;
    Clock::duration showTime{};
    size_t fileBytes = 0;

    void write(std::string_view text) override {
        if (inFile_) {
            // The work file's bytes: each "\n" on disk as a text stream writes "\r\n".
            file_ += expandLineFeeds(expandLineFeeds(text));
            return;
        }
        const auto start = Clock::now();
        view_.append(expandLineFeeds(text));
        pumpMessages();
        appendTime += Clock::now() - start;
        ++appends;
    }
    bool haltRequested() const override { return false; }
    void progress() override {}
    void animate(bool) override {}
    StatusDisplay& status() override { return status_; }
    void showLive(std::string_view) override {}
    std::string taskHeader() const override { return {}; }
    CommandRunner& runner() override { return runner_; }
    void tell(const std::string& text, const std::string& title) override {
        std::printf("message: %s / %s\n", title.c_str(), text.c_str());
    }
    bool ask(const std::string&, const std::string&) override { return false; }

    bool beginReportFile() override {
        inFile_ = true;
        return true;
    }
    FileShown showReportFile(std::string_view lead) override {
        inFile_ = false;
        fileBytes = file_.size();
        const auto start = Clock::now();
        view_.setWholeText(std::string(lead) + file_);
        pumpMessages();
        showTime = Clock::now() - start;
        return FileShown::Shown;
    }
    void dropReportFile() override { inFile_ = false; }

    // What is still gathered goes to the control (the window's timer does it in the program).
    void finish() {
        const auto start = Clock::now();
        view_.flush();
        pumpMessages();
        appendTime += Clock::now() - start;
    }

  private:
    EditReportView& view_;
    ProcessRunner runner_;
    NoStatus status_;
    bool inFile_ = false;
    std::string file_;
};

HWND makeEdit() {
    return CreateWindowExA(0, "EDIT", "",
                           WS_POPUP | WS_VISIBLE | ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL |
                               WS_VSCROLL | WS_HSCROLL | ES_READONLY,
                           0, 0, 600, 400, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
}

} // namespace

int main() {
    HKEY services = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services", 0, KEY_READ, &services) !=
        ERROR_SUCCESS) {
        std::printf("no services key\n");
        return 0;
    }
    HWND edit = makeEdit();
    if (edit == nullptr) {
        std::printf("no window (no display?)\n");
        return 0;
    }
    EditReportView view;
    view.attach(edit);
    BenchContext context(view);
    const auto start = Clock::now();
    writeServicesReport(context, services);
    context.finish();
    const double wall = seconds(Clock::now() - start);
    RegCloseKey(services);

    const std::string whole = view.text();
    std::printf("services report: %.2f s wall, %zu bytes in the view (key dump %zu bytes shown in %.3f s)\n",
                wall, whole.size(), context.fileBytes, seconds(context.showTime));
    const double appendSeconds = seconds(context.appendTime);
    std::printf("view-mode appends of the script output: %d appends in %.3f s\n", context.appends,
                appendSeconds);

    HWND other = makeEdit();
    EditReportView fresh;
    fresh.attach(other);
    const auto setStart = Clock::now();
    fresh.setWholeText(whole);
    pumpMessages();
    const double setSeconds = seconds(Clock::now() - setStart);
    std::printf("one WM_SETTEXT of the same final %zu bytes: %.3f s; appends / set = %.2f\n", whole.size(),
                setSeconds, setSeconds > 0 ? appendSeconds / setSeconds : 0.0);
    DestroyWindow(other);
    DestroyWindow(edit);
    return 0;
}
