#include "runner/command_runner.h"
#include "services/services_report.h"
#include "support/temp_dir.h"
#include "support/test_context.h"

#include <gtest/gtest.h>

#include <new>
#include <numeric>

namespace {

using Lines = std::vector<std::string>;

const std::string kSep =
    "Wscript.Echo \"===========================================================================\"";
const std::string kLog = "C:\\work dir\\korvexDlg32_temp_file.1234560.txt";

TEST(ServicesScript, PropertiesBlockWritesEveryServiceToTheLogAndEchoesItBack) {
    const Lines expected = {
        "On Error Resume Next",
        "Wscript.Echo \" \"",
        "Wscript.Echo \" \"",
        kSep,
        "Wscript.Echo \"Service Properties:\"",
        "Wscript.Echo \" \"",
        "Const ForAppending = 8",
        "Set objFSO = CreateObject(\"Scripting.FileSystemObject\")",
        "Set objLogFile = objFSO.OpenTextFile(\"C:\\work dir\\korvexDlg32_temp_file.1234560.txt\", _",
        "    ForAppending, True)",
        "strComputer = \".\"",
        "Set objWMIService = GetObject(\"winmgmts:\" _",
        "    & \"{impersonationLevel=impersonate}!\\\\\" & strComputer & \"\\root\\cimv2\")",
        "Set colListOfServices = objWMIService.ExecQuery _",
        "        (\"Select * from Win32_Service\")",
        "For Each objService in colListOfServices",
        "    objLogFile.Writeline( \"System Name: \" & objService.SystemName) ",
        "    objLogFile.Writeline( \"Name: \" & objService.Name) ",
        "    objLogFile.Writeline( \"Service Type: \" & objService.ServiceType) ",
        "    objLogFile.Writeline( \"Service State: \" & objService.State) ",
        "    objLogFile.Writeline( \"ExitCode: \" & objService.ExitCode) ",
        "    objLogFile.Writeline( \"Process ID: \" & objService.ProcessID) ",
        "    objLogFile.Writeline( \"Can Be Paused: \" & objService.AcceptPause) ",
        "    objLogFile.Writeline( \"Can Be Stopped: \" & objService.AcceptStop) ",
        "    objLogFile.Writeline( \"Caption: \" & objService.Caption) ",
        "    objLogFile.Writeline( \"Description: \" & objService.Description) ",
        "    objLogFile.Writeline( \"Can Interact with Desktop: \" & objService.DesktopInteract) ",
        "    objLogFile.Writeline( \"Display Name: \" & objService.DisplayName) ",
        "    objLogFile.Writeline( \"Error Control: \" & objService.ErrorControl) ",
        "    objLogFile.Writeline( \"Executable Path Name: \" & objService.PathName) ",
        "    objLogFile.Writeline( \"Service Started: \" & objService.Started) ",
        "    objLogFile.Writeline( \"Start Mode: \" & objService.StartMode) ",
        "    objLogFile.Writeline( \"Account Name: \" & objService.StartName) ",
        "    objLogFile.writeline",
        "Next",
        "objLogFile.Close",
        "Set objFSO = CreateObject(\"Scripting.FileSystemObject\")",
        "Set objFile = objFSO.OpenTextFile(\"C:\\work dir\\korvexDlg32_temp_file.1234560.txt\", 1)",
        "strContents = objFile.ReadAll",
        "Wscript.Echo strContents",
    };
    EXPECT_EQ(servicePropertiesLines(kLog), expected);
    // A quotation mark in the path cannot end the script's string early.
    const Lines quoted = servicePropertiesLines("C:\\a\"b.txt");
    EXPECT_EQ(quoted[8], "Set objLogFile = objFSO.OpenTextFile(\"C:\\a\"\"b.txt\", _");
}

TEST(ServicesScript, StatusBlockEchoesEveryServiceWithItsState) {
    const Lines expected = {
        "On Error Resume Next",
        "Wscript.Echo \" \"",
        kSep,
        "Wscript.Echo \" \"",
        "Wscript.Echo \"Service Status:\"",
        "Wscript.Echo \" \"",
        "strComputer = \".\"",
        "Set objWMIService = GetObject(\"winmgmts:\" _",
        "    & \"{impersonationLevel=impersonate}!\\\\\" & strComputer & \"\\root\\cimv2\")",
        "Set colRunningServices = objWMIService.ExecQuery(\"Select * from Win32_Service\")",
        "For Each objService in colRunningServices ",
        "    Wscript.Echo objService.DisplayName  & \":   \"  & objService.State",
        "Wscript.Echo \" \"",
        "Next",
    };
    EXPECT_EQ(serviceStatusLines(), expected);
}

TEST(ServicesScript, ProcessesBlockListsTheCatalogAndOneGroupPerHostProcess) {
    const Lines expected = {
        "On Error Resume Next",
        "Wscript.Echo \" \"",
        kSep,
        "Wscript.Echo \" \"",
        "Wscript.Echo \"Running Service Processes:\"",
        "Wscript.Echo \" \"",
        "Set objAdminIS = CreateObject(\"Microsoft.ISAdm\")",
        "objCatalog = objAdminIS.FindFirstCatalog()",
        "If (objCatalog) Then",
        "    Set objCatAdm = objAdminIS.GetCatalog()",
        "    Wscript.Echo \"Catalog location: \" & objCatAdm.CatalogLocation",
        "    Wscript.Echo \"Catalog name: \" & objCatAdm.CatalogName",
        "    If (objAdminIS.IsRunning) Then ",
        "        Wscript.Echo \"Is stopped: \" & objCatAdm.IsCatalogStopped",
        "        Wscript.Echo \"Is paused: \" & objCatAdm.IsCatalogPaused",
        "        Wscript.Echo \"Is running: \" & objCatAdm.IsCatalogRunning",
        "        Wscript.Echo \"Delayed filter count: \" & objCatAdm.DelayedFilterCount",
        "        Wscript.Echo \"Documents to filter: \" & objCatAdm.DocumentsToFilter",
        "        Wscript.Echo \"Filtered document count: \" & _",
        "            objCatAdm.FilteredDocumentCount",
        "        Wscript.Echo \"Fresh test count: \" & objCatAdm.FreshTestCount",
        "        Wscript.Echo \"Index size: \" & objCatAdm.IndexSize",
        "        Wscript.Echo \"Percent merge complete: \" & objCatAdm.PctMergeComplete",
        "        Wscript.Echo \"Pending scan count: \" & objCatAdm.PendingScanCount",
        "        Wscript.Echo \"Persistent index count: \" & _",
        "            objCatAdm.PersistentIndexCount",
        "        Wscript.Echo \"Query count: \" & objCatAdm.QueryCount",
        "        Wscript.Echo \"State info: \" & objCatAdm.StateInfo",
        "        Wscript.Echo \"Total document count: \" & objCatAdm.TotalDocumentCount",
        "        Wscript.Echo \"Unique key count: \" & objCatAdm.UniqueKeyCount",
        "        Wscript.Echo \"Word list count: \" & objCatAdm.WordListCount",
        "    End If ",
        "End If",
        "Set objIdDictionary = CreateObject(\"Scripting.Dictionary\")",
        "strComputer = \".\"",
        "Set objWMIService = GetObject(\"winmgmts:\" _",
        "    & \"{impersonationLevel=impersonate}!\\\\\" & strComputer & \"\\root\\cimv2\")",
        "Set colServices = objWMIService.ExecQuery _",
        "    (\"Select * from Win32_Service Where State <> 'Stopped'\")",
        "For Each objService in colServices",
        "    If objIdDictionary.Exists(objService.ProcessID) Then",
        "",
        "    Else",
        "        objIdDictionary.Add objService.ProcessID, objService.ProcessID",
        "    End If",
        "Next",
        "colProcessIDs = objIdDictionary.Items",
        "For i = 0 to objIdDictionary.Count - 1",
        "    Set colServices = objWMIService.ExecQuery _",
        "        (\"Select * from Win32_Service Where ProcessID = '\" & _",
        "            colProcessIDs(i) & \"'\")",
        "    Wscript.Echo \" \"",
        "    Wscript.Echo \"Process ID: \" & colProcessIDs(i)",
        "ii = 0",
        "For Each objService1 in colServices",
        "If ii = 0 Then ",
        "\t Wscript.Echo \"Service PathName: \" & objService1.PathName ",
        "End If",
        "ii = 1",
        "Next",
        "\tFor Each objService in colServices",
        "        Wscript.Echo VbTab & \"\tAction: \" & objService.DisplayName ",
        "    Next",
        "Next",
    };
    EXPECT_EQ(serviceProcessesLines(), expected);
}

// The report over the real services key, with the script run answered by the fake runner.
struct ServicesReport : ::testing::Test {
    TempDir dir;
    TestContext context;
    HKEY services = nullptr;
    std::string log = dir.file("korvexDlg32_temp_file.0000010.txt");
    void SetUp() override {
        ASSERT_EQ(
            RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services", 0, KEY_READ, &services),
            ERROR_SUCCESS);
        context.fakeRunner().answer = [this](const FakeRunner::Call&) {
            // The script host leaves its log behind; the report removes it.
            writeFileBytes(log, "System Name: X\r\n");
            return FakeRunner::Answer{" \n===\nService Properties:\n", 1};
        };
    }
    void TearDown() override {
        if (services != nullptr) RegCloseKey(services);
    }
    // The first service with a value of its own.
    std::string firstServiceWithValues() {
        char name[256];
        for (DWORD i = 0;; ++i) {
            DWORD size = sizeof name;
            if (RegEnumKeyExA(services, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
                return {};
            HKEY key = nullptr;
            if (RegOpenKeyExA(services, name, 0, KEY_READ, &key) != ERROR_SUCCESS) continue;
            DWORD values = 0;
            RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr,
                             nullptr, nullptr, nullptr);
            RegCloseKey(key);
            if (values > 0) return name;
        }
    }
};

TEST_F(ServicesReport, ShowsTheKeyDumpThenAppendsTheScriptOutputAndRemovesTheLog) {
    const std::string service = firstServiceWithValues();
    ASSERT_FALSE(service.empty());
    writeServicesReport(context, services, log);

    EXPECT_EQ(context.reportFilesBegun, 1);
    EXPECT_EQ(context.report.rfind(
                  " Services in CurrentControlSet:\r\n\n\n   Key: SYSTEM\\CurrentControlSet\\Services\\", 0),
              0u)
        << context.report.substr(0, 300);
    // Each service key with values: its full path, then its value lines.
    const std::string header = "\n\n   Key: SYSTEM\\CurrentControlSet\\Services\\" + service + " \n\t ";
    EXPECT_NE(context.report.find(header), std::string::npos) << service;
    // No subkey headers: the walk prints values only.
    EXPECT_EQ(context.report.find("\n   Key: SYSTEM\\CurrentControlSet\\Services\\" + service + "\n"),
              std::string::npos);

    ASSERT_EQ(context.fakeRunner().calls.size(), 1u);
    const FakeRunner::Call& run = context.fakeRunner().calls[0];
    EXPECT_EQ(run.mode, RunMode::Script);
    Lines all = servicePropertiesLines(log);
    for (const Lines& block : {serviceStatusLines(), serviceProcessesLines()})
        all.insert(all.end(), block.begin(), block.end());
    const std::string script =
        std::accumulate(all.begin(), all.end(), std::string(),
                        [](std::string s, const std::string& line) { return std::move(s) + line + "\n"; });
    EXPECT_EQ(run.text, script);
    // The script output follows the key dump in the view.
    const std::string output = " \n===\nService Properties:\n";
    ASSERT_GT(context.report.size(), output.size());
    EXPECT_EQ(context.report.substr(context.report.size() - output.size()), output);
    EXPECT_FALSE(fileExists(log));
    ASSERT_FALSE(context.statusLine.shown.empty());
    EXPECT_EQ(context.statusLine.shown.back(), " ");
    EXPECT_FALSE(context.animating);
    EXPECT_TRUE(context.told.empty());
}

TEST_F(ServicesReport, AFileThatCannotBeShownIsToldAndEndsTheTask) {
    struct Case {
        TaskContext::FileShown outcome;
        const char* told;
    } cases[] = {
        {TaskContext::FileShown::CannotOpen,
         "Dynamic Memory Allocation problem: There is not enough memory to complete the operation"},
        {TaskContext::FileShown::NoMemory,
         "Dynamic Memory Allocation problem: There is not Enough memory to complete the operation"},
        // The window's side has named the folder already: no second box.
        {TaskContext::FileShown::WritesLost, nullptr},
    };
    for (const Case& c : cases) {
        TestContext failing;
        failing.fileOutcome = c.outcome;
        failing.animating = true;
        writeFileBytes(log, "");
        writeServicesReport(failing, services, log);
        EXPECT_FALSE(fileExists(log)) << "the log goes with the task";
        if (c.told == nullptr) {
            EXPECT_TRUE(failing.told.empty());
        } else {
            ASSERT_EQ(failing.told.size(), 1u);
            EXPECT_EQ(failing.told[0], c.told);
        }
        ASSERT_FALSE(failing.statusLine.shown.empty());
        EXPECT_EQ(failing.statusLine.shown.back(), " ");
        ASSERT_FALSE(failing.liveTexts.empty());
        EXPECT_EQ(failing.liveTexts.back(), "") << "the view is emptied";
        EXPECT_FALSE(failing.animating);
        EXPECT_TRUE(failing.fakeRunner().calls.empty()) << "no script part";
    }
}

TEST_F(ServicesReport, TheLogGoesAlsoWhenMemoryRunsOutDuringTheScript) {
    context.fakeRunner().answer = [this](const FakeRunner::Call&) -> FakeRunner::Answer {
        writeFileBytes(log, "System Name: X\r\n");
        throw std::bad_alloc();
    };
    EXPECT_THROW(writeServicesReport(context, services, log), std::bad_alloc);
    EXPECT_FALSE(fileExists(log));
}

TEST_F(ServicesReport, AHaltStopsTheTaskWhereItIs) {
    // Halted during the key dump: the file is dropped, nothing is shown or
    // run, and the log (made empty as its name was drawn) goes too.
    writeFileBytes(log, "");
    context.halt = true;
    writeServicesReport(context, services, log);
    EXPECT_FALSE(fileExists(log));
    EXPECT_EQ(context.reportFilesDropped, 1);
    EXPECT_TRUE(context.report.empty());
    EXPECT_TRUE(context.fakeRunner().calls.empty());
    EXPECT_TRUE(context.told.empty());

    // Halted while the key dump is being shown: the script does not start.
    struct HaltOnShow : TestContext {
        FileShown showReportFile(std::string_view lead) override {
            halt = true;
            return TestContext::showReportFile(lead);
        }
    } showing;
    writeServicesReport(showing, services, log);
    EXPECT_TRUE(showing.fakeRunner().calls.empty());
    EXPECT_EQ(showing.reportFilesDropped, 0);
}

TEST_F(ServicesReport, WithoutAFileOfItsOwnTheTaskOrItsScriptPartIsLeftOut) {
    // No report file could be made: the task ends before its walk.
    TestContext refused;
    refused.reportFileRefused = true;
    refused.animating = true;
    writeFileBytes(log, "");
    writeServicesReport(refused, services, log);
    EXPECT_TRUE(refused.report.empty());
    EXPECT_TRUE(refused.fakeRunner().calls.empty());
    EXPECT_FALSE(fileExists(log)) << "the log goes with the task";
    EXPECT_FALSE(refused.animating);

    // No log of its own for the script: the registry part alone, as when the script fails.
    writeServicesReport(context, services, "");
    EXPECT_EQ(context.reportFilesBegun, 1);
    EXPECT_FALSE(context.report.empty());
    EXPECT_TRUE(context.fakeRunner().calls.empty());
}

} // namespace
