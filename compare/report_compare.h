// Two reports of one kind compared section by section and entry by entry:
// what was added, removed and changed, as text. Pure: it takes the two
// reports' texts and returns the outcome.
#pragma once

#include <string>
#include <string_view>

struct Comparison {
    enum class Outcome { Same, Different, Trouble };
    Outcome outcome = Outcome::Trouble;
    std::string text;    // the comparison, "\r\n" line ends (Same and Different)
    std::string trouble; // one line (Trouble)
};

Comparison compareReports(std::string_view oldText, std::string_view newText, const std::string& oldName,
                          const std::string& newName);
