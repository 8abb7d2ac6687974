// TransmitThread: the worker that runs device tasks one at a time, in the
// order they were handed over.
//
// A task is any callable; the exchange engine hands over its tasks (read a
// branch, write, compare, ...) wrapped with their opening and closing steps.
// The thread never ends in the middle of a task: stop() lets it finish the
// current task and every task still queued (so that every progress window
// that was opened is also closed), then the thread ends. Whoever stops it
// makes the tasks short first (the engine raises its stop request and
// signals the port's stop event, which aborts a waiting transfer at once).
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace tarn {

class TransmitThread {
public:
    using Task = std::function<void()>;

    TransmitThread() = default;
    // Stops the thread (without a bound).
    ~TransmitThread();
    TransmitThread(const TransmitThread&) = delete;
    TransmitThread& operator=(const TransmitThread&) = delete;

    // Starts the thread unless it runs; false when the system cannot create
    // it.
    bool start();
    bool running() const;

    // Queues a task; false (and the task is dropped) when the thread does
    // not run or is stopping.
    bool post(Task task);

    // Whether the calling thread is this worker.
    bool isCurrentThread() const;

    // Lets the thread finish its tasks and end, and waits for it. Returns
    // whether it ended within `bound`. It is never abandoned: past the bound
    // the wait goes on until the thread has ended, because its tasks refer
    // to the tree, the link and the progress window. Must not be called from
    // the worker itself.
    bool stop(std::chrono::milliseconds bound);

private:
    void run();

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable ended_;
    std::deque<Task> queue_;
    bool running_ = false;
    bool stopping_ = false;
    bool finished_ = false;
    std::thread thread_;
    std::atomic<std::thread::id> id_{};
};

}  // namespace tarn
