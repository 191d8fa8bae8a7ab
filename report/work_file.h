// Names of work files: directory, fixed prefix, a six-digit pseudo-random
// number and an attempt index, the first candidate that does not exist yet.
#pragma once

#include <functional>
#include <string>

namespace workfile {
inline constexpr const char* kReport = "%sKorvexer_work_file.%06d%d.txt";
inline constexpr const char* kRunnerOutput = "%skorvexDlg32_work_file.%06d%d.txt";
inline constexpr const char* kRunnerBatch = "%skorvexDlg32_work_file.%06d%d.bat";
inline constexpr const char* kRunnerScript = "%skorvexDlg32_work_file.%06d%d.vbs";
inline constexpr const char* kExchange = "%skorvexDlg32_temp_file.%06d%d.txt";
}  // namespace workfile

// `pattern` is one of the fixed patterns above; `random` yields the next
// pseudo-random number; `exists` tells whether a path can be opened for reading.
std::string chooseWorkFileName(const char* pattern, const std::string& directory,
                               const std::function<int()>& random,
                               const std::function<bool(const std::string&)>& exists);

std::string makeWorkFileName(const char* pattern);

bool fileCanBeRead(const std::string& path);
// Reads a whole work file (shared with a writer that may still hold it);
// false when it cannot be opened or memory is short.
bool readWholeFile(const std::string& path, std::string& out);

// Whether a candidate work-file name is already in use.
bool workFileNameTaken(const std::string& path);
