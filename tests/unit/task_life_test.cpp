// The life of one task: every event in every state, and the halt that
// belongs to one task only.
#include "app/task_driver.h"
#include "app/task_life.h"

#include <gtest/gtest.h>

#include <atomic>

namespace {

enum class Event { Start, Run, Halt, Close, FinishRun, BeginLoad, MayShow, End };

const char* eventName(Event e) {
    switch (e) {
    case Event::Start:
        return "start";
    case Event::Run:
        return "run";
    case Event::Halt:
        return "halt";
    case Event::Close:
        return "close";
    case Event::FinishRun:
        return "finishRun";
    case Event::BeginLoad:
        return "beginLoad";
    case Event::MayShow:
        return "mayShow";
    case Event::End:
        return "end";
    }
    return "?";
}

struct Life {
    std::atomic<uint8_t> halt{0};
    TaskLife life{halt};
    TaskLife::Ticket ticket = 0;

    // Brings the life to `phase` (halted when asked) along the events that lead there.
    void reach(TaskPhase phase, bool halted) {
        if (phase == TaskPhase::Idle) return;
        ticket = life.start();
        if (phase != TaskPhase::Requested) life.run(ticket);
        if (phase == TaskPhase::Finished) life.finishRun(ticket);
        if (phase == TaskPhase::Loading) life.beginLoad(ticket);
        if (halted) life.halt();
    }

    bool fire(Event e) {
        switch (e) {
        case Event::Start:
            return life.start() != 0;
        case Event::Run:
            return life.run(ticket);
        case Event::Halt:
            return life.halt();
        case Event::Close:
            return life.close();
        case Event::FinishRun:
            return life.finishRun(ticket);
        case Event::BeginLoad:
            return life.beginLoad(ticket);
        case Event::MayShow:
            return life.mayShow(ticket);
        case Event::End:
            life.end(ticket);
            return true;
        }
        return false;
    }
};

using P = TaskPhase;
using E = Event;

struct Row {
    P from;
    bool halted;
    E event;
    bool result;
    P to;
    bool haltAfter;
};

// clang-format off
const Row kTable[] = {
    // Idle: only a command starts something; Clear and Close find nothing to stop.
    {P::Idle, false, E::Start,     true,  P::Requested, false},
    {P::Idle, false, E::Run,       false, P::Idle,      false},
    {P::Idle, false, E::Halt,      false, P::Idle,      false},
    {P::Idle, false, E::Close,     false, P::Idle,      false},
    {P::Idle, false, E::FinishRun, false, P::Idle,      false},
    {P::Idle, false, E::BeginLoad, false, P::Idle,      false},
    {P::Idle, false, E::MayShow,   false, P::Idle,      false},
    {P::Idle, false, E::End,       true,  P::Idle,      false},
    // Requested: nothing runs yet, so a halt is the whole end of it.
    {P::Requested, false, E::Start,     false, P::Requested, false},
    {P::Requested, false, E::Run,       true,  P::Running,   false},
    {P::Requested, false, E::Halt,      false, P::Idle,      false},
    {P::Requested, false, E::Close,     false, P::Idle,      false},
    {P::Requested, false, E::FinishRun, false, P::Requested, false},
    {P::Requested, false, E::BeginLoad, false, P::Requested, false},
    {P::Requested, false, E::MayShow,   false, P::Requested, false},
    {P::Requested, false, E::End,       true,  P::Idle,      false},
    // Running: a halt is raised and left to the worker, which ends the task.
    {P::Running, false, E::Start,     false, P::Running,  false},
    {P::Running, false, E::Run,       false, P::Running,  false},
    {P::Running, false, E::Halt,      true,  P::Running,  true},
    {P::Running, false, E::Close,     true,  P::Running,  true},
    {P::Running, false, E::FinishRun, true,  P::Finished, false},
    {P::Running, false, E::BeginLoad, true,  P::Loading,  false},
    {P::Running, false, E::MayShow,   false, P::Running,  false},
    {P::Running, false, E::End,       true,  P::Idle,     false},
    // Running and halted: no result goes on; the end takes the halt down.
    {P::Running, true, E::Start,     false, P::Running, true},
    {P::Running, true, E::Run,       false, P::Running, true},
    {P::Running, true, E::Halt,      true,  P::Running, true},
    {P::Running, true, E::Close,     true,  P::Running, true},
    {P::Running, true, E::FinishRun, false, P::Running, true},
    {P::Running, true, E::BeginLoad, false, P::Running, true},
    {P::Running, true, E::MayShow,   false, P::Running, true},
    {P::Running, true, E::End,       true,  P::Idle,    false},
    // Finished: the result waits for the task driver; nobody runs it, so a halt ends it.
    {P::Finished, false, E::Start,     false, P::Finished, false},
    {P::Finished, false, E::Run,       false, P::Finished, false},
    {P::Finished, false, E::Halt,      false, P::Idle,     false},
    {P::Finished, false, E::Close,     false, P::Idle,     false},
    {P::Finished, false, E::FinishRun, false, P::Finished, false},
    {P::Finished, false, E::BeginLoad, true,  P::Loading,  false},
    {P::Finished, false, E::MayShow,   false, P::Finished, false},
    {P::Finished, false, E::End,       true,  P::Idle,     false},
    // Loading: the result may be shown until a halt comes.
    {P::Loading, false, E::Start,     false, P::Loading, false},
    {P::Loading, false, E::Run,       false, P::Loading, false},
    {P::Loading, false, E::Halt,      true,  P::Loading, true},
    {P::Loading, false, E::Close,     true,  P::Loading, true},
    {P::Loading, false, E::FinishRun, false, P::Loading, false},
    {P::Loading, false, E::BeginLoad, false, P::Loading, false},
    {P::Loading, false, E::MayShow,   true,  P::Loading, false},
    {P::Loading, false, E::End,       true,  P::Idle,    false},
    // Loading and halted: the result is dropped.
    {P::Loading, true, E::Start,     false, P::Loading, true},
    {P::Loading, true, E::Run,       false, P::Loading, true},
    {P::Loading, true, E::Halt,      true,  P::Loading, true},
    {P::Loading, true, E::Close,     true,  P::Loading, true},
    {P::Loading, true, E::FinishRun, false, P::Loading, true},
    {P::Loading, true, E::BeginLoad, false, P::Loading, true},
    {P::Loading, true, E::MayShow,   false, P::Loading, true},
    {P::Loading, true, E::End,       true,  P::Idle,    false},
};
// clang-format on

TEST(TaskLife, EveryEventInEveryState) {
    for (const Row& row : kTable) {
        Life l;
        l.reach(row.from, row.halted);
        ASSERT_EQ(l.life.phase(), row.from);
        SCOPED_TRACE(::testing::Message() << "from " << static_cast<int>(row.from)
                                          << (row.halted ? " halted" : "") << ", " << eventName(row.event));
        EXPECT_EQ(l.fire(row.event), row.result);
        EXPECT_EQ(l.life.phase(), row.to);
        EXPECT_EQ(l.halt != 0, row.haltAfter);
        EXPECT_EQ(l.life.busy(), row.to != P::Idle);
    }
}

TEST(TaskLife, AHaltOutlivesNoTask) {
    // Clear while a task's worker is still finishing: it ends the task, and
    // with it the halt; the next task starts and runs unhalted.
    Life l;
    l.reach(P::Loading, true);
    const TaskLife::Ticket halted = l.ticket;
    l.life.end(halted);
    const TaskLife::Ticket next = l.life.start();
    ASSERT_NE(next, 0u);
    EXPECT_NE(next, halted);
    EXPECT_EQ(l.halt, 0);
    EXPECT_TRUE(l.life.run(next));
    EXPECT_TRUE(l.life.beginLoad(next));
    EXPECT_TRUE(l.life.mayShow(next));
}

TEST(TaskLife, AnEarlierTasksTicketMovesNothing) {
    Life l;
    l.reach(P::Requested, false);
    const TaskLife::Ticket first = l.ticket;
    l.life.halt(); // Clear before the tick took it up: over
    const TaskLife::Ticket second = l.life.start();
    ASSERT_NE(second, 0u);
    // Whatever the first task's code still does reaches the second's life not at all.
    l.life.end(first);
    EXPECT_FALSE(l.life.run(first));
    EXPECT_EQ(l.life.phase(), P::Requested);
    EXPECT_TRUE(l.life.run(second));
    EXPECT_FALSE(l.life.finishRun(first));
    EXPECT_FALSE(l.life.beginLoad(first));
    l.life.end(first);
    EXPECT_EQ(l.life.phase(), P::Running);
    EXPECT_TRUE(l.life.beginLoad(second));
    EXPECT_FALSE(l.life.mayShow(first));
    EXPECT_TRUE(l.life.mayShow(second));
    EXPECT_EQ(l.life.current(), second);
}

TEST(TaskLife, NothingStartsOnceClosed) {
    Life l;
    l.reach(P::Running, false);
    EXPECT_TRUE(l.life.close());
    l.life.end(l.ticket);
    EXPECT_TRUE(l.life.closed());
    EXPECT_EQ(l.life.start(), 0u);
    EXPECT_EQ(l.life.phase(), P::Idle);
}

TEST(HiveLoadWait, FromXpOnTheResultLoadsOnItsFirstTick) {
    LoadWait wait;
    bool first = false;
    EXPECT_EQ(hiveLoadStep(wait, 7, true, first), LoadStep::Load);
    EXPECT_TRUE(first);
}

TEST(HiveLoadWait, BeforeXpEachDumpWaitsItsOwnFortyTicks) {
    LoadWait wait;
    bool first = false;
    // The first dump is cleared after 20 ticks of its wait: it never loads.
    for (int tick = 1; tick <= 20; ++tick) {
        EXPECT_EQ(hiveLoadStep(wait, 1, false, first), LoadStep::Wait);
        EXPECT_EQ(first, tick == 1);
    }
    // The next dump starts its count afresh.
    for (int tick = 1; tick <= 40; ++tick) {
        ASSERT_EQ(hiveLoadStep(wait, 2, false, first), LoadStep::Wait) << "tick " << tick;
        EXPECT_EQ(first, tick == 1);
    }
    EXPECT_EQ(hiveLoadStep(wait, 2, false, first), LoadStep::WaitThenLoad);
    EXPECT_FALSE(first);
}

} // namespace
