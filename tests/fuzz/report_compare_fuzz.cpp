// /compare's reading of two reports on arbitrary files: the input is the two
// files, split at the first zero byte. Besides the sanitizers' findings, a
// run fails when a report compared with itself shows differences, when the
// two orders disagree on whether anything differs, when trouble is told in
// more than one line, or when the text is not made of whole lines.
#include "compare/report_compare.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

void require(bool condition) {
    if (!condition) __builtin_trap();
}

void checkShape(const Comparison& c) {
    if (c.outcome == Comparison::Outcome::Trouble) {
        require(!c.trouble.empty());
        require(c.trouble.find_first_of("\r\n") == std::string::npos);
        return;
    }
    require(c.text.size() >= 2 && c.text.compare(c.text.size() - 2, 2, "\r\n") == 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const size_t zero = input.find('\0');
    const std::string_view a = input.substr(0, zero);
    const std::string_view b = zero == std::string_view::npos ? a : input.substr(zero + 1);

    const Comparison forth = compareReports(a, b, "a", "b");
    const Comparison back = compareReports(b, a, "b", "a");
    checkShape(forth);
    checkShape(back);
    require(forth.outcome == back.outcome);

    const Comparison self = compareReports(a, a, "a", "a");
    checkShape(self);
    require(self.outcome != Comparison::Outcome::Different);
    return 0;
}
