// Owners of the file and search handles the report code opens: each closes
// its handle on every way out of a scope.
#pragma once

#include <windows.h>

#include <string>

class FileHandle {
  public:
    explicit FileHandle(HANDLE h) : h_(h) {}
    ~FileHandle() {
        if (valid()) CloseHandle(h_);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    bool valid() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }
    HANDLE get() const { return h_; }
    // Takes `h` in place of the handle owned so far, which is closed.
    void reset(HANDLE h) {
        if (valid()) CloseHandle(h_);
        h_ = h;
    }

  private:
    HANDLE h_;
};

class FindHandle {
  public:
    FindHandle(const std::string& pattern, WIN32_FIND_DATAA& data)
        : h_(FindFirstFileA(pattern.c_str(), &data)) {}
    ~FindHandle() {
        if (valid()) FindClose(h_);
    }
    FindHandle(const FindHandle&) = delete;
    FindHandle& operator=(const FindHandle&) = delete;
    bool valid() const { return h_ != INVALID_HANDLE_VALUE; }
    bool next(WIN32_FIND_DATAA& data) { return FindNextFileA(h_, &data) != FALSE; }

  private:
    HANDLE h_;
};
