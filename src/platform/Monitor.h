// A lock with one condition that threads wait for under it. On Windows it
// is the system's slim lock and condition variable: they wait inside the
// process (under Wine on a futex), where the thread library's own waits go
// through kernel objects, one request to the Wine server for every wake.
#pragma once

#include <chrono>
#include <memory>

namespace tresorix {

class Monitor {
public:
    Monitor();
    ~Monitor();
    Monitor(const Monitor&) = delete;
    Monitor& operator=(const Monitor&) = delete;

    // As a mutex, for std::unique_lock and std::lock_guard.
    void lock();
    void unlock();
    // Held: lets the lock go until notified or `timeout` has passed, then
    // takes it again. Wakes may come without a notify; callers test their
    // condition again.
    void waitFor(std::chrono::milliseconds timeout);
    void notifyAll();

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace tresorix
