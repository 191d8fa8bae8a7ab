#include "work_file.h"

#include "critical_section.h"
#include "read_to_end.h"
#include "system_api.h"
#include "work_directory.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <new>
#include <vector>

namespace {

std::string formatName(const char* pattern, const std::string& directory, int number, int index) {
    const int n = std::snprintf(nullptr, 0, pattern, directory.c_str(), number, index);
    if (n < 0) return {};
    std::string out(static_cast<size_t>(n) + 1, '\0');
    std::snprintf(out.data(), out.size(), pattern, directory.c_str(), number, index);
    out.resize(static_cast<size_t>(n));
    return out;
}

} // namespace

bool workFileNameTaken(const std::string& path) {
    // A name that can be opened is in use; so is one that still exists but
    // cannot be opened (a file another process is just letting go of, whose
    // deletion is pending): creating it would fail. Such a file may refuse
    // even its attributes, but its folder still lists it.
    if (fileCanBeRead(path) || GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA(path.c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return false;
    FindClose(find);
    return true;
}

NameClaim createNewWorkFile(const std::string& path) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, workFileSharing(), nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
        CloseHandle(h);
        return NameClaim::Created;
    }
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) return NameClaim::Taken;
    return workFileNameTaken(path) ? NameClaim::Taken : NameClaim::Refused;
}

DWORD workFileSharingFor(bool ntFamily) {
    const DWORD sharing = FILE_SHARE_READ | FILE_SHARE_WRITE;
    return ntFamily ? sharing | FILE_SHARE_DELETE : sharing;
}

DWORD workFileSharing() {
    return workFileSharingFor(sys::ntFamily());
}

HANDLE openWorkFileToRead(const std::string& path) {
    return CreateFileA(path.c_str(), GENERIC_READ, workFileSharing(), nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

HANDLE openWorkFileToAppend(const std::string& path) {
    return CreateFileA(path.c_str(), GENERIC_WRITE, workFileSharing(), nullptr, OPEN_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool appendToWorkFile(HANDLE file, std::string_view bytes) {
    LONG high = 0;
    SetLastError(NO_ERROR);
    if (SetFilePointer(file, 0, &high, FILE_END) == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR)
        return false;
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 20));
        if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0) return false;
        done += written;
    }
    return true;
}

bool appendWorkFile(const std::string& path, std::string_view bytes) {
    HANDLE h = openWorkFileToAppend(path);
    if (h == INVALID_HANDLE_VALUE) return false;
    const bool ok = appendToWorkFile(h, bytes);
    CloseHandle(h);
    return ok;
}

bool fileCanBeRead(const std::string& path) {
    HANDLE h = openWorkFileToRead(path);
    if (h == INVALID_HANDLE_VALUE) return false;
    CloseHandle(h);
    return true;
}

bool readWholeFile(const std::string& path, std::string& out) {
    HANDLE h = openWorkFileToRead(path);
    if (h == INVALID_HANDLE_VALUE) return false;
    const bool ok = readToEnd(
        [h](char* buffer, std::size_t capacity, std::size_t& got) {
            DWORD n = 0;
            const bool read = ReadFile(h, buffer, static_cast<DWORD>(capacity), &n, nullptr) != 0;
            got = n;
            return read;
        },
        out);
    CloseHandle(h);
    return ok;
}

namespace {

enum class Removal { Gone, Held, Refused };

Removal tryToRemove(const std::string& path, DWORD patienceMs) {
    const DWORD start = GetTickCount();
    while (true) {
        if (DeleteFileA(path.c_str())) return Removal::Gone;
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return Removal::Gone;
        // Windows 95 to ME say "access denied" where the NT family says
        // "sharing violation". On the NT family "access denied" means rights
        // or a read-only file, and neither passes by waiting.
        const bool held =
            error == ERROR_SHARING_VIOLATION || (error == ERROR_ACCESS_DENIED && !sys::ntFamily());
        if (!held) return Removal::Refused;
        if (GetTickCount() - start >= patienceMs) return Removal::Held;
        Sleep(20);
    }
}

// The files a halted task had to leave, shared by the worker that leaves them
// and the window's thread that tries them again.
struct LeftFiles {
    CriticalSection lock;
    std::vector<std::string> paths;
};

LeftFiles& leftFiles() {
    static LeftFiles left;
    return left;
}

} // namespace

namespace {

// `remember`: a file still held is tried again later.
bool removeRemembering(const std::string& path, DWORD patienceMs, bool remember) {
    const Removal removal = tryToRemove(path, patienceMs);
    if (removal == Removal::Held && remember) {
        LeftFiles& left = leftFiles();
        ScopedLock hold(left.lock);
        try {
            if (std::find(left.paths.begin(), left.paths.end(), path) == left.paths.end())
                left.paths.push_back(path);
        } catch (const std::bad_alloc&) {
            // Without memory the file stays for a later sweep.
        }
    }
    return removal == Removal::Gone;
}

} // namespace

bool removeWorkFile(const std::string& path, DWORD patienceMs) {
    return removeRemembering(path, patienceMs, patienceMs > 0);
}

void removeWorkFiles(const std::vector<const std::string*>& paths, DWORD patienceMs) {
    const DWORD start = GetTickCount();
    for (const std::string* path : paths) {
        if (path == nullptr || path->empty()) continue;
        const DWORD spent = GetTickCount() - start;
        removeRemembering(*path, spent < patienceMs ? patienceMs - spent : 0, patienceMs > 0);
    }
}

size_t removeLeftWorkFiles(DWORD patienceMs) {
    LeftFiles& left = leftFiles();
    ScopedLock hold(left.lock);
    left.paths.erase(std::remove_if(left.paths.begin(), left.paths.end(),
                                    [patienceMs](const std::string& path) {
                                        return tryToRemove(path, patienceMs) != Removal::Held;
                                    }),
                     left.paths.end());
    return left.paths.size();
}

ClaimedName chooseWorkFileName(const char* pattern, const std::string& directory,
                               const std::function<int()>& random,
                               const std::function<NameClaim(const std::string&)>& claim) {
    ClaimedName name;
    for (int i = 0; i < 1000; ++i) {
        name.path = formatName(pattern, directory, random(), i);
        name.outcome = claim(name.path);
        if (name.outcome != NameClaim::Taken) return name;
    }
    return name;
}

NameClaim createNewWorkFileWithCompanion(const std::string& path, const std::string& companionSuffix) {
    const NameClaim claim = createNewWorkFile(path);
    if (claim != NameClaim::Created || companionSuffix.empty() || !workFileNameTaken(path + companionSuffix))
        return claim;
    // An earlier holder of the name has not yet removed its companion file.
    DeleteFileA(path.c_str());
    return NameClaim::Taken;
}

ClaimedName claimWorkFileName(const char* pattern, const char* companionSuffix) {
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    const std::string suffix = companionSuffix != nullptr ? companionSuffix : "";
    return chooseWorkFileName(
        pattern, workDirectory(), [] { return std::rand(); },
        [&suffix](const std::string& path) { return createNewWorkFileWithCompanion(path, suffix); });
}

std::string makeWorkFileName(const char* pattern) {
    return claimWorkFileName(pattern).path;
}
