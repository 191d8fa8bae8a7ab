#include "inventory/http_message.h"

#include <gtest/gtest.h>

namespace {

TEST(HttpTarget, Parsed) {
    const struct {
        std::string target;
        HttpTargetKind kind;
        std::string host;
        uint16_t port;
        std::string path;
    } cases[] = {
        {"http://127.0.0.1/ocsinventory", HttpTargetKind::Http, "127.0.0.1", 80, "/ocsinventory"},
        {"HTTP://Server.lan:8080", HttpTargetKind::Http, "Server.lan", 8080, "/"},
        {"http://srv:/ocs?x=1", HttpTargetKind::Http, "srv", 80, "/ocs?x=1"},
        {"http://srv?x", HttpTargetKind::Http, "srv", 80, "/?x"},
        {"http://srv:65535/", HttpTargetKind::Http, "srv", 65535, "/"},
        {"C:\\inventory.xml", HttpTargetKind::NotHttp, "", 80, ""},
        {"http.xml", HttpTargetKind::NotHttp, "", 80, ""},
        {"\\\\server\\share\\http:", HttpTargetKind::NotHttp, "", 80, ""},
        {"http:", HttpTargetKind::BadHttp, "", 80, ""},
        {"http://", HttpTargetKind::BadHttp, "", 80, ""},
        {"http:/srv/ocs", HttpTargetKind::BadHttp, "", 80, ""},
        {"https://srv/ocs", HttpTargetKind::BadHttp, "", 80, ""},
        {"http://user@srv/", HttpTargetKind::BadHttp, "", 80, ""},
        {"http://srv:0/", HttpTargetKind::BadHttp, "", 80, ""},
        {"http://srv:65536/", HttpTargetKind::BadHttp, "", 80, ""},
        {"http://srv:80x/", HttpTargetKind::BadHttp, "", 80, ""},
        {"http://srv:000080/", HttpTargetKind::BadHttp, "", 80, ""},
        {"http://sr v/", HttpTargetKind::BadHttp, "", 80, ""},
        {"http://srv/a b", HttpTargetKind::BadHttp, "", 80, ""},
        {"http://srv/a\r\nX: y", HttpTargetKind::BadHttp, "", 80, ""},
        {"http://srv/#top", HttpTargetKind::BadHttp, "", 80, ""},
        {"http://[::1]/", HttpTargetKind::BadHttp, "", 80, ""},
    };
    for (const auto& c : cases) {
        HttpTarget target;
        EXPECT_EQ(parseHttpTarget(c.target, target), c.kind) << c.target;
        EXPECT_EQ(target.host, c.host) << c.target;
        EXPECT_EQ(target.port, c.port) << c.target;
        EXPECT_EQ(target.path, c.path) << c.target;
    }
}

TEST(HttpRequest, ExactBytes) {
    const std::string body("x\0y", 3);
    EXPECT_EQ(httpPostRequest({"127.0.0.1", 80, "/ocsinventory"}, "Korvexer/1.1.0", body),
              "POST /ocsinventory HTTP/1.0\r\nHost: 127.0.0.1\r\nUser-Agent: Korvexer/1.1.0\r\n"
              "Content-Type: application/x-compress\r\nContent-Length: 3\r\n\r\n" +
                  body);
    EXPECT_EQ(httpPostRequest({"srv", 8080, "/"}, "A/1", ""),
              "POST / HTTP/1.0\r\nHost: srv:8080\r\nUser-Agent: A/1\r\n"
              "Content-Type: application/x-compress\r\nContent-Length: 0\r\n\r\n");
}

const std::string kOk = "HTTP/1.1 200 OK\r\nDate: x\r\ncontent-LENGTH: 5\r\n"
                        "Content-Type: application/x-compressed\r\n\r\n";

TEST(HttpResponse, Parsed) {
    const struct {
        std::string received;
        bool closed;
        HttpParse result;
        int status;
        std::string reason;
        std::string body;
    } cases[] = {
        {kOk + "hello", false, HttpParse::Complete, 200, "OK", "hello"},
        {kOk + "hello and more", true, HttpParse::Complete, 200, "OK", "hello"},
        {kOk + "hel", false, HttpParse::NeedMore, 0, "", ""},
        {kOk + "hel", true, HttpParse::Malformed, 0, "", ""},
        {kOk.substr(0, 20), false, HttpParse::NeedMore, 0, "", ""},
        {kOk.substr(0, kOk.size() - 1), false, HttpParse::NeedMore, 0, "", ""},
        {kOk.substr(0, 20), true, HttpParse::Malformed, 0, "", ""},
        {"", false, HttpParse::NeedMore, 0, "", ""},
        {"HTTP/1.0 400 Bad Request\r\n\r\n<html>", false, HttpParse::NeedMore, 0, "", ""},
        {"HTTP/1.0 400 Bad Request\r\n\r\n<html>", true, HttpParse::Complete, 400, "Bad Request", "<html>"},
        {"HTTP/1.0 500\n\n", true, HttpParse::Complete, 500, "", ""},
        {"HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n", false, HttpParse::Complete, 200, "OK", ""},
        {"HTTP/1.1 200 OK\r\nContent-Length: 2\r\nContent-Length: 2\r\n\r\nab", false, HttpParse::Complete,
         200, "OK", "ab"},
        {"HTTP/1.1 200 OK\r\nContent-Length: 2\r\nContent-Length: 3\r\n\r\nabc", true, HttpParse::Malformed,
         0, "", ""},
        {"HTTP/1.1 200 OK\r\nContent-Length: -1\r\n\r\n", true, HttpParse::Malformed, 0, "", ""},
        {"HTTP/1.1 200 OK\r\nContent-Length: 1x\r\n\r\n", true, HttpParse::Malformed, 0, "", ""},
        {"HTTP/1.1 200 OK\r\nContent-Length: 99999999999999999999\r\n\r\n", true, HttpParse::Malformed, 0, "",
         ""},
        {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n0\r\n\r\n", true,
         HttpParse::Malformed, 0, "", ""},
        {"HTTP/1.1 200 OK\r\nno colon here\r\n\r\n", true, HttpParse::Malformed, 0, "", ""},
        {"HTTP/1.1 200 OK\r\n folded: x\r\n\r\n", true, HttpParse::Malformed, 0, "", ""},
        {"HTTP/1.1 100 Continue\r\n\r\n", false, HttpParse::Malformed, 0, "", ""},
        {"HTTP/1.1 2000 OK\r\n\r\n", true, HttpParse::Malformed, 0, "", ""},
        {"ICY 200 OK\r\n\r\n", true, HttpParse::Malformed, 0, "", ""},
        {"\r\n\r\n", true, HttpParse::Malformed, 0, "", ""},
        {"HTTP/1.1 200 OK\x01\x1b[2J\r\n\r\n", true, HttpParse::Complete, 200, "OK[2J", ""},
        // Above the body limit (100): with a length at once, without one when it is passed.
        {"HTTP/1.1 200 OK\r\nContent-Length: 101\r\n\r\n", false, HttpParse::Malformed, 0, "", ""},
        {"HTTP/1.1 200 OK\r\n\r\n" + std::string(101, 'x'), false, HttpParse::Malformed, 0, "", ""},
        {"HTTP/1.1 200 OK\r\nX: " + std::string(kHttpMaxHeaderBytes, 'x'), false, HttpParse::Malformed, 0, "",
         ""},
    };
    for (const auto& c : cases) {
        HttpResponse response;
        EXPECT_EQ(parseHttpResponse(c.received, c.closed, response, 100), c.result) << c.received;
        EXPECT_EQ(response.status, c.status) << c.received;
        EXPECT_EQ(response.reason, c.reason) << c.received;
        EXPECT_EQ(response.body, c.body) << c.received;
    }
}

TEST(HttpResponse, ArrivingByteByByte) {
    const std::string whole = kOk + "hello";
    HttpResponse response;
    for (size_t n = 0; n < whole.size(); ++n)
        ASSERT_EQ(parseHttpResponse(whole.substr(0, n), false, response, 100), HttpParse::NeedMore) << n;
    ASSERT_EQ(parseHttpResponse(whole, false, response, 100), HttpParse::Complete);
    EXPECT_EQ(response.body, "hello");
}

TEST(OcsReply, ServerReplies) {
    using Info = std::vector<std::pair<std::string, std::string>>;
    const struct {
        std::string xml;
        std::string response;
        Info info;
    } cases[] = {
        {"<?xml version='1.0' encoding='UTF-8'?>\n<REPLY>\n  <OPTION>\n    <NAME>DOWNLOAD</NAME>\n"
         "    <PARAM EXECUTION_TIMEOUT=\"120\" FRAG_LATENCY=\"10\" ON=\"0\" TIMEOUT=\"30\" "
         "PERIOD_LATENCY=\"1\"\n"
         "           CYCLE_LATENCY=\"60\" PERIOD_LENGTH=\"10\" TYPE=\"CONF\" />\n  </OPTION>\n"
         "  <INVENTORY_ON_STARTUP>1</INVENTORY_ON_STARTUP>\n  <PROLOG_FREQ>24</PROLOG_FREQ>\n"
         "  <RESPONSE>SEND</RESPONSE>\n</REPLY>\n",
         "SEND",
         {}},
        {"<REPLY><RESPONSE>NO_ACCOUNT_UPDATE</RESPONSE></REPLY>", "NO_ACCOUNT_UPDATE", {}},
        {"<?xml version='1.0' encoding='UTF-8'?>\n<REPLY>\n  <RESPONSE>ACCOUNT_UPDATE</RESPONSE>\n"
         "  <ACCOUNTINFO><KEYNAME>TAG</KEYNAME><KEYVALUE>LAB-1</KEYVALUE></ACCOUNTINFO>\n</REPLY>",
         "ACCOUNT_UPDATE",
         {{"TAG", "LAB-1"}}},
        {"<REPLY><ACCOUNTINFO><KEYVALUE> R&amp;D &lt;2&gt; &quot;a&apos; &#65;&#x42;&#xe9; </KEYVALUE>"
         "<KEYNAME>TAG</KEYNAME></ACCOUNTINFO><PROLOG_FREQ>24</PROLOG_FREQ>"
         "<ACCOUNTINFO><KEYNAME>ROOM</KEYNAME></ACCOUNTINFO>"
         "<RESPONSE>\n ACCOUNT_UPDATE <!-- why --></RESPONSE></REPLY>",
         "ACCOUNT_UPDATE",
         {{"TAG", "R&D <2> \"a' AB\xc3\xa9"}, {"ROOM", ""}}},
        {"\xEF\xBB\xBF<!DOCTYPE REPLY><REPLY a='>' b=\"x\"><RESPONSE><![CDATA[STOP]]></RESPONSE>"
         "<RESPONSE>SEND</RESPONSE></REPLY > \n",
         "STOP",
         {}},
        {"<REPLY><RESPONSE/></REPLY>", "", {}},
        // Deeper elements of the same names are not the reply's own.
        {"<REPLY><OPTION><RESPONSE>NO</RESPONSE><ACCOUNTINFO><KEYNAME>X</KEYNAME></ACCOUNTINFO></OPTION>"
         "<RESPONSE>SEND<B>inner</B></RESPONSE></REPLY>",
         "SEND",
         {}},
    };
    for (const auto& c : cases) {
        OcsReply reply;
        ASSERT_TRUE(parseOcsReply(c.xml, reply)) << c.xml;
        EXPECT_EQ(reply.response, c.response) << c.xml;
        EXPECT_EQ(reply.accountInfo, c.info) << c.xml;
    }
}

TEST(OcsReply, Refused) {
    std::string deep = "<REPLY><RESPONSE>SEND</RESPONSE>";
    for (size_t i = 1; i < kOcsMaxDepth; ++i)
        deep += "<A>";
    std::string deepClosed = deep;
    for (size_t i = 1; i < kOcsMaxDepth; ++i)
        deepClosed += "</A>";
    {
        OcsReply reply;
        EXPECT_TRUE(parseOcsReply(deepClosed + "</REPLY>", reply)) << "the deepest allowed";
    }
    const std::string cases[] = {
        "",
        "junk",
        "<html><body>Bad Request</body></html>",
        "<REPLY></REPLY>",
        "<REPLY><PROLOG_FREQ>24</PROLOG_FREQ></REPLY>",
        "<REPLY><RESPONSE>SEND</RESPONSE>",
        "<REPLY><RESPONSE>SEND</REPLY></RESPONSE>",
        "<REPLY><RESPONSE>SEND</RESPONSE></REPLY><REPLY/>",
        "<REPLY><RESPONSE>SEND</RESPONSE></REPLY>trailing",
        "<REPLY><RESPONSE>A &unknown; B</RESPONSE></REPLY>",
        "<REPLY><RESPONSE>A & B</RESPONSE></REPLY>",
        "<REPLY><RESPONSE>&#0;</RESPONSE></REPLY>",
        "<REPLY><RESPONSE>&#xD800;</RESPONSE></REPLY>",
        "<REPLY><RESPONSE>&#x110000;</RESPONSE></REPLY>",
        "<REPLY a=1><RESPONSE>SEND</RESPONSE></REPLY>",
        "<REPLY a='1><RESPONSE>SEND</RESPONSE></REPLY>",
        "<REPLY><RESPONSE>SEND</RESPONSE><!-- open",
        "<REPLY><![CDATA[x</REPLY>",
        "<REPLY><RESPONSE>SEND</RESPONSE></REPLY",
        "<REPLY><RESPONSE>SEND</RESPONSE><",
        "<REPLY><RESPONSE>SEND</RESPONSE></>",
        "<!DOCTYPE REPLY [<!ENTITY x 'y'>]><REPLY><RESPONSE>SEND</RESPONSE></REPLY>",
        "<reply><RESPONSE>SEND</RESPONSE></reply>",
        deep + "<A>" + std::string(kOcsMaxDepth, '>'),
    };
    for (const std::string& xml : cases) {
        OcsReply reply;
        reply.response = "untouched";
        EXPECT_FALSE(parseOcsReply(xml, reply)) << xml;
        EXPECT_EQ(reply.response, "untouched");
    }
}

TEST(ReplySummary, OneLineOfPrintableText) {
    const struct {
        std::string body;
        std::string line;
    } cases[] = {
        {"<!DOCTYPE HTML PUBLIC \"-//IETF//DTD HTML 2.0//EN\">\n<html><head>\n<title>400 Bad "
         "Request</title>\n"
         "</head><body>\n<h1>Bad Request</h1>\n<p>Your browser sent a request that this server could not "
         "understand.<br />\n</p>\n</body></html>\n",
         "Bad Request Your browser sent a request that this server could not understand."},
        {"<html><head><title>500 Internal Server Error</title><style>p {}</style></head></html>",
         "500 Internal Server Error"},
        {"<p>R&amp;D&nbsp;caf\xc3\xa9 \x01\x1b[31m</p><script>alert(1)</script>", "R&D caf? [31m"},
        {"plain   text\r\n\tline", "plain text line"},
        {"", ""},
        {std::string(300, 'a'), std::string(117, 'a') + "..."},
    };
    for (const auto& c : cases)
        EXPECT_EQ(replySummary(c.body), c.line) << c.body;
}

} // namespace
