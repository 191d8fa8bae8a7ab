// The registry calls of the tree walker, the value reader and the hive dump.
// The NT family goes through the wide functions, which reach every name
// exactly; Windows 95 to ME export them too, but there they fail with
// ERROR_CALL_NOT_IMPLEMENTED, so those systems go through the single-byte
// functions. Names cross this interface in UTF-16 either way; on the
// single-byte side they are converted with the ANSI code page, in which
// that system's registry keeps them.
#pragma once

#include "registry_read.h"

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace reg {

inline constexpr DWORD kSubkeyNameChars = 1024;
// The registry's own limit for value names, so that no value is skipped.
inline constexpr DWORD kValueNameChars = 16384;
// Data read along with a value's name; larger values are read by name.
inline constexpr DWORD kInlineData = 2 * 16384 + 16;

// True when the calls go through the single-byte functions.
bool usesAnsi();
// Tests force the single-byte functions on an NT system (false: back to the
// system's own choice).
void forceAnsi(bool force);

// Numbers of subkeys and values of an open key.
bool queryCounts(HKEY key, DWORD& subkeys, DWORD& values);

// The name of the subkey at `index`, up to kSubkeyNameChars characters.
bool enumSubkey(HKEY key, DWORD index, std::wstring& name);

// Opens `name` below `parent` (an open key or a root).
bool openKey(HKEY parent, const std::wstring& name, REGSAM access, RegKey& out);

// A value's type and data as the single-byte functions hand them over:
// texts (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ) in the ANSI code page, any
// other type as stored.
struct ValueData {
    DWORD type = 0;
    std::vector<BYTE> bytes;
    DWORD rawSize = 0;  // the data's size as the registry call gave it (wide or single-byte)
};

// Reads a named value ("" is the key's default value) whatever its size;
// the registry's error code (may throw std::bad_alloc for a huge value).
LONG queryValue(HKEY key, const std::wstring& name, ValueData& out);
// Reads a value in one call, failing with ERROR_MORE_DATA when its data
// needs more than `units` characters of the interface in use (bytes on the
// single-byte side, UTF-16 units on the wide side).
LONG queryValueUpTo(HKEY key, const std::wstring& name, DWORD units, ValueData& out);

// Reads the values of one open key by index; its buffers serve every index.
class ValueReader {
  public:
    // Room for one value's name and data. Large (a name may have 16,383
    // characters): a walk keeps one and lends it to the reader of every key,
    // rather than clearing 64 KB for each key it visits.
    struct Buffers {
        std::vector<wchar_t> wideName;
        std::vector<char> ansiName;
        std::vector<BYTE> raw;
    };
    ValueReader(HKEY key, Buffers& buffers);

    enum class Got { Nothing, Name, NameAndData };
    // The name of the value at `index` and, when it came along (NameAndData),
    // its data; a value whose data is too large to come along (Name) is
    // then read with queryValue.
    Got read(DWORD index, std::wstring& name, ValueData& data);

  private:
    HKEY key_;
    bool ansi_;
    std::vector<wchar_t>& wideName_;
    std::vector<char>& ansiName_;
    std::vector<BYTE>& raw_;
};

// A top-level key name as one line of the hive dump's keys-list file, and
// back: UTF-8 on the wide side, which keeps any name exactly, the ANSI code
// page on the single-byte side (Windows 95 converts no UTF-8).
std::string toListLine(const std::wstring& name);
std::wstring fromListLine(const std::string& line);

} // namespace reg

// Text conversions at the registry's edge: report text is single-byte.
std::string toAnsi(const std::wstring& wide);
std::wstring fromAnsi(std::string_view text);
std::string toUtf8(const std::wstring& wide);
std::wstring fromUtf8(const std::string& text);
