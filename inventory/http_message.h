// The HTTP/1.0 exchange with the inventory server, as bytes: the target
// named on the command line, the request, the response and the server's
// XML reply. No Windows calls, so that the parsers can be fuzzed natively.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct HttpTarget {
    std::string host;
    uint16_t port = 80;
    std::string path; // with the query, if any; "/" at least
};

enum class HttpTargetKind {
    Http,    // http://HOST[:PORT][/PATH], in `out`
    NotHttp, // no URL: the caller's file name
    BadHttp, // names a URL scheme but is no http URL we can reach
};

// A target that begins with "http:" or "https:" (any case) is a URL and
// never a file name (on Windows "http:x" would name a stream of a file
// "http"): it is Http only when well formed and plain http. The host is
// letters, digits, '-', '.' and '_'; no user name ('@'), no IPv6 literal;
// the port 1..65535 (empty means 80); the path printable ASCII without
// blanks or a fragment ('#').
HttpTargetKind parseHttpTarget(std::string_view target, HttpTarget& out);

// The whole request: POST with Host, User-Agent, Content-Type and
// Content-Length, then the body.
std::string httpPostRequest(const HttpTarget& target, std::string_view userAgent, std::string_view body);

struct HttpResponse {
    int status = 0;
    std::string reason;
    std::string body;
};

enum class HttpParse { Complete, NeedMore, Malformed };

// Longest status line and headers taken together.
constexpr size_t kHttpMaxHeaderBytes = 16 * 1024;

// Reads a response from what has arrived so far. With Content-Length the
// body is complete once that many bytes are in (more is ignored; fewer when
// the peer has closed is Malformed); without it the body runs until the peer
// closes. Malformed too: no "HTTP/d.d NNN" status line, a header line
// without a colon, conflicting or non-numeric lengths, any transfer coding
// (chunked included), headers beyond kHttpMaxHeaderBytes, a body beyond
// `maxBody`.
HttpParse parseHttpResponse(std::string_view received, bool peerClosed, HttpResponse& out, size_t maxBody);

struct OcsReply {
    std::string response;
    // KEYNAME and KEYVALUE of each ACCOUNTINFO, in order.
    std::vector<std::pair<std::string, std::string>> accountInfo;
};

// Reads the server's <REPLY>: its RESPONSE and ACCOUNTINFO children in any
// order among others, with the XML declaration, comments, attributes, empty
// elements, CDATA and character references. Texts are trimmed of blanks.
// False unless the root is REPLY, the document well formed as far as read
// (tags nested and closed, at most kOcsMaxDepth deep) and RESPONSE present.
constexpr size_t kOcsMaxDepth = 32;
bool parseOcsReply(std::string_view xml, OcsReply& out);

// One line for standard error from the body of a failed request (an HTML
// error page as a rule): its text without markup, blanks folded, printable
// ASCII only, at most kReplySummaryChars characters.
constexpr size_t kReplySummaryChars = 120;
std::string replySummary(std::string_view body);
