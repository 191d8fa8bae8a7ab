// Loading a work file into the view's text: the whole-file read (in pieces of
// any size the system hands out, with a read that may fail on the way), the
// collector's cut at the first zero byte and the hive dump's composed text.
// Input: the piece size (one byte), the read that fails (one byte, 0 for
// none), then the file. Besides the sanitizers' findings, a run fails when a
// failed read leaves text behind, a completed one differs from the file, or
// the composed text loses, reorders or invents lines.
#include "app/result_text.h"
#include "report/read_to_end.h"
#include "report/report_trailer.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

void require(bool condition) {
    if (!condition) __builtin_trap();
}

constexpr std::string_view kHeader = "HKEY_CURRENT_CONFIG Registry:\r\n";

// The file as the composed text must show it: every line (CR LF or LF ended,
// the last one possibly unended) followed by CR LF.
std::string expectedLines(std::string_view file) {
    std::string out;
    size_t start = 0;
    while (start < file.size()) {
        size_t end = file.find('\n', start);
        std::string_view line = file.substr(start, end == std::string_view::npos ? end : end - start);
        if (end != std::string_view::npos && line.ends_with('\r')) line.remove_suffix(1);
        out.append(line);
        out += "\r\n";
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const size_t piece = 1 + data[0] * 37;
    const unsigned failingRead = data[1];
    const std::string_view file(reinterpret_cast<const char*>(data + 2), size - 2);

    size_t at = 0;
    unsigned reads = 0;
    bool failed = false;
    std::string loaded = "left over from an earlier load";
    const bool ok = readToEnd(
        [&](char* buffer, size_t capacity, size_t& got) {
            if (++reads == failingRead) {
                failed = true;
                return false;
            }
            got = std::min({capacity, piece, file.size() - at});
            std::copy_n(file.data() + at, got, buffer);
            at += got;
            return true;
        },
        loaded);
    require(ok == !failed);
    if (!ok) {
        require(loaded.empty());
        return 0;
    }
    require(loaded == file);

    std::string collector = loaded;
    cutAtFirstZero(collector);
    require(collector == file.substr(0, file.find('\0')));

    const std::string composed = composeHiveResult(kHeader, loaded);
    const std::string trailer = reportTrailer();
    require(composed.size() >= kHeader.size() + 2 + trailer.size());
    require(composed.starts_with(std::string(kHeader) + "\r\n"));
    require(composed.ends_with(trailer));
    require(composed.substr(kHeader.size() + 2, composed.size() - kHeader.size() - 2 - trailer.size()) ==
            expectedLines(file));
    return 0;
}
