// Redaction of report text: any bytes, with names that are short, nested and
// words of their own. Besides the sanitizers' findings, a run fails when the
// redacted text does not keep the input's line ends (the same CR and LF bytes
// in the same order, one line more for the summary), or when the summary
// line is not the text's first line.
#include "redact/redaction.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

void require(bool condition) {
    if (!condition) __builtin_trap();
}

std::string lineEnds(std::string_view text) {
    std::string ends;
    for (const char c : text)
        if (c == '\r' || c == '\n') ends += c;
    return ends;
}

const IdentifyingValues& values() {
    static const IdentifyingValues v = [] {
        IdentifyingValues v;
        v.computerNames = {"PC", "pc-1"};
        v.domains = {"ACME", "acme.example"};
        v.userNames = {"Admin", "Administrator", "a.b"};
        v.fullNames = {"Bo Li"};
        v.owners = {"Ann Smith"};
        v.companies = {"Acme"};
        v.hardwareAddresses = {{{0x00, 0x0c, 0x29, 0xab, 0xcd, 0xef}, 699125231}};
        v.ipAddresses = {"10.1.0.0", "fd00::2"};
        v.volumeSerials = {1124073472};
        v.serials = {"SN-1234"};
        v.productIds = {"55274-640-1234567-23456"};
        v.profileFolders = {"C:\\Profiles"};
        return v;
    }();
    return v;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const Redaction r = redact(input, values());
    require(r.text.compare(0, r.summary.size(), r.summary) == 0);
    const std::string_view rest = std::string_view(r.text).substr(r.summary.size());
    const size_t firstEnd = rest.find('\n');
    require(firstEnd != std::string_view::npos &&
            rest.substr(0, firstEnd).find_first_not_of('\r') == std::string_view::npos);
    require(lineEnds(rest.substr(firstEnd + 1)) == lineEnds(input));
    return 0;
}
