// Text widths in pixels as the report view draws them: a device context of
// the view with the window's font selected, held for the life of the object
// (one attribute table measures a few thousand times).
#pragma once

#include "smart_attributes.h"

#include <windows.h>

#include <string_view>

class ViewTextWidth {
  public:
    // `fontOwner` answers WM_GETFONT (the view itself when null). Without a
    // device context or a measurable font, widths fall back to characters
    // times the font's average width, then to the character count.
    explicit ViewTextWidth(HWND view, HWND fontOwner = nullptr);
    ~ViewTextWidth();
    ViewTextWidth(const ViewTextWidth&) = delete;
    ViewTextWidth& operator=(const ViewTextWidth&) = delete;

    int operator()(std::string_view text) const;

    // A measuring function over this object, which must outlive it.
    TextWidth function() const {
        return [this](std::string_view text) { return (*this)(text); };
    }

  private:
    HWND view_;
    HDC dc_;
    HGDIOBJ previousFont_ = nullptr;
    int averageWidth_ = 1;
};
