#include "ie/zone_time.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

namespace {

int64_t utcSeconds(int year, int month, int day, int hour, int minute, int second) {
    const SYSTEMTIME t{static_cast<WORD>(year),
                       static_cast<WORD>(month),
                       0,
                       static_cast<WORD>(day),
                       static_cast<WORD>(hour),
                       static_cast<WORD>(minute),
                       static_cast<WORD>(second),
                       0};
    FILETIME file{};
    EXPECT_TRUE(SystemTimeToFileTime(&t, &file));
    const uint64_t intervals = uint64_t{file.dwHighDateTime} << 32 | file.dwLowDateTime;
    return static_cast<int64_t>(intervals / 10000000) - 11644473600;
}

std::string shown(const CivilTime& t) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour,
                  t.minute, t.second);
    return text;
}

// Central Europe: daylight time from the last Sunday of March at 02:00 to the
// last Sunday of October at 03:00.
const ZoneRules kBerlin{-60, 0, -60, {0, 10, 0, 5, 3, 0, 0}, {0, 3, 0, 5, 2, 0, 0}};
// Sydney: daylight time from the first Sunday of October to the first Sunday
// of April, across the new year.
const ZoneRules kSydney{-600, 0, -60, {0, 4, 0, 1, 3, 0, 0}, {0, 10, 0, 1, 2, 0, 0}};
// A zone without daylight saving.
const ZoneRules kBogota{300, 0, 0, {}, {}};
// Changes given as the dates of 2008 only.
const ZoneRules kBerlin2008Only{-60, 0, -60, {2008, 10, 0, 26, 3, 0, 0}, {2008, 3, 0, 30, 2, 0, 0}};

TEST(ZoneTime, TheOffsetInForceAtEachMoment) {
    struct Case {
        const char* zone;
        const ZoneRules& rules;
        int64_t utc;
        const char* local;
    } cases[] = {
        {"Berlin winter", kBerlin, utcSeconds(2008, 1, 15, 12, 0, 0), "2008-01-15 13:00:00"},
        {"Berlin summer", kBerlin, utcSeconds(2008, 7, 15, 12, 0, 0), "2008-07-15 14:00:00"},
        // 2008: March 30 and October 26 are the last Sundays; October has
        // only four, so its "fifth" is its last.
        {"before spring", kBerlin, utcSeconds(2008, 3, 30, 0, 59, 59), "2008-03-30 01:59:59"},
        {"spring", kBerlin, utcSeconds(2008, 3, 30, 1, 0, 0), "2008-03-30 03:00:00"},
        {"before autumn", kBerlin, utcSeconds(2008, 10, 26, 0, 59, 59), "2008-10-26 02:59:59"},
        {"autumn", kBerlin, utcSeconds(2008, 10, 26, 1, 0, 0), "2008-10-26 02:00:00"},
        {"Sydney summer", kSydney, utcSeconds(2008, 1, 15, 12, 0, 0), "2008-01-15 23:00:00"},
        {"Sydney winter", kSydney, utcSeconds(2008, 7, 15, 12, 0, 0), "2008-07-15 22:00:00"},
        {"Sydney new year", kSydney, utcSeconds(2008, 12, 31, 13, 30, 0), "2009-01-01 00:30:00"},
        {"no daylight saving", kBogota, utcSeconds(2008, 7, 15, 12, 0, 0), "2008-07-15 07:00:00"},
        {"fixed dates, their year", kBerlin2008Only, utcSeconds(2008, 7, 15, 12, 0, 0),
         "2008-07-15 14:00:00"},
        {"fixed dates, other year", kBerlin2008Only, utcSeconds(2009, 7, 15, 12, 0, 0),
         "2009-07-15 13:00:00"},
    };
    for (const Case& c : cases) {
        CivilTime t;
        ASSERT_TRUE(zoneLocalTime(c.utc, c.rules, t)) << c.zone;
        EXPECT_EQ(shown(t), c.local) << c.zone;
    }
}

TEST(ZoneTime, RulesThatNameNoDateKeepStandardTime) {
    ZoneRules broken = kBerlin;
    broken.toDaylight.month = 13;
    ZoneRules noWeekday = kBerlin;
    noWeekday.toStandard.dayOfWeek = 7;
    for (const ZoneRules& rules : {broken, noWeekday}) {
        CivilTime t;
        ASSERT_TRUE(zoneLocalTime(utcSeconds(2008, 7, 15, 12, 0, 0), rules, t));
        EXPECT_EQ(shown(t), "2008-07-15 13:00:00");
    }
}

} // namespace
