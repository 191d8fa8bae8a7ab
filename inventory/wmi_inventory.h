// The values of the inventory that only WMI knows: the machine's maker, model
// and serial numbers, its BIOS, its domain or workgroup and its memory
// slots. One short script asks for them all; its output is parsed here.
#pragma once

#include "inventory_facts.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

class TaskContext;

// One instance of a class as the script prints it.
struct WmiRecord {
    std::string className;
    std::vector<std::pair<std::string, std::string>> values;
    // Empty when the instance has no such property (or it is empty).
    std::string valueOf(std::string_view property) const;
};

// The script: per instance a line "[Class]", then one "Property: value" line
// per property that could be read.
std::vector<std::string> inventoryScriptLines();
std::vector<WmiRecord> parseWmiRecords(std::string_view output);

struct WmiInventory {
    BiosFacts bios;
    std::string domain;
    std::vector<MemorySlot> memory;
};
WmiInventory wmiInventoryFrom(const std::vector<WmiRecord>& records);

// Runs the script through the context's runner; everything empty when the
// script host or WMI is missing.
WmiInventory queryWmiInventory(TaskContext& context);
