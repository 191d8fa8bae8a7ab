// The program's one window: owner of all controller state, the command
// buttons, the keyboard handling and the timer that drives the tasks.
#pragma once

#include "dialog_base.h"
#include "edit_view.h"
#include "message_sink.h"
#include "task_host.h"
#include "task_results.h"

#include <array>
#include <atomic>
#include <memory>
#include <string>
#include <vector>

// Message boxes owned by the main window.
class WindowMessages : public MessageSink {
  public:
    explicit WindowMessages(const DialogBase& owner) : owner_(owner) {}
    void show(const char* text, const char* title) override {
        MessageBoxA(owner_.hwnd(), text, title, MB_OK);
    }
    bool ask(const char* text, const char* title) override {
        return MessageBoxA(owner_.hwnd(), text, title, MB_YESNO | MB_ICONQUESTION | MB_SYSTEMMODAL) == IDYES;
    }

  private:
    const DialogBase& owner_;
};

struct ControlAnchor {
    int32_t distFromBottom = 0;
    int32_t height = 0;
    int32_t left = 0;
    int32_t right = 0;
};

class MainDialog : public DialogBase, public TaskHost {
  public:
    MainDialog();
    ~MainDialog() override;

    bool isBusy() const;
    // A thread other than the window's owns the current task (a worker, or a
    // result on its way into the view).
    bool workerRunning() const;
    void resetState();
    void setStatus(std::string_view text) { statusLine_.setStatus(text); }
    StatusLine& statusLine() { return statusLine_; }
    EditReportView& reportView() { return view_; }

    // Search (the bar, the two timer steps and Find Next).
    void showSearchBar();
    void hideSearchBar();
    void startSearch();
    void findNext();

    // Clear and Close.
    void clearCommand();
    void closeSequence();

    // One timer tick of the task driver.
    void tick();

    void layoutControls();

    // The edges the result loads use in the program: files, Sleep and the
    // exit that hands the report to the viewer.
    LoadEdges loadEdges() override;

    // The window as the host of its tasks.
    void progressStep() override;
    bool showWholeUnlessHalted(const std::string& text) override;
    void showBusyCursor(bool on) override;
    void clearDefaultButton() override;
    // Measured on the dialog's own window, whose font the view shows: the
    // 95 family's view is made anew with each whole text, and a device
    // context taken from a control that is gone cannot be given back.
    HWND measuredView() override { return hwnd(); }
    HWND fontOwner() override { return hwnd(); }

    // After the modal loop: a task still running is halted and its files removed.
    void afterDialogEnded();

    int32_t minWidth = 0;
    int32_t minHeight = 0;
    std::array<ControlAnchor, 13> anchors{};
    HBRUSH faceBrush = nullptr;
    HICON icon = nullptr;

  protected:
    BOOL onInitDialog() override;
    bool onMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
    bool preTranslateMessage(MSG& msg) override;
    void onCancel() override;

  private:
    void onCommand(int id);
    void taskCommand(int id);
    void startServicesWorker();
    void startIeWorker();
    void onPaint(WPARAM wParam);
    void onSysCommand(WPARAM command, LPARAM lParam, INT_PTR& result, bool& handled);
    INT_PTR onCtlColorStatic(HDC dc, HWND control);
    void recordGeometry();
    void startCollectorWorker();
    void searchStepPrepare();
    void searchStepRun();
    [[noreturn]] void failureExit(const std::string& reportFile, const std::string& keysFile) noexcept;
    void exitStep();
    // Lowers raised requests and a finished dump's pending load.
    void withdrawPendingWork();
    void dropSearchCopyIfForgotten();
    void releaseSearchCopy();
    // Waits until the report work file stops growing (at most five samples).
    void waitForReportToSettle();

    std::unique_ptr<EditReportView> ownedView_;
    EditReportView& view_;
    StatusLine statusLine_;
    WindowMessages messages_{*this};
    int closingTicks_ = 0;
    bool ticksHeld_ = false;
    // Set by a worker, read by the window's thread.
    std::atomic<bool> busyCursor_{false};
};

// Advances the general progress indicator of the window's status line.
void statusProgressFor(MainDialog& dialog);

// Puts a worker's text in place of the view, on the window's thread, unless a
// halt was asked for: a Clear that runs meanwhile is either over before (the
// text is dropped) or comes after (and empties the view), never in between.
// False when the text was dropped.
bool showUnlessHalted(MainDialog& dialog, const std::string& text);

// showTaskResult on the window's thread.
bool showResultUnlessHalted(MainDialog& dialog, TaskLife::Ticket ticket, const std::string& text,
                            bool endTask);

// Registered message that suspends (wParam 1) or resumes (0) the task driver.
UINT holdTicksMessage();

// The ids of the 13 anchored buttons, in anchor order.
extern const std::array<int, 13> kAnchoredButtons;
