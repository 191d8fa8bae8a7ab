// Placement of the status line, the view and the buttons after a size change.
#include "main_dialog.h"

#include "resources/resource.h"

namespace {

// The device context is released at the end of every pass.
class WindowDc {
public:
    explicit WindowDc(HWND hwnd) : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
    ~WindowDc() {
        if (dc_ != nullptr) ReleaseDC(hwnd_, dc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC get() const { return dc_; }

private:
    HWND hwnd_;
    HDC dc_;
};

RECT childRect(HWND parent, HWND child) {
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

}  // namespace

void MainDialog::layoutControls() {
    HWND self = hwnd();
    InvalidateRect(self, nullptr, TRUE);

    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    GetWindowPlacement(self, &placement);
    RECT& normal = placement.rcNormalPosition;
    if (normal.right - normal.left < minWidth) {
        normal.right = normal.left + minWidth;
        SetWindowPlacement(self, &placement);
    }
    if (normal.bottom - normal.top < minHeight) {
        normal.bottom = normal.top + minHeight;
        SetWindowPlacement(self, &placement);
    }
    const bool maximised = placement.showCmd == SW_SHOWMAXIMIZED || IsZoomed(self);
    const int width = normal.right - normal.left;
    const int height = normal.bottom - normal.top;

    // Status line: twice as wide as the longest text it will show.
    int h = 13;
    SIZE sample{0, 0};
    {
        WindowDc dc(self);
        HFONT font = reinterpret_cast<HFONT>(SendMessageA(self, WM_GETFONT, 0, 0));
        HGDIOBJ old = font != nullptr ? SelectObject(dc.get(), font) : nullptr;
        LOGFONTA lf{};
        if (font != nullptr && GetObjectA(font, sizeof lf, &lf) != 0) h = lf.lfHeight < 0 ? -lf.lfHeight : lf.lfHeight;
        bool longSample = servicesRunning != 0;
        for (const auto& hive : hiveRequested)
            if (hive) longSample = true;
        const char* text = longSample ? "Working .. please Wait  - (time-consuming)" : "Working .. please Wait 99 to 100 %";
        GetTextExtentPoint32A(dc.get(), text, lstrlenA(text), &sample);
        if (old != nullptr) SelectObject(dc.get(), old);
    }
    const int m = width / 2;
    const int statusTop = h / 2 + 2;
    const int statusBottom = h / 2 + h + 4;
    MoveWindow(item(IDC_STATUS_LINE), m - sample.cx + 1, statusTop, 2 * sample.cx, statusBottom - statusTop, TRUE);

    RECT workArea{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea, 0);
    const RECT find = childRect(self, item(IDC_FIND));
    const int viewTop = h / 2 + statusBottom + 2;
    const int viewRight = maximised ? workArea.right - 20 : width - 20;
    const int viewBottom = maximised ? workArea.bottom - 120 : find.top - 20;
    MoveWindow(item(IDC_REPORT_VIEW), 20, viewTop, viewRight - 20, viewBottom - viewTop, TRUE);

    const int H = maximised ? workArea.bottom - workArea.top : height;
    for (size_t i = 0; i < kAnchoredButtons.size(); ++i) {
        const ControlAnchor& a = anchors[i];
        const int top = H - a.distFromBottom;
        MoveWindow(item(kAnchoredButtons[i]), a.left, top, a.right - a.left, a.height, TRUE);
    }
}
