// The report view on Windows 95, 98 and ME. There a multi-line edit control
// holds at most 64 KB, so the view is a rich edit control in the edit
// control's place, which holds any report. To every reader — this program,
// the automation, anything that sends WM_GETTEXT or EM_GETSEL — it is the edit
// control holding the report: its text is the report byte for byte and
// selections are offsets into that text, whatever the control stores.
#pragma once

#include "display_text.h"
#include "edit_view.h"

#include <string>

class RichReportView : public EditReportView {
  public:
    // `className`: the window class of the rich edit library that was loaded.
    explicit RichReportView(const char* className);

    // Makes the rich edit control in the edit control's place (id, position,
    // styles, font, colours, tab order) and destroys the edit control. When
    // no rich edit control can be made the edit control stays.
    void attach(HWND edit) override;
    // False when attach kept the edit control.
    bool rich() const { return rich_; }

  protected:
    bool answer(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void insertAtControlEnd(const std::string& text) override;
    size_t shownReportLength() override;

  private:
    HWND makeControl(HWND like) const;
    void replaceWholeText(const char* text);
    void streamIn(const std::string& shown);
    LRESULT answerGetSelection(WPARAM wParam, LPARAM lParam);
    void showContextMenu(LPARAM at);

    std::string className_;
    bool rich_ = false;
    DisplayText display_;
};
