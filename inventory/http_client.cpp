#include "http_client.h"

#include <winsock.h>

#include <atomic>
#include <cstdio>
#include <cstring>

namespace {

// A name lookup left to finish alone still uses Winsock: it is not cleaned
// up under it (the process ends soon after anyway).
std::atomic<bool> lookupAbandoned{false};

class WinsockSession {
  public:
    WinsockSession() {
        WSADATA data;
        started_ = WSAStartup(MAKEWORD(1, 1), &data) == 0;
    }
    ~WinsockSession() {
        if (started_ && !lookupAbandoned) WSACleanup();
    }
    WinsockSession(const WinsockSession&) = delete;
    WinsockSession& operator=(const WinsockSession&) = delete;
    bool started() const { return started_; }

  private:
    bool started_ = false;
};

class Socket {
  public:
    Socket() : s_(socket(AF_INET, SOCK_STREAM, 0)) {}
    ~Socket() {
        if (valid()) closesocket(s_);
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    bool valid() const { return s_ != INVALID_SOCKET; }
    SOCKET get() const { return s_; }

  private:
    SOCKET s_;
};

std::string describeError(int error) {
    switch (error) {
    case WSAECONNREFUSED:
        return "the connection was refused (no server listens there)";
    case WSAETIMEDOUT:
        return "the connection timed out";
    case WSAEHOSTUNREACH:
    case WSAEHOSTDOWN:
        return "the host cannot be reached";
    case WSAENETUNREACH:
    case WSAENETDOWN:
        return "the network cannot be reached";
    case WSAECONNRESET:
    case WSAECONNABORTED:
        return "the server broke the connection off";
    default:
        return "Winsock error " + std::to_string(error);
    }
}

std::string seconds(DWORD ms) {
    char text[32];
    if (ms % 1000 == 0)
        std::snprintf(text, sizeof text, "%lu s", static_cast<unsigned long>(ms / 1000));
    else
        std::snprintf(text, sizeof text, "%.1f s", ms / 1000.0);
    return text;
}

// The name lookup of Winsock 1.1 cannot be given a time limit: it runs on a
// thread of its own, which is left to finish alone when the wait runs out.
struct Lookup {
    std::string host;
    unsigned long address = INADDR_NONE;
    std::atomic<int> owners{2};
};

void release(Lookup* lookup) {
    if (--lookup->owners == 0) delete lookup;
}

DWORD WINAPI lookupThread(void* parameter) {
    auto* lookup = static_cast<Lookup*>(parameter);
    const hostent* entry = gethostbyname(lookup->host.c_str());
    if (entry != nullptr && entry->h_addrtype == AF_INET && entry->h_length == 4 &&
        entry->h_addr_list != nullptr && entry->h_addr_list[0] != nullptr)
        std::memcpy(&lookup->address, entry->h_addr_list[0], 4);
    release(lookup);
    return 0;
}

// The address of `host` in network order; false with `failure` told.
bool resolve(const std::string& host, DWORD timeoutMs, unsigned long& address, std::string& failure) {
    address = inet_addr(host.c_str());
    if (address != INADDR_NONE) return true;
    auto* lookup = new (std::nothrow) Lookup;
    if (lookup == nullptr) {
        failure = "out of memory for the name lookup";
        return false;
    }
    lookup->host = host;
    DWORD id = 0;
    HANDLE thread = CreateThread(nullptr, 0, lookupThread, lookup, 0, &id);
    if (thread == nullptr) {
        delete lookup;
        failure = "the name lookup could not be started";
        return false;
    }
    const bool finished = WaitForSingleObject(thread, timeoutMs) == WAIT_OBJECT_0;
    CloseHandle(thread);
    if (finished) address = lookup->address;
    release(lookup);
    if (!finished) {
        lookupAbandoned = true;
        failure = "the name lookup gave no answer within " + seconds(timeoutMs);
        return false;
    }
    if (address == INADDR_NONE) {
        failure = "the name is not known";
        return false;
    }
    return true;
}

// The time left of an exchange that may last `totalMs` from now.
class Deadline {
  public:
    explicit Deadline(DWORD totalMs) : began_(GetTickCount()), total_(totalMs) {}
    bool passed() const { return GetTickCount() - began_ >= total_; }
    // A wait of at most `ms`, shortened to what is left.
    DWORD wait(DWORD ms) const {
        const DWORD spent = GetTickCount() - began_;
        const DWORD left = spent >= total_ ? 0 : total_ - spent;
        return ms < left ? ms : left;
    }
    DWORD total() const { return total_; }

  private:
    DWORD began_;
    DWORD total_;
};

timeval timeLimit(DWORD ms) {
    timeval limit;
    limit.tv_sec = static_cast<long>(ms / 1000);
    limit.tv_usec = static_cast<long>((ms % 1000) * 1000);
    return limit;
}

enum class Ready { Yes, TimedOut, Failed };

// `connecting`: a failed connection attempt is shown in the exception set;
// on a connected socket that set would only mean out-of-band data.
Ready waitFor(SOCKET s, bool forWriting, DWORD ms, int& error, bool connecting = false) {
    fd_set wanted;
    fd_set failed;
    FD_ZERO(&wanted);
    FD_ZERO(&failed);
    FD_SET(s, &wanted);
    FD_SET(s, &failed);
    timeval limit = timeLimit(ms);
    const int n = select(0, forWriting ? nullptr : &wanted, forWriting ? &wanted : nullptr,
                         connecting ? &failed : nullptr, &limit);
    if (n == SOCKET_ERROR) {
        error = WSAGetLastError();
        return Ready::Failed;
    }
    if (n == 0) return Ready::TimedOut;
    if (connecting && FD_ISSET(s, &failed)) {
        int soError = 0;
        int length = sizeof soError;
        getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&soError), &length);
        error = soError != 0 ? soError : WSAECONNREFUSED;
        return Ready::Failed;
    }
    return Ready::Yes;
}

bool connectWithin(SOCKET s, unsigned long address, uint16_t port, DWORD ms, std::string& failure) {
    u_long nonBlocking = 1;
    if (ioctlsocket(s, FIONBIO, &nonBlocking) == SOCKET_ERROR) {
        failure = describeError(WSAGetLastError());
        return false;
    }
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = address;
    if (connect(s, reinterpret_cast<const sockaddr*>(&to), sizeof to) == 0) return true;
    int error = WSAGetLastError();
    if (error != WSAEWOULDBLOCK) {
        failure = describeError(error);
        return false;
    }
    switch (waitFor(s, true, ms, error, true)) {
    case Ready::Yes:
        break;
    case Ready::TimedOut:
        failure = "no connection within " + seconds(ms);
        return false;
    case Ready::Failed:
        failure = describeError(error);
        return false;
    }
    int soError = 0;
    int length = sizeof soError;
    if (getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&soError), &length) == 0 &&
        soError != 0) {
        failure = describeError(soError);
        return false;
    }
    return true;
}

bool sendAll(SOCKET s, std::string_view bytes, DWORD ms, const Deadline& deadline, std::string& failure) {
    while (!bytes.empty()) {
        const int piece = static_cast<int>(bytes.size() > 0x10000 ? 0x10000 : bytes.size());
        const int sent = send(s, bytes.data(), piece, 0);
        if (sent > 0) {
            bytes.remove_prefix(static_cast<size_t>(sent));
            continue;
        }
        int error = WSAGetLastError();
        if (sent == SOCKET_ERROR && error != WSAEWOULDBLOCK) {
            failure = "sending failed: " + describeError(error);
            return false;
        }
        const Ready ready = waitFor(s, true, deadline.wait(ms), error);
        if (ready == Ready::TimedOut) {
            failure = deadline.passed() ? "the exchange took longer than " + seconds(deadline.total())
                                        : "the server took nothing for " + seconds(ms);
            return false;
        }
        if (ready == Ready::Failed) {
            failure = "sending failed: " + describeError(error);
            return false;
        }
    }
    return true;
}

} // namespace

TcpExchange exchangeOverTcp(const std::string& host, uint16_t port, std::string_view request,
                            const ReplyComplete& complete, size_t maxReply, const NetworkTimeouts& timeouts) {
    TcpExchange exchange;
    WinsockSession session;
    if (!session.started()) {
        exchange.failure = "Windows Sockets 1.1 are not available on this system";
        return exchange;
    }
    unsigned long address = INADDR_NONE;
    if (!resolve(host, timeouts.lookupMs, address, exchange.failure)) return exchange;
    Socket s;
    if (!s.valid()) {
        exchange.failure = "no socket: " + describeError(WSAGetLastError());
        return exchange;
    }
    if (!connectWithin(s.get(), address, port, timeouts.connectMs, exchange.failure)) return exchange;
    exchange.connected = true;
    const Deadline deadline(timeouts.exchangeMs);
    if (!sendAll(s.get(), request, timeouts.receiveMs, deadline, exchange.failure)) return exchange;
    char buffer[8192];
    while (true) {
        int error = 0;
        const Ready ready = waitFor(s.get(), false, deadline.wait(timeouts.receiveMs), error);
        if (ready == Ready::TimedOut) {
            exchange.failure = deadline.passed()
                                   ? "the exchange took longer than " + seconds(deadline.total())
                                   : "no reply within " + seconds(timeouts.receiveMs);
            return exchange;
        }
        if (ready == Ready::Failed) {
            exchange.failure = "the reply was cut off: " + describeError(error);
            return exchange;
        }
        const int got = recv(s.get(), buffer, sizeof buffer, 0);
        if (got == 0) {
            exchange.peerClosed = true;
            break;
        }
        if (got == SOCKET_ERROR) {
            error = WSAGetLastError();
            if (error == WSAEWOULDBLOCK) continue;
            exchange.failure = "the reply was cut off: " + describeError(error);
            return exchange;
        }
        if (exchange.reply.size() + static_cast<size_t>(got) > maxReply) {
            exchange.failure = "the reply is longer than " + std::to_string(maxReply / 1024) + " KB";
            return exchange;
        }
        exchange.reply.append(buffer, static_cast<size_t>(got));
        if (complete && complete(exchange.reply)) break;
    }
    exchange.replied = true;
    return exchange;
}
