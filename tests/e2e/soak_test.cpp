// A hundred tasks in one Korvexer process: the current-config dump and App
// Paths in turn, every fifth one met by Clear right behind the tick that
// starts it (a dump is stopped on its way; App Paths runs on the window's
// thread, so Clear empties its finished report). What the process holds after
// the last task may exceed what it held after the first one only by a small
// fixed margin; a leak of one handle, window or a few kilobytes per task adds
// up far beyond it. Handles are counted from the system's handle table where
// GetProcessHandleCount answers 0 (Wine), windows stand in for USER objects
// where GetGuiResources is a stub (Wine, which has no GDI count either).
#include "automation.h"
#include "process_counters.h"
#include "resources/resource.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

using automation::App;
using automation::waitUntil;

constexpr int kTasks = 100;
// Room for what a process settles into after its first tasks (heap pages, a
// handle the system caches) but not for a leak of one object per halted
// dump (ten of them), nor of 6 KB per task. Under Wine the figures after
// task 1 and task 100 were equal for handles and windows and 32 KB apart
// for memory.
constexpr uint64_t kHandleMargin = 3;
constexpr uint64_t kGuiMargin = 3;
constexpr uint64_t kPrivateBytesMargin = 512u * 1024;

const char* const kAppPathsStart = " Microsoft Windows Application Path - keys and values from Registry:";

bool reportComplete(const App& app, const std::string& start) {
    const std::string view = app.text(IDC_REPORT_VIEW);
    const size_t trailer = view.rfind("Korvexer.exe -> ");
    return view.rfind(start, 0) == 0 && trailer != std::string::npos &&
           view.find("\r\n", trailer) == view.size() - 2 && app.text(IDC_STATUS_LINE) == " ";
}

struct Soak : ::testing::Test {
    TempDir work;
    App app{work.path()};
    HANDLE process = nullptr;

    void SetUp() override {
        ASSERT_TRUE(automation::readyForCommands(app));
        process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, app.processId());
        ASSERT_NE(process, nullptr);
    }
    void TearDown() override {
        if (process != nullptr) CloseHandle(process);
    }

    // Runs one task to its end; true when it ended as it should.
    // Dumps and App Paths in turn, Clear right behind the start of every
    // fifth; the first and the last task are whole dumps, so both readings
    // are taken with the same kind of report in the view.
    bool runTask(int index) {
        const bool dump = index % 2 == 0 || index == kTasks - 1;
        const int button = dump ? IDC_HKCC : IDC_APP_PATHS;
        // With the task driver held, an accepted command shows its header and
        // nothing starts yet; a stopped worker on its way out refuses it for
        // a moment, so the press is repeated until it is taken.
        app.holdTicks(true);
        const bool accepted = waitUntil(
            [&] {
                app.press(button);
                return app.text(IDC_REPORT_VIEW).rfind("Getting ", 0) == 0;
            },
            20000);
        const bool cleared = index % 5 == 2;
        if (accepted && cleared) {
            // The tick that starts the task, and right behind it Clear. All
            // three queued: a tick posted while the driver is held would be
            // taken up (and dropped) at once, and Clear would then only
            // withdraw a request that never started.
            app.postHoldTicks(false);
            app.postTick();
            app.postPress(IDC_CLEAR);
        } else {
            app.holdTicks(false);
        }
        if (!accepted) return false;
        if (cleared) {
            return waitUntil(
                [&] {
                    const std::string view = app.text(IDC_REPORT_VIEW);
                    // Clear's empty view exactly: nothing writes to it after a Clear.
                    return view == "\r\n\r\n " && app.text(IDC_STATUS_LINE) == " " &&
                           automation::countWorkFiles(work.path()) == 0;
                },
                60000);
        }
        if (dump) return automation::waitForHiveResult(app, "HKEY_CURRENT_CONFIG", 60000);
        return waitUntil([&] { return reportComplete(app, kAppPathsStart); }, 120000);
    }
};

TEST_F(Soak, AHundredTasksLeaveNoGrowingHandlesWindowsOrMemory) {
    automation::ProcessCounts first;
    const DWORD started = GetTickCount();
    for (int i = 0; i < kTasks; ++i) {
        ASSERT_TRUE(runTask(i)) << "task " << i + 1 << ": view \"" << app.text(IDC_REPORT_VIEW).substr(0, 300)
                                << "\" status \"" << app.text(IDC_STATUS_LINE) << "\"";
        if (i == 0) first = automation::readProcessCounts(process, app.processId());
    }
    // Runner children and their files are gone between tasks.
    EXPECT_TRUE(waitUntil([&] { return automation::descendantProcesses(app.processId()).empty(); }, 15000));
    EXPECT_EQ(automation::countWorkFiles(work.path()), 0);
    const automation::ProcessCounts last = automation::readProcessCounts(process, app.processId());
    std::printf("soak: %d tasks in %lu s\nafter task 1:\n%safter task %d:\n%s", kTasks,
                static_cast<unsigned long>((GetTickCount() - started) / 1000),
                automation::describe(first).c_str(), kTasks, automation::describe(last).c_str());

    ASSERT_TRUE(first.handles.known && last.handles.known) << "no handle count from this system";
    ASSERT_TRUE(first.privateBytes.known && last.privateBytes.known) << "no memory figures from this system";
    const struct {
        const char* name;
        const automation::Count& before;
        const automation::Count& after;
        uint64_t margin;
    } rows[] = {{"handles", first.handles, last.handles, kHandleMargin},
                {"GDI objects", first.gdiObjects, last.gdiObjects, kGuiMargin},
                {"USER objects", first.userObjects, last.userObjects, kGuiMargin},
                {"private bytes", first.privateBytes, last.privateBytes, kPrivateBytesMargin}};
    for (const auto& row : rows) {
        if (!row.before.known || !row.after.known) {
            // Wine reports no GDI count from outside a process: said, not passed over silently.
            std::printf("soak: %s not reported by this system, not compared\n", row.name);
            continue;
        }
        EXPECT_LE(row.after.value, row.before.value + row.margin)
            << row.name << " grew from " << row.before.value << " to " << row.after.value;
    }
}

} // namespace
