// The version resource of an executable file, read from the block that
// GetFileVersionInfoA hands back. The block comes from someone else's file,
// so nothing in it is trusted: every length is checked against the block and
// against the node that holds it before a byte is read, a node that claims
// more than its parent holds is cut to its parent, and a walk always moves
// forward, so a damaged block gives "not found", never a read outside it.
//
// Two layouts exist: the 32-bit one of Win32 files (keys and texts in UTF-16)
// and the 16-bit one of older files (single-byte keys and texts). Keys are
// matched without regard to letter case, as the system's own lookup does.
//
// No window or file call here: the parser is built natively for fuzzing.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace versionblock {

// One string value as the block holds it: UTF-16 units of a 32-bit resource
// (`wide`), single bytes of a 16-bit one (`narrow`), up to its terminator or
// the end of its node, whichever comes first.
struct StringValue {
    bool isWide = false;
    std::u16string wide;
    std::string narrow;
};

// The first entry of "\VarFileInfo\Translation": the language in the high 16
// bits, the code page in the low 16 bits. Nothing when the block has no
// translation table or the table holds less than one whole entry.
std::optional<uint32_t> firstTranslation(std::string_view block);

// The value "\StringFileInfo\<translation>\<name>", the translation written
// as eight hexadecimal digits. Nothing when the block, the string table of
// that translation or the value is missing or damaged.
std::optional<StringValue> findString(std::string_view block, uint32_t translation, std::string_view name);

// "040904b0" for 0x040904B0: the name of a string table.
std::string translationKey(uint32_t translation);

} // namespace versionblock
