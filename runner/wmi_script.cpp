#include "wmi_script.h"

#include "script_buffer.h"

namespace {

const char* const kSeparator =
    "Wscript.Echo \"===========================================================================\"";
// An echo line longer than this is split after "& _".
constexpr size_t kLongLine = 80;

std::string echo(const std::string& indent, const std::string& label, const std::string& value,
                 const std::string& comment = {}) {
    std::string line = indent + "Wscript.Echo \"" + label + ": \" & " + value;
    if (!comment.empty()) return line + " " + comment;
    return line;
}

void addEcho(std::vector<std::string>& out, const std::string& label, const std::string& value,
             const std::string& comment) {
    std::string line = echo("    ", label, value, comment);
    if (line.size() <= kLongLine) {
        out.push_back(line);
        return;
    }
    out.push_back("    Wscript.Echo \"" + label + ": \" & _");
    out.push_back("        " + value + (comment.empty() ? "" : " " + comment));
}

void addItem(std::vector<std::string>& out, const WmiBlock& block, const WmiItem& item) {
    const std::string value = block.item + "." + propertyOf(item);
    switch (item.kind) {
    case WmiItem::Label:
        addEcho(out, item.label, value, item.comment);
        break;
    case WmiItem::Blank:
        out.push_back("    Wscript.Echo");
        break;
    case WmiItem::Each: {
        const std::string element = item.element.empty() ? "strElement" : item.element;
        out.push_back("    For Each " + element + " in " + value);
        out.push_back("        Wscript.Echo \"" + item.label + ": \" & " + element);
        out.push_back("    Next");
        break;
    }
    case WmiItem::Indexed:
        out.push_back("    For i = 0 to Ubound(" + value + ")");
        out.push_back("        Wscript.Echo \"" + item.label + ": \" & " + value + "(i)");
        out.push_back("    Next");
        break;
    case WmiItem::TabList:
        out.push_back("    Wscript.Echo \"" + item.label + ": \"");
        out.push_back("    For Each strElement in " + value);
        out.push_back("        WScript.Echo vbTab & strElement");
        out.push_back("    Next");
        break;
    case WmiItem::DateInline:
        addEcho(out, item.label, "WMIDateStringToDate(" + value + ")", item.comment);
        break;
    case WmiItem::DateVariable:
        out.push_back("    dtmWMIDate = " + value);
        out.push_back("    strReturn = WMIDateStringToDate(dtmWMIDate)");
        out.push_back("    Wscript.Echo \"" + item.label + ": \" & strReturn");
        break;
    }
}

}  // namespace

std::string propertyOf(const WmiItem& item) {
    if (!item.property.empty()) return item.property;
    std::string out;
    for (char c : item.label)
        if (c != ' ') out.push_back(c);
    return out;
}

std::vector<std::string> blockLines(const WmiBlock& block) {
    std::vector<std::string> out = {"On Error Resume Next"};
    if (!block.title.empty()) {
        out.push_back("Wscript.Echo \" \"");
        out.push_back(kSeparator);
        out.push_back("Wscript.Echo \"" + block.title + "\"");
        out.push_back("Wscript.Echo \" \"");
    }
    out.push_back("strComputer = \".\"");
    out.push_back("Set objWMIService = GetObject(\"winmgmts:\" _");
    out.push_back(std::string(block.oneSpaceConnection ? " " : "    ") +
                  "& \"{impersonationLevel=impersonate}!\\\\\" & strComputer & \"\\root\\cimv2\")");
    const std::string query = "(\"Select * from " + block.className + "\")";
    if (block.twoLineQuery) {
        out.push_back("Set " + block.collection + " = objWMIService.ExecQuery _");
        out.push_back("    " + query);
    } else {
        out.push_back("Set " + block.collection + " = objWMIService.ExecQuery" + query);
    }
    out.push_back(block.loop + " " + block.item + " in " + block.collection);
    for (const WmiItem& item : block.items) addItem(out, block, item);
    out.push_back("Next");
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

std::vector<std::string> secondConnectionLines(const std::string& className, const std::vector<WmiItem>& items) {
    std::vector<std::string> out = {
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
    for (const std::string& name : names) {
        WmiItem item;
        if (name == "[blank]") item.kind = WmiItem::Blank;
        else item.label = name;
        out.push_back(item);
    }
    return out;
}
