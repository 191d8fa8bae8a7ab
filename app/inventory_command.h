// "/inventory TARGET [/tag TEXT]": this machine's inventory, without the
// window, sent to an inventory server or written to a file.
#pragma once

#include "command_line.h"
#include "console_streams.h"

int runInventoryFromCommandLine(const CommandLine& line, ConsoleStreams& console);
