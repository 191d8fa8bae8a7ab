// How the program starts the command interpreter that runs its batch files
// (and the viewer of a report it cannot show): by full path, from the system
// folder, out of an enclosing job where that job allows it.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

namespace childstart {

// The interpreter and the folder it starts in. Given a bare name,
// CreateProcess looks in the folder this program was started from before the
// system folders, and the interpreter looks for every command of a batch in
// its current folder first: a Downloads folder or a share could otherwise
// plant both.
struct Interpreter {
    bool nt = true;
    std::string program; // full path; empty when none can be named
    std::string folder;  // the system folder: the interpreter's current folder
};

// "cmd.exe" in the system folder on NT; on 95/98/ME what COMSPEC names (an
// absolute path only), else COMMAND.COM in the Windows folder.
std::string interpreterProgram(bool nt, std::string_view systemFolder, std::string_view windowsFolder,
                               std::string_view comspec);

// The command line that runs one batch file. cmd takes the outer pair of
// quotation marks off and keeps the inner pair, so blanks and "&" in the
// path stay part of it; COMMAND.COM takes the quoted path as it is.
std::string batchCommandLine(const Interpreter& interpreter, const std::string& batchPath);

// The interpreter of the running system.
Interpreter systemInterpreter();

// Creates a child through `create` (which returns 0 or the error of its
// CreateProcess) with `flags`, out of the job this process may belong to when
// `breakAway` is set: a halt can then end the child and all it starts through
// a job of ours, which Windows before 8 does not let a process that already
// belongs to a job join. A job that refuses break-away makes CreateProcess
// fail with ERROR_ACCESS_DENIED: then the child is created inside it.
DWORD createPreferringBreakaway(DWORD flags, bool breakAway, const std::function<DWORD(DWORD flags)>& create);

// Where this program itself runs inside a job, children that left it for
// `job` would no longer end with that job (an installer's, a "Run as"
// session's) when its owner ends it together with this program: `job` then
// ends them as soon as its last handle goes, which is this program's at the
// latest. Elsewhere `job` is left as it is, so nothing changes for helpers a
// command leaves running. True when the limit was set.
bool endChildrenWithThisProgram(HANDLE job);

} // namespace childstart
