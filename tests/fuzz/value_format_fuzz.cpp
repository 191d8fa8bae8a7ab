// The registry value formatter on values of any type and size. The first
// byte is the value type; the second, from 0xF0 on, repeats the data up to
// (byte - 0xEF) times 1,536 bytes, so that the huge-value and long-dump
// limits are within reach of short inputs (and most runs stay short). Besides the sanitizers' findings, a run
// fails when the text breaks the formatter's own bounds: a dump past its stop, a text at the huge limit not
// replaced by the notice, a string that is not a piece of the data, or line breaks left in a string read from
// the registry.
#include "registry/value_text.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

void require(bool condition) {
    if (!condition) __builtin_trap();
}

constexpr std::string_view kHugeNotice = " : Huge KEY data -> data size: ";
constexpr std::string_view kHugeReadNotice = " : Huge KEY Data -> Data Size: ";

// Whether every character is a lower-case hex digit or, with `layout`, a
// blank, tab or line feed (a table: dumps are long, and a search through a
// set per character made the target slow).
bool onlyDumpCharacters(std::string_view text, bool layout) {
    static const auto kAllowed = [] {
        std::array<std::array<bool, 256>, 2> allowed{};
        for (const char c : std::string_view("0123456789abcdef"))
            allowed[0][static_cast<unsigned char>(c)] = allowed[1][static_cast<unsigned char>(c)] = true;
        for (const char c : std::string_view(" \n\t"))
            allowed[1][static_cast<unsigned char>(c)] = true;
        return allowed;
    }();
    for (const char c : text)
        if (!kAllowed[layout][static_cast<unsigned char>(c)]) return false;
    return true;
}

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

void checkRendered(const std::string& text, DWORD type, const std::vector<BYTE>& data) {
    if (startsWith(text, kHugeNotice)) return;
    require(text.size() < regfmt::kHugeText);
    const std::string_view bytes(reinterpret_cast<const char*>(data.data()), data.size());
    switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ:
        require(text.find('\0') == std::string::npos);
        require(startsWith(bytes, text));
        break;
    case REG_BINARY:
        // Three characters a byte, a line break before every sixteen; the
        // dump stops growing at its limit.
        require(text.size() < regfmt::kDumpStop + 6);
        require(text.size() <= data.size() * 3 + (data.size() / 16 + 1) * 3);
        require(onlyDumpCharacters(text, true));
        break;
    case REG_DWORD:
    case REG_DWORD_BIG_ENDIAN:
        require(text.size() == 8 && onlyDumpCharacters(text, false));
        break;
    case REG_MULTI_SZ:
        require(startsWith(text, "\n"));
        require(text.find('\0') == std::string::npos);
        require(text.size() <= 1 + data.size() + data.size() / 2 + 2);
        break;
    default:
        require(text.size() < 32);
        break;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* input, size_t size) {
    if (size < 2) return 0;
    const DWORD type = input[0];
    std::vector<BYTE> data(input + 2, input + size);
    if (input[1] >= 0xF0 && !data.empty()) {
        const size_t target = size_t{input[1] - 0xEFu} * 1536;
        std::vector<BYTE> repeated;
        repeated.reserve(target);
        while (repeated.size() + data.size() <= target)
            repeated.insert(repeated.end(), data.begin(), data.end());
        if (!repeated.empty()) data.swap(repeated);
    }

    // An exact-size copy: the formatter must not read past `size` bytes.
    std::vector<BYTE> exact(data);
    const std::string text = renderValue(exact.data(), type, static_cast<DWORD>(exact.size()));
    checkRendered(text, type, exact);

    const std::string fetched = renderFetchedValue(type, data);
    if (data.size() >= regfmt::kHugeValue) {
        require(startsWith(fetched, kHugeReadNotice));
    } else if (type == REG_SZ || type == REG_EXPAND_SZ) {
        // The text up to its first zero byte without its line breaks; every
        // other byte as the registry gave it.
        std::string expected;
        for (const BYTE b : data) {
            if (b == 0) break;
            if (b != 13 && b != 10) expected += static_cast<char>(b);
        }
        require(fetched == expected);
    } else {
        require(fetched == text);
    }
    return 0;
}
