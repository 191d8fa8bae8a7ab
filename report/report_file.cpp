#include "report_file.h"

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
        HANDLE h = CreateFileA(path.c_str(), FILE_APPEND_DATA | SYNCHRONIZE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) return false;
        handle_ = h;
        path_ = path;
    }
    // Another writer (or a deletion and re-creation) may have moved the end.
    SetFilePointer(static_cast<HANDLE>(handle_), 0, nullptr, FILE_END);
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 20));
        if (!WriteFile(static_cast<HANDLE>(handle_), bytes.data() + done, chunk, &written, nullptr) ||
            written == 0) {
            closeLocked();
            return false;
        }
        done += written;
    }
    return true;
}
