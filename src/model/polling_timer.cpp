#include "model/polling_timer.h"

namespace tarn {

void PollingTimer::arm(std::chrono::milliseconds period, Clock::time_point now) {
    Observer* observer = nullptr;
    {
        std::lock_guard lock(mutex_);
        armed_ = true;
        period_ = period.count() > 0 ? Clock::duration(period)
                                     : Clock::duration(std::chrono::milliseconds(1));
        due_ = now + period_;
        observer = observer_;
    }
    notify(observer);
}

void PollingTimer::cancel() {
    Observer* observer = nullptr;
    {
        std::lock_guard lock(mutex_);
        armed_ = false;
        observer = observer_;
    }
    notify(observer);
}

bool PollingTimer::armed() const {
    std::lock_guard lock(mutex_);
    return armed_;
}

std::optional<PollingTimer::Clock::time_point> PollingTimer::nextExpiry() const {
    std::lock_guard lock(mutex_);
    if (!armed_) {
        return std::nullopt;
    }
    return due_;
}

bool PollingTimer::consumeExpiry(Clock::time_point now) {
    std::lock_guard lock(mutex_);
    if (!armed_ || now < due_) {
        return false;
    }
    const auto behind = (now - due_) / period_;
    due_ += period_ * (behind + 1);
    return true;
}

void PollingTimer::setObserver(Observer* observer) {
    std::lock_guard lock(mutex_);
    observer_ = observer;
}

void PollingTimer::notify(Observer* observer) {
    if (observer != nullptr) {
        observer->pollingTimerChanged();
    }
}

}  // namespace tarn
