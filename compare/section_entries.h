// The entries of one section, each under what identifies it: a registry key
// by its path and a value by its key and name, a service by its name, a
// process by its program's path, a module by its path, an adapter by its
// description, a drive by its letter, a variable or file type by its name.
// Which section is read which way is a table of rules; a section no rule
// covers is compared as the multiset of its lines, so nothing goes unseen.
#pragma once

#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

struct Entry {
    std::string id;     // unique within the section
    std::string label;  // how the output names it
    std::string value;  // what is compared
    std::string parent; // the id of the entry it is part of, or empty
};

class EntryList {
  public:
    enum class Repeat { Number, Merge };
    // A repeated id is numbered ("id #2") or, with Merge, the repeat is dropped
    // (the instances of one program count as one).
    void add(std::string id, std::string label, std::string value, std::string parent = {},
             Repeat repeat = Repeat::Number);
    const std::deque<Entry>& entries() const { return entries_; }
    // The entry with `id`, or null.
    const Entry* find(const std::string& id) const;

  private:
    // A deque keeps its entries in place, so the index can point at their ids
    // (a multi-megabyte dump has hundreds of thousands of entries).
    std::deque<Entry> entries_;
    std::unordered_map<std::string_view, const Entry*> index_;
};

// `lines` are the section's lines as compared (changing fields already out).
EntryList sectionEntries(std::string_view title, const std::vector<std::string>& lines);
