// Who and where: computer and user names, administrator rights, the special
// folders, the current directory, the local accounts, and (near the end of
// the report) the computer's names in every name format.
#pragma once

#include "runner/code_page.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

class TaskContext;

// The console commands built from three special folders for later sections.
// A folder whose path cannot be put safely into a batch line (empty, a
// quotation mark or a control character in it, a letter the OEM code page
// lacks) leaves its command at the bare verb, so the section that runs it
// leaves itself out. The folders themselves stay in the ANSI code page.
struct FolderCommands {
    std::string startupFolder;
    std::string startupListCommand = "dir ";
    std::string commonStartupFolder;
    std::string commonStartupListCommand = "dir ";
    std::string systemFolder;
    std::string hostsCommand = "type ";
};

// The path of a special folder by its CSIDL; nothing when the system has no
// such folder (or no way to ask for folders at all).
using FolderLookup = std::function<std::optional<std::string>(int csidl)>;

struct SpecialFolder {
    const char* label;
    int csidl;
};
// The 49 folders of the report, in report order.
extern const SpecialFolder kSpecialFolders[49];

// `path` quoted for a batch line: in quotation marks, with "%" doubled so the
// command interpreter expands nothing. Nothing when the path holds a quotation
// mark, a wildcard or a control character, which no quoting makes safe.
std::optional<std::string> batchQuotedPath(const std::string& path);

// How a batch line reaches the command interpreter's code page.
struct BatchCodePage {
    CodePageConversion toOem;
    CodePageConversion toAnsi;
};
BatchCodePage systemBatchCodePage();

// "dir \"<folder>\" /B" in the OEM code page; "dir " when the folder is empty
// (an empty name would list the current directory instead), cannot be quoted
// or has a character the OEM code page lacks.
std::string folderListCommand(const std::string& folder, const BatchCodePage& codePage);
// "type \"<system>\\Drivers\\etc\\hosts\"" by the same rules ("type " otherwise).
std::string hostsFileCommand(const std::string& systemFolder, const BatchCodePage& codePage);

// Row 4: one line per folder that has a path longer than one character; the
// commands are built from every folder that resolved.
FolderCommands writeFolderLines(TaskContext& context, const FolderLookup& lookup,
                                const BatchCodePage& codePage = systemBatchCodePage());
// Row 5.
void writeCurrentDirectory(TaskContext& context, const std::string& directory);

struct Account {
    std::string name; // in the ANSI code page
    std::string comment;
    std::string fullName;
    unsigned long userId = 0;
    unsigned long flags = 0;
};
// The value named after an account under the DocFolderPaths key, already
// expanded; nothing when absent.
using DocFolderLookup = std::function<std::optional<std::string>(const std::string& account)>;
// The accounts as the report lists them: the last one handed out first.
std::vector<Account> inReportOrder(std::vector<Account> enumerated);
// Row 6: "All active users:", the accounts in the order given, a closing line feed.
void writeAccountLines(TaskContext& context, const std::vector<Account>& accounts,
                       const DocFolderLookup& docFolder);

// The labels of the computer-name formats 0 to 7.
extern const char* const kComputerNameFormats[8];
// Row 47: "<label>: <name>" per format whose name is longer than one character.
using ComputerNameLookup = std::function<std::optional<std::string>(int format)>;
void writeComputerNameLines(TaskContext& context, const ComputerNameLookup& lookup);

// The system's side of the rows above.
namespace identity {
std::string computerName();
std::string userName();
// Windows 95/98/ME: always. NT: the process token holds the Administrators group.
bool userIsAdministrator();
std::string currentDirectory();
// SHGetFolderPathA from shell32 or, where shell32 lacks it, shfolder.dll;
// bound at run time. The lookup keeps the library loaded while it lives.
FolderLookup systemFolderLookup();
// The local accounts in the order the report lists them (the reverse of
// the order the system hands them out); empty where netapi32 lacks the call.
std::vector<Account> localAccounts();
std::optional<std::string> docFolderPath(const std::string& account);
// GetComputerNameExA, bound at run time (absent before Windows 2000).
std::optional<std::string> computerNameEx(int format);
} // namespace identity
