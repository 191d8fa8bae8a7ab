#include "http_message.h"
#include "utf8.h"

#include <algorithm>
#include <optional>

namespace {

constexpr std::string_view kBlanks = " \t\r\n";

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i])) return false;
    return true;
}

bool startsNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && equalNoCase(text.substr(0, prefix.size()), prefix);
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isBlank(char c) {
    return kBlanks.find(c) != std::string_view::npos;
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool isHostChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || isDigit(c) || c == '-' || c == '.' || c == '_';
}

// --- HTTP response -------------------------------------------------------

// The offset just past the blank line that ends the headers, or npos.
size_t headerEnd(std::string_view s) {
    for (size_t i = s.find('\n'); i != std::string_view::npos; i = s.find('\n', i + 1)) {
        if (i + 1 < s.size() && s[i + 1] == '\n') return i + 2;
        if (i + 2 < s.size() && s[i + 1] == '\r' && s[i + 2] == '\n') return i + 3;
    }
    return std::string_view::npos;
}

bool nextLine(std::string_view& rest, std::string_view& line) {
    if (rest.empty()) return false;
    const size_t nl = rest.find('\n');
    line = rest.substr(0, nl);
    rest = nl == std::string_view::npos ? std::string_view() : rest.substr(nl + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return true;
}

bool parseStatusLine(std::string_view line, HttpResponse& out) {
    // HTTP/d.d NNN[ reason]
    if (line.size() < 12 || line.substr(0, 5) != "HTTP/" || !isDigit(line[5]) || line[6] != '.' ||
        !isDigit(line[7]) || line[8] != ' ')
        return false;
    if (!isDigit(line[9]) || !isDigit(line[10]) || !isDigit(line[11])) return false;
    const int status = (line[9] - '0') * 100 + (line[10] - '0') * 10 + (line[11] - '0');
    // 1xx answers only requests that ask for them, which an HTTP/1.0 one cannot.
    if (status < 200 || status > 599) return false;
    if (line.size() > 12 && line[12] != ' ') return false;
    out.status = status;
    out.reason.clear();
    // The reason ends up in a message line: printable ASCII only.
    for (const char c : trimmed(line.substr(std::min<size_t>(line.size(), 13))))
        if (c >= 0x20 && c < 0x7F && out.reason.size() < 120) out.reason.push_back(c);
    return true;
}

bool isTokenChar(char c) {
    return c > 0x20 && c < 0x7F && c != ':' && c != '(' && c != ')' && c != '<' && c != '>' && c != '"' &&
           c != '/' && c != '[' && c != ']' && c != '?' && c != '=' && c != '{' && c != '}' && c != ',' &&
           c != ';' && c != '@' && c != '\\';
}

// --- XML reply -----------------------------------------------------------

bool isNameStart(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':' ||
           static_cast<unsigned char>(c) >= 0x80;
}

bool isNameChar(char c) {
    return isNameStart(c) || isDigit(c) || c == '-' || c == '.';
}

// The character a reference (between '&' and ';') stands for; false for an
// unknown name or a number that is no character.
bool referenced(std::string_view ref, std::string& out) {
    static constexpr std::pair<std::string_view, char> kNamed[] = {
        {"lt", '<'}, {"gt", '>'}, {"amp", '&'}, {"quot", '"'}, {"apos", '\''}};
    for (const auto& [name, c] : kNamed)
        if (ref == name) {
            out.push_back(c);
            return true;
        }
    if (ref.size() < 2 || ref[0] != '#') return false;
    const bool hex = ref[1] == 'x';
    const std::string_view digits = ref.substr(hex ? 2 : 1);
    if (digits.empty() || digits.size() > 8) return false;
    char32_t value = 0;
    for (const char c : digits) {
        int d = -1;
        if (isDigit(c))
            d = c - '0';
        else if (hex && lower(c) >= 'a' && lower(c) <= 'f')
            d = lower(c) - 'a' + 10;
        if (d < 0) return false;
        value = value * (hex ? 16 : 10) + static_cast<char32_t>(d);
    }
    if (value == 0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return false;
    appendUtf8(out, value);
    return true;
}

bool appendDecoded(std::string_view raw, std::string& out) {
    while (!raw.empty()) {
        const size_t amp = raw.find('&');
        out.append(raw.substr(0, amp));
        if (amp == std::string_view::npos) return true;
        const size_t semi = raw.find(';', amp);
        if (semi == std::string_view::npos || semi - amp > 12) return false;
        if (!referenced(raw.substr(amp + 1, semi - amp - 1), out)) return false;
        raw.remove_prefix(semi + 1);
    }
    return true;
}

class ReplyReader {
  public:
    explicit ReplyReader(std::string_view xml) : xml_(xml) {}

    bool read(OcsReply& out) {
        if (xml_.substr(0, 3) == "\xEF\xBB\xBF") at_ = 3;
        while (at_ < xml_.size())
            if (!(xml_[at_] == '<' ? markup() : text())) return false;
        if (!rootClosed_ || !haveResponse_) return false;
        out = std::move(reply_);
        return true;
    }

  private:
    enum class Capture { None, Response, KeyName, KeyValue };

    bool skipPast(std::string_view end) {
        const size_t found = xml_.find(end, at_);
        if (found == std::string_view::npos) return false;
        at_ = found + end.size();
        return true;
    }

    void skipBlanks() {
        while (at_ < xml_.size() && isBlank(xml_[at_]))
            ++at_;
    }

    std::string_view name() {
        const size_t from = at_;
        if (at_ < xml_.size() && isNameStart(xml_[at_]))
            while (at_ < xml_.size() && isNameChar(xml_[at_]))
                ++at_;
        return xml_.substr(from, at_ - from);
    }

    bool capturingHere() const { return capture_ != Capture::None && open_.size() == captureDepth_; }

    bool text() {
        const size_t lt = std::min(xml_.find('<', at_), xml_.size());
        const std::string_view raw = xml_.substr(at_, lt - at_);
        at_ = lt;
        if (open_.empty()) return trimmed(raw).empty();
        return !capturingHere() || appendDecoded(raw, captured_);
    }

    bool markup() {
        const std::string_view rest = xml_.substr(at_);
        if (rest.substr(0, 2) == "<?") return skipPast("?>");
        if (rest.substr(0, 4) == "<!--") return skipPast("-->");
        if (rest.substr(0, 9) == "<![CDATA[") {
            if (open_.empty()) return false;
            const size_t from = at_ + 9;
            if (!skipPast("]]>")) return false;
            if (capturingHere()) captured_.append(xml_.substr(from, at_ - 3 - from));
            return true;
        }
        if (rest.substr(0, 2) == "<!") {
            // A document type before the root, without an internal subset.
            if (rootSeen_) return false;
            const size_t end = xml_.find('>', at_);
            if (end == std::string_view::npos ||
                xml_.substr(at_, end - at_).find('[') != std::string_view::npos)
                return false;
            at_ = end + 1;
            return true;
        }
        if (rest.substr(0, 2) == "</") return endTag();
        return startTag();
    }

    bool endTag() {
        at_ += 2;
        const std::string_view closed = name();
        skipBlanks();
        if (at_ >= xml_.size() || xml_[at_] != '>') return false;
        ++at_;
        if (open_.empty() || open_.back() != closed) return false;
        ended(closed);
        open_.pop_back();
        if (open_.empty()) rootClosed_ = true;
        return true;
    }

    bool startTag() {
        ++at_;
        const std::string_view opened = name();
        if (opened.empty()) return false;
        bool empty = false;
        for (;;) {
            skipBlanks();
            if (at_ >= xml_.size()) return false;
            if (xml_[at_] == '>') {
                ++at_;
                break;
            }
            if (xml_[at_] == '/') {
                if (at_ + 1 >= xml_.size() || xml_[at_ + 1] != '>') return false;
                at_ += 2;
                empty = true;
                break;
            }
            if (!attribute()) return false;
        }
        if (rootClosed_) return false;
        if (open_.empty()) {
            if (opened != "REPLY") return false;
            rootSeen_ = true;
        }
        if (open_.size() >= kOcsMaxDepth) return false;
        open_.push_back(opened);
        started(opened);
        if (empty) {
            ended(opened);
            open_.pop_back();
            if (open_.empty()) rootClosed_ = true;
        }
        return true;
    }

    bool attribute() {
        if (name().empty()) return false;
        skipBlanks();
        if (at_ >= xml_.size() || xml_[at_] != '=') return false;
        ++at_;
        skipBlanks();
        if (at_ >= xml_.size() || (xml_[at_] != '"' && xml_[at_] != '\'')) return false;
        const char quote[] = {xml_[at_], '\0'};
        ++at_;
        return skipPast(quote);
    }

    // `open_` already holds the element.
    void started(std::string_view element) {
        const size_t depth = open_.size();
        Capture wanted = Capture::None;
        if (depth == 2 && element == "RESPONSE" && !haveResponse_) wanted = Capture::Response;
        if (depth == 2 && element == "ACCOUNTINFO") {
            inAccount_ = true;
            keyName_.reset();
            keyValue_.clear();
        }
        if (depth == 3 && inAccount_ && element == "KEYNAME") wanted = Capture::KeyName;
        if (depth == 3 && inAccount_ && element == "KEYVALUE") wanted = Capture::KeyValue;
        if (wanted != Capture::None) {
            capture_ = wanted;
            captureDepth_ = depth;
            captured_.clear();
        }
    }

    // `open_` still holds the element.
    void ended(std::string_view element) {
        const size_t depth = open_.size();
        if (capture_ != Capture::None && depth == captureDepth_) {
            std::string value(trimmed(captured_));
            if (capture_ == Capture::Response) {
                reply_.response = std::move(value);
                haveResponse_ = true;
            } else if (capture_ == Capture::KeyName) {
                keyName_ = std::move(value);
            } else {
                keyValue_ = std::move(value);
            }
            capture_ = Capture::None;
        }
        if (depth == 2 && element == "ACCOUNTINFO") {
            if (keyName_) reply_.accountInfo.emplace_back(std::move(*keyName_), std::move(keyValue_));
            inAccount_ = false;
        }
    }

    std::string_view xml_;
    size_t at_ = 0;
    std::vector<std::string_view> open_;
    bool rootSeen_ = false;
    bool rootClosed_ = false;
    bool haveResponse_ = false;
    bool inAccount_ = false;
    Capture capture_ = Capture::None;
    size_t captureDepth_ = 0;
    std::string captured_;
    std::optional<std::string> keyName_;
    std::string keyValue_;
    OcsReply reply_;
};

// --- reply summary -------------------------------------------------------

size_t findNoCase(std::string_view text, std::string_view what, size_t from) {
    if (what.empty() || text.size() < what.size()) return std::string_view::npos;
    for (size_t i = from; i + what.size() <= text.size(); ++i)
        if (equalNoCase(text.substr(i, what.size()), what)) return i;
    return std::string_view::npos;
}

// Markup-free text of an HTML page, the head, scripts and styles left out.
std::string pageText(std::string_view page) {
    std::string text;
    size_t at = 0;
    while (at < page.size()) {
        const char c = page[at];
        if (c != '<') {
            text.push_back(c);
            ++at;
            continue;
        }
        if (page.substr(at, 4) == "<!--") {
            const size_t end = page.find("-->", at + 4);
            at = end == std::string_view::npos ? page.size() : end + 3;
            continue;
        }
        size_t nameAt = at + 1;
        const bool closing = nameAt < page.size() && page[nameAt] == '/';
        if (closing) ++nameAt;
        size_t nameEnd = nameAt;
        while (nameEnd < page.size() && (isNameChar(page[nameEnd]) || isDigit(page[nameEnd])))
            ++nameEnd;
        const std::string_view tag = page.substr(nameAt, nameEnd - nameAt);
        const size_t gt = page.find('>', nameEnd);
        at = gt == std::string_view::npos ? page.size() : gt + 1;
        text.push_back(' ');
        if (closing) continue;
        for (const std::string_view hidden : {"head", "script", "style", "title"})
            if (equalNoCase(tag, hidden)) {
                const size_t end = findNoCase(page, std::string("</").append(hidden), at);
                const size_t close = end == std::string_view::npos ? end : page.find('>', end);
                at = close == std::string_view::npos ? page.size() : close + 1;
            }
    }
    return text;
}

// Folded to one line of printable ASCII, the usual references resolved.
std::string oneLine(std::string_view text) {
    static constexpr std::pair<std::string_view, std::string_view> kRefs[] = {
        {"&amp;", "&"}, {"&lt;", "<"},   {"&gt;", ">"},  {"&quot;", "\""},
        {"&#39;", "'"}, {"&apos;", "'"}, {"&nbsp;", " "}};
    std::string line;
    bool blank = false;
    auto put = [&](char c) {
        if (c == ' ') {
            blank = !line.empty();
            return;
        }
        if (blank) line.push_back(' ');
        blank = false;
        line.push_back(c);
    };
    for (size_t at = 0; at < text.size() && line.size() <= kReplySummaryChars;) {
        bool replaced = false;
        if (text[at] == '&')
            for (const auto& [ref, with] : kRefs)
                if (text.substr(at, ref.size()) == ref) {
                    for (const char c : with)
                        put(c);
                    at += ref.size();
                    replaced = true;
                    break;
                }
        if (replaced) continue;
        const auto c = static_cast<unsigned char>(text[at++]);
        if (c <= 0x20)
            put(' ');
        else if (c < 0x7F)
            put(static_cast<char>(c));
        else if (c >= 0xC0)
            put('?'); // the lead byte of a UTF-8 sequence stands for it
    }
    if (line.size() > kReplySummaryChars) line = line.substr(0, kReplySummaryChars - 3) + "...";
    return line;
}

} // namespace

HttpTargetKind parseHttpTarget(std::string_view target, HttpTarget& out) {
    if (startsNoCase(target, "https:")) return HttpTargetKind::BadHttp;
    if (!startsNoCase(target, "http:")) return HttpTargetKind::NotHttp;
    if (!startsNoCase(target, "http://")) return HttpTargetKind::BadHttp;
    const std::string_view rest = target.substr(7);
    const size_t pathAt = std::min(rest.find_first_of("/?#"), rest.size());
    const std::string_view authority = rest.substr(0, pathAt);
    const std::string_view path = rest.substr(pathAt);

    const size_t colon = std::min(authority.find(':'), authority.size());
    const std::string_view host = authority.substr(0, colon);
    if (host.empty() || host.size() > 255) return HttpTargetKind::BadHttp;
    for (const char c : host)
        if (!isHostChar(c)) return HttpTargetKind::BadHttp;

    uint32_t port = 80;
    if (colon < authority.size() && colon + 1 < authority.size()) {
        const std::string_view digits = authority.substr(colon + 1);
        if (digits.size() > 5) return HttpTargetKind::BadHttp;
        port = 0;
        for (const char c : digits) {
            if (!isDigit(c)) return HttpTargetKind::BadHttp;
            port = port * 10 + static_cast<uint32_t>(c - '0');
        }
        if (port == 0 || port > 65535) return HttpTargetKind::BadHttp;
    }
    for (const char c : path)
        if (c <= 0x20 || c >= 0x7F || c == '#') return HttpTargetKind::BadHttp;

    out.host = std::string(host);
    out.port = static_cast<uint16_t>(port);
    out.path = path.empty() || path[0] != '/' ? "/" + std::string(path) : std::string(path);
    return HttpTargetKind::Http;
}

std::string httpPostRequest(const HttpTarget& target, std::string_view userAgent, std::string_view body) {
    std::string request = "POST " + target.path + " HTTP/1.0\r\nHost: " + target.host;
    if (target.port != 80) request += ":" + std::to_string(target.port);
    request.append("\r\nUser-Agent: ").append(userAgent);
    request.append("\r\nContent-Type: application/x-compress\r\nContent-Length: ");
    request.append(std::to_string(body.size())).append("\r\n\r\n");
    request.append(body);
    return request;
}

HttpParse parseHttpResponse(std::string_view received, bool peerClosed, HttpResponse& out, size_t maxBody) {
    const size_t bodyAt = headerEnd(received.substr(0, std::min(received.size(), kHttpMaxHeaderBytes)));
    if (bodyAt == std::string_view::npos) {
        if (received.size() >= kHttpMaxHeaderBytes || peerClosed) return HttpParse::Malformed;
        return HttpParse::NeedMore;
    }
    std::string_view headers = received.substr(0, bodyAt);
    std::string_view line;
    HttpResponse response;
    if (!nextLine(headers, line) || !parseStatusLine(line, response)) return HttpParse::Malformed;

    bool haveLength = false;
    size_t length = 0;
    while (nextLine(headers, line) && !line.empty()) {
        const size_t colon = line.find(':');
        if (colon == std::string_view::npos || colon == 0) return HttpParse::Malformed;
        const std::string_view name = line.substr(0, colon);
        for (const char c : name)
            if (!isTokenChar(c)) return HttpParse::Malformed;
        const std::string_view value = trimmed(line.substr(colon + 1));
        if (equalNoCase(name, "Transfer-Encoding") && !equalNoCase(value, "identity"))
            return HttpParse::Malformed;
        if (!equalNoCase(name, "Content-Length")) continue;
        if (value.empty() || value.size() > 18) return HttpParse::Malformed;
        size_t n = 0;
        for (const char c : value) {
            if (!isDigit(c)) return HttpParse::Malformed;
            n = n * 10 + static_cast<size_t>(c - '0');
        }
        if (haveLength && n != length) return HttpParse::Malformed;
        haveLength = true;
        length = n;
    }

    const std::string_view body = received.substr(bodyAt);
    if (haveLength) {
        if (length > maxBody) return HttpParse::Malformed;
        if (body.size() < length) return peerClosed ? HttpParse::Malformed : HttpParse::NeedMore;
        response.body.assign(body.substr(0, length));
    } else {
        if (body.size() > maxBody) return HttpParse::Malformed;
        if (!peerClosed) return HttpParse::NeedMore;
        response.body.assign(body);
    }
    out = std::move(response);
    return HttpParse::Complete;
}

bool parseOcsReply(std::string_view xml, OcsReply& out) {
    return ReplyReader(xml).read(out);
}

std::string replySummary(std::string_view body) {
    std::string line = oneLine(pageText(body));
    if (!line.empty()) return line;
    // A page that says nothing but its title.
    const size_t title = findNoCase(body, "<title", 0);
    const size_t from = title == std::string_view::npos ? title : body.find('>', title);
    if (from == std::string_view::npos) return line;
    const size_t to = findNoCase(body, "</title", from);
    return oneLine(
        body.substr(from + 1, to == std::string_view::npos ? body.size() - from - 1 : to - from - 1));
}
