#include "report_target.h"

#include <algorithm>
#include <cstdio>
#include <vector>

std::string withError(const std::string& text, DWORD error) {
    char number[32];
    std::snprintf(number, sizeof number, " (error %lu)", static_cast<unsigned long>(error));
    return text + number;
}

std::string temporaryNameBeside(const std::string& file, DWORD processId) {
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ".%lu.partial", static_cast<unsigned long>(processId));
    return file + suffix;
}

MoveFileExFunction systemMoveFileEx() {
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (kernel == nullptr) return nullptr;
    return reinterpret_cast<MoveFileExFunction>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "MoveFileExA")));
}

bool moveFile(const std::string& from, const std::string& to) {
    return MoveFileA(from.c_str(), to.c_str()) != 0;
}

std::string asideNameBeside(const std::string& file, DWORD processId) {
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ".%lu.earlier", static_cast<unsigned long>(processId));
    return file + suffix;
}

Replacement replaceFile(const std::string& from, const std::string& to, MoveFileExFunction moveFileEx,
                        const MoveFileFunction& move) {
    using Outcome = Replacement::Outcome;
    Replacement result;
    if (moveFileEx != nullptr) {
        if (moveFileEx(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            result.outcome = Outcome::Done;
            return result;
        }
        result.error = GetLastError();
        // Windows 95, 98 and ME export a MoveFileExA that does nothing.
        if (result.error != ERROR_CALL_NOT_IMPLEMENTED) return result;
    }
    // Not a step further without the new file: the old one would be moved for nothing.
    if (GetFileAttributesA(from.c_str()) == INVALID_FILE_ATTRIBUTES) {
        result.error = GetLastError();
        return result;
    }
    // The earlier file is moved aside, not deleted, so that it can be put
    // back when the rename fails.
    const bool hadEarlier = GetFileAttributesA(to.c_str()) != INVALID_FILE_ATTRIBUTES;
    const std::string aside = asideNameBeside(to, GetCurrentProcessId());
    if (hadEarlier && !move(to, aside)) {
        result.error = GetLastError();
        return result;
    }
    if (move(from, to)) {
        if (hadEarlier) DeleteFileA(aside.c_str());
        result.outcome = Outcome::Done;
        return result;
    }
    result.error = GetLastError();
    if (!hadEarlier) return result;
    if (move(aside, to)) {
        result.outcome = Outcome::NewKept;
    } else {
        result.outcome = Outcome::EarlierAside;
        result.aside = aside;
    }
    return result;
}

std::string fullPathOf(const std::string& file) {
    std::vector<char> buffer(MAX_PATH + 1);
    char* name = nullptr;
    DWORD n = GetFullPathNameA(file.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), &name);
    if (n >= buffer.size()) {
        // Longer than MAX_PATH: n is the size it needs.
        buffer.resize(n + 1);
        n = GetFullPathNameA(file.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), &name);
    }
    if (n == 0 || n >= buffer.size()) return file;
    return std::string(buffer.data(), n);
}

ReportTarget::ReportTarget(const std::string& file) : file_(fullPathOf(file)) {
    const DWORD attributes = GetFileAttributesA(file_.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
            reason_ = "cannot write " + file_ + ": it is a folder";
            return;
        }
        if (attributes & FILE_ATTRIBUTE_READONLY) {
            reason_ = "cannot write " + file_ + ": it is read-only";
            return;
        }
    }
    temporary_ = temporaryNameBeside(file_, GetCurrentProcessId());
    handle_ = CreateFileA(temporary_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                          nullptr);
    if (handle_ == INVALID_HANDLE_VALUE) reason_ = withError("cannot write " + file_, GetLastError());
}

ReportTarget::~ReportTarget() {
    discard();
}

void ReportTarget::discard() {
    if (handle_ == INVALID_HANDLE_VALUE) return;
    CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
    DeleteFileA(temporary_.c_str());
}

bool ReportTarget::commit(std::string_view bytes, MoveFileExFunction moveFileEx,
                          const MoveFileFunction& move) {
    if (handle_ == INVALID_HANDLE_VALUE) return false;
    size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 20));
        DWORD written = 0;
        if (!WriteFile(handle_, bytes.data() + done, chunk, &written, nullptr) || written == 0) {
            reason_ = withError("cannot write " + file_, GetLastError());
            discard();
            return false;
        }
        done += written;
    }
    const bool flushed = FlushFileBuffers(handle_) != 0;
    const DWORD flushError = GetLastError();
    CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
    if (!flushed) {
        reason_ = withError("cannot write " + file_, flushError);
        DeleteFileA(temporary_.c_str());
        return false;
    }
    const Replacement replaced = replaceFile(temporary_, file_, moveFileEx, move);
    using Outcome = Replacement::Outcome;
    switch (replaced.outcome) {
    case Outcome::Done:
        return true;
    case Outcome::Untouched:
        // The file stands as it was: the run failed and nothing of it is left.
        reason_ = withError("cannot replace " + file_, replaced.error);
        DeleteFileA(temporary_.c_str());
        return false;
    case Outcome::NewKept:
        reason_ =
            withError("cannot replace " + file_, replaced.error) + "; the new report is in " + temporary_;
        return false;
    case Outcome::EarlierAside:
        reason_ = withError("cannot replace " + file_, replaced.error) + "; the new report is in " +
                  temporary_ + ", the earlier file in " + replaced.aside;
        return false;
    }
    return false;
}

bool sameFileName(const std::string& a, const std::string& b) {
    return lstrcmpiA(fullPathOf(a).c_str(), fullPathOf(b).c_str()) == 0;
}
