// Widths measured in a real view's font: the font the view (or its owner)
// answers to WM_GETFONT decides them, and attribute values then line up in
// pixels whatever the width of the names before them.
#include "disk/view_text_width.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

namespace {

struct Window {
    HWND hwnd = CreateWindowExA(0, "EDIT", "", WS_POPUP | ES_MULTILINE, 0, 0, 400, 300, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    ~Window() {
        if (hwnd != nullptr) DestroyWindow(hwnd);
    }
};

struct Font {
    HFONT handle;
    explicit Font(int height)
        : handle(CreateFontA(-height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                             VARIABLE_PITCH | FF_SWISS, "Arial")) {}
    ~Font() { DeleteObject(handle); }
};

TEST(ViewTextWidth, TheViewsFontDecides) {
    Window view, owner;
    ASSERT_NE(view.hwnd, nullptr);
    ASSERT_NE(owner.hwnd, nullptr);
    Font small(10), large(40);
    ASSERT_NE(small.handle, nullptr);
    ASSERT_NE(large.handle, nullptr);
    SendMessageA(view.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(small.handle), FALSE);
    SendMessageA(owner.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(large.handle), FALSE);

    const std::string text = "temperature celsius";
    int inSmall = 0, inLarge = 0;
    {
        ViewTextWidth width(view.hwnd);
        inSmall = width(text);
        EXPECT_EQ(width(""), 0);
        // A proportional font: the same number of characters, different widths.
        EXPECT_LT(width("iiiiiiii"), width("WWWWWWWW"));
    }
    {
        ViewTextWidth width(view.hwnd, owner.hwnd);
        inLarge = width(text);
    }
    EXPECT_GT(inSmall, 0);
    EXPECT_GT(inLarge, 3 * inSmall);
}

TEST(ViewTextWidth, AttributeValuesStartTogetherInPixels) {
    Window view;
    ASSERT_NE(view.hwnd, nullptr);
    Font font(13);
    SendMessageA(view.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font.handle), FALSE);
    ViewTextWidth width(view.hwnd);

    // Names of very different widths, each with a value no name contains.
    Sector attributes{}, thresholds{};
    const std::uint8_t ids[] = {208, 11, 199, 209, 9, 4};
    for (std::size_t k = 0; k < std::size(ids); ++k) {
        attributes[2 + 12 * k] = ids[k];
        attributes[2 + 12 * k + 3] = 123;
    }
    const std::string table = formatAttributeTable(attributes, thresholds, width.function());

    const int stop = width("ATTRIBUTE NAME            /   ATTRI");
    const int blank = width(" ");
    ASSERT_GT(blank, 0);
    std::vector<int> starts;
    std::size_t lineStart = table.find('\n') + 1;
    for (std::size_t k = 0; k < std::size(ids); ++k) {
        const std::size_t value = table.find("123", lineStart);
        ASSERT_NE(value, std::string::npos);
        starts.push_back(width(std::string_view(table).substr(lineStart, value - lineStart)));
        lineStart = table.find('\n', value) + 1;
    }
    const auto [first, last] = std::minmax_element(starts.begin(), starts.end());
    EXPECT_GT(*first, stop);
    EXPECT_LE(*last, stop + blank);
}

} // namespace
