#include "cookie_files.h"

#include "ie/zone_time.h"
#include "report/system_api.h"
#include "report/win_handles.h"

#include <windows.h>

namespace {

constexpr DWORD kReadChunk = 65536;
constexpr int64_t kIntervalsPerSecond = 10000000;
constexpr int64_t kEpochDifference = 11644473600;

// Streams one file through the splitter in bounded chunks; false when it cannot be opened.
bool readCookieFile(const std::string& path, const std::string& name, const CookieRecordReader::Sink& write,
                    CookieRecordReader& reader) {
    FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return false;
    write("   \n  Cookie File: " + name + "\n");
    reader.startFile();
    LineSplitter lines([&reader](std::string_view line) { reader.line(line); });
    std::string chunk(kReadChunk, '\0');
    DWORD got = 0;
    while (ReadFile(file.get(), chunk.data(), kReadChunk, &got, nullptr) && got > 0)
        lines.feed(std::string_view(chunk.data(), got));
    lines.finish();
    return true;
}

} // namespace

namespace {

ZoneChange zoneChange(const SYSTEMTIME& t) {
    return ZoneChange{t.wYear, t.wMonth, t.wDayOfWeek, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

} // namespace

bool systemLocalTime(int64_t seconds, CivilTime& out) {
    const uint64_t intervals = static_cast<uint64_t>(seconds + kEpochDifference) * kIntervalsPerSecond;
    const FILETIME utcFile{static_cast<DWORD>(intervals & 0xFFFFFFFFu), static_cast<DWORD>(intervals >> 32)};
    SYSTEMTIME utc;
    if (!FileTimeToSystemTime(&utcFile, &utc)) return false;
    // FileTimeToLocalFileTime would apply today's offset to every date: a
    // cookie made in winter would show an hour off in summer.
    if (const auto toLocal = sys::kernel32Extras().systemTimeToTzSpecificLocalTime) {
        SYSTEMTIME t;
        if (toLocal(nullptr, &utc, &t)) {
            out = CivilTime{t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
            return true;
        }
    }
    // Windows 95 to ME: the zone's rules applied here.
    TIME_ZONE_INFORMATION zone;
    if (GetTimeZoneInformation(&zone) == TIME_ZONE_ID_INVALID) return false;
    const ZoneRules rules{zone.Bias, zone.StandardBias, zone.DaylightBias, zoneChange(zone.StandardDate),
                          zoneChange(zone.DaylightDate)};
    return zoneLocalTime(seconds, rules, out);
}

void readCookieFiles(const std::string& folder, const CookieRecordReader::Sink& write,
                     const LocalTimeConverter& localTime) {
    // No folder is no cookies (not the current directory's text files).
    if (folder.empty()) return;
    const std::string prefix = folder.back() == '\\' ? folder : folder + "\\";
    CookieRecordReader reader(write, localTime);
    WIN32_FIND_DATAA data;
    FindHandle find(prefix + "*.txt", data);
    if (!find.valid()) return;
    do {
        const std::string name = data.cFileName;
        if (name == "." || name == ".." || (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
        readCookieFile(prefix + name, name, write, reader);
    } while (find.next(data));
}
