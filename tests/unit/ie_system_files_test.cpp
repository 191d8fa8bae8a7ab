// The IE readers on files the system wrote: ie_cache_writer.exe records URLs
// and cookies through the internet functions (Wine's wininet here), and the
// readers must list exactly those.
#include "ie/cookie_files.h"
#include "ie/history_index.h"
#include "ie/index_file.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <ctime>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Points the user's "Cache" and "Cookies" shell folders at the test's own
// directories for the writer's run, so it starts from empty stores and leaves
// nothing in the prefix; the old values come back when the test ends.
class ShellFolderOverride {
  public:
    ShellFolderOverride(const std::string& cache, const std::string& cookies) {
        for (const char* key : {kUserShellFolders, kShellFolders}) {
            override(key, "Cache", cache);
            override(key, "Cookies", cookies);
        }
    }
    ~ShellFolderOverride() {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
            HKEY key;
            if (RegOpenKeyExA(HKEY_CURRENT_USER, it->key, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) continue;
            if (it->existed)
                RegSetValueExA(key, it->name, 0, it->type, reinterpret_cast<const BYTE*>(it->data.data()),
                               static_cast<DWORD>(it->data.size()));
            else
                RegDeleteValueA(key, it->name);
            RegCloseKey(key);
        }
    }
    ShellFolderOverride(const ShellFolderOverride&) = delete;
    ShellFolderOverride& operator=(const ShellFolderOverride&) = delete;

  private:
    static constexpr const char* kUserShellFolders =
        "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
    static constexpr const char* kShellFolders =
        "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

    struct Saved {
        const char* key;
        const char* name;
        bool existed;
        DWORD type;
        std::string data;
    };

    void override(const char* keyPath, const char* name, const std::string& path) {
        HKEY key;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, keyPath, 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE,
                            nullptr, &key, nullptr) != ERROR_SUCCESS)
            return;
        Saved s{keyPath, name, false, REG_NONE, std::string(4096, '\0')};
        DWORD size = static_cast<DWORD>(s.data.size());
        if (RegQueryValueExA(key, name, nullptr, &s.type, reinterpret_cast<BYTE*>(s.data.data()), &size) ==
            ERROR_SUCCESS) {
            s.existed = true;
            s.data.resize(size);
        }
        saved_.push_back(s);
        RegSetValueExA(key, name, 0, keyPath == kUserShellFolders ? REG_EXPAND_SZ : REG_SZ,
                       reinterpret_cast<const BYTE*>(path.c_str()), static_cast<DWORD>(path.size() + 1));
        RegCloseKey(key);
    }

    std::vector<Saved> saved_;
};

std::string besideThisProgram(const char* name) {
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string path = self;
    return path.substr(0, path.find_last_of('\\') + 1) + name;
}

std::string quoted(const std::string& s) {
    return "\"" + s + "\"";
}

DWORD runAndWait(std::string commandLine) {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return 1000;
    DWORD code = 1001;
    if (WaitForSingleObject(pi.hProcess, 60000) == WAIT_OBJECT_0)
        GetExitCodeProcess(pi.hProcess, &code);
    else
        TerminateProcess(pi.hProcess, 1002);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return code;
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        out.push_back(line);
    return out;
}

std::string civilText(int64_t seconds) {
    CivilTime t;
    utcCivilTime(seconds, t);
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%02d/%02d/%04d %02d:%02d:%02d", t.month, t.day, t.year, t.hour,
                  t.minute, t.second);
    return buffer;
}

struct Cookie {
    std::string url;
    std::string name;
    std::string data;
    // What the report shows.
    std::string site;
    std::string value;
};

TEST(IeSystemFiles, ReadersListExactlyWhatTheInternetFunctionsWrote) {
    TempDir dir;
    const std::string cache = dir.file("cache");
    const std::string cookies = dir.file("cookies");
    CreateDirectoryA(cache.c_str(), nullptr);
    CreateDirectoryA(cookies.c_str(), nullptr);

    const std::vector<std::string> urls = {
        "http://alpha.korvexer.test/index.html", "http://beta.korvexer.test/search?q=disk+smart&lang=en",
        "https://gamma.korvexer.test/" + std::string(300, 'p') + "/long.htm", // a record of several blocks
    };
    const char* expires = "; expires=Sat, 01-Jan-2033 00:00:00 GMT";
    const std::vector<Cookie> persistent = {
        {"http://alpha.korvexer.test/", "id", std::string("42") + expires, "alpha.korvexer.test/", "42"},
        {"http://alpha.korvexer.test/", "lang", std::string("en") + expires, "alpha.korvexer.test/", "en"},
        {"http://beta.korvexer.test/shop/", "basket", std::string("7") + expires + "; path=/shop/",
         "beta.korvexer.test/shop/", "7"},
    };
    std::string command = quoted(besideThisProgram("ie_cache_writer.exe"));
    for (const std::string& url : urls)
        command += " url " + quoted(url);
    for (const Cookie& c : persistent)
        command += " cookie " + quoted(c.url) + " " + c.name + " " + quoted(c.data);
    // A session cookie lives in memory only: no file shows it.
    command += " cookie http://alpha.korvexer.test/ session " + quoted("s1");

    const int64_t before = static_cast<int64_t>(std::time(nullptr));
    {
        ShellFolderOverride folders(cache, cookies);
        ASSERT_EQ(runAndWait(command), 0u) << command;
    }
    const int64_t after = static_cast<int64_t>(std::time(nullptr));

    // Wine keeps the cache index in Content.IE5 under the "Cache" shell folder
    // (by default the prefix's C:\users\<user>\AppData\Local\Microsoft\Windows\INetCache)
    // and the cookie files, with an index of their own, straight in the
    // "Cookies" folder (...\Windows\INetCookies).
    const std::string index = readFileBytes(cache + "\\Content.IE5\\index.dat");
    ASSERT_GT(index.size(), 0x4000u) << "no index where the Cache folder points";

    // Wine's index has the browser's layout (header fields, hash tables,
    // records) but its own signature, "WINE URLCache Ver 0.2012001", whose
    // bytes at offset 24 read as version "001" and would select the old text
    // offset; a copy with the browser's signature is read as a 5.2 file.
    const unsigned char wineVersion[4] = {
        static_cast<unsigned char>(index[24]), static_cast<unsigned char>(index[25]),
        static_cast<unsigned char>(index[26]), static_cast<unsigned char>(index[27])};
    EXPECT_EQ(index.substr(0, 28), std::string("WINE URLCache Ver 0.2012001\0", 28));
    EXPECT_EQ(historyVersionThousandths(wineVersion), 1000u);
    std::string browserIndex = index;
    browserIndex.replace(0, 28, std::string("Client UrlCache MMF Ver 5.2\0", 28));
    writeFileBytes(dir.file("index.dat"), browserIndex);

    std::string history;
    HistoryQuestionState run;
    bool readHistory = true;
    HistoryIndexIo io;
    io.write = [&](std::string_view text) { history += text; };
    io.step = [] { return true; };
    io.ask = [](const std::string&) { return false; };
    ASSERT_EQ(readHistoryIndexFile(dir.file("index.dat"), "alice", run, readHistory, io),
              HistoryIndexResult::Listed);
    const std::vector<std::string> historyLines = lines(history);
    ASSERT_GE(historyLines.size(), 2u);
    EXPECT_EQ(historyLines[0], "");
    EXPECT_EQ(historyLines[1], "Internet Explorer History for user: alice");
    std::vector<std::string> listed;
    for (size_t i = 2; i < historyLines.size(); ++i) {
        ASSERT_EQ(historyLines[i].rfind("    ", 0), 0u) << historyLines[i];
        listed.push_back(historyLines[i].substr(4));
    }
    std::vector<std::string> expectedUrls = urls;
    std::sort(listed.begin(), listed.end());
    std::sort(expectedUrls.begin(), expectedUrls.end());
    EXPECT_EQ(listed, expectedUrls) << history;

    std::string cookieText;
    const auto sink = [&](std::string_view text) { cookieText += text; };
    readCookieFiles(cookies, sink, utcCivilTime);
    // Records of six lines after each file's header line; which file holds
    // which site is the writer's business.
    std::map<std::string, std::vector<std::string>> records;
    int files = 0;
    const std::vector<std::string> cookieLines = lines(cookieText);
    for (size_t i = 0; i < cookieLines.size();) {
        if (cookieLines[i] == "   " && i + 1 < cookieLines.size() &&
            cookieLines[i + 1].rfind("  Cookie File: ", 0) == 0) {
            EXPECT_NE(cookieLines[i + 1].find(".txt"), std::string::npos);
            ++files;
            i += 2;
            continue;
        }
        ASSERT_LE(i + 6, cookieLines.size()) << cookieText;
        records[cookieLines[i] + " | " + cookieLines[i + 1]] =
            std::vector<std::string>(cookieLines.begin() + i, cookieLines.begin() + i + 6);
        i += 6;
    }
    EXPECT_GE(files, 2); // one file per site
    ASSERT_EQ(records.size(), persistent.size()) << cookieText;
    for (const Cookie& c : persistent) {
        const auto found = records.find("   Site: " + c.site + " | " + "   Variable: " + c.name);
        ASSERT_NE(found, records.end()) << c.name << "\n" << cookieText;
        const std::vector<std::string>& r = found->second;
        EXPECT_EQ(r[2], "   Value: " + c.value);
        EXPECT_EQ(r[4], "   Expire time: 01/01/2033 00:00:00");
        EXPECT_EQ(r[5].rfind("   Falgs: ", 0), 0u);
        // Made while the writer ran.
        bool createdThen = false;
        for (int64_t s = before - 1; s <= after + 1; ++s)
            createdThen = createdThen || r[3] == "   Creation time: " + civilText(s);
        EXPECT_TRUE(createdThen) << r[3];
    }
}

} // namespace
