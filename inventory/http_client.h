// One request and its reply over a TCP connection, with Winsock 1.1 (the
// only sockets every Windows from 95 on has). Every wait is bounded, so that
// a logon script never hangs on a server that is down, slow or silent.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

struct NetworkTimeouts {
    DWORD lookupMs = 30000;
    DWORD connectMs = 30000;
    DWORD receiveMs = 30000; // for each wait to send more or to receive more
    // For sending and receiving together: a server that trickles its reply
    // in time for every single wait still ends here.
    DWORD exchangeMs = 60000;
};

struct TcpExchange {
    bool replied = false;    // false: `failure` says why no reply came
    bool connected = false;  // the server took the connection
    bool peerClosed = false; // the reply ended with the connection
    std::string failure;     // one line, without the host's name
    std::string reply;       // what came back, as far as it came
};

// Decides from what has come so far whether the reply is whole.
using ReplyComplete = std::function<bool(std::string_view received)>;

// Connects to host:port (a dotted address or a name to look up), sends
// `request` whole and reads until `complete` says so, the server closes the
// connection, or `maxReply` bytes would be passed.
TcpExchange exchangeOverTcp(const std::string& host, uint16_t port, std::string_view request,
                            const ReplyComplete& complete, size_t maxReply,
                            const NetworkTimeouts& timeouts = NetworkTimeouts());
