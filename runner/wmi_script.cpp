#include "wmi_script.h"

#include "script_buffer.h"

namespace {

const char* const kSeparator =
    "Wscript.Echo \"===========================================================================\"";
// An echo line longer than this is split after "& _".
constexpr size_t kLongLine = 80;

// How an item's text leaves the script: echoed, or written to a pass-through file.
struct OutputForm {
    const char* statement;    // in front of the text
    const char* close;        // after it
    const char* tabStatement; // in front of a tab-list element
    const char* itemEnd;      // the empty line after an item
    bool splitsLongLines;
};

const OutputForm kEcho{"Wscript.Echo ", "", "WScript.Echo ", "Wscript.Echo", true};
const OutputForm kLogFile{"objLogFile.Writeline( ", ") ", "objLogFile.Writeline( ", "objLogFile.writeline",
                          false};
const OutputForm kTextFile{"objTextFile.WriteLine ", "", "objTextFile.WriteLine ",
                           "objTextFile.WriteLine \" \" ", false};

struct FileForm {
    const OutputForm* output;
    std::vector<const char*> open; // "%s" stands for the file's path
    const char* close;
};

const FileForm& fileForm(PassThroughFile::Kind kind) {
    static const FileForm appendLog{
        &kLogFile,
        {"Const ForAppending = 8", "Set objFSO = CreateObject(\"Scripting.FileSystemObject\")",
         "Set objLogFile = objFSO.OpenTextFile(\"%s\", _", "    ForAppending, True)"},
        "objLogFile.Close"};
    static const FileForm createText{&kTextFile,
                                     {"Set objFSO = CreateObject(\"Scripting.FileSystemObject\")",
                                      "Set objTextFile = objFSO.CreateTextFile(\"%s\", True)"},
                                     "objTextFile.Close"};
    return kind == PassThroughFile::CreateText ? createText : appendLog;
}

const char* const kReadBack[] = {"Set objFSO = CreateObject(\"Scripting.FileSystemObject\")",
                                 "Set objFile = objFSO.OpenTextFile(\"%s\", 1)",
                                 "strContents = objFile.ReadAll", "Wscript.Echo strContents"};

// The path goes in as literal text, never as a format.
std::string withPath(const std::string& line, const std::string& path) {
    const size_t at = line.find("%s");
    if (at == std::string::npos) return line;
    return line.substr(0, at) + vbsStringContent(path) + line.substr(at + 2);
}

std::string labelled(const OutputForm& form, const std::string& label, const std::string& value) {
    return form.statement + ("\"" + label + ": \" & ") + value + form.close;
}

void addLabelled(std::vector<std::string>& out, const OutputForm& form, const std::string& label,
                 const std::string& value, const std::string& comment) {
    const std::string tail = comment.empty() ? "" : " " + comment;
    const std::string line = "    " + labelled(form, label, value) + tail;
    if (!form.splitsLongLines || line.size() <= kLongLine) {
        out.push_back(line);
        return;
    }
    out.push_back("    " + std::string(form.statement) + "\"" + label + ": \" & _");
    out.push_back("        " + value + form.close + tail);
}

void addItem(std::vector<std::string>& out, const OutputForm& form, const std::string& itemVariable,
             const WmiItem& item, bool tabBeforeValue) {
    const std::string value = itemVariable + "." + propertyOf(item);
    // The disk block writes "vbTab" between label and value (two blanks after its "&").
    const std::string lead = tabBeforeValue ? "vbTab &  " : "";
    switch (item.kind) {
    case WmiItem::Label:
        addLabelled(out, form, item.label, lead + value, item.comment);
        break;
    case WmiItem::Blank:
        out.push_back(std::string("    ") + form.itemEnd);
        break;
    case WmiItem::Each:
    case WmiItem::EachWithBlank: {
        const std::string element = item.element.empty() ? "strElement" : item.element;
        out.push_back("    For Each " + element + " in " + value);
        if (item.kind == WmiItem::EachWithBlank) out.push_back(std::string("        ") + form.itemEnd);
        out.push_back("        " + labelled(form, item.label, lead + element));
        out.push_back("    Next");
        break;
    }
    case WmiItem::Indexed:
    case WmiItem::Bounded: {
        // A loop bound that fails (the property is Null or missing) makes
        // the script host spin on the loop for ever under "On Error Resume
        // Next", and a failing If condition runs its branch: the test is
        // made in an assignment first, which a failure simply skips.
        const std::string from = item.kind == WmiItem::Bounded ? "Lbound(" + value + ")" : "0";
        out.push_back("    blnIsArray = False");
        out.push_back("    blnIsArray = IsArray(" + value + ")");
        out.push_back("    If blnIsArray Then");
        out.push_back("        For i = " + from + " to Ubound(" + value + ")");
        out.push_back("            " + labelled(form, item.label, lead + value + "(i)"));
        out.push_back("        Next");
        out.push_back("    End If");
        break;
    }
    case WmiItem::TabList:
        out.push_back("    " + std::string(form.statement) + "\"" + item.label + ": \"" + form.close);
        out.push_back("    For Each strElement in " + value);
        out.push_back("        " + std::string(form.tabStatement) + "vbTab & strElement" + form.close);
        out.push_back("    Next");
        break;
    case WmiItem::DateInline:
        addLabelled(out, form, item.label, lead + "WMIDateStringToDate(" + value + ")", item.comment);
        break;
    case WmiItem::DateVariable:
        // Under "On Error Resume Next" a property that cannot be read, or a
        // date the function cannot convert, leaves the variables as the
        // previous item left them: that item's date would show here.
        out.push_back("    dtmWMIDate = Null");
        out.push_back("    strReturn = \"\"");
        out.push_back("    dtmWMIDate = " + value);
        out.push_back("    strReturn = WMIDateStringToDate(dtmWMIDate)");
        out.push_back("    " + labelled(form, item.label, lead + "strReturn"));
        break;
    }
}

void addHeader(std::vector<std::string>& out, const WmiBlock& block) {
    out.push_back("On Error Resume Next");
    if (block.title.empty()) return;
    out.push_back("Wscript.Echo \" \"");
    if (block.repeatFirstBlank) out.push_back("Wscript.Echo \" \"");
    out.push_back(kSeparator);
    out.push_back("Wscript.Echo \"" + block.title + "\"");
    out.push_back("Wscript.Echo \" \"");
}

// The connection, the query and the head of the item loop.
void addQuery(std::vector<std::string>& out, const WmiBlock& block) {
    out.push_back("strComputer = \".\"");
    out.push_back("Set objWMIService = GetObject(\"winmgmts:\" _");
    out.push_back(std::string(block.oneSpaceConnection ? " " : "    ") +
                  "& \"{impersonationLevel=impersonate}!\\\\\" & strComputer & \"\\root\\cimv2\")");
    std::string wql = "Select * from " + block.className;
    if (!block.where.empty()) wql += " Where " + block.where;
    const std::string query = "(\"" + vbsStringContent(wql) + "\")";
    if (block.twoLineQuery) {
        out.push_back("Set " + block.collection + " = objWMIService.ExecQuery _" + block.queryTail);
        out.push_back(block.queryIndent + query);
    } else {
        out.push_back("Set " + block.collection + " = objWMIService.ExecQuery" + query);
    }
    out.push_back(block.loop + " " + block.item + " in " + block.collection);
}

bool startsWith(const std::string& text, const char* prefix) {
    return text.rfind(prefix, 0) == 0;
}

bool endsWith(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// The forms "KEYWORD X SEPARATOR Label" of an array or date property.
struct ItemForm {
    const char* keyword;
    const char* separator;
    WmiItem::Kind kind;
};

const ItemForm kItemForms[] = {
    {"each ", " as ", WmiItem::Each},         {"indexed ", " as ", WmiItem::Indexed},
    {"bounded ", " as ", WmiItem::Bounded},   {"tab list ", " after ", WmiItem::TabList},
    {"date ", " as ", WmiItem::DateVariable},
};

WmiItem catalogueItem(std::string entry) {
    WmiItem item;
    if (entry == "[blank]") {
        item.kind = WmiItem::Blank;
        return item;
    }
    for (const ItemForm& form : kItemForms) {
        const size_t separator = entry.find(form.separator);
        if (!startsWith(entry, form.keyword) || separator == std::string::npos) continue;
        item.kind = form.kind;
        const size_t keyword = std::string(form.keyword).size();
        item.property = entry.substr(keyword, separator - keyword);
        entry = entry.substr(separator + std::string(form.separator).size());
        if (const size_t at = entry.find(" using "); item.kind == WmiItem::Each && at != std::string::npos) {
            item.element = entry.substr(at + 7);
            entry.resize(at);
        }
        if (item.kind == WmiItem::Each && endsWith(entry, " with blank")) {
            item.kind = WmiItem::EachWithBlank;
            entry.resize(entry.size() - 11);
        }
        item.label = entry;
        return item;
    }
    if (const size_t arrow = entry.find(" -> "); arrow != std::string::npos) {
        item.property = entry.substr(arrow + 4);
        entry.resize(arrow);
    }
    item.label = entry;
    return item;
}

} // namespace

std::string propertyOf(const WmiItem& item) {
    if (!item.property.empty()) return item.property;
    std::string out;
    for (char c : item.label)
        if (c != ' ') out.push_back(c);
    return out;
}

std::vector<std::string> blockLines(const WmiBlock& block) {
    std::vector<std::string> out = headerLines(block);
    addQuery(out, block);
    for (const WmiItem& item : block.items)
        addItem(out, kEcho, block.item, item, block.tabBeforeValue);
    out.push_back("Next");
    return out;
}

std::vector<std::string> headerLines(const WmiBlock& block) {
    std::vector<std::string> out;
    addHeader(out, block);
    return out;
}

std::vector<std::string> queryLines(const WmiBlock& block) {
    std::vector<std::string> out;
    addQuery(out, block);
    return out;
}

std::vector<std::string> itemLines(const WmiBlock& block, const std::vector<WmiItem>& items) {
    std::vector<std::string> out;
    for (const WmiItem& item : items)
        addItem(out, kEcho, block.item, item, block.tabBeforeValue);
    return out;
}

std::vector<std::string> passThroughOpenLines(const PassThroughFile& file) {
    std::vector<std::string> out;
    for (const char* line : fileForm(file.kind).open)
        out.push_back(withPath(line, file.path));
    return out;
}

std::vector<std::string> passThroughWriteLines(const PassThroughFile& file, const std::string& item,
                                               const std::vector<WmiItem>& items) {
    std::vector<std::string> out;
    for (const WmiItem& entry : items)
        addItem(out, *fileForm(file.kind).output, item, entry, false);
    return out;
}

std::vector<std::string> passThroughCloseLines(const PassThroughFile& file) {
    return {fileForm(file.kind).close};
}

std::vector<std::string> passThroughReadBackLines(const PassThroughFile& file) {
    std::vector<std::string> out;
    for (const char* line : kReadBack)
        out.push_back(withPath(line, file.path));
    return out;
}

std::vector<std::string> passThroughBlockLines(const WmiBlock& block, const PassThroughFile& file) {
    std::vector<std::string> out;
    auto add = [&out](const std::vector<std::string>& lines) {
        out.insert(out.end(), lines.begin(), lines.end());
    };
    addHeader(out, block);
    add(passThroughOpenLines(file));
    addQuery(out, block);
    add(passThroughWriteLines(file, block.item, block.items));
    out.push_back("Next");
    add(passThroughCloseLines(file));
    add(passThroughReadBackLines(file));
    return out;
}

std::string vbsStringContent(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (c == '"')
            out += "\"\"";
        else if (byte < 32)
            out += "\" & Chr(" + std::to_string(byte) + ") & \"";
        else
            out.push_back(c);
    }
    return out;
}

std::vector<std::string> dateFunctionLines(DateVariant variant) {
    switch (variant) {
    case DateVariant::A:
        return {"Function WMIDateStringToDate(dtmDate)",
                "WScript.Echo dtm: ",
                "\tWMIDateStringToDate = CDate(Mid(dtmDate, 5, 2) & \"/\" & _",
                "\tMid(dtmDate, 7, 2) & \"/\" & Left(dtmDate, 4) _",
                "\t& \" \" & Mid (dtmDate, 9, 2) & \":\" & Mid(dtmDate, 11, 2) & \":\" & Mid(dtmDate,13, 2))",
                "End Function"};
    case DateVariant::B:
        return {"Function WMIDateStringToDate(dtmWMIDate)",
                "    If Not IsNull(dtmWMIDate) Then",
                "    WMIDateStringToDate = CDate(Mid(dtmWMIDate, 5, 2) & \"/\" & _",
                "         Mid(dtmWMIDate, 7, 2) & \"/\" & Left(dtmWMIDate, 4) _",
                "             & \" \" & Mid (dtmWMIDate, 9, 2) & \":\" & _",
                "                 Mid(dtmWMIDate, 11, 2) & \":\" & Mid(dtmWMIDate,13, 2))",
                "    End If",
                "End Function"};
    case DateVariant::C:
        return {"Function WMIDateStringToDate(dtmWMIDate)",
                "    If Not IsNull(dtmWMIDate) Then",
                "        WMIDateStringToDate = CDate(Mid(dtmWMIDate, 5, 2) & \"/\" & _",
                "            Mid(dtmWMIDate, 7, 2) & \"/\" & Left(dtmWMIDate, 4) _",
                "                & \" \" & Mid (dtmWMIDate, 9, 2) & \":\" & _",
                "                    Mid(dtmWMIDate, 11, 2) & \":\" & Mid(dtmWMIDate,13, 2))",
                "    End If",
                "End Function"};
    case DateVariant::D:
        return {"Function WMIDateStringToDate(dtmDate)",
                "    WMIDateStringToDate = CDate(Mid(dtmDate, 5, 2) & \"/\" & _",
                "        Mid(dtmDate, 7, 2) & \"/\" & Left(dtmDate, 4) _",
                "            & \" \" & Mid (dtmDate, 9, 2) & \":\" & _",
                "                Mid(dtmDate, 11, 2) & \":\" & Mid(dtmDate, _",
                "                    13, 2))",
                "End Function"};
    }
    return {};
}

std::vector<std::string> secondConnectionLines(const std::string& className,
                                               const std::vector<WmiItem>& items) {
    std::vector<std::string> out = {
        // Without it the first property this Windows lacks ends the whole script.
        "On Error Resume Next",
        "Const wbemFlagReturnImmediately = &h10",
        "Const wbemFlagForwardOnly = &h20",
        "arrComputers = Array(\".\")",
        "For Each strComputer In arrComputers",
        "   Set objWMIService = GetObject(\"winmgmts:\\\\\" & strComputer & \"\\root\\CIMV2\")",
        "   Set colItems = objWMIService.ExecQuery(\"SELECT * FROM " + className + "\", \"WQL\", _",
        "                 wbemFlagReturnImmediately + wbemFlagForwardOnly)",
        "   For Each objItem In colItems",
    };
    for (const WmiItem& item : items) {
        const std::string value = "objItem." + propertyOf(item);
        if (item.kind == WmiItem::DateInline)
            out.push_back("      WScript.Echo \"" + item.label + ": \" & WMIDateStringToDate(" + value + ")");
        else
            out.push_back("      WScript.Echo \"" + item.label + ": \" & " + value);
    }
    out.push_back("   Next");
    out.push_back("Next");
    return out;
}

bool appendLines(ScriptBuffer& buffer, const std::vector<std::string>& lines) {
    for (const std::string& line : lines)
        if (!buffer.appendLine(line)) return false;
    return true;
}

std::vector<WmiItem> labels(const std::vector<std::string>& names) {
    std::vector<WmiItem> out;
    for (const std::string& name : names)
        out.push_back(catalogueItem(name));
    return out;
}
