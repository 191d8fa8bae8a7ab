// The report view and the status line as the dialog's controls.
#pragma once

#include "report/report_view.h"

#include <windows.h>

class EditReportView : public ReportView {
public:
    void attach(HWND edit) { edit_ = edit; }
    HWND handle() const { return edit_; }

    std::string text() const override;
    void setText(std::string_view text) override;
    void setWholeText(const std::string& text) override;
    size_t append(std::string_view text) override;
    void insertAtEnd(std::string_view text) override;

    size_t length() const override;
    void selection(DWORD& start, DWORD& end) const;
    void select(DWORD start, DWORD end);
    void scrollCaret();

private:
    HWND edit_ = nullptr;
};

class StatusLine : public StatusDisplay {
public:
    void attach(HWND label) { label_ = label; }
    void setStatus(std::string_view text) override;
    void repaint() override;
    std::string text() const;

private:
    HWND label_ = nullptr;
};
