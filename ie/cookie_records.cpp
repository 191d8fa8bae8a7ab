#include "cookie_records.h"

#include <cstdio>
#include <limits>

namespace {

constexpr int64_t kIntervalsPerSecond = 10000000;
// Seconds from 1601-01-01 to 1970-01-01.
constexpr int64_t kEpochDifference = 11644473600;
constexpr const char* kSeparator = "\n   ";

// Days since 1970-01-01 to a proleptic Gregorian date.
void civilFromDays(int64_t days, int& year, int& month, int& day) {
    days += 719468;
    const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const int64_t dayOfEra = days - era * 146097;
    const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t shiftedMonth = (5 * dayOfYear + 2) / 153;
    day = static_cast<int>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
    month = static_cast<int>(shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9);
    year = static_cast<int>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
}

} // namespace

bool utcCivilTime(int64_t seconds, CivilTime& out) {
    int64_t days = seconds / 86400;
    int64_t rest = seconds % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    civilFromDays(days, out.year, out.month, out.day);
    out.hour = static_cast<int>(rest / 3600);
    out.minute = static_cast<int>(rest / 60 % 60);
    out.second = static_cast<int>(rest % 60);
    return true;
}

uint32_t cookieTimeHalf(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
        ++i;
    if (i < text.size() && text[i] == '+') ++i;
    uint64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + static_cast<uint64_t>(text[i] - '0');
        if (value > std::numeric_limits<uint32_t>::max()) return std::numeric_limits<uint32_t>::max();
    }
    return static_cast<uint32_t>(value);
}

std::optional<int64_t> cookieTimeSeconds(std::string_view low, std::string_view high) {
    const uint64_t value = uint64_t{cookieTimeHalf(high)} << 32 | cookieTimeHalf(low);
    if (value == 0) return std::nullopt;
    // Whole seconds, truncated: below the 1970 epoch the count is at most 0
    // and the time is missing either way.
    const int64_t seconds = static_cast<int64_t>(value / kIntervalsPerSecond) - kEpochDifference;
    if (seconds < 1 || seconds > std::numeric_limits<int32_t>::max()) return std::nullopt;
    return seconds;
}

CookieRecordReader::CookieRecordReader(Sink write, LocalTimeConverter localTime)
    : write_(std::move(write)), localTime_(std::move(localTime)) {}

void CookieRecordReader::line(std::string_view text) {
    static constexpr const char* kLabels[4] = {"Variable: ", "Value: ", "Site: ", "Falgs: "};
    if (text == "*") {
        position_ = 0;
        return;
    }
    std::string& slot = texts_[position_];
    slot.assign(position_ < 4 ? kLabels[position_] : "");
    slot.append(text);
    if (++position_ == 8) {
        writeRecord();
        position_ = 0;
    }
}

std::string CookieRecordReader::timeText(const char* label, const char* missingText, int lowAt) {
    const std::optional<int64_t> seconds = cookieTimeSeconds(texts_[lowAt], texts_[lowAt + 1]);
    CivilTime t;
    if (!seconds || !localTime_(*seconds, t)) return missingText;
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, "%s%02d/%02d/%02d %02d:%02d:%02d", label, t.month, t.day, t.year,
                  t.hour, t.minute, t.second);
    return buffer;
}

void CookieRecordReader::writeRecord() {
    const std::string creation = timeText("Creation time: ", "Creation time: Wrong format", 6);
    const std::string expiry = timeText("Expire time: ", "Expire time: Emty", 4);
    std::string out = "   ";
    for (const std::string_view part :
         {std::string_view(texts_[2]), std::string_view(texts_[0]), std::string_view(texts_[1]),
          std::string_view(creation), std::string_view(expiry)}) {
        out += part;
        out += kSeparator;
    }
    out += texts_[3];
    out += '\n';
    write_(out);
}

void LineSplitter::feed(std::string_view bytes) {
    for (const char c : bytes) {
        if (c == '\n') {
            if (storedCr_) current_.pop_back();
            endLine();
            continue;
        }
        pending_ = true;
        storedCr_ = false;
        if (ignoreRest_) continue;
        if (c == '\0') {
            ignoreRest_ = true;
        } else if (current_.size() < kLongestLine) {
            current_.push_back(c);
            storedCr_ = c == '\r';
        }
    }
}

void LineSplitter::finish() {
    if (pending_) endLine();
}

void LineSplitter::endLine() {
    line_(current_);
    current_.clear();
    pending_ = false;
    ignoreRest_ = false;
    storedCr_ = false;
}

void readCookieText(std::string_view text, CookieRecordReader& reader) {
    reader.startFile();
    LineSplitter lines([&reader](std::string_view line) { reader.line(line); });
    lines.feed(text);
    lines.finish();
}
