// A private registry key under HKEY_CURRENT_USER\Software, deleted with
// everything below it when the test ends.
#pragma once

#include <windows.h>

#include <string>

class TestKey {
public:
    TestKey();
    ~TestKey();
    TestKey(const TestKey&) = delete;
    TestKey& operator=(const TestKey&) = delete;

    // Path below HKEY_CURRENT_USER.
    const std::string& path() const { return path_; }
    HKEY handle() const { return key_; }
    // Creates a subkey path (relative, backslash separated) and returns it open; the caller closes it.
    HKEY create(const std::string& sub) const;
    void setString(const std::string& sub, const char* name, const std::string& value, DWORD type = REG_SZ) const;
    void setBytes(const std::string& sub, const char* name, DWORD type, const void* data, DWORD size) const;

private:
    std::string path_;
    HKEY key_ = nullptr;
};
