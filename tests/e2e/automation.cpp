#include "automation.h"

#include "resources/resource.h"

#include <tlhelp32.h>

#include <cctype>
#include <map>
#include <set>
#include <vector>

namespace automation {

std::string korvexerPath() {
    char self[MAX_PATH + 1] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string path = self;
    path = path.substr(0, path.find_last_of('\\')); // .../tests
    path = path.substr(0, path.find_last_of('\\')); // build directory
    return path + "\\Korvexer.exe";
}

namespace {

// `assignment`: "NAME=value", or "NAME" alone for a variable the child goes without.
bool sameVariable(const char* entry, const std::string& assignment) {
    const std::string name = assignment.substr(0, assignment.find('=')) + "=";
    return _strnicmp(entry, name.c_str(), name.size()) == 0;
}

std::vector<char> environmentWith(const std::string& workDir, const std::vector<std::string>& overrides) {
    std::vector<std::string> added = overrides;
    if (!workDir.empty()) {
        added.push_back("TEMP=" + workDir);
        added.push_back("TMP=" + workDir);
    }
    std::vector<char> block;
    LPCH env = GetEnvironmentStringsA();
    for (LPCH p = env; *p != '\0'; p += lstrlenA(p) + 1) {
        bool replaced = false;
        for (const std::string& assignment : added)
            replaced = replaced || sameVariable(p, assignment);
        if (replaced) continue;
        block.insert(block.end(), p, p + lstrlenA(p) + 1);
    }
    FreeEnvironmentStringsA(env);
    for (const std::string& assignment : added)
        if (assignment.find('=') != std::string::npos)
            block.insert(block.end(), assignment.c_str(), assignment.c_str() + assignment.size() + 1);
    block.push_back('\0');
    return block;
}

struct FindContext {
    DWORD pid;
    HWND found;
};

BOOL CALLBACK findTop(HWND hwnd, LPARAM lParam) {
    auto* ctx = reinterpret_cast<FindContext*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != ctx->pid) return TRUE;
    char caption[256] = {};
    GetWindowTextA(hwnd, caption, sizeof caption);
    if (strncmp(caption, "Korvexer -> ", 12) != 0) return TRUE;
    ctx->found = hwnd;
    return FALSE;
}

} // namespace

namespace {

HANDLE inheritableFile(const std::string& path) {
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    return CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

} // namespace

std::string readShared(const std::string& path) {
    HANDLE file =
        CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    std::string out;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
        out.append(buffer, got);
    CloseHandle(file);
    return out;
}

CommandRun runCommandLine(const std::string& arguments, const std::string& workDir,
                          const std::string& outputDir, int timeoutMs,
                          const std::vector<std::string>& overrides, const std::string& currentDir,
                          const std::string& program) {
    CommandRun run;
    const std::string outPath = outputDir + "korvexer-stdout.txt";
    const std::string errPath = outputDir + "korvexer-stderr.txt";
    HANDLE out = inheritableFile(outPath);
    HANDLE err = inheritableFile(errPath);
    std::string command = "\"" + (program.empty() ? korvexerPath() : program) + "\" " + arguments;
    std::vector<char> env = environmentWith(workDir, overrides);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = nullptr;
    si.hStdOutput = out;
    si.hStdError = err;
    PROCESS_INFORMATION pi{};
    const BOOL started = CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, env.data(),
                                        currentDir.empty() ? nullptr : currentDir.c_str(), &si, &pi);
    CloseHandle(out);
    CloseHandle(err);
    if (!started) return run;
    CloseHandle(pi.hThread);
    if (WaitForSingleObject(pi.hProcess, static_cast<DWORD>(timeoutMs)) == WAIT_OBJECT_0) {
        GetExitCodeProcess(pi.hProcess, &run.exitCode);
    } else {
        TerminateProcess(pi.hProcess, 99);
        WaitForSingleObject(pi.hProcess, 5000);
    }
    CloseHandle(pi.hProcess);
    run.out = readShared(outPath);
    run.err = readShared(errPath);
    return run;
}

App::App(const std::string& workDir, const std::vector<std::string>& overrides) {
    std::string command = "\"" + korvexerPath() + "\"";
    std::vector<char> env = environmentWith(workDir, overrides);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, env.data(), nullptr, &si, &pi)) {
        CloseHandle(pi.hThread);
        process_ = pi.hProcess;
        pid_ = pi.dwProcessId;
    }
}

App::~App() {
    if (process_ != nullptr) {
        if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
            TerminateProcess(process_, 99);
            WaitForSingleObject(process_, 5000);
        }
        CloseHandle(process_);
    }
}

HWND App::waitForWindow(int timeoutMs) {
    waitUntil(
        [this] {
            FindContext ctx{pid_, nullptr};
            EnumWindows(findTop, reinterpret_cast<LPARAM>(&ctx));
            if (ctx.found != nullptr && IsWindowVisible(ctx.found) &&
                GetDlgItem(ctx.found, 1000) != nullptr && GetDlgItem(ctx.found, 1300) != nullptr) {
                window_ = ctx.found;
                return true;
            }
            return false;
        },
        timeoutMs);
    return window_;
}

void App::press(int id, int timeoutMs) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(window_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                        reinterpret_cast<LPARAM>(control(id)), SMTO_NORMAL, static_cast<UINT>(timeoutMs),
                        &result);
}

void App::postPress(int id) {
    PostMessageA(window_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(control(id)));
}

void App::holdTicks(bool hold) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(window_, RegisterWindowMessageA("Korvexer.HoldTicks"), hold ? 1 : 0, 0, SMTO_NORMAL,
                        10000, &result);
}

void App::postHoldTicks(bool hold) {
    PostMessageA(window_, RegisterWindowMessageA("Korvexer.HoldTicks"), hold ? 1 : 0, 0);
}

void App::postTick() {
    PostMessageA(window_, WM_TIMER, 1, 0);
}

void App::postKey(UINT vk) {
    PostMessageA(window_, WM_KEYDOWN, vk, 1);
    PostMessageA(window_, WM_KEYUP, vk, 0xC0000001);
}

std::string App::text(int id) const {
    HWND c = control(id);
    if (c == nullptr) return "<no control>";
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(c, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, 10000, &length)) return "<no answer>";
    std::string out(length + 1, '\0');
    DWORD_PTR got = 0;
    SendMessageTimeoutA(c, WM_GETTEXT, out.size(), reinterpret_cast<LPARAM>(out.data()), SMTO_NORMAL, 10000,
                        &got);
    out.resize(got);
    return out;
}

void App::setText(int id, const std::string& text) const {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(control(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_NORMAL,
                        10000, &result);
}

std::string App::className(int id) const {
    char name[128] = {};
    GetClassNameA(control(id), name, sizeof name);
    return name;
}

bool App::visible(int id) const {
    return IsWindowVisible(control(id)) != 0;
}

void App::selection(DWORD& start, DWORD& end) const {
    DWORD_PTR packed = 0;
    SendMessageTimeoutA(control(1000), EM_GETSEL, 0, 0, SMTO_NORMAL, 10000, &packed);
    start = LOWORD(packed);
    end = HIWORD(packed);
}

bool App::fullSelection(DWORD& start, DWORD& end) const {
    // EM_GETSEL is one of the system's own messages whose pointers the
    // message layer carries to the other process and back (Wine does, as
    // Windows does): our own variables receive the offsets. Values no offset
    // can take tell an answer that never filled them in.
    start = end = 0xFFFFFFFF;
    DWORD_PTR packed = 0;
    if (!SendMessageTimeoutA(control(1000), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                             reinterpret_cast<LPARAM>(&end), SMTO_NORMAL, 10000, &packed))
        return false;
    return start != 0xFFFFFFFF && end != 0xFFFFFFFF;
}

DWORD App::waitForExit(int timeoutMs) {
    if (process_ == nullptr) return STILL_ACTIVE;
    if (WaitForSingleObject(process_, static_cast<DWORD>(timeoutMs)) != WAIT_OBJECT_0) return STILL_ACTIVE;
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process_, &code);
    return code;
}

namespace {

struct BoxSearch {
    DWORD pid;
    HWND main;
    HWND found;
};

BOOL CALLBACK findBox(HWND hwnd, LPARAM lParam) {
    auto* search = reinterpret_cast<BoxSearch*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != search->pid || hwnd == search->main || !IsWindowVisible(hwnd)) return TRUE;
    char cls[64] = {};
    GetClassNameA(hwnd, cls, sizeof cls);
    if (strcmp(cls, "#32770") != 0) return TRUE;
    search->found = hwnd;
    return FALSE;
}

std::string windowText(HWND hwnd) {
    if (hwnd == nullptr) return {};
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, 10000, &length)) return {};
    std::string out(length + 1, '\0');
    DWORD_PTR got = 0;
    SendMessageTimeoutA(hwnd, WM_GETTEXT, out.size(), reinterpret_cast<LPARAM>(out.data()), SMTO_NORMAL,
                        10000, &got);
    out.resize(got);
    return out;
}

} // namespace

App::ShownMessage App::waitForMessageBox(int timeoutMs) const {
    ShownMessage result;
    waitUntil(
        [&] {
            BoxSearch search{pid_, window_, nullptr};
            EnumWindows(findBox, reinterpret_cast<LPARAM>(&search));
            result.box = search.found;
            return result.box != nullptr;
        },
        timeoutMs);
    if (result.box != nullptr) {
        result.title = windowText(result.box);
        result.text = windowText(GetDlgItem(result.box, 0xFFFF)); // the message's static text
    }
    return result;
}

void App::dismiss(const ShownMessage& box) {
    if (box.box != nullptr) PostMessageA(box.box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

bool App::pressChangesNothing(int id) {
    const std::string view = text(1000);
    const std::string status = text(1300);
    press(id);
    return text(1000) == view && text(1300) == status;
}

bool readyForCommands(App& app) {
    return app.started() && app.waitForWindow() != nullptr &&
           waitUntil([&] { return app.text(IDC_REPORT_VIEW).rfind("Korvexer.exe", 0) == 0; }, 10000);
}

bool waitUntil(const std::function<bool()>& condition, int timeoutMs) {
    const DWORD start = GetTickCount();
    while (true) {
        if (condition()) return true;
        if (GetTickCount() - start > static_cast<DWORD>(timeoutMs)) return false;
        Sleep(20);
    }
}

std::vector<DWORD> matchOffsets(const std::string& text, const std::string& pattern) {
    const auto lower = [](std::string s) {
        for (char& c : s)
            c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
        return s;
    };
    const std::string haystack = lower(text);
    const std::string needle = lower(pattern);
    std::vector<DWORD> at;
    if (needle.empty()) return at;
    for (size_t p = haystack.find(needle); p != std::string::npos; p = haystack.find(needle, p + 1))
        at.push_back(static_cast<DWORD>(p));
    return at;
}

int countWorkFiles(const std::string& dir) {
    int count = 0;
    for (const char* pattern : {"Korvexer_work_file*", "korvexDlg32_*"}) {
        WIN32_FIND_DATAA data;
        HANDLE find = FindFirstFileA((dir + pattern).c_str(), &data);
        if (find == INVALID_HANDLE_VALUE) continue;
        do {
            ++count;
        } while (FindNextFileA(find, &data));
        FindClose(find);
    }
    return count;
}

std::string processNames(const std::vector<DWORD>& pids) {
    std::string names;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return names;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
        for (DWORD pid : pids)
            if (entry.th32ProcessID == pid) names += std::string(" ") + entry.szExeFile;
    CloseHandle(snapshot);
    return names;
}

} // namespace automation

namespace automation {

std::string reportWorkFile(const std::string& dir) {
    std::string found;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((dir + "Korvexer_work_file*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return found;
    do {
        const std::string name = data.cFileName;
        if (name.size() > 4 && name.compare(name.size() - 4, 4, ".txt") == 0) found = dir + name;
    } while (found.empty() && FindNextFileA(find, &data));
    FindClose(find);
    return found;
}

LONGLONG fileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    return (static_cast<LONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool hiveResultShown(const App& app, const std::string& hive) {
    const std::string view = app.text(1000);
    const std::string header = hive + " Registry:\r\n\r\n";
    const std::string closing = std::string(75, '=') + "\r\nKorvexer.exe -> ";
    const size_t trailer = view.rfind(closing);
    return view.rfind(header, 0) == 0 && trailer != std::string::npos &&
           view.find("\r\n", trailer + closing.size()) == view.size() - 2 && app.text(1300) == " ";
}

bool waitForHiveResult(const App& app, const std::string& hive, int timeoutMs) {
    return waitUntil([&] { return hiveResultShown(app, hive); }, timeoutMs);
}

namespace {

// When the process was created, or 0 when it cannot be asked.
ULONGLONG creationTime(DWORD pid) {
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, pid);
    if (process == nullptr) return 0;
    FILETIME created{}, exited{}, kernel{}, user{};
    const BOOL known = GetProcessTimes(process, &created, &exited, &kernel, &user);
    CloseHandle(process);
    return known ? (static_cast<ULONGLONG>(created.dwHighDateTime) << 32) | created.dwLowDateTime : 0;
}

// A process names its parent by id only, and ids are reused: one left over
// from an earlier test whose parent has ended can name an id that the
// program under test holds now. A child is never older than its parent.
bool startedBy(DWORD child, DWORD parent) {
    const ULONGLONG childCreated = creationTime(child);
    const ULONGLONG parentCreated = creationTime(parent);
    return childCreated == 0 || parentCreated == 0 || childCreated >= parentCreated;
}

} // namespace

std::vector<DWORD> descendantProcesses(DWORD pid) {
    std::multimap<DWORD, DWORD> children;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return {};
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        // Wine's WMI surrogate: started on demand from the script host that
        // made a query and never ended by Wine, so it can outlive a script
        // host a halt has ended. It is the system's helper, not a child of the
        // report (Windows runs its providers as services of its own), and the
        // harness ends it after each test program.
        if (lstrcmpiA(entry.szExeFile, "dllhost.exe") == 0) continue;
        if (entry.th32ProcessID != entry.th32ParentProcessID)
            children.emplace(entry.th32ParentProcessID, entry.th32ProcessID);
    }
    CloseHandle(snapshot);
    std::vector<DWORD> found;
    std::set<DWORD> seen{pid}; // ids are reused: a cycle must not loop
    std::vector<DWORD> pending{pid};
    while (!pending.empty()) {
        const DWORD parent = pending.back();
        pending.pop_back();
        for (auto [it, end] = children.equal_range(parent); it != end; ++it) {
            if (!startedBy(it->second, parent) || !seen.insert(it->second).second) continue;
            found.push_back(it->second);
            pending.push_back(it->second);
        }
    }
    return found;
}

} // namespace automation
