#include "inventory_xml.h"
#include "utf8.h"

namespace {

// What the server stores: XML 1.0 characters within the BMP (its utf8mb3
// columns drop a whole software row over one emoji).
bool sendable(char32_t c) {
    if (c < 0x20) return c == 0x09 || c == 0x0A || c == 0x0D;
    if (c >= 0xD800 && c <= 0xDFFF) return false;
    return c < 0xFFFE;
}

bool isElementName(std::string_view name) {
    if (name.empty()) return false;
    for (const char c : name)
        if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_')) return false;
    return true;
}

bool isDigits(std::string_view value) {
    if (value.empty()) return false;
    for (const char c : value)
        if (c < '0' || c > '9') return false;
    return true;
}

void appendElement(std::string& out, std::string_view indent, std::string_view name, std::string_view text) {
    out.append(indent).append("<").append(name).append(">");
    out.append(text);
    out.append("</").append(name).append(">\n");
}

std::string decodedText(std::string_view ansi, AnsiDecoder decode) {
    return xmlText(decode(ansi));
}

void appendSection(std::string& out, const InventorySection& section, AnsiDecoder decode) {
    if (!isElementName(section.name())) return;
    std::string fields;
    for (const InventoryField& field : section.fields()) {
        if (!isElementName(field.name)) continue;
        if (field.number) {
            if (isDigits(field.value)) appendElement(fields, "      ", field.name, field.value);
            continue;
        }
        const std::string text = decodedText(field.value, decode);
        if (!text.empty()) appendElement(fields, "      ", field.name, text);
    }
    // An empty element would tell the server the section holds nothing.
    if (fields.empty()) return;
    out.append("    <").append(section.name()).append(">\n");
    out.append(fields);
    out.append("    </").append(section.name()).append(">\n");
}

constexpr std::string_view kDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";

} // namespace

std::string xmlText(std::wstring_view utf16) {
    std::string out;
    out.reserve(utf16.size());
    for (size_t i = 0; i < utf16.size(); ++i) {
        char32_t c = static_cast<char32_t>(utf16[i]) & 0xFFFF;
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < utf16.size()) {
            const char32_t low = static_cast<char32_t>(utf16[i + 1]) & 0xFFFF;
            if (low >= 0xDC00 && low <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        if (!sendable(c)) continue;
        switch (c) {
        case '<':
            out.append("&lt;");
            break;
        case '>':
            out.append("&gt;");
            break;
        case '&':
            out.append("&amp;");
            break;
        case '"':
            out.append("&quot;");
            break;
        case '\'':
            out.append("&apos;");
            break;
        default:
            appendUtf8(out, c);
        }
    }
    return out;
}

std::string inventoryRequestXml(const InventoryDocument& doc, AnsiDecoder decode) {
    std::string out(kDeclaration);
    out.append("<REQUEST>\n  <CONTENT>\n");
    for (const InventorySection& section : doc.sections)
        appendSection(out, section, decode);
    out.append("  </CONTENT>\n");
    appendElement(out, "  ", "DEVICEID", decodedText(doc.deviceId, decode));
    appendElement(out, "  ", "QUERY", "INVENTORY");
    out.append("</REQUEST>\n");
    return out;
}

std::string prologRequestXml(std::string_view deviceId, AnsiDecoder decode) {
    std::string out(kDeclaration);
    out.append("<REQUEST>\n");
    appendElement(out, "  ", "DEVICEID", decodedText(deviceId, decode));
    appendElement(out, "  ", "QUERY", "PROLOG");
    out.append("</REQUEST>\n");
    return out;
}
