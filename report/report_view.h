// The two text surfaces the program writes to: the report view and the status
// line. Every change of the view's text goes through ReportView, so the edit
// control can be replaced by a faster implementation (or a test double)
// without touching any caller.
#pragma once

#include <string>
#include <string_view>

class ReportView {
public:
    virtual ~ReportView() = default;
    virtual std::string text() const = 0;
    virtual void setText(std::string_view text) = 0;
    // The same for a text that is already held in a string: a view that can
    // read it in place takes it without another copy (reports run to many
    // megabytes in a 32-bit process).
    virtual void setWholeText(const std::string& text) { setText(text); }
    virtual size_t length() const { return text().size(); }
    // Appends to the whole text (the report writer's view mode); returns the new length.
    virtual size_t append(std::string_view text) = 0;
    // Puts the caret at the end, replaces the empty selection there and scrolls to it.
    virtual void insertAtEnd(std::string_view text) = 0;
};

class StatusDisplay {
public:
    virtual ~StatusDisplay() = default;
    virtual void setStatus(std::string_view text) = 0;
    virtual void repaint() = 0;
};
