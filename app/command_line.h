// What the program's command line asks for: the window (no switches), one
// report written to a file without the window, this machine's inventory for
// an inventory server, two reports compared, or the usage text. Pure: it
// takes the arguments as one text and returns the decision.
#pragma once

#include <string>
#include <string_view>
#include <vector>

struct TaskCommand;

struct CommandLine {
    enum class Action { Window, Report, Inventory, Compare, Usage, Error };
    Action action = Action::Window;
    const TaskCommand* command = nullptr; // the report's row, for Action::Report
    std::string file;                     // where the report goes, for Action::Report; the
                                          // comparison, for Action::Compare (empty: standard output)
    std::string oldFile, newFile;         // the two reports, for Action::Compare
    bool redact = false;                  // /redact: identifying values replaced, for Action::Report
    std::string target;                   // the server's address or a file, for Action::Inventory
    std::string tag;                      // /tag's text, for Action::Inventory (empty: none)
    bool quiet = false;                   // /quiet: no progress line on the console
    std::string error;                    // one line, for Action::Error
    int errorExit = 1;                    // the exit code of Action::Error (exitcode::kFailed; a
                                          // refused /compare line is trouble, as fc and diff exit)
};

// Exit codes of a run from the command line.
namespace exitcode {
inline constexpr int kComplete = 0;
inline constexpr int kFailed = 1;
inline constexpr int kUsage = 2;
// /compare: the reports are the same, they differ, or they could not be compared.
inline constexpr int kSame = 0;
inline constexpr int kDiffer = 1;
inline constexpr int kTrouble = 2;
} // namespace exitcode

// Splits the arguments at blanks and tabs; a quotation mark starts or ends a
// quoted part, in which blanks belong to the argument ("C:\My Reports\a.txt").
// The marks themselves are dropped, and backslashes are taken as they stand,
// since they are what paths are made of.
std::vector<std::string> splitArguments(std::string_view text);

// `text`: the command line after the program's name.
CommandLine parseCommandLine(std::string_view text);

// The text "/?" prints, with "\r\n" line ends.
std::string usageText();
