#include "comm/scan_thread.h"

#include <algorithm>
#include <system_error>

#include "comm/frame_source.h"
#include "model/parameter.h"

namespace tarn {

ScanThread::ScanThread(Reader read) : read_(std::move(read)) {}

ScanThread::~ScanThread() {
    stop(std::chrono::milliseconds::max());
}

bool ScanThread::start(std::vector<Parameter*> scanners) {
    std::lock_guard lock(mutex_);
    if (running_) {
        return false;
    }
    scanners_.clear();
    for (Parameter* scanner : scanners) {
        if (scanner != nullptr && scanner->hasPollingTimer()) {
            scanners_.push_back(scanner);
        }
    }
    for (Parameter* scanner : scanners_) {
        scanner->pollingTimer()->setObserver(this);
    }
    queue_.clear();
    timersChanged_ = true;
    stopping_ = false;
    finished_ = false;
    dropResults_.store(false);
    try {
        thread_ = std::thread([this] { run(); });
    } catch (const std::system_error&) {
        for (Parameter* scanner : scanners_) {
            scanner->pollingTimer()->setObserver(nullptr);
        }
        scanners_.clear();
        return false;
    }
    running_ = true;
    return true;
}

bool ScanThread::running() const {
    std::lock_guard lock(mutex_);
    return running_;
}

void ScanThread::requestStop() {
    {
        std::lock_guard lock(mutex_);
        if (!running_) {
            return;
        }
        stopping_ = true;
        dropResults_.store(true);
    }
    wake_.notify_one();
}

bool ScanThread::stop(std::chrono::milliseconds bound) {
    bool withinBound = true;
    {
        std::unique_lock lock(mutex_);
        if (!running_) {
            return true;
        }
        stopping_ = true;
        dropResults_.store(true);
        wake_.notify_one();
        if (bound != std::chrono::milliseconds::max()) {
            withinBound = ended_.wait_for(lock, bound, [this] { return finished_; });
        }
    }
    thread_.join();
    std::lock_guard lock(mutex_);
    running_ = false;
    stopping_ = false;
    finished_ = false;
    return withinBound;
}

void ScanThread::setReceiver(PollResultReceiver* receiver) {
    std::lock_guard lock(receiverMutex_);
    receiver_ = receiver;
}

void ScanThread::Forwarder::receivePollResult(PollResult result) {
    std::lock_guard lock(owner_.receiverMutex_);
    if (owner_.receiver_ != nullptr && !owner_.dropResults_.load()) {
        owner_.receiver_->receivePollResult(std::move(result));
    }
}

void ScanThread::pollingTimerChanged() {
    {
        std::lock_guard lock(mutex_);
        timersChanged_ = true;
    }
    wake_.notify_one();
}

void ScanThread::pushDeadline(std::size_t scanner) {
    if (const auto due = scanners_[scanner]->pollingTimer()->nextExpiry()) {
        queue_.push_back({*due, scanner});
        std::push_heap(queue_.begin(), queue_.end(), std::greater<>());
    }
}

void ScanThread::rebuildQueue() {
    queue_.clear();
    for (std::size_t i = 0; i < scanners_.size(); ++i) {
        pushDeadline(i);
    }
    timersChanged_ = false;
}

void ScanThread::run() {
    // The frames of the scanners.
    const FrameSourceScope source(FrameSource::Scanner);
    std::unique_lock lock(mutex_);
    const auto wakeUp = [this] { return stopping_ || timersChanged_; };
    while (!stopping_) {
        if (timersChanged_) {
            rebuildQueue();
        }
        if (queue_.empty()) {
            wake_.wait(lock, wakeUp);
            continue;
        }
        const Deadline next = queue_.front();
        if (PollingTimer::Clock::now() < next.due) {
            wake_.wait_until(lock, next.due, wakeUp);
            continue;
        }
        std::pop_heap(queue_.begin(), queue_.end(), std::greater<>());
        queue_.pop_back();
        Parameter* scanner = scanners_[next.scanner];
        PollingTimer& timer = *scanner->pollingTimer();
        if (!timer.consumeExpiry()) {
            // Re-armed for later, or cancelled, since the entry was made.
            pushDeadline(next.scanner);
            continue;
        }
        lock.unlock();
        scanner->pollTick(read_, &forwarder_);
        lock.lock();
        pushDeadline(next.scanner);
    }
    std::vector<Parameter*> scanners = scanners_;
    lock.unlock();
    for (Parameter* scanner : scanners) {
        scanner->stopPolling();
        scanner->pollingTimer()->setObserver(nullptr);
    }
    lock.lock();
    scanners_.clear();
    queue_.clear();
    finished_ = true;
    ended_.notify_all();
}

}  // namespace tarn
