#include "child_start.h"

#include "report/system_api.h"

namespace childstart {

namespace {

std::string withoutTrailingBackslash(std::string_view folder) {
    std::string out(folder);
    while (!out.empty() && out.back() == '\\')
        out.pop_back();
    return out;
}

// "C:\..." or "\\server\...": a relative COMSPEC would be looked up in the
// very folders this is meant to avoid.
bool absolutePath(std::string_view path) {
    if (path.size() >= 3 && path[1] == ':' && path[2] == '\\') return true;
    return path.size() >= 2 && path[0] == '\\' && path[1] == '\\';
}

std::string folderOf(UINT(WINAPI* lookup)(LPSTR, UINT)) {
    char buffer[MAX_PATH + 1] = {};
    const UINT length = lookup(buffer, sizeof buffer);
    return length == 0 || length >= sizeof buffer ? std::string() : std::string(buffer, length);
}

std::string environmentValue(const char* name) {
    char buffer[MAX_PATH + 1] = {};
    const DWORD length = GetEnvironmentVariableA(name, buffer, sizeof buffer);
    return length == 0 || length >= sizeof buffer ? std::string() : std::string(buffer, length);
}

} // namespace

std::string interpreterProgram(bool nt, std::string_view systemFolder, std::string_view windowsFolder,
                               std::string_view comspec) {
    if (nt)
        return systemFolder.empty() ? std::string() : withoutTrailingBackslash(systemFolder) + "\\cmd.exe";
    if (absolutePath(comspec)) return std::string(comspec);
    return windowsFolder.empty() ? std::string() : withoutTrailingBackslash(windowsFolder) + "\\COMMAND.COM";
}

std::string batchCommandLine(const Interpreter& interpreter, const std::string& batchPath) {
    const std::string program = "\"" + interpreter.program + "\"";
    if (interpreter.nt) return program + " /c \"\"" + batchPath + "\"\"";
    return program + " /c \"" + batchPath + "\"";
}

Interpreter systemInterpreter() {
    Interpreter interpreter;
    interpreter.nt = sys::ntFamily();
    interpreter.folder = folderOf(GetSystemDirectoryA);
    interpreter.program =
        interpreterProgram(interpreter.nt, interpreter.folder, folderOf(GetWindowsDirectoryA),
                           interpreter.nt ? std::string() : environmentValue("COMSPEC"));
    return interpreter;
}

DWORD createPreferringBreakaway(DWORD flags, bool breakAway,
                                const std::function<DWORD(DWORD flags)>& create) {
    if (breakAway) {
        const DWORD error = create(flags | CREATE_BREAKAWAY_FROM_JOB);
        if (error != ERROR_ACCESS_DENIED) return error;
    }
    return create(flags);
}

bool endChildrenWithThisProgram(HANDLE job) {
    const sys::Kernel32Extras& kernel = sys::kernel32Extras();
    if (job == nullptr || kernel.isProcessInJob == nullptr || kernel.setInformationJobObject == nullptr)
        return false;
    BOOL inJob = FALSE;
    if (!kernel.isProcessInJob(GetCurrentProcess(), nullptr, &inJob) || !inJob) return false;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    return kernel.setInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits) !=
           FALSE;
}

} // namespace childstart
