#include "engine/Flusher.h"

namespace tresorix {

Flusher::~Flusher()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    queued_.notify_one();
    if (thread_.joinable())
        thread_.join();
}

void Flusher::submit(OpenFile& file, uint32_t& error, bool& committed)
{
    {
        std::lock_guard lock(mutex_);
        jobs_.push_back({&file, &error, &committed});
    }
    if (!thread_.joinable())
        thread_ = std::thread([this] { work(); });
    queued_.notify_one();
}

void Flusher::wait(const std::function<void()>& meanwhile)
{
    std::unique_lock lock(mutex_);
    while (!done_.wait_for(lock, kLookInterval, [this] { return jobs_.empty() && !busy_; })) {
        if (!meanwhile)
            continue;
        lock.unlock();
        meanwhile();
        lock.lock();
    }
}

void Flusher::work()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        queued_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
        if (jobs_.empty())
            return;
        Job job = jobs_.front();
        jobs_.pop_front();
        busy_ = true;
        lock.unlock();
        bool committed = true;
        const uint32_t error = job.file->writeOut(committed);
        lock.lock();
        *job.error = error;
        *job.committed = committed;
        busy_ = false;
        if (jobs_.empty())
            done_.notify_all();
    }
}

}  // namespace tresorix
