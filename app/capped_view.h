// The report view on Windows 95, 98 and ME when no rich edit library loads:
// the edit control, which there holds at most 64 KB. A longer report is
// written whole to a file of its own in the work folder, which stays, and the
// view shows a line saying so and the report's beginning: nothing is lost.
#pragma once

#include "edit_view.h"
#include "kept_report.h"

#include <string>

class CappedReportView : public EditReportView {
  public:
    explicit CappedReportView(size_t capacity = kNineXEditBytes) : capacity_(capacity) {}

    // The file that holds the last report too long for the view (empty: none).
    std::string keptPath() const { return kept_.path(); }

  protected:
    bool answer(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void insertAtControlEnd(const std::string& text) override;
    size_t shownReportLength() override;

    KeptReport kept_;

  private:
    void showKept();

    size_t capacity_;
};
