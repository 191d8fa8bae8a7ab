// Building blocks of the generated WMI scripts. Sections describe a block as
// data (class, title, labels) and these functions turn it into script lines.
#pragma once

#include <string>
#include <string_view>
#include <vector>

class ScriptBuffer;

struct WmiItem {
    enum Kind {
        Label,
        Blank,
        Each,          // For Each over an array property
        EachWithBlank, // the same with an empty line before every element
        Indexed,       // For i = 0 to Ubound(...)
        Bounded,       // For i = Lbound(...) to Ubound(...)
        TabList,
        DateInline,
        DateVariable,
    };
    Kind kind = Label;
    std::string label;    // without the colon
    std::string property; // empty: the label without its blanks
    std::string element;  // loop variable of Each
    std::string comment;  // script comment after the echo (with its quote mark)
};

struct WmiBlock {
    std::string title;             // empty: no header lines (the section prints its own title)
    bool repeatFirstBlank = false; // the header opens with two one-space lines
    std::string className;
    std::string where; // WQL condition after "Where"; empty: every instance
    std::string collection = "colItems";
    std::string item = "objItem";
    std::string loop = "For Each"; // how the item loop is spelled
    bool twoLineQuery = false;
    std::string queryIndent = "    "; // of a two-line query's second line
    std::string queryTail;            // after the "_" of a two-line query's first line
    bool oneSpaceConnection = false;
    bool tabBeforeValue = false; // "vbTab" between every label and its value
    std::vector<WmiItem> items;
};

// A work file into which a block writes its items, so that the script echoes
// them all at once when the query is done.
struct PassThroughFile {
    enum Kind {
        AppendLog,  // "objLogFile", opened for appending (made when missing)
        CreateText, // "objTextFile", created afresh
    };
    Kind kind = AppendLog;
    std::string path; // full path; comes from the system, so it is escaped in the script
};

enum class DateVariant { A, B, C, D };

// The label's property name: given, or the label with its blanks removed.
std::string propertyOf(const WmiItem& item);

std::vector<std::string> blockLines(const WmiBlock& block);
// The pieces of a block, for blocks that put lines of their own between them:
// "On Error Resume Next" and the header; the connection, the query and the
// head of the item loop; the echo lines of items (without the closing "Next").
std::vector<std::string> headerLines(const WmiBlock& block);
std::vector<std::string> queryLines(const WmiBlock& block);
std::vector<std::string> itemLines(const WmiBlock& block, const std::vector<WmiItem>& items);
std::vector<std::string> dateFunctionLines(DateVariant variant);
// The second connection form over one class, echo lines indented six spaces;
// it opens with "On Error Resume Next" like every block.
std::vector<std::string> secondConnectionLines(const std::string& className,
                                               const std::vector<WmiItem>& items);

// The pieces of the file pass-through, in script order: open the file, one
// write line per item (in place of the echo lines), close it, read it back
// and echo it whole.
std::vector<std::string> passThroughOpenLines(const PassThroughFile& file);
std::vector<std::string> passThroughWriteLines(const PassThroughFile& file, const std::string& item,
                                               const std::vector<WmiItem>& items);
std::vector<std::string> passThroughCloseLines(const PassThroughFile& file);
std::vector<std::string> passThroughReadBackLines(const PassThroughFile& file);
// The standard block with the pass-through around its query: header, file
// opened, connection and query, items written, file closed and echoed.
std::vector<std::string> passThroughBlockLines(const WmiBlock& block, const PassThroughFile& file);

// What goes between the quotation marks of a VBScript string literal so that
// it stands for `text`: quotation marks doubled, control characters (which
// would end the line) spliced in with Chr().
std::string vbsStringContent(std::string_view text);

// Appends lines to the script; false when one did not fit (the rest is left out).
bool appendLines(ScriptBuffer& buffer, const std::vector<std::string>& lines);

// A label list written as in the catalogue, one entry per item:
//   "Border Width"                       label, property BorderWidth
//   "External Clock -> ExtClock"         label with its property named
//   "[blank]"                            an empty line
//   "each X as Label"                    For Each over X ("... using strName" names the element)
//   "each X as Label with blank"         the same, an empty line before every element
//   "indexed X as Label"                 For i = 0 to Ubound(X)
//   "bounded X as Label"                 For i = Lbound(X) to Ubound(X)
//   "tab list X after Label"             the label alone, then vbTab and each element
//   "date X as Label"                    X converted through dtmWMIDate and strReturn
std::vector<WmiItem> labels(const std::vector<std::string>& names);
