// A progress window for runs without a screen: it counts the lines it is
// given and lets runModal return once the task closes it.
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>

#include "comm/progress_display.h"

namespace tarn::bench {

class CountingProgressDisplay : public ProgressDisplay {
public:
    void runModal(const std::string&, int, const std::function<void()>& started,
                  const std::function<void()>&) override {
        {
            std::lock_guard lock(mutex_);
            closed_ = false;
        }
        started();
        std::unique_lock lock(mutex_);
        closedChanged_.wait(lock, [this] { return closed_; });
    }

    void update(const ProgressUpdate&) override { lines_.fetch_add(1); }

    void close() override {
        {
            std::lock_guard lock(mutex_);
            closed_ = true;
        }
        closedChanged_.notify_all();
    }

    long lines() const { return lines_.load(); }

private:
    std::mutex mutex_;
    std::condition_variable closedChanged_;
    bool closed_ = true;
    std::atomic<long> lines_{0};
};

}  // namespace tarn::bench
