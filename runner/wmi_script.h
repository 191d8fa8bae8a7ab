// Building blocks of the generated WMI scripts. Sections describe a block as
// data (class, title, labels) and these functions turn it into script lines.
#pragma once

#include <string>
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
    std::string className;
    std::string collection = "colItems";
    std::string item = "objItem";
    std::string loop = "For Each";  // how the item loop is spelled
    bool twoLineQuery = false;
    bool oneSpaceConnection = false;
    std::vector<WmiItem> items;
};

enum class DateVariant { A, B, C, D };

// The label's property name: given, or the label with its blanks removed.
std::string propertyOf(const WmiItem& item);

std::vector<std::string> blockLines(const WmiBlock& block);
std::vector<std::string> dateFunctionLines(DateVariant variant);
// The second connection form over one class, echo lines indented six spaces.
std::vector<std::string> secondConnectionLines(const std::string& className, const std::vector<WmiItem>& items);

// Appends lines to the script; false when one did not fit (the rest is left out).
bool appendLines(ScriptBuffer& buffer, const std::vector<std::string>& lines);

// A label list written as in the catalogue: "Border Width; Caption; [blank]".
std::vector<WmiItem> labels(const std::vector<std::string>& names);
