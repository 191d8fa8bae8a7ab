#include "task_commands.h"

#include "resources/resource.h"

#include <cctype>

namespace {

constexpr TaskCommand kTaskCommands[] = {
    {IDC_COMMON_ENV, "common", nullptr, "Working .. please Wait", -1, TaskStart::Collect, 0},
    {IDC_POLICIES, "policies", "Getting policies ...........\r\n", "Working .. please Wait", 1,
     TaskStart::Policies, 0},
    {IDC_SERVICES, "services", "Getting Services ...........\r\n", "Working .. please Wait ", 0,
     TaskStart::Services, 0},
    {IDC_APP_PATHS, "apppaths", "Getting App Paths ...........\r\n", "Working .. please Wait", 1,
     TaskStart::AppPaths, 0},
    {IDC_IE, "ie", "Getting IE information ...........\r\n", "Working .. please Wait ", 0,
     TaskStart::InternetExplorer, 0},
    {IDC_HKCR, "hkcr", "Getting HKEY_CLASSES_ROOT Registry:\r\n", "Working .. please Wait", 0,
     TaskStart::Hive, 0},
    {IDC_HKCU, "hkcu", "Getting HKEY_CURRENT_USER Registry:\r\n", "Working .. please Wait", 0,
     TaskStart::Hive, 1},
    {IDC_HKLM, "hklm", "Getting HKEY_LOCAL_MACHINE Registry:\r\n", "Working .. please Wait", 0,
     TaskStart::Hive, 2},
    {IDC_HKU, "hku", "Getting HKEY_USERS Registry: \r\n", "Working .. please Wait", 0, TaskStart::Hive, 3},
    {IDC_HKCC, "hkcc", "Getting HKEY_CURRENT_CONFIG Registry: \r\n", "Working .. please Wait", 0,
     TaskStart::Hive, 4},
};

const HiveEntry kHives[5] = {{HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT"},
                             {HKEY_CURRENT_USER, "HKEY_CURRENT_USER"},
                             {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE"},
                             {HKEY_USERS, "HKEY_USERS"},
                             {HKEY_CURRENT_CONFIG, "HKEY_CURRENT_CONFIG"}};

} // namespace

bool sameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

const TaskCommand* findTaskCommand(int id) {
    for (const auto& c : kTaskCommands)
        if (c.id == id) return &c;
    return nullptr;
}

const TaskCommand* findTaskCommandByKind(std::string_view kind) {
    for (const auto& c : kTaskCommands)
        if (sameIgnoringCase(c.kind, kind)) return &c;
    return nullptr;
}

std::string taskKindList() {
    std::string out;
    for (const auto& c : kTaskCommands) {
        if (!out.empty()) out += ", ";
        out += c.kind;
    }
    return out;
}

const HiveEntry& hiveEntry(int index) {
    return kHives[index >= 0 && index < 5 ? index : 0];
}
