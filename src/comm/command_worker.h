// CommandWorker: the thread on which a service dialog's device work runs, so
// that the window keeps painting while the line is busy.
//
// Jobs run one after another in the order they were posted, so two
// exchanges of a dialog never interleave on the line. A job posted with
// postLatest takes the place of the job before it when that one was also
// posted with postLatest and has not started yet: of a quick run of such
// jobs (a value typed digit by digit) the one on the line finishes, the
// next one to run is the latest, and those in between are dropped.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace tarn {

class CommandWorker {
public:
    using Job = std::function<void()>;

    // Starts the thread.
    CommandWorker();
    // Runs the jobs still queued, then ends the thread. Must not be called
    // from a job.
    ~CommandWorker();
    CommandWorker(const CommandWorker&) = delete;
    CommandWorker& operator=(const CommandWorker&) = delete;

    void post(Job job);
    // True when it took the place of a job that will now never run.
    bool postLatest(Job job);

    // Nothing runs and nothing waits.
    bool idle() const;
    // Waits until idle. Must not be called from a job.
    void waitIdle();

private:
    struct Entry {
        Job job;
        bool latest = false;
    };
    bool enqueue(Job job, bool latest);
    void run();

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::deque<Entry> queue_;
    bool busy_ = false;
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace tarn
