// The life of one task, from the command that accepts it to the moment its
// result is in the view (or it stopped), held in one place. The window asks
// it whether a command may start; Clear and Close halt through it; the thread
// that owns the task at each moment (the task driver, a worker, the result
// load) moves it on and ends it. The halt belongs to the task it was raised
// for: it goes down when that task ends and cannot reach the next one, and a
// result of a halted task never reaches the view.
#pragma once

#include "report/critical_section.h"

#include <atomic>
#include <cstdint>

enum class TaskPhase : uint8_t {
    Idle,      // no task: a command may start one
    Requested, // accepted; nothing runs yet (the task driver takes it up on its next tick)
    Running,   // a worker (or the window's thread, for App Paths) writes the report
    Finished,  // the worker is done and gone; its result waits for the task driver's load
    Loading,   // the result is on its way into the view
};

class TaskLife {
  public:
    using Ticket = uint32_t; // names one task; 0 names none

    // `haltFlag` is the flag the task bodies poll between their steps; only
    // this object raises and lowers it.
    explicit TaskLife(std::atomic<uint8_t>& haltFlag) : halt_(haltFlag) {}
    TaskLife(const TaskLife&) = delete;
    TaskLife& operator=(const TaskLife&) = delete;

    // A command is accepted: Idle -> Requested. 0 (refused) while another
    // task's life is not over, or once the program is closing.
    Ticket start();
    // The task is taken up by the thread that will write it: Requested ->
    // Running. False when `ticket` is not the task waiting to be taken up.
    bool run(Ticket ticket);
    // Clear: a task nobody runs (Requested, Finished) ends here and now; a
    // running or loading task is marked halted and is ended by its owner.
    // True when a worker or a load still owns the task (it will end it).
    bool halt();
    // Close: the same halt, and no task starts any more.
    bool close();
    // The worker of `ticket` is done and leaves its result to the task
    // driver: Running -> Finished. False when it was halted: the worker then
    // drops its result and ends the task itself.
    bool finishRun(Ticket ticket);
    // The result of `ticket` starts on its way into the view: Running or
    // Finished -> Loading. False when the task was halted (or is not the
    // current one): the result is dropped.
    bool beginLoad(Ticket ticket);
    // True when the result of `ticket` may be put into the view now: it is
    // loading and no halt came. The caller decides and shows under the same
    // exclusion as halt() (the window's thread, or lock()).
    bool mayShow(Ticket ticket) const;
    // The task's life is over (shown, failed or stopped): -> Idle, its halt lowered.
    // Ignored for a ticket that is not the current task.
    void end(Ticket ticket);

    TaskPhase phase() const { return phase_.load(); }
    bool busy() const { return phase() != TaskPhase::Idle; }
    bool closed() const { return closed_.load(); }
    // The current task, or 0.
    Ticket current() const;
    bool halted() const { return halt_.load() != 0; }

    // Held by a show that must not interleave with halt() on another thread.
    CriticalSection& lock() const { return guard_; }

  private:
    mutable CriticalSection guard_;
    std::atomic<uint8_t>& halt_;
    std::atomic<TaskPhase> phase_{TaskPhase::Idle};
    std::atomic<bool> closed_{false};
    Ticket ticket_ = 0;
    Ticket lastTicket_ = 0;
};
