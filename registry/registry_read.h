// Reading one registry value as text, for label-and-value report lines.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

// True only when the value itself was read; `out` is left alone otherwise.
bool readRegistryString(HKEY root, const char* keyPath, const char* valueName, std::string& out);

// Owns an open registry key.
class RegKey {
  public:
    RegKey() = default;
    explicit RegKey(HKEY key) : key_(key) {}
    ~RegKey() { reset(); }
    RegKey(RegKey&& other) noexcept : key_(other.key_) { other.key_ = nullptr; }
    RegKey& operator=(RegKey&& other) noexcept {
        if (this != &other) {
            reset();
            key_ = other.key_;
            other.key_ = nullptr;
        }
        return *this;
    }
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;

    bool open(HKEY root, const char* path, REGSAM access);
    HKEY get() const { return key_; }
    explicit operator bool() const { return key_ != nullptr; }
    void reset() {
        if (key_ != nullptr) RegCloseKey(key_);
        key_ = nullptr;
    }

  private:
    HKEY key_ = nullptr;
};

// A text value (REG_SZ or REG_EXPAND_SZ, not expanded) of an open key, read
// whole up to 64 KB; none when absent, of another type or larger.
std::optional<std::string> readTextValue(HKEY key, const char* valueName);
// A REG_DWORD value of an open key; none when absent or of another type.
std::optional<DWORD> readDwordValue(HKEY key, const char* valueName);
// The names of the immediate subkeys of an open key, in the registry's order.
std::vector<std::string> subkeyNames(HKEY key);
