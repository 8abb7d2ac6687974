// The periodic timer of a polled parameter (a scanner).
//
// The timer only keeps time: when it is armed, when it is next due and how
// it advances. The scheduler thread of the communication layer waits for the
// earliest due timer of all scanners, runs the parameter's poll and lets the
// timer advance. A timer that fell behind (the line was busy) is due once,
// and then follows its period again: missed periods are not made up.
#pragma once

#include <chrono>
#include <mutex>
#include <optional>

namespace tarn {

class PollingTimer {
public:
    using Clock = std::chrono::steady_clock;

    // Told whenever a timer is armed or cancelled, so that a waiting
    // scheduler re-computes its next deadline.
    class Observer {
    public:
        virtual ~Observer() = default;
        virtual void pollingTimerChanged() = 0;
    };

    // First expiry one period after `now`, then every period.
    void arm(std::chrono::milliseconds period, Clock::time_point now = Clock::now());
    void cancel();
    bool armed() const;

    // The next expiry, or nothing when the timer is not armed.
    std::optional<Clock::time_point> nextExpiry() const;

    // When the timer is armed and due at `now`: advances it to the first
    // expiry after `now` and returns true.
    bool consumeExpiry(Clock::time_point now = Clock::now());

    void setObserver(Observer* observer);

private:
    void notify(Observer* observer);

    mutable std::mutex mutex_;
    bool armed_ = false;
    Clock::duration period_{};
    Clock::time_point due_{};
    Observer* observer_ = nullptr;
};

}  // namespace tarn
