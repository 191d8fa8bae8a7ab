#include "network_section.h"

#include "identity_section.h"
#include "report/task_context.h"
#include "runner/command_runner.h"
#include "sysinfo/dynamic_library.h"

#include <iphlpapi.h>
#include <windows.h>

#include <cstring>
#include <utility>

const char* const kNetworkTools[9] = {"ipconfig /all", "netstat -r", "netstat", "netstat -n", "netstat -e -s",
                                      "nbtstat -s",    "nbtstat -n", "net use", "net share"};

namespace {

const char* const kSep = "===========================================================================";

// Where a line feed follows the tool's output in the report.
bool lineFeedAfter(const char* tool) {
    const std::string name = tool;
    return name == "ipconfig /all" || name == "netstat -r" || name == "nbtstat -n";
}

} // namespace

long adapterAddressNumber(const std::vector<uint8_t>& address) {
    const size_t first = address.size() > 4 ? address.size() - 4 : 0;
    uint32_t number = 0;
    for (size_t i = first; i < address.size(); ++i)
        number = (number << 8) | address[i];
    return static_cast<long>(static_cast<int32_t>(number));
}

std::string adapterBlock(const AdapterFacts& a) {
    std::string block;
    block += "\tAdapter Name: \t" + a.name + "\n";
    block += "\tAdapter Desc: \t" + a.description + "\n";
    block += "\tAdapter Addr: \t" + std::to_string(adapterAddressNumber(a.address)) + "\n";
    block += "\tIP Address: \t" + a.ipAddress + "\n";
    block += "\tIP Mask: \t" + a.ipMask + "\n";
    block += "\tGateway: \t" + a.gateway + "\n";
    if (a.dhcpEnabled) {
        block += "\tDHCP Enabled: Yes\n";
        block += "\t\tDHCP Server: \t" + a.dhcpServer + "\n";
        block += "\tLease Obtained: " + std::to_string(a.leaseObtained) + "\n";
    } else {
        block += "\tDHCP Enabled: No\n";
    }
    if (a.haveWins) {
        block += "\tHave Wins: Yes\n";
        block += "\t\tPrimary Wins Server: \t" + a.primaryWins + "\n";
        block += "\t\tSecondary Wins Server: \t" + a.secondaryWins + "\n";
    } else {
        block += "\tHave Wins: No\n";
    }
    return block;
}

bool writeAdapterSection(TaskContext& context, const std::vector<AdapterFacts>& adapters) {
    reportPrintf(context, "\n%s\nNetwork:\n\n", kSep);
    if (!context.step()) return false;
    for (size_t i = 0; i < adapters.size(); ++i) {
        reportPrintf(context, "%d. Network Adapters Info:\n %s", static_cast<int>(i + 1),
                     adapterBlock(adapters[i]).c_str());
        if (!context.step()) return false;
    }
    return true;
}

namespace {

std::string text(const char* field, size_t size) {
    size_t length = 0;
    while (length < size && field[length] != '\0')
        ++length;
    return std::string(field, length);
}

std::string address(const IP_ADDR_STRING& entry) {
    return text(entry.IpAddress.String, sizeof entry.IpAddress.String);
}

// Adapter information exists from Windows 98 and 2000 on.
bool adapterInformationKnown() {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExA(&version)) return false;
    const bool nt = (GetVersion() & 0x80000000u) == 0;
    return nt ? version.dwMajorVersion > 4 : version.dwMinorVersion > 9;
}

// The IP helper where it tells adapters apart (see adapterInformationKnown).
bool loadIpHelper(DynamicLibrary& library) {
    return library.load("iphlpapi.dll") && adapterInformationKnown();
}

// The IP helper's list calls say how much room they need; the list may grow
// between the two calls: a few more tries, then none. Empty on failure.
template <typename Record> std::vector<unsigned char> listBuffer(DWORD(WINAPI* call)(Record*, PULONG)) {
    std::vector<unsigned char> buffer;
    ULONG size = 0;
    DWORD result = call(nullptr, &size);
    for (int attempt = 0; attempt < 4 && result == ERROR_BUFFER_OVERFLOW && size > 0; ++attempt) {
        buffer.assign(size + 1, 0);
        result = call(reinterpret_cast<Record*>(buffer.data()), &size);
    }
    if (result != ERROR_SUCCESS) buffer.clear();
    return buffer;
}

// A corrupt chain of addresses must not hold the report either.
constexpr int kMostAddresses = 256;

// Whether the interface `index` is up, where the helper tells (Windows 98
// and NT 4.0 SP4 on).
std::optional<bool> interfaceUp(const DynamicLibrary& library, DWORD index) {
    using GetIfEntryCall = DWORD(WINAPI*)(PMIB_IFROW);
    const auto getIfEntry = library.find<GetIfEntryCall>("GetIfEntry");
    if (getIfEntry == nullptr) return std::nullopt;
    MIB_IFROW row{};
    row.dwIndex = index;
    if (getIfEntry(&row) != NO_ERROR) return std::nullopt;
    // Older systems say "operational", newer ones "connected" for a working link.
    return row.dwOperStatus == MIB_IF_OPER_STATUS_OPERATIONAL ||
           row.dwOperStatus == MIB_IF_OPER_STATUS_CONNECTED;
}

} // namespace

std::vector<AdapterFacts> systemAdapters() {
    std::vector<AdapterFacts> adapters;
    using GetAdapters = DWORD(WINAPI*)(PIP_ADAPTER_INFO, PULONG);
    DynamicLibrary library;
    if (!loadIpHelper(library)) return adapters;
    const auto getAdapters = library.find<GetAdapters>("GetAdaptersInfo");
    if (getAdapters == nullptr) return adapters;
    const std::vector<unsigned char> buffer = listBuffer(getAdapters);
    if (buffer.empty()) return adapters;
    // A corrupt chain must not hold the report: at most as many records as fit the buffer.
    const size_t most = buffer.size() / sizeof(IP_ADAPTER_INFO) + 1;
    for (const IP_ADAPTER_INFO* info = reinterpret_cast<const IP_ADAPTER_INFO*>(buffer.data());
         info != nullptr && adapters.size() < most; info = info->Next) {
        AdapterFacts a;
        a.name = text(info->AdapterName, sizeof info->AdapterName);
        a.description = text(info->Description, sizeof info->Description);
        const size_t length =
            info->AddressLength < sizeof info->Address ? info->AddressLength : sizeof info->Address;
        a.address.assign(info->Address, info->Address + length);
        a.ipAddress = address(info->IpAddressList);
        a.ipMask = text(info->IpAddressList.IpMask.String, sizeof info->IpAddressList.IpMask.String);
        a.gateway = address(info->GatewayList);
        a.dhcpEnabled = info->DhcpEnabled != 0;
        a.dhcpServer = address(info->DhcpServer);
        // Systems differ in the width of this time (32 bits, or 64 where
        // the header says so); its low 32 bits stand first either way.
        int32_t lease = 0;
        std::memcpy(&lease, &info->LeaseObtained, sizeof lease);
        a.leaseObtained = lease;
        a.haveWins = info->HaveWins != 0;
        a.primaryWins = address(info->PrimaryWinsServer);
        a.secondaryWins = address(info->SecondaryWinsServer);
        int more = 0;
        for (const IP_ADDR_STRING* entry = info->IpAddressList.Next;
             entry != nullptr && more < kMostAddresses; entry = entry->Next, ++more)
            a.moreAddresses.emplace_back(address(*entry),
                                         text(entry->IpMask.String, sizeof entry->IpMask.String));
        a.type = info->Type;
        a.operational = interfaceUp(library, info->Index);
        adapters.push_back(std::move(a));
    }
    return adapters;
}

std::vector<std::string> systemDnsServers() {
    std::vector<std::string> servers;
    using GetParams = DWORD(WINAPI*)(PFIXED_INFO, PULONG);
    DynamicLibrary library;
    if (!loadIpHelper(library)) return servers;
    const auto getParams = library.find<GetParams>("GetNetworkParams");
    if (getParams == nullptr) return servers;
    const std::vector<unsigned char> buffer = listBuffer(getParams);
    if (buffer.empty()) return servers;
    const FIXED_INFO* info = reinterpret_cast<const FIXED_INFO*>(buffer.data());
    int count = 0;
    for (const IP_ADDR_STRING* entry = &info->DnsServerList; entry != nullptr && count < kMostAddresses;
         entry = entry->Next, ++count) {
        std::string server = address(*entry);
        if (!server.empty()) servers.push_back(std::move(server));
    }
    return servers;
}

bool writeHostsSection(TaskContext& context, const FolderCommands& commands) {
    if (commands.hostsCommand.size() <= 28) return true;
    reportPrintf(context, "%s\n", kSep);
    if (!context.step()) return false;
    reportPrintf(context, "\nLocal host file: %s\n\n",
                 (commands.systemFolder + "\\Drivers\\etc\\hosts").c_str());
    context.runner().run(commands.hostsCommand, RunMode::Plain);
    if (!context.step()) return false;
    context.write("\n");
    return true;
}

bool writeNetworkToolsSection(TaskContext& context) {
    reportPrintf(context, "%s\n", kSep);
    if (!context.step()) return false;
    for (const char* tool : kNetworkTools) {
        context.runner().run(tool, RunMode::Plain);
        if (!context.step()) return false;
        if (lineFeedAfter(tool)) context.write("\n");
    }
    return true;
}
