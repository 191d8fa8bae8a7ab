#include "task_life.h"

TaskLife::Ticket TaskLife::start() {
    ScopedLock lock(guard_);
    if (phase_ != TaskPhase::Idle || closed_) return 0;
    if (++lastTicket_ == 0) ++lastTicket_;
    ticket_ = lastTicket_;
    // Whatever halt an earlier task left is not this one's.
    halt_ = 0;
    phase_ = TaskPhase::Requested;
    return ticket_;
}

bool TaskLife::run(Ticket ticket) {
    ScopedLock lock(guard_);
    if (ticket == 0 || ticket != ticket_ || phase_ != TaskPhase::Requested || halt_) return false;
    phase_ = TaskPhase::Running;
    return true;
}

bool TaskLife::halt() {
    ScopedLock lock(guard_);
    switch (phase_.load()) {
    case TaskPhase::Idle:
        return false;
    case TaskPhase::Requested:
    case TaskPhase::Finished:
        // Nobody runs it: stopping it is ending it.
        halt_ = 0;
        ticket_ = 0;
        phase_ = TaskPhase::Idle;
        return false;
    case TaskPhase::Running:
    case TaskPhase::Loading:
        halt_ = 1;
        return true;
    }
    return false;
}

bool TaskLife::close() {
    ScopedLock lock(guard_);
    closed_ = true;
    return halt();
}

bool TaskLife::finishRun(Ticket ticket) {
    ScopedLock lock(guard_);
    if (ticket == 0 || ticket != ticket_ || phase_ != TaskPhase::Running || halt_) return false;
    phase_ = TaskPhase::Finished;
    return true;
}

bool TaskLife::beginLoad(Ticket ticket) {
    ScopedLock lock(guard_);
    if (ticket == 0 || ticket != ticket_ || halt_) return false;
    if (phase_ != TaskPhase::Running && phase_ != TaskPhase::Finished) return false;
    phase_ = TaskPhase::Loading;
    return true;
}

bool TaskLife::mayShow(Ticket ticket) const {
    ScopedLock lock(guard_);
    return ticket != 0 && ticket == ticket_ && phase_ == TaskPhase::Loading && !halt_;
}

void TaskLife::end(Ticket ticket) {
    ScopedLock lock(guard_);
    if (ticket == 0 || ticket != ticket_) return;
    halt_ = 0;
    ticket_ = 0;
    phase_ = TaskPhase::Idle;
}

TaskLife::Ticket TaskLife::current() const {
    ScopedLock lock(guard_);
    return ticket_;
}
