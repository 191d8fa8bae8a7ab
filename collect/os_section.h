// The operating-system section of the common environment report.
#pragma once

#include <optional>
#include <string>

class TaskContext;

// A progress step follows every write; a halt ends the section there.
// Returns the newer-Windows flag.
bool writeOperatingSystemSection(TaskContext& context);

// The platform word of a platform id ("NT ", "Windows ", ...).
const char* platformWord(unsigned long platformId);

// The product id the section shows; none when the registry has none.
std::optional<std::string> windowsProductId();
