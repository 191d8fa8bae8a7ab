#include "report_file.h"

#include "work_file.h"

ReportFile::~ReportFile() {
    close();
}

void ReportFile::closeLocked() {
    flushLocked();
    if (handle_ != nullptr) CloseHandle(handle_);
    handle_ = nullptr;
    path_.clear();
}

void ReportFile::close() {
    ScopedLock lock(guard_);
    closeLocked();
}

void ReportFile::flush() {
    ScopedLock lock(guard_);
    flushLocked();
}

void ReportFile::flushIfOlderThan(DWORD millis) {
    ScopedLock lock(guard_);
    if (!buffer_.empty() && GetTickCount() - bufferedSince_ >= millis) flushLocked();
}

bool ReportFile::flushLocked() {
    if (buffer_.empty()) return true;
    std::string bytes;
    bytes.swap(buffer_);
    if (handle_ == nullptr) return false;
    // Another writer (or a deletion and re-creation) may have moved the end.
    if (!appendToWorkFile(handle_, bytes)) {
        // A later append may reopen the file and succeed: the text lost here
        // would leave a gap nobody sees, so the loss is remembered.
        failedPath_ = path_;
        CloseHandle(handle_);
        handle_ = nullptr;
        path_.clear();
        return false;
    }
    return true;
}

bool ReportFile::append(const std::string& path, std::string_view bytes) {
    ScopedLock lock(guard_);
    if (handle_ == nullptr || path_ != path) {
        closeLocked();
        HANDLE h = openWorkFileToAppend(path);
        if (h == INVALID_HANDLE_VALUE) {
            failedPath_ = path;
            return false;
        }
        handle_ = h;
        path_ = path;
    }
    const DWORD now = GetTickCount();
    if (buffer_.empty()) bufferedSince_ = now;
    buffer_.append(bytes);
    if (buffer_.size() >= kBufferBytes || now - bufferedSince_ >= kFlushMillis) return flushLocked();
    return true;
}

bool ReportFile::lostWritesTo(const std::string& path) const {
    ScopedLock lock(guard_);
    return !path.empty() && failedPath_ == path;
}

void ReportFile::forgetLossOf(const std::string& path) {
    ScopedLock lock(guard_);
    if (failedPath_ == path) failedPath_.clear();
}
