#include "engine/Flusher.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace tresorix {
namespace {

// A file whose write-out lasts until the waiting side has been called back
// three times: a batch on a slow medium.
class SlowToWriteOut : public OpenFile {
public:
    uint32_t read(void*, uint32_t, uint32_t&) override { return 0; }
    uint32_t write(const void*, uint32_t, uint32_t&) override { return 0; }
    uint32_t size(uint64_t&) override { return 0; }
    uint32_t setTimeAndAttributes(uint64_t, uint32_t) override { return 0; }
    uint32_t flush() override { return 0; }
    uint32_t close() override { return 0; }
    uint32_t writeOut(bool& committed) override
    {
        std::unique_lock lock(mutex);
        // Bounded, so that a wait that never calls back fails instead of hanging.
        released.wait_for(lock, std::chrono::seconds(10), [this] { return looks >= 3; });
        committed = false;
        return 23;
    }
    void look()
    {
        std::lock_guard lock(mutex);
        ++looks;
        released.notify_one();
    }

    std::mutex mutex;
    std::condition_variable released;
    int looks = 0;
};

// The thread that waits for a batch keeps being called back, so that it can
// answer its windows; the batch's results arrive all the same.
TEST(Flusher, AWaitForASlowMediumCallsBackUntilTheBatchIsOut)
{
    SlowToWriteOut file;
    uint32_t error = 0;
    bool committed = true;
    Flusher flusher;
    flusher.submit(file, error, committed);
    flusher.wait([&] { file.look(); });
    std::lock_guard lock(file.mutex);
    EXPECT_GE(file.looks, 3);
    EXPECT_EQ(error, 23u);
    EXPECT_FALSE(committed);
}

}  // namespace
}  // namespace tresorix
