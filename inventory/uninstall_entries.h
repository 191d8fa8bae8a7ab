// The installed software as the registry's uninstall list names it.
#pragma once

#include "inventory_facts.h"

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

inline constexpr const char* kUninstallKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

// The name an entry is listed under: its display name, or its quiet display
// name where it has no display name; none when that is empty.
std::optional<std::string> listedName(const std::optional<std::string>& displayName,
                                      const std::optional<std::string>& quietDisplayName);

// One entry per subkey of `keyPath` below `root` that has a listed name, in
// the registry's order; none when the key does not open.
std::vector<SoftwareEntry> uninstallEntries(HKEY root, const char* keyPath = kUninstallKey);
