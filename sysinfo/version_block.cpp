#include "version_block.h"

#include <algorithm>
#include <cstddef>

namespace versionblock {

namespace {

enum class Layout { Wide, Narrow };

// Every node of both layouts: its length, its value's length and (32-bit
// layout only) a type word, then a zero-terminated key, padding to a 32-bit
// boundary, the value, padding, and the child nodes up to the node's end.
struct Node {
    size_t end = 0;           // one past the node's last byte, never beyond its parent
    size_t keyStart = 0;      // first byte of the key
    size_t keyUnits = 0;      // key length in characters, terminator excluded
    size_t valueStart = 0;    // first byte of the value
    size_t valueDeclared = 0; // the value's length as the node gives it, in bytes
    size_t childrenStart = 0; // first child, or `end` when none fits
    size_t next = 0;          // where the node's next sibling starts (may lie beyond the parent)
    bool cut = false;         // the node claims more than its parent holds
};

size_t alignUp(size_t offset) {
    return (offset + 3) & ~size_t{3};
}

unsigned readWord(std::string_view block, size_t at) {
    return static_cast<unsigned char>(block[at]) |
           static_cast<unsigned>(static_cast<unsigned char>(block[at + 1])) << 8;
}

size_t headerSize(Layout layout) {
    return layout == Layout::Wide ? 6 : 4;
}

size_t unitSize(Layout layout) {
    return layout == Layout::Wide ? 2 : 1;
}

// The node that starts at `at` inside a parent ending at `parentEnd`.
std::optional<Node> readNode(std::string_view block, Layout layout, size_t at, size_t parentEnd) {
    const size_t header = headerSize(layout);
    if (at > parentEnd || parentEnd - at < header) return std::nullopt;
    const size_t length = readWord(block, at);
    // Shorter than its own header: a zero length would never move on.
    if (length < header) return std::nullopt;
    Node node;
    node.cut = parentEnd - at < length;
    node.end = node.cut ? parentEnd : at + length;
    node.next = alignUp(at + length);
    const size_t declared = readWord(block, at + 2);
    const size_t unit = unitSize(layout);
    // The 32-bit layout counts a text value in characters, a binary one in bytes.
    node.valueDeclared = layout == Layout::Wide && readWord(block, at + 4) == 1 ? declared * 2 : declared;

    node.keyStart = at + header;
    size_t p = node.keyStart;
    while (true) {
        if (node.end - p < unit) return std::nullopt; // the key runs past its node
        const unsigned c = unit == 2 ? readWord(block, p) : static_cast<unsigned char>(block[p]);
        p += unit;
        if (c == 0) break;
        ++node.keyUnits;
    }
    node.valueStart = alignUp(p);
    if (node.valueStart > node.end) node.valueStart = node.end;
    const size_t valueRoom = node.end - node.valueStart;
    node.childrenStart = node.valueDeclared >= valueRoom
                             ? node.end
                             : std::min(alignUp(node.valueStart + node.valueDeclared), node.end);
    return node;
}

bool keyIs(std::string_view block, Layout layout, const Node& node, std::string_view name) {
    if (node.keyUnits != name.size()) return false;
    auto lower = [](unsigned c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; };
    const size_t unit = unitSize(layout);
    for (size_t i = 0; i < name.size(); ++i) {
        const size_t at = node.keyStart + i * unit;
        const unsigned c = unit == 2 ? readWord(block, at) : static_cast<unsigned char>(block[at]);
        if (lower(c) != lower(static_cast<unsigned char>(name[i]))) return false;
    }
    return true;
}

// The first child of `parent` whose key is `name`.
std::optional<Node> child(std::string_view block, Layout layout, const Node& parent, std::string_view name) {
    size_t at = parent.childrenStart;
    while (at < parent.end) {
        const std::optional<Node> node = readNode(block, layout, at, parent.end);
        if (!node) return std::nullopt;
        if (keyIs(block, layout, *node, name)) return node;
        at = node->next; // always beyond `at`: a node is at least its header long
    }
    return std::nullopt;
}

struct Root {
    Layout layout;
    Node node;
};

std::optional<Root> readRoot(std::string_view block) {
    static constexpr std::string_view kRootKey = "VS_VERSION_INFO";
    // A 16-bit resource has its key right after the two length words; a
    // 32-bit one has a type word there (0 or 1), so its fifth byte is never 'V'.
    const Layout layout = block.size() > 4 && block[4] == 'V' ? Layout::Narrow : Layout::Wide;
    const std::optional<Node> node = readNode(block, layout, 0, block.size());
    if (!node || !keyIs(block, layout, *node, kRootKey)) return std::nullopt;
    return Root{layout, *node};
}

} // namespace

std::string translationKey(uint32_t translation) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string key(8, '0');
    for (int i = 7; i >= 0; --i) {
        key[static_cast<size_t>(i)] = kDigits[translation & 0xF];
        translation >>= 4;
    }
    return key;
}

std::optional<uint32_t> firstTranslation(std::string_view block) {
    const std::optional<Root> root = readRoot(block);
    if (!root) return std::nullopt;
    const std::optional<Node> files = child(block, root->layout, root->node, "VarFileInfo");
    if (!files) return std::nullopt;
    const std::optional<Node> table = child(block, root->layout, *files, "Translation");
    if (!table || table->end - table->valueStart < 4 || table->valueDeclared < 4) return std::nullopt;
    const uint32_t language = readWord(block, table->valueStart);
    const uint32_t codePage = readWord(block, table->valueStart + 2);
    return language << 16 | codePage;
}

std::optional<StringValue> findString(std::string_view block, uint32_t translation, std::string_view name) {
    const std::optional<Root> root = readRoot(block);
    if (!root) return std::nullopt;
    const Layout layout = root->layout;
    const std::optional<Node> files = child(block, layout, root->node, "StringFileInfo");
    if (!files) return std::nullopt;
    const std::optional<Node> table = child(block, layout, *files, translationKey(translation));
    if (!table) return std::nullopt;
    const std::optional<Node> value = child(block, layout, *table, name);
    if (!value) return std::nullopt;

    StringValue out;
    out.isWide = layout == Layout::Wide;
    // A value of no length is an empty text. Otherwise the text runs to its
    // terminator within the node: resource compilers disagree on whether the
    // declared length counts characters or bytes, so it is not the bound.
    if (value->valueDeclared == 0) return out;
    const size_t unit = unitSize(layout);
    bool terminated = false;
    for (size_t at = value->valueStart; value->end - at >= unit; at += unit) {
        const unsigned c = out.isWide ? readWord(block, at) : static_cast<unsigned char>(block[at]);
        if (c == 0) {
            terminated = true;
            break;
        }
        if (out.isWide)
            out.wide.push_back(static_cast<char16_t>(c));
        else
            out.narrow.push_back(static_cast<char>(c));
    }
    // Without its terminator, a text in a node that was cut short is only
    // the front of the value: none is better than a wrong one.
    if (!terminated && value->cut) return std::nullopt;
    return out;
}

} // namespace versionblock
