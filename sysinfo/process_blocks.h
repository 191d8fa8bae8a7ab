// The processes of the task list, each followed by its windows and modules.
// The task list is the text the process-list script printed (captured by the
// runner, every "%" doubled); a line holding one blank starts each process,
// and "Process ID: " lines name it. Each process's block (its task-list
// lines, its window lines, the window count and its module table) goes to
// the report in one piece.
//
// Pure: the windows and modules come from a ProcessDetails, so the assembly
// runs the same over the live system and over a test's fake.
#pragma once

#include "window_table.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

class ProcessDetails {
  public:
    virtual ~ProcessDetails() = default;
    // Adds the top-level windows of `windows.target()` to the (empty) table.
    virtual void collectWindows(WindowTable& windows) = 0;
    // The module table of a process (one line per module), empty when the
    // process has ended or cannot be listed.
    virtual std::string describeModules(uint32_t processId) = 0;
};

namespace processblocks {

// The id a task-list line names: the number after a leading "Process ID: ".
std::optional<uint32_t> processIdOfLine(std::string_view line);

// Undoes the runner's doubling of "%" in captured text.
std::string undoublePercent(std::string_view text);

// The window lines, the count line and the module table (or its absence)
// of one process, as they follow its task-list lines.
std::string processDetailsText(uint32_t processId, ProcessDetails& details, WindowTable& windows);

// Cuts `captured` into process blocks and hands each to `emit`, which
// returns false to stop (a halt). The block of the last process, which no
// blank line closes, is written too. Returns false when `emit` stopped it.
bool assemble(std::string_view captured, ProcessDetails& details,
              const std::function<bool(const std::string& block)>& emit);

} // namespace processblocks
