// The Services button end to end: the services key dump, then the service
// script's sections appended to it; every other command refused meanwhile;
// Clear during the script leaves nothing behind.
#include "automation.h"
#include "resources/resource.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using automation::App;
using automation::waitUntil;

const char* const kLead = " Services in CurrentControlSet:\r\n";

int countOf(const std::string& text, const std::string& what) {
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size()))
        ++n;
    return n;
}

// The records of the "Service Properties:" section, each from its "System Name: " line on.
std::vector<std::string> serviceRecords(const std::string& part) {
    std::vector<std::string> out;
    const std::string first = "\r\nSystem Name: ";
    for (size_t at = part.find(first); at != std::string::npos;) {
        const size_t next = part.find(first, at + first.size());
        out.push_back(part.substr(at + 2, (next == std::string::npos ? part.size() : next) - at - 2));
        at = next;
    }
    // The last record runs into the section's end: its empty line and the echo's line end.
    if (!out.empty()) {
        std::string& last = out.back();
        const size_t end = last.find("\r\n\r\n");
        if (end != std::string::npos) last.resize(end + 2);
    }
    return out;
}

std::string valueOf(const std::string& record, const std::string& label) {
    const std::string key = label + ": ";
    size_t at = record.rfind("\r\n" + key);
    at = record.compare(0, key.size(), key) == 0 ? 0 : (at == std::string::npos ? at : at + 2);
    if (at == std::string::npos) return {};
    const size_t begin = at + key.size();
    return record.substr(begin, record.find("\r\n", begin) - begin);
}

// The first service key that has values of its own, as this test sees the registry.
std::string firstServiceWithValues() {
    HKEY services = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services", 0, KEY_READ, &services) !=
        ERROR_SUCCESS)
        return {};
    std::string found;
    char name[256];
    for (DWORD i = 0; found.empty(); ++i) {
        DWORD size = sizeof name;
        if (RegEnumKeyExA(services, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        HKEY key = nullptr;
        if (RegOpenKeyExA(services, name, 0, KEY_READ, &key) != ERROR_SUCCESS) continue;
        DWORD values = 0;
        RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr,
                         nullptr, nullptr);
        RegCloseKey(key);
        if (values > 0) found = name;
    }
    RegCloseKey(services);
    return found;
}

struct Services : ::testing::Test {
    TempDir work;
    App app{work.path()};
    void SetUp() override { ASSERT_TRUE(automation::readyForCommands(app)); }
    bool scriptRunning() { return !automation::descendantProcesses(app.processId()).empty(); }
    // The report is complete: its last section is in and the status line is blank again.
    std::string waitForReport() {
        std::string view;
        waitUntil(
            [&] {
                view = app.text(IDC_REPORT_VIEW);
                return view.find("Running Service Processes:") != std::string::npos &&
                       app.text(IDC_STATUS_LINE) == " " && !scriptRunning();
            },
            120000);
        // Whatever arrived after the header is in once the task has ended.
        Sleep(500);
        return app.text(IDC_REPORT_VIEW);
    }
};

TEST_F(Services, ShowsTheKeyDumpThenTheServiceSections) {
    const std::string service = firstServiceWithValues();
    ASSERT_FALSE(service.empty());
    app.press(IDC_SERVICES);
    EXPECT_EQ(app.text(IDC_REPORT_VIEW).rfind("Getting Services", 0), 0u);

    // While the script runs, every other command is refused.
    ASSERT_TRUE(waitUntil([&] { return scriptRunning(); }, 60000))
        << app.text(IDC_REPORT_VIEW).substr(0, 300);
    int refusedWhileRunning = 0;
    for (int id : {IDC_SERVICES, IDC_COMMON_ENV, IDC_POLICIES, IDC_APP_PATHS, IDC_IE, IDC_HKCR, IDC_HKCU,
                   IDC_HKLM, IDC_HKU, IDC_HKCC}) {
        const bool unchanged = app.pressChangesNothing(id);
        if (!scriptRunning()) break; // the view may have grown on its own
        EXPECT_TRUE(unchanged) << "command " << id;
        ++refusedWhileRunning;
    }
    EXPECT_GT(refusedWhileRunning, 0) << "the script ended before any command was pressed";

    const std::string view = waitForReport();
    ASSERT_EQ(view.rfind(kLead, 0), 0u) << view.substr(0, 300);
    // The registry part: each service key with values, its full path, then its values.
    const std::string keyHeader =
        "\r\r\n\r\r\n   Key: SYSTEM\\CurrentControlSet\\Services\\" + service + " \r\r\n\t ";
    EXPECT_NE(view.find(keyHeader), std::string::npos) << service;
    // Then the script's three sections, in order.
    const size_t properties = view.find("\r\nService Properties:\r\n \r\n");
    const size_t status = view.find("\r\nService Status:\r\n \r\n");
    const size_t processes = view.find("\r\nRunning Service Processes:\r\n \r\n");
    ASSERT_NE(properties, std::string::npos);
    ASSERT_NE(status, std::string::npos);
    ASSERT_NE(processes, std::string::npos);
    EXPECT_LT(properties, status);
    EXPECT_LT(status, processes);
    EXPECT_LT(view.find(keyHeader), properties);

    // Properties: one labelled line per property, one record per service.
    // Wine's Win32_Service knows only some of the properties; a statement on
    // one it lacks is skipped whole, so its line is left out (not left empty).
    const std::string propertiesPart = view.substr(properties, status - properties);
    const std::vector<std::string> records = serviceRecords(propertiesPart);
    ASSERT_GT(records.size(), 0u) << propertiesPart.substr(0, 500);
    const std::vector<std::string> wineLabels = {"System Name",    "Name",         "Service Type",
                                                 "Service State",  "Process ID",   "Can Be Paused",
                                                 "Can Be Stopped", "Display Name", "Start Mode"};
    const std::string statusPart = view.substr(status, processes - status);
    const std::string processesPart = view.substr(processes);
    int running = 0;
    for (const std::string& record : records) {
        std::vector<std::string> labels;
        for (size_t at = 0; at < record.size();) {
            const size_t end = record.find("\r\n", at);
            const std::string line = record.substr(at, end - at);
            if (!line.empty()) labels.push_back(line.substr(0, line.find(": ")));
            if (end == std::string::npos) break;
            at = end + 2;
        }
        EXPECT_EQ(labels, wineLabels) << record;
        const std::string name = valueOf(record, "Display Name");
        const std::string state = valueOf(record, "Service State");
        // Status: the same service's display name, a colon, three blanks and its state.
        EXPECT_NE(statusPart.find("\r\n" + name + ":   " + state + "\r\n \r\n"), std::string::npos) << name;
        // Processes: a running service's process has its group and names it in an "Action: " line.
        if (state != "Running") continue;
        ++running;
        const size_t group =
            processesPart.find("\r\n \r\nProcess ID: " + valueOf(record, "Process ID") + "\r\n");
        ASSERT_NE(group, std::string::npos) << name << processesPart;
        const size_t nextGroup = processesPart.find("\r\n \r\nProcess ID: ", group + 4);
        EXPECT_LT(processesPart.find("\r\nAction: " + name + "\r\n", group), nextGroup) << name;
    }
    EXPECT_GT(running, 0);
    EXPECT_EQ(countOf(statusPart, ":   "), static_cast<int>(records.size())) << statusPart.substr(0, 500);
    // No catalog under Wine: the process groups follow the header directly;
    // the two tabs in front of "Action: " are gone; Wine has no PathName, so
    // no group shows a "Service PathName: " line.
    EXPECT_EQ(processesPart.find("\r\nRunning Service Processes:\r\n \r\n \r\nProcess ID: "), 0u)
        << processesPart;
    EXPECT_EQ(processesPart.find('\t'), std::string::npos);
    EXPECT_EQ(processesPart.find("Catalog "), std::string::npos);
    EXPECT_EQ(processesPart.find("Service PathName: "), std::string::npos);

    EXPECT_TRUE(waitUntil([&] { return automation::countWorkFiles(work.path()) == 0; }, 10000))
        << automation::countWorkFiles(work.path()) << " work files left";
}

TEST_F(Services, ClearWhileTheScriptRunsLeavesAnEmptyViewAndNoProcess) {
    app.press(IDC_SERVICES);
    ASSERT_TRUE(waitUntil([&] { return scriptRunning(); }, 60000))
        << app.text(IDC_REPORT_VIEW).substr(0, 300);
    app.press(IDC_CLEAR);
    EXPECT_EQ(app.text(IDC_REPORT_VIEW), "\r\n\r\n ");
    EXPECT_TRUE(waitUntil([&] { return !scriptRunning(); }, 15000))
        << "the script's processes were not ended:"
        << automation::processNames(automation::descendantProcesses(app.processId()));
    EXPECT_TRUE(waitUntil([&] { return automation::countWorkFiles(work.path()) == 0; }, 15000))
        << automation::countWorkFiles(work.path()) << " work files left";
    Sleep(1500);
    EXPECT_EQ(app.text(IDC_REPORT_VIEW), "\r\n\r\n ") << "nothing of the halted task arrives later";
    // No halt is left over: the next task runs to its end.
    EXPECT_TRUE(waitUntil(
        [&] {
            app.press(IDC_HKCC);
            return app.text(IDC_REPORT_VIEW).rfind("Getting HKEY_CURRENT_CONFIG", 0) == 0;
        },
        20000));
    EXPECT_TRUE(automation::waitForHiveResult(app, "HKEY_CURRENT_CONFIG"));
}

TEST_F(Services, CloseWhileTheScriptRunsEndsTheProgramAndLeavesNothing) {
    const DWORD pid = app.processId();
    app.press(IDC_SERVICES);
    ASSERT_TRUE(waitUntil([&] { return scriptRunning(); }, 60000))
        << app.text(IDC_REPORT_VIEW).substr(0, 300);
    app.postPress(IDC_CLOSE);
    EXPECT_EQ(app.waitForExit(40000), 0u);
    EXPECT_TRUE(waitUntil([&] { return automation::descendantProcesses(pid).empty(); }, 15000));
    EXPECT_EQ(automation::countWorkFiles(work.path()), 0);
}

} // namespace
