// Builds version resource blocks in memory, in the 32-bit layout (UTF-16
// keys and texts) or the 16-bit one (single-byte), for the version reader's
// tests and the fuzz target's seeds. Keys and texts are ASCII.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct VersionNode {
    std::string key;
    std::string value; // a text (without its terminator) or raw bytes
    bool text = false;
    std::vector<VersionNode> children;
};

namespace versionbuild {

inline void putWord(std::string& out, unsigned word) {
    out.push_back(static_cast<char>(word & 0xFF));
    out.push_back(static_cast<char>((word >> 8) & 0xFF));
}

inline void pad(std::string& out) {
    while (out.size() % 4 != 0)
        out.push_back('\0');
}

inline void putText(std::string& out, const std::string& text, bool wide) {
    for (const char c : text) {
        if (wide)
            putWord(out, static_cast<unsigned char>(c));
        else
            out.push_back(c);
    }
    if (wide)
        putWord(out, 0);
    else
        out.push_back('\0');
}

// One node, starting at a 32-bit boundary; its length excludes the padding
// after its last child, as resource compilers write it.
inline std::string node(const VersionNode& n, bool wide) {
    std::string out(wide ? 6 : 4, '\0');
    putText(out, n.key, wide);
    pad(out);
    unsigned declared = 0;
    if (n.text && !n.value.empty()) {
        putText(out, n.value, wide);
        declared = static_cast<unsigned>(n.value.size() + 1); // characters, terminator included
    } else if (!n.text) {
        out += n.value;
        declared = static_cast<unsigned>(n.value.size());
    }
    for (const VersionNode& c : n.children) {
        pad(out);
        out += node(c, wide);
    }
    out[0] = static_cast<char>(out.size() & 0xFF);
    out[1] = static_cast<char>((out.size() >> 8) & 0xFF);
    out[2] = static_cast<char>(declared & 0xFF);
    out[3] = static_cast<char>((declared >> 8) & 0xFF);
    if (wide) out[4] = n.text ? 1 : 0;
    return out;
}

inline std::string translationBytes(const std::vector<uint32_t>& translations) {
    std::string bytes;
    for (const uint32_t t : translations) {
        putWord(bytes, t >> 16);
        putWord(bytes, t & 0xFFFF);
    }
    return bytes;
}

// A whole resource: fixed part, one string table per translation with the
// given values, and the translation table listing them in order.
struct Table {
    uint32_t translation;
    std::vector<std::pair<std::string, std::string>> values;
};

inline VersionNode resource(const std::vector<Table>& tables) {
    VersionNode root{"VS_VERSION_INFO", std::string(52, '\x11'), false, {}};
    VersionNode strings{"StringFileInfo", "", false, {}};
    std::vector<uint32_t> translations;
    for (const Table& t : tables) {
        static constexpr char kDigits[] = "0123456789abcdef";
        std::string key(8, '0');
        for (int i = 0; i < 8; ++i)
            key[static_cast<size_t>(7 - i)] = kDigits[(t.translation >> (4 * i)) & 0xF];
        VersionNode table{key, "", false, {}};
        for (const auto& [name, value] : t.values)
            table.children.push_back({name, value, true, {}});
        strings.children.push_back(table);
        translations.push_back(t.translation);
    }
    root.children.push_back(strings);
    VersionNode vars{"VarFileInfo", "", false, {}};
    vars.children.push_back({"Translation", translationBytes(translations), false, {}});
    root.children.push_back(vars);
    return root;
}

} // namespace versionbuild
