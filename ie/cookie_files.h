// The cookies of one user: every "*.txt" file of the user's cookie folder,
// decoded record by record into the report.
#pragma once

#include "ie/cookie_records.h"

#include <string>
#include <string_view>

// Local time through the system's time zone, with the offset in force at
// that moment (daylight saving or not), whatever today's is.
bool systemLocalTime(int64_t seconds, CivilTime& out);

// Files are opened by their full path: the process's current directory is
// shared by all its threads, so the reader never changes it.
void readCookieFiles(const std::string& folder, const CookieRecordReader::Sink& write,
                     const LocalTimeConverter& localTime = systemLocalTime);
