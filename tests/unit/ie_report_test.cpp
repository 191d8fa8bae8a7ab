// The Internet Explorer report: profiles from a private ProfileList, folders
// from private user keys, the batch that finds the cache's Content folder
// answered by a fake runner, real index and cookie files in a temporary
// directory, and the question answered by the test.
#include "ie/ie_paths.h"
#include "ie/ie_report.h"
#include "runner/code_page.h"
#include "support/fake_code_page.h"
#include "support/index_builder.h"
#include "support/temp_dir.h"
#include "support/test_context.h"
#include "support/test_key.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

TEST(IePaths, UserNamesAndFoldersRebuiltForAnotherUser) {
    EXPECT_EQ(profileUserName("%SystemDrive%\\Documents and Settings\\alice"), "alice");
    EXPECT_EQ(profileUserName("alice"), "alice");
    EXPECT_EQ(profileUserName("C:\\Users\\"), "");

    struct Case {
        const char* value;
        const char* userProfile;
        const char* user;
        std::optional<std::string> folder;
    } cases[] = {
        {"%USERPROFILE%\\Local Settings\\Temporary Internet Files", "C:\\Documents and Settings\\bob",
         "alice", "C:\\Documents and Settings\\alice\\Local Settings\\Temporary Internet Files"},
        {"%USERPROFILE%\\Cookies", "C:\\Documents and Settings\\bob", "alice",
         "C:\\Documents and Settings\\alice\\Cookies"},
        {"%USERPROFILE%", "D:\\Profiles\\bob", "carol", "D:\\Profiles\\carol\\"},
        // No parent folder to put the user into: no folder rather than one
        // relative to wherever the process happens to be.
        {"%USERPROFILE%\\Cookies", "", "alice", std::nullopt},
        {"%USERPROFILE%\\Cookies", "bob", "alice", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(otherUsersFolder(c.value, c.userProfile, c.user), c.folder)
            << c.value << " / " << c.userProfile;
}

TEST(IePaths, BatchLinesQuoteTheFolderAndRefuseWhatCannotBeQuoted) {
    // The folder found comes back through %CD%: unquoted, an "&" in it would start a command.
    const std::string tail = "\ncd Content*\nset \"env_olddir=%CD%\"\n";
    struct Case {
        std::string folder;
        std::optional<std::string> batch;
    } cases[] = {
        {"C:\\Documents and Settings\\alice\\Local Settings\\Temporary Internet Files",
         "cd /d \"C:\\Documents and Settings\\alice\\Local Settings\\Temporary Internet Files\"" + tail},
        // Inside quotes "&", "|", "<", ">", "^" and "(" are plain characters.
        {"C:\\a&calc&rem (x) ^|<>", "cd /d \"C:\\a&calc&rem (x) ^|<>\"" + tail},
        // A batch file expands %NAME% even inside quotes.
        {"C:\\x%PATH%y", std::nullopt},
        {"C:\\100%", std::nullopt},
        {"C:\\x\"&calc&\"", std::nullopt},
        {"C:\\x\ncalc", std::nullopt},
        {"C:\\x\rcalc", std::nullopt},
        {"C:\\x\x1a", std::nullopt},
        {"", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(contentFolderBatch(c.folder), c.batch) << c.folder;
}

TEST(IePaths, BatchTextGoesOverInTheOemCodePageOrNotAtAll) {
    EXPECT_EQ(inOemCodePage("cd /d \"C:\\Ren\xe9\"", fakeToOem, fakeToAnsi), "cd /d \"C:\\Ren\x82\"");
    EXPECT_EQ(inOemCodePage("cd /d \"C:\\plain\"", fakeToOem, fakeToAnsi), "cd /d \"C:\\plain\"");
    // "?" would be a wildcard, and another folder: no run rather than the wrong one.
    EXPECT_EQ(inOemCodePage("cd /d \"C:\\1\xa4\"", fakeToOem, fakeToAnsi), std::nullopt);
}

TEST(IePaths, ContentFolderAsNamedOrBelowTheCacheFolder) {
    const std::set<std::string> folders = {"C:\\J\xfcrgen\\Cache", "C:\\J\xfcrgen\\Cache\\Content.IE5"};
    const auto exists = [&](const std::string& path) { return folders.count(path) != 0; };
    struct Case {
        const char* found;
        const char* folder;
    } cases[] = {
        {"C:\\J\xfcrgen\\Cache\\Content.IE5", "C:\\J\xfcrgen\\Cache\\Content.IE5"},
        // Garbled by a code page mix-up: the Content folder below the cache folder.
        {"C:\\J\xb3rgen\\Cache\\Content.IE5", "C:\\J\xfcrgen\\Cache\\Content.IE5"},
        // No Content folder was entered: the name stays as found.
        {"C:\\J\xb3rgen\\Cache", "C:\\J\xb3rgen\\Cache"},
        {"C:\\elsewhere\\Content.Other", "C:\\elsewhere\\Content.Other"},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(foundContentFolder(c.found, "C:\\J\xfcrgen\\Cache", exists), c.folder) << c.found;
}

TEST(IePaths, RunnerValuesGetTheirPercentSignsBack) {
    EXPECT_EQ(undoubledPercents("C:\\100%%\\a%%%%b"), "C:\\100%\\a%%b");
    EXPECT_EQ(undoubledPercents("plain"), "plain");
    EXPECT_EQ(undoubledPercents("end%"), "end%");
}

const char* const kExplorer = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer";
const char* const kShellFolders =
    "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

std::string cookieRecord(const std::string& name, const std::string& value, const std::string& site) {
    return name + "\n" + value + "\n" + site + "\n1536\n0\n0\n0\n0\n*\n";
}

struct IeReport : ::testing::Test {
    std::unique_ptr<TestKey> keyOwner;
    TempDir dir;
    IeSources sources;
    TestContext context;
    // Folders that count as existing besides the real ones.
    std::set<std::string> claimedFolders;
    std::string userProfile = "C:\\Documents and Settings\\bob";

    IeReport() {
        freshKey();
        sources.machine = HKEY_CURRENT_USER;
        sources.users = HKEY_CURRENT_USER;
        sources.currentUser = HKEY_CURRENT_USER;
        sources.userProfile = [this] { return userProfile; };
        sources.folderExists = [this](const std::string& path) {
            if (claimedFolders.count(path) != 0) return true;
            const DWORD a = GetFileAttributesA(path.c_str());
            return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
        };
        sources.localTime = utcCivilTime;
        // The interpreter's answer: the Content.IE5 folder of the folder the batch names.
        context.fakeRunner().answer = [](const FakeRunner::Call& call) {
            FakeRunner::Answer a;
            const size_t open = call.text.find('"');
            const size_t close = call.text.find('"', open + 1);
            if (call.mode == RunMode::EnvValue && open != std::string::npos && close != std::string::npos)
                a.output = call.text.substr(open + 1, close - open - 1) + "\\Content.IE5";
            return a;
        };
    }

    const TestKey& key() const { return *keyOwner; }
    // Every place of the report in a new private key (the old one goes).
    void freshKey() {
        keyOwner.reset();
        keyOwner = std::make_unique<TestKey>();
        sources.profileList = key().path() + "\\ProfileList";
        sources.usersPrefix = key().path() + "\\Users\\";
        sources.typedUrls = key().path() + "\\TypedURLs";
        sources.trustedSites = key().path() + "\\Domains";
    }
    void profile(const std::string& sid, const std::string& imagePath) {
        key().setString("ProfileList\\" + sid, "ProfileImagePath", imagePath, REG_EXPAND_SZ);
    }
    void userValue(const std::string& sid, const char* subkey, const char* name, const std::string& value) {
        key().setString("Users\\" + sid + subkey, name, value, REG_EXPAND_SZ);
    }
    // A profile with a real cache (its index listing `url`, in format `version`) and one cookie file.
    void plantedProfile(const std::string& sid, const std::string& user, const std::string& url,
                        const char* version = "5.2") {
        profile(sid, "C:\\Documents and Settings\\" + user);
        const std::string cache = dir.file(user + "-cache");
        const std::string cookies = dir.file(user + "-cookies");
        CreateDirectoryA(cache.c_str(), nullptr);
        CreateDirectoryA((cache + "\\Content.IE5").c_str(), nullptr);
        CreateDirectoryA(cookies.c_str(), nullptr);
        IndexFileBuilder index(version);
        const uint32_t table = index.addTable();
        index.addListed(table, 0, "URL ", url);
        writeFileBytes(cache + "\\Content.IE5\\index.dat", index.build());
        writeFileBytes(cookies + "\\" + user + "@site[1].txt",
                       cookieRecord("id", user + "-42", user + ".test/"));
        userValue(sid, kShellFolders, "Cache", cache);
        userValue(sid, kShellFolders, "Cookies", cookies);
    }
    bool has(const std::string& text) const { return context.report.find(text) != std::string::npos; }
};

TEST_F(IeReport, ProfilesTheirUserNamesAndFolders) {
    // alice: the user's part of another profile's %USERPROFILE% folder, which exists.
    profile("S-1-5-21-1", "%SystemDrive%\\Documents and Settings\\alice");
    userValue("S-1-5-21-1", kShellFolders, "Cache",
              "%USERPROFILE%\\Local Settings\\Temporary Internet Files");
    userValue("S-1-5-21-1", kShellFolders, "Cookies", "D:\\plain\\cookies");
    claimedFolders.insert("C:\\Documents and Settings\\alice\\Local Settings\\Temporary Internet Files");
    // carol: a one-character logon name does not replace hers; her folder does not exist.
    profile("S-1-5-21-2", "C:\\Documents and Settings\\carol");
    userValue("S-1-5-21-2", kExplorer, "Logon User Name", "x");
    userValue("S-1-5-21-2", kShellFolders, "Cache",
              "%USERPROFILE%\\Local Settings\\Temporary Internet Files");
    userValue("S-1-5-21-2", kShellFolders, "Cookies", "c");
    // dave: his logon name wins; he has no folders of his own, so the default user's count.
    profile("S-1-5-21-3", "C:\\Documents and Settings\\dave");
    userValue("S-1-5-21-3", kExplorer, "Logon User Name", "Dave Smith");
    userValue(".DEFAULT", kShellFolders, "Cache", "%USERPROFILE%\\Local Settings\\Temporary Internet Files");
    userValue(".DEFAULT", kShellFolders, "Cookies", "C:\\not\\per\\user");
    // A profile with nothing readable, and a key below a profile that is no profile.
    RegCloseKey(key().create("ProfileList\\S-1-5-21-4"));
    RegCloseKey(key().create("ProfileList\\S-1-5-21-1\\Nested"));

    const std::vector<IeProfile> profiles = collectIeProfiles(context, sources);

    struct Expected {
        const char* sid;
        const char* user;
        const char* cache;
        const char* cookies;
    } expected[] = {
        {"S-1-5-21-1", "alice", "C:\\Documents and Settings\\alice\\Local Settings\\Temporary Internet Files",
         "D:\\plain\\cookies"},
        {"S-1-5-21-2", "carol", "", ""},
        // The default user's folders are taken without a look at the disk.
        {"S-1-5-21-3", "Dave Smith",
         "C:\\Documents and Settings\\Dave Smith\\Local Settings\\Temporary Internet Files", ""},
        // Nothing of its own at all: the default user's folder with no user in it.
        {"S-1-5-21-4", "", "C:\\Documents and Settings\\\\Local Settings\\Temporary Internet Files", ""},
    };
    ASSERT_EQ(profiles.size(), std::size(expected));
    for (size_t i = 0; i < profiles.size(); ++i) {
        SCOPED_TRACE(expected[i].sid);
        EXPECT_EQ(profiles[i].subkeyName, expected[i].sid);
        EXPECT_EQ(profiles[i].userName, expected[i].user);
        EXPECT_EQ(profiles[i].cacheFolder, expected[i].cache);
        EXPECT_EQ(profiles[i].cookieFolder, expected[i].cookies);
    }
    EXPECT_EQ(context.report, "") << "collecting the profiles writes nothing";
}

TEST_F(IeReport, EachProfilesHistoryAndCookiesInProfileOrder) {
    plantedProfile("S-1-5-21-1", "alice", "http://alice.test/page");
    plantedProfile("S-1-5-21-2", "bob", "http://bob.test/");
    userValue("S-1-5-21-2", kExplorer, "Logon User Name", "Bob B");

    ASSERT_TRUE(writeInternetExplorerReport(context, sources));

    const size_t alice =
        context.report.find("\nInternet Explorer History for user: alice\n    http://alice.test/page\n");
    const size_t aliceCookies =
        context.report.find("   \n  Cookie File: alice@site[1].txt\n   Site: alice.test/\n"
                            "   Variable: id\n   Value: alice-42\n");
    const size_t bob =
        context.report.find("\nInternet Explorer History for user: Bob B\n    http://bob.test/\n");
    const size_t bobCookies = context.report.find("  Cookie File: bob@site[1].txt\n   Site: bob.test/\n");
    ASSERT_NE(alice, std::string::npos) << context.report;
    ASSERT_NE(aliceCookies, std::string::npos) << context.report;
    ASSERT_NE(bob, std::string::npos) << context.report;
    ASSERT_NE(bobCookies, std::string::npos) << context.report;
    EXPECT_LT(alice, aliceCookies);
    EXPECT_LT(aliceCookies, bob);
    EXPECT_LT(bob, bobCookies);

    const std::vector<FakeRunner::Call>& calls = context.fakeRunner().calls;
    ASSERT_EQ(calls.size(), 2u);
    for (size_t i = 0; i < calls.size(); ++i) {
        EXPECT_EQ(calls[i].mode, RunMode::EnvValue);
        EXPECT_FALSE(calls[i].probeOnly);
    }
    EXPECT_EQ(calls[0].text, *contentFolderBatch(dir.file("alice-cache")));
    EXPECT_EQ(calls[1].text, *contentFolderBatch(dir.file("bob-cache")));
    EXPECT_TRUE(context.asked.empty());
    EXPECT_FALSE(has("NB:"));
    EXPECT_FALSE(has("typed URLs")) << "no TypedURLs key, no header";
    EXPECT_FALSE(has("Trusted Sites"));
}

TEST_F(IeReport, NewerFormatQuestionIsAskedOnceAndNoTurnsHistoryAndCookiesOff) {
    for (const bool yes : {false, true}) {
        SCOPED_TRACE(yes ? "Yes" : "No");
        freshKey();
        context.report.clear();
        context.asked.clear();
        context.answerYes = yes;
        plantedProfile("S-1-5-21-1", "alice", "http://alice.test/", "5.3");
        plantedProfile("S-1-5-21-2", "bob", "http://bob.test/", "5.3");

        ASSERT_TRUE(writeInternetExplorerReport(context, sources));

        ASSERT_EQ(context.asked.size(), 1u);
        EXPECT_NE(context.asked[0].find("Korvexer: "), std::string::npos) << context.asked[0];
        EXPECT_NE(context.asked[0].find("(for current user \"alice\")"), std::string::npos);
        EXPECT_EQ(has("http://alice.test/"), yes);
        EXPECT_EQ(has("http://bob.test/"), yes);
        EXPECT_EQ(has("Cookie File:"), yes);
        EXPECT_EQ(has("\n\nNB: IE history and user cookies in disable mode for all users!!\n\n"), !yes);
    }
}

TEST_F(IeReport, TypedUrlsAndTrustedSitesFollowWithOrWithoutProfiles) {
    key().setString("TypedURLs", "url1", "http://typed.test/");
    const DWORD zone = 2;
    key().setBytes("Domains\\trusted.test", "http", REG_DWORD, &zone, sizeof zone);
    // No ProfileList at all.

    ASSERT_TRUE(writeInternetExplorerReport(context, sources));

    const std::string rule(75, '=');
    const size_t typed = context.report.find("\n\n" + rule + "\nIE history - typed URLs for current user:");
    const size_t url = context.report.find("\t url1 http://typed.test/");
    const size_t trusted = context.report.find(rule + "\nIE Trusted Sites for current user:");
    const size_t site = context.report.find("trusted.test \n\t http ");
    ASSERT_NE(typed, std::string::npos) << context.report;
    ASSERT_NE(url, std::string::npos) << context.report;
    ASSERT_NE(trusted, std::string::npos) << context.report;
    ASSERT_NE(site, std::string::npos) << context.report;
    EXPECT_EQ(typed, 0u) << "nothing before the typed URLs";
    EXPECT_LT(url, trusted);
    EXPECT_LT(trusted, site);
    EXPECT_TRUE(context.fakeRunner().calls.empty());
}

TEST_F(IeReport, CacheFolderThatNoBatchLineCanNameSafelyRunsNothing) {
    // Registry values are the machine's, not ours: a quote or a line break in
    // a folder name would end the batch argument and start a command.
    for (const std::string& cache :
         {std::string("C:\\x\"&mkdir pwned&\""), std::string("C:\\x\nmkdir pwned")}) {
        SCOPED_TRACE(cache);
        freshKey();
        profile("S-1-5-21-1", "C:\\Users\\alice");
        userValue("S-1-5-21-1", kShellFolders, "Cache", cache);
        userValue("S-1-5-21-1", kShellFolders, "Cookies", dir.path());
        claimedFolders.insert(cache);
        writeFileBytes(dir.file("c.txt"), cookieRecord("id", "1", "a.test/"));

        ASSERT_TRUE(writeInternetExplorerReport(context, sources));

        EXPECT_TRUE(context.fakeRunner().calls.empty());
        EXPECT_FALSE(has("History for user")) << context.report;
        EXPECT_FALSE(has("Cookie File")) << context.report;
    }
}

TEST_F(IeReport, MissingCacheFolderGivesNeitherHistoryNorCookies) {
    plantedProfile("S-1-5-21-1", "alice", "http://alice.test/");
    userValue("S-1-5-21-1", kShellFolders, "Cache", dir.file("no-such-folder"));

    ASSERT_TRUE(writeInternetExplorerReport(context, sources));

    EXPECT_TRUE(context.fakeRunner().calls.empty());
    EXPECT_EQ(context.report, "");
}

TEST_F(IeReport, NoContentFolderFoundGivesTheApologyAndStillTheCookies) {
    plantedProfile("S-1-5-21-1", "alice", "http://alice.test/");
    // The run gives nothing back (the interpreter could not run, say).
    context.fakeRunner().answer = [](const FakeRunner::Call&) { return FakeRunner::Answer{}; };

    ASSERT_TRUE(writeInternetExplorerReport(context, sources));

    EXPECT_TRUE(
        has("\nInternet Explorer History for user: alice:\nSorry - Read file privilege is not enablet for "
            "curret user or History file for user not exist!\n\n"))
        << context.report;
    EXPECT_TRUE(has("  Cookie File: alice@site[1].txt\n"));
}

TEST_F(IeReport, HaltStopsTheReportWhereverItComes) {
    struct Case {
        const char* where;
        int haltAfterSteps;
        bool haltInRun;
    } cases[] = {
        {"before the first profile", 1, false},
        {"inside the history listing", 3, false},
        {"while the interpreter looks for the Content folder", -1, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.where);
        TestContext halting;
        halting.haltAfterSteps = c.haltAfterSteps;
        freshKey();
        key().setString("TypedURLs", "url1", "http://typed.test/");
        profile("S-1-5-21-1", "C:\\Users\\alice");
        const std::string cache = dir.file("halt-cache");
        CreateDirectoryA(cache.c_str(), nullptr);
        CreateDirectoryA((cache + "\\Content.IE5").c_str(), nullptr);
        IndexFileBuilder index;
        const uint32_t table = index.addTable();
        for (uint32_t i = 0; i < 8; ++i)
            index.addListed(table, i, "URL ", "http://site" + std::to_string(i) + ".test/");
        writeFileBytes(cache + "\\Content.IE5\\index.dat", index.build());
        userValue("S-1-5-21-1", kShellFolders, "Cache", cache);
        halting.fakeRunner().answer = [&](const FakeRunner::Call&) {
            if (c.haltInRun) halting.halt = true;
            return FakeRunner::Answer{cache + "\\Content.IE5", 1};
        };

        EXPECT_FALSE(writeInternetExplorerReport(halting, sources));
        EXPECT_EQ(halting.report.find("http://site7.test/"), std::string::npos) << halting.report;
        EXPECT_EQ(halting.report.find("typed URLs"), std::string::npos) << halting.report;
    }
}

} // namespace
