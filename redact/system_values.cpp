#include "system_values.h"

#include "collect/hardware_section.h"
#include "collect/identity_section.h"
#include "collect/network_section.h"
#include "collect/os_section.h"
#include "ie/ie_report.h"
#include "inventory/inventory_collect.h"
#include "inventory/wmi_inventory.h"

#include <windows.h>

namespace {

// CSIDL_PROFILE: the user's own profile folder.
constexpr int kProfileFolder = 40;
// COMPUTER_NAME_FORMAT values of the host names (NetBIOS, DNS host, and
// their physical counterparts) and of the DNS domains.
constexpr int kHostNameFormats[] = {0, 1, 4, 5};
constexpr int kDomainFormats[] = {2, 6};

void add(std::vector<std::string>& list, const std::string& value) {
    if (!value.empty()) list.push_back(value);
}

std::string environment(const char* name) {
    char value[1024] = {};
    const DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
    return length > 0 && length < sizeof value ? std::string(value, length) : std::string();
}

} // namespace

IdentifyingValues systemIdentifyingValues(TaskContext& context) {
    IdentifyingValues v;
    add(v.computerNames, identity::computerName());
    for (const int format : kHostNameFormats)
        add(v.computerNames, identity::computerNameEx(format).value_or(""));

    const WmiInventory wmi = queryWmiInventory(context);
    add(v.domains, wmi.domain);
    // The logon domain: the domain's NetBIOS name, for DOMAIN\user.
    add(v.domains, environment("USERDOMAIN"));
    for (const int format : kDomainFormats)
        add(v.domains, identity::computerNameEx(format).value_or(""));

    add(v.userNames, identity::userName());
    for (const Account& account : identity::localAccounts()) {
        add(v.userNames, account.name);
        add(v.fullNames, account.fullName);
    }
    for (const IeProfile& profile : collectIeProfiles(context, IeSources()))
        add(v.userNames, profile.userName);
    if (const auto profile = identity::systemFolderLookup()(kProfileFolder)) {
        const size_t cut = profile->find_last_of('\\');
        if (cut != std::string::npos && cut > 0) v.profileFolders.push_back(profile->substr(0, cut));
    }

    add(v.owners, windowsRegistration("RegisteredOwner"));
    add(v.companies, windowsRegistration("RegisteredOrganization"));
    add(v.productIds, windowsProductId().value_or(""));
    add(v.productIds, windowsRegistration("ProductId"));

    for (const AdapterFacts& adapter : systemAdapters()) {
        v.hardwareAddresses.push_back({adapter.address, adapterAddressNumber(adapter.address)});
        for (const std::string* address : {&adapter.ipAddress, &adapter.gateway, &adapter.dhcpServer,
                                           &adapter.primaryWins, &adapter.secondaryWins})
            add(v.ipAddresses, *address);
        for (const auto& more : adapter.moreAddresses)
            add(v.ipAddresses, more.first);
    }
    for (const std::string& server : systemDnsServers())
        add(v.ipAddresses, server);

    for (const std::string& root : logicalDriveRoots()) {
        const DriveFacts drive = driveFacts(root);
        if (drive.hasVolume) v.volumeSerials.push_back(drive.serial);
    }
    add(v.serials, wmi.bios.systemSerial);
    add(v.serials, wmi.bios.boardSerial);
    for (const MemorySlot& slot : wmi.memory)
        add(v.serials, slot.serial);
    return v;
}
