// The report work file a task appends to. The handle stays open for the task
// and the bytes go through a buffer of the task: one write per line cost more
// than everything else a registry dump does. The buffer reaches the file when
// it is full, when an append comes a second or more after the last write,
// when the window's timer finds it a second old, and when the file is closed
// (at a task's end, a halt, Clear and Close). So the file's size, as Close's
// settle check samples it every few seconds, still grows while a worker
// writes and stops growing once it stops.
#pragma once

#include "critical_section.h"

#include <windows.h>

#include <string>
#include <string_view>

class ReportFile {
  public:
    static constexpr size_t kBufferBytes = 64 * 1024;
    static constexpr DWORD kFlushMillis = 1000;

    ReportFile() = default;
    ~ReportFile();
    ReportFile(const ReportFile&) = delete;
    ReportFile& operator=(const ReportFile&) = delete;

    // Appends to `path`, creating it when missing; false when it cannot be
    // opened or a write of the buffer failed (the text is lost then).
    bool append(const std::string& path, std::string_view bytes);
    // Writes what the buffer holds.
    void flush();
    // The same, when the oldest buffered byte has waited `millis` or more.
    void flushIfOlderThan(DWORD millis = kFlushMillis);
    // Writes the buffer and lets go of the file so it can be read whole,
    // renamed or deleted.
    void close();
    // True once an append to `path` could not open the file or a write of
    // its bytes failed (a missing or read-only folder, a full disk): the file
    // then lacks text and must not be shown as the task's report. Kept until
    // the next failure, so it is asked for after close().
    bool lostWritesTo(const std::string& path) const;
    // A new task starts on `path`: a loss an earlier task of the same name
    // suffered is not its own (names are drawn again once a file is gone).
    void forgetLossOf(const std::string& path);

  private:
    bool flushLocked();
    void closeLocked();

    mutable CriticalSection guard_;
    HANDLE handle_ = nullptr;
    std::string path_;
    std::string buffer_;
    DWORD bufferedSince_ = 0;
    std::string failedPath_;
};
