// Local time from a time zone's rules, for a moment of any date: the offset
// is the one in force at that moment, not today's. Pure: the rules are data,
// as the system describes its zone (no system calls).
#pragma once

#include "ie/cookie_records.h"

#include <cstdint>

// When a zone changes between standard and daylight time, in the form the
// system gives it: with `year` 0 the `day`-th (1 to 4, 5 = last) `dayOfWeek`
// (0 = Sunday) of `month`, every year; with a year, that date of that year
// only. The hour is on the clock in force before the change. `month` 0: the
// zone has no daylight saving.
struct ZoneChange {
    int year = 0;
    int month = 0;
    int dayOfWeek = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// A zone's offsets in minutes (UTC = local time + bias + the season's bias)
// and the two changes of its year.
struct ZoneRules {
    long bias = 0;
    long standardBias = 0;
    long daylightBias = 0;
    ZoneChange toStandard;
    ZoneChange toDaylight;
};

// Seconds since 1970-01-01 UTC to the zone's local calendar time.
bool zoneLocalTime(int64_t utcSeconds, const ZoneRules& zone, CivilTime& out);
