// The report work file a task appends to. The handle stays open for the task
// (reopening per line costs several times the write itself), but every call's
// bytes are handed to the system before it returns, so the file's size seen
// from elsewhere always covers everything written so far.
#pragma once

#include "critical_section.h"

#include <string>
#include <string_view>

class ReportFile {
public:
    ReportFile() = default;
    ~ReportFile();
    ReportFile(const ReportFile&) = delete;
    ReportFile& operator=(const ReportFile&) = delete;

    // Appends to `path`, creating it when missing; false when it cannot be opened.
    bool append(const std::string& path, std::string_view bytes);
    // Lets go of the file so it can be read whole, renamed or deleted.
    void close();

private:
    void closeLocked();

    CriticalSection guard_;
    void* handle_ = nullptr;
    std::string path_;
};
