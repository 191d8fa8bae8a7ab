#include "collect/wmi_runs.h"
#include "runner/command_runner.h"
#include "runner/script_buffer.h"
#include "runner/wmi_script.h"
#include "support/test_context.h"

#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

const std::string kSep =
    "Wscript.Echo \"===========================================================================\"";

TEST(WmiScript, StandardBlockWithHeaderAndEveryItemForm) {
    WmiBlock block;
    block.title = "Baseboard:";
    block.className = "Win32_BaseBoard";
    WmiItem each{WmiItem::Each, "Configuration Option", "ConfigOptions", "strOption", ""};
    WmiItem indexed{WmiItem::Indexed, "BIOS Characteristics", "BiosCharacteristics", "", ""};
    WmiItem tabs{WmiItem::TabList, "DCB", "DCB", "", ""};
    WmiItem arrow{WmiItem::Label, "External Clock", "ExtClock", "", ""};
    WmiItem longLine{WmiItem::Label, "Other Identifying Information", "OtherIdentifyingInfo", "", ""};
    block.items = {each, indexed, tabs, arrow, longLine};
    for (const WmiItem& item : labels({"Bus Number", "[blank]"}))
        block.items.push_back(item);
    const Lines expected = {
        "On Error Resume Next",
        "Wscript.Echo \" \"",
        kSep,
        "Wscript.Echo \"Baseboard:\"",
        "Wscript.Echo \" \"",
        "strComputer = \".\"",
        "Set objWMIService = GetObject(\"winmgmts:\" _",
        "    & \"{impersonationLevel=impersonate}!\\\\\" & strComputer & \"\\root\\cimv2\")",
        "Set colItems = objWMIService.ExecQuery(\"Select * from Win32_BaseBoard\")",
        "For Each objItem in colItems",
        "    For Each strOption in objItem.ConfigOptions",
        "        Wscript.Echo \"Configuration Option: \" & strOption",
        "    Next",
        "    blnIsArray = False",
        "    blnIsArray = IsArray(objItem.BiosCharacteristics)",
        "    If blnIsArray Then",
        "        For i = 0 to Ubound(objItem.BiosCharacteristics)",
        "            Wscript.Echo \"BIOS Characteristics: \" & objItem.BiosCharacteristics(i)",
        "        Next",
        "    End If",
        "    Wscript.Echo \"DCB: \"",
        "    For Each strElement in objItem.DCB",
        "        WScript.Echo vbTab & strElement",
        "    Next",
        "    Wscript.Echo \"External Clock: \" & objItem.ExtClock",
        "    Wscript.Echo \"Other Identifying Information: \" & _",
        "        objItem.OtherIdentifyingInfo",
        "    Wscript.Echo \"Bus Number: \" & objItem.BusNumber",
        "    Wscript.Echo",
        "Next",
    };
    EXPECT_EQ(blockLines(block), expected);
}

TEST(WmiScript, CatalogueNotationToItems) {
    const struct {
        std::string entry;
        WmiItem::Kind kind;
        std::string label, property, element;
    } cases[] = {
        {"Border Width", WmiItem::Label, "Border Width", "BorderWidth", ""},
        {"External Clock -> ExtClock", WmiItem::Label, "External Clock", "ExtClock", ""},
        {"Install Date", WmiItem::Label, "Install Date", "InstallDate", ""},
        {"Default", WmiItem::Label, "Default", "Default", ""},
        {"[blank]", WmiItem::Blank, "", "", ""},
        {"each Capabilities as Capability", WmiItem::Each, "Capability", "Capabilities", ""},
        {"each ConfigOptions as Configuration Option using strOption", WmiItem::Each, "Configuration Option",
         "ConfigOptions", "strOption"},
        {"each ConnectorPinout as Connector Pinout with blank", WmiItem::EachWithBlank, "Connector Pinout",
         "ConnectorPinout", ""},
        {"indexed BiosCharacteristics as BIOS Characteristics", WmiItem::Indexed, "BIOS Characteristics",
         "BiosCharacteristics", ""},
        {"bounded Capabilities as Capabilities", WmiItem::Bounded, "Capabilities", "Capabilities", ""},
        {"tab list DCB after DCB", WmiItem::TabList, "DCB", "DCB", ""},
        {"date DriverDate as Driver Date", WmiItem::DateVariable, "Driver Date", "DriverDate", ""},
    };
    for (const auto& c : cases) {
        const std::vector<WmiItem> items = labels({c.entry});
        ASSERT_EQ(items.size(), 1u);
        EXPECT_EQ(items[0].kind, c.kind) << c.entry;
        EXPECT_EQ(items[0].label, c.label) << c.entry;
        if (c.kind != WmiItem::Blank) {
            EXPECT_EQ(propertyOf(items[0]), c.property) << c.entry;
        }
        EXPECT_EQ(items[0].element, c.element) << c.entry;
    }
}

TEST(WmiScript, NoHeaderOneSpaceConnectionTwoLineQueryNamedVariables) {
    WmiBlock block;
    block.className = "Win32_BIOS";
    block.collection = "colBIOS";
    block.item = "objBIOS";
    block.loop = "For each";
    block.twoLineQuery = true;
    block.oneSpaceConnection = true;
    block.items = labels({"Build Number"});
    WmiItem dated{WmiItem::DateVariable, "Driver Date", "DriverDate", "", ""};
    block.items.push_back(dated);
    const Lines expected = {
        "On Error Resume Next",
        "strComputer = \".\"",
        "Set objWMIService = GetObject(\"winmgmts:\" _",
        " & \"{impersonationLevel=impersonate}!\\\\\" & strComputer & \"\\root\\cimv2\")",
        "Set colBIOS = objWMIService.ExecQuery _",
        "    (\"Select * from Win32_BIOS\")",
        "For each objBIOS in colBIOS",
        "    Wscript.Echo \"Build Number: \" & objBIOS.BuildNumber",
        "    dtmWMIDate = Null",
        "    strReturn = \"\"",
        "    dtmWMIDate = objBIOS.DriverDate",
        "    strReturn = WMIDateStringToDate(dtmWMIDate)",
        "    Wscript.Echo \"Driver Date: \" & strReturn",
        "Next",
    };
    EXPECT_EQ(blockLines(block), expected);
}

TEST(WmiScript, QueryWithWhereClauseInEitherForm) {
    WmiBlock block;
    block.className = "Win32_Service";
    block.where = "State <> 'Stopped'";
    block.collection = "colServices";
    block.item = "objService";
    Lines lines = blockLines(block);
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[4],
              "Set colServices = objWMIService.ExecQuery(\"Select * from Win32_Service Where State <> "
              "'Stopped'\")");
    block.twoLineQuery = true;
    lines = blockLines(block);
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[4], "Set colServices = objWMIService.ExecQuery _");
    EXPECT_EQ(lines[5], "    (\"Select * from Win32_Service Where State <> 'Stopped'\")");
    EXPECT_EQ(lines[6], "For Each objService in colServices");
    // A WQL string in quotation marks stays inside the script's literal.
    block.where = "Name = \"Spooler\"";
    EXPECT_EQ(blockLines(block)[5], "    (\"Select * from Win32_Service Where Name = \"\"Spooler\"\"\")");
}

TEST(WmiScript, PassThroughPiecesLineForLine) {
    const std::string path =
        "C:\\Documents and Settings\\A User\\Local Settings\\Temp\\korvexDlg32_temp_file.0123450.txt";
    const PassThroughFile log{PassThroughFile::AppendLog, path};
    EXPECT_EQ(passThroughOpenLines(log),
              (Lines{"Const ForAppending = 8", "Set objFSO = CreateObject(\"Scripting.FileSystemObject\")",
                     "Set objLogFile = objFSO.OpenTextFile(\"" + path + "\", _", "    ForAppending, True)"}));
    EXPECT_EQ(passThroughCloseLines(log), Lines{"objLogFile.Close"});
    const Lines readBack = {"Set objFSO = CreateObject(\"Scripting.FileSystemObject\")",
                            "Set objFile = objFSO.OpenTextFile(\"" + path + "\", 1)",
                            "strContents = objFile.ReadAll", "Wscript.Echo strContents"};
    EXPECT_EQ(passThroughReadBackLines(log), readBack);

    const PassThroughFile text{PassThroughFile::CreateText, path};
    EXPECT_EQ(passThroughOpenLines(text),
              (Lines{"Set objFSO = CreateObject(\"Scripting.FileSystemObject\")",
                     "Set objTextFile = objFSO.CreateTextFile(\"" + path + "\", True)"}));
    EXPECT_EQ(passThroughCloseLines(text), Lines{"objTextFile.Close"});
    EXPECT_EQ(passThroughReadBackLines(text), readBack);
}

TEST(WmiScript, PassThroughWriteLinesPerFileKind) {
    std::vector<WmiItem> items = {
        {WmiItem::Label, "Name", "", "", ""},
        {WmiItem::Label, "Service State", "State", "", ""},
        // Longer than an echo line may be: write lines are never split.
        {WmiItem::Label, "Can Interact with Desktop", "DesktopInteract", "", ""},
        {WmiItem::Blank, "", "", "", ""},
    };
    EXPECT_EQ(
        passThroughWriteLines({PassThroughFile::AppendLog, "x"}, "objService", items),
        (Lines{"    objLogFile.Writeline( \"Name: \" & objService.Name) ",
               "    objLogFile.Writeline( \"Service State: \" & objService.State) ",
               "    objLogFile.Writeline( \"Can Interact with Desktop: \" & objService.DesktopInteract) ",
               "    objLogFile.writeline"}));
    items[2] = {WmiItem::Label, "Identifying Number", "IdentifyingNumber", "", ""};
    EXPECT_EQ(passThroughWriteLines({PassThroughFile::CreateText, "x"}, "objSoftware", items),
              (Lines{"    objTextFile.WriteLine \"Name: \" & objSoftware.Name",
                     "    objTextFile.WriteLine \"Service State: \" & objSoftware.State",
                     "    objTextFile.WriteLine \"Identifying Number: \" & objSoftware.IdentifyingNumber",
                     "    objTextFile.WriteLine \" \" "}));
}

TEST(WmiScript, PassThroughItemsOfEveryFormGoToTheFileNotTheOutput) {
    const std::vector<WmiItem> items = {
        {WmiItem::Label, "A", "", "", ""},       {WmiItem::Blank, "", "", "", ""},
        {WmiItem::Each, "B", "", "strB", ""},    {WmiItem::Indexed, "C", "", "", ""},
        {WmiItem::TabList, "D", "", "", ""},     {WmiItem::DateInline, "E", "", "", ""},
        {WmiItem::DateVariable, "F", "", "", ""}};
    for (const auto kind : {PassThroughFile::AppendLog, PassThroughFile::CreateText}) {
        const std::string writer = kind == PassThroughFile::AppendLog ? "objLogFile." : "objTextFile.";
        int writes = 0;
        for (const std::string& line : passThroughWriteLines({kind, "x"}, "objItem", items)) {
            EXPECT_EQ(line.find("Echo"), std::string::npos) << line;
            if (line.find(writer) != std::string::npos) ++writes;
        }
        EXPECT_EQ(writes, 8) << writer << ": one per item, two for the tab list";
    }
}

TEST(WmiScript, PassThroughBlockAroundTheQuery) {
    WmiBlock block;
    block.title = "Service Properties:";
    block.repeatFirstBlank = true;
    block.className = "Win32_Service";
    block.collection = "colListOfServices";
    block.item = "objService";
    block.twoLineQuery = true;
    block.queryIndent = "        ";
    block.items = {{WmiItem::Label, "System Name", "SystemName", "", ""},
                   {WmiItem::Label, "Service State", "State", "", ""},
                   {WmiItem::Blank, "", "", "", ""}};
    const std::string path = "C:\\WINDOWS\\TEMP\\korvexDlg32_temp_file.0042170.txt";
    const Lines expected = {
        "On Error Resume Next",
        "Wscript.Echo \" \"",
        "Wscript.Echo \" \"",
        kSep,
        "Wscript.Echo \"Service Properties:\"",
        "Wscript.Echo \" \"",
        "Const ForAppending = 8",
        "Set objFSO = CreateObject(\"Scripting.FileSystemObject\")",
        "Set objLogFile = objFSO.OpenTextFile(\"" + path + "\", _",
        "    ForAppending, True)",
        "strComputer = \".\"",
        "Set objWMIService = GetObject(\"winmgmts:\" _",
        "    & \"{impersonationLevel=impersonate}!\\\\\" & strComputer & \"\\root\\cimv2\")",
        "Set colListOfServices = objWMIService.ExecQuery _",
        "        (\"Select * from Win32_Service\")",
        "For Each objService in colListOfServices",
        "    objLogFile.Writeline( \"System Name: \" & objService.SystemName) ",
        "    objLogFile.Writeline( \"Service State: \" & objService.State) ",
        "    objLogFile.writeline",
        "Next",
        "objLogFile.Close",
        "Set objFSO = CreateObject(\"Scripting.FileSystemObject\")",
        "Set objFile = objFSO.OpenTextFile(\"" + path + "\", 1)",
        "strContents = objFile.ReadAll",
        "Wscript.Echo strContents",
    };
    EXPECT_EQ(passThroughBlockLines(block, {PassThroughFile::AppendLog, path}), expected);
}

TEST(WmiScript, WorkFilePathCannotBreakTheStringLiteral) {
    const struct {
        std::string path;
        std::string literal; // between the quotation marks
    } cases[] = {
        {"C:\\Program Files\\My Temp\\f.txt", "C:\\Program Files\\My Temp\\f.txt"},
        {"C:\\a\"b\\f.txt", "C:\\a\"\"b\\f.txt"},
        {"\"C:\\x\", 1)\nWScript.Echo \"injected",
         "\"\"C:\\x\"\", 1)\" & Chr(10) & \"WScript.Echo \"\"injected"},
        {"C:\\%s%d%n\\f.txt", "C:\\%s%d%n\\f.txt"},
        {"a\r\tb", "a\" & Chr(13) & \"\" & Chr(9) & \"b"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(vbsStringContent(c.path), c.literal);
        const PassThroughFile log{PassThroughFile::AppendLog, c.path};
        EXPECT_EQ(passThroughOpenLines(log)[2],
                  "Set objLogFile = objFSO.OpenTextFile(\"" + c.literal + "\", _");
        EXPECT_EQ(passThroughReadBackLines(log)[1],
                  "Set objFile = objFSO.OpenTextFile(\"" + c.literal + "\", 1)");
        const PassThroughFile text{PassThroughFile::CreateText, c.path};
        EXPECT_EQ(passThroughOpenLines(text)[1],
                  "Set objTextFile = objFSO.CreateTextFile(\"" + c.literal + "\", True)");
        for (const std::string& line : passThroughOpenLines(log))
            EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << "a path never splits a script line";
    }
}

TEST(WmiScript, DateVariantsLineForLine) {
    EXPECT_EQ(
        dateFunctionLines(DateVariant::A),
        (Lines{"Function WMIDateStringToDate(dtmDate)",
               "WScript.Echo dtm: ", "\tWMIDateStringToDate = CDate(Mid(dtmDate, 5, 2) & \"/\" & _",
               "\tMid(dtmDate, 7, 2) & \"/\" & Left(dtmDate, 4) _",
               "\t& \" \" & Mid (dtmDate, 9, 2) & \":\" & Mid(dtmDate, 11, 2) & \":\" & Mid(dtmDate,13, 2))",
               "End Function"}));
    EXPECT_EQ(dateFunctionLines(DateVariant::B),
              (Lines{"Function WMIDateStringToDate(dtmWMIDate)", "    If Not IsNull(dtmWMIDate) Then",
                     "    WMIDateStringToDate = CDate(Mid(dtmWMIDate, 5, 2) & \"/\" & _",
                     "         Mid(dtmWMIDate, 7, 2) & \"/\" & Left(dtmWMIDate, 4) _",
                     "             & \" \" & Mid (dtmWMIDate, 9, 2) & \":\" & _",
                     "                 Mid(dtmWMIDate, 11, 2) & \":\" & Mid(dtmWMIDate,13, 2))", "    End If",
                     "End Function"}));
    const Lines c = dateFunctionLines(DateVariant::C);
    ASSERT_EQ(c.size(), 8u);
    const size_t indents[] = {8, 12, 16, 20};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(c[2 + i].find_first_not_of(' '), indents[i]) << c[2 + i];
        EXPECT_EQ(c[2 + i].substr(indents[i]),
                  dateFunctionLines(DateVariant::B)[2 + i].substr(
                      dateFunctionLines(DateVariant::B)[2 + i].find_first_not_of(' ')));
    }
    EXPECT_EQ(dateFunctionLines(DateVariant::D),
              (Lines{"Function WMIDateStringToDate(dtmDate)",
                     "    WMIDateStringToDate = CDate(Mid(dtmDate, 5, 2) & \"/\" & _",
                     "        Mid(dtmDate, 7, 2) & \"/\" & Left(dtmDate, 4) _",
                     "            & \" \" & Mid (dtmDate, 9, 2) & \":\" & _",
                     "                Mid(dtmDate, 11, 2) & \":\" & Mid(dtmDate, _",
                     "                    13, 2))", "End Function"}));
}

TEST(WmiScript, SecondConnectionForm) {
    WmiItem boot{WmiItem::Label, "BootDevice", "", "", ""};
    const Lines expected = {
        "On Error Resume Next",
        "Const wbemFlagReturnImmediately = &h10",
        "Const wbemFlagForwardOnly = &h20",
        "arrComputers = Array(\".\")",
        "For Each strComputer In arrComputers",
        "   Set objWMIService = GetObject(\"winmgmts:\\\\\" & strComputer & \"\\root\\CIMV2\")",
        "   Set colItems = objWMIService.ExecQuery(\"SELECT * FROM Win32_OperatingSystem\", \"WQL\", _",
        "                 wbemFlagReturnImmediately + wbemFlagForwardOnly)",
        "   For Each objItem In colItems",
        "      WScript.Echo \"BootDevice: \" & objItem.BootDevice",
        "   Next",
        "Next",
    };
    EXPECT_EQ(secondConnectionLines("Win32_OperatingSystem", {boot}), expected);
}

TEST(WmiScript, OperatingSystemRunBothForms) {
    const Lines shortRun = operatingSystemRunLines(false);
    EXPECT_NE(std::find(shortRun.begin(), shortRun.end(), "For Each objOS in colOSes"), shortRun.end());
    EXPECT_NE(
        std::find(shortRun.begin(), shortRun.end(), "    Wscript.Echo \"Caption: \" & objOS.Caption 'Name"),
        shortRun.end());
    EXPECT_EQ(shortRun[shortRun.size() - 2],
              "    Wscript.Echo \"Service Pack: \" & objOS.ServicePackMajorVersion & \".\" & "
              "objOS.ServicePackMinorVersion");
    const Lines longRun = operatingSystemRunLines(true);
    EXPECT_NE(std::find(longRun.begin(), longRun.end(),
                        "      WScript.Echo \"InstallDate: \" & WMIDateStringToDate(objItem.InstallDate)"),
              longRun.end());
    EXPECT_EQ(longRun.back(), "End Function");
}

TEST(ScriptBuffer, NeverOverflows) {
    ScriptBuffer buffer;
    const std::string line(1000, 'x');
    int appended = 0;
    while (buffer.appendLine(line))
        ++appended;
    EXPECT_EQ(appended, 32);
    EXPECT_LT(buffer.size(), ScriptBuffer::kBytes);
    EXPECT_TRUE(buffer.appendLine(std::string(ScriptBuffer::kBytes - buffer.size() - 2, 'y')));
    EXPECT_EQ(buffer.size(), ScriptBuffer::kBytes - 1);
    EXPECT_FALSE(buffer.appendLine(""));
    EXPECT_FALSE(buffer.append("z"));
}

TEST(WmiScript, BlockForAMissingClassYieldsOnlyItsHeader) {
    WmiBlock block;
    block.title = "NOPE:";
    block.className = "Win32_NoSuchClassAnywhere";
    block.items = labels({"Name", "[blank]"});
    ScriptBuffer& script = scriptBuffer();
    script.clear();
    ASSERT_TRUE(appendLines(script, blockLines(block)));
    TestContext context;
    EXPECT_EQ(ProcessRunner(context).run(script.text(), RunMode::Script), 1);
    EXPECT_EQ(context.report,
              " \n===========================================================================\nNOPE:\n \n");
}

TEST(WmiScript, OperatingSystemRunProducesItsLines) {
    ScriptBuffer& script = scriptBuffer();
    script.clear();
    ASSERT_TRUE(appendLines(script, operatingSystemRunLines(true)));
    TestContext context;
    EXPECT_EQ(ProcessRunner(context).run(script.text(), RunMode::Script), 1);
    EXPECT_NE(context.report.find("Caption: "), std::string::npos) << context.report;
    EXPECT_NE(context.report.find("BuildNumber: "), std::string::npos) << context.report;
}

} // namespace
