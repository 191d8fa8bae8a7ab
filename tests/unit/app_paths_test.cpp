// The App Paths report: its generated script line for line, the parts of the
// script run in the real script host (uninstall entries, the size rule), and
// the report's course with a scripted runner.
#include "collect/app_paths.h"
#include "registry/registry_read.h"
#include "report/report_writer.h"
#include "report/work_file.h"
#include "runner/command_runner.h"
#include "runner/script_buffer.h"
#include "support/scoped_temp.h"
#include "support/temp_dir.h"
#include "support/test_context.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

// The script as the report is to run it; @PATH@ stands for the work file's
// path as a string literal's content, @DATE@ for the install-date property.
// The product list is read back only when it holds something: the script
// host fails on reading all of an empty file. Every part runs under "On Error
// Resume Next", the products' too.
const char* const kExpectedScript =
    R"script(On Error Resume Next
Wscript.Echo "==========================================================================="
Wscript.Echo "Installed Software using Windows Installer:"
Wscript.Echo " "
Wscript.Echo " "
Set objFSO = CreateObject("Scripting.FileSystemObject")
Set objTextFile = objFSO.CreateTextFile("@PATH@", True)
strComputer = "."
Set objWMIService = GetObject("winmgmts:" _
    & "{impersonationLevel=impersonate}!\\" & strComputer & "\root\cimv2")
Set colSoftware = objWMIService.ExecQuery _
    ("Select * from Win32_Product")
For Each objSoftware in colSoftware
    objTextFile.WriteLine "Caption: " & objSoftware.Caption
    objTextFile.WriteLine "Description: " & objSoftware.Description
    objTextFile.WriteLine "Identifying Number: " & objSoftware.IdentifyingNumber
    objTextFile.WriteLine "Install Date: " & objSoftware.@DATE@
    objTextFile.WriteLine "Install Location: " & objSoftware.InstallLocation
    objTextFile.WriteLine "Install State: " & objSoftware.InstallState
    objTextFile.WriteLine "Name: " & objSoftware.Name
    objTextFile.WriteLine "Package Cache: " & objSoftware.PackageCache
    objTextFile.WriteLine "SKUNumber: " & objSoftware.SKUNumber
    objTextFile.WriteLine "Vendor: " & objSoftware.Vendor
    objTextFile.WriteLine "Version: " & objSoftware.Version
    objTextFile.WriteLine " " 
Next
objTextFile.Close
Set objFSO = CreateObject("Scripting.FileSystemObject")
Set objFile = objFSO.OpenTextFile("@PATH@", 1)
If Not objFile.AtEndOfStream Then strContents = objFile.ReadAll
Wscript.Echo strContents
On Error Resume Next
Wscript.Echo " "
Wscript.Echo "==========================================================================="
Wscript.Echo "Installed Software whether or not by Windows Installer:"
Wscript.Echo " "
Const HKLM = &H80000002 'HKEY_LOCAL_MACHINE
strComputer = "."
strKey = "SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\"
strEntry1a = "DisplayName"
strEntry1b = "QuietDisplayName"
strEntry2 = "InstallDate"
strEntry3 = "VersionMajor"
strEntry4 = "VersionMinor"
strEntry5 = "EstimatedSize"
Set objReg = GetObject("winmgmts://" & strComputer & _
"/root/default:StdRegProv")
objReg.EnumKey HKLM, strKey, arrSubkeys
For Each strSubkey In arrSubkeys
  intRet1 = objReg.GetStringValue(HKLM, strKey & strSubkey, _
   strEntry1a, strValue1)
  If intRet1 <> 0 Then
    objReg.GetStringValue HKLM, strKey & strSubkey, _
     strEntry1b, strValue1
  End If
  If strValue1 <> "" Then
    WScript.Echo VbCrLf & "Display Name: " & strValue1
  End If
  objReg.GetStringValue HKLM, strKey & strSubkey, _
   strEntry2, strValue2
  If strValue2 <> "" Then
    WScript.Echo "Install Date: " & strValue2
  End If
  objReg.GetDWORDValue HKLM, strKey & strSubkey, _
   strEntry3, intValue3
  objReg.GetDWORDValue HKLM, strKey & strSubkey, _
   strEntry4, intValue4
  If intValue3 <> "" Then
     WScript.Echo "Version: " & intValue3 & "." & intValue4
  End If
  objReg.GetDWORDValue HKLM, strKey & strSubkey, _
   strEntry5, intValue5
  If intValue5 <> "" Then
    WScript.Echo "Estimated Size: " & Round(intValue5/1024, 3) & " megabytes"
  End If
Next
On Error Resume Next
Wscript.Echo " "
Wscript.Echo "==========================================================================="
Wscript.Echo "Codec Files:"
Wscript.Echo " "
strComputer = "."
Set objWMIService = GetObject("winmgmts:" _
    & "{impersonationLevel=impersonate}!\\" & strComputer & "\root\cimv2")
Set colItems = objWMIService.ExecQuery("Select * from Win32_CodecFile")
For Each objItem in colItems
    Wscript.Echo "Access Mask: " & objItem.AccessMask
    Wscript.Echo "Archive: " & objItem.Archive
    Wscript.Echo "Caption: " & objItem.Caption
    strCreationDate = ""
    strCreationDate = WMIDateStringToDate(objItem.CreationDate)
    Wscript.Echo "Creation Date: " & strCreationdate
    Wscript.Echo "Drive: " & objItem.Drive
    Wscript.Echo "Eight Dot Three File Name: " & _
        objItem.EightDotThreeFileName
    Wscript.Echo "Extension: " & objItem.Extension
    Wscript.Echo "File Name: " & objItem.FileName
    Wscript.Echo "File Size: " & objItem.FileSize
    Wscript.Echo "File Type: " & objItem.FileType
    Wscript.Echo "File System Name: " & objItem.FSName
    Wscript.Echo "Group: " & objItem.Group
    Wscript.Echo "Hidden: " & objItem.Hidden
    strLastAccessed = ""
    strLastAccessed = WMIDateStringToDate(objItem.LastAccessed)
    Wscript.Echo "Last Accessed: " & strLastAccessed
    strLastModified = ""
    strLastModified = WMIDateStringToDate(objItem.LastModified)
    Wscript.Echo "Last Modified: " & strLastModified
    Wscript.Echo "Manufacturer: " & objItem.Manufacturer
    Wscript.Echo "Name: " & objItem.Name
    Wscript.Echo "Path: " & objItem.Path
    Wscript.Echo "Version: " & objItem.Version
    Wscript.Echo " "
Next
Function WMIDateStringToDate(dtmDate)
    WMIDateStringToDate = CDate(Mid(dtmDate, 5, 2) & "/" & _
        Mid(dtmDate, 7, 2) & "/" & Left(dtmDate, 4) _
            & " " & Mid (dtmDate, 9, 2) & ":" & _
                Mid(dtmDate, 11, 2) & ":" & Mid(dtmDate, _
                    13, 2))
End Function)script";

Lines expectedScript(const std::string& literalPath, const std::string& dateProperty) {
    Lines out;
    std::string text = kExpectedScript;
    for (size_t at; (at = text.find("@PATH@")) != std::string::npos;)
        text.replace(at, 6, literalPath);
    text.replace(text.find("@DATE@"), 6, dateProperty);
    size_t start = 0;
    while (true) {
        const size_t end = text.find('\n', start);
        out.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return out;
}

void expectSameLines(const Lines& actual, const Lines& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(actual[i], expected[i]) << "script line " << i + 1;
}

TEST(AppPathsScript, LineForLineOnEitherSideOfXp) {
    const std::string path = "C:\\Temp\\korvexDlg32_temp_file.0123450.txt";
    expectSameLines(appPathsScriptLines(path, true), expectedScript(path, "InstallDate2"));
    expectSameLines(appPathsScriptLines(path, false), expectedScript(path, "InstallDate"));
}

TEST(AppPathsScript, AWorkDirectoryWithQuotesStaysInsideItsStringLiterals) {
    // A path that tries to close the literal and add a statement of its own.
    const std::string path = "C:\\x\", True)\nCreateObject(\"WScript.Shell\").Run \"calc\" '\\f.txt";
    const std::string literal =
        "C:\\x\"\", True)\" & Chr(10) & \"CreateObject(\"\"WScript.Shell\"\").Run \"\"calc\"\" '\\f.txt";
    expectSameLines(appPathsScriptLines(path, true), expectedScript(literal, "InstallDate2"));
}

// The uninstall part of the generated script, run in the real script host
// over a registry provider of the test's own: a script class that answers
// EnumKey, GetStringValue and GetDWORDValue from a table, failing (with Null
// in the out value) for a value it does not hold, as the registry provider
// does. Wine's provider cannot enumerate keys from a script, so the table
// stands in for the machine's uninstall list.
const char* const kFakeRegistry = R"script(Class FakeRegistry
  Private table
  Private Sub Class_Initialize
    Set table = CreateObject("Scripting.Dictionary")
  End Sub
  Public Sub Add(subkey, name, value)
    table.Add subkey & "|" & name, value
  End Sub
  Public Function EnumKey(root, key, ByRef names)
    names = Array("A Full", "B Quiet", "C Nameless")
    EnumKey = 0
  End Function
  Private Function Lookup(root, key, name, ByRef value)
    If root = &H80000002 And table.Exists(key & "|" & name) Then
      value = table(key & "|" & name)
      Lookup = 0
    Else
      value = Null
      Lookup = 1
    End If
  End Function
  Public Function GetStringValue(root, key, name, ByRef value)
    GetStringValue = Lookup(root, key, name, value)
  End Function
  Public Function GetDWORDValue(root, key, name, ByRef value)
    GetDWORDValue = Lookup(root, key, name, value)
  End Function
End Class
Set objFake = New FakeRegistry
strUninstall = "SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\"
objFake.Add strUninstall & "A Full", "DisplayName", "Alpha Editor"
objFake.Add strUninstall & "A Full", "QuietDisplayName", "not shown: the display name wins"
objFake.Add strUninstall & "A Full", "InstallDate", "20240131"
objFake.Add strUninstall & "A Full", "VersionMajor", 3
objFake.Add strUninstall & "A Full", "VersionMinor", 7
objFake.Add strUninstall & "A Full", "EstimatedSize", 2048
objFake.Add strUninstall & "B Quiet", "QuietDisplayName", "Quiet Tool"
objFake.Add strUninstall & "C Nameless", "InstallDate", "20200101"
objFake.Add strUninstall & "C Nameless", "EstimatedSize", 1024)script";

// What the script host prints for a script of the test's own.
std::string runScriptText(const std::string& script) {
    TempDir dir;
    const std::string path = dir.file("part.vbs");
    writeFileBytes(path, script);
    TestContext context;
    ProcessRunner runner(context);
    EXPECT_EQ(runner.run("cscript //nologo \"" + path + "\"", RunMode::Plain), 1);
    return context.report;
}

std::string runUninstallPart() {
    const Lines lines = appPathsScriptLines("C:\\unused.txt", true);
    const auto first = std::find(lines.begin(), lines.end(), "Const HKLM = &H80000002 'HKEY_LOCAL_MACHINE");
    const auto last = std::find(first, lines.end(), "Next");
    EXPECT_NE(last, lines.end());
    std::string script = "On Error Resume Next\n" + std::string(kFakeRegistry) + "\n";
    for (auto line = first; line != lines.end() && line <= last; ++line) {
        // The provider's two connection lines give way to the table.
        if (line->rfind("Set objReg = GetObject(", 0) == 0) {
            script += "Set objReg = objFake\n";
            ++line;
            continue;
        }
        script += *line + "\n";
    }
    return runScriptText(script);
}

TEST(AppPathsUninstall, QuietNameNoNameDateVersionAndSize) {
    EXPECT_EQ(runUninstallPart(), "\n"
                                  "Display Name: Alpha Editor\n"
                                  "Install Date: 20240131\n"
                                  "Version: 3.7\n"
                                  "Estimated Size: 2 megabytes\n"
                                  "\n"
                                  "Display Name: Quiet Tool\n"
                                  "Install Date: 20200101\n"
                                  "Estimated Size: 1 megabytes\n");
}

// The codec part over files made in the script itself: the second has no
// creation or modification date and an access date no function converts.
std::string runCodecPart() {
    const Lines lines = appPathsScriptLines("C:\\unused.txt", true);
    const auto query = std::find(lines.begin(), lines.end(),
                                 "Set colItems = objWMIService.ExecQuery(\"Select * from Win32_CodecFile\")");
    EXPECT_NE(query, lines.end());
    std::string script = "On Error Resume Next\n"
                         "Class Codec\n"
                         // One member a line: the script host of Wine takes no list.
                         "  Public CreationDate\n"
                         "  Public LastAccessed\n"
                         "  Public LastModified\n"
                         "  Public Name\n"
                         "End Class\n"
                         "Set a = New Codec\n"
                         "a.CreationDate = \"20200102030405.000000+000\"\n"
                         "a.LastAccessed = \"20210102030405.000000+000\"\n"
                         "a.LastModified = \"20220102030405.000000+000\"\n"
                         "a.Name = \"a.acm\"\n"
                         "Set b = New Codec\n"
                         "b.CreationDate = Null\n"
                         "b.LastAccessed = \"not a date\"\n"
                         "b.Name = \"b.acm\"\n"
                         "colItems = Array(a, b, a)\n";
    for (auto line = query == lines.end() ? query : query + 1; line != lines.end(); ++line)
        script += *line + "\n";
    const std::string printed = runScriptText(script);
    std::string dates;
    size_t at = 0;
    while (at < printed.size()) {
        const size_t end = std::min(printed.find('\n', at), printed.size());
        const std::string line = printed.substr(at, end - at);
        if (line.find("Date: ") != std::string::npos || line.rfind("Last ", 0) == 0 ||
            line.rfind("Name: ", 0) == 0)
            dates += line + "\n";
        at = end + 1;
    }
    return dates;
}

TEST(AppPathsCodecs, AFileWithoutADateShowsNoneRatherThanThePreviousFilesDate) {
    const std::string dates = runCodecPart();
    const size_t second = dates.find("Name: a.acm\n");
    ASSERT_NE(second, std::string::npos) << dates;
    const std::string first = dates.substr(0, second + std::string("Name: a.acm\n").size());
    // The first file's dates, in whatever form the locale gives them.
    for (const char* label : {"Creation Date: ", "Last Accessed: ", "Last Modified: "}) {
        EXPECT_NE(first.find(label), std::string::npos) << first;
        EXPECT_EQ(first.find(std::string(label) + "\n"), std::string::npos) << first;
    }
    EXPECT_EQ(dates, first +
                         "Creation Date: \n"
                         "Last Accessed: \n"
                         "Last Modified: \n"
                         "Name: b.acm\n" +
                         first);
}

// The whole generated script in the real script host, with the installed
// products' provider replaced by a stand-in of the test's own (the later
// parts keep the real ones): a product part that fails must still let the
// uninstall entries and the codec files through.
const char* const kStandInProviders = R"script(Class FailingProvider
  Public Function ExecQuery(query)
    Err.Raise 429, "stand-in", "no installer provider"
  End Function
End Class
Class Product
  Public Caption
  Public Version
  Public Property Get Name
    Err.Raise 5, "stand-in", "a name the file cannot hold"
  End Property
End Class
Class OneProductProvider
  Public Function ExecQuery(query)
    Set p = New Product
    p.Caption = "Alpha"
    p.Version = "1.0"
    Set ExecQuery = CreateObject("Scripting.Dictionary")
    ExecQuery.Add p, ""
  End Function
End Class)script";

std::string runWithProductProvider(const std::string& provider) {
    TempDir dir;
    const Lines lines = appPathsScriptLines(dir.file("products.txt"), true);
    std::string script;
    bool replaced = false;
    for (auto line = lines.begin(); line != lines.end(); ++line) {
        // The first connection (two lines) is the products'.
        if (!replaced && line->rfind("Set objWMIService = GetObject(", 0) == 0) {
            script += "Set objWMIService = " + provider + "\n";
            ++line;
            replaced = true;
            continue;
        }
        script += *line + "\n";
    }
    EXPECT_TRUE(replaced);
    return runScriptText(script + kStandInProviders + "\n");
}

TEST(AppPathsRun, AFailingProductPartLeavesTheLaterPartsTheirLines) {
    const std::string rule(75, '=');
    const struct {
        const char* what;
        const char* provider;
        const char* products; // what the product part shows after its heading
    } cases[] = {
        {"provider that fails", "New FailingProvider", ""},
        {"no provider at all", "GetObject(\"winmgmts:\\\\.\\root\\NoSuchNamespace\")", ""},
        // Every line the product could not give is left out, the rest stays.
        {"product with a name that cannot be written", "New OneProductProvider",
         "Caption: Alpha\nVersion: 1.0\n \n"},
    };
    for (const auto& c : cases) {
        const std::string out = runWithProductProvider(c.provider);
        const size_t products = out.find(rule + "\nInstalled Software using Windows Installer:\n \n \n");
        ASSERT_NE(products, std::string::npos) << c.what << "\n" << out;
        const size_t uninstall =
            out.find(rule + "\nInstalled Software whether or not by Windows Installer:\n \n", products);
        EXPECT_NE(uninstall, std::string::npos) << c.what << "\n" << out;
        EXPECT_NE(out.find(rule + "\nCodec Files:\n \n", uninstall), std::string::npos) << c.what << "\n"
                                                                                        << out;
        if (*c.products != 0) {
            EXPECT_NE(out.find(c.products, products), std::string::npos) << c.what << "\n" << out;
        }
    }
}

// The report's course with a scripted runner: heading and dump, two line
// ends, one script run (whose output lands in the report), the work file
// gone afterwards, the trailer.
struct AppPathsReport : ::testing::Test {
    TestContext context;
    std::string exchangePath;
    bool exchangeExisted = false;
    void SetUp() override {
        context.animating = true;
        context.fakeRunner().answer = [this](const FakeRunner::Call& call) {
            // The script names its work file in two lines: make it as the script would.
            const std::string marker = "CreateTextFile(\"";
            const size_t at = call.text.find(marker) + marker.size();
            exchangePath = call.text.substr(at, call.text.find('"', at) - at);
            writeFileBytes(exchangePath, "Caption: x\r\n");
            exchangeExisted = fileExists(exchangePath);
            return FakeRunner::Answer{"script output\n", 1};
        };
    }
};

TEST_F(AppPathsReport, HeadingDumpScriptTrailerInThisOrder) {
    writeAppPathsReport(context);
    ASSERT_EQ(context.fakeRunner().calls.size(), 1u);
    const FakeRunner::Call& call = context.fakeRunner().calls[0];
    EXPECT_EQ(call.mode, RunMode::Script);
    EXPECT_FALSE(call.probeOnly);
    std::string joined;
    for (const std::string& line : appPathsScriptLines(exchangePath, true))
        joined += line + "\n";
    std::string joinedOld;
    for (const std::string& line : appPathsScriptLines(exchangePath, false))
        joinedOld += line + "\n";
    EXPECT_TRUE(call.text == joined || call.text == joinedOld) << call.text;
    EXPECT_TRUE(scriptBuffer().empty()) << "the shared buffer is left empty";
    EXPECT_NE(exchangePath.find("korvexDlg32_temp_file."), std::string::npos) << exchangePath;
    EXPECT_TRUE(exchangeExisted);
    EXPECT_FALSE(fileExists(exchangePath)) << "the work file is deleted after the run";

    const std::string heading = "Microsoft Windows Application Path - keys and values from Registry:";
    RegKey appPaths;
    const bool keyThere = appPaths.open(HKEY_LOCAL_MACHINE,
                                        "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths", KEY_READ);
    EXPECT_EQ(context.report.rfind(heading, 0) == 0, keyThere) << context.report.substr(0, 200);
    const std::string tail = "\n\nscript output\n" + std::string(reportTrailer());
    ASSERT_GE(context.report.size(), tail.size());
    EXPECT_EQ(context.report.substr(context.report.size() - tail.size()), tail);
    EXPECT_EQ(context.steps, 3) << "frames at the start, before the script and after it";
    EXPECT_FALSE(context.animating);
}

// The whole report with the real runner and script host, from a work
// directory whose name a batch or script line could stumble over. The
// products part runs first: it must neither break on the path nor on an
// empty product list (Wine lists none).
bool anyWorkFileIn(const std::string& dir) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((dir + "korvexDlg32_*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return false;
    FindClose(find);
    return true;
}

TEST(AppPathsRun, EverySectionArrivesFromAWorkDirectoryWithQuoteAndAmpersand) {
    TempDir base;
    const std::string dir = base.file("it's a & b") + "\\";
    ASSERT_TRUE(CreateDirectoryA(dir.c_str(), nullptr));
    {
        const ScopedTemp temp(dir);
        TestContext context;
        context.commandRunner = std::make_unique<ProcessRunner>(context);
        writeAppPathsReport(context);
        const std::string rule(75, '=');
        size_t from = 0;
        for (const char* section :
             {"Installed Software using Windows Installer:\n \n \n",
              "Installed Software whether or not by Windows Installer:\n \n", "Codec Files:\n \n"}) {
            const size_t at = context.report.find(rule + "\n" + section, from);
            EXPECT_NE(at, std::string::npos) << section << "\n" << context.report.substr(from);
            if (at != std::string::npos) from = at;
        }
        const std::string trailer = reportTrailer();
        ASSERT_GE(context.report.size(), trailer.size());
        EXPECT_EQ(context.report.substr(context.report.size() - trailer.size()), trailer);
        EXPECT_FALSE(anyWorkFileIn(dir)) << "the product list and the runner's files are deleted";
    }
    RemoveDirectoryA(dir.c_str());
}

} // namespace
