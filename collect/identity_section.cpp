#include "identity_section.h"

#include "registry/registry_access.h"
#include "registry/registry_read.h"
#include "report/task_context.h"
#include "runner/output_processing.h"

#include <windows.h>

#include <memory>

const SpecialFolder kSpecialFolders[49] = {
    {"Admin Tools: ", 48},
    {"Startup Program Group: ", 29},
    {"Application Data: ", 26},
    {"Virtual Folder to Recycle Bin: ", 10},
    {"Cdburn Area: ", 59},
    {"Common Admintools: ", 47},
    {"Common Altstartup: ", 30},
    {"Common Appdata: ", 35},
    {"Common Desktopdirectory: ", 25},
    {"Common Documents: ", 46},
    {"Common Favorites: ", 31},
    {"Common Music: ", 53},
    {"Common Pictures: ", 54},
    {"Common Programs: ", 23},
    {"Common Startmenu: ", 22},
    {"Common Startup: ", 24},
    {"Common Templates: ", 45},
    {"Common Video: ", 55},
    {"Controls: ", 3},
    {"Cookies: ", 33},
    {"Desktop: ", 0},
    {"Desktop Directory: ", 16},
    {"Drives: ", 17},
    {"Favorites: ", 6},
    {"Fonts: ", 20},
    {"History: ", 34},
    {"Internet: ", 1},
    {"Internet Cache: ", 32},
    {"Local Application Data: ", 28},
    {"My Documents: ", 12},
    {"My Music: ", 13},
    {"My Pictures: ", 39},
    {"My Video: ", 14},
    {"Nethood: ", 19},
    {"Network: ", 18},
    {"Personal: ", 5},
    {"Printers: ", 4},
    {"Printhood: ", 27},
    {"Profile: ", 40},
    {"Program Files: ", 38},
    {"Program Files Common: ", 43},
    {"Programs: ", 2},
    {"Recent: ", 8},
    {"Sendto: ", 9},
    {"Start Menu: ", 11},
    {"Startup: ", 7},
    {"Templates: ", 21},
    {"System: ", 37},
    {"Windows: ", 36},
};

const char* const kComputerNameFormats[8] = {
    "NetBIOS",          "DNS hostname",          "DNS domain",          "DNS fully-qualified",
    "Physical NetBIOS", "Physical DNS hostname", "Physical DNS domain", "Physical DNS fully-qualified"};

namespace {

constexpr int kCsidlStartup = 7;
constexpr int kCsidlCommonStartup = 24;
constexpr int kCsidlSystem = 37;

} // namespace

std::optional<std::string> batchQuotedPath(const std::string& path) {
    std::string quoted = "\"";
    for (const char c : path) {
        // "?" and "*" are wildcards to the commands (and a "?" is what a
        // letter the ANSI code page lacks became): another file or none.
        if (c == '"' || c == '?' || c == '*' || static_cast<unsigned char>(c) < 0x20) return std::nullopt;
        // A batch line expands "%" even between quotation marks.
        if (c == '%') quoted += '%';
        quoted += c;
    }
    return quoted + "\"";
}

namespace {

// The quoted path in the interpreter's code page, between `before` and `after`.
std::optional<std::string> batchCommand(const char* before, const std::string& path, const char* after,
                                        const BatchCodePage& codePage) {
    if (path.empty()) return std::nullopt;
    const std::optional<std::string> quoted = batchQuotedPath(path);
    if (!quoted) return std::nullopt;
    return inOemCodePage(before + *quoted + after, codePage.toOem, codePage.toAnsi);
}

} // namespace

BatchCodePage systemBatchCodePage() {
    return {ansiToOemInPlace, oemToAnsiInPlace};
}

std::string folderListCommand(const std::string& folder, const BatchCodePage& codePage) {
    return batchCommand("dir ", folder, " /B", codePage).value_or("dir ");
}

std::string hostsFileCommand(const std::string& systemFolder, const BatchCodePage& codePage) {
    if (systemFolder.empty()) return "type ";
    return batchCommand("type ", systemFolder + "\\Drivers\\etc\\hosts", "", codePage).value_or("type ");
}

FolderCommands writeFolderLines(TaskContext& context, const FolderLookup& lookup,
                                const BatchCodePage& codePage) {
    FolderCommands commands;
    context.write("\n");
    for (const SpecialFolder& folder : kSpecialFolders) {
        const std::optional<std::string> path = lookup(folder.csidl);
        if (!path) continue;
        if (path->size() > 1) reportPrintf(context, "%s%s\n", folder.label, path->c_str());
        switch (folder.csidl) {
        case kCsidlStartup:
            commands.startupFolder = *path;
            commands.startupListCommand = folderListCommand(*path, codePage);
            break;
        case kCsidlCommonStartup:
            commands.commonStartupFolder = *path;
            commands.commonStartupListCommand = folderListCommand(*path, codePage);
            break;
        case kCsidlSystem:
            commands.systemFolder = *path;
            commands.hostsCommand = hostsFileCommand(*path, codePage);
            break;
        default:
            break;
        }
    }
    return commands;
}

void writeCurrentDirectory(TaskContext& context, const std::string& directory) {
    reportPrintf(context, "Current directory: %s\n\n", directory.c_str());
}

std::vector<Account> inReportOrder(std::vector<Account> enumerated) {
    return std::vector<Account>(enumerated.rbegin(), enumerated.rend());
}

void writeAccountLines(TaskContext& context, const std::vector<Account>& accounts,
                       const DocFolderLookup& docFolder) {
    context.write("All active users:\n");
    for (const Account& account : accounts) {
        if (account.name.size() > 1) {
            reportPrintf(context, "\tName: %s: \n", account.name.c_str());
            const std::optional<std::string> path = docFolder(account.name);
            if (path && path->size() > 1) reportPrintf(context, "\tDocFolderPath: \t%s\n", path->c_str());
        }
        if (account.comment.size() > 1) reportPrintf(context, "\tComment: %s\n", account.comment.c_str());
        if (account.fullName.size() > 1) reportPrintf(context, "\tFull name: %s\n", account.fullName.c_str());
        reportPrintf(context, "\tUser id: %lu, ", account.userId);
        reportPrintf(context, "\tFlags: %lu\n\t================================\n", account.flags);
    }
    context.write("\n");
}

void writeComputerNameLines(TaskContext& context, const ComputerNameLookup& lookup) {
    for (int format = 0; format < 8; ++format) {
        const std::optional<std::string> name = lookup(format);
        if (name && name->size() > 1)
            reportPrintf(context, "%s: %s\n", kComputerNameFormats[format], name->c_str());
    }
}

namespace identity {

namespace {

struct LibraryCloser {
    void operator()(HMODULE module) const {
        if (module != nullptr) FreeLibrary(module);
    }
};
using Library = std::unique_ptr<std::remove_pointer_t<HMODULE>, LibraryCloser>;

template <typename Function> Function bound(HMODULE module, const char* name) {
    return module == nullptr
               ? nullptr
               : reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// The system texts of this section are limited to 32,767 characters.
constexpr DWORD kLongText = 32767;

std::string fromBuffer(const std::string& buffer) {
    return std::string(buffer.c_str());
}

} // namespace

std::string computerName() {
    std::string buffer(kLongText + 1, '\0');
    DWORD size = kLongText;
    if (!GetComputerNameA(buffer.data(), &size)) return {};
    return fromBuffer(buffer);
}

std::string userName() {
    std::string buffer(kLongText + 1, '\0');
    DWORD size = kLongText;
    if (!GetUserNameA(buffer.data(), &size)) return {};
    return fromBuffer(buffer);
}

bool userIsAdministrator() {
    if ((GetVersion() & 0x80000000u) != 0) return true;
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    PSID administrators = nullptr;
    if (!AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0,
                                  0, &administrators))
        return false;
    std::unique_ptr<void, decltype(&FreeSid)> sid(administrators, &FreeSid);
    HANDLE tokenHandle = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &tokenHandle)) return false;
    std::unique_ptr<void, decltype(&CloseHandle)> token(tokenHandle, &CloseHandle);
    std::vector<unsigned char> groups(1024);
    DWORD needed = 0;
    while (!GetTokenInformation(tokenHandle, TokenGroups, groups.data(), static_cast<DWORD>(groups.size()),
                                &needed)) {
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed <= groups.size()) return false;
        groups.resize(needed);
    }
    const TOKEN_GROUPS* list = reinterpret_cast<const TOKEN_GROUPS*>(groups.data());
    for (DWORD i = 0; i < list->GroupCount; ++i)
        if (EqualSid(list->Groups[i].Sid, administrators)) return true;
    return false;
}

std::string currentDirectory() {
    std::string buffer(kLongText + 1, '\0');
    const DWORD length = GetCurrentDirectoryA(kLongText, buffer.data());
    if (length == 0 || length > kLongText) return {};
    return fromBuffer(buffer);
}

FolderLookup systemFolderLookup() {
    using GetFolderPath = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPSTR);
    // shell32 has the call from Windows 2000 (and with newer shells); older
    // systems get it from shfolder.dll where an application installed it.
    std::shared_ptr<std::remove_pointer_t<HMODULE>> library;
    GetFolderPath getFolderPath = nullptr;
    for (const char* name : {"shell32.dll", "shfolder.dll"}) {
        HMODULE module = LoadLibraryA(name);
        getFolderPath = bound<GetFolderPath>(module, "SHGetFolderPathA");
        if (getFolderPath != nullptr) {
            library.reset(module, LibraryCloser());
            break;
        }
        if (module != nullptr) FreeLibrary(module);
    }
    return [library, getFolderPath](int csidl) -> std::optional<std::string> {
        if (getFolderPath == nullptr) return std::nullopt;
        char path[MAX_PATH + 1] = {};
        if (FAILED(getFolderPath(nullptr, csidl, nullptr, 0, path))) return std::nullopt;
        path[MAX_PATH] = '\0';
        return std::string(path);
    };
}

namespace {

// Level 1 of NetQueryDisplayInformation, as netapi32 hands it out.
struct DisplayUser {
    LPWSTR name;
    LPWSTR comment;
    DWORD flags;
    LPWSTR fullName;
    DWORD userId;
    DWORD nextIndex;
};

std::string ansi(LPCWSTR text) {
    return text == nullptr ? std::string() : toAnsi(text);
}

} // namespace

std::vector<Account> localAccounts() {
    using QueryDisplay = DWORD(WINAPI*)(LPCWSTR, DWORD, DWORD, DWORD, DWORD, LPDWORD, PVOID*);
    using BufferFree = DWORD(WINAPI*)(LPVOID);
    Library netapi(LoadLibraryA("netapi32.dll"));
    const QueryDisplay query = bound<QueryDisplay>(netapi.get(), "NetQueryDisplayInformation");
    const BufferFree release = bound<BufferFree>(netapi.get(), "NetApiBufferFree");
    std::vector<Account> accounts;
    if (query == nullptr || release == nullptr) return accounts;
    DWORD index = 0;
    // A bound on the rounds: a system that keeps answering "more" without
    // moving on must not hold the report forever.
    for (int round = 0; round < 100000; ++round) {
        DWORD count = 0;
        void* buffer = nullptr;
        const DWORD result = query(nullptr, 1, index, 10, 24, &count, &buffer);
        if (result != ERROR_SUCCESS && result != ERROR_MORE_DATA) break;
        const DisplayUser* users = static_cast<const DisplayUser*>(buffer);
        for (DWORD i = 0; i < count; ++i) {
            Account account;
            account.name = ansi(users[i].name);
            account.comment = ansi(users[i].comment);
            account.fullName = ansi(users[i].fullName);
            account.userId = users[i].userId;
            account.flags = users[i].flags;
            accounts.push_back(std::move(account));
        }
        const DWORD next = count > 0 ? users[count - 1].nextIndex : index;
        if (buffer != nullptr) release(buffer);
        if (result != ERROR_MORE_DATA || count == 0 || next == index) break;
        index = next;
    }
    return inReportOrder(std::move(accounts));
}

std::optional<std::string> docFolderPath(const std::string& account) {
    std::string value;
    if (!readRegistryString(HKEY_LOCAL_MACHINE,
                            "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\DocFolderPaths",
                            account.c_str(), value) ||
        value.size() <= 1)
        return std::nullopt;
    std::string expanded(kLongText + 1, '\0');
    const DWORD length = ExpandEnvironmentStringsA(value.c_str(), expanded.data(), kLongText);
    if (length == 0 || length > kLongText) return value;
    return fromBuffer(expanded);
}

std::optional<std::string> computerNameEx(int format) {
    using GetNameEx = BOOL(WINAPI*)(int, LPSTR, LPDWORD);
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    const GetNameEx getName = bound<GetNameEx>(kernel, "GetComputerNameExA");
    if (getName == nullptr) return std::nullopt;
    char name[257] = {};
    DWORD size = 256;
    if (!getName(format, name, &size)) return std::nullopt;
    name[256] = '\0';
    return std::string(name);
}

} // namespace identity
