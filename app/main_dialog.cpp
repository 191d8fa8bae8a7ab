#include "main_dialog.h"

#include "report/status_progress.h"
#include "report/text_search.h"
#include "resources/resource.h"
#include "view_choice.h"

#include <new>

const std::array<int, 13> kAnchoredButtons = {
    IDC_FIND,     IDC_COMMON_ENV, IDC_POLICIES, IDC_CLEAR, IDC_APP_PATHS, IDC_CLOSE, IDC_IE,
    IDC_SERVICES, IDC_HKCR,       IDC_HKCU,     IDC_HKLM,  IDC_HKU,       IDC_HKCC};

MainDialog::MainDialog()
    : DialogBase(IDD_MAIN_DIALOG), ownedView_(makeReportView(viewKindOfThisSystem())), view_(*ownedView_) {
    icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_KORVEXER));
    view = &view_;
    status = &statusLine_;
    messages = &messages_;
    resetState();
    faceBrush = CreateSolidBrush(GetSysColor(COLOR_3DFACE));
}

MainDialog::~MainDialog() {
    if (faceBrush != nullptr) DeleteObject(faceBrush);
}

bool MainDialog::workerRunning() const {
    // A thread other than the window's owns the task: it stops at a halt and ends the task itself.
    const TaskPhase phase = life.phase();
    return phase == TaskPhase::Running || phase == TaskPhase::Loading;
}

bool MainDialog::isBusy() const {
    // From the accepted command to the result in the view: a request waiting
    // for its tick, a running worker, a finished dump the task driver has not
    // loaded yet (before XP that load waits some eight seconds).
    return life.busy();
}

void MainDialog::resetState() {
    resetTaskState();
    resetWindowState();
    setStatus(" ");
}

void statusProgressFor(MainDialog& dialog) {
    statusProgress(dialog.statusLine(), dialog.animateStatus == 1, 0, 0, 0);
}

BOOL MainDialog::onInitDialog() {
    view_.attach(item(IDC_REPORT_VIEW));
    statusLine_.attach(item(IDC_STATUS_LINE));
    SendMessageA(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    SendMessageA(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    taskHeader.clear();
    resultReady = 0;
    ShowWindow(item(IDC_SEARCH), SW_HIDE);
    ShowWindow(item(IDC_SEARCH_FIELD), SW_HIDE);
    SendMessageA(item(IDC_REPORT_VIEW), EM_SETREADONLY, TRUE, 0);
    setStatus(" ");
    recordGeometry();
    resetState();
    return TRUE;
}

void MainDialog::recordGeometry() {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    GetWindowPlacement(hwnd(), &placement);
    const RECT& r = placement.rcNormalPosition;
    minWidth = r.right - r.left;
    minHeight = r.bottom - r.top;
    for (size_t i = 0; i < kAnchoredButtons.size(); ++i) {
        HWND button = item(kAnchoredButtons[i]);
        WINDOWPLACEMENT p{};
        p.length = sizeof p;
        GetWindowPlacement(button, &p);
        const RECT& c = p.rcNormalPosition;
        anchors[i] = {minHeight - c.top, c.bottom - c.top, c.left, c.right};
    }
}

UINT holdTicksMessage() {
    static const UINT message = RegisterWindowMessageA("Korvexer.HoldTicks");
    return message;
}

namespace {

// Posted by showBusyCursor: the window's thread sets the cursor.
UINT applyCursorMessage() {
    static const UINT message = RegisterWindowMessageA("Korvexer.ApplyCursor");
    return message;
}

UINT showResultMessage() {
    static const UINT message = RegisterWindowMessageA("Korvexer.ShowResult");
    return message;
}

} // namespace

bool showUnlessHalted(MainDialog& dialog, const std::string& text) {
    return SendMessageA(dialog.hwnd(), showResultMessage(), 0, reinterpret_cast<LPARAM>(&text)) == TRUE;
}

namespace {

constexpr INT_PTR kShowFailed = 2;

struct TaskResult {
    TaskLife::Ticket ticket;
    const std::string* text;
    bool endTask;
};

UINT showTaskResultMessage() {
    static const UINT message = RegisterWindowMessageA("Korvexer.ShowTaskResult");
    return message;
}

} // namespace

bool showResultUnlessHalted(MainDialog& dialog, TaskLife::Ticket ticket, const std::string& text,
                            bool endTask) {
    TaskResult result{ticket, &text, endTask};
    const LRESULT shown =
        SendMessageA(dialog.hwnd(), showTaskResultMessage(), 0, reinterpret_cast<LPARAM>(&result));
    if (shown == kShowFailed) throw std::bad_alloc();
    return shown == TRUE;
}

void MainDialog::progressStep() {
    statusProgressFor(*this);
}

bool MainDialog::showWholeUnlessHalted(const std::string& text) {
    return showUnlessHalted(*this, text);
}

void MainDialog::showBusyCursor(bool on) {
    // The cursor belongs to the thread that owns the window: a worker's own
    // SetCursor changes nothing on the screen. The window's thread shows it
    // now and whenever the pointer moves over the window (WM_SETCURSOR).
    busyCursor_ = on;
    PostMessageA(hwnd(), applyCursorMessage(), 0, 0);
}

namespace {

// Over the window and its controls: the busy shape instead of each control's own.
void setBusyCursorIfOver(HWND window) {
    POINT at;
    RECT area;
    if (GetCursorPos(&at) && GetWindowRect(window, &area) && PtInRect(&area, at))
        SetCursor(LoadCursor(nullptr, IDC_APPSTARTING));
}

} // namespace

void MainDialog::clearDefaultButton() {
    // The view first, then an id no control has: Enter then presses nothing.
    SendMessageA(hwnd(), DM_SETDEFID, 1000, 0);
    SendMessageA(hwnd(), DM_SETDEFID, 12321, 0);
}

bool MainDialog::onMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
    if (message == showResultMessage()) {
        const auto* text = reinterpret_cast<const std::string*>(lParam);
        result = FALSE;
        if (text != nullptr && !haltRequested) {
            view_.setWholeText(*text);
            result = TRUE;
        }
        // A dialog answers a sent message through its message result.
        SetWindowLongPtrA(hwnd(), DWLP_MSGRESULT, result);
        return true;
    }
    if (message == showTaskResultMessage()) {
        // Decided here, on the window's thread, where Clear and Close run: a
        // halt is either in before (the result is dropped) or comes after.
        const auto* shown = reinterpret_cast<const TaskResult*>(lParam);
        result = FALSE;
        try {
            if (shown != nullptr && showTaskResult(*this, shown->ticket, *shown->text, shown->endTask))
                result = TRUE;
        } catch (...) {
            // Memory ran out on the way into the view: the worker takes its failure path.
            result = kShowFailed;
        }
        SetWindowLongPtrA(hwnd(), DWLP_MSGRESULT, result);
        return true;
    }
    if (message == applyCursorMessage()) {
        if (busyCursor_ && collectorActive) {
            setBusyCursorIfOver(hwnd());
        } else {
            SetCursor(LoadCursor(nullptr, IDC_ARROW));
        }
        result = TRUE;
        return true;
    }
    // Only while the report runs: a halted one never gets to put the arrow back.
    if (message == WM_SETCURSOR && busyCursor_ && collectorActive) {
        SetCursor(LoadCursor(nullptr, IDC_APPSTARTING));
        // A dialog answers through its message result: TRUE stops the
        // control under the pointer from setting its own shape.
        SetWindowLongPtrA(hwnd(), DWLP_MSGRESULT, TRUE);
        result = TRUE;
        return true;
    }
    if (message == holdTicksMessage()) {
        // Test seam: lets a test look at the window between a command and the
        // tick that takes its request up.
        ticksHeld_ = wParam != 0;
        result = TRUE;
        return true;
    }
    switch (message) {
    case WM_PAINT:
        onPaint(wParam);
        return IsIconic(hwnd()) != 0;
    case WM_TIMER:
        if (!ticksHeld_) tick();
        return false;
    case WM_QUERYDRAGICON:
        result = reinterpret_cast<INT_PTR>(icon);
        return true;
    case WM_SIZE:
        layoutPending = 1;
        PostMessageA(hwnd(), WM_PAINT, 17, 0);
        return false;
    case WM_MOVE:
        PostMessageA(hwnd(), WM_PAINT, 0, 0);
        return false;
    case WM_SYSCOMMAND: {
        bool handled = false;
        onSysCommand(wParam, lParam, result, handled);
        return handled;
    }
    case WM_CLOSE:
        closeSequence();
        result = TRUE;
        return true;
    case WM_CTLCOLORSTATIC:
        result = onCtlColorStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
        return true;
    case WM_HOTKEY:
        findNext();
        result = TRUE;
        return true;
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED || HIWORD(wParam) == 1) { // a button, or an accelerator
            const int id = LOWORD(wParam);
            if (id == IDCANCEL) return false; // the framework's cancel path
            onCommand(id);
            result = TRUE;
            return true;
        }
        return true; // EN_CHANGE of the view or the search field, notifications: nothing
    default:
        return false;
    }
}

void MainDialog::onCommand(int id) {
    switch (id) {
    case IDC_COMMON_ENV:
    case IDC_POLICIES:
    case IDC_SERVICES:
    case IDC_HKCR:
    case IDC_HKCU:
    case IDC_HKLM:
    case IDC_HKU:
    case IDC_HKCC:
    case IDC_APP_PATHS:
    case IDC_IE:
        taskCommand(id);
        break;
    case IDC_CLEAR:
        clearCommand();
        break;
    case IDC_FIND:
        showSearchBar();
        break;
    case IDC_SEARCH:
        startSearch();
        break;
    case IDC_CLOSE:
        animateStatus = 0;
        closeSequence();
        break;
    default:
        break;
    }
}

void MainDialog::onPaint(WPARAM) {
    if (IsIconic(hwnd())) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd(), &ps);
        SendMessageA(hwnd(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
        RECT client;
        GetClientRect(hwnd(), &client);
        const int cx = GetSystemMetrics(SM_CXICON);
        const int cy = GetSystemMetrics(SM_CYICON);
        DrawIcon(dc, (client.right - client.left - cx + 1) / 2, (client.bottom - client.top - cy + 1) / 2,
                 icon);
        EndPaint(hwnd(), &ps);
    } else if (layoutPending) {
        layoutPending = 0;
        layoutControls();
    }
    SetTimer(hwnd(), 1, 100, nullptr);
}

void MainDialog::onSysCommand(WPARAM command, LPARAM, INT_PTR& result, bool& handled) {
    // Compared whole: a value carrying low bits gets the default processing.
    handled = true;
    result = TRUE;
    switch (command) {
    case SC_MINIMIZE:
        ShowWindow(hwnd(), SW_SHOWMINIMIZED);
        break;
    case SC_MAXIMIZE:
        ShowWindow(hwnd(), SW_SHOWMAXIMIZED);
        relayoutOnTick = 1;
        break;
    case SC_RESTORE:
        ShowWindow(hwnd(), SW_SHOWNORMAL);
        relayoutOnTick = 1;
        break;
    default:
        handled = false;
        result = FALSE;
        break;
    }
}

INT_PTR MainDialog::onCtlColorStatic(HDC dc, HWND control) {
    SetTextColor(dc, RGB(255, 0, 0));
    if (GetDlgCtrlID(control) == IDC_REPORT_VIEW) {
        SetTextColor(dc, RGB(0, 0, 0));
        SetBkColor(dc, RGB(255, 255, 255));
    } else {
        SetBkMode(dc, TRANSPARENT);
    }
    return reinterpret_cast<INT_PTR>(faceBrush);
}

bool MainDialog::preTranslateMessage(MSG& msg) {
    const bool keyDown = msg.message == WM_KEYDOWN;
    if (keyDown && msg.wParam == VK_F3) {
        findNext();
        return true;
    }
    if (keyDown && msg.wParam == VK_RETURN && IsWindowVisible(item(IDC_SEARCH))) {
        startSearch();
    } else if (msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST &&
               (msg.wParam == 'F' || msg.wParam == 'B') && GetKeyState(VK_CONTROL) < 0) {
        showSearchBar();
        return true;
    }
    if (keyDown && keyMarksSearchCopyStale(static_cast<unsigned>(msg.wParam))) searchCopyLength = -1;
    return false;
}
