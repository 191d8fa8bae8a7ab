#include "registry_dumper.h"

#include "registry_access.h"
#include "registry_read.h"
#include "report/status_progress.h"
#include "report/task_context.h"
#include "report/work_file.h"
#include "value_format.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

// One walk runs at a time; these carry the layout from key to key.
std::string lastKeyHeader;
int lastLiveSecond = -10;

// A default value is shown when it fits this many characters.
constexpr DWORD kDefaultValueChars = 1024;

std::string topComponent(const std::string& keyPath) {
    return keyPath.substr(0, keyPath.find('\\'));
}

bool sameName(const std::string& a, const std::string& b) {
    return _stricmp(a.c_str(), b.c_str()) == 0;
}

bool appendToKeysList(const std::string& path, const std::wstring& name) {
    // The list is ours and is read back to reopen the keys, so it keeps the
    // names exactly, whatever the report's code page can show.
    return appendWorkFile(path, reg::toListLine(name) + "\n");
}

} // namespace

void resetWalkerMemory() {
    lastKeyHeader.clear();
    lastLiveSecond = -10;
}

std::string RegistryDumper::topLevelProgress(const std::vector<std::string>& names, int count,
                                             const std::string& keyPath) {
    const std::string top = topComponent(keyPath);
    const int limit = std::min<int>(count, static_cast<int>(names.size()));
    for (int i = 0; i < limit; ++i) {
        if (!sameName(names[static_cast<size_t>(i)], top)) continue;
        if (i < 2) return "0 to 1";
        const int lo = (100 * i - 100) / count;
        int hi = 100 * i / count;
        if (hi == lo) ++hi;
        char text[32];
        std::snprintf(text, sizeof text, "%d to %d", lo, hi);
        return text;
    }
    return {};
}

void RegistryDumper::progress(const std::string& keyPath, std::string& progressText,
                              const std::string& previousPath) {
    const bool collecting = s_.collectToKeysFile || s_.collectToList;
    // Only a hive dump's printing pass has a list of top-level names to place
    // the key in; every other walk shows the subkey it visited last.
    const bool printingPass = !collecting && !s_.servicesMode && s_.topLevelCount > 0;
    if (printingPass) {
        const std::string range = topLevelProgress(s_.topLevelNames, s_.topLevelCount, keyPath);
        if (!range.empty()) progressText = range;
    } else {
        progressText = previousPath;
    }
    const int second = clock_ != nullptr ? clock_() : currentLocalSecond();
    if (walkerAnimator().newSecond(second)) {
        walkerProgressUpdate(context_.status(), collecting || s_.servicesMode, progressText);
        return;
    }
    const std::string header = context_.taskHeader();
    if (header.size() > 1 && second != lastLiveSecond && second != lastLiveSecond + 1) {
        lastLiveSecond = second;
        char count[32];
        std::snprintf(count, sizeof count, "%ld\t", static_cast<long>(s_.keysVisited));
        context_.showLive(header + "\r\n\r\nGetting live data from KEY: \r\n\r\n" + count + keyPath + "\r\n");
    }
}

void RegistryDumper::printDefaultValue(const reg::ValueData* value) {
    // Shown when it is text that fits the default value's 1,024 characters.
    if (value == nullptr || (value->type != REG_SZ && value->type != REG_EXPAND_SZ)) return;
    const DWORD unit = reg::usesAnsi() ? 1 : sizeof(wchar_t);
    if (value->rawSize > kDefaultValueChars * unit) return;
    const char* data = reinterpret_cast<const char*>(value->bytes.data());
    const std::string text(data, strnlen(data, value->bytes.size()));
    if (!text.empty()) reportPrintf(context_, " \n\t Unnamed registry key (Default): %s\n", text.c_str());
}

void RegistryDumper::printTopLevelHeader(const std::string& keyPath, const reg::ValueData* ownDefault) {
    const std::string top = topComponent(keyPath);
    for (size_t i = 0; i < s_.topLevelNames.size() && i < s_.topLevelPending.size(); ++i) {
        if (!s_.topLevelPending[i] || !sameName(s_.topLevelNames[i], top)) continue;
        s_.topLevelPending[i] = 0;
        reportPrintf(context_, "\n   Key: %s", s_.topLevelNames[i].c_str());
        if (keyPath == top) printDefaultValue(ownDefault);
    }
}

void RegistryDumper::readValues(HKEY key, DWORD count, std::vector<CachedValue>& out) {
    // A key may hold thousands of values: only small data is kept until it
    // is printed; larger data is read again by name then, as the largest is.
    constexpr size_t kKeptData = 1024;
    reg::ValueReader reader(key, valueBuffers_);
    for (DWORD index = 0; index < count; ++index) {
        CachedValue value;
        value.got = reader.read(index, value.name, value.data);
        if (value.got == reg::ValueReader::Got::Nothing) continue;
        if (!value.name.empty() && value.data.bytes.size() > kKeptData) {
            value.got = reg::ValueReader::Got::Name;
            value.data = reg::ValueData();
        }
        out.push_back(std::move(value));
    }
}

void RegistryDumper::walk(HKEY root, HKEY key, const std::string& keyPath, const char* valueSuffix) {
    walkKey(root, key, keyPath, valueSuffix, false);
}

void RegistryDumper::walkKey(HKEY root, HKEY key, const std::string& keyPath, const char* valueSuffix,
                             bool printOwnDefault) {
    ++s_.keysVisited;
    if (s_.showProgress) context_.keysVisited(s_.keysVisited);
    if (context_.haltRequested()) return;
    DWORD subkeys = 0, values = 0;
    if (!reg::queryCounts(key, subkeys, values)) return;

    // The values are read before the subkeys and printed after them: the
    // default value among them is shown right below the key's header, and
    // reading it on its own would cost a registry call more for every key.
    const bool collecting = s_.collectToKeysFile || s_.collectToList;
    std::vector<CachedValue> valueList;
    if (values > 0 && !collecting && !s_.captureNames) readValues(key, values, valueList);
    const reg::ValueData* ownDefault = nullptr;
    for (const CachedValue& value : valueList)
        if (value.name.empty() && value.got == reg::ValueReader::Got::NameAndData) ownDefault = &value.data;
    if (printOwnDefault) printDefaultValue(ownDefault);

    std::string progressText = s_.topLevelCount > 0 ? "0 ..... " : "";
    std::string previousPath;
    std::wstring wideName;
    for (DWORD index = 0; index < subkeys; ++index) {
        if (s_.showProgress) progress(keyPath, progressText, previousPath);
        if (context_.haltRequested()) return;
        if (!reg::enumSubkey(key, index, wideName)) continue;
        const std::string subkeyName = toAnsi(wideName);
        const std::string joined = keyPath + "\\" + subkeyName;
        previousPath = joined;

        if (keyPath.empty() && s_.collectToKeysFile) {
            if (!appendToKeysList(s_.keysListPath, wideName)) s_.keysListLost = true;
            if (s_.collectToList && s_.topLevelNames.size() < s_.topLevelCapacity) {
                s_.topLevelNames.push_back(subkeyName);
                s_.topLevelPending.push_back(1);
                ++s_.topLevelCount;
            }
            ++s_.topLevelSeen;
        }

        const bool headers = s_.printHeaders && !collecting;
        RegKey subkey;
        reg::openKey(key, wideName, KEY_READ, subkey);
        if (s_.captureNames) {
            if (!s_.countNamesOnly && s_.capturedNames != nullptr) s_.capturedNames->push_back(subkeyName);
            ++s_.capturedNameCount;
        } else if (headers) {
            printTopLevelHeader(keyPath, ownDefault);
            reportPrintf(context_, "\n   Key: %s\\%s", keyPath.c_str(), subkeyName.c_str());
            lastKeyHeader = joined;
        }
        if (!subkey) continue;
        if (context_.haltRequested()) return;
        // The name passes and a name capture only learn the names of the
        // walked key's own subkeys: descending would print nothing, or hand
        // over names of keys further down as if they were the key's own. The
        // subkey shows its default value below the header just printed.
        if (!collecting && !s_.captureNames) walkKey(root, subkey.get(), joined, valueSuffix, headers);
    }

    if (collecting || s_.captureNames || values == 0) return;
    if (keyPath != lastKeyHeader) {
        reportPrintf(context_, "\n\n   Key: %s \n", keyPath.c_str());
    } else {
        // The key's own header was the last line: its values follow it directly.
        context_.write("\n");
    }
    for (const CachedValue& value : valueList) {
        if (value.name.empty()) continue;
        reportPrintf(context_, "\t %s%s ", toAnsi(value.name).c_str(), valueSuffix);
        if (context_.haltRequested()) return;
        // Data too large to come along with the name is read by name.
        if (value.got == reg::ValueReader::Got::Name)
            printRegistryValue(context_, key, value.name);
        else
            printFetchedValue(context_, value.data);
    }
}
