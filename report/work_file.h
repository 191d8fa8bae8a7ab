// Names of work files: directory, fixed prefix, a six-digit pseudo-random
// number and an attempt index. Each file is made new as its name is drawn, so
// no two drawers (two copies started in the same second, with the same seed)
// ever share one.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace workfile {
inline constexpr const char* kReport = "%sKorvexer_work_file.%06d%d.txt";
inline constexpr const char* kRunnerOutput = "%skorvexDlg32_work_file.%06d%d.txt";
inline constexpr const char* kRunnerBatch = "%skorvexDlg32_work_file.%06d%d.bat";
inline constexpr const char* kRunnerScript = "%skorvexDlg32_work_file.%06d%d.vbs";
inline constexpr const char* kExchange = "%skorvexDlg32_temp_file.%06d%d.txt";
// How long the files of a run a halt has just ended are waited for, all of
// them together. What is still held then is left to a later report's sweep
// (on Windows 95 to ME, without job objects, a halt ends only the command
// interpreter, and the script host runs on).
inline constexpr DWORD kHaltedRunPatienceMs = 3000;
} // namespace workfile

// What making a candidate work file found.
enum class NameClaim {
    Created, // the file is new, made empty: the name is the caller's
    Taken,   // a file of that name exists: draw again
    Refused, // the folder takes no file (missing, read-only, full): drawing again cannot help
};

struct ClaimedName {
    std::string path;
    NameClaim outcome = NameClaim::Refused;
    bool created() const { return outcome == NameClaim::Created; }
};

// Draws candidates of `pattern` (one of the fixed patterns above; `random`
// yields the next pseudo-random number) until `claim` makes one, at most
// 1,000. A name that is not the caller's is handed back only with the
// outcome that stopped the drawing (Taken after 1,000 attempts: the last one).
ClaimedName chooseWorkFileName(const char* pattern, const std::string& directory,
                               const std::function<int()>& random,
                               const std::function<NameClaim(const std::string&)>& claim);

// Makes the file only when no file of its name exists (one system call, so
// nothing can come between the test and the making).
NameClaim createNewWorkFile(const std::string& path);

// The same, and the name is free only while no file named path +
// `companionSuffix` exists either (an empty suffix: none is looked for).
NameClaim createNewWorkFileWithCompanion(const std::string& path, const std::string& companionSuffix);

// A new, empty work file in the work directory, the generator seeded with the
// time in seconds. `companionSuffix`: a second file named after this one
// (path + suffix) that must not exist either.
ClaimedName claimWorkFileName(const char* pattern, const char* companionSuffix = nullptr);

// The path of claimWorkFileName(pattern), whatever its outcome: a caller that
// cannot write there finds that out and says so (after 1,000 taken names it
// is the last of them, as it always was).
std::string makeWorkFileName(const char* pattern);

// Work files are shared with every other reader and writer, and (on the NT
// family; Windows 95 to ME refuse the flag) with a deleter too, so that Clear
// can remove a file a worker still holds.
DWORD workFileSharing();
// The same for a family: Windows 95 to ME refuse FILE_SHARE_DELETE.
DWORD workFileSharingFor(bool ntFamily);
// INVALID_HANDLE_VALUE when the file does not exist or cannot be opened.
HANDLE openWorkFileToRead(const std::string& path);
// Opens for writing, creating the file when missing. Appending is done by
// appendToWorkFile: Windows 95 to ME know no append-only access.
HANDLE openWorkFileToAppend(const std::string& path);
// Writes all of `bytes` at the current end of the file, wherever other
// handles have moved it; false when a write fails.
bool appendToWorkFile(HANDLE file, std::string_view bytes);
// Opens, appends and closes; false when the file cannot be opened or written.
bool appendWorkFile(const std::string& path, std::string_view bytes);

bool fileCanBeRead(const std::string& path);
// Reads a whole work file (shared with a writer that may still hold it);
// false when it cannot be opened or memory is short.
bool readWholeFile(const std::string& path, std::string& out);

// Deletes a work file. A child ended by a halt lets go of its files only
// once the system has finished ending it, a moment after TerminateProcess
// has returned: a file still held is tried again until `patienceMs` has
// passed (0: one try). True when the file is gone (or never was). A file
// still held after a patience of its own is left to removeLeftWorkFiles: the
// child may take longer to go on a busy system, and the file must not stay.
bool removeWorkFile(const std::string& path, DWORD patienceMs);

// The files of one halted run, sharing one patience: a file tried once the
// patience is spent on the ones before it is still left to
// removeLeftWorkFiles when held, as each of them is. Empty paths are skipped.
void removeWorkFiles(const std::vector<const std::string*>& paths, DWORD patienceMs);

// Tries once more to delete each work file a halted task had to leave
// behind (a little longer each when `patienceMs` is given); the ones that
// are gone are forgotten. Run by the window on every timer tick and before
// the program ends. Returns how many are still left.
size_t removeLeftWorkFiles(DWORD patienceMs = 0);

// Whether a file of this name exists (one that cannot be opened, too).
bool workFileNameTaken(const std::string& path);
