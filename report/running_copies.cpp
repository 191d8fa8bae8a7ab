#include "running_copies.h"

#include <new>

RunningCopies::RunningCopies(const char* name) {
    semaphore_ = CreateSemaphoreA(nullptr, 0, 0x7fffffff, name);
    countedIn_ = semaphore_ != nullptr && ReleaseSemaphore(semaphore_, 1, nullptr);
}

void RunningCopies::countOut() {
    if (countedIn_.exchange(false)) WaitForSingleObject(semaphore_, 0);
}

bool RunningCopies::othersRunning() const {
    if (semaphore_ == nullptr) return false;
    if (!countedIn_) return true;
    // The count can only be read by changing it: take this copy's unit out
    // and put it back; what was left is the others'.
    if (WaitForSingleObject(semaphore_, 0) != WAIT_OBJECT_0) return true;
    LONG others = 0;
    if (!ReleaseSemaphore(semaphore_, 1, &others)) return true;
    return others > 0;
}

namespace runningcopies {
namespace {
RunningCopies* thisCopy = nullptr;
} // namespace

void countThisCopyIn() {
    if (thisCopy == nullptr) thisCopy = new (std::nothrow) RunningCopies();
}

void countThisCopyOut() {
    if (thisCopy != nullptr) thisCopy->countOut();
}

bool othersRunning() {
    return thisCopy != nullptr && thisCopy->othersRunning();
}

} // namespace runningcopies
