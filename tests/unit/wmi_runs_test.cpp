// The WMI runs of the common report as script text: blocks compared line for
// line, every run within the script buffer, and the step that refuses a run
// that would not fit.
#include "collect/common_report.h"
#include "collect/wmi_run_step.h"
#include "collect/wmi_runs.h"
#include "runner/script_buffer.h"
#include "runner/wmi_script.h"
#include "support/test_context.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

namespace {

using Lines = std::vector<std::string>;

const std::string kSep =
    "Wscript.Echo \"===========================================================================\"";
const std::string kConnect = "Set objWMIService = GetObject(\"winmgmts:\" _";
const std::string kMoniker =
    "    & \"{impersonationLevel=impersonate}!\\\\\" & strComputer & \"\\root\\cimv2\")";

Lines header(const std::string& title) {
    return {"On Error Resume Next", "Wscript.Echo \" \"", kSep, "Wscript.Echo \"" + title + "\"",
            "Wscript.Echo \" \""};
}

Lines operator+(Lines a, const Lines& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The lines of the block whose title line echoes `title`, from its "On Error
// Resume Next" up to the next block's (or the end of the script).
Lines blockOf(const Lines& run, const std::string& title) {
    const auto titleLine = std::find(run.begin(), run.end(), "Wscript.Echo \"" + title + "\"");
    if (titleLine == run.end()) return {};
    auto first = titleLine;
    while (first != run.begin() && *first != "On Error Resume Next")
        --first;
    const auto last = std::find(titleLine, run.end(), "On Error Resume Next");
    return Lines(first, last);
}

TEST(WmiRuns, PlainBlockLineForLine) {
    const Lines expected =
        header("All Environment Variables -> user details :") +
        Lines{"strComputer = \".\"",
              kConnect,
              kMoniker,
              "Set colItems = objWMIService.ExecQuery(\"Select * from Win32_Environment\")",
              "For Each objItem in colItems",
              "    Wscript.Echo",
              "    Wscript.Echo \"Description: \" & objItem.Description",
              "    Wscript.Echo \"Name: \" & objItem.Name",
              "    Wscript.Echo \"System Variable: \" & objItem.SystemVariable",
              "    Wscript.Echo \"User Name: \" & objItem.UserName",
              "    Wscript.Echo \"Variable Value: \" & objItem.VariableValue",
              "Next"};
    EXPECT_EQ(environmentRunLines(), expected);
}

TEST(WmiRuns, ArrowPropertiesNamedVariablesAndTheIndexedLoop) {
    const Lines expected =
        header("Computer Startup Options:") +
        Lines{"strComputer = \".\"", kConnect, kMoniker,
              "Set colStartupCommands = objWMIService.ExecQuery(\"Select * from Win32_ComputerSystem\")",
              "For Each objStartupCommand in colStartupCommands",
              // Lines too long for one are split after "& _".
              "    Wscript.Echo \"Reset Boot Enabled: \" & _",
              "        objStartupCommand.AutomaticResetBootOption",
              "    Wscript.Echo \"Reset Boot Possible: \" & _",
              "        objStartupCommand.AutomaticResetCapability",
              "    Wscript.Echo \"Boot State: \" & objStartupCommand.BootupState",
              "    Wscript.Echo \"Startup Delay: \" & objStartupCommand.SystemStartupDelay",
              // The loop only over an array: a failing bound would spin for ever.
              "    blnIsArray = False", "    blnIsArray = IsArray(objStartupCommand.SystemStartupOptions)",
              "    If blnIsArray Then", "        For i = 0 to Ubound(objStartupCommand.SystemStartupOptions)",
              "            Wscript.Echo \"Startup Options: \" & objStartupCommand.SystemStartupOptions(i)",
              "        Next", "    End If",
              "    Wscript.Echo \"Startup Setting: \" & objStartupCommand.SystemStartupSetting", "Next"};
    EXPECT_EQ(startupOptionsRunLines(), expected);
}

TEST(WmiRuns, EachLoopWithAndWithoutABlankBeforeEveryElement) {
    const Lines slots = blockOf(slotsRunLines(true), "System Slot:");
    ASSERT_GT(slots.size(), 14u);
    EXPECT_EQ(Lines(slots.begin() + 8, slots.begin() + 14),
              (Lines{"Set colItems = objWMIService.ExecQuery(\"Select * from Win32_SystemSlot\")",
                     "For Each objItem in colItems", "    For Each strElement in objItem.ConnectorPinout",
                     "        Wscript.Echo", "        Wscript.Echo \"Connector Pinout: \" & strElement",
                     "    Next"}));
    const Lines vcc = {"    For Each strElement in objItem.VccMixedVoltageSupport",
                       "        Wscript.Echo \"VCC Mixed Voltage Support: \" & strElement", "    Next"};
    EXPECT_NE(std::search(slots.begin(), slots.end(), vcc.begin(), vcc.end()), slots.end());
    const Lines baseboard = blockOf(processorRunLines(), "Baseboard:");
    const Lines options = {"For Each objItem in colItems", "    For Each strOption in objItem.ConfigOptions",
                           "        Wscript.Echo \"Configuration Option: \" & strOption", "    Next",
                           "    Wscript.Echo \"Depth: \" & objItem.Depth"};
    EXPECT_NE(std::search(baseboard.begin(), baseboard.end(), options.begin(), options.end()),
              baseboard.end());
}

TEST(WmiRuns, TabListAndDateThroughAVariableWithItsFunctionVariant) {
    const Lines battery = blockOf(slotsRunLines(false), "Battery:");
    const Lines tabs = {"    Wscript.Echo \"Power Management Capabilities: \"",
                        "    For Each strElement in objItem.PowerManagementCapabilities",
                        "        WScript.Echo vbTab & strElement",
                        "    Next",
                        "    Wscript.Echo \"Power Management Supported: \" & _",
                        "        objItem.PowerManagementSupported",
                        "    Wscript.Echo",
                        "Next"};
    ASSERT_GE(battery.size(), tabs.size());
    EXPECT_EQ(Lines(battery.end() - tabs.size(), battery.end()), tabs);

    // The portable battery's date, then the function in variant C right after the block.
    const Lines portable = blockOf(slotsRunLines(false), "Portable Battery:");
    const Lines dated = {"    Wscript.Echo \"Location: \" & objItem.Location",
                         "    dtmWMIDate = Null",
                         "    strReturn = \"\"",
                         "    dtmWMIDate = objItem.ManufactureDate",
                         "    strReturn = WMIDateStringToDate(dtmWMIDate)",
                         "    Wscript.Echo \"Manufacture Date: \" & strReturn",
                         "    Wscript.Echo \"Manufacturer: \" & objItem.Manufacturer"};
    EXPECT_NE(std::search(portable.begin(), portable.end(), dated.begin(), dated.end()), portable.end());
    const Lines tail = Lines{"    Wscript.Echo \"Smart Battery Version: \" & objItem.SmartBatteryVersion",
                             "    Wscript.Echo", "Next"} +
                       dateFunctionLines(DateVariant::C);
    ASSERT_GE(portable.size(), tail.size());
    EXPECT_EQ(Lines(portable.end() - tail.size(), portable.end()), tail);

    // The signed drivers' date through the variables, variant B after the block.
    const Lines signedDrivers = blockOf(devicesRunLines(true), "Plug and Play Signed Drivers:");
    const Lines driverDate = {
        "    dtmWMIDate = Null", "    strReturn = \"\"", "    dtmWMIDate = objItem.DriverDate",
        "    strReturn = WMIDateStringToDate(dtmWMIDate)", "    Wscript.Echo \"Driver Date: \" & strReturn"};
    EXPECT_NE(std::search(signedDrivers.begin(), signedDrivers.end(), driverDate.begin(), driverDate.end()),
              signedDrivers.end());
    const Lines variantB = dateFunctionLines(DateVariant::B);
    EXPECT_EQ(Lines(signedDrivers.end() - variantB.size(), signedDrivers.end()), variantB);
}

TEST(WmiRuns, DiskBlockWithTabsBoundedLoopAndTrailingBlanksOfItsQuery) {
    const Lines disks = diskDrivesRunLines();
    const Lines head =
        header("Physical Disk Description :") +
        Lines{"strComputer = \".\"",
              kConnect,
              kMoniker,
              "Set colDiskDrives = objWMIService.ExecQuery _    ",
              "    (\"Select * from Win32_DiskDrive\")",
              "For each objDiskDrive in colDiskDrives",
              "    Wscript.Echo",
              "    Wscript.Echo \"Bytes Per Sector: \" & vbTab &  objDiskDrive.BytesPerSector",
              "    blnIsArray = False",
              "    blnIsArray = IsArray(objDiskDrive.Capabilities)",
              "    If blnIsArray Then",
              "        For i = Lbound(objDiskDrive.Capabilities) to Ubound(objDiskDrive.Capabilities)",
              "            Wscript.Echo \"Capabilities: \" & vbTab &  objDiskDrive.Capabilities(i)",
              "        Next",
              "    End If",
              "    Wscript.Echo \"Caption: \" & vbTab &  objDiskDrive.Caption"};
    ASSERT_GE(disks.size(), head.size());
    EXPECT_EQ(Lines(disks.begin(), disks.begin() + head.size()), head);
    // A line too long for one is split after "& _", the tab going with the value.
    const Lines tail = {"    Wscript.Echo \"Total Tracks: \" & vbTab &  objDiskDrive.TotalTracks",
                        "    Wscript.Echo \"Tracks Per Cylinder: \" & _",
                        "        vbTab &  objDiskDrive.TracksPerCylinder", "Next"};
    EXPECT_EQ(Lines(disks.end() - tail.size(), disks.end()), tail);
}

TEST(WmiRuns, NtfsBlockWithItsFiveDecisions) {
    const std::string key = "HKLM\\System\\CurrentControlSet\\Control\\FileSystem";
    const Lines expected =
        header("NTFS:") +
        Lines{"Set objShell = WScript.CreateObject(\"WScript.Shell\")",
              "strRegKey = Null",
              "strRegKey = objShell.RegRead(\"" + key + "\" & \"\\NtfsDisable8dot3NameCreation\")",
              "If IsNull(strRegKey) Then",
              "    Wscript.Echo \"No value set for disabling 8.3 file name creation.\"",
              "ElseIf strRegKey = 1 Then",
              "    Wscript.Echo \"No 8.3 file names will be created for new files.\"",
              "ElseIf strRegKey = 0 Then",
              "    Wscript.Echo \"8.3 file names will be created for new files.\"",
              "End If",
              "strRegKey = Null",
              "strRegKey = objShell.RegRead(\"" + key + "\" & \"\\NtfsAllowExtendedCharacterIn8Dot3Name\")",
              "If IsNull(strRegKey) Then",
              "    Wscript.Echo \"No value set for allowing extended characters in \" _",
              "        & \" 8.3 file names.\"",
              "ElseIf strRegKey = 1 Then",
              "    Wscript.Echo \"Extended characters are permitted in 8.3 file names.\"",
              "ElseIf strRegKey = 0 Then",
              "    Wscript.Echo \"Extended characters not permitted in 8.3 file names.\"",
              "End If",
              "strRegKey = Null",
              "strRegKey = objShell.RegRead(\"" + key + "\" & \"\\NtfsMftZoneReservation\")",
              "If IsNull(strRegKey) Then",
              "    Wscript.Echo \"No value set for reserving the MFT zone.\"",
              "ElseIf strRegKey = 1 Then",
              "    Wscript.Echo \"One-eighth of the disk has been reserved for the MFT zone.\"",
              "ElseIf strRegKey = 2 Then",
              "    Wscript.Echo \"One-fourth of the disk reserved for the MFT zone.\"",
              "ElseIf strRegKey = 3 Then",
              "    Wscript.Echo \"Three-eighths of the disk reserved for the MFT zone.\"",
              "ElseIf strRegKey = 4 Then",
              "    Wscript.Echo \"One half of the disk reserved for the MFT zone.\"",
              "End If",
              "strRegKey = Null",
              "strRegKey = objShell.RegRead(\"" + key + "\" & \"\\NtfsDisableLastAccessUpdate\")",
              "If IsNull(strRegKey) Then",
              "    Wscript.Echo \"No value set for disabling the last access update \" _",
              "        & \"for files and folder.\"",
              "ElseIf strRegKey = 1 Then",
              "    Wscript.Echo \"The last access timestamp will not be updated on files \" _",
              "        & \"and folders.\"",
              "ElseIf strRegKey = 0 Then",
              "    Wscript.Echo \"The last access timestamp updated on files and \" _",
              "        & \"folders.\"",
              "End If",
              "strRegKey = Null",
              "strRegKey = objShell.RegRead(\"" + key + "\\Win31FileSystem\")",
              "If IsNull(strRegKey) Then",
              "    Wscript.Echo \"No value set for using long file names and \" _",
              "        & \"timestamps.\"",
              "ElseIf strRegKey = 1 Then",
              "    Wscript.Echo \"Long file names and extended timestamps are used.\"",
              "ElseIf strRegKey = 0 Then",
              "    Wscript.Echo \"Long file names and extended timestamps are not used.\"",
              "End If"};
    EXPECT_EQ(ntfsBlockLines(), expected);
    EXPECT_EQ(blockOf(controllersRunLines(), "NTFS:"), expected);
}

TEST(WmiRuns, AdapterTypeIdInWordsBetweenAdapterTypeAndAutoSense) {
    const char* const texts[] = {"Ethernet 802.3",
                                 "Token Ring 802.5",
                                 "Fiber Distributed Data Interface (FDDI)",
                                 "Wide Area Network (WAN)",
                                 "LocalTalk",
                                 "Ethernet using DIX header format",
                                 "ARCNET",
                                 "ARCNET (878.2)",
                                 "ATM",
                                 "Wireless",
                                 "Infrared Wireless",
                                 "Bpc",
                                 "CoWan",
                                 "1394"};
    Lines expected = {"For Each objItem in colItems", "    Wscript.Echo",
                      "    Wscript.Echo \"Adapter Type: \" & objItem.AdapterType",
                      "    strAdapterType = \"\"", "    Select Case objItem.AdapterTypeID"};
    for (int id = 0; id < 14; ++id) {
        expected.push_back("        Case " + std::to_string(id));
        expected.push_back("            strAdapterType = \"" + std::string(texts[id]) + "\"");
    }
    expected = expected + Lines{"    End Select", "    Wscript.Echo \"Adapter Type Id: \" & strAdapterType",
                                "    Wscript.Echo \"AutoSense: \" & objItem.AutoSense"};
    const Lines run = networkAdaptersRunLines();
    ASSERT_EQ(blockOf(run, "Network Adapter Properties:"), run);
    const auto loop = std::find(run.begin(), run.end(), "For Each objItem in colItems");
    ASSERT_LE(static_cast<size_t>(run.end() - loop), run.size());
    ASSERT_GE(static_cast<size_t>(run.end() - loop), expected.size());
    EXPECT_EQ(Lines(loop, loop + expected.size()), expected);
    EXPECT_EQ(run.back(), "Next");
    EXPECT_EQ(run[run.size() - 2], "    Wscript.Echo \"Speed: \" & objItem.Speed");
}

const Lines kTaskListHead = header("Tasklist - Processes and Threads:") +
                            Lines{"Set objDictionary = CreateObject(\"Scripting.Dictionary\")",
                                  "strComputer = \".\"",
                                  kConnect,
                                  kMoniker,
                                  "Set colProcessList = objWMIService.ExecQuery _",
                                  " (\"SELECT * FROM Win32_Process\")",
                                  "For Each objProcess in colProcessList",
                                  "    Wscript.Echo \" \"",
                                  "    Wscript.Echo \"Process: \" & objProcess.Name",
                                  "    Wscript.Echo \"Process ID: \" & objProcess.ProcessID",
                                  "    Wscript.Echo \"Page File Size: \" & objProcess.PageFileUsage",
                                  "    Wscript.Echo \"Page Faults: \" & objProcess.PageFaults",
                                  "    Wscript.Echo \"Working Set Size: \" & objProcess.WorkingSetSize"};
const Lines kOwner = {"    strNameOfUser = \"\"", "    strUserDomain = \"\"",
                      "    colProperties = objProcess.GetOwner(strNameOfUser,strUserDomain)",
                      "    Wscript.Echo \"Process \" & objProcess.Name & \" is owned by \" _",
                      "        & strUserDomain & \"\\\" & strNameOfUser & \".\""};
const Lines kThreadHead = {
    "    var = 0",
    "    Set colThreads = objWMIService.ExecQuery _",
    "        (\"SELECT * FROM Win32_Thread\")",
    "    For Each objThread in colThreads",
    "        strThread = objDictionary.Item(objThread.Handle)",
    "        blnOwnThread = False",
    "        blnOwnThread = (CLng(objThread.ProcessHandle) = CLng(objProcess.ProcessID))",
    "        If blnOwnThread Then",
    "            var =  var + 1",
    "            Wscript.Echo \"Thread Count \" & var & \".  \" & objProcess.Name _"};
const Lines kThreadTail = {"        End If", "    Next", "Next"};

TEST(WmiRuns, TaskListRunLineForLine) {
    const Lines expected =
        kTaskListHead +
        Lines{"    Wscript.Echo \"Priority: \" & objProcess.Priority",
              "    Wscript.Echo \"Full Path:  \" & objProcess.ExecutablePath",
              "    Wscript.Echo \"KernelModeTime: \" & objProcess.KernelModeTime"} +
        kOwner +
        Lines{
            "    Set colServices = objWMIService.ExecQuery _",
            "        (\"Select * from Win32_Service Where ProcessID = '\" & _",
            "        objProcess.ProcessID & \"'\")",
            "    For Each objService in colServices",
            "        Wscript.Echo VbTab & \"\tWindows System SERVICE Action for \" & objService.DisplayName",
            "    Next"} +
        kThreadHead +
        Lines{"                & \" Thread Handle: \" & objThread.Handle & \", Priority: "
              "\" & objThread.Priority"} +
        kThreadTail;
    EXPECT_EQ(taskListRunLines(), expected);
}

TEST(WmiRuns, CountRunIsTheTaskListWithoutPriorityPathTimesServicesAndThreadPriority) {
    const Lines expected = kTaskListHead + kOwner + kThreadHead +
                           Lines{"                & \" Thread Handle: \" & objThread.Handle"} + kThreadTail;
    EXPECT_EQ(processCountRunLines(), expected);
}

TEST(WmiRuns, TablesInReportOrderWithTheirRowsAndModes) {
    const struct {
        char letter;
        int row;
        RunMode mode;
    } expected[] = {{'A', 8, RunMode::Script},
                    {'B', 10, RunMode::Script},
                    {'C', 11, RunMode::Script},
                    {'D', 12, RunMode::Script},
                    {'E', 14, RunMode::Script},
                    {'F', 15, RunMode::Script},
                    {'G', 17, RunMode::Script},
                    {'H', 20, RunMode::Script},
                    {'I', 22, RunMode::Script},
                    {'J', 23, RunMode::Script},
                    {'K', 25, RunMode::Script},
                    {'L', 27, RunMode::Script},
                    {'M', 34, RunMode::Script},
                    {'N', 37, RunMode::ScriptCapture},
                    {'O', 42, RunMode::Script},
                    {'P', 44, RunMode::Script},
                    {'Q', 49, RunMode::ScriptCountInstances}};
    for (size_t i = 0; i < 17; ++i) {
        EXPECT_EQ(kWmiRuns[i].letter, expected[i].letter);
        EXPECT_EQ(kWmiRuns[i].row, expected[i].row) << kWmiRuns[i].letter;
        EXPECT_EQ(kWmiRuns[i].mode, expected[i].mode) << kWmiRuns[i].letter;
        EXPECT_EQ(&wmiRun(expected[i].letter), &kWmiRuns[i]);
    }
}

// Which titles each run echoes, before XP and from XP on.
TEST(WmiRuns, PrinterAndSignedDriverBlocksOnlyFromXpOn) {
    for (bool newer : {false, true}) {
        const Lines devices = devicesRunLines(newer);
        const Lines slots = slotsRunLines(newer);
        const auto has = [](const Lines& lines, const std::string& title) {
            return std::count(lines.begin(), lines.end(), "Wscript.Echo \"" + title + "\"") == 1;
        };
        EXPECT_EQ(has(devices, "Plug and Play Signed Drivers:"), newer);
        EXPECT_EQ(has(slots, "Printer Connections:"), newer);
        EXPECT_EQ(has(slots, "Printer Drivers:"), newer);
        EXPECT_TRUE(has(devices, "Sound Card:"));
        EXPECT_TRUE(has(slots, "Portable Battery:"));
        EXPECT_EQ(std::count(devices.begin(), devices.end(), "On Error Resume Next"), newer ? 6 : 5);
        EXPECT_EQ(std::count(slots.begin(), slots.end(), "On Error Resume Next"), newer ? 6 : 4);
    }
    const Lines shortForm = operatingSystemRunLines(false);
    const Lines longForm = operatingSystemRunLines(true);
    EXPECT_EQ(shortForm.front(), "On Error Resume Next");
    EXPECT_EQ(shortForm[5], "For Each objOS in colOSes");
    // The long form opens with "On Error Resume Next" too: without it the
    // first property the system lacks ended the script.
    ASSERT_GE(longForm.size(), 3u);
    EXPECT_EQ(longForm[0], "On Error Resume Next");
    EXPECT_EQ(longForm[1], "Const wbemFlagReturnImmediately = &h10");
    EXPECT_EQ(std::count_if(longForm.begin(), longForm.end(),
                            [](const std::string& l) { return l.rfind("      WScript.Echo \"", 0) == 0; }),
              53);
}

TEST(WmiRuns, EveryRunFitsTheScriptBuffer) {
    size_t largest = 0;
    char largestRun = ' ';
    for (const WmiRun& run : kWmiRuns) {
        for (bool newer : {false, true}) {
            ScriptBuffer buffer;
            EXPECT_TRUE(appendLines(buffer, run.lines(newer))) << run.letter << " newer=" << newer;
            if (buffer.size() > largest) {
                largest = buffer.size();
                largestRun = run.letter;
            }
        }
    }
    std::printf("largest WMI run: %c, %zu of %zu bytes\n", largestRun, largest, ScriptBuffer::kBytes);
    EXPECT_GT(largest, 0u);
    // Each run is kept under 10,000 bytes, well inside the buffer: room for
    // longer paths and names in the pass-through blocks of other tasks.
    EXPECT_LT(largest, 10000u);
}

struct RunStep : ::testing::Test {
    TestContext context;
    CommonReport report{context};
};

TEST_F(RunStep, AScriptThatDoesNotFitIsNotRunAndTheReportNamesTheRun) {
    const WmiRun& run = wmiRun('F');
    Lines lines = run.lines(true);
    const Lines tooMuch(40, "' " + std::string(1000, 'x'));
    lines.insert(lines.end(), tooMuch.begin(), tooMuch.end());
    EXPECT_TRUE(runWmiLines(report, run, lines));
    EXPECT_TRUE(context.fakeRunner().calls.empty());
    EXPECT_EQ(context.report,
              "\nWMI run left out (video): its script does not fit the 32768-byte script buffer.\n");
    EXPECT_TRUE(scriptBuffer().empty());
    // The next run is whole again.
    EXPECT_TRUE(runWmi(report, wmiRun('G')));
    ASSERT_EQ(context.fakeRunner().calls.size(), 1u);
    const Lines memory = memoryRunLines();
    std::string script;
    for (const std::string& line : memory)
        script += line + "\n";
    EXPECT_EQ(context.fakeRunner().calls[0].text, script);
}

TEST_F(RunStep, LeadFirstThenTheRunAndAHaltAfterTheLeadStopsIt) {
    context.fakeRunner().answer = [](const FakeRunner::Call&) { return FakeRunner::Answer{"<out>"}; };
    EXPECT_TRUE(runWmi(report, wmiRun('B')));
    EXPECT_EQ(context.report, "\n" + std::string(75, '=') + "\nDesktop Settings:<out>");
    context.report.clear();
    // The halt comes with the step after the lead.
    context.haltAfterSteps = context.steps + 1;
    EXPECT_FALSE(runWmi(report, wmiRun('C')));
    EXPECT_EQ(context.report, "\n" + std::string(75, '=') + "\nIRQ Settings:\n");
    EXPECT_EQ(context.fakeRunner().calls.size(), 1u);
    // A halt already raised: neither the lead nor the run.
    context.report.clear();
    EXPECT_FALSE(runWmi(report, wmiRun('B')));
    EXPECT_EQ(context.report, "");
    EXPECT_EQ(context.fakeRunner().calls.size(), 1u);
}

TEST_F(RunStep, TaskListCaptureMovesIntoTheReportAndReplacesAnEarlierOne) {
    context.fakeRunner().answer = [](const FakeRunner::Call& call) {
        EXPECT_EQ(call.mode, RunMode::ScriptCapture);
        return FakeRunner::Answer{" \nProcess: a.exe\nProcess ID: 4\n"};
    };
    report.holder.captureText = "left from before\n";
    EXPECT_TRUE(runWmi(report, wmiRun('N')));
    EXPECT_EQ(report.capturedTaskList, " \nProcess: a.exe\nProcess ID: 4\n");
    EXPECT_TRUE(report.holder.captureText.empty());
    EXPECT_EQ(context.report, "");
}

TEST(WmiCatalogue, EveryWmiRowRunsItsRunInReportOrder) {
    TestContext context;
    context.fakeRunner().answer = [](const FakeRunner::Call& call) {
        if (call.mode == RunMode::ScriptCapture) return FakeRunner::Answer{" \nProcess: x.exe\n"};
        return FakeRunner::Answer{""};
    };
    CommonReport report(context);
    std::vector<int> rows;
    std::vector<size_t> callsBefore;
    writeCommonReport(report, [&](int row) {
        rows.push_back(row);
        callsBefore.push_back(context.fakeRunner().calls.size());
    });
    ASSERT_EQ(rows.size(), 49u);
    callsBefore.push_back(context.fakeRunner().calls.size());
    for (const WmiRun& run : kWmiRuns) {
        // The row's calls: its script, and nothing else.
        const size_t first = callsBefore[run.row - 1];
        ASSERT_EQ(callsBefore[run.row], first + 1) << "row " << run.row;
        const FakeRunner::Call& call = context.fakeRunner().calls[first];
        EXPECT_EQ(call.mode, run.mode) << run.letter;
        std::string script;
        for (const std::string& line : run.lines(report.newerWindows))
            script += line + "\n";
        EXPECT_EQ(call.text, script) << run.letter;
    }
    // Row 39 has turned the capture into the process blocks.
    EXPECT_TRUE(report.capturedTaskList.empty());
    EXPECT_NE(context.report.find("Process: x.exe\n"), std::string::npos);
}

} // namespace
