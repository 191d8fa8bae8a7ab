#include "services_report.h"

#include "registry/registry_dumper.h"
#include "report/report_view.h"
#include "report/task_context.h"
#include "report/work_file.h"
#include "runner/command_runner.h"
#include "runner/script_buffer.h"
#include "runner/wmi_script.h"

namespace {

const char* const kServicesPath = "SYSTEM\\CurrentControlSet\\Services";
const char* const kRegistryLead = " Services in CurrentControlSet:\r\n";
const char* const kNoMemoryTitle = "Dynamic Memory Allocation problem";
const char* const kCannotOpen = "There is not enough memory to complete the operation";
const char* const kNoBuffers = "There is not Enough memory to complete the operation";

const char* const kSeparator =
    "Wscript.Echo \"===========================================================================\"";
const char* const kConnection[] = {
    "strComputer = \".\"",
    "Set objWMIService = GetObject(\"winmgmts:\" _",
    "    & \"{impersonationLevel=impersonate}!\\\\\" & strComputer & \"\\root\\cimv2\")",
};

struct CatalogCounter {
    const char* label;
    const char* property;
    bool split; // the property goes on a line of its own
};

// What the Indexing Service's catalog tells while the service runs.
const CatalogCounter kCatalogCounters[] = {
    {"Is stopped", "IsCatalogStopped", false},
    {"Is paused", "IsCatalogPaused", false},
    {"Is running", "IsCatalogRunning", false},
    {"Delayed filter count", "DelayedFilterCount", false},
    {"Documents to filter", "DocumentsToFilter", false},
    {"Filtered document count", "FilteredDocumentCount", true},
    {"Fresh test count", "FreshTestCount", false},
    {"Index size", "IndexSize", false},
    {"Percent merge complete", "PctMergeComplete", false},
    {"Pending scan count", "PendingScanCount", false},
    {"Persistent index count", "PersistentIndexCount", true},
    {"Query count", "QueryCount", false},
    {"State info", "StateInfo", false},
    {"Total document count", "TotalDocumentCount", false},
    {"Unique key count", "UniqueKeyCount", false},
    {"Word list count", "WordListCount", false},
};

void add(std::vector<std::string>& out, std::initializer_list<const char*> lines) {
    out.insert(out.end(), lines.begin(), lines.end());
}

void addConnection(std::vector<std::string>& out) {
    out.insert(out.end(), std::begin(kConnection), std::end(kConnection));
}

// The end of a task that cannot show its registry part: the user is told
// (unless that has been done), and the window is left as if nothing had run.
void giveUp(TaskContext& context, const char* message) {
    if (message != nullptr) context.tell(message, kNoMemoryTitle);
    context.status().setStatus(" ");
    context.showLive("");
    context.animate(false);
}

// The script's blocks into the shared buffer; false when they do not fit
// (the buffer is then left empty: no half script is ever run).
bool assembleScript(const std::string& serviceLogPath) {
    ScriptBuffer& buffer = scriptBuffer();
    // Whatever an earlier run that failed on its way left there is not ours.
    buffer.clear();
    const bool fits = appendLines(buffer, servicePropertiesLines(serviceLogPath)) &&
                      appendLines(buffer, serviceStatusLines()) &&
                      appendLines(buffer, serviceProcessesLines());
    if (!fits) buffer.clear();
    return fits;
}

struct RemovedAtEnd {
    const std::string& path;
    TaskContext& context;
    // After a halt the script that writes it may still be ending.
    ~RemovedAtEnd() {
        if (!path.empty()) removeWorkFile(path, context.haltRequested() ? workfile::kHaltedRunPatienceMs : 0);
    }
};

} // namespace

std::vector<std::string> servicePropertiesLines(const std::string& serviceLogPath) {
    WmiBlock block;
    block.title = "Service Properties:";
    block.repeatFirstBlank = true;
    block.className = "Win32_Service";
    block.collection = "colListOfServices";
    block.item = "objService";
    block.twoLineQuery = true;
    block.queryIndent = "        ";
    block.items = {
        {WmiItem::Label, "System Name", "SystemName", "", ""},
        {WmiItem::Label, "Name", "Name", "", ""},
        {WmiItem::Label, "Service Type", "ServiceType", "", ""},
        {WmiItem::Label, "Service State", "State", "", ""},
        {WmiItem::Label, "ExitCode", "ExitCode", "", ""},
        {WmiItem::Label, "Process ID", "ProcessID", "", ""},
        {WmiItem::Label, "Can Be Paused", "AcceptPause", "", ""},
        {WmiItem::Label, "Can Be Stopped", "AcceptStop", "", ""},
        {WmiItem::Label, "Caption", "Caption", "", ""},
        {WmiItem::Label, "Description", "Description", "", ""},
        {WmiItem::Label, "Can Interact with Desktop", "DesktopInteract", "", ""},
        {WmiItem::Label, "Display Name", "DisplayName", "", ""},
        {WmiItem::Label, "Error Control", "ErrorControl", "", ""},
        {WmiItem::Label, "Executable Path Name", "PathName", "", ""},
        {WmiItem::Label, "Service Started", "Started", "", ""},
        {WmiItem::Label, "Start Mode", "StartMode", "", ""},
        {WmiItem::Label, "Account Name", "StartName", "", ""},
        {WmiItem::Blank, "", "", "", ""},
    };
    PassThroughFile log;
    log.kind = PassThroughFile::AppendLog;
    log.path = serviceLogPath;
    return passThroughBlockLines(block, log);
}

std::vector<std::string> serviceStatusLines() {
    std::vector<std::string> out;
    add(out, {"On Error Resume Next", "Wscript.Echo \" \"", kSeparator, "Wscript.Echo \" \"",
              "Wscript.Echo \"Service Status:\"", "Wscript.Echo \" \""});
    addConnection(out);
    add(out, {"Set colRunningServices = objWMIService.ExecQuery(\"Select * from Win32_Service\")",
              "For Each objService in colRunningServices ",
              "    Wscript.Echo objService.DisplayName  & \":   \"  & objService.State", "Wscript.Echo \" \"",
              "Next"});
    return out;
}

std::vector<std::string> serviceProcessesLines() {
    std::vector<std::string> out;
    add(out, {"On Error Resume Next", "Wscript.Echo \" \"", kSeparator, "Wscript.Echo \" \"",
              "Wscript.Echo \"Running Service Processes:\"", "Wscript.Echo \" \""});
    // The Indexing Service's catalog, where one is configured.
    add(out,
        {"Set objAdminIS = CreateObject(\"Microsoft.ISAdm\")", "objCatalog = objAdminIS.FindFirstCatalog()",
         "If (objCatalog) Then", "    Set objCatAdm = objAdminIS.GetCatalog()",
         "    Wscript.Echo \"Catalog location: \" & objCatAdm.CatalogLocation",
         "    Wscript.Echo \"Catalog name: \" & objCatAdm.CatalogName",
         "    If (objAdminIS.IsRunning) Then "});
    for (const CatalogCounter& counter : kCatalogCounters) {
        const std::string echo = std::string("        Wscript.Echo \"") + counter.label + ": \" & ";
        const std::string value = std::string("objCatAdm.") + counter.property;
        if (counter.split) {
            out.push_back(echo + "_");
            out.push_back("            " + value);
        } else {
            out.push_back(echo + value);
        }
    }
    add(out, {"    End If ", "End If"});
    // One group per process that hosts services which are not stopped.
    add(out, {"Set objIdDictionary = CreateObject(\"Scripting.Dictionary\")"});
    addConnection(out);
    add(out, {"Set colServices = objWMIService.ExecQuery _",
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
              "Next"});
    return out;
}

void writeServicesReport(TaskContext& context, HKEY servicesKey) {
    // With no name of its own for the script's log, the report goes without
    // the script's part, as when the script fails.
    const ClaimedName log = claimWorkFileName(workfile::kExchange);
    writeServicesReport(context, servicesKey, log.created() ? log.path : std::string());
}

void writeServicesReport(TaskContext& context, HKEY servicesKey, const std::string& serviceLogPath) {
    // Made (empty) as its name was drawn, so it goes on every way out. When
    // the script ran, the script host has ended (or was ended by a halt) by
    // then: the log is free, also when memory ran out on the way.
    const RemovedAtEnd log{serviceLogPath, context};
    // The registry part goes to a work file and is shown whole: appended
    // piece by piece, the view would repaint for every line of the dump.
    if (!context.beginReportFile()) {
        giveUp(context, nullptr);
        return;
    }
    WalkState walk;
    walk.showProgress = true;
    walk.servicesMode = true;
    RegistryDumper(context, walk).walk(HKEY_LOCAL_MACHINE, servicesKey, kServicesPath, "");
    if (context.haltRequested()) {
        // Clear or Close: nothing of the task is shown and no file stays.
        context.dropReportFile();
        return;
    }
    switch (context.showReportFile(kRegistryLead)) {
    case TaskContext::FileShown::Shown:
        break;
    case TaskContext::FileShown::CannotOpen:
        giveUp(context, kCannotOpen);
        return;
    case TaskContext::FileShown::NoMemory:
        giveUp(context, kNoBuffers);
        return;
    case TaskContext::FileShown::WritesLost:
        giveUp(context, nullptr);
        return;
    }
    // From here on the report is appended to the view as it arrives.
    if (!context.haltRequested() && !serviceLogPath.empty() && assembleScript(serviceLogPath))
        context.runner().run(scriptBuffer().text(), RunMode::Script);
    context.status().setStatus(" ");
    context.animate(false);
}
