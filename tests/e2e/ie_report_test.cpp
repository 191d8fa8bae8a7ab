// "Internet Explorer" on profiles planted in the test's Wine prefix: their
// history and cookies are listed, the typed URLs and trusted sites dumped,
// no work file stays behind, and cache folder names that would be commands
// in an unquoted batch line run nothing.
#include "automation.h"
#include "resources/resource.h"
#include "support/index_builder.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using automation::App;
using automation::waitUntil;

const char* const kProfileList = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";
const char* const kShellFolders =
    "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
const char* const kTypedUrls = "Software\\Microsoft\\Internet Explorer\\TypedURLs";
const char* const kDomains =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\ZoneMap\\Domains";

bool setString(HKEY root, const std::string& path, const char* name, const std::string& value) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    const bool set = RegSetValueExA(key, name, 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                    static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
    RegCloseKey(key);
    return set;
}

bool keyExists(HKEY root, const std::string& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

// Keys the test adds to the prefix, removed with everything below them at
// the end; each is added only where nothing of that name existed before.
class PlantedKeys {
  public:
    ~PlantedKeys() {
        for (auto it = keys_.rbegin(); it != keys_.rend(); ++it)
            RegDeleteTreeA(it->first, it->second.c_str()), RegDeleteKeyA(it->first, it->second.c_str());
    }
    bool plant(HKEY root, const std::string& path) {
        if (keyExists(root, path)) return false;
        HKEY key = nullptr;
        if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
            ERROR_SUCCESS)
            return false;
        RegCloseKey(key);
        keys_.emplace_back(root, path);
        return true;
    }

  private:
    std::vector<std::pair<HKEY, std::string>> keys_;
};

std::string withoutCarriageReturns(std::string text) {
    std::string out;
    for (char c : text)
        if (c != '\r') out += c;
    return out;
}

struct IeCommand : ::testing::Test {
    TempDir work;
    TempDir plant;
    PlantedKeys keys;
    const std::string suffix = std::to_string(GetCurrentProcessId());

    // A profile whose cache (an index listing `url`) and cookie folder lie
    // in `cacheName` and `cookiesName` below the test's directory.
    void plantProfile(const std::string& sid, const std::string& user, const std::string& cacheName,
                      const std::string& url, const char* version = "5.2") {
        ASSERT_TRUE(keys.plant(HKEY_LOCAL_MACHINE, std::string(kProfileList) + "\\" + sid));
        ASSERT_TRUE(setString(HKEY_LOCAL_MACHINE, std::string(kProfileList) + "\\" + sid, "ProfileImagePath",
                              "C:\\users\\" + user));
        ASSERT_TRUE(keys.plant(HKEY_USERS, sid));
        const std::string cache = plant.file(cacheName);
        const std::string cookies = plant.file(user + "-cookies");
        ASSERT_TRUE(CreateDirectoryA(cache.c_str(), nullptr)) << cache;
        ASSERT_TRUE(CreateDirectoryA((cache + "\\Content.IE5").c_str(), nullptr));
        ASSERT_TRUE(CreateDirectoryA(cookies.c_str(), nullptr));
        IndexFileBuilder index(version);
        const uint32_t table = index.addTable();
        index.addListed(table, 0, "URL ", url);
        writeFileBytes(cache + "\\Content.IE5\\index.dat", index.build());
        writeFileBytes(cookies + "\\" + user + "@site[1].txt",
                       "id\n" + user + "-42\n" + user + ".e2e.test/\n1536\n0\n0\n0\n0\n*\n");
        ASSERT_TRUE(setString(HKEY_USERS, sid + kShellFolders, "Cache", cache));
        ASSERT_TRUE(setString(HKEY_USERS, sid + kShellFolders, "Cookies", cookies));
    }

    void pressIe(App& app) {
        EXPECT_TRUE(app.started());
        EXPECT_NE(app.waitForWindow(), nullptr);
        EXPECT_TRUE(
            waitUntil([&] { return app.text(IDC_REPORT_VIEW).rfind("Korvexer.exe", 0) == 0; }, 10000));
        app.press(IDC_IE);
    }
    std::string runReport(App& app) {
        pressIe(app);
        return reportShown(app);
    }
    // The view once the report is in it (with the trailer) and the status line is blank again.
    std::string reportShown(App& app) {
        EXPECT_TRUE(waitUntil(
            [&] {
                const std::string view = app.text(IDC_REPORT_VIEW);
                return view.find("Korvexer.exe -> ") != std::string::npos &&
                       view.rfind("Getting IE information", 0) != 0 && app.text(IDC_STATUS_LINE) == " ";
            },
            120000))
            << app.text(IDC_REPORT_VIEW).substr(0, 500);
        return withoutCarriageReturns(app.text(IDC_REPORT_VIEW));
    }
};

TEST_F(IeCommand, PlantedProfilesTypedUrlsAndTrustedSitesAreListedAndNoWorkFileStays) {
    const std::string alice = "S-1-5-21-1111-2222-3333-" + suffix + "1";
    plantProfile(alice, "kvalice" + suffix, "alice-cache", "http://alice.e2e.test/visited");
    // A user whose folder name is not plain ASCII (the batch is read in the OEM code page).
    const std::string juergen = "kvj\xfcrgen" + suffix;
    plantProfile("S-1-5-21-1111-2222-3333-" + suffix + "7", juergen, "j\xfcrgen-cache",
                 "http://juergen.e2e.test/");
    // Typed URLs and trusted sites of the current user: a value and a zone of the test's own.
    const bool typedKeyPlanted = keys.plant(HKEY_CURRENT_USER, kTypedUrls);
    const std::string typedName = "korvexer_e2e_" + suffix;
    ASSERT_TRUE(setString(HKEY_CURRENT_USER, kTypedUrls, typedName.c_str(), "http://typed.e2e.test/"));
    const std::string domain = std::string(kDomains) + "\\korvexer-" + suffix + ".e2e.test";
    ASSERT_TRUE(keys.plant(HKEY_CURRENT_USER, domain));
    ASSERT_TRUE(setString(HKEY_CURRENT_USER, domain, "http", "2"));

    std::string report;
    {
        App app(work.path());
        report = runReport(app);
    }
    if (!typedKeyPlanted) {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, kTypedUrls, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
            RegDeleteValueA(key, typedName.c_str());
            RegCloseKey(key);
        }
    }

    const std::string user = "kvalice" + suffix;
    const size_t history = report.find("\nInternet Explorer History for user: " + user +
                                       "\n    http://alice.e2e.test/visited\n");
    const size_t cookies = report.find("  Cookie File: " + user + "@site[1].txt\n   Site: " + user +
                                       ".e2e.test/\n   Variable: id\n   Value: " + user + "-42\n");
    const std::string rule(75, '=');
    const size_t typed = report.find(rule + "\nIE history - typed URLs for current user:");
    const size_t typedValue = report.find("\t " + typedName + " http://typed.e2e.test/");
    const size_t trusted = report.find(rule + "\nIE Trusted Sites for current user:");
    const size_t zone = report.find("korvexer-" + suffix + ".e2e.test \n\t http ");
    EXPECT_NE(history, std::string::npos) << report;
    EXPECT_NE(cookies, std::string::npos) << report;
    EXPECT_NE(typed, std::string::npos) << report;
    EXPECT_NE(typedValue, std::string::npos) << report;
    EXPECT_NE(trusted, std::string::npos) << report;
    EXPECT_NE(zone, std::string::npos) << report;
    EXPECT_LT(history, cookies);
    EXPECT_LT(cookies, typed);
    EXPECT_LT(typed, typedValue);
    EXPECT_LT(typedValue, trusted);
    EXPECT_LT(trusted, zone);
    EXPECT_NE(report.find("Korvexer.exe -> "), std::string::npos) << "the report ends with the trailer";
    EXPECT_NE(
        report.find("\nInternet Explorer History for user: " + juergen + "\n    http://juergen.e2e.test/\n"),
        std::string::npos)
        << report;
    EXPECT_EQ(automation::countWorkFiles(work.path()), 0) << "the report work file and the runner's files go";
}

TEST_F(IeCommand, CacheFolderNamesThatWouldBeCommandsRunNothing) {
    // Unquoted, the "cd" line, or the %CD% that brings the folder back, would
    // run what follows an "&"; and %KORVEXER_E2E_INJECT% in a name would
    // bring in a quote and a command of its own.
    const std::string marker = plant.file("pwned");
    const std::string inject = "\"&mkdir \"" + marker + "-by-variable\"&rem \"";
    SetEnvironmentVariableA("KORVEXER_E2E_INJECT", inject.c_str());
    const std::string ampersand = "odd&mkdir pwned-by-ampersand&rem (x) ^";
    const std::string bob = "S-1-5-21-1111-2222-3333-" + suffix + "2";
    plantProfile(bob, "kvbob" + suffix, ampersand, "http://bob.e2e.test/");
    const std::string dave = "S-1-5-21-1111-2222-3333-" + suffix + "4";
    plantProfile(dave, "kvdave" + suffix, "pct%KORVEXER_E2E_INJECT%", "http://dave.e2e.test/");
    // A quote cannot be part of a folder name, but a registry value may hold one.
    const std::string carol = "S-1-5-21-1111-2222-3333-" + suffix + "3";
    ASSERT_TRUE(keys.plant(HKEY_LOCAL_MACHINE, std::string(kProfileList) + "\\" + carol));
    ASSERT_TRUE(keys.plant(HKEY_USERS, carol));
    ASSERT_TRUE(setString(HKEY_USERS, carol + kShellFolders, "Cache",
                          plant.path() + "q\"&mkdir \"" + marker + "-by-quote\"&rem \""));

    std::string report;
    std::string cwd(MAX_PATH, '\0');
    cwd.resize(GetCurrentDirectoryA(MAX_PATH, cwd.data()));
    {
        App app(work.path());
        report = runReport(app);
    }
    SetEnvironmentVariableA("KORVEXER_E2E_INJECT", nullptr);

    // The folder with "&" in its name is entered as it is named: its history is listed.
    EXPECT_NE(
        report.find("\nInternet Explorer History for user: kvbob" + suffix + "\n    http://bob.e2e.test/\n"),
        std::string::npos)
        << report;
    EXPECT_NE(report.find("  Cookie File: kvbob" + suffix + "@site[1].txt\n"), std::string::npos);
    // One with a percent sign is not looked into.
    EXPECT_EQ(report.find("kvdave" + suffix), std::string::npos) << report;
    const std::string bobContent = plant.file(ampersand) + "\\Content.IE5\\";
    for (const std::string& made : {marker + "-by-variable", marker + "-by-quote",
                                    cwd + "\\pwned-by-ampersand", work.file("pwned-by-ampersand"),
                                    plant.file("pwned-by-ampersand"), bobContent + "pwned-by-ampersand"})
        EXPECT_FALSE(fileExists(made)) << made << " was made by a command from a folder name";
    EXPECT_EQ(automation::countWorkFiles(work.path()), 0);
}

TEST_F(IeCommand, NewerFormatQuestionIsAskedInTheWindowAndNoTurnsHistoryOff) {
    const std::string user = "kvnewer" + suffix;
    plantProfile("S-1-5-21-1111-2222-3333-" + suffix + "5", user, "newer-cache", "http://newer.e2e.test/",
                 "5.3");

    std::string report;
    {
        App app(work.path());
        pressIe(app);
        const App::ShownMessage box = app.waitForMessageBox(60000);
        ASSERT_NE(box.box, nullptr) << app.text(IDC_REPORT_VIEW).substr(0, 500);
        EXPECT_EQ(box.title, "Korvexer");
        EXPECT_NE(box.text.find("(for current user \"" + user + "\")"), std::string::npos) << box.text;
        PostMessageA(box.box, WM_COMMAND, MAKEWPARAM(IDNO, BN_CLICKED), 0);
        report = reportShown(app);
    }

    EXPECT_NE(report.find("\n\nNB: IE history and user cookies in disable mode for all users!!\n\n"),
              std::string::npos)
        << report;
    EXPECT_EQ(report.find("http://newer.e2e.test/"), std::string::npos) << report;
    EXPECT_EQ(report.find("Cookie File: " + user), std::string::npos) << report;
    EXPECT_EQ(automation::countWorkFiles(work.path()), 0);
}

TEST_F(IeCommand, ClearWhileAHistoryIsListedHaltsItAndLeavesNoFile) {
    const std::string user = "kvlong" + suffix;
    plantProfile("S-1-5-21-1111-2222-3333-" + suffix + "6", user, "long-cache", "http://long.e2e.test/");
    // A history long enough to be stopped on its way: a million entries of
    // one record.
    const uint32_t entries = 1000000;
    IndexFileBuilder index;
    const uint32_t table = index.addTable((16 + 8 * entries + 127) / 128);
    const uint32_t record = index.addRecord("URL ", "http://long.e2e.test/");
    for (uint32_t i = 0; i < entries; ++i)
        index.setEntry(table, i, 0x1000, record);
    writeFileBytes(plant.file("long-cache") + "\\Content.IE5\\index.dat", index.build());

    App app(work.path());
    pressIe(app);
    ASSERT_TRUE(waitUntil([&] { return !automation::reportWorkFile(work.path()).empty(); }, 60000));
    Sleep(300);
    ASSERT_EQ(app.text(IDC_REPORT_VIEW).rfind("Getting IE information", 0), 0u)
        << "the listing ended too soon";
    app.press(IDC_CLEAR);
    EXPECT_EQ(app.text(IDC_REPORT_VIEW), "\r\n\r\n ");
    EXPECT_TRUE(waitUntil([&] { return automation::countWorkFiles(work.path()) == 0; }, 15000))
        << automation::countWorkFiles(work.path());
    Sleep(1500);
    EXPECT_EQ(app.text(IDC_REPORT_VIEW), "\r\n\r\n ") << "a halted report is never shown";
    EXPECT_EQ(automation::countWorkFiles(work.path()), 0);
    // The halt is not left over: the next task runs to its end.
    const bool accepted = waitUntil(
        [&] {
            app.press(IDC_HKCC);
            return app.text(IDC_REPORT_VIEW).rfind("Getting HKEY_CURRENT_CONFIG", 0) == 0;
        },
        20000);
    EXPECT_TRUE(accepted);
    EXPECT_TRUE(accepted && automation::waitForHiveResult(app, "HKEY_CURRENT_CONFIG"));
}

} // namespace
