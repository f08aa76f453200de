#include "platform/Monitor.h"

#include <windows.h>

namespace tresorix {

struct Monitor::State {
    SRWLOCK lock = SRWLOCK_INIT;
    CONDITION_VARIABLE condition = CONDITION_VARIABLE_INIT;
};

Monitor::Monitor() : state_(std::make_unique<State>()) {}
Monitor::~Monitor() = default;

void Monitor::lock() { AcquireSRWLockExclusive(&state_->lock); }
void Monitor::unlock() { ReleaseSRWLockExclusive(&state_->lock); }

void Monitor::waitFor(std::chrono::milliseconds timeout)
{
    SleepConditionVariableSRW(&state_->condition, &state_->lock, DWORD(timeout.count()), 0);
}

void Monitor::notifyAll() { WakeAllConditionVariable(&state_->condition); }

}  // namespace tresorix
