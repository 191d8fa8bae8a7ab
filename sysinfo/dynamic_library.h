// A DLL loaded at run time and the functions looked up in it. Functions that
// Windows 95 lacks (or keeps in another DLL than NT does) must never be in
// the program's import table: the loader would refuse to start it.
#pragma once

#include <windows.h>

class DynamicLibrary {
  public:
    DynamicLibrary() = default;
    ~DynamicLibrary() { unload(); }
    DynamicLibrary(const DynamicLibrary&) = delete;
    DynamicLibrary& operator=(const DynamicLibrary&) = delete;

    // Unloads what was loaded before; false when `name` cannot be loaded.
    bool load(const char* name) {
        unload();
        // A missing DLL is an expected answer on older systems, not a reason
        // for the system to show the user a box.
        const UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
        module_ = LoadLibraryA(name);
        SetErrorMode(oldMode);
        return module_ != nullptr;
    }
    void unload() {
        if (module_ != nullptr) FreeLibrary(module_);
        module_ = nullptr;
    }
    bool loaded() const { return module_ != nullptr; }

    // Null when the library is not loaded or does not export `name`.
    template <typename Function> Function find(const char* name) const {
        if (module_ == nullptr) return nullptr;
        // GetProcAddress hands back a generic pointer; the caller's type
        // gives the real signature of the name.
        return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
    }

  private:
    HMODULE module_ = nullptr;
};
