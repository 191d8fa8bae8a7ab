#include "module_enumerator.h"

#include "file_version_reader.h"
#include "module_table.h"
#include "report/system_api.h"

#include <cstring>
#include <memory>
#include <new>

namespace {

// Owns a process or snapshot handle.
class OwnedHandle {
  public:
    explicit OwnedHandle(HANDLE h) : h_(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
    ~OwnedHandle() {
        if (h_ != nullptr) CloseHandle(h_);
    }
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;
    HANDLE get() const { return h_; }

  private:
    HANDLE h_;
};

bool isLeadByte(unsigned char c) {
    return IsDBCSLeadByte(c) != FALSE;
}

void addUpperCased(std::vector<std::string>& modules, const char* path, size_t length) {
    std::string upper(path, length);
    if (!upper.empty()) CharUpperBuffA(upper.data(), static_cast<DWORD>(upper.size()));
    moduletable::insertInOrder(modules, std::move(upper), isLeadByte);
}

// Size and modification time (local) of a file; false when it cannot be examined.
bool readFileFacts(const std::string& path, moduletable::ModuleFacts& facts) {
    // FindFirstFileA would take these as wildcards and could answer for another file.
    if (path.find_first_of("*?") != std::string::npos) return false;
    WIN32_FIND_DATAA found{};
    const HANDLE search = FindFirstFileA(path.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    FindClose(search);
    FILETIME local{};
    SYSTEMTIME time{};
    if (!FileTimeToLocalFileTime(&found.ftLastWriteTime, &local) || !FileTimeToSystemTime(&local, &time))
        return false;
    facts.size = static_cast<uint64_t>(found.nFileSizeHigh) << 32 | found.nFileSizeLow;
    facts.modified = {time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute, time.wSecond};
    facts.fileKnown = true;
    return true;
}

} // namespace

void ModuleEnumerator::bind(ModuleBinding binding) {
    library_.unload();
    variant_ = ModuleVariant::None;
    enumProcessModules_ = nullptr;
    getModuleFileNameExA_ = nullptr;
    createToolhelp32Snapshot_ = nullptr;
    module32First_ = nullptr;
    module32Next_ = nullptr;

    const bool processStatus = binding == ModuleBinding::ProcessStatus ||
                               (binding == ModuleBinding::ForThisSystem && sys::ntFamily());
    if (processStatus) {
        if (!library_.load("psapi.dll")) return;
        variant_ = ModuleVariant::ProcessStatus;
        enumProcessModules_ = library_.find<decltype(enumProcessModules_)>("EnumProcessModules");
        getModuleFileNameExA_ = library_.find<decltype(getModuleFileNameExA_)>("GetModuleFileNameExA");
    } else {
        if (!library_.load("kernel32.dll")) return;
        variant_ = ModuleVariant::ToolHelp;
        createToolhelp32Snapshot_ =
            library_.find<decltype(createToolhelp32Snapshot_)>("CreateToolhelp32Snapshot");
        module32First_ = library_.find<decltype(module32First_)>("Module32First");
        module32Next_ = library_.find<decltype(module32Next_)>("Module32Next");
    }
}

bool ModuleEnumerator::listModules(uint32_t processId, std::vector<std::string>& modules) {
    modules.clear();
    switch (variant_) {
    case ModuleVariant::ProcessStatus:
        return listWithProcessStatus(processId, modules);
    case ModuleVariant::ToolHelp:
        return listWithToolHelp(processId, modules);
    case ModuleVariant::None:
        break;
    }
    return false;
}

bool ModuleEnumerator::listWithProcessStatus(uint32_t processId, std::vector<std::string>& modules) {
    if (enumProcessModules_ == nullptr || getModuleFileNameExA_ == nullptr) return false;
    // The pseudo handle of this process needs no closing; OwnedHandle holds
    // only what OpenProcess gave.
    OwnedHandle opened(processId == 0
                           ? nullptr
                           : OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
    const HANDLE process = processId == 0 ? GetCurrentProcess() : opened.get();
    if (process == nullptr) return false;

    std::unique_ptr<HMODULE[]> handles(new (std::nothrow) HMODULE[kMostModules]);
    if (!handles) return false;
    DWORD needed = 0;
    if (!enumProcessModules_(process, handles.get(), kMostModules * sizeof(HMODULE), &needed)) return false;
    // More modules than the room holds: the first kMostModules are listed.
    const DWORD count = (needed < kMostModules * sizeof(HMODULE) ? needed : kMostModules * sizeof(HMODULE)) /
                        static_cast<DWORD>(sizeof(HMODULE));
    bool any = false;
    for (DWORD i = 0; i < count; ++i) {
        char path[MAX_PATH + 1] = {};
        // A module unloaded (or a process ended) since the listing is skipped.
        const DWORD length = getModuleFileNameExA_(process, handles[i], path, MAX_PATH);
        if (length == 0) continue;
        addUpperCased(modules, path, strnlen(path, MAX_PATH));
        any = true;
    }
    return any;
}

bool ModuleEnumerator::listWithToolHelp(uint32_t processId, std::vector<std::string>& modules) {
    if (createToolhelp32Snapshot_ == nullptr || module32First_ == nullptr || module32Next_ == nullptr)
        return false;
    const DWORD id = processId == 0 ? GetCurrentProcessId() : processId;
    HANDLE snapshot = INVALID_HANDLE_VALUE;
    // The NT family answers ERROR_BAD_LENGTH while the process is loading or
    // unloading a module; the snapshot succeeds when asked again.
    for (int attempt = 0; attempt < 4 && snapshot == INVALID_HANDLE_VALUE; ++attempt) {
        snapshot = createToolhelp32Snapshot_(TH32CS_SNAPMODULE, id);
        if (snapshot == INVALID_HANDLE_VALUE && GetLastError() != ERROR_BAD_LENGTH) break;
    }
    if (snapshot == INVALID_HANDLE_VALUE) return false;
    OwnedHandle owned(snapshot);

    MODULEENTRY32 entry{};
    entry.dwSize = sizeof entry;
    if (!module32First_(snapshot, &entry)) return false;
    do {
        addUpperCased(modules, entry.szExePath, strnlen(entry.szExePath, sizeof entry.szExePath));
        entry.dwSize = sizeof entry;
    } while (module32Next_(snapshot, &entry));
    return true;
}

std::string ModuleEnumerator::describeModules(uint32_t processId, ModuleFactsCache* cache) {
    std::vector<std::string> modules;
    if (!listModules(processId, modules)) return {};
    std::string table;
    FileVersionReader reader;
    for (std::string& path : modules) {
        if (cache != nullptr) {
            const auto known = cache->find(path);
            if (known != cache->end()) {
                table += moduletable::moduleLine(known->second);
                continue;
            }
        }
        moduletable::ModuleFacts facts;
        if (reader.load(path)) {
            facts.fileDescription = reader.fileDescription();
            facts.fileVersion = reader.fileVersion();
            facts.productName = reader.productName();
            facts.productVersion = reader.productVersion();
            reader.release();
        }
        readFileFacts(path, facts);
        facts.path = path;
        table += moduletable::moduleLine(facts);
        if (cache != nullptr) cache->emplace(std::move(path), std::move(facts));
    }
    return table;
}
