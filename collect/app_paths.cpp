#include "app_paths.h"

#include "collect/windows_version.h"
#include "registry/registry_dumper.h"
#include "registry/registry_read.h"
#include "report/task_context.h"
#include "report/work_file.h"
#include "runner/command_runner.h"
#include "runner/script_buffer.h"
#include "runner/wmi_script.h"

#include <windows.h>

#include <algorithm>
#include <string_view>

namespace {

const char* const kAppPathsKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths";

// The script's fixed stretches, one script line per text line. Every part
// runs under "On Error Resume Next", the products too: a machine without the
// installer's provider (Server 2003 may lack it), a broken provider or a
// product line the work file cannot take would otherwise end the script and
// lose the uninstall entries and codec files that follow.
const char* const kProductsHead =
    R"(On Error Resume Next
Wscript.Echo "==========================================================================="
Wscript.Echo "Installed Software using Windows Installer:"
Wscript.Echo " "
Wscript.Echo " ")";

const char* const kProductsQuery = R"(strComputer = "."
Set objWMIService = GetObject("winmgmts:" _
    & "{impersonationLevel=impersonate}!\\" & strComputer & "\root\cimv2")
Set colSoftware = objWMIService.ExecQuery _
    ("Select * from Win32_Product")
For Each objSoftware in colSoftware)";

// The registry's own list, which also knows software installed without
// Windows Installer.
const char* const kUninstallEntries = R"(On Error Resume Next
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
Next)";

// The codec files. Their last-access time goes under "Last Accessed: ".
// Each date variable is emptied before its conversion: a date the function
// cannot convert (a missing one among them) leaves the variable as it was
// under "On Error Resume Next", and the previous file's date would show.
const char* const kCodecFiles = R"(On Error Resume Next
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
Next)";

void addText(std::vector<std::string>& out, std::string_view text) {
    size_t start = 0;
    while (start <= text.size()) {
        const size_t end = std::min(text.find('\n', start), text.size());
        out.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
}

void addLines(std::vector<std::string>& out, const std::vector<std::string>& lines) {
    out.insert(out.end(), lines.begin(), lines.end());
}

// What each installed product writes into the work file.
std::vector<WmiItem> productItems(bool newerWindows) {
    std::vector<WmiItem> items =
        labels({"Caption", "Description", "Identifying Number", "Install Date", "Install Location",
                "Install State", "Name", "Package Cache", "SKUNumber", "Vendor", "Version", "[blank]"});
    // Before XP the class has no InstallDate2.
    items[3].property = newerWindows ? "InstallDate2" : "InstallDate";
    return items;
}

// Removes the work file whatever happens to the report on its way; after a
// halt the script host that writes it may still be ending.
class DeleteOnExit {
  public:
    DeleteOnExit(std::string path, TaskContext& context) : path_(std::move(path)), context_(context) {}
    ~DeleteOnExit() { remove(); }
    DeleteOnExit(const DeleteOnExit&) = delete;
    DeleteOnExit& operator=(const DeleteOnExit&) = delete;
    void remove() {
        if (!path_.empty())
            removeWorkFile(path_, context_.haltRequested() ? workfile::kHaltedRunPatienceMs : 0);
    }

  private:
    std::string path_;
    TaskContext& context_;
};

} // namespace

std::vector<std::string> appPathsScriptLines(const std::string& exchangePath, bool newerWindows) {
    // The products go through a work file rather than straight to the output:
    // the file is echoed whole once the (slow) query is done.
    const PassThroughFile file{PassThroughFile::CreateText, exchangePath};
    std::vector<std::string> out;
    addText(out, kProductsHead);
    addLines(out, passThroughOpenLines(file));
    addText(out, kProductsQuery);
    addLines(out, passThroughWriteLines(file, "objSoftware", productItems(newerWindows)));
    out.push_back("Next");
    addLines(out, passThroughCloseLines(file));
    // The script host refuses to read all of an empty file: without a single
    // product the list is not read at all rather than read with an error.
    for (const std::string& line : passThroughReadBackLines(file))
        out.push_back(line == "strContents = objFile.ReadAll"
                          ? "If Not objFile.AtEndOfStream Then strContents = objFile.ReadAll"
                          : line);
    addText(out, kUninstallEntries);
    addText(out, kCodecFiles);
    addLines(out, dateFunctionLines(DateVariant::D));
    return out;
}

void writeAppPathsReport(TaskContext& context) {
    context.progress();
    {
        RegKey key;
        if (key.open(HKEY_LOCAL_MACHINE, kAppPathsKey, KEY_READ)) {
            context.write("Microsoft Windows Application Path - keys and values from Registry:");
            // No worker runs: the plain walk, without key headers or progress frames.
            WalkState walk;
            RegistryDumper(context, walk).walk(HKEY_LOCAL_MACHINE, key.get(), kAppPathsKey, "");
        }
    }
    // Made (empty) as its name is drawn; gone at the end whatever the script
    // did. With no name of its own, the script's part is left out, as when
    // the script fails: a name that is not ours is never written or deleted.
    const ClaimedName claimed = claimWorkFileName(workfile::kExchange);
    const std::string exchangePath = claimed.created() ? claimed.path : std::string();
    DeleteOnExit exchange(exchangePath, context);
    context.write("\n\n");
    context.progress();

    std::string edition;
    const bool newer = describeWindowsVersion(edition);
    ScriptBuffer& script = scriptBuffer();
    script.clear();
    if (!exchangePath.empty() && appendLines(script, appPathsScriptLines(exchangePath, newer)))
        context.runner().run(script.text(), RunMode::Script);
    script.clear();
    exchange.remove();
    context.progress();

    writeReportTrailer(context);
    context.animate(false);
}
