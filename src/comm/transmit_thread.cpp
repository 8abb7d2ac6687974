#include "comm/transmit_thread.h"

#include <system_error>

#include "comm/frame_source.h"

namespace tarn {

TransmitThread::~TransmitThread() {
    if (running()) {
        stop(std::chrono::milliseconds::max());
    }
}

bool TransmitThread::start() {
    std::lock_guard lock(mutex_);
    if (running_) {
        return true;
    }
    stopping_ = false;
    finished_ = false;
    try {
        thread_ = std::thread([this] { run(); });
    } catch (const std::system_error&) {
        return false;
    }
    running_ = true;
    return true;
}

bool TransmitThread::running() const {
    std::lock_guard lock(mutex_);
    return running_;
}

bool TransmitThread::post(Task task) {
    {
        std::lock_guard lock(mutex_);
        if (!running_ || stopping_) {
            return false;
        }
        queue_.push_back(std::move(task));
    }
    wake_.notify_one();
    return true;
}

bool TransmitThread::isCurrentThread() const {
    return id_.load() == std::this_thread::get_id();
}

bool TransmitThread::stop(std::chrono::milliseconds bound) {
    bool withinBound = true;
    {
        std::unique_lock lock(mutex_);
        if (!running_) {
            return true;
        }
        stopping_ = true;
        wake_.notify_one();
        if (bound != std::chrono::milliseconds::max()) {
            withinBound = ended_.wait_for(lock, bound, [this] { return finished_; });
        }
    }
    // Past the bound we still wait: see the header.
    thread_.join();
    std::lock_guard lock(mutex_);
    running_ = false;
    stopping_ = false;
    finished_ = false;
    return withinBound;
}

void TransmitThread::run() {
    // The frames of the tasks.
    const FrameSourceScope source(FrameSource::Task);
    id_.store(std::this_thread::get_id());
    std::unique_lock lock(mutex_);
    while (true) {
        wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (queue_.empty()) {
            break;  // stopping, nothing left to do
        }
        Task task = std::move(queue_.front());
        queue_.pop_front();
        lock.unlock();
        task();
        lock.lock();
    }
    id_.store(std::thread::id());
    finished_ = true;
    ended_.notify_all();
}

}  // namespace tarn
