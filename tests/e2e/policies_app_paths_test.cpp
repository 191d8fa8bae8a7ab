// The Policies and App Paths buttons end to end: a planted policy key and a
// planted .inf file show up in the policies report; the App Paths report
// fills the view with its sections and leaves no work file behind.
#include "automation.h"
#include "resources/resource.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using automation::App;
using automation::waitUntil;

std::string uniqueName(const char* stem) {
    return std::string(stem) + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(GetTickCount());
}

// A key planted below an existing one for one test; it is deleted with its
// tree afterwards, and so is its parent when the test made that too.
class PlantedKey {
  public:
    PlantedKey(HKEY root, const std::string& parent, const std::string& name)
        : root_(root), parent_(parent), path_(parent + "\\" + name) {
        HKEY existing = nullptr;
        parentExisted_ = RegOpenKeyExA(root, parent.c_str(), 0, KEY_READ, &existing) == ERROR_SUCCESS;
        if (existing != nullptr) RegCloseKey(existing);
        RegCreateKeyExA(root, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr);
    }
    ~PlantedKey() {
        if (key_ != nullptr) RegCloseKey(key_);
        RegDeleteTreeA(root_, path_.c_str());
        RegDeleteKeyA(root_, path_.c_str());
        if (!parentExisted_) RegDeleteKeyA(root_, parent_.c_str());
    }
    PlantedKey(const PlantedKey&) = delete;
    PlantedKey& operator=(const PlantedKey&) = delete;
    bool made() const { return key_ != nullptr; }
    const std::string& path() const { return path_; }
    void set(const char* name, const std::string& value) const {
        RegSetValueExA(key_, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>(value.size() + 1));
    }

  private:
    HKEY root_;
    std::string parent_;
    std::string path_;
    HKEY key_ = nullptr;
    bool parentExisted_ = false;
};

// A file planted in the Windows folder's "inf" folder for one test.
class PlantedInf {
  public:
    explicit PlantedInf(const std::string& bytes) {
        char windows[MAX_PATH] = {};
        GetWindowsDirectoryA(windows, MAX_PATH);
        path_ = std::string(windows) + "\\inf\\" + uniqueName("korvexer_e2e_") + ".inf";
        writeFileBytes(path_, bytes);
    }
    ~PlantedInf() { DeleteFileA(path_.c_str()); }
    PlantedInf(const PlantedInf&) = delete;
    PlantedInf& operator=(const PlantedInf&) = delete;
    bool made() const { return fileExists(path_); }

  private:
    std::string path_;
};

struct Reports : ::testing::Test {
    TempDir work;
    App app{work.path()};
    void SetUp() override {
        ASSERT_TRUE(automation::readyForCommands(app));
    }
    // The view once it starts with `start`, ends with the trailer and the
    // status line is blank again.
    std::string waitForReport(const std::string& start, int timeoutMs = 180000) {
        std::string view;
        waitUntil(
            [&] {
                view = app.text(IDC_REPORT_VIEW);
                const size_t trailer = view.rfind("Korvexer.exe -> ");
                return view.rfind(start, 0) == 0 && trailer != std::string::npos &&
                       view.find("\r\n", trailer) == view.size() - 2 && app.text(IDC_STATUS_LINE) == " ";
            },
            timeoutMs);
        return view;
    }
};

TEST_F(Reports, PoliciesListPlantedInfLinesAndPolicyKeysUnderTheirHeaders) {
    const std::string marker = uniqueName("KorvexerE2E_");
    const PlantedInf inf("[Version]\r\n"
                         "Signature=\"$Windows NT$\"\r\n"
                         "[Reg]\r\n"
                         "HKCU\\Software\\Policies\\" +
                         marker + "\\Listed\t= 1 ; planted\r\n" + "Value=HKCU\\Software\\Policies\\" +
                         marker + "\\NotListed\r\n" + "HKLM\\Software\\Policies\\" + marker +
                         "\\{CLSID}=1\r\n");
    ASSERT_TRUE(inf.made());
    const PlantedKey key(HKEY_CURRENT_USER, "Software\\Policies", marker);
    ASSERT_TRUE(key.made());
    key.set("Setting", "planted value");

    app.press(IDC_POLICIES);
    const std::string view =
        waitForReport("Windows system Policies config for the Windows Registration Database:\r\r\n\r\r\n");
    ASSERT_NE(view.find("Korvexer.exe -> "), std::string::npos) << view.substr(0, 2000);

    const std::string listed = "\tHKCU\\Software\\Policies\\" + marker + "\\Listed= 1  planted\r\r\n";
    EXPECT_NE(view.find(listed), std::string::npos) << view.substr(0, 4000);
    EXPECT_EQ(view.find(marker + "\\NotListed"), std::string::npos);
    EXPECT_EQ(view.find(marker + "\\{CLSID}"), std::string::npos);

    const std::string header = "\r\r\nKeys and values from HKEY_CURRENT_USER\\Software\\Policies:";
    const size_t at = view.find(header);
    ASSERT_NE(at, std::string::npos) << view.substr(0, 4000);
    const size_t keyLine = view.find("   Key: Software\\Policies\\" + marker, at);
    ASSERT_NE(keyLine, std::string::npos) << view.substr(at, 2000);
    const size_t next = view.find("\r\r\nKeys and values from", at + header.size());
    EXPECT_TRUE(next == std::string::npos || keyLine < next) << "the key is listed under its own header";
    EXPECT_NE(view.find("\t Setting: planted value", keyLine), std::string::npos)
        << view.substr(keyLine, 400);
    EXPECT_LT(view.find("\tHKCU\\Software\\Policies\\" + marker), at)
        << "the .inf lines come before the dumps";
    EXPECT_TRUE(waitUntil([&] { return automation::countWorkFiles(work.path()) == 0; }, 10000));
}

TEST_F(Reports, AppPathsFillsTheViewWithItsSectionsOnTheWindowsThread) {
    const std::string name = uniqueName("korvexer_e2e_") + ".exe";
    const PlantedKey entry(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths",
                           name);
    ASSERT_TRUE(entry.made());
    entry.set("Path", "C:\\Planted Folder");

    app.postPress(IDC_APP_PATHS);
    // The report is written on the window's thread: until it is done the
    // window answers no message; the next answer already shows it complete.
    const std::string view =
        waitForReport(" Microsoft Windows Application Path - keys and values from Registry:");
    ASSERT_NE(view.find("Korvexer.exe -> "), std::string::npos) << view.substr(0, 2000);

    const size_t key =
        view.find("   Key: SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\" + name + " \r\n");
    ASSERT_NE(key, std::string::npos) << view.substr(0, 3000);
    EXPECT_NE(view.find("\t Path C:\\Planted Folder", key), std::string::npos) << view.substr(key, 300);

    const std::string rule(75, '=');
    size_t from = key;
    for (const char* section : {"Installed Software using Windows Installer:",
                                "Installed Software whether or not by Windows Installer:", "Codec Files:"}) {
        const size_t at = view.find(rule + "\r\n" + section + "\r\n", from);
        EXPECT_NE(at, std::string::npos) << section << "\n" << view.substr(key);
        if (at != std::string::npos) from = at;
    }
    EXPECT_TRUE(waitUntil([&] { return automation::countWorkFiles(work.path()) == 0; }, 10000))
        << "runner files and the product list are gone";
    // The window takes commands again.
    app.press(IDC_HKCC);
    EXPECT_TRUE(automation::waitForHiveResult(app, "HKEY_CURRENT_CONFIG"));
}

} // namespace
