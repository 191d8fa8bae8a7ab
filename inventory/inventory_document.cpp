#include "inventory_document.h"

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

} // namespace

void InventorySection::text(std::string_view name, std::string_view value) {
    while (!value.empty() && isBlank(value.front()))
        value.remove_prefix(1);
    while (!value.empty() && isBlank(value.back()))
        value.remove_suffix(1);
    if (value.empty()) return;
    fields_.push_back(InventoryField{std::string(name), std::string(value), false});
}

void InventorySection::number(std::string_view name, uint64_t value) {
    fields_.push_back(InventoryField{std::string(name), std::to_string(value), true});
}

std::string InventorySection::valueOf(std::string_view name) const {
    for (const InventoryField& field : fields_)
        if (field.name == name) return field.value;
    return {};
}
