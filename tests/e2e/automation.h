// Drives a running Korvexer window from another process: finds it, presses
// its buttons, posts keys and reads its controls back.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace automation {

// Korvexer.exe beside the running test program's folder (build/tests/.. ).
std::string korvexerPath();

class App {
  public:
    // Starts the program with TEMP and TMP pointing at `workDir` when it is
    // given, and with the variables of `overrides` ("NAME=value") in place of
    // its own.
    explicit App(const std::string& workDir = {}, const std::vector<std::string>& overrides = {});
    ~App();
    App(const App&) = delete;
    App& operator=(const App&) = delete;

    bool started() const { return process_ != nullptr; }
    // Waits until the dialog is visible and its controls exist.
    HWND waitForWindow(int timeoutMs = 20000);
    HWND window() const { return window_; }
    HWND control(int id) const { return GetDlgItem(window_, id); }

    // Presses a button and returns once the window has handled it.
    void press(int id, int timeoutMs = 30000);
    // Queues a press without waiting for it.
    void postPress(int id);
    void postKey(UINT vk);
    // Queues one tick of the task driver, as the window's timer would.
    void postTick();
    // Suspends or resumes the window's task driver (its timer ticks).
    void holdTicks(bool hold);
    // The same, queued behind what was posted before it.
    void postHoldTicks(bool hold);
    std::string text(int id) const;
    // Sets a control's text as typing it would (the search field).
    void setText(int id, const std::string& text) const;
    std::string className(int id) const;
    bool visible(int id) const;
    // The view's selection from EM_GETSEL's packed result: 16 bits of each offset.
    void selection(DWORD& start, DWORD& end) const;
    // The same with whole 32-bit offsets; false when the window did not answer.
    bool fullSelection(DWORD& start, DWORD& end) const;

    // Exit code once the process has ended, or STILL_ACTIVE after the timeout.
    DWORD waitForExit(int timeoutMs);

    // A message box of the program: a dialog of its own other than the main window.
    struct ShownMessage {
        HWND box = nullptr;
        std::string title;
        std::string text;
    };
    // The message box shown within the time, or one with box == nullptr.
    ShownMessage waitForMessageBox(int timeoutMs) const;
    // Presses the box's OK button.
    static void dismiss(const ShownMessage& box);
    // Beeps are not observable from here: a refused command is one that
    // changes neither the view nor the status line.
    bool pressChangesNothing(int id);
    DWORD processId() const { return pid_; }

  private:
    HANDLE process_ = nullptr;
    DWORD pid_ = 0;
    HWND window_ = nullptr;
};

// One run of the program from a command line: `arguments` after its name,
// TEMP and TMP at `workDir` when given. Standard output and error go to files
// in `outputDir` (helpers a report starts may outlive it and would hold a
// pipe open), read back once the program has ended.
struct CommandRun {
    DWORD exitCode = STILL_ACTIVE; // STILL_ACTIVE: it did not end within the time
    std::string out;
    std::string err;
};
// `overrides` as for App ("NAME=value", or "NAME" alone to leave it out);
// `currentDir` empty: the test's own; `program` empty: korvexerPath().
CommandRun runCommandLine(const std::string& arguments, const std::string& workDir,
                          const std::string& outputDir, int timeoutMs = 240000,
                          const std::vector<std::string>& overrides = {}, const std::string& currentDir = {},
                          const std::string& program = {});

// The program started, its window is up and its first tick has shown the
// welcome text: commands pressed from now on are taken up by the task driver.
bool readyForCommands(App& app);

// Polls `condition` every 20 ms until it holds or the time is up.
bool waitUntil(const std::function<bool()>& condition, int timeoutMs);

// Where `pattern` occurs in `text`, ignoring the case of ASCII letters as
// Find does; overlapping occurrences each count.
std::vector<DWORD> matchOffsets(const std::string& text, const std::string& pattern);

// Work files of the program left in a directory.
int countWorkFiles(const std::string& dir);

// The path of the task report work file in `dir` (not the keys list, not the
// runner's files), or empty when there is none.
std::string reportWorkFile(const std::string& dir);
LONGLONG fileSize(const std::string& path);
// A file's bytes, read without keeping its writer or a delete from it.
std::string readShared(const std::string& path);

// True once a hive dump's result is what the view shows: "<hive> Registry:"
// and an empty line, the dump, the report trailer at its very end; and the
// status line is blank again.
bool hiveResultShown(const App& app, const std::string& hive);
bool waitForHiveResult(const App& app, const std::string& hive, int timeoutMs = 120000);

// Running processes started by `pid`, by their children and so on (Wine's WMI
// surrogate left out: the system's helper, which Wine never ends).
std::vector<DWORD> descendantProcesses(DWORD pid);
// The names of the processes `pids` names that still run, each after a blank (for messages).
std::string processNames(const std::vector<DWORD>& pids);

} // namespace automation
