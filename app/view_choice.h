// Which control shows the report, decided once at start from the system's
// family: the NT family's edit control holds any report, the 95 family's
// holds 64 KB, so there a rich edit control takes its place where a rich
// edit library loads, and a view that keeps what does not fit where none does.
#pragma once

#include "edit_view.h"

#include <functional>
#include <memory>

enum class ViewKind {
    Edit,       // NT 4.0 to Vista
    RichEdit20, // 95 family with riched20.dll (98, ME, 95 with later updates)
    RichEdit10, // 95 family with riched32.dll only (95 as it shipped)
    Capped,     // 95 family without either
};

// `load`: loads a library by name and keeps it loaded; false when it cannot.
ViewKind chooseView(bool ntFamily, const std::function<bool(const char* library)>& load);

std::unique_ptr<EditReportView> makeReportView(ViewKind kind);

// The choice for this system, libraries loaded for real.
ViewKind viewKindOfThisSystem();
