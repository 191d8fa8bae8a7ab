#include "result_text.h"

#include "report/report_trailer.h"

std::string composeHiveResult(std::string_view header, std::string_view bytes) {
    std::string out(header);
    out += "\r\n";
    out.reserve(out.size() + bytes.size() + bytes.size() / 8 + 256);
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        const bool last = end == std::string_view::npos;
        if (last) end = bytes.size();
        std::string_view line = bytes.substr(start, end - start);
        // A text stream turns the CR of a CR LF into part of the line end.
        if (!last && !line.empty() && line.back() == '\r') line.remove_suffix(1);
        out.append(line);
        out += "\r\n";
        start = end + 1;
    }
    out += reportTrailer();
    return out;
}

bool viewRefusedText(size_t viewLength, size_t loadedLength) { return viewLength < 250 && viewLength < loadedLength; }

void cutAtFirstZero(std::string& text) {
    const size_t zero = text.find('\0');
    if (zero != std::string::npos) text.resize(zero);
}
