#include "model/poll_result.h"

namespace tarn {

PollPlace PollPlace::take(const std::shared_ptr<PollBudget>& budget) {
    PollPlace place;
    if (!budget) {
        return place;
    }
    int current = budget->inFlight.load();
    while (current < PollBudget::kMaxInFlight) {
        if (budget->inFlight.compare_exchange_weak(current, current + 1)) {
            place.budget_ = budget;
            return place;
        }
    }
    return place;
}

PollPlace::PollPlace(PollPlace&& other) noexcept : budget_(std::move(other.budget_)) {}

PollPlace& PollPlace::operator=(PollPlace&& other) noexcept {
    if (this != &other) {
        release();
        budget_ = std::move(other.budget_);
    }
    return *this;
}

PollPlace::~PollPlace() {
    release();
}

void PollPlace::release() {
    if (budget_) {
        budget_->inFlight.fetch_sub(1);
        budget_.reset();
    }
}

}  // namespace tarn
