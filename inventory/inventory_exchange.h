// The conversation with an OCS Inventory NG communication server: a PROLOG
// (skipped where the server does not know our agent), then the INVENTORY,
// each a zlib-compressed XML body in an HTTP/1.0 POST, each reply read as
// HTTP and then as the server's XML.
#pragma once

#include "http_client.h"
#include "http_message.h"
#include "inventory_document.h"
#include "resources/version.h"

#include <functional>
#include <string>
#include <string_view>

// The User-Agent the server's admin lists to let our PROLOG in.
inline constexpr const char* kInventoryUserAgent = "Korvexer/" KORVEXER_VERSION_TEXT;

// Sends one request to the target and returns what came back.
using InventoryTransport = std::function<TcpExchange(const HttpTarget& target, std::string_view request,
                                                     const ReplyComplete& complete)>;

// The transport of the real program: Winsock, 30 s limits.
InventoryTransport networkTransport();

struct InventoryDelivery {
    enum class Outcome { Stored, Declined, Failed };
    Outcome outcome = Outcome::Failed;
    std::string message; // Failed: one line saying why; Declined: what the server said
};

// `prolog` and `inventory` are the XML documents (UTF-8, declaration first).
InventoryDelivery deliverInventory(const HttpTarget& target, const std::string& prolog,
                                   const std::string& inventory, const InventoryTransport& transport);
