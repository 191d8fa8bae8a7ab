// The report view on Windows 95, 98 and ME. There a multi-line edit control
// holds at most 64 KB, so the view is a rich edit control in the edit
// control's place, which holds any report. To every reader — this program,
// the automation, anything that sends WM_GETTEXT or EM_GETSEL — it is the edit
// control holding the report: its text is the report byte for byte and
// selections are offsets into that text, whatever the control stores.
#pragma once

#include "capped_view.h"
#include "display_text.h"

#include <string>

class RichReportView : public CappedReportView {
  public:
    // `className`: the window class of the rich edit library that was loaded.
    explicit RichReportView(const char* className);

    // Makes the rich edit control in the edit control's place (id, position,
    // styles, font, colours, tab order) and destroys the edit control. When
    // no rich edit control can be made (a library without its class, no
    // memory) the edit control stays, with its 64 KB limit kept.
    void attach(HWND edit) override;
    // False when attach kept the edit control.
    bool rich() const { return rich_; }

  protected:
    // What the control holds, in the bytes the report's text counts (tests
    // make it claim less, as a control short of memory takes less).
    virtual size_t heldByControl() const;

    bool answer(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void insertAtControlEnd(const std::string& text) override;
    size_t shownReportLength() override;

  private:
    HWND makeControl(HWND like) const;
    void replaceWholeText(const char* text);
    // A fresh control holding `text`.
    void showText(const std::string& text);
    // When the control took less than the report (it ran out of memory): the
    // report is kept whole in a file and the view shows its notice and the
    // part the control could take, so that readers see what is shown.
    void keepWhatDoesNotFit();
    void streamIn(const std::string& shown);
    LRESULT answerGetSelection(WPARAM wParam, LPARAM lParam);
    void showContextMenu(LPARAM at);

    std::string className_;
    bool rich_ = false;
    DWORD style_ = 0;
    DWORD exStyle_ = 0;
    HFONT font_ = nullptr;
    DisplayText display_;
};
