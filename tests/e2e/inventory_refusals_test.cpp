// /inventory against servers that do not store it, end to end under Wine: a
// port nobody listens on, and a server that answers with an error page. Each
// ends with exit code 1 and one line on standard error that says what the
// server did; the request the server got is checked on the way.
#include "automation.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <winsock.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using automation::CommandRun;
using automation::runCommandLine;

class WinsockUser {
  public:
    WinsockUser() {
        WSADATA data;
        WSAStartup(MAKEWORD(1, 1), &data);
    }
    ~WinsockUser() { WSACleanup(); }
};

// A listening socket on 127.0.0.1 that gives each connection the next of its
// replies, once the request's body has come whole, and keeps what it got.
class ScriptedServer {
  public:
    explicit ScriptedServer(std::vector<std::string> replies) : replies_(std::move(replies)) {
        listener_ = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in at{};
        at.sin_family = AF_INET;
        at.sin_addr.s_addr = inet_addr("127.0.0.1");
        at.sin_port = 0;
        int length = sizeof at;
        if (bind(listener_, reinterpret_cast<sockaddr*>(&at), sizeof at) != 0 || listen(listener_, 4) != 0 ||
            getsockname(listener_, reinterpret_cast<sockaddr*>(&at), &length) != 0)
            return;
        port_ = ntohs(at.sin_port);
        thread_ = CreateThread(nullptr, 0, serve, this, 0, nullptr);
    }
    ~ScriptedServer() { finish(); }
    int port() const { return port_; }
    // What the connections brought, once the server is done with them.
    const std::vector<std::string>& requests() {
        finish();
        return requests_;
    }

  private:
    void finish() {
        if (listener_ != INVALID_SOCKET) closesocket(listener_); // ends a waiting accept
        listener_ = INVALID_SOCKET;
        if (thread_ != nullptr) {
            WaitForSingleObject(thread_, 10000);
            CloseHandle(thread_);
            thread_ = nullptr;
        }
    }

    static DWORD WINAPI serve(void* self) {
        static_cast<ScriptedServer*>(self)->run();
        return 0;
    }

    void run() {
        const SOCKET listener = listener_; // set before this thread began
        for (const std::string& reply : replies_) {
            SOCKET s = accept(listener, nullptr, nullptr);
            if (s == INVALID_SOCKET) return;
            requests_.push_back(readRequest(s));
            send(s, reply.data(), static_cast<int>(reply.size()), 0);
            closesocket(s);
        }
    }

    static std::string readRequest(SOCKET s) {
        std::string got;
        char buffer[4096];
        while (true) {
            const size_t headEnd = got.find("\r\n\r\n");
            if (headEnd != std::string::npos) {
                const size_t at = got.find("Content-Length: ");
                const size_t length =
                    at == std::string::npos ? 0 : std::strtoul(got.c_str() + at + 16, nullptr, 10);
                if (got.size() >= headEnd + 4 + length) return got;
            }
            const int n = recv(s, buffer, sizeof buffer, 0);
            if (n <= 0) return got;
            got.append(buffer, static_cast<size_t>(n));
        }
    }

    std::vector<std::string> replies_;
    SOCKET listener_ = INVALID_SOCKET;
    int port_ = 0;
    HANDLE thread_ = nullptr;
    std::vector<std::string> requests_;
};

// Apache's page for a failure inside the handler.
const char* const kServerError = "HTTP/1.1 500 Internal Server Error\r\n"
                                 "Content-Type: text/html; charset=iso-8859-1\r\n"
                                 "Content-Length: 102\r\n\r\n"
                                 "<html><head><title>500 Internal Server Error</title></head><body>"
                                 "<h1>Internal Error</h1></body></html>";
const char* const kUnknownAgent = "HTTP/1.1 400 Bad Request\r\nContent-Length: 0\r\n\r\n";

void expectOneLineOfReason(const CommandRun& run, const std::string& reason) {
    EXPECT_EQ(run.exitCode, 1u) << run.err;
    EXPECT_EQ(run.err.rfind("Korvexer: ", 0), 0u) << run.err;
    EXPECT_NE(run.err.find(reason), std::string::npos) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
}

class InventoryRefused : public ::testing::Test {
  protected:
    WinsockUser winsock;
    TempDir work;
};

TEST_F(InventoryRefused, ServerErrorAfterAnUnknownAgentEndsWithItsStatus) {
    ScriptedServer server({kUnknownAgent, kServerError});
    ASSERT_NE(server.port(), 0);
    const std::string url = "http://127.0.0.1:" + std::to_string(server.port()) + "/ocsinventory";
    const CommandRun run =
        runCommandLine("/inventory " + url + " /tag LAB-7", work.path(), work.path(), 120000);
    expectOneLineOfReason(run, "answered the INVENTORY with HTTP 500 Internal Server Error");
    EXPECT_NE(run.err.find("Internal Error"), std::string::npos) << run.err;
    // The PROLOG the server refused, then the inventory all the same.
    ASSERT_EQ(server.requests().size(), 2u);
    for (const std::string& request : server.requests()) {
        EXPECT_EQ(request.rfind("POST /ocsinventory HTTP/1.0\r\n", 0), 0u) << request.substr(0, 200);
        EXPECT_NE(request.find("\r\nUser-Agent: Korvexer/1.1.0\r\n"), std::string::npos);
        const size_t body = request.find("\r\n\r\n") + 4;
        ASSERT_LT(body, request.size());
        EXPECT_EQ(static_cast<unsigned char>(request[body]), 0x78u) << "a zlib stream";
    }
}

TEST_F(InventoryRefused, NobodyListeningEndsWithCodeOneAtOnce) {
    // A port that was free a moment ago and is closed again.
    int port = 0;
    {
        ScriptedServer closed({});
        port = closed.port();
    }
    ASSERT_NE(port, 0);
    const DWORD began = GetTickCount();
    const CommandRun run =
        runCommandLine("/inventory http://127.0.0.1:" + std::to_string(port) + "/ocsinventory", work.path(),
                       work.path(), 120000);
    expectOneLineOfReason(run, "cannot reach the inventory server at 127.0.0.1:" + std::to_string(port));
    std::printf("refused connection: exit %lu after %.1f s\n", run.exitCode,
                (GetTickCount() - began) / 1000.0);
}

TEST_F(InventoryRefused, BadAddressOrUnwritableFileIsToldBeforeAnythingIsRead) {
    const struct {
        std::string target;
        const char* reason;
    } cases[] = {
        {"http://:80/ocsinventory", "is not a server address of the form http://HOST[:PORT]/PATH"},
        {"http://server:99999/ocsinventory", "is not a server address"},
        {work.path(), "cannot write"},
    };
    for (const auto& c : cases) {
        const CommandRun run =
            runCommandLine("/inventory \"" + c.target + "\"", work.path(), work.path(), 60000);
        expectOneLineOfReason(run, c.reason);
    }
}

} // namespace
