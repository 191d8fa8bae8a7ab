// What users do in a row, in one program: tasks cleared right after their
// start, on their way and while their result is loaded, each followed by a
// task that must end in its trailer; tasks back to back; Find and F3 in
// between; Close at the end. And a seeded random run of the same commands
// that checks after every step what must always hold: the view is empty, a
// live text of the running task or its whole report; an idle window has a
// blank status line and no work file; the next command runs.
//
// The random run takes its seed and length from KORVEXER_SEQUENCE_SEED and
// KORVEXER_SEQUENCE_STEPS (tests/e2e/sequence.sh SEED STEPS sets both); the
// seed is printed at its start and with every failure.
#include "automation.h"
#include "report/report_trailer.h"
#include "resources/resource.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

using automation::App;
using ::testing::AssertionFailure;
using ::testing::AssertionResult;
using ::testing::AssertionSuccess;

const char* const kCleared = "\r\n\r\n ";
const char* const kWelcome =
    "Korvexer.exe -> Displays your Windows environment and variables.\r\n\r\n\r\nVersion: 1.1.00\r\n\r\n\r\n";
// The status text the common report's command sets; every later frame of
// the task ends in a blank.
const char* const kAcceptedStatus = "Working .. please Wait";
// The hive-dump worker's last status text: its dump is complete and waits for the task driver.
const char* const kDumpDoneStatus = "Working .. please Wait ";
// The Services report has no trailer: its script's list of service processes comes last.
const char* const kServicesLastSection = "Running Service Processes:";

// Bounds, not expectations: the slowest run seen here took a fraction of each.
constexpr int kAcceptMs = 60000;    // a refused command is taken once the task before has ended
constexpr int kSettleMs = 15000;    // a halted task's worker ends and its files go
constexpr int kLongTaskMs = 180000; // the common report and the large hives
constexpr int kShortTaskMs = 90000;

struct Task {
    int id;
    const char* name;
    // The view once the command is taken; nullptr: it keeps what it showed
    // until the task driver's tick puts `heading` there.
    const char* header;
    const char* heading;
    // How the whole report begins; nullptr: it has no fixed start (Internet
    // Explorer: a report that ends in the trailer and is none of the others').
    const char* reportStart;
    // About how long a whole run takes here: Clear's moments are picked within it.
    int typicalMs;
    int timeoutMs;
};

const Task kTasks[] = {
    {IDC_COMMON_ENV, "Get common Windows Environment", nullptr,
     "\r\n\r\nGetting Common Windows Environment .. \r\n\r\n", "User / Windows Environment:\r", 6000,
     kLongTaskMs},
    {IDC_POLICIES, "Policies", "Getting policies ...........\r\n",
     "\r\n\r\nGetting policies data .. \r\n\r\n",
     "Windows system Policies config for the Windows Registration Database:\r", 150, kShortTaskMs},
    {IDC_SERVICES, "Services", "Getting Services ...........\r\n", nullptr,
     " Services in CurrentControlSet:\r\n", 1200, kShortTaskMs},
    {IDC_APP_PATHS, "App Paths", "Getting App Paths ...........\r\n", nullptr,
     " Microsoft Windows Application Path - keys and values from Registry:\r\n", 300, kShortTaskMs},
    {IDC_IE, "Internet Explorer", "Getting IE information ...........\r\n", nullptr, nullptr, 150,
     kShortTaskMs},
    {IDC_HKCR, "HKEY_CLASSES_ROOT", "Getting HKEY_CLASSES_ROOT Registry:\r\n", nullptr,
     "HKEY_CLASSES_ROOT Registry:\r\n\r\n", 1500, kLongTaskMs},
    {IDC_HKCU, "HKEY_CURRENT_USER", "Getting HKEY_CURRENT_USER Registry:\r\n", nullptr,
     "HKEY_CURRENT_USER Registry:\r\n\r\n", 300, kShortTaskMs},
    {IDC_HKLM, "HKEY_LOCAL_MACHINE", "Getting HKEY_LOCAL_MACHINE Registry:\r\n", nullptr,
     "HKEY_LOCAL_MACHINE Registry:\r\n\r\n", 2000, kLongTaskMs},
    {IDC_HKU, "HKEY_USERS", "Getting HKEY_USERS Registry: \r\n", nullptr, "HKEY_USERS Registry:\r\n\r\n", 300,
     kShortTaskMs},
    {IDC_HKCC, "HKEY_CURRENT_CONFIG", "Getting HKEY_CURRENT_CONFIG Registry: \r\n", nullptr,
     "HKEY_CURRENT_CONFIG Registry:\r\n\r\n", 150, kShortTaskMs},
};

const Task& task(int id) {
    for (const Task& t : kTasks)
        if (t.id == id) return t;
    return kTasks[0];
}

bool isHive(const Task& t) {
    return t.id >= IDC_HKCR && t.id <= IDC_HKCC;
}

bool startsWith(const std::string& text, const char* prefix) {
    return prefix != nullptr && text.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

// Reports from a work file show some line ends as CR CR LF (or with a third
// CR): compared with the trailer as plain CR LF.
std::string plainLineEnds(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == '\n')
            while (out.size() >= 2 && out.back() == '\r' && out[out.size() - 2] == '\r')
                out.pop_back();
        out += c;
    }
    return out;
}

bool endsWithTrailer(const std::string& view) {
    const std::string trailer = reportTrailer();
    const size_t from = view.size() > 2 * trailer.size() ? view.size() - 2 * trailer.size() : 0;
    const std::string tail = plainLineEnds(view.substr(from));
    return tail.size() >= trailer.size() &&
           tail.compare(tail.size() - trailer.size(), trailer.size(), trailer) == 0;
}

bool blank(const std::string& status) {
    return status == " " || status.empty();
}

// Whose whole report the view shows, or nullptr when it shows none.
const Task* reportOwner(const std::string& view) {
    for (const Task& t : kTasks)
        if (t.reportStart != nullptr && startsWith(view, t.reportStart)) return &t;
    if (endsWithTrailer(view)) return &task(IDC_IE);
    return nullptr;
}

std::string printable(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (static_cast<unsigned char>(c) < 32) {
            out += '?';
        } else {
            out += c;
        }
    }
    return out;
}

std::string lower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// Where a Clear meets a task.
enum class ClearAt {
    Start,     // right behind the tick that starts it (or, for Services and IE, the command)
    Midway,    // on its way: after `delayMs`
    FinalLoad, // the moment its result reaches the view (a dump: once its file is complete)
};

const char* describe(ClearAt at) {
    switch (at) {
    case ClearAt::Start:
        return "right after its start";
    case ClearAt::Midway:
        return "on its way";
    case ClearAt::FinalLoad:
        return "during its final load";
    }
    return "?";
}

class Session {
  public:
    explicit Session(unsigned seed = 0, bool random = false) : seed_(seed), random_(random) {}

    AssertionResult ready() {
        if (!automation::readyForCommands(app_)) return fail("the window never showed its welcome text");
        return AssertionSuccess();
    }

    // Runs a task command to its whole report.
    AssertionResult run(int id) {
        AssertionResult taken = start(id);
        if (!taken) return taken;
        return finish(id);
    }

    // Presses a task command. A task on its way out refuses it (the press
    // changes nothing); the press is repeated until taken, within a bound.
    // The window's ticks are held around each press, so what the command
    // itself did is what is read back.
    enum class Then {
        Release,         // the task driver goes on
        ClearBehindTick, // the tick that starts the task, and Clear right behind it
        Hold,            // the task driver stays held
    };
    AssertionResult start(int id, Then then = Then::Release) {
        const Task& t = task(id);
        const bool thenClear = then == Then::ClearBehindTick;
        note(std::string("press ") + t.name +
             (thenClear ? ", then Clear right behind the tick that starts it" : ""));
        const DWORD began = GetTickCount();
        DWORD refusedIdleSince = 0;
        int refused = 0;
        while (true) {
            app_.holdTicks(true);
            const std::string viewBefore = wholeView();
            const std::string statusBefore = app_.text(IDC_STATUS_LINE);
            app_.press(id);
            const std::string view = wholeView();
            const std::string status = app_.text(IDC_STATUS_LINE);
            // Services and Internet Explorer start their worker at once, and
            // it may have shown its report before the view is read back.
            const bool taken = t.header != nullptr
                                   ? (!startsWith(viewBefore, t.header) && startsWith(view, t.header)) ||
                                         (view != viewBefore && reportOwner(view) == &t)
                                   : statusBefore != kAcceptedStatus && status == kAcceptedStatus;
            if (taken) {
                current_ = &t;
                anyTaken_ = true;
                shownAtStart_ = viewBefore;
                headingSeen_ = false;
                idleLooking_ = false;
                if (thenClear) {
                    // Queued in this order: the driver let go, the tick that
                    // takes the request up, and right behind it Clear (the
                    // timer's own ticks only come when nothing is queued).
                    app_.postHoldTicks(false);
                    app_.postTick();
                    app_.postPress(IDC_CLEAR);
                } else if (then == Then::Release) {
                    app_.holdTicks(false);
                }
                if (refused > 0) note("  taken after " + std::to_string(refused) + " refused presses");
                if (thenClear) return settleAfterClear(true);
                return check("just taken");
            }
            app_.holdTicks(false);
            ++refused;
            AssertionResult seen = check("after a refused press");
            if (!seen) return seen;
            // The task before was seen to end (a blank status line, no work
            // file): a window that looks idle must take the command.
            if (idleLooking_ && blank(status)) {
                if (refusedIdleSince == 0) refusedIdleSince = GetTickCount();
                if (GetTickCount() - refusedIdleSince > 3000)
                    return fail(std::string(t.name) + " refused for 3 s by a window that looks idle");
            }
            if (GetTickCount() - began > static_cast<DWORD>(kAcceptMs))
                return fail(std::string(t.name) + " was never taken (" + std::to_string(refused) +
                            " presses)");
            Sleep(100);
        }
    }

    // Waits until the running task's whole report is shown and the status line is blank.
    AssertionResult finish(int id) {
        const Task& t = task(id);
        note(std::string("wait for the whole ") + t.name + " report");
        // A task that shows only its header, with a blank status line and no
        // work file, has not run and will not.
        DWORD stalledSince = 0;
        bool stalled = false;
        AssertionResult done = watch(
            [&] {
                const char* onlyText = t.header != nullptr ? t.header : t.heading;
                if (view_ != onlyText || !blank(status_) || automation::countWorkFiles(work_.path()) > 0) {
                    stalledSince = 0;
                } else if (stalledSince == 0) {
                    stalledSince = GetTickCount();
                }
                stalled = stalledSince != 0 && GetTickCount() - stalledSince > 5000;
                return stalled || (wholeShown(t) && blank(status_));
            },
            t.timeoutMs,
            std::string("the ") + t.name + " report never ended in its trailer with a blank status line");
        if (!done) return done;
        if (stalled)
            return fail(std::string("the ") + t.name +
                        " task shows its header and nothing more: it never ran");
        return idle();
    }

    // Waits only until the whole report is there: the next command comes
    // right behind it.
    AssertionResult untilShown(int id) {
        const Task& t = task(id);
        note(std::string("wait for the ") + t.name + " report to appear");
        return watch([&] { return wholeShown(t); }, t.timeoutMs,
                     std::string("the ") + t.name + " report never appeared whole");
    }

    // Starts a task and clears it at the given point; what follows must be
    // an empty view, a blank status line and no work file.
    AssertionResult clearTask(int id, ClearAt at, int delayMs = 0) {
        const Task& t = task(id);
        if (at == ClearAt::Start) return start(id, Then::ClearBehindTick);
        const bool beforeLoad = at == ClearAt::FinalLoad && isHive(t);
        AssertionResult taken = start(id, beforeLoad ? Then::Hold : Then::Release);
        if (!taken) return taken;
        if (at == ClearAt::Midway) {
            note("Clear " + std::string(describe(at)) + " after " + std::to_string(delayMs) + " ms");
            AssertionResult waited = watch([] { return false; }, delayMs, "", false);
            if (!waited) return waited;
            return clear();
        }
        if (beforeLoad) return clearDumpBeforeItsLoad(t);
        note(std::string("Clear posted ") + describe(at));
        AssertionResult reached =
            watch([&] { return finalLoadBegun(t); }, t.timeoutMs,
                  std::string("the ") + t.name + " report never reached its final load");
        if (!reached) return reached;
        // Posted: the window may answer a look at the view before it takes
        // the Clear, and until then the report it has just shown is its own.
        app_.postPress(IDC_CLEAR);
        return settleAfterClear(true);
    }

    // A finished dump is loaded by the task driver's next tick: with the
    // driver held again right after the tick that starts the dump (it is
    // held since the press), the worker ends, the dump waits whole in its
    // file, and Clear comes before the load.
    AssertionResult clearDumpBeforeItsLoad(const Task& t) {
        note("hold the task driver from the tick that starts the dump");
        app_.postHoldTicks(false);
        app_.postTick();
        app_.postHoldTicks(true);
        AssertionResult done = watch(
            [&] {
                const std::string file = automation::reportWorkFile(work_.path());
                return status_ == kDumpDoneStatus && !file.empty() && automation::fileSize(file) > 0;
            },
            t.timeoutMs, std::string("the ") + t.name + " dump never finished its file");
        if (!done) {
            app_.holdTicks(false);
            return done;
        }
        note("Clear before the tick that would load the finished dump");
        app_.press(IDC_CLEAR);
        app_.holdTicks(false);
        return settleAfterClear(true);
    }

    // Waits until the task's worker has its report work file.
    AssertionResult untilRunning() {
        note("wait for its work file");
        return watch([&] { return !automation::reportWorkFile(work_.path()).empty(); }, 30000,
                     "the task never made its work file");
    }

    // Clear, pressed now; the view shows Clear's text at once.
    AssertionResult clear() {
        note("Clear");
        const DWORD pressed = GetTickCount();
        app_.press(IDC_CLEAR);
        // Over two seconds: Clear found a task running and waited for it.
        note("  Clear returned after " + std::to_string(GetTickCount() - pressed) + " ms");
        current_ = nullptr;
        const std::string view = wholeView();
        if (view != kCleared) return fail("Clear left the view \"" + printable(view.substr(0, 200)) + "\"");
        return settleAfterClear(false);
    }

    // Find, a pattern typed into the search field and Search: the view
    // selects the pattern's first match after its first character. Refused
    // (the bar stays hidden) while no report is shown.
    AssertionResult find(const std::string& pattern) {
        note("Find \"" + pattern + "\"");
        const bool refused = current_ == nullptr;
        app_.press(IDC_FIND);
        if (refused) {
            if (app_.visible(IDC_SEARCH_FIELD)) return fail("Find showed the search bar over an empty view");
            return check("after a refused Find");
        }
        if (!app_.visible(IDC_SEARCH_FIELD) || app_.text(IDC_STATUS_LINE) != "Find Next:  F3")
            return fail("Find showed no search bar");
        DWORD_PTR r = 0;
        SendMessageTimeoutA(app_.control(IDC_SEARCH_FIELD), WM_SETTEXT, 0,
                            reinterpret_cast<LPARAM>(pattern.c_str()), SMTO_NORMAL, 10000, &r);
        pattern_ = pattern;
        app_.press(IDC_SEARCH);
        // The search runs two ticks after Search and puts this in the status line.
        AssertionResult searched =
            watch([&] { return status_ == "Find Next:  F3" && !app_.visible(IDC_SEARCH); }, 10000,
                  "Search never ran");
        if (!searched) return searched;
        return selectionAtMatch(0);
    }

    // F3: the next match after the selection's start, round to the first
    // after the end. F3 works whatever the view shows, also after Clear.
    AssertionResult findNext() {
        note("F3");
        DWORD start = 0, end = 0;
        app_.selection(start, end);
        // Every Find Next ends by emptying the status line: a text put there
        // first tells when this one has run.
        DWORD_PTR r = 0;
        SendMessageTimeoutA(app_.control(IDC_STATUS_LINE), WM_SETTEXT, 0,
                            reinterpret_cast<LPARAM>("F3 pressed"), SMTO_NORMAL, 10000, &r);
        app_.postKey(VK_F3);
        AssertionResult searched = watch([&] { return status_.empty(); }, 10000, "F3 never ended its search");
        if (!searched) return searched;
        // After Clear the search still runs over its copy of the report
        // that was cleared: only the view's staying empty is checked then.
        if (current_ == nullptr) return AssertionSuccess();
        return selectionAtMatch(start);
    }

    // Close: the process ends with exit code 0 within the time Close may
    // wait for a running task's file, and leaves no work file.
    AssertionResult close() {
        note("Close");
        const bool busy = current_ != nullptr && !idleLooking_;
        app_.postPress(IDC_CLOSE);
        // Up to five samples of a running task's file 3 s apart, then at
        // most twelve exit-step ticks of a second.
        const DWORD code = app_.waitForExit(busy ? 30000 : 5000);
        if (code == STILL_ACTIVE) return fail("Close did not end the process");
        if (code != 0) return fail("Close ended the process with exit code " + std::to_string(code));
        const std::string left = filesIn(work_.path());
        if (!left.empty()) return fail("after Close the work directory still holds: " + left);
        return AssertionSuccess();
    }

    std::mt19937& random() { return rng_; }
    const Task* current() const { return current_; }
    void note(const std::string& what) {
        ++step_;
        char at[32];
        std::snprintf(at, sizeof at, " (%.1f s)", (GetTickCount() - began_) / 1000.0);
        steps_.push_back("step " + std::to_string(step_) + at + ": " + what);
        std::printf("  %s\n", steps_.back().c_str());
        std::fflush(stdout);
    }

  private:
    // Reads the view and the status line; the view is read again only when
    // its length changed or a second passed (a report may be megabytes).
    void look() {
        status_ = app_.text(IDC_STATUS_LINE);
        if (viewLength() != view_.size() || GetTickCount() - viewReadAt_ > 1000) {
            view_ = wholeView();
            viewReadAt_ = GetTickCount();
        }
    }

    size_t viewLength() const {
        DWORD_PTR length = 0;
        SendMessageTimeoutA(app_.control(IDC_REPORT_VIEW), WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, 10000,
                            &length);
        return length;
    }

    // The view's text as one state of it: a text that grew between its
    // length and its reading comes back cut, and is read again.
    std::string wholeView() const {
        std::string text;
        for (int attempt = 0; attempt < 10; ++attempt) {
            text = app_.text(IDC_REPORT_VIEW);
            if (text.size() == viewLength()) break;
        }
        return text;
    }

    // What the view may show: Clear's text; a live text of the running task
    // (its header, its heading, the header with its walker's line, the part
    // of a report that grows in the view); the running task's whole report;
    // what it showed before the common report's heading; the welcome text
    // before the first command. Anything else is a failure.
    AssertionResult classify() {
        // (also while a task runs: a Clear posted to it may have run)
        if (view_ == kCleared) return AssertionSuccess();
        if (current_ == nullptr) {
            if (!anyTaken_ && view_ == kWelcome) return AssertionSuccess();
            return AssertionFailure() << "after Clear the view no longer shows Clear's text";
        }
        const Task& t = *current_;
        // App Paths writes its report into the view, from a single blank on.
        if (t.id == IDC_APP_PATHS && view_ == " ") return AssertionSuccess();
        if (t.heading != nullptr && view_ == t.heading) {
            headingSeen_ = true;
            return AssertionSuccess();
        }
        if (startsWith(view_, t.header)) return AssertionSuccess();
        if (t.header == nullptr && !headingSeen_ && view_ == shownAtStart_) return AssertionSuccess();
        const Task* owner = reportOwner(view_);
        if (owner == &t) {
            // A report that grows in the view (App Paths, the Services
            // script's part) is live until it ends; the others arrive whole.
            if (t.id == IDC_APP_PATHS || t.id == IDC_SERVICES || endsWithTrailer(view_))
                return AssertionSuccess();
            return AssertionFailure() << "the " << t.name << " report is shown without its trailer";
        }
        if (owner != nullptr)
            return AssertionFailure()
                   << "the view shows a " << owner->name << " report while " << t.name << " runs";
        return AssertionFailure() << "the view shows text that belongs to no state of " << t.name;
    }

    bool wholeShown(const Task& t) {
        if (reportOwner(view_) != &t) return false;
        if (t.id != IDC_SERVICES) return endsWithTrailer(view_);
        // Its last section is in and the worker has blanked the status line.
        return view_.find(kServicesLastSection) != std::string::npos && status_ == " ";
    }

    // The moment a Clear is posted during the final load: the worker that
    // loads its own report has put it into the view.
    bool finalLoadBegun(const Task& t) { return reportOwner(view_) == &t; }

    // Polls the window until `done` holds, checking on every look that the
    // view is in a state it may be in. `what` empty: the time running out is
    // the plan (a pause), not a failure.
    template <typename Done>
    AssertionResult watch(Done done, int timeoutMs, const std::string& what, bool failOnTimeout = true) {
        const DWORD began = GetTickCount();
        while (true) {
            look();
            AssertionResult state = classify();
            if (!state) return fail(describeView(state.message()));
            if (done()) return AssertionSuccess();
            if (GetTickCount() - began > static_cast<DWORD>(timeoutMs))
                return failOnTimeout ? fail(what) : AssertionSuccess();
            Sleep(20);
        }
    }

    AssertionResult check(const std::string& when) {
        look();
        AssertionResult state = classify();
        if (!state) return fail(describeView(std::string(state.message()) + " (" + when + ")"));
        return AssertionSuccess();
    }

    // After Clear: the view keeps Clear's text while the halted task ends; then
    // the status line is blank and no work file is left.
    AssertionResult settleAfterClear(bool posted) {
        if (posted) {
            // Until the posted Clear has run, the task's own texts may show.
            AssertionResult cleared =
                watch([&] { return view_ == kCleared; }, 15000, "Clear never emptied the view");
            if (!cleared) return cleared;
        }
        current_ = nullptr;
        return idle();
    }

    // The window is idle: a blank status line (or the search's own), and
    // every work file gone once the task's children have ended.
    AssertionResult idle() {
        AssertionResult settled =
            watch([&] { return blank(status_) && automation::countWorkFiles(work_.path()) == 0; }, kSettleMs,
                  "the idle window kept a status text or work files");
        if (!settled) return settled;
        idleLooking_ = true;
        return AssertionSuccess();
    }

    AssertionResult selectionAtMatch(DWORD from) {
        view_ = wholeView();
        DWORD start = 0, end = 0;
        app_.selection(start, end);
        // The packed selection holds 16 bits: offsets are compared in
        // reports that fit.
        if (view_.size() > 0xFFFF) return AssertionSuccess();
        const std::string text = lower(view_);
        const std::string want = lower(pattern_);
        size_t at = text.find(want, from + 1);
        if (at == std::string::npos) at = text.find(want, 1);
        if (at == std::string::npos) {
            if (start == from) return AssertionSuccess();
            return fail("a search for an absent pattern moved the selection");
        }
        if (start != at || end != at + want.size())
            return fail("the search selected " + std::to_string(start) + ".." + std::to_string(end) +
                        ", the match is at " + std::to_string(at));
        return AssertionSuccess();
    }

    // A failed look at the view, with the text that was looked at (the view
    // may have moved on by the time the failure is told).
    std::string describeView(const std::string& what) const {
        return what + "; the view showed (" + std::to_string(view_.size()) + " characters) \"" +
               printable(view_.substr(0, 300)) + "\"";
    }

    static std::string filesIn(const std::string& dir) {
        std::string names;
        WIN32_FIND_DATAA data;
        HANDLE find = FindFirstFileA((dir + "*").c_str(), &data);
        if (find == INVALID_HANDLE_VALUE) return names;
        do {
            const std::string name = data.cFileName;
            if (name != "." && name != "..") names += name + " ";
        } while (FindNextFileA(find, &data));
        FindClose(find);
        return names;
    }

    AssertionResult fail(const std::string& what) {
        std::ostringstream out;
        if (random_) out << "seed " << seed_ << ": ";
        out << what << "\n";
        const size_t first = steps_.size() > 8 ? steps_.size() - 8 : 0;
        for (size_t i = first; i < steps_.size(); ++i)
            out << "  " << steps_[i] << "\n";
        const std::string view = app_.text(IDC_REPORT_VIEW);
        out << "  status \"" << printable(app_.text(IDC_STATUS_LINE)) << "\"\n";
        out << "  view (" << view.size() << " characters) begins \"" << printable(view.substr(0, 300))
            << "\"\n";
        if (view.size() > 300)
            out << "  view ends \"" << printable(view.substr(view.size() > 600 ? view.size() - 300 : 300))
                << "\"\n";
        out << "  work files: " << filesIn(work_.path());
        return AssertionFailure() << out.str();
    }

    TempDir work_;
    App app_{work_.path()};
    unsigned seed_;
    bool random_;
    std::mt19937 rng_{seed_};
    std::vector<std::string> steps_;
    int step_ = 0;
    const Task* current_ = nullptr;
    bool anyTaken_ = false;
    std::string shownAtStart_;
    bool headingSeen_ = false;
    bool idleLooking_ = false;
    std::string pattern_;
    std::string view_;
    std::string status_;
    DWORD viewReadAt_ = 0;
    DWORD began_ = GetTickCount();
};

// The fixed set. Each task is cleared right after its start, those that
// take long enough on their way too, and during the final load where a
// task has one; after each Clear another task must end in its trailer.
// Then tasks back to back, Find and F3 between them, and Close while a
// dump runs.
struct ClearedThenWhole {
    int cleared;
    ClearAt at;
    int delayMs; // on its way: how long after the press
    int whole;   // the task that must then end in its trailer
};

const ClearedThenWhole kClearedThenWhole[] = {
    {IDC_COMMON_ENV, ClearAt::Start, 0, IDC_HKCC},         // halted at its first step
    {IDC_COMMON_ENV, ClearAt::Midway, 2000, IDC_POLICIES}, // halted on its way
    {IDC_COMMON_ENV, ClearAt::FinalLoad, 0, IDC_HKCU},     // shown, halted while it sweeps old work files
    {IDC_POLICIES, ClearAt::Start, 0, IDC_IE},             // halted at its first step
    {IDC_POLICIES, ClearAt::FinalLoad, 0, IDC_HKCC},       // Clear right behind its shown report
    {IDC_SERVICES, ClearAt::Start, 0, IDC_APP_PATHS},      // halted in its registry part
    {IDC_SERVICES, ClearAt::Midway, 300, IDC_HKU},         // halted in its registry part or its script
    {IDC_SERVICES, ClearAt::FinalLoad, 0, IDC_POLICIES},   // registry part shown, halted in its script
    {IDC_APP_PATHS, ClearAt::Start, 0, IDC_SERVICES},      // Clear waits for the window's thread: after it
    {IDC_IE, ClearAt::Start, 0, IDC_HKCC},                 // halted on its way
    {IDC_IE, ClearAt::FinalLoad, 0, IDC_APP_PATHS},        // Clear right behind its shown report
    {IDC_HKCR, ClearAt::Start, 0, IDC_IE},                 // halted in its name passes
    {IDC_HKCR, ClearAt::Midway, 300, IDC_HKCC},            // halted on its way
    {IDC_HKCU, ClearAt::Start, 0, IDC_HKU},                // halted in its name passes
    {IDC_HKCU, ClearAt::FinalLoad, 0, IDC_IE},             // dump finished, its load not yet run
    {IDC_HKLM, ClearAt::Start, 0, IDC_HKCC},               // halted in its name passes
    {IDC_HKLM, ClearAt::Midway, 600, IDC_POLICIES},        // halted on its way
    {IDC_HKU, ClearAt::Start, 0, IDC_HKCU},                // halted in its name passes
    {IDC_HKU, ClearAt::FinalLoad, 0, IDC_HKCC},            // dump finished, its load not yet run
    {IDC_HKCC, ClearAt::Start, 0, IDC_SERVICES},           // halted in its name passes
    {IDC_HKCC, ClearAt::FinalLoad, 0, IDC_HKU},            // dump finished, its load not yet run
};

TEST(Sequence, WhatUsersDoInARow) {
    Session s;
    ASSERT_TRUE(s.ready());
    for (const ClearedThenWhole& row : kClearedThenWhole) {
        ASSERT_TRUE(s.clearTask(row.cleared, row.at, row.delayMs));
        ASSERT_TRUE(s.run(row.whole));
    }

    // Back to back: each pressed the moment the one before shows its whole
    // report (the common report's still sweeps old work files then: its
    // successor is refused until it has ended).
    ASSERT_TRUE(s.start(IDC_COMMON_ENV));
    for (int next : {IDC_HKCC, IDC_POLICIES, IDC_IE, IDC_SERVICES, IDC_APP_PATHS, IDC_HKU}) {
        ASSERT_TRUE(s.untilShown(s.current()->id));
        ASSERT_TRUE(s.start(next));
    }
    ASSERT_TRUE(s.finish(IDC_HKU));

    // Find and F3 over it, then Clear: Find is refused, F3 still runs.
    ASSERT_TRUE(s.find("Registry"));
    ASSERT_TRUE(s.findNext());
    ASSERT_TRUE(s.findNext());
    ASSERT_TRUE(s.run(IDC_IE));
    ASSERT_TRUE(s.find("korvexer"));
    ASSERT_TRUE(s.findNext());
    ASSERT_TRUE(s.clear());
    ASSERT_TRUE(s.find("korvexer"));
    ASSERT_TRUE(s.findNext());
    ASSERT_TRUE(s.run(IDC_HKCC));

    // Close while a dump runs.
    ASSERT_TRUE(s.start(IDC_HKLM));
    ASSERT_TRUE(s.untilRunning());
    ASSERT_TRUE(s.close());
}

// The random run: a seed from KORVEXER_SEQUENCE_SEED (else a fixed one, so
// the suite's run is the same each time), KORVEXER_SEQUENCE_STEPS steps.
TEST(Sequence, SeededRandomCommands) {
    const char* seedText = std::getenv("KORVEXER_SEQUENCE_SEED");
    const char* stepsText = std::getenv("KORVEXER_SEQUENCE_STEPS");
    const unsigned seed =
        seedText != nullptr ? static_cast<unsigned>(std::strtoul(seedText, nullptr, 10)) : 20261208u;
    const int steps = stepsText != nullptr ? std::atoi(stepsText) : 8;
    std::printf("sequence seed %u, %d steps\n", seed, steps);
    Session s(seed, true);
    ASSERT_TRUE(s.ready());
    std::mt19937& rng = s.random();
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    // The short tasks most of the time, the long ones now and then.
    const int often[] = {IDC_HKCC, IDC_HKCU, IDC_HKU, IDC_SERVICES, IDC_POLICIES, IDC_IE, IDC_APP_PATHS};
    const int rarely[] = {IDC_COMMON_ENV, IDC_HKCR, IDC_HKLM};
    for (int i = 0; i < steps; ++i) {
        const int kind = pick(20);
        if (kind < 13) {
            const int id = pick(12) == 0 ? rarely[pick(3)] : often[pick(7)];
            const int how = pick(6);
            if (how == 0) {
                ASSERT_TRUE(s.clearTask(id, ClearAt::Start));
            } else if (how == 1) {
                ASSERT_TRUE(s.clearTask(id, ClearAt::Midway, pick(task(id).typicalMs + 1)));
            } else if (how == 2) {
                ASSERT_TRUE(s.clearTask(id, ClearAt::FinalLoad));
            } else if (how == 3) {
                // Back to back: the next one the moment this one is whole.
                ASSERT_TRUE(s.start(id));
                ASSERT_TRUE(s.untilShown(id));
                ASSERT_TRUE(s.start(often[pick(7)]));
                ASSERT_TRUE(s.finish(s.current()->id));
            } else {
                ASSERT_TRUE(s.run(id));
            }
        } else if (kind < 16) {
            ASSERT_TRUE(s.clear());
        } else if (kind < 18) {
            const char* patterns[] = {"korvexer", "Registry", "key:", "Service", "no such text here"};
            ASSERT_TRUE(s.find(patterns[pick(5)]));
        } else {
            ASSERT_TRUE(s.findNext());
        }
    }
    // The next command runs, whatever came before. Close then, idle, right
    // behind a command, or while a dump runs.
    ASSERT_TRUE(s.run(IDC_HKCC));
    const int closeAt = pick(3);
    if (closeAt > 0) {
        ASSERT_TRUE(s.start(closeAt == 1 ? IDC_HKCU : IDC_HKLM));
    }
    if (closeAt == 2) {
        ASSERT_TRUE(s.untilRunning());
    }
    ASSERT_TRUE(s.close());
}

} // namespace
