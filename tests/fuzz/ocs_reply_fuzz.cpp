// The server exchange's readers on arbitrary bytes: the reply document, the
// HTTP response as it arrives, the error-page summary and the target URL.
// The first byte says where the response is cut for a read before all of it
// is in; the rest is the input. Besides the sanitizers' findings, a run
// fails when a cut response is refused or taken differently from the whole
// one, a complete response breaks its limits, a summary is not one line of
// printable ASCII, a request carries a line break of the target's, or blanks
// after a reply change how it is read.
#include "inventory/http_message.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

void require(bool condition) {
    if (!condition) __builtin_trap();
}

constexpr size_t kMaxBody = 4096;

void checkResponse(std::string_view whole, size_t cut) {
    HttpResponse all;
    const HttpParse closed = parseHttpResponse(whole, true, all, kMaxBody);
    require(closed != HttpParse::NeedMore);
    if (closed == HttpParse::Complete) {
        require(all.status >= 200 && all.status <= 599);
        require(all.body.size() <= kMaxBody && whole.find(all.body) != std::string_view::npos);
        require(all.reason.size() <= 120);
        for (const char c : all.reason)
            require(c >= 0x20 && c < 0x7F);
    }

    HttpResponse open;
    const HttpParse whileOpen = parseHttpResponse(whole, false, open, kMaxBody);
    HttpResponse part;
    const HttpParse early = parseHttpResponse(whole.substr(0, cut), false, part, kMaxBody);
    if (early == HttpParse::Malformed) require(whileOpen == HttpParse::Malformed);
    if (early == HttpParse::Complete) {
        require(whileOpen == HttpParse::Complete);
        require(part.status == open.status && part.reason == open.reason && part.body == open.body);
    }
}

void checkReply(std::string_view xml) {
    OcsReply reply;
    const bool read = parseOcsReply(xml, reply);
    OcsReply padded;
    require(parseOcsReply(std::string(xml) + " \r\n\t", padded) == read);
    if (!read) return;
    require(xml.find("REPLY") != std::string_view::npos && xml.find("RESPONSE") != std::string_view::npos);
    require(padded.response == reply.response && padded.accountInfo == reply.accountInfo);
}

void checkSummary(std::string_view body) {
    const std::string line = replySummary(body);
    require(line.size() <= kReplySummaryChars);
    require(line.empty() || (line.front() != ' ' && line.back() != ' '));
    require(line.find("  ") == std::string::npos);
    for (const char c : line)
        require(c >= 0x20 && c < 0x7F);
}

void checkTarget(std::string_view text) {
    HttpTarget target;
    if (parseHttpTarget(text, target) != HttpTargetKind::Http) return;
    require(!target.host.empty() && !target.path.empty() && target.path[0] == '/' && target.port != 0);
    const std::string request = httpPostRequest(target, "A/1", "");
    size_t lines = 0;
    for (const char c : request)
        lines += c == '\n';
    require(lines == 6 && request.find('\r') != std::string::npos);
    require(request.find(' ', 5) == 5 + target.path.size());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const std::string_view input(reinterpret_cast<const char*>(data + 1), size - 1);
    const size_t cut = input.empty() ? 0 : data[0] * input.size() / 255;
    checkResponse(input, cut);
    checkReply(input);
    checkSummary(input);
    checkTarget(input);
    return 0;
}
