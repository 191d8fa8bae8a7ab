// Wall times of two reports. Policies: the .inf scan over a copy of the
// Windows folder's .inf files plus 2,000 planted files of 50 KB each (the
// report written to a work file, as on the collector's thread), against
// reading a sample of the same files one byte per call. App Paths: the whole
// report into a visible edit control, with the share of the time spent in
// view appends (1,000 entries planted in the App Paths key by default).
// Prints figures; asserts nothing.
#include "app/edit_view.h"
#include "collect/app_paths.h"
#include "collect/policies_report.h"
#include "report/report_writer.h"
#include "report/task_context.h"
#include "runner/command_runner.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

double seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

class NoStatus : public StatusDisplay {
  public:
    void setStatus(std::string_view) override {}
    void repaint() override {}
};

// A task context over the report writer's state; write() is timed.
class BenchContext : public TaskContext {
  public:
    explicit BenchContext(ReportState& state) : state_(state), runner_(*this) {}
    double writeSeconds = 0;
    long writes = 0;
    void write(std::string_view text) override {
        const auto start = Clock::now();
        reportWrite(state_, text);
        writeSeconds += seconds(start);
        ++writes;
    }
    bool haltRequested() const override { return false; }
    void progress() override {}
    void animate(bool) override {}
    StatusDisplay& status() override { return status_; }
    void showLive(std::string_view) override {}
    std::string taskHeader() const override { return {}; }
    CommandRunner& runner() override { return runner_; }
    void tell(const std::string&, const std::string&) override {}
    bool ask(const std::string&, const std::string&) override { return false; }

  private:
    ReportState& state_;
    NoStatus status_;
    ProcessRunner runner_;
};

std::string tempFolder(const char* name) {
    char dir[MAX_PATH + 1] = {};
    GetTempPathA(MAX_PATH, dir);
    std::string path = std::string(dir) + name + std::to_string(GetCurrentProcessId()) + "\\";
    CreateDirectoryA(path.c_str(), nullptr);
    return path;
}

void writeFile(const std::string& path, const std::string& bytes) {
    HANDLE file =
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

// Removes the folder's files and the folder.
void removeFolder(const std::string& folder) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                DeleteFileA((folder + data.cFileName).c_str());
        } while (FindNextFileA(find, &data));
        FindClose(find);
    }
    RemoveDirectoryA(folder.c_str());
}

// A planted .inf file of about `bytes` bytes: sections, registry lines, a few policy lines.
std::string plantedInf(int index, size_t bytes) {
    std::string text = "[Version]\r\nSignature=\"$Windows NT$\"\r\n";
    for (int line = 0; text.size() < bytes; ++line) {
        if (line % 40 == 0) text += "\r\n[Section" + std::to_string(line) + "]\r\n";
        if (line % 97 == 0)
            text += "HKLM\\Software\\Policies\\Bench" + std::to_string(index) + "\\Key" +
                    std::to_string(line) + "=1 ; planted\r\n";
        else
            text += "HKLM,\"Software\\Vendor\\Product\\Component" + std::to_string(line) +
                    "\",\"Value\",0x00010001,\t1 ; a comment\r\n";
    }
    return text;
}

// Reads the folder's .inf files one byte per call, up to `limit` files; the total bytes read.
long long readByteByByte(const std::string& folder, int limit, int& files) {
    long long total = 0;
    files = 0;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "*.inf").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return 0;
    do {
        HANDLE file = CreateFileA((folder + data.cFileName).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) continue;
        char byte;
        DWORD got = 0;
        while (ReadFile(file, &byte, 1, &got, nullptr) && got == 1)
            ++total;
        CloseHandle(file);
        ++files;
    } while (files < limit && FindNextFileA(find, &data));
    FindClose(find);
    return total;
}

void benchPolicies(int planted, size_t plantedBytes, int byteSample) {
    const std::string folder = tempFolder("korvexer_inf_bench_");
    char windows[MAX_PATH + 1] = {};
    GetWindowsDirectoryA(windows, MAX_PATH);
    const std::string systemInf = std::string(windows) + "\\inf\\";
    int copied = 0;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((systemInf + "*.inf").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            if (CopyFileA((systemInf + data.cFileName).c_str(), (folder + data.cFileName).c_str(), FALSE))
                ++copied;
        } while (FindNextFileA(find, &data));
        FindClose(find);
    }
    for (int i = 0; i < planted; ++i)
        writeFile(folder + "planted" + std::to_string(i) + ".inf", plantedInf(i, plantedBytes));

    const std::string reportPath = folder + "report.txt";
    ReportState state;
    state.collectorRunning = 1;
    state.reportPath.set(reportPath);
    BenchContext context(state);
    auto start = Clock::now();
    writePoliciesReport(context, folder);
    state.reportFile.close();
    const double scan = seconds(start);
    std::printf("policies report: %d files of the Windows folder + %d planted of %zu bytes: %.2f s "
                "(%ld writes, %.3f s in them)\n",
                copied, planted, plantedBytes, scan, context.writes, context.writeSeconds);
    DeleteFileA(reportPath.c_str());

    int sampled = 0;
    start = Clock::now();
    const long long bytes = readByteByByte(folder, byteSample, sampled);
    const double byByte = seconds(start);
    if (bytes > 0)
        std::printf("one byte per read: %d files, %lld bytes in %.2f s = %.2f us per byte; the whole folder "
                    "would take about %.0f s\n",
                    sampled, bytes, byByte, byByte * 1e6 / static_cast<double>(bytes),
                    byByte / static_cast<double>(bytes) *
                        (static_cast<double>(planted) * static_cast<double>(plantedBytes)));
    removeFolder(folder);
}

const char* const kAppPaths = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";

// Entries planted in the bench prefix's App Paths key (removed afterwards),
// so that the walk has something to write into the view.
void plantAppPaths(int count, bool plant) {
    for (int i = 0; i < count; ++i) {
        const std::string key = kAppPaths + std::string("korvexer_bench_") + std::to_string(i) + ".exe";
        if (!plant) {
            RegDeleteKeyA(HKEY_LOCAL_MACHINE, key.c_str());
            continue;
        }
        HKEY handle = nullptr;
        if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &handle,
                            nullptr) != ERROR_SUCCESS)
            continue;
        const std::string exe = "C:\\Program Files\\Bench Vendor\\Tool " + std::to_string(i) + "\\tool.exe";
        const std::string path = "C:\\Program Files\\Bench Vendor\\Tool " + std::to_string(i) + ";";
        RegSetValueExA(handle, "", 0, REG_SZ, reinterpret_cast<const BYTE*>(exe.c_str()),
                       static_cast<DWORD>(exe.size() + 1));
        RegSetValueExA(handle, "Path", 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                       static_cast<DWORD>(path.size() + 1));
        RegCloseKey(handle);
    }
}

void benchAppPaths(int plantedKeys, bool show) {
    plantAppPaths(plantedKeys, true);
    HWND edit = CreateWindowExA(0, "EDIT", "",
                                WS_POPUP | WS_VISIBLE | ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL |
                                    WS_VSCROLL | WS_HSCROLL | ES_READONLY,
                                0, 0, 400, 300, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (edit == nullptr) {
        plantAppPaths(plantedKeys, false);
        std::printf("app paths: no window (no display?)\n");
        return;
    }
    EditReportView view;
    view.attach(edit);
    view.setText(" ");
    ReportState state;
    state.view = &view;
    BenchContext context(state);
    const auto start = Clock::now();
    writeAppPathsReport(context);
    // The last gathered text reaches the control too: part of the appends.
    const auto flushStart = Clock::now();
    view.flush();
    context.writeSeconds += seconds(flushStart);
    const double total = seconds(start);
    plantAppPaths(plantedKeys, false);
    std::printf(
        "app paths report (%d planted App Paths entries): %zu characters in %.2f s; view appends %ld, "
        "%.3f s = %.1f %% of the time\n",
        plantedKeys, view.length(), total, context.writes, context.writeSeconds,
        100.0 * context.writeSeconds / total);
    if (show) std::printf("%s\n", view.text().c_str());
    DestroyWindow(edit);
}

} // namespace

int main(int argc, char** argv) {
    const int planted = argc > 1 ? std::atoi(argv[1]) : 2000;
    const size_t plantedBytes = argc > 2 ? static_cast<size_t>(std::atol(argv[2])) : 50 * 1024;
    const int byteSample = argc > 3 ? std::atoi(argv[3]) : 40;
    benchPolicies(planted, plantedBytes, byteSample);
    const int appPathsKeys = argc > 4 ? std::atoi(argv[4]) : 1000;
    // "show" as the fifth argument prints the App Paths report too.
    benchAppPaths(appPathsKeys, argc > 5 && std::string(argv[5]) == "show");
    return 0;
}
