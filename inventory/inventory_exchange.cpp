#include "inventory_exchange.h"

#include "zlib_codec.h"

#include <new>

namespace {

// The server's replies are a few hundred bytes; an error page a few KB.
constexpr size_t kMaxReply = 1024 * 1024;

std::string where(const HttpTarget& target) {
    return target.host + ":" + std::to_string(target.port);
}

struct Answer {
    bool ok = false;
    std::string failure;
    HttpResponse response;
};

Answer post(const HttpTarget& target, const std::string& xml, const InventoryTransport& transport) {
    Answer answer;
    const std::string body = zlibCompress(xml);
    // zlib fails only for want of memory; an empty body would earn the server's 500.
    if (body.empty()) throw std::bad_alloc();
    const std::string request = httpPostRequest(target, kInventoryUserAgent, body);
    const ReplyComplete complete = [](std::string_view received) {
        HttpResponse partial;
        return parseHttpResponse(received, false, partial, kMaxReply) == HttpParse::Complete;
    };
    const TcpExchange exchange = transport(target, request, complete);
    if (!exchange.replied) {
        answer.failure = (exchange.connected ? "no whole reply from the inventory server at "
                                             : "cannot reach the inventory server at ") +
                         where(target) + ": " + exchange.failure;
        return answer;
    }
    if (parseHttpResponse(exchange.reply, exchange.peerClosed, answer.response, kMaxReply) !=
        HttpParse::Complete) {
        answer.failure = "the inventory server at " + where(target) + " gave a reply that is not HTTP";
        return answer;
    }
    answer.ok = true;
    return answer;
}

std::string statusFailure(const char* step, const HttpTarget& target, const HttpResponse& response) {
    std::string line = "the inventory server at " + where(target) + " answered the " + step + " with HTTP " +
                       std::to_string(response.status);
    if (!response.reason.empty()) line += " " + replySummary(response.reason);
    const std::string said = replySummary(response.body);
    if (!said.empty()) line += ": " + said;
    return line;
}

// The reply's XML comes compressed as the request was; a server set up to
// answer plainly is understood too.
bool readReply(const HttpResponse& response, OcsReply& reply) {
    std::string xml;
    if (!zlibInflate(response.body, xml, kMaxReply)) xml = response.body;
    return parseOcsReply(xml, reply);
}

} // namespace

InventoryTransport networkTransport() {
    return [](const HttpTarget& target, std::string_view request, const ReplyComplete& complete) {
        return exchangeOverTcp(target.host, target.port, request, complete, kMaxReply);
    };
}

InventoryDelivery deliverInventory(const HttpTarget& target, const std::string& prolog,
                                   const std::string& inventory, const InventoryTransport& transport) {
    InventoryDelivery delivery;
    const Answer first = post(target, prolog, transport);
    if (!first.ok) {
        delivery.message = first.failure;
        return delivery;
    }
    if (first.response.status == 400) {
        // The server checks the agent only here: one that does not list ours
        // still stores the inventory itself.
    } else if (first.response.status != 200) {
        delivery.message = statusFailure("PROLOG", target, first.response);
        return delivery;
    } else {
        OcsReply reply;
        if (!readReply(first.response, reply)) {
            delivery.message =
                "the inventory server at " + where(target) + " gave a PROLOG reply not understood";
            return delivery;
        }
        if (reply.response == "STOP") {
            delivery.outcome = InventoryDelivery::Outcome::Declined;
            delivery.message = "the inventory server at " + where(target) +
                               " asked for no inventory now (it answered STOP); nothing was sent";
            return delivery;
        }
        if (reply.response != "SEND") {
            delivery.message = "the inventory server at " + where(target) + " answered the PROLOG with \"" +
                               replySummary(reply.response) + "\", not understood";
            return delivery;
        }
    }
    const Answer second = post(target, inventory, transport);
    if (!second.ok) {
        delivery.message = second.failure;
        return delivery;
    }
    if (second.response.status != 200) {
        delivery.message = statusFailure("INVENTORY", target, second.response);
        return delivery;
    }
    OcsReply reply;
    if (!readReply(second.response, reply) ||
        (reply.response != "NO_ACCOUNT_UPDATE" && reply.response != "ACCOUNT_UPDATE")) {
        delivery.message =
            "the inventory server at " + where(target) + " gave an INVENTORY reply not understood";
        return delivery;
    }
    delivery.outcome = InventoryDelivery::Outcome::Stored;
    return delivery;
}
