// The network among the closing sections: one block per adapter from the IP
// helper, the hosts file and the console network tools.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class TaskContext;
struct FolderCommands;

// What the report shows of one adapter.
struct AdapterFacts {
    std::string name;
    std::string description;
    std::vector<uint8_t> address; // the hardware address bytes
    std::string ipAddress;        // the first address of the adapter and its mask
    std::string ipMask;
    std::string gateway;
    bool dhcpEnabled = false;
    std::string dhcpServer;
    long leaseObtained = 0;
    bool haveWins = false;
    std::string primaryWins;
    std::string secondaryWins;
    // Addresses after the first, with their masks.
    std::vector<std::pair<std::string, std::string>> moreAddresses;
    unsigned long type = 0; // MIB_IF_TYPE_*
    // Whether the interface is up; none where the system cannot tell.
    std::optional<bool> operational;
};

// The "Adapter Addr" number: the last four bytes of the hardware address
// (fewer when it is shorter), most significant first, as a signed 32-bit number.
long adapterAddressNumber(const std::vector<uint8_t>& address);
// The block of one adapter, without its numbered first line.
std::string adapterBlock(const AdapterFacts& adapter);

// Row 43: the header and one numbered block per adapter; false on a halt.
bool writeAdapterSection(TaskContext& context, const std::vector<AdapterFacts>& adapters);
// The adapters as the IP helper lists them; none where iphlpapi.dll or its
// call is missing, or before Windows 98 and 2000.
std::vector<AdapterFacts> systemAdapters();

// The DNS servers the IP helper names, in their order; none where it cannot
// (the same systems as above).
std::vector<std::string> systemDnsServers();

// Row 45: only when the hosts command names a file; false on a halt.
bool writeHostsSection(TaskContext& context, const FolderCommands& commands);
// Row 46: the console tools, in report order; false on a halt.
bool writeNetworkToolsSection(TaskContext& context);
// The commands of row 46 in the order they run.
extern const char* const kNetworkTools[9];
