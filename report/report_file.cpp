#include "report_file.h"

#include "work_file.h"

#include <windows.h>

ReportFile::~ReportFile() { close(); }

void ReportFile::closeLocked() {
    if (handle_ != nullptr) CloseHandle(static_cast<HANDLE>(handle_));
    handle_ = nullptr;
    path_.clear();
}

void ReportFile::close() {
    ScopedLock lock(guard_);
    closeLocked();
}

bool ReportFile::append(const std::string& path, std::string_view bytes) {
    ScopedLock lock(guard_);
    if (handle_ == nullptr || path_ != path) {
        closeLocked();
        HANDLE h = openWorkFileToAppend(path);
        if (h == INVALID_HANDLE_VALUE) return false;
        handle_ = h;
        path_ = path;
    }
    // Another writer (or a deletion and re-creation) may have moved the end.
    if (!appendToWorkFile(static_cast<HANDLE>(handle_), bytes)) {
        closeLocked();
        return false;
    }
    return true;
}
