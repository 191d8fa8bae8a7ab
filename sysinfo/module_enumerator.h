// The executable modules loaded into a process, and the table that lists
// them with their version data. On the NT family the process status library
// (psapi.dll) lists them; on Windows 95, 98 and ME the tool-help functions of
// kernel32 do. Both are looked up at run time: psapi does not exist on
// Windows 95, and NT 4.0's kernel32 has no tool-help functions.
#pragma once

#include "dynamic_library.h"
#include "module_table.h"

#include <windows.h>

#include <tlhelp32.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// Version data, size and time of module files already examined, by path.
// Most processes load the same system DLLs, so one listing of all processes
// examines each file once; kept for one report, so a file replaced since is
// seen anew by the next.
using ModuleFactsCache = std::map<std::string, moduletable::ModuleFacts>;

enum class ModuleBinding {
    ForThisSystem, // process status on the NT family, tool help elsewhere
    ProcessStatus, // forced (tests, benchmarks)
    ToolHelp,      // forced
};

enum class ModuleVariant { None, ProcessStatus, ToolHelp };

class ModuleEnumerator {
  public:
    explicit ModuleEnumerator(ModuleBinding binding = ModuleBinding::ForThisSystem) { bind(binding); }
    virtual ~ModuleEnumerator() = default;
    ModuleEnumerator(const ModuleEnumerator&) = delete;
    ModuleEnumerator& operator=(const ModuleEnumerator&) = delete;

    // Unloads the library of an earlier binding, then loads and looks up
    // anew. The variant is None when the library does not load.
    void bind(ModuleBinding binding);
    ModuleVariant variant() const { return variant_; }

    // The full paths of the modules of `processId` (0: this process),
    // upper-cased, ascending. False when the process cannot be opened or
    // listed (gone, access denied, no binding); `modules` is emptied first.
    bool listModules(uint32_t processId, std::vector<std::string>& modules);

    // One line per module (see moduletable::moduleLine); empty when the
    // listing fails or finds nothing. With a cache, files it holds are not
    // examined again and files examined are added to it.
    std::string describeModules(uint32_t processId, ModuleFactsCache* cache = nullptr);

    // Room for module handles in one process-status listing.
    static constexpr DWORD kMostModules = 4096;

  private:
    bool listWithProcessStatus(uint32_t processId, std::vector<std::string>& modules);
    bool listWithToolHelp(uint32_t processId, std::vector<std::string>& modules);

    DynamicLibrary library_;
    ModuleVariant variant_ = ModuleVariant::None;
    BOOL(WINAPI* enumProcessModules_)(HANDLE, HMODULE*, DWORD, LPDWORD) = nullptr;
    DWORD(WINAPI* getModuleFileNameExA_)(HANDLE, HMODULE, LPSTR, DWORD) = nullptr;
    HANDLE(WINAPI* createToolhelp32Snapshot_)(DWORD, DWORD) = nullptr;
    BOOL(WINAPI* module32First_)(HANDLE, MODULEENTRY32*) = nullptr;
    BOOL(WINAPI* module32Next_)(HANDLE, MODULEENTRY32*) = nullptr;
};
