// The file a report from the command line goes to. The report is written to
// a temporary file beside it and put in its place only once it is complete,
// so a reader never sees half a report and a failed run leaves an earlier
// file as it was.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

// `text` followed by " (error N)": the reason of a failed file call.
std::string withError(const std::string& text, DWORD error);

// The whole path of `file`, taken now: a relative one would otherwise be
// looked up again at the end, in whatever folder is current by then (finding
// the work folder may change it). `file` itself when the system cannot say.
std::string fullPathOf(const std::string& file);

// Whether two names, relative or whole, name one file (as the file system
// compares names: without regard to case).
bool sameFileName(const std::string& a, const std::string& b);

// The temporary name beside `file` (same folder, so that the final rename
// stays within one volume).
std::string temporaryNameBeside(const std::string& file, DWORD processId);

// MoveFileExA as the system offers it: null where it does not (Windows 95,
// 98 and ME have no working one).
using MoveFileExFunction = BOOL(WINAPI*)(LPCSTR from, LPCSTR to, DWORD flags);
MoveFileExFunction systemMoveFileEx();

// Renames `from` to `to` (MoveFileA): tests put a failing one in its place.
using MoveFileFunction = std::function<bool(const std::string& from, const std::string& to)>;
bool moveFile(const std::string& from, const std::string& to);

// Where an earlier `to` waits while the old systems' way puts `from` in its place.
std::string asideNameBeside(const std::string& file, DWORD processId);

struct Replacement {
    enum class Outcome {
        Done,
        Untouched,   // `to` is as it was, `from` still there
        NewKept,     // the old systems' way failed: `to` was put back, `from` is still there
        EarlierAside // ... and `to` could not be put back: it is at `aside`, `from` still there
    };
    Outcome outcome = Outcome::Untouched;
    DWORD error = 0; // of the step that failed
    std::string aside;
};

// Puts `from` in the place of `to`, replacing it. With `moveFileEx` in one
// step; without it, or where it is not implemented (the only ways those
// systems have), by moving `to` aside, renaming `from` and removing what was
// set aside, or putting it back when the rename failed.
Replacement replaceFile(const std::string& from, const std::string& to, MoveFileExFunction moveFileEx,
                        const MoveFileFunction& move = moveFile);

class ReportTarget {
  public:
    // Checks that `file` can be written and makes the temporary file beside
    // it. A relative `file` is taken from the current folder at this moment.
    explicit ReportTarget(const std::string& file);
    ~ReportTarget();
    ReportTarget(const ReportTarget&) = delete;
    ReportTarget& operator=(const ReportTarget&) = delete;

    // False when the file cannot be written; reason() says why.
    bool ready() const { return handle_ != INVALID_HANDLE_VALUE; }
    const std::string& reason() const { return reason_; }
    const std::string& temporaryPath() const { return temporary_; }
    // The file's whole path.
    const std::string& file() const { return file_; }

    // Writes the report and puts it in the file's place; false (with a
    // reason) when that failed. The temporary file is then gone, unless the
    // file's place was left other than it was: then the report is kept and
    // the reason says where it is, and where the earlier file is.
    bool commit(std::string_view bytes, MoveFileExFunction moveFileEx = systemMoveFileEx(),
                const MoveFileFunction& move = moveFile);
    // Removes the temporary file; the file stays as it was.
    void discard();

  private:
    std::string file_;
    std::string temporary_;
    std::string reason_;
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};
