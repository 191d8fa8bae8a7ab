#include "redaction.h"

#include "address_patterns.h"
#include "text_bytes.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <map>
#include <set>

namespace {

using namespace textbytes;

enum Kind { Computer, Domain, User, FullName, Owner, Company, Mac, Ipv4, Ipv6, Serial, ProductId, kKinds };

const char* const kPlaceholderNames[kKinds] = {"computer", "domain",  "user",     "fullname",
                                               "owner",    "company", "mac",      "ipv4",
                                               "ipv6",     "serial",  "productid"};
const char* const kSummaryNames[kKinds][2] = {{"computer name", "computer names"},
                                              {"domain or workgroup", "domains or workgroups"},
                                              {"user name", "user names"},
                                              {"full name", "full names"},
                                              {"owner", "owners"},
                                              {"company", "companies"},
                                              {"MAC address", "MAC addresses"},
                                              {"IPv4 address", "IPv4 addresses"},
                                              {"IPv6 address", "IPv6 addresses"},
                                              {"serial", "serials"},
                                              {"product id", "product ids"}};

std::string lowered(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = lower(c);
    return out;
}

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

bool isLineEnd(char c) {
    return c == '\r' || c == '\n';
}

bool endsWith(std::string_view text, std::string_view tail) {
    return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

// A line of a binary value: "\t 00 1f a0 ".
bool isHexLine(std::string_view line, std::vector<unsigned char>& bytes) {
    auto hex = [](char c) {
        return (c >= '0' && c <= '9') ? c - '0' : (c >= 'a' && c <= 'f') ? c - 'a' + 10 : -1;
    };
    if (line.size() < 4 || line.substr(0, 2) != "\t ") return false;
    size_t i = 2;
    while (i < line.size()) {
        if (i + 1 >= line.size() || hex(line[i]) < 0 || hex(line[i + 1]) < 0) return false;
        bytes.push_back(static_cast<unsigned char>(hex(line[i]) * 16 + hex(line[i + 1])));
        i += 2;
        if (i < line.size() && line[i++] != ' ') return false;
    }
    return true;
}

// How far back a rule looks for what an address stands after.
constexpr size_t kLookBack = 512;

// Registry listings that print a value as "\t NAME DATA" cannot say where a
// name with a blank in it ends; these are the well-known ones that hold a
// computer, domain or user name.
const char* const kValueNamesWithABlank[] = {"nv hostname", "nv domain", "logon user name", "current user"};

// How a known value must stand to be replaced.
enum class Standing { Name, WholeValue, Anywhere, DottedDomain };

struct Known {
    std::string text; // lower case
    Kind kind;
    std::string key;
    Standing standing;
};

class Redactor {
  public:
    Redactor(std::string_view text, const IdentifyingValues& values);
    Redaction run();

  private:
    void addKnown(std::string_view value, Kind kind, Standing standing, std::string key = {});
    std::string placeholder(Kind kind, const std::string& key);

    void line(size_t start, size_t end);
    bool labelRule(size_t start, size_t end);
    void scan(size_t from, size_t end, size_t lineStart);
    size_t knownAt(size_t i, size_t lineStart, size_t lineEnd);
    size_t addressAt(size_t i, size_t lineStart, size_t lineEnd);

    bool matchesAt(const Known& known, size_t i, size_t lineEnd) const;
    bool standsAlone(const Known& known, size_t s, size_t e, size_t lineStart, size_t lineEnd) const;
    bool wholeValue(size_t s, size_t e, size_t lineStart, size_t lineEnd) const;
    bool registryValueData(size_t s, size_t e, size_t lineStart, size_t lineEnd) const;
    bool netbiosName(size_t s, size_t e, size_t lineStart, size_t lineEnd) const;
    bool numberedEnd(size_t at, size_t lineEnd) const;
    bool profileSuffixAt(size_t at, size_t lineEnd) const;
    bool userFolderBefore(size_t dot, size_t lineStart) const;
    bool segmentEnd(size_t e, size_t lineEnd) const;
    bool profileFolderBefore(size_t s, size_t lineStart) const;
    bool domainBefore(size_t s, size_t lineStart) const;
    bool knownFollows(size_t at, size_t lineEnd, std::initializer_list<Kind> kinds,
                      std::initializer_list<Standing> standings) const;
    bool keptIpv4(const std::string& canonical, size_t s, size_t e, size_t lineStart) const;
    size_t nextLine(size_t end, size_t& nextStart) const;

    std::string_view text_;
    const IdentifyingValues& values_;
    std::vector<Known> known_;
    std::array<std::vector<size_t>, 256> byFirstByte_;
    std::set<std::string> knownIps_;
    std::set<std::string> profileParents_;
    std::array<std::map<std::string, int>, kKinds> placeholders_;
    std::string out_;
    // Hex lines of a product id's binary value still to be replaced, and by what.
    size_t hexLinesLeft_ = 0;
    std::string hexPlaceholder_;
};

Redactor::Redactor(std::string_view text, const IdentifyingValues& v) : text_(text), values_(v) {
    for (const auto& name : v.computerNames)
        addKnown(name, Computer, Standing::Name);
    for (const auto& name : v.domains)
        addKnown(name, Domain, name.find('.') != std::string::npos ? Standing::DottedDomain : Standing::Name);
    for (const auto& name : v.userNames)
        addKnown(name, User, Standing::Name);
    for (const auto& name : v.owners)
        addKnown(name, Owner, Standing::WholeValue);
    for (const auto& name : v.companies)
        addKnown(name, Company, Standing::WholeValue);
    for (const auto& name : v.fullNames)
        addKnown(name, FullName, Standing::WholeValue);
    for (const auto& address : v.hardwareAddresses) {
        const std::string mac = canonicalMac(address.bytes.data(), address.bytes.size());
        if (mac.empty()) continue;
        addKnown(mac, Mac, Standing::Anywhere, mac);
        // As a binary registry value shows it: "00 0c 29 ab cd ef".
        std::string spaced;
        for (size_t i = 0; i < mac.size(); i += 2)
            spaced += (i > 0 ? " " : "") + mac.substr(i, 2);
        addKnown(spaced, Mac, Standing::Anywhere, mac);
    }
    for (const unsigned long serial : v.volumeSerials) {
        if (serial == 0) continue;
        const std::string key = "volume:" + std::to_string(serial);
        char hex[24];
        std::snprintf(hex, sizeof hex, "%04lX-%04lX", (serial >> 16) & 0xFFFFu, serial & 0xFFFFu);
        addKnown(hex, Serial, Standing::Anywhere, key);
        std::snprintf(hex, sizeof hex, "%08lX", serial & 0xFFFFFFFFu);
        addKnown(hex, Serial, Standing::Anywhere, key);
        addKnown(std::to_string(serial), Serial, Standing::Anywhere, key);
    }
    for (const auto& serial : v.serials)
        addKnown(serial, Serial, Standing::Anywhere);
    for (const auto& id : v.productIds)
        addKnown(id, ProductId, Standing::Anywhere);
    for (const auto& address : v.ipAddresses) {
        if (const auto four = ipv4AddressAt(address, 0); four && four->length == address.size())
            knownIps_.insert(four->canonical);
    }
    for (const char* parent : {"documents and settings", "users", "profiles", "home"})
        profileParents_.insert(parent);
    for (const auto& folder : v.profileFolders) {
        std::string_view f = folder;
        while (!f.empty() && (f.back() == '\\' || f.back() == '/'))
            f.remove_suffix(1);
        const size_t cut = f.find_last_of("\\/");
        if (cut != std::string_view::npos) f.remove_prefix(cut + 1);
        if (!f.empty()) profileParents_.insert(lowered(f));
    }
    // Longest first: a value that holds another is replaced whole.
    std::vector<size_t> order(known_.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [this](size_t a, size_t b) { return known_[a].text.size() > known_[b].text.size(); });
    for (const size_t i : order)
        byFirstByte_[static_cast<unsigned char>(known_[i].text[0])].push_back(i);
}

void Redactor::addKnown(std::string_view value, Kind kind, Standing standing, std::string key) {
    // Blanks around a value are no part of it; a value of one character is
    // none at all, as everywhere in the report; short values that may stand
    // anywhere would hit unrelated numbers and words.
    while (!value.empty() && isBlank(value.front()))
        value.remove_prefix(1);
    while (!value.empty() && isBlank(value.back()))
        value.remove_suffix(1);
    const size_t shortest = standing == Standing::Anywhere ? 4 : 2;
    if (value.size() < shortest) return;
    if (std::any_of(value.begin(), value.end(), isLineEnd)) return;
    std::string text = lowered(value);
    // One value, one kind: the first reader to name it wins (a computer name
    // that is also the logon domain stays a computer name).
    for (const Known& k : known_)
        if (k.text == text) return;
    if (key.empty()) key = text;
    known_.push_back({std::move(text), kind, std::move(key), standing});
}

std::string Redactor::placeholder(Kind kind, const std::string& key) {
    auto& numbers = placeholders_[kind];
    auto found = numbers.find(key);
    if (found == numbers.end()) found = numbers.emplace(key, static_cast<int>(numbers.size()) + 1).first;
    return "<" + std::string(kPlaceholderNames[kind]) + "-" + std::to_string(found->second) + ">";
}

bool Redactor::matchesAt(const Known& known, size_t i, size_t lineEnd) const {
    if (lineEnd - i < known.text.size()) return false;
    for (size_t k = 0; k < known.text.size(); ++k)
        if (lower(text_[i + k]) != known.text[k]) return false;
    return true;
}

bool Redactor::wholeValue(size_t s, size_t e, size_t lineStart, size_t lineEnd) const {
    if (registryValueData(s, e, lineStart, lineEnd)) return true;
    // After a label: a line that is nothing but the name may be a section's
    // header ("Network:") that only happens to be spelled like it.
    size_t b = s;
    while (b > lineStart && isBlank(text_[b - 1]))
        --b;
    if (b == lineStart || (text_[b - 1] != ':' && text_[b - 1] != '=')) return false;
    size_t a = e;
    while (a < lineEnd && isBlank(text_[a]))
        ++a;
    if (a == lineEnd || text_[a] == ',') return true;
    if (text_[a] == ':') {
        // An entry of a list: "Name: Admin: ".
        ++a;
        while (a < lineEnd && isBlank(text_[a]))
            ++a;
        return a == lineEnd;
    }
    // "User name:   Admin - Administrator rights"
    return a > e && text_[a] == '-' && a + 1 < lineEnd && text_[a + 1] == ' ';
}

// "\t Hostname WORKSTATION7": the data fills the rest of the line and the
// value's name before it is one word (or one of the few names with a blank
// that hold a name). Data of several words that merely ends in a name
// ("\t Description Run as Admin") reads as a longer name and stays.
bool Redactor::registryValueData(size_t s, size_t e, size_t lineStart, size_t lineEnd) const {
    if (s < lineStart + 4 || text_[lineStart] != '\t' || text_[lineStart + 1] != ' ' || text_[s - 1] != ' ')
        return false;
    size_t a = e;
    while (a < lineEnd && isBlank(text_[a]))
        ++a;
    if (a != lineEnd) return false;
    const std::string_view name = text_.substr(lineStart + 2, s - 1 - (lineStart + 2));
    if (name.empty() || isBlank(name.front())) return false;
    // The bytes of a binary value ("\t 1f ed ") are no name and its data.
    std::vector<unsigned char> bytes;
    if (isHexLine(text_.substr(lineStart, lineEnd - lineStart), bytes)) return false;
    if (name.find_first_of(" \t") == std::string_view::npos) return true;
    const std::string lowerName = lowered(name);
    return std::any_of(std::begin(kValueNamesWithABlank), std::end(kValueNamesWithABlank),
                       [&](const char* known) { return lowerName == known; });
}

// A row of a NetBIOS name table: "WORKSTATION7   <00>  UNIQUE  Registered".
bool Redactor::netbiosName(size_t s, size_t e, size_t lineStart, size_t lineEnd) const {
    if (s > lineStart && !isBlank(text_[s - 1])) return false;
    size_t a = e;
    while (a < lineEnd && text_[a] == ' ')
        ++a;
    if (lineEnd - a < 4 || text_[a] != '<' || !isHexDigit(text_[a + 1]) || !isHexDigit(text_[a + 2]) ||
        text_[a + 3] != '>')
        return false;
    return a + 4 == lineEnd || isBlank(text_[a + 4]);
}

// The end of a profile folder's name, after the number Windows appends to
// tell two profiles of one name apart (".000") if there is one.
bool Redactor::numberedEnd(size_t at, size_t lineEnd) const {
    if (at < lineEnd && text_[at] == '.') {
        size_t d = at + 1;
        while (d < lineEnd && isDigit(text_[d]))
            ++d;
        if (d > at + 1) at = d;
    }
    return segmentEnd(at, lineEnd);
}

// What follows a user's name in a profile folder's name, from the '.' on:
// the number, or the domain or computer the account belongs to
// ("jsmith.ACME", "Administrator.WORKSTATION7.000").
bool Redactor::profileSuffixAt(size_t at, size_t lineEnd) const {
    if (at >= lineEnd || text_[at] != '.') return false;
    if (numberedEnd(at, lineEnd) && at + 1 < lineEnd && isDigit(text_[at + 1])) return true;
    for (const Known& k : known_)
        if ((k.kind == Computer || k.kind == Domain) && matchesAt(k, at + 1, lineEnd) &&
            numberedEnd(at + 1 + k.text.size(), lineEnd))
            return true;
    return false;
}

// A known user's name as a profile folder's name, ending at the '.' at `dot`.
bool Redactor::userFolderBefore(size_t dot, size_t lineStart) const {
    size_t b = dot;
    while (b > lineStart && text_[b - 1] != '\\' && text_[b - 1] != '/' && dot - b < 256)
        --b;
    if (b == dot || !profileFolderBefore(b, lineStart)) return false;
    for (const Known& k : known_)
        if (k.kind == User && k.text.size() == dot - b && matchesAt(k, b, dot)) return true;
    return false;
}

bool Redactor::segmentEnd(size_t e, size_t lineEnd) const {
    if (e == lineEnd) return true;
    const char c = text_[e];
    if (std::string_view("\\/\"';,)]>|").find(c) != std::string_view::npos) return true;
    size_t a = e;
    while (a < lineEnd && isBlank(text_[a]))
        ++a;
    return a == lineEnd;
}

bool Redactor::profileFolderBefore(size_t s, size_t lineStart) const {
    if (s <= lineStart + 1 || (text_[s - 1] != '\\' && text_[s - 1] != '/')) return false;
    size_t b = s - 1;
    const size_t limit = b > lineStart + 64 ? b - 64 : lineStart;
    while (b > limit && text_[b - 1] != '\\' && text_[b - 1] != '/' && text_[b - 1] != ':')
        --b;
    if (b == s - 1) return false;
    return profileParents_.count(lowered(text_.substr(b, s - 1 - b))) != 0;
}

bool Redactor::domainBefore(size_t s, size_t lineStart) const {
    if (s <= lineStart + 1 || text_[s - 1] != '\\') return false;
    size_t b = s - 1;
    while (b > lineStart && !isBlank(text_[b - 1]) && text_[b - 1] != ':' && text_[b - 1] != '=' &&
           text_[b - 1] != '"' && text_[b - 1] != '(' && text_[b - 1] != '\\')
        --b;
    // "C:\Users\NAME\user" is a path, not a logon name.
    if (b > lineStart && text_[b - 1] == '\\') return false;
    const std::string domain = lowered(text_.substr(b, s - 1 - b));
    if (domain == ".") return true;
    for (const Known& k : known_)
        if ((k.kind == Computer || k.kind == Domain) && k.text == domain) return true;
    return false;
}

bool Redactor::knownFollows(size_t at, size_t lineEnd, std::initializer_list<Kind> kinds,
                            std::initializer_list<Standing> standings) const {
    for (const Known& k : known_) {
        if (std::find(kinds.begin(), kinds.end(), k.kind) == kinds.end()) continue;
        if (std::find(standings.begin(), standings.end(), k.standing) == standings.end()) continue;
        if (!matchesAt(k, at, lineEnd)) continue;
        const size_t e = at + k.text.size();
        if (e == lineEnd || (!isWordByte(text_[e]) && text_[e] != '-')) return true;
    }
    return false;
}

bool Redactor::standsAlone(const Known& k, size_t s, size_t e, size_t lineStart, size_t lineEnd) const {
    const char prev = s > 0 ? text_[s - 1] : '\n';
    const char next = e < lineEnd ? text_[e] : '\n';
    const char afterNext = e + 1 < lineEnd ? text_[e + 1] : '\n';
    if (isWordByte(prev) || isWordByte(next)) return false;
    switch (k.standing) {
    case Standing::Anywhere:
    case Standing::DottedDomain:
        if (prev == '-' || (prev == '.' && k.standing == Standing::Anywhere)) return false;
        return !((next == '.' || next == '-') && isAlnum(afterNext));
    case Standing::WholeValue:
        return wholeValue(s, e, lineStart, lineEnd);
    case Standing::Name:
        break;
    }
    // The domain or computer part of a profile folder named "user.DOMAIN".
    if (prev == '.' && k.kind != User) return numberedEnd(e, lineEnd) && userFolderBefore(s - 1, lineStart);
    if (prev == '-' || prev == '.' || next == '-') return false;
    if (wholeValue(s, e, lineStart, lineEnd)) return true;
    if (netbiosName(s, e, lineStart, lineEnd)) return true;
    if (next == '.')
        return knownFollows(e + 1, lineEnd, {Domain}, {Standing::DottedDomain}) ||
               (k.kind == User && profileFolderBefore(s, lineStart) &&
                (!isAlnum(afterNext) || profileSuffixAt(e, lineEnd)));
    if (k.kind == User) {
        // The mailbox of an address: "jsmith@acme.example".
        if (next == '@' && isAlnum(afterNext)) return true;
        if (profileFolderBefore(s, lineStart) && segmentEnd(e, lineEnd)) return true;
        return domainBefore(s, lineStart) && (segmentEnd(e, lineEnd) || isBlank(next));
    }
    // \\COMPUTER
    if (s >= lineStart + 2 && text_[s - 1] == '\\' && text_[s - 2] == '\\')
        return segmentEnd(e, lineEnd) || isBlank(next);
    // DOMAIN\user
    if (next == '\\') return knownFollows(e + 1, lineEnd, {User}, {Standing::Name});
    // COMPUTER:port, as netstat names this machine's end of a connection.
    if (next == ':' && isDigit(afterNext)) return isBlank(prev);
    return false;
}

size_t Redactor::knownAt(size_t i, size_t lineStart, size_t lineEnd) {
    const auto& candidates = byFirstByte_[static_cast<unsigned char>(lower(text_[i]))];
    for (const size_t index : candidates) {
        const Known& k = known_[index];
        if (!matchesAt(k, i, lineEnd)) continue;
        const size_t e = i + k.text.size();
        if (!standsAlone(k, i, e, lineStart, lineEnd)) continue;
        out_ += placeholder(k.kind, k.key);
        return k.text.size();
    }
    return 0;
}

bool Redactor::keptIpv4(const std::string& canonical, size_t s, size_t e, size_t lineStart) const {
    const uint32_t value = ipv4Value(canonical);
    if ((value >> 24) == 127 || isNetmask(value)) return true;
    if (knownIps_.count(canonical) != 0) return false;
    if ((value & 0xFFFFu) == 0) return true;
    if (text_.substr(e, 5) == " byte") return true;
    // The rules look back no further than a key path or a file name reaches,
    // so a long line costs no more per address.
    const size_t floor = std::max(lineStart, s > kLookBack ? s - kLookBack : 0);
    // An object identifier under a key named OID ("...\OID\EncodingType 1\...\2.5.29.32").
    if (lowered(text_.substr(floor, s - floor)).find("\\oid\\") != std::string::npos) return true;
    // A version: "FileVersion: 1.1.0.1", "version 1.2.3.4".
    size_t b = s;
    while (b > floor &&
           (isBlank(text_[b - 1]) || text_[b - 1] == ':' || text_[b - 1] == '=' || text_[b - 1] == '"'))
        --b;
    size_t w = b;
    while (w > floor && isAlnum(text_[w - 1]))
        --w;
    const std::string label = lowered(text_.substr(w, b - w));
    if (endsWith(label, "version") || label == "ver") return true;
    // A column after a file name: the module tables' version columns.
    if (s > lineStart && text_[s - 1] == '\t') {
        std::string_view first = text_.substr(lineStart, std::min(s - lineStart, kLookBack));
        const size_t tab = first.find('\t');
        if (tab == std::string_view::npos) return false;
        first = first.substr(0, tab);
        while (!first.empty() && isBlank(first.back()))
            first.remove_suffix(1);
        const size_t dot = first.find_last_of('.');
        if (dot == std::string_view::npos || first.find('\\') == std::string_view::npos) return false;
        const std::string_view extension = first.substr(dot + 1);
        if (!extension.empty() && extension.size() <= 4 &&
            std::all_of(extension.begin(), extension.end(), isAlnum))
            return true;
    }
    return false;
}

size_t Redactor::addressAt(size_t i, size_t lineStart, size_t lineEnd) {
    const std::string_view line = text_.substr(0, lineEnd);
    // The address as it stands when it is kept, else its placeholder.
    const auto put = [&](const AddressMatch& found, Kind kind, bool kept) {
        if (kept)
            out_.append(text_.substr(i, found.length));
        else
            out_ += placeholder(kind, found.canonical);
        return found.length;
    };
    if (const auto mac = macAddressAt(line, i))
        return put(*mac, Mac, mac->canonical == "000000000000" || mac->canonical == "ffffffffffff");
    if (const auto six = ipv6AddressAt(line, i))
        return put(*six, Ipv6, six->canonical == "0:0:0:0:0:0:0:1" || six->canonical == "0:0:0:0:0:0:0:0");
    if (const auto four = ipv4AddressAt(line, i))
        return put(*four, Ipv4, keptIpv4(four->canonical, i, i + four->length, lineStart));
    return 0;
}

void Redactor::scan(size_t from, size_t end, size_t lineStart) {
    size_t i = from;
    while (i < end) {
        const char prev = i > 0 ? text_[i - 1] : '\n';
        if (!isWordByte(prev)) {
            size_t taken = knownAt(i, lineStart, end);
            if (taken == 0) {
                const char c = text_[i];
                if (isHexDigit(c) || c == ':') taken = addressAt(i, lineStart, end);
            }
            if (taken > 0) {
                i += taken;
                continue;
            }
        }
        out_ += text_[i++];
    }
}

// The start of the line after the one that ends at `end` (its line end
// skipped); returns how many line feeds lie between.
size_t Redactor::nextLine(size_t end, size_t& nextStart) const {
    size_t feeds = 0;
    size_t i = end;
    while (i < text_.size() && isLineEnd(text_[i])) {
        if (text_[i] == '\n') ++feeds;
        ++i;
    }
    nextStart = i;
    return feeds;
}

namespace {

// A value that says there is none: redacting it would hide nothing.
bool saysNothing(std::string_view value) {
    if (value.empty()) return true;
    if (std::none_of(value.begin(), value.end(), [](char c) { return isAlnum(c) && c != '0'; })) return true;
    const std::string v = lowered(value);
    for (const char* none : {"none", "n/a", "not specified", "not applicable", "to be filled by o.e.m.",
                             "default string", "system serial number", "unknown"})
        if (v == none) return true;
    return false;
}

} // namespace

bool Redactor::labelRule(size_t start, size_t end) {
    // The label: up to the first ':' followed by a blank or the line's end.
    size_t colon = start;
    while (colon < end && !(text_[colon] == ':' && (colon + 1 == end || isBlank(text_[colon + 1]))))
        ++colon;
    if (colon >= end || colon - start > 60) return false;
    std::string label;
    for (size_t i = start; i < colon; ++i)
        if (isAlnum(text_[i])) label += lower(text_[i]);
    Kind kind = kKinds;
    if (label == "adapteraddr")
        kind = Mac;
    else if (endsWith(label, "serialnumber") || endsWith(label, "serial"))
        kind = Serial;
    else if (label.find("productid") != std::string::npos || label.find("productkey") != std::string::npos)
        kind = ProductId;
    else if (endsWith(label, "registeredowner") || endsWith(label, "registereduser"))
        kind = Owner;
    else if (endsWith(label, "registeredorganization") || label == "organization")
        kind = Company;
    else if (label == "fullname")
        kind = FullName;
    if (kind == kKinds) return false;
    size_t vs = colon + 1;
    while (vs < end && isBlank(text_[vs]))
        ++vs;
    size_t ve = end;
    if (kind == Serial) {
        const size_t comma = text_.substr(0, end).find(", ", vs);
        if (comma != std::string_view::npos) ve = comma;
    }
    while (ve > vs && isBlank(text_[ve - 1]))
        --ve;
    const std::string_view value = text_.substr(vs, ve - vs);
    std::string key;
    if (kind == Mac) {
        // The number the report makes of an adapter's hardware address.
        if (value.empty() || value == "0") return false;
        key = "number:" + std::string(value);
        for (const auto& address : values_.hardwareAddresses)
            if (std::to_string(address.reportNumber) == value)
                key = canonicalMac(address.bytes.data(), address.bytes.size());
    } else if (kind == ProductId && value.empty()) {
        // A binary value: its bytes follow on lines of their own.
        std::vector<unsigned char> bytes;
        size_t lines = 0;
        size_t at = end;
        for (;;) {
            size_t next = 0;
            if (nextLine(at, next) != 1 || next >= text_.size()) break;
            size_t lineEnd = next;
            while (lineEnd < text_.size() && !isLineEnd(text_[lineEnd]))
                ++lineEnd;
            if (!isHexLine(text_.substr(next, lineEnd - next), bytes)) break;
            ++lines;
            at = lineEnd;
        }
        if (lines == 0 || std::all_of(bytes.begin(), bytes.end(), [](unsigned char b) { return b == 0; }))
            return false;
        hexPlaceholder_ = placeholder(ProductId, "binary:" + std::string(bytes.begin(), bytes.end()));
        hexLinesLeft_ = lines;
        return false; // the label line itself has nothing to hide
    } else {
        if (saysNothing(value)) return false;
        key = lowered(value);
        // A value the readers know keeps the placeholder it has elsewhere.
        for (const Known& k : known_)
            if (k.kind == kind && k.text == key) key = k.key;
    }
    out_.append(text_.substr(start, vs - start));
    out_ += placeholder(kind, key);
    scan(ve, end, start);
    return true;
}

void Redactor::line(size_t start, size_t end) {
    if (hexLinesLeft_ > 0) {
        --hexLinesLeft_;
        out_ += "\t ";
        out_ += hexPlaceholder_;
        return;
    }
    if (labelRule(start, end)) return;
    scan(start, end, start);
}

Redaction Redactor::run() {
    out_.reserve(text_.size() + text_.size() / 16);
    size_t i = 0;
    while (i < text_.size()) {
        size_t end = i;
        while (end < text_.size() && !isLineEnd(text_[end]))
            ++end;
        if (end > i) line(i, end);
        size_t next = 0;
        nextLine(end, next);
        out_.append(text_.substr(end, next - end));
        i = next;
    }
    Redaction result;
    result.summary = "Redacted:";
    bool any = false;
    for (int kind = 0; kind < kKinds; ++kind) {
        const size_t count = placeholders_[kind].size();
        if (count == 0) continue;
        result.summary += any ? ", " : " ";
        result.summary += std::to_string(count) + " " + kSummaryNames[kind][count == 1 ? 0 : 1];
        any = true;
    }
    if (!any) result.summary += " nothing";
    // The added line ends as the report's own lines do.
    std::string lineEnd = "\r\n";
    if (const size_t feed = text_.find('\n'); feed != std::string_view::npos) {
        size_t b = feed;
        while (b > 0 && text_[b - 1] == '\r')
            --b;
        lineEnd = std::string(text_.substr(b, feed + 1 - b));
    }
    result.text.reserve(result.summary.size() + lineEnd.size() + out_.size());
    result.text = result.summary + lineEnd + out_;
    return result;
}

} // namespace

Redaction redact(std::string_view report, const IdentifyingValues& values) {
    return Redactor(report, values).run();
}
