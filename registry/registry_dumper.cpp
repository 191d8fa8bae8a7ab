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

std::string topComponent(const std::string& keyPath) { return keyPath.substr(0, keyPath.find('\\')); }

bool sameName(const std::string& a, const std::string& b) { return _stricmp(a.c_str(), b.c_str()) == 0; }

void appendToKeysList(const std::string& path, const std::wstring& name) {
    // The list is ours and is read back to reopen the keys, so it keeps the
    // names exactly, whatever the report's code page can show.
    appendWorkFile(path, reg::toListLine(name) + "\n");
}

}  // namespace

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

void RegistryDumper::progress(const std::string& keyPath, std::string& progressText, const std::string& previousPath) {
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

void RegistryDumper::printDefaultValue(HKEY key) {
    reg::ValueData value;
    if (reg::queryValueUpTo(key, L"", kDefaultValueChars, value) != ERROR_SUCCESS) return;
    if (value.type != REG_SZ && value.type != REG_EXPAND_SZ) return;
    const char* data = reinterpret_cast<const char*>(value.bytes.data());
    const std::string text(data, strnlen(data, value.bytes.size()));
    if (!text.empty()) reportPrintf(context_, " \n\t Unnamed registry key (Default): %s\n", text.c_str());
}

void RegistryDumper::printTopLevelHeader(const std::string& keyPath, HKEY key) {
    const std::string top = topComponent(keyPath);
    for (size_t i = 0; i < s_.topLevelNames.size() && i < s_.topLevelPending.size(); ++i) {
        if (!s_.topLevelPending[i] || !sameName(s_.topLevelNames[i], top)) continue;
        s_.topLevelPending[i] = 0;
        reportPrintf(context_, "\n   Key: %s", s_.topLevelNames[i].c_str());
        if (keyPath == top) printDefaultValue(key);
    }
}

void RegistryDumper::walk(HKEY root, HKEY key, const std::string& keyPath, const char* valueSuffix) {
    ++s_.keysVisited;
    if (context_.haltRequested()) return;
    DWORD subkeys = 0, values = 0;
    if (!reg::queryCounts(key, subkeys, values)) return;

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
            appendToKeysList(s_.keysListPath, wideName);
            if (s_.collectToList && s_.topLevelNames.size() < s_.topLevelCapacity) {
                s_.topLevelNames.push_back(subkeyName);
                s_.topLevelPending.push_back(1);
                ++s_.topLevelCount;
            }
            ++s_.topLevelSeen;
        }

        const bool headers = s_.printHeaders && !s_.collectToKeysFile && !s_.collectToList;
        RegKey subkey;
        reg::openKey(key, wideName, KEY_READ, subkey);
        if (s_.captureNames) {
            if (!s_.countNamesOnly && s_.capturedNames != nullptr) s_.capturedNames->push_back(subkeyName);
            ++s_.capturedNameCount;
        } else if (headers) {
            printTopLevelHeader(keyPath, key);
            reportPrintf(context_, "\n   Key: %s\\%s", keyPath.c_str(), subkeyName.c_str());
            lastKeyHeader = joined;
            if (subkey) printDefaultValue(subkey.get());
        }
        if (!subkey) continue;
        if (context_.haltRequested()) return;
        // The name passes only learn the names of the walked key's own
        // subkeys: descending would print nothing, or hand over names of
        // keys further down as if they were the key's own.
        if (!s_.collectToKeysFile && !s_.collectToList && !s_.captureNames)
            walk(root, subkey.get(), joined, valueSuffix);
    }

    if (s_.collectToKeysFile || s_.collectToList || s_.captureNames || values == 0) return;
    if (keyPath != lastKeyHeader) {
        reportPrintf(context_, "\n\n   Key: %s \n", keyPath.c_str());
    } else {
        // The key's own header was the last line: its values follow it directly.
        context_.write("\n");
    }
    // Name and data in one call for all but the largest values.
    reg::ValueReader reader(key, valueBuffers_);
    std::wstring valueName;
    reg::ValueData data;
    for (DWORD index = 0; index < values; ++index) {
        const reg::ValueReader::Got got = reader.read(index, valueName, data);
        if (got == reg::ValueReader::Got::Nothing || valueName.empty()) continue;
        reportPrintf(context_, "\t %s%s ", toAnsi(valueName).c_str(), valueSuffix);
        if (context_.haltRequested()) return;
        if (got == reg::ValueReader::Got::Name)
            printRegistryValue(context_, key, valueName);
        else
            printFetchedValue(context_, data);
    }
}
