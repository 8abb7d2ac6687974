#include "comm/command_worker.h"

#include "comm/frame_source.h"
namespace tarn {

CommandWorker::CommandWorker() : thread_([this] { run(); }) {}

CommandWorker::~CommandWorker() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void CommandWorker::post(Job job) {
    enqueue(std::move(job), false);
}

bool CommandWorker::postLatest(Job job) {
    return enqueue(std::move(job), true);
}

bool CommandWorker::enqueue(Job job, bool latest) {
    bool replaced = false;
    {
        std::lock_guard lock(mutex_);
        if (latest && !queue_.empty() && queue_.back().latest) {
            queue_.back().job = std::move(job);
            replaced = true;
        } else {
            queue_.push_back({std::move(job), latest});
        }
    }
    wake_.notify_one();
    return replaced;
}

bool CommandWorker::idle() const {
    std::lock_guard lock(mutex_);
    return !busy_ && queue_.empty();
}

void CommandWorker::waitIdle() {
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return !busy_ && queue_.empty(); });
}

void CommandWorker::run() {
    // The frames of the service dialogs' jobs.
    const FrameSourceScope source(FrameSource::ServiceDialog);
    std::unique_lock lock(mutex_);
    while (true) {
        wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (queue_.empty()) {
            return;  // stopping, and everything posted has run
        }
        Job job = std::move(queue_.front().job);
        queue_.pop_front();
        busy_ = true;
        lock.unlock();
        job();
        lock.lock();
        busy_ = false;
        if (queue_.empty()) {
            idle_.notify_all();
        }
    }
}

}  // namespace tarn
