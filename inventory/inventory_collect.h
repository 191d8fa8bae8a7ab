// The inventory of this machine: every section but the run's own
// (HARDWARE's CHECKSUM, ACCOUNTINFO), read with the report's readers.
#pragma once

#include "inventory_document.h"

#include <string>
#include <vector>

class TaskContext;

// HARDWARE, BIOS, CPUS, MEMORIES, DRIVES, STORAGES, NETWORKS, SOFTWARES in
// this order; a section this Windows has nothing for is left out. The
// context runs the one WMI script (its runner) and receives the lines the
// drive probe writes when it cannot raise its priority; nothing else is
// written to it.
std::vector<InventorySection> collectInventorySections(TaskContext& context);

// A value of the Windows registration (RegisteredOwner, ProductId, ...):
// under "Windows NT" on the NT family, under "Windows" on 95, 98 and ME;
// empty when there is none.
std::string windowsRegistration(const char* valueName);
