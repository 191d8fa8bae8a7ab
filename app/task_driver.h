// The task driver's own decisions, beside the texts it shows and composes.
#pragma once

#include "result_text.h"
#include "task_life.h"

#include <cstdint>

// The ticks a finished hive dump has waited for its load. Counted per task:
// a dump that never loads (a Clear ended it during the wait) leaves nothing
// for the next one.
struct LoadWait {
    TaskLife::Ticket ticket = 0;
    uint8_t ticks = 0;
};
enum class LoadStep { Wait, Load, WaitThenLoad };
// One tick of task `ticket`'s wait: from Windows XP on the result loads at
// once; before XP only after more than 40 ticks, and then after a pause of
// its own (WaitThenLoad). `firstTick` is set on the task's first tick.
LoadStep hiveLoadStep(LoadWait& wait, TaskLife::Ticket ticket, bool newerWindows, bool& firstTick);
