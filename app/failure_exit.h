// The way out when the view will not take a finished hive dump: tell the
// user, hand the report to the program that opens text files, and end.
#pragma once

#include "runner/child_start.h"

#include <functional>
#include <string>

namespace failureexit {

inline constexpr const char* kText = "There is NOT enough memory to complete the operation, Program exit!";
inline constexpr const char* kTitle = "Dynamic Memory Allocation problem, Program exit!";

// The command line that opens a report in the program associated with text
// files through the interpreter, for a shell that cannot: cmd opens a
// document named as its command (the outer quotation marks come off, the
// inner pair keeps blanks and "&" in the path); COMMAND.COM has "start" do it.
std::string viewerCommandLine(const childstart::Interpreter& interpreter, const std::string& reportPath);

// What the exit does to the world; tests put their own in.
struct Edges {
    std::function<void()> repaintDesktop;
    std::function<void(const char* text, const char* title)> tell;
    std::function<bool(const std::string& path)> openWithShell;       // the shell's "open" verb
    std::function<bool(const std::string& path)> openWithInterpreter; // waits for the interpreter to end
    std::function<void(const std::string& path)> remove;
};

// Everything of the exit but the end of the process. The report stays where
// it is: the viewer may open it only after this process has ended, and the
// sweep of stale work files takes it once nothing holds it. The list of keys
// is the program's own and goes. Never throws.
void handOverReport(const std::string& reportFile, const std::string& keysFile, const Edges& edges) noexcept;

// The edges of the running system; `tell` shows the message box.
Edges systemEdges(std::function<void(const char* text, const char* title)> tell);

} // namespace failureexit
