// The conversation with the inventory server over a transport that plays the
// server's part, and the socket exchange against listeners of this test.
#include "inventory/inventory_exchange.h"
#include "inventory/zlib_codec.h"

#include <gtest/gtest.h>

#include <winsock.h>

#include <string>
#include <vector>

namespace {

std::string reply(int status, const std::string& reason, const std::string& body) {
    return "HTTP/1.1 " + std::to_string(status) + " " + reason +
           "\r\nContent-Length: " + std::to_string(body.size()) +
           "\r\nContent-Type: application/x-compressed\r\n\r\n" + body;
}

std::string xmlReply(const std::string& inner) {
    return reply(200, "OK",
                 zlibCompress("<?xml version='1.0' encoding='UTF-8'?>\n<REPLY>" + inner + "</REPLY>\n"));
}

struct Step {
    bool reached = true;
    std::string answer;
};

// Plays the server: each request gets the next step's answer.
class PlayedServer {
  public:
    explicit PlayedServer(std::vector<Step> steps) : steps_(std::move(steps)) {}
    InventoryTransport transport() {
        return [this](const HttpTarget&, std::string_view request, const ReplyComplete& complete) {
            requests.emplace_back(request);
            TcpExchange exchange;
            if (requests.size() > steps_.size()) {
                exchange.failure = "unexpected request";
                return exchange;
            }
            const Step& step = steps_[requests.size() - 1];
            if (!step.reached) {
                exchange.failure = "the connection was refused (no server listens there)";
                return exchange;
            }
            exchange.replied = true;
            exchange.reply = step.answer;
            exchange.peerClosed = !complete(step.answer);
            return exchange;
        };
    }
    std::vector<std::string> requests;

  private:
    std::vector<Step> steps_;
};

using Outcome = InventoryDelivery::Outcome;

TEST(DeliverInventory, FollowsTheServersAnswers) {
    const std::string send = xmlReply("<OPTION><NAME>DOWNLOAD</NAME><PARAM ON=\"0\" TYPE=\"CONF\" /></OPTION>"
                                      "<PROLOG_FREQ>24</PROLOG_FREQ><RESPONSE>SEND</RESPONSE>");
    const std::string stored = xmlReply("<RESPONSE>NO_ACCOUNT_UPDATE</RESPONSE>");
    const std::string errorPage = reply(500, "Internal Server Error",
                                        "<html><head><title>500 Internal Server Error</title></head></html>");
    const struct {
        const char* name;
        std::vector<Step> steps;
        Outcome outcome;
        size_t requests;
        const char* message; // a part of it; nullptr: none
    } cases[] = {
        {"prolog then inventory", {{true, send}, {true, stored}}, Outcome::Stored, 2, nullptr},
        {"account update is stored too",
         {{true, send},
          {true, xmlReply("<ACCOUNTINFO><KEYNAME>TAG</KEYNAME><KEYVALUE>A</KEYVALUE></ACCOUNTINFO>"
                          "<RESPONSE>ACCOUNT_UPDATE</RESPONSE>")}},
         Outcome::Stored,
         2,
         nullptr},
        {"unknown agent skips the prolog",
         {{true, reply(400, "Bad Request", "")}, {true, stored}},
         Outcome::Stored,
         2,
         nullptr},
        {"stop sends nothing", {{true, xmlReply("<RESPONSE>STOP</RESPONSE>")}}, Outcome::Declined, 1, "STOP"},
        {"unreachable", {{false, ""}}, Outcome::Failed, 1, "cannot reach the inventory server at srv:8080"},
        {"prolog error page",
         {{true, errorPage}},
         Outcome::Failed,
         1,
         "answered the PROLOG with HTTP 500 Internal Server Error: 500 Internal Server Error"},
        {"inventory error page",
         {{true, send}, {true, errorPage}},
         Outcome::Failed,
         2,
         "answered the INVENTORY with HTTP 500"},
        {"not http", {{true, "SSH-2.0-OpenSSH\r\n"}}, Outcome::Failed, 1, "not HTTP"},
        {"reply of another kind",
         {{true, send}, {true, xmlReply("<RESPONSE>SEND</RESPONSE>")}},
         Outcome::Failed,
         2,
         "INVENTORY reply not understood"},
        {"garbage body",
         {{true, reply(200, "OK", "\x78\x9c garbage")}},
         Outcome::Failed,
         1,
         "PROLOG reply not understood"},
        {"plain xml reply",
         {{true, reply(200, "OK", "<?xml version='1.0'?><REPLY><RESPONSE>SEND</RESPONSE></REPLY>")},
          {true, stored}},
         Outcome::Stored,
         2,
         nullptr},
    };
    HttpTarget target;
    target.host = "srv";
    target.port = 8080;
    target.path = "/ocsinventory";
    for (const auto& c : cases) {
        PlayedServer server(c.steps);
        const InventoryDelivery delivery = deliverInventory(
            target, "<?xml?><REQUEST>P</REQUEST>", "<?xml?><REQUEST>I</REQUEST>", server.transport());
        EXPECT_EQ(delivery.outcome, c.outcome) << c.name << ": " << delivery.message;
        EXPECT_EQ(server.requests.size(), c.requests) << c.name;
        if (c.message != nullptr) {
            EXPECT_NE(delivery.message.find(c.message), std::string::npos)
                << c.name << ": " << delivery.message;
        }
        EXPECT_EQ(delivery.message.find_first_of("\r\n"), std::string::npos) << c.name;
        // Each request carries its own document, compressed.
        for (size_t i = 0; i < server.requests.size(); ++i) {
            const std::string& request = server.requests[i];
            const size_t body = request.find("\r\n\r\n");
            ASSERT_NE(body, std::string::npos) << c.name;
            std::string xml;
            ASSERT_TRUE(zlibInflate(request.substr(body + 4), xml, 1 << 20)) << c.name;
            EXPECT_EQ(xml, i == 0 ? "<?xml?><REQUEST>P</REQUEST>" : "<?xml?><REQUEST>I</REQUEST>") << c.name;
        }
    }
}

class Winsock : public ::testing::Test {
  protected:
    Winsock() {
        WSADATA data;
        WSAStartup(MAKEWORD(1, 1), &data);
    }
    ~Winsock() override { WSACleanup(); }

    // A listener on 127.0.0.1 that never accepts: connections complete in
    // its backlog and then hear nothing.
    SOCKET silentListener(uint16_t& port) {
        SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in at{};
        at.sin_family = AF_INET;
        at.sin_addr.s_addr = inet_addr("127.0.0.1");
        int length = sizeof at;
        bind(s, reinterpret_cast<sockaddr*>(&at), sizeof at);
        listen(s, 2);
        getsockname(s, reinterpret_cast<sockaddr*>(&at), &length);
        port = ntohs(at.sin_port);
        return s;
    }
};

TEST_F(Winsock, ASilentServerEndsTheExchangeAtTheReceiveLimit) {
    uint16_t port = 0;
    SOCKET listener = silentListener(port);
    ASSERT_NE(port, 0);
    NetworkTimeouts limits;
    limits.receiveMs = 700;
    const TcpExchange exchange =
        exchangeOverTcp("127.0.0.1", port, "POST / HTTP/1.0\r\n\r\n", nullptr, 1024, limits);
    closesocket(listener);
    EXPECT_FALSE(exchange.replied);
    EXPECT_EQ(exchange.failure, "no reply within 0.7 s");
}

// Accepts one connection and sends a byte every 100 ms: in time for every
// single wait, never done.
DWORD WINAPI trickle(void* parameter) {
    const SOCKET listener = *static_cast<SOCKET*>(parameter);
    const SOCKET s = accept(listener, nullptr, nullptr);
    if (s == INVALID_SOCKET) return 0;
    for (int i = 0; i < 30 && send(s, "x", 1, 0) == 1; ++i)
        Sleep(100);
    closesocket(s);
    return 0;
}

TEST_F(Winsock, ATricklingServerEndsTheExchangeAtItsWholeLimit) {
    uint16_t port = 0;
    SOCKET listener = silentListener(port);
    HANDLE server = CreateThread(nullptr, 0, trickle, &listener, 0, nullptr);
    ASSERT_NE(server, nullptr);
    NetworkTimeouts limits;
    limits.receiveMs = 500;
    limits.exchangeMs = 800;
    const TcpExchange exchange =
        exchangeOverTcp("127.0.0.1", port, "POST / HTTP/1.0\r\n\r\n", nullptr, 1024, limits);
    WaitForSingleObject(server, 10000);
    CloseHandle(server);
    closesocket(listener);
    EXPECT_FALSE(exchange.replied);
    EXPECT_TRUE(exchange.connected);
    EXPECT_EQ(exchange.failure, "the exchange took longer than 0.8 s");
    EXPECT_FALSE(exchange.reply.empty()) << "the trickle arrived";
}

TEST_F(Winsock, AClosedPortIsRefused) {
    uint16_t port = 0;
    closesocket(silentListener(port));
    const TcpExchange exchange = exchangeOverTcp("127.0.0.1", port, "x", nullptr, 1024);
    EXPECT_FALSE(exchange.replied);
    EXPECT_NE(exchange.failure.find("refused"), std::string::npos) << exchange.failure;
}

TEST_F(Winsock, AnUnknownNameIsToldAsSuch) {
    // Without a name server the lookup may run into its limit instead.
    NetworkTimeouts limits;
    limits.lookupMs = 10000;
    const TcpExchange exchange = exchangeOverTcp("no-such-host.invalid", 80, "x", nullptr, 1024, limits);
    EXPECT_FALSE(exchange.replied);
    EXPECT_TRUE(exchange.failure == "the name is not known" ||
                exchange.failure == "the name lookup gave no answer within 10 s")
        << exchange.failure;
}

} // namespace
