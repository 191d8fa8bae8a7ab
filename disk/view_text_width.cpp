#include "view_text_width.h"

#include <algorithm>

namespace {

// Windows 95 measures at most 8,192 characters per call; table lines are far
// shorter.
constexpr std::size_t kMaxMeasured = 8192;

} // namespace

ViewTextWidth::ViewTextWidth(HWND view, HWND fontOwner) : view_(view), dc_(GetDC(view)) {
    if (dc_ == nullptr) return;
    const auto font =
        reinterpret_cast<HFONT>(SendMessageA(fontOwner != nullptr ? fontOwner : view, WM_GETFONT, 0, 0));
    // No font set: the control draws with the system font, which the fresh
    // device context already holds.
    if (font != nullptr) previousFont_ = SelectObject(dc_, font);
    TEXTMETRICA metrics{};
    if (GetTextMetricsA(dc_, &metrics) && metrics.tmAveCharWidth > 0) averageWidth_ = metrics.tmAveCharWidth;
}

ViewTextWidth::~ViewTextWidth() {
    if (dc_ == nullptr) return;
    if (previousFont_ != nullptr) SelectObject(dc_, previousFont_);
    ReleaseDC(view_, dc_);
}

int ViewTextWidth::operator()(std::string_view text) const {
    const int length = static_cast<int>(std::min(text.size(), kMaxMeasured));
    if (length == 0) return 0;
    SIZE extent{};
    if (dc_ != nullptr && GetTextExtentPoint32A(dc_, text.data(), length, &extent)) return extent.cx;
    return length * averageWidth_;
}
