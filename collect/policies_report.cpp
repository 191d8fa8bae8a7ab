#include "policies_report.h"

#include "registry/registry_dumper.h"
#include "registry/registry_read.h"
#include "report/task_context.h"
#include "report/win_handles.h"

#include <windows.h>

namespace {

// Files are read in pieces of this size: a Windows folder holds thousands of
// .inf files, and a read per byte made the scan take minutes.
constexpr DWORD kReadChunk = 64 * 1024;

// Writes the policy lines of one file as they are found; a file that cannot
// be opened has none. False when a halt was requested.
bool scanInfFile(TaskContext& context, const std::string& path, std::string& chunk) {
    FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return true;
    InfLineReader reader;
    std::vector<std::string> matched;
    DWORD got = 0;
    bool more = true;
    while (more && ReadFile(file.get(), chunk.data(), kReadChunk, &got, nullptr) && got > 0) {
        matched.clear();
        more = reader.feed(std::string_view(chunk.data(), got), matched);
        for (const std::string& line : matched) {
            context.write("\t" + line);
            if (!context.step()) return false;
        }
    }
    return true;
}

struct PolicyTree {
    HKEY root;
    const char* path;
    const char* header;
};

const PolicyTree kPolicyTrees[] = {
    {HKEY_LOCAL_MACHINE, "Software\\Policies",
     "\nKeys and values from HKEY_LOCAL_MACHINE\\Software\\Policies:"},
    {HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Policies",
     "\nKeys and values from HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies:"},
    {HKEY_CURRENT_USER, "Software\\Policies",
     "\nKeys and values from HKEY_CURRENT_USER\\Software\\Policies:"},
    {HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Policies",
     "\nKeys and values from HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies:"},
};

// The "inf" folder below the Windows folder; empty when that cannot be had.
std::string windowsInfFolder() {
    char folder[MAX_PATH + 1] = {};
    const UINT length = GetWindowsDirectoryA(folder, sizeof folder);
    if (length == 0 || length >= sizeof folder) return {};
    std::string path(folder, length);
    if (path.back() != '\\') path += '\\';
    return path + "inf";
}

} // namespace

bool writeInfPolicyLines(TaskContext& context, const std::string& infFolder) {
    if (infFolder.empty()) return !context.haltRequested();
    const std::string prefix = infFolder.back() == '\\' ? infFolder : infFolder + "\\";
    WIN32_FIND_DATAA data;
    FindHandle find(prefix + "*.inf", data);
    if (!find.valid()) return !context.haltRequested();
    std::string chunk(kReadChunk, '\0');
    do {
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        if (!scanInfFile(context, prefix + data.cFileName, chunk)) return false;
    } while (find.next(data));
    return true;
}

void writePoliciesReport(TaskContext& context) {
    writePoliciesReport(context, windowsInfFolder());
}

void writePoliciesReport(TaskContext& context, const std::string& infFolder) {
    context.write("Windows system Policies config for the Windows Registration Database:\n\n");
    if (!context.step()) return;
    if (!writeInfPolicyLines(context, infFolder)) return;

    // The collector's walks print key headers and drive the status line.
    WalkState walk;
    walk.printHeaders = true;
    walk.showProgress = true;
    for (const PolicyTree& tree : kPolicyTrees) {
        RegKey key;
        if (!key.open(tree.root, tree.path, KEY_READ)) continue;
        context.write(tree.header);
        if (!context.step()) return;
        RegistryDumper(context, walk).walk(tree.root, key.get(), tree.path, ":");
    }
    // A walk that saw the halt returned early: no trailer under a cut-off dump.
    if (context.haltRequested()) return;

    writeReportTrailer(context);
    if (!context.step()) return;
    context.animate(false);
}
