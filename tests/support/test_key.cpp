#include "test_key.h"

TestKey::TestKey() {
    path_ = "Software\\KorvexerTest_" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(GetTickCount());
    RegCreateKeyExA(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr);
}

TestKey::~TestKey() {
    if (key_ != nullptr) RegCloseKey(key_);
    RegDeleteTreeA(HKEY_CURRENT_USER, path_.c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, path_.c_str());
}

HKEY TestKey::create(const std::string& sub) const {
    HKEY key = nullptr;
    RegCreateKeyExA(key_, sub.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    return key;
}

void TestKey::setString(const std::string& sub, const char* name, const std::string& value, DWORD type) const {
    setBytes(sub, name, type, value.c_str(), static_cast<DWORD>(value.size() + 1));
}

void TestKey::setBytes(const std::string& sub, const char* name, DWORD type, const void* data, DWORD size) const {
    HKEY key = create(sub);
    RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
}
