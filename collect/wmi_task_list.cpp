// The task-list block: every process with its owner, its services and its
// threads. Run N captures it for the process sections; run Q, a reduced
// form, only lets the runner count the copies of this program.
#include "wmi_block_data.h"
#include "wmi_runs.h"

using wmidata::add;

namespace {

enum class TaskListForm { Full, Count };

WmiBlock processBlock() {
    WmiBlock block;
    block.title = "Tasklist - Processes and Threads:";
    block.className = "Win32_Process";
    block.collection = "colProcessList";
    block.item = "objProcess";
    return block;
}

ScriptLines taskListLines(TaskListForm form) {
    const bool full = form == TaskListForm::Full;
    const WmiBlock block = processBlock();
    ScriptLines lines = headerLines(block);
    lines.push_back("Set objDictionary = CreateObject(\"Scripting.Dictionary\")");
    lines.push_back("strComputer = \".\"");
    lines.push_back("Set objWMIService = GetObject(\"winmgmts:\" _");
    lines.push_back("    & \"{impersonationLevel=impersonate}!\\\\\" & strComputer & \"\\root\\cimv2\")");
    lines.push_back("Set colProcessList = objWMIService.ExecQuery _");
    lines.push_back(" (\"SELECT * FROM Win32_Process\")");
    lines.push_back("For Each objProcess in colProcessList");
    // The line holding one blank starts a process for the readers of the list.
    lines.push_back("    Wscript.Echo \" \"");
    add(lines, itemLines(block, labels({"Process -> Name", "Process ID", "Page File Size -> PageFileUsage",
                                        "Page Faults", "Working Set Size"})));
    if (full) {
        add(lines, itemLines(block, labels({"Priority"})));
        lines.push_back("    Wscript.Echo \"Full Path:  \" & objProcess.ExecutablePath");
        add(lines, itemLines(block, labels({"KernelModeTime"})));
    }
    // A process whose owner cannot be read must not show the owner of the one before.
    lines.push_back("    strNameOfUser = \"\"");
    lines.push_back("    strUserDomain = \"\"");
    lines.push_back("    colProperties = objProcess.GetOwner(strNameOfUser,strUserDomain)");
    lines.push_back("    Wscript.Echo \"Process \" & objProcess.Name & \" is owned by \" _");
    lines.push_back("        & strUserDomain & \"\\\" & strNameOfUser & \".\"");
    if (full) {
        // The services this process hosts. (A loop "For i = 0 to
        // objIdDictionary.Count - 1" around this query named an object the
        // script never makes; under "On Error Resume Next" the script host
        // can spin on such a loop for ever, and the report would never end.)
        lines.push_back("    Set colServices = objWMIService.ExecQuery _");
        lines.push_back("        (\"Select * from Win32_Service Where ProcessID = '\" & _");
        lines.push_back("        objProcess.ProcessID & \"'\")");
        lines.push_back("    For Each objService in colServices");
        lines.push_back("        Wscript.Echo VbTab & \"\tWindows System SERVICE Action for \" & "
                        "objService.DisplayName");
        lines.push_back("    Next");
    }
    lines.push_back("    var = 0");
    lines.push_back("    Set colThreads = objWMIService.ExecQuery _");
    lines.push_back("        (\"SELECT * FROM Win32_Thread\")");
    lines.push_back("    For Each objThread in colThreads");
    lines.push_back("        strThread = objDictionary.Item(objThread.Handle)");
    // Under "On Error Resume Next" a condition that fails runs its Then
    // branch, so the comparison is made beforehand: a failing one leaves the
    // flag False. CLng, not CInt: process ids above 32767 overflow CInt, and
    // every thread of the system would have been counted for such a process.
    lines.push_back("        blnOwnThread = False");
    lines.push_back("        blnOwnThread = (CLng(objThread.ProcessHandle) = CLng(objProcess.ProcessID))");
    lines.push_back("        If blnOwnThread Then");
    lines.push_back("            var =  var + 1");
    lines.push_back("            Wscript.Echo \"Thread Count \" & var & \".  \" & objProcess.Name _");
    if (full)
        lines.push_back("                & \" Thread Handle: \" & objThread.Handle & \", Priority: \" & "
                        "objThread.Priority");
    else
        lines.push_back("                & \" Thread Handle: \" & objThread.Handle");
    lines.push_back("        End If");
    lines.push_back("    Next");
    lines.push_back("Next");
    return lines;
}

} // namespace

ScriptLines taskListRunLines() {
    return taskListLines(TaskListForm::Full);
}

ScriptLines processCountRunLines() {
    return taskListLines(TaskListForm::Count);
}
