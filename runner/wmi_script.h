// Building blocks of the generated WMI scripts. Sections describe a block as
// data (class, title, labels) and these functions turn it into script lines.
#pragma once

#include <string>
#include <string_view>
#include <vector>

class ScriptBuffer;

struct WmiItem {
    enum Kind { Label, Blank, Each, Indexed, TabList, DateInline, DateVariable };
    Kind kind = Label;
    std::string label;     // without the colon
    std::string property;  // empty: the label without its blanks
    std::string element;   // loop variable of Each
    std::string comment;   // script comment after the echo (with its quote mark)
};

struct WmiBlock {
    std::string title;  // empty: no header lines (the section prints its own title)
    bool repeatFirstBlank = false; // the header opens with two one-space lines
    std::string className;
    std::string where; // WQL condition after "Where"; empty: every instance
    std::string collection = "colItems";
    std::string item = "objItem";
    std::string loop = "For Each";  // how the item loop is spelled
    bool twoLineQuery = false;
    std::string queryIndent = "    "; // of a two-line query's second line
    bool oneSpaceConnection = false;
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
std::vector<std::string> dateFunctionLines(DateVariant variant);
// The second connection form over one class, echo lines indented six spaces.
std::vector<std::string> secondConnectionLines(const std::string& className, const std::vector<WmiItem>& items);

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

// A label list written as in the catalogue: "Border Width; Caption; [blank]".
std::vector<WmiItem> labels(const std::vector<std::string>& names);
