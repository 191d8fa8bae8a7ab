#include "view_choice.h"

#include "capped_view.h"
#include "report/system_api.h"
#include "rich_view.h"

ViewKind chooseView(bool ntFamily, const std::function<bool(const char* library)>& load) {
    if (ntFamily) return ViewKind::Edit;
    if (load("riched20.dll")) return ViewKind::RichEdit20;
    if (load("riched32.dll")) return ViewKind::RichEdit10;
    return ViewKind::Capped;
}

std::unique_ptr<EditReportView> makeReportView(ViewKind kind) {
    switch (kind) {
    case ViewKind::RichEdit20:
        return std::make_unique<RichReportView>("RichEdit20A");
    case ViewKind::RichEdit10:
        return std::make_unique<RichReportView>("RICHEDIT");
    case ViewKind::Capped:
        return std::make_unique<CappedReportView>();
    case ViewKind::Edit:
        break;
    }
    return std::make_unique<EditReportView>();
}

ViewKind viewKindOfThisSystem() {
    // The library stays loaded for the program's life: its window class must outlive every control.
    return chooseView(sys::ntFamily(), [](const char* library) { return LoadLibraryA(library) != nullptr; });
}
