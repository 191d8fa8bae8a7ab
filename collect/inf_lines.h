// The lines of an .inf file that write policy registry entries. Bytes in,
// lines out (no file or window calls).
#pragma once

#include <string>
#include <string_view>
#include <vector>

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
