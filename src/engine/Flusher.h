// Finished copies are written out to their medium on a thread of its own,
// while the run goes on writing the next ones: under Wine a flush is an
// fsync, which costs a small file's copy a third again if it waits for it.
#pragma once

#include "platform/FileSystem.h"
#include "platform/Monitor.h"

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <thread>

namespace tresorix {

class Flusher {
public:
    Flusher() = default;
    Flusher(const Flusher&) = delete;
    Flusher& operator=(const Flusher&) = delete;
    ~Flusher();

    // Queues `file` for OpenFile::writeOut, or with `full` for a whole
    // flush(); its error and whether it still waits for the device's cache
    // land in `error` and `committed`, which must stay where they are until
    // wait() returns.
    void submit(OpenFile& file, uint32_t& error, bool& committed, bool full = false);
    // Returns once every queued file is written out. A slow medium may take
    // seconds for a batch: `meanwhile` runs every kLookInterval until then,
    // so that the waiting thread still answers its windows' messages.
    void wait(const std::function<void()>& meanwhile = {});

    static constexpr std::chrono::milliseconds kLookInterval{200};

private:
    struct Job {
        OpenFile* file;
        uint32_t* error;
        bool* committed;
        bool full;
    };
    void work();

    // One condition for both sides: a file queued, the queue done.
    Monitor monitor_;
    std::deque<Job> jobs_;
    bool busy_ = false;
    bool stopping_ = false;
    std::thread thread_;  // started with the first file
};

}  // namespace tresorix
