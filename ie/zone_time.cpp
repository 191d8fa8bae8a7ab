#include "zone_time.h"

#include <optional>

namespace {

// Days since 1970-01-01 of a proleptic Gregorian date.
int64_t daysFromCivil(int64_t year, int month, int day) {
    year -= month <= 2 ? 1 : 0;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int64_t yearOfEra = year - era * 400;
    const int64_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

bool leapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month) {
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && leapYear(year) ? 29 : days[month - 1];
}

// The moment of a change in `year`, in seconds since 1970 on the clock in
// force before it; none when the rule names no valid date of that year.
std::optional<int64_t> changeIn(int year, const ZoneChange& change) {
    if (change.month < 1 || change.month > 12) return std::nullopt;
    int day = 0;
    if (change.year != 0) {
        if (change.year != year || change.day < 1 || change.day > daysInMonth(year, change.month))
            return std::nullopt;
        day = change.day;
    } else {
        if (change.dayOfWeek < 0 || change.dayOfWeek > 6 || change.day < 1 || change.day > 5)
            return std::nullopt;
        // 1970-01-01 was a Thursday (4, counting from Sunday).
        const int64_t first = daysFromCivil(year, change.month, 1);
        const int firstWeekday = static_cast<int>(((first + 4) % 7 + 7) % 7);
        day = 1 + (change.dayOfWeek - firstWeekday + 7) % 7 + (change.day - 1) * 7;
        while (day > daysInMonth(year, change.month))
            day -= 7;
    }
    return daysFromCivil(year, change.month, day) * 86400 + int64_t{change.hour} * 3600 +
           int64_t{change.minute} * 60 + change.second;
}

} // namespace

bool zoneLocalTime(int64_t utcSeconds, const ZoneRules& zone, CivilTime& out) {
    const int64_t standard = utcSeconds - (int64_t{zone.bias} + zone.standardBias) * 60;
    int64_t local = standard;
    if (zone.toStandard.month != 0 && zone.toDaylight.month != 0) {
        const int64_t daylight = utcSeconds - (int64_t{zone.bias} + zone.daylightBias) * 60;
        CivilTime day;
        utcCivilTime(standard, day);
        // Daylight time begins at a standard-time hour and ends at a
        // daylight-time hour; south of the equator it spans the new year.
        const std::optional<int64_t> begins = changeIn(day.year, zone.toDaylight);
        const std::optional<int64_t> ends = changeIn(day.year, zone.toStandard);
        if (begins && ends) {
            const bool inDaylight = *begins < *ends ? standard >= *begins && daylight < *ends
                                                    : standard >= *begins || daylight < *ends;
            if (inDaylight) local = daylight;
        }
    }
    return utcCivilTime(local, out);
}
