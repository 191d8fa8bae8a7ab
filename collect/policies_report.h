// The policies report: the .inf lines that write policy registry entries, then
// the four policy trees of the registry.
#pragma once

#include <string>
#include <string_view>
#include <vector>

class TaskContext;

// Cuts an .inf file's bytes into lines as the policy scan sees them: only the
// line feed and the printable characters below "~" are kept, without ";" (so
// tabs, carriage returns and other control characters vanish, and the rest of
// a comment stays). Bytes may come in chunks of any size.
class InfLineReader {
  public:
    // Longest line, line feed not counted; a longer one (a binary file, a
    // corrupt one) ends the file.
    static constexpr size_t kLongestLine = 1250;

    InfLineReader() { line_.reserve(kLongestLine + 1); }
    // Appends every completed line that names a policy key to `matched`, each
    // with its line feed. False once a line grew beyond kLongestLine: the
    // rest of the file is not to be read.
    bool feed(std::string_view bytes, std::vector<std::string>& matched);

  private:
    std::string line_;
    bool stopped_ = false;
};

// Whether a filtered line writes a policy entry: "\policies" in any case
// before the first "=", and no class identifier braces.
bool isPolicyLine(std::string_view line);

// The matching lines of a whole file's bytes, as the report lists them.
std::vector<std::string> infPolicyLines(std::string_view bytes);

// Lists the matching lines of every "*.inf" file in `infFolder` (with or
// without its trailing backslash), one "\t" line each, a progress step after
// each. False when a halt was requested on the way.
bool writeInfPolicyLines(TaskContext& context, const std::string& infFolder);

// The whole report, the "inf" folder being the Windows folder's.
void writePoliciesReport(TaskContext& context);
// The same over another folder of .inf files (benchmarks, tests).
void writePoliciesReport(TaskContext& context, const std::string& infFolder);
