// The report view and the status line as the dialog's controls.
#pragma once

#include "report/critical_section.h"
#include "report/report_view.h"

#include <windows.h>

#include <string>

// The report view. Appends are gathered and handed to the edit control in
// bursts: under Wine every insertion into a visible edit control costs a
// repaint of some milliseconds, whatever its size, so a report appended in
// thousands of pieces would take minutes. The control gets the gathered text
// once the oldest gathered piece has waited kFlushMillis, and before anybody
// (this program or another) reads its text, so what a reader sees is always
// byte for byte the text of every append so far.
class EditReportView : public ReportView {
  public:
    static constexpr DWORD kFlushMillis = 300;
    static constexpr size_t kFlushBytes = 4 * 1024 * 1024;

    EditReportView() = default;
    ~EditReportView() override;
    EditReportView(const EditReportView&) = delete;
    EditReportView& operator=(const EditReportView&) = delete;

    // Takes the dialog's edit control (a view over another control puts its
    // own in the edit control's place).
    virtual void attach(HWND edit);
    HWND handle() const;

    std::string text() const override;
    void setText(std::string_view text) override;
    void setWholeText(const std::string& text) override;
    size_t append(std::string_view text) override;
    void insertAtEnd(std::string_view text) override;
    // Hands gathered text to the control now.
    void flush();
    // The same once the oldest gathered piece has waited kFlushMillis (the window's timer calls it).
    void flushIfDue();

    size_t length() const override;
    void selection(DWORD& start, DWORD& end) const;
    void select(DWORD start, DWORD end);
    void scrollCaret();

  protected:
    // The hooks of views over another control or with a limit; all run on
    // the window's thread, inside the control's own procedure.
    // A message the view answers itself (true, with `result`) instead of the control.
    virtual bool answer(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // Puts text at the end of the control's text.
    virtual void insertAtControlEnd(const std::string& text);
    // The length of the report the control now shows.
    virtual size_t shownReportLength();

    LRESULT callControl(UINT message, WPARAM wParam, LPARAM lParam) const;
    // Subclasses `control` as this view's (attach, and a view that makes its control anew).
    void bind(HWND control);

  private:
    static LRESULT CALLBACK controlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void flushHere();
    size_t queue(std::string_view text, bool scrollCaret);

    HWND edit_ = nullptr;
    WNDPROC original_ = nullptr;
    mutable CriticalSection guard_;
    std::string pending_;
    DWORD pendingSince_ = 0;
    bool scrollCaretPending_ = false;
    size_t shownLength_ = 0;
    unsigned generation_ = 0; // counts whole-text sets
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
