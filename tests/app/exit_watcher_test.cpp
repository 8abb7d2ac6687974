#include "app/exit_watcher.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <future>

namespace tarn {
namespace {

std::string uniqueName() {
    return "tarn-test-" + std::to_string(getpid());
}

TEST(ExitWatcher, ThePostedSemaphoreStopsTheRun) {
    blockStopSignals();
    const std::string name = uniqueName();
    sem_unlink(("/" + name).c_str());
    std::promise<void> fired;
    {
        ExitWatcher watcher(name);
        ASSERT_TRUE(watcher.hasSemaphore());
        watcher.start([&fired] { fired.set_value(); });
        sem_t* caller = sem_open(("/" + name).c_str(), 0);
        ASSERT_NE(caller, SEM_FAILED) << "the watcher created it";
        ASSERT_EQ(sem_post(caller), 0);
        sem_close(caller);
        EXPECT_EQ(fired.get_future().wait_for(std::chrono::seconds(5)), std::future_status::ready);
    }
    sem_unlink(("/" + name).c_str());
}

TEST(ExitWatcher, SigtermStopsTheRunOnce) {
    blockStopSignals();
    std::promise<void> fired;
    int calls = 0;
    ExitWatcher watcher("");
    EXPECT_FALSE(watcher.hasSemaphore());
    watcher.start([&] {
        ++calls;
        fired.set_value();
    });
    ASSERT_EQ(kill(getpid(), SIGTERM), 0);
    EXPECT_EQ(fired.get_future().wait_for(std::chrono::seconds(5)), std::future_status::ready);
    watcher.stop();
    EXPECT_EQ(calls, 1);
}

TEST(ExitWatcher, StopEndsAQuietWatchPromptly) {
    ExitWatcher watcher("");
    bool fired = false;
    watcher.start([&] { fired = true; });
    const auto start = std::chrono::steady_clock::now();
    watcher.stop();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_FALSE(fired);
}

TEST(ExitWatcher, NamesWithSlashesAreRefused) {
    ExitWatcher watcher("a/b");
    EXPECT_FALSE(watcher.hasSemaphore());
}

}  // namespace
}  // namespace tarn
