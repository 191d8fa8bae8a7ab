// What a view that holds at most 64 KB shows of a longer report: one line
// that says how long the report is and where the whole of it is kept, then
// the report's beginning. Free of window calls.
#pragma once

#include <string>
#include <string_view>

// The most a multi-line edit control of Windows 95, 98 and ME holds.
constexpr size_t kNineXEditBytes = 65535;

// The first line, without its line end. An empty `keptPath`: the whole
// report could not be written anywhere.
std::string keptReportNotice(size_t reportLength, const std::string& keptPath);

// The view's text: the notice, a line end, and as much of `report` from its
// start as fits in `capacity` bytes, cut after a whole line where one fits.
std::string keptReportView(std::string_view report, size_t reportLength, const std::string& keptPath,
                           size_t capacity = kNineXEditBytes);
