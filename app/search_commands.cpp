// The search bar, the two timer steps of a search and Find Next.
#include "main_dialog.h"

#include "report/text_search.h"
#include "resources/resource.h"

#include <vector>

namespace {

constexpr size_t kPatternChars = 5258;

// The pattern outlives one search: the bar offers it again next time.
std::string& searchPattern() {
    static std::string pattern;
    return pattern;
}

SearchCopy& searchCopy() {
    static SearchCopy copy;
    return copy;
}

bool searchCopyExists = false;

}  // namespace

void MainDialog::dropSearchCopyIfForgotten() {
    if (searchCopyForgotten.exchange(0)) releaseSearchCopy();
}

void MainDialog::showSearchBar() {
    if (isBusy() || noReportYet) return;
    HWND field = item(IDC_SEARCH_FIELD);
    ShowWindow(item(IDC_SEARCH), SW_SHOW);
    ShowWindow(field, SW_SHOW);
    setStatus("Find Next:  F3");
    ShowWindow(field, SW_HIDE);
    ShowWindow(field, SW_SHOW);
    SetFocus(field);
    SetForegroundWindow(field);
    searchBarShown = 1;
}

void MainDialog::hideSearchBar() {
    ShowWindow(item(IDC_SEARCH), SW_HIDE);
    char buffer[kPatternChars + 1] = {};
    GetWindowTextA(item(IDC_SEARCH_FIELD), buffer, static_cast<int>(sizeof buffer));
    searchPattern() = buffer;
    ShowWindow(item(IDC_SEARCH_FIELD), SW_HIDE);
    view_.select(0, 0);
    view_.scrollCaret();
    searchBarShown = 0;
    setStatus(" ");
}

void MainDialog::startSearch() {
    hideSearchBar();
    if (!searchPattern().empty()) searchRequested = 1;
}

void MainDialog::searchStepPrepare() {
    searchRequested = 0;
    ShowWindow(item(IDC_SEARCH), SW_HIDE);
    ShowWindow(item(IDC_SEARCH_FIELD), SW_HIDE);
    view_.select(0, 0);
    view_.scrollCaret();
    searchRunPending = 1;
}

void MainDialog::searchStepRun() {
    lowerInPlace(searchPattern());
    searchRunPending = 0;
    findNext();
    ShowWindow(item(IDC_SEARCH), SW_HIDE);
    ShowWindow(item(IDC_SEARCH_FIELD), SW_HIDE);
    setStatus("Find Next:  F3");
}

void MainDialog::findNext() {
    dropSearchCopyIfForgotten();
    SetCursor(LoadCursorA(nullptr, (GetTickCount() & 1) ? IDC_APPSTARTING : IDC_WAIT));
    if (searchCopyStale(searchCopyLength, reportLength)) {
        searchCopyLength = reportLength.load();
        SearchCopy& copy = searchCopy();
        copy = SearchCopy{};
        searchCopyExists = false;
        try {
            copy.text = view_.text();
            searchCopyExists = true;
        } catch (const std::bad_alloc&) {
            copy = SearchCopy{};
        }
    }
    if (searchCopyExists) {
        DWORD start = 0, end = 0;
        view_.selection(start, end);
        const std::string& pattern = searchPattern();
        const long p = nextMatch(searchCopy(), pattern, static_cast<long>(start));
        if (p != -1) {
            view_.select(static_cast<DWORD>(p), static_cast<DWORD>(p + static_cast<long>(pattern.size())));
            view_.scrollCaret();
        }
    }
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    setStatus("");
}

void MainDialog::releaseSearchCopy() {
    searchCopy() = SearchCopy{};
    searchCopyExists = false;
}
