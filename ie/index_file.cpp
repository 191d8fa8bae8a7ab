#include "index_file.h"

#include <algorithm>

std::unique_ptr<FileByteSource> FileByteSource::open(const std::string& path) {
    // The browser keeps its index open while it runs: share writing with it.
    // (FILE_SHARE_DELETE would make Windows 95 refuse the call.)
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return nullptr;
    DWORD high = 0;
    SetLastError(NO_ERROR);
    const DWORD low = GetFileSize(h, &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) {
        CloseHandle(h);
        return nullptr;
    }
    return std::unique_ptr<FileByteSource>(new FileByteSource(h, uint64_t{high} << 32 | low));
}

FileByteSource::~FileByteSource() {
    CloseHandle(handle_);
}

size_t FileByteSource::readAt(uint64_t offset, unsigned char* out, size_t count) {
    if (offset >= size_) return 0;
    count = static_cast<size_t>(std::min<uint64_t>(count, size_ - offset));
    size_t done = 0;
    while (done < count) {
        const uint64_t at = offset + done;
        LONG high = static_cast<LONG>(at >> 32);
        SetLastError(NO_ERROR);
        if (SetFilePointer(handle_, static_cast<LONG>(at & 0xFFFFFFFFu), &high, FILE_BEGIN) ==
                INVALID_SET_FILE_POINTER &&
            GetLastError() != NO_ERROR)
            break;
        const DWORD want = static_cast<DWORD>(std::min(count - done, kLongestRead));
        DWORD got = 0;
        if (!ReadFile(handle_, out + done, want, &got, nullptr) || got == 0) break;
        done += got;
    }
    return done;
}

HistoryIndexResult readHistoryIndexFile(const std::string& path, const std::string& userName,
                                        HistoryQuestionState& run, bool& readHistory,
                                        const HistoryIndexIo& io) {
    const std::unique_ptr<FileByteSource> file = FileByteSource::open(path);
    return readHistoryIndex(file.get(), userName, run, readHistory, io);
}
