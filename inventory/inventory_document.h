// What one inventory tells the server: sections of named values, each
// value as this Windows gives it (text in its ANSI code page, numbers as
// plain integers). The document is turned into the server's XML only when it
// is written, so collecting needs no knowledge of the wire format.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct InventoryField {
    std::string name;
    std::string value; // ANSI code page text, or decimal digits when `number`
    bool number = false;
};

// One section element: <HARDWARE>, one <CPUS> per processor, ... A value this
// Windows does not have is never added, so the server keeps its own
// "unknown" rather than an invented zero or empty text.
class InventorySection {
  public:
    explicit InventorySection(std::string name) : name_(std::move(name)) {}

    // Added only when it holds more than blanks; leading and trailing blanks go.
    void text(std::string_view name, std::string_view value);
    void number(std::string_view name, uint64_t value);

    const std::string& name() const { return name_; }
    const std::vector<InventoryField>& fields() const { return fields_; }
    bool empty() const { return fields_.empty(); }
    // The value of a field, empty when the section has none of that name.
    std::string valueOf(std::string_view name) const;

  private:
    std::string name_;
    std::vector<InventoryField> fields_;
};

struct InventoryDocument {
    std::string deviceId;
    // In the order they are written under <CONTENT>.
    std::vector<InventorySection> sections;
};

// The CHECKSUM that asks the server to rewrite every section it keeps.
constexpr uint64_t kInventoryAllSections = 4194303;
