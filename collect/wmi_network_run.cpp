// Run P: the network adapters, with the adapter type id put into words.
#include "wmi_block_data.h"
#include "wmi_runs.h"

#include <iterator>
#include <string>

using wmidata::add;
using wmidata::block;

namespace {

// Index: the AdapterTypeID. An id outside the table leaves the type empty.
const char* const kAdapterTypes[] = {"Ethernet 802.3",
                                     "Token Ring 802.5",
                                     "Fiber Distributed Data Interface (FDDI)",
                                     "Wide Area Network (WAN)",
                                     "LocalTalk",
                                     "Ethernet using DIX header format",
                                     "ARCNET",
                                     "ARCNET (878.2)",
                                     "ATM",
                                     "Wireless",
                                     "Infrared Wireless",
                                     "Bpc",
                                     "CoWan",
                                     "1394"};

ScriptLines adapterTypeLines() {
    // Emptied first: an id outside the table (often none at all) would
    // otherwise show the type of the adapter before.
    ScriptLines lines = {"    strAdapterType = \"\"", "    Select Case objItem.AdapterTypeID"};
    for (size_t id = 0; id < std::size(kAdapterTypes); ++id) {
        lines.push_back("        Case " + std::to_string(id));
        lines.push_back("            strAdapterType = \"" + std::string(kAdapterTypes[id]) + "\"");
    }
    lines.push_back("    End Select");
    lines.push_back("    Wscript.Echo \"Adapter Type Id: \" & strAdapterType");
    return lines;
}

} // namespace

ScriptLines networkAdaptersRunLines() {
    const WmiBlock adapters =
        block("Network Adapter Properties:", "Win32_NetworkAdapter",
              {"AutoSense", "Description", "Device ID", "Index", "MAC Address", "Manufacturer",
               "Maximum Number Controlled -> MaxNumberControlled", "Maximum Speed -> MaxSpeed", "Name",
               "Net Connection ID", "Net Connection Status", "each NetworkAddresses as NetworkAddress",
               "Permanent Address", "PNP Device ID", "Product Name", "Service Name", "Speed"});
    ScriptLines lines = headerLines(adapters);
    add(lines, queryLines(adapters));
    add(lines, itemLines(adapters, labels({"[blank]", "Adapter Type"})));
    add(lines, adapterTypeLines());
    add(lines, itemLines(adapters, adapters.items));
    lines.push_back("Next");
    return lines;
}
