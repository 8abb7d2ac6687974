// ScanThread: polls the scanners, each at its own period, on one thread.
//
// The thread keeps a deadline queue over the polling timers of the scanners
// it was started with and sleeps until the earliest is due; starting,
// stopping or re-timing a scanner (from the view, on any thread) wakes it
// through the timers' observer so that it takes the new deadline. A due
// scanner runs its poll tick: one read, whose result goes to the poll-result
// receiver. There is no limit on the number of scanners.
//
// The first poll of a scanner comes one period after its start, then one
// every period; a poll that falls behind (the line was busy with a task) is
// made once and the period grid resumes, missed periods are not made up. A
// scanner whose results the receiver has not yet released nine times over
// skips its ticks until places are free again.
//
// The scanners must outlive the thread's run: stop the thread before the
// tree that holds them goes.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "model/exchange_result.h"
#include "model/poll_result.h"
#include "model/polling_timer.h"

namespace tarn {

class Parameter;

class ScanThread : private PollingTimer::Observer {
public:
    // Performs one read of a scanner; 0 for success (the engine reads
    // through DeviceLink::ExchangeParameter).
    using Reader = std::function<ExchangeResult(Parameter&)>;

    explicit ScanThread(Reader read);
    ~ScanThread() override;
    ScanThread(const ScanThread&) = delete;
    ScanThread& operator=(const ScanThread&) = delete;

    // Starts polling `scanners` (parameters without a polling timer are
    // left out). Scanners added later are polled after the next start.
    // False when the thread runs already or cannot be created.
    bool start(std::vector<Parameter*> scanners);
    bool running() const;

    // Tells the thread to end and to drop every result from now on, without
    // waiting: call it before aborting the line, so that the aborted read
    // of a poll in progress reaches nobody.
    void requestStop();

    // Ends the thread and waits for it; the scanners' polling is stopped
    // and their timers are cancelled. A read in progress must be made short
    // by the caller (the engine signals the port's stop event first); its
    // result is dropped. Returns whether the thread ended within `bound`;
    // it is never abandoned (it refers to the scanners and the link), so
    // past the bound the wait goes on.
    bool stop(std::chrono::milliseconds bound);

    // Where the results go (the main view); null drops them. After this
    // returns, the previous receiver gets no further result.
    void setReceiver(PollResultReceiver* receiver);

private:
    // Hands results to the current receiver, unless the thread is stopping.
    class Forwarder : public PollResultReceiver {
    public:
        explicit Forwarder(ScanThread& owner) : owner_(owner) {}
        void receivePollResult(PollResult result) override;

    private:
        ScanThread& owner_;
    };

    struct Deadline {
        PollingTimer::Clock::time_point due;
        std::size_t scanner;
        bool operator>(const Deadline& other) const { return due > other.due; }
    };

    void pollingTimerChanged() override;
    void run();
    void rebuildQueue();
    void pushDeadline(std::size_t scanner);
    void endPolling();

    Reader read_;
    Forwarder forwarder_{*this};

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable ended_;
    std::vector<Parameter*> scanners_;
    std::vector<Deadline> queue_;  // a min-heap on `due`
    bool timersChanged_ = false;
    bool running_ = false;
    bool stopping_ = false;
    bool finished_ = false;
    std::thread thread_;

    std::mutex receiverMutex_;
    PollResultReceiver* receiver_ = nullptr;
    std::atomic<bool> dropResults_{false};
};

}  // namespace tarn
