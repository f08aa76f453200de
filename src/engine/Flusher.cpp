#include "engine/Flusher.h"

#include <mutex>

namespace tresorix {

Flusher::~Flusher()
{
    {
        std::lock_guard lock(monitor_);
        stopping_ = true;
        monitor_.notifyAll();
    }
    if (thread_.joinable())
        thread_.join();
}

void Flusher::submit(OpenFile& file, uint32_t& error, bool& committed, bool full)
{
    {
        std::lock_guard lock(monitor_);
        jobs_.push_back({&file, &error, &committed, full});
        monitor_.notifyAll();
    }
    if (!thread_.joinable())
        thread_ = std::thread([this] { work(); });
}

void Flusher::wait(const std::function<void()>& meanwhile)
{
    std::unique_lock lock(monitor_);
    auto next = std::chrono::steady_clock::now() + kLookInterval;
    while (!jobs_.empty() || busy_) {
        monitor_.waitFor(kLookInterval);
        if (!meanwhile || std::chrono::steady_clock::now() < next)
            continue;
        lock.unlock();
        meanwhile();
        lock.lock();
        next = std::chrono::steady_clock::now() + kLookInterval;
    }
}

void Flusher::work()
{
    std::unique_lock lock(monitor_);
    for (;;) {
        while (!stopping_ && jobs_.empty())
            monitor_.waitFor(std::chrono::hours(1));
        if (jobs_.empty())
            return;
        Job job = jobs_.front();
        jobs_.pop_front();
        busy_ = true;
        lock.unlock();
        bool committed = true;
        const uint32_t error = job.full ? job.file->flush() : job.file->writeOut(committed);
        lock.lock();
        *job.error = error;
        *job.committed = committed;
        busy_ = false;
        if (jobs_.empty())
            monitor_.notifyAll();
    }
}

}  // namespace tresorix
