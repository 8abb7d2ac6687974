// Watches for the request of a calling program to stop the run: the POSIX
// named semaphore given with "exitevent" being posted, or SIGTERM/SIGINT.
//
// The signals must be blocked in every thread (blockStopSignals() first
// thing in main, before any thread exists) so that only this watcher takes
// them.
#pragma once

#include <semaphore.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

namespace tarn {

// Blocks SIGTERM and SIGINT for the calling thread and every thread it
// creates afterwards.
void blockStopSignals();

class ExitWatcher {
public:
    // `name` is the semaphore's name without the leading "/" (empty: none).
    // It is created with the value 0 when it does not exist yet.
    explicit ExitWatcher(const std::string& name);
    ~ExitWatcher();
    ExitWatcher(const ExitWatcher&) = delete;
    ExitWatcher& operator=(const ExitWatcher&) = delete;

    // Whether the named semaphore could be opened.
    bool hasSemaphore() const { return semaphore_ != SEM_FAILED; }

    // Starts watching; `stopRequested` runs once, on the watcher's thread,
    // when the semaphore is posted or a stop signal arrives.
    void start(std::function<void()> stopRequested);
    // Ends the watch (the program is closing); returns when the thread ended.
    void stop();

private:
    void run();

    sem_t* semaphore_ = SEM_FAILED;
    std::function<void()> stopRequested_;
    std::atomic<bool> quit_{false};
    std::thread thread_;
};

}  // namespace tarn
