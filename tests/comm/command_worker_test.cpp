// The worker of the service dialogs: jobs in order, of a run of latest-value
// jobs only the one on its way and the last.
#include "comm/command_worker.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tarn {
namespace {

TEST(CommandWorker, TheLatestValueWinsWithoutOvertakingOtherJobs) {
    std::mutex mutex;
    std::vector<std::string> done;
    const auto record = [&](std::string what) {
        std::lock_guard lock(mutex);
        done.push_back(std::move(what));
    };
    std::atomic<bool> release{false};
    std::atomic<bool> started{false};
    {
        CommandWorker worker;
        worker.post([&] {
            started = true;
            while (!release) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
            record("choose");
        });
        while (!started) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        EXPECT_FALSE(worker.postLatest([&] { record("1"); }));
        EXPECT_TRUE(worker.postLatest([&] { record("12"); }));
        EXPECT_TRUE(worker.postLatest([&] { record("123"); }));
        // A job of another kind closes the run: what follows it is a run of
        // its own, and it runs after the value before it.
        worker.post([&] { record("finish"); });
        EXPECT_FALSE(worker.postLatest([&] { record("9"); }));
        EXPECT_FALSE(worker.idle());
        release = true;
        worker.waitIdle();
        EXPECT_TRUE(worker.idle());
        worker.postLatest([&] { record("last"); });
        // Destruction runs what is still queued.
    }
    EXPECT_EQ(done, (std::vector<std::string>{"choose", "123", "finish", "9", "last"}));
}

}  // namespace
}  // namespace tarn
