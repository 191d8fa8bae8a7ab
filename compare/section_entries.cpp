#include "section_entries.h"

#include "report_text.h"

#include <algorithm>
#include <cctype>

void EntryList::add(std::string id, std::string label, std::string value, std::string parent, Repeat repeat) {
    auto found = index_.find(id);
    if (found != index_.end()) {
        if (repeat == Repeat::Merge) return;
        const std::string base = id;
        for (int n = 2;; ++n) {
            id = base + " #" + std::to_string(n);
            if (index_.find(id) == index_.end()) break;
        }
        label += " #" + id.substr(base.size() + 2);
    }
    entries_.push_back({std::move(id), std::move(label), std::move(value), std::move(parent)});
    index_.emplace(entries_.back().id, &entries_.back());
}

const Entry* EntryList::find(const std::string& id) const {
    auto found = index_.find(id);
    return found == index_.end() ? nullptr : found->second;
}

namespace {

using Lines = std::vector<std::string>;

std::string upper(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

// The lines no rule reads: each line an entry, a repeated line counted.
void lineEntries(const Lines& lines, EntryList& out, const std::string& parent = {}) {
    for (const std::string& line : lines) {
        const std::string_view bare = trimmed(line);
        if (bare.empty()) continue;
        out.add(parent + "|" + std::string(bare), "line \"" + std::string(bare) + "\"", "", parent);
    }
}

// "Label: value" (or "Label:" alone): the label, or empty for another line.
std::string_view labelOf(std::string_view bare, std::string_view* value) {
    size_t colon = bare.find(": ");
    if (colon == std::string_view::npos && !bare.empty() && bare.back() == ':') colon = bare.size() - 1;
    if (colon == std::string_view::npos || colon == 0 || colon > 60) return {};
    if (value != nullptr) *value = trimmed(bare.substr(colon + 1));
    return bare.substr(0, colon);
}

// Binary data runs on below its value's name, sixteen bytes to a line
// ("\t 7e fc d2 62 ..."): such a line is not a value of its own. In the
// dumps that write "NAME: DATA" a value line always has its colon.
bool continuesValue(std::string_view bare, bool colonForm) {
    if (colonForm && bare.find(':') == std::string_view::npos) return true;
    for (size_t i = 0; i < bare.size(); i += 3) {
        if (i + 1 >= bare.size() || !std::isxdigit(static_cast<unsigned char>(bare[i])) ||
            !std::isxdigit(static_cast<unsigned char>(bare[i + 1])) ||
            (i + 2 < bare.size() && bare[i + 2] != ' '))
            return false;
    }
    return !bare.empty();
}

// Value names holding a blank that the dumps without a colon write often
// enough to be known: alone in their key, nothing else tells their name.
constexpr std::string_view kNamesWithABlank[] = {"NV Domain", "NV Hostname"};

// "\t NAME DATA" cannot say where a name with a blank ends. Names are unique
// within a key, so two value lines of one key that begin with the same word
// hold such names: their first two words are taken as the name (as in
// "NV Domain" beside "NV Hostname"), else a known name, else the first word.
// An unknown such name alone in its key is read by its first word, the rest
// of its name leading its data: a change still shows both whole lines.
std::string_view blankFormName(std::string_view bare, const std::vector<std::string_view>& sharedFirstWords) {
    const size_t blank = bare.find(' ');
    if (blank == std::string_view::npos) return bare;
    for (std::string_view known : kNamesWithABlank)
        if (bare.substr(0, known.size()) == known &&
            (bare.size() == known.size() || bare[known.size()] == ' '))
            return known;
    const std::string_view first = bare.substr(0, blank);
    if (std::find(sharedFirstWords.begin(), sharedFirstWords.end(), first) == sharedFirstWords.end())
        return first;
    const size_t second = bare.find(' ', blank + 1);
    return second == std::string_view::npos ? bare : bare.substr(0, second);
}

// Registry dumps: "Key: PATH" opens a key, "\t NAME: DATA" (hive dumps and
// policies) or "\t NAME DATA" (the other dumps) is one of its values, the
// default value is named "(Default)". A key's values and subkeys are part of
// it, so a key added with everything under it is one entry.
void registryEntries(std::string_view title, const Lines& lines, EntryList& out) {
    const std::string_view kKey = "Key: ";
    const std::string_view kDefault = "Unnamed registry key (Default): ";
    auto keyId = [](std::string_view path) { return "key|" + upper(path); };
    auto parentOf = [&](std::string_view path) -> std::string {
        const size_t slash = path.rfind('\\');
        return slash == std::string_view::npos || slash == 0 ? std::string() : keyId(path.substr(0, slash));
    };
    // Hive dumps and the policy trees write "NAME: DATA"; the other dumps "NAME DATA".
    const bool colonForm = startsWith(title, "HKEY_") || startsWith(title, "Keys and values from ");
    std::string key, keyUpper, ownKeyId;
    std::string lastValue, lastLabel;
    Lines others;
    // The first words more than one value line of the current key begins with.
    std::vector<std::string_view> sharedFirstWords;
    auto findSharedFirstWords = [&](size_t from) {
        sharedFirstWords.clear();
        if (colonForm) return;
        std::vector<std::string_view> seen;
        for (size_t i = from; i < lines.size(); ++i) {
            const std::string_view bare = trimmed(lines[i]);
            if (startsWith(bare, kKey)) break;
            if (bare.empty() || lines[i][0] != '\t' || continuesValue(bare, false)) continue;
            const std::string_view first = bare.substr(0, bare.find(' '));
            if (std::find(seen.begin(), seen.end(), first) == seen.end())
                seen.push_back(first);
            else if (std::find(sharedFirstWords.begin(), sharedFirstWords.end(), first) ==
                     sharedFirstWords.end())
                sharedFirstWords.push_back(first);
        }
    };
    for (size_t at = 0; at < lines.size(); ++at) {
        const std::string& line = lines[at];
        const std::string_view bare = trimmed(line);
        if (bare.empty()) continue;
        if (startsWith(bare, kKey)) {
            findSharedFirstWords(at + 1);
            const std::string_view path = trimmed(bare.substr(kKey.size()));
            key = std::string(path);
            keyUpper = upper(path);
            ownKeyId = "key|" + keyUpper;
            lastValue.clear();
            // "Key: PATH " (a blank after it) only heads a key's values: a key
            // that has none is not shown so, and one that gets its first value
            // is no new key. Keys are the headers the walk of subkeys prints.
            if (line.back() != ' ')
                out.add(ownKeyId, "key " + key, "", parentOf(path), EntryList::Repeat::Merge);
            continue;
        }
        if (key.empty()) {
            others.push_back(line);
            continue;
        }
        std::string name, data;
        if (startsWith(bare, kDefault)) {
            name = "(Default)";
            data = std::string(bare.substr(kDefault.size()));
        } else if (line[0] == '\t' && (lastValue.empty() || !continuesValue(bare, colonForm))) {
            const size_t split = colonForm ? bare.find(": ") : blankFormName(bare, sharedFirstWords).size();
            if (split == std::string_view::npos || split >= bare.size()) {
                name = std::string(colonForm && bare.back() == ':' ? bare.substr(0, bare.size() - 1) : bare);
            } else {
                name = std::string(bare.substr(0, split));
                data = std::string(trimmed(bare.substr(split + (colonForm ? 2 : 1))));
            }
        } else if (!lastValue.empty()) {
            // Data that ran over onto lines of its own belongs to the value before.
            out.add(lastValue + "|more", lastLabel + " (continued)", std::string(bare), lastValue);
            continue;
        } else {
            others.push_back(line);
            continue;
        }
        lastValue = "value|" + keyUpper + "|" + upper(name);
        lastLabel = "value " + key + ": " + name;
        out.add(lastValue, lastLabel, data, ownKeyId);
    }
    lineEntries(others, out);
}

// The part after a leading "N. " (the number of a listing).
std::string_view unnumbered(std::string_view bare) {
    size_t i = 0;
    while (i < bare.size() && std::isdigit(static_cast<unsigned char>(bare[i])))
        ++i;
    if (i > 0 && bare.substr(i, 2) == ". ") return bare.substr(i + 2);
    return bare;
}

struct BlockForm {
    const char* start; // the label of a block's first line
    const char* id;    // the label (without its colon) whose value identifies the block
    const char* noun;  // what a block is ("service", "adapter")
};

// Blocks of "Label: value" lines, one per service, adapter, disk or program.
void blockEntries(const BlockForm& form, const Lines& lines, EntryList& out) {
    Lines before;
    std::vector<Lines> blocks;
    for (const std::string& line : lines) {
        if (startsWith(unnumbered(trimmed(line)), form.start)) blocks.emplace_back();
        if (blocks.empty())
            before.push_back(line);
        else
            blocks.back().push_back(line);
    }
    lineEntries(before, out);
    for (const Lines& block : blocks) {
        std::string name;
        for (const std::string& line : block) {
            std::string_view value;
            if (labelOf(unnumbered(trimmed(line)), &value) == form.id) {
                name = std::string(value);
                break;
            }
        }
        const std::string id = std::string(form.noun) + "|" + name;
        out.add(id, std::string(form.noun) + " " + name, "");
        // The block's own id after numbering of a repeat.
        const std::string blockId = out.entries().back().id;
        const std::string blockLabel = out.entries().back().label;
        for (const std::string& line : block) {
            const std::string_view bare = unnumbered(trimmed(line));
            if (bare.empty()) continue;
            std::string_view value;
            const std::string_view label = labelOf(bare, &value);
            if (label.empty())
                out.add(blockId + "|" + std::string(bare), blockLabel + ": \"" + std::string(bare) + "\"", "",
                        blockId);
            else
                out.add(blockId + "|" + std::string(label), blockLabel + ": " + std::string(label),
                        std::string(value), blockId);
        }
    }
}

constexpr BlockForm kServices{"System Name:", "Name", "service"};
constexpr BlockForm kAdapterProperties{"Adapter Type:", "Description", "adapter"};
constexpr BlockForm kAdapterInfos{"Network Adapters Info:", "Adapter Desc", "adapter"};
constexpr BlockForm kDisks{"Device ID:", "Device ID", "disk"};
constexpr BlockForm kInstalledProducts{"Caption:", "Name", "program"};
constexpr BlockForm kUninstallEntries{"Display Name:", "Display Name", "program"};
constexpr BlockForm kCodecFiles{"Access Mask:", "Name", "codec file"};

// Processes: a block per "Process: NAME", identified by its program's path
// (the "Full Path:" line, else the module of the process's own name), its
// modules by their paths. The instances of one program count as one: how many
// copies run changes on its own.
void processEntries(std::string_view, const Lines& lines, EntryList& out) {
    const std::string_view kProcess = "Process: ";
    const std::string_view kFullPath = "Full Path:";
    Lines before;
    std::vector<Lines> blocks;
    for (const std::string& line : lines) {
        if (startsWith(trimmed(line), kProcess)) blocks.emplace_back();
        (blocks.empty() ? before : blocks.back()).push_back(line);
    }
    lineEntries(before, out);
    auto isModuleLine = [](std::string_view line) {
        return line.find('\t') != std::string_view::npos &&
               ((line.size() > 3 && std::isalpha(static_cast<unsigned char>(line[0])) && line[1] == ':' &&
                 line[2] == '\\') ||
                startsWith(line, "\\\\"));
    };
    for (const Lines& block : blocks) {
        const std::string name(
            trimmed(std::string_view(block.front()).substr(block.front().find(kProcess) + kProcess.size())));
        std::string path;
        for (const std::string& line : block) {
            const std::string_view bare = trimmed(line);
            if (startsWith(bare, kFullPath)) path = std::string(trimmed(bare.substr(kFullPath.size())));
        }
        if (path.empty()) {
            for (const std::string& line : block) {
                if (!isModuleLine(line)) continue;
                const std::string_view file = std::string_view(line).substr(0, line.find('\t'));
                const size_t slash = file.rfind('\\');
                if (upper(file.substr(slash + 1)) == upper(name)) path = std::string(file);
            }
        }
        if (path.empty()) path = name;
        const std::string id = "process|" + upper(path);
        const std::string label = "process " + path;
        out.add(id, label, "", {}, EntryList::Repeat::Merge);
        for (const std::string& line : block) {
            const std::string_view bare = trimmed(line);
            if (bare.empty() || startsWith(bare, kProcess) || startsWith(bare, kFullPath)) continue;
            if (isModuleLine(line)) {
                const size_t tab = line.find('\t');
                const std::string file = line.substr(0, tab);
                out.add(id + "|module|" + upper(file), "module " + file + " of " + label,
                        std::string(trimmed(std::string_view(line).substr(tab + 1))), id,
                        EntryList::Repeat::Merge);
            } else {
                out.add(id + "|" + std::string(bare), label + ": \"" + std::string(bare) + "\"", "", id,
                        EntryList::Repeat::Merge);
            }
        }
    }
}

// One entry per item "NAME<separator>VALUE".
void pairEntries(const Lines& lines, std::string_view separator, const char* noun, EntryList& out,
                 bool splitAtCommas = false) {
    Lines others;
    auto addItem = [&](std::string_view item) {
        item = trimmed(item);
        if (item.empty()) return;
        const size_t at = item.find(separator);
        if (at == std::string_view::npos || at == 0) {
            others.emplace_back(item);
            return;
        }
        const std::string name(trimmed(item.substr(0, at)));
        out.add(std::string(noun) + "|" + upper(name), std::string(noun) + " " + name,
                std::string(trimmed(item.substr(at + separator.size()))));
    };
    for (const std::string& line : lines) {
        if (!splitAtCommas) {
            addItem(line);
            continue;
        }
        // The file types stand three to a line: one removed moves every later one.
        std::string_view rest(line);
        for (size_t comma; (comma = rest.find(',')) != std::string_view::npos; rest.remove_prefix(comma + 1))
            addItem(rest.substr(0, comma));
        addItem(rest);
    }
    lineEntries(others, out);
}

void fileTypeEntries(std::string_view, const Lines& lines, EntryList& out) {
    pairEntries(lines, "=", "file type", out, true);
}
void variableEntries(std::string_view, const Lines& lines, EntryList& out) {
    pairEntries(lines, "=", "variable", out);
}
void driveEntries(std::string_view, const Lines& lines, EntryList& out) {
    pairEntries(lines, " ", "drive", out);
}
void serviceStateEntries(std::string_view, const Lines& lines, EntryList& out) {
    pairEntries(lines, ":   ", "service", out);
}
void kernelDriverEntries(std::string_view, const Lines& lines, EntryList& out) {
    // "N:  Base: NAME   FileName:  PATH": the number is the driver's place in the list.
    Lines unnumberedLines;
    for (const std::string& line : lines) {
        const size_t base = line.find("Base: ");
        unnumberedLines.push_back(base == std::string::npos ? line : line.substr(base + 6));
    }
    pairEntries(unnumberedLines, "   FileName:", "driver", out);
}

// "Label: value" lines, each under its label.
void labelledEntries(std::string_view, const Lines& lines, EntryList& out) {
    Lines others;
    for (const std::string& line : lines) {
        std::string_view value;
        const std::string_view label = labelOf(trimmed(line), &value);
        if (label.empty()) {
            others.push_back(line);
            continue;
        }
        out.add("label|" + std::string(label), std::string(label), std::string(value));
    }
    lineEntries(others, out);
}

void multisetEntries(std::string_view, const Lines& lines, EntryList& out) {
    lineEntries(lines, out);
}

enum class TitleMatch { Prefix, Contains };

struct SectionRule {
    TitleMatch match;
    const char* title;
    void (*entries)(std::string_view title, const Lines& lines, EntryList& out);
    const BlockForm* blocks = nullptr; // instead of `entries`: blocks of "Label: value" lines
};

constexpr SectionRule kSectionRules[] = {
    {TitleMatch::Prefix, "HKEY_", registryEntries},
    {TitleMatch::Prefix, "Services in CurrentControlSet:", registryEntries},
    {TitleMatch::Prefix, "Keys and values from ", registryEntries},
    {TitleMatch::Contains, " - keys and values", registryEntries},
    {TitleMatch::Prefix, "IE history - typed URLs", registryEntries},
    {TitleMatch::Prefix, "IE Trusted Sites", registryEntries},
    {TitleMatch::Prefix, "Tasklist - Processes and Threads:", processEntries},
    {TitleMatch::Prefix, "Service Properties:", nullptr, &kServices},
    {TitleMatch::Prefix, "Service Status:", serviceStateEntries},
    {TitleMatch::Prefix, "Network Adapter Properties:", nullptr, &kAdapterProperties},
    {TitleMatch::Prefix, "Network:", nullptr, &kAdapterInfos},
    {TitleMatch::Prefix, "Physical Disk Description", nullptr, &kDisks},
    {TitleMatch::Prefix, "Installed Software using Windows Installer:", nullptr, &kInstalledProducts},
    {TitleMatch::Prefix, "Installed Software whether or not", nullptr, &kUninstallEntries},
    {TitleMatch::Prefix, "Codec Files:", nullptr, &kCodecFiles},
    {TitleMatch::Prefix, "Known file Types:", fileTypeEntries},
    {TitleMatch::Prefix, "All environment strings:", variableEntries},
    {TitleMatch::Prefix, "Logical Drives:", driveEntries},
    {TitleMatch::Prefix, "Drivers Filename (Kernel):", kernelDriverEntries},
    {TitleMatch::Prefix, "User / Windows Environment:", labelledEntries},
    {TitleMatch::Prefix, "OperatingSystem:", labelledEntries},
    {TitleMatch::Prefix, "PC Supplement data:", labelledEntries},
    {TitleMatch::Prefix, "Computer Startup Options:", labelledEntries},
};

} // namespace

EntryList sectionEntries(std::string_view title, const std::vector<std::string>& lines) {
    EntryList out;
    for (const SectionRule& rule : kSectionRules) {
        const bool hit = rule.match == TitleMatch::Prefix ? startsWith(title, rule.title)
                                                          : title.find(rule.title) != std::string_view::npos;
        if (hit) {
            if (rule.blocks != nullptr)
                blockEntries(*rule.blocks, lines, out);
            else
                rule.entries(title, lines, out);
            return out;
        }
    }
    multisetEntries(title, lines, out);
    return out;
}
