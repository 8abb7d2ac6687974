// The result of one poll of a scanner, handed from the polling thread to the
// view, and the bound on how many of them a scanner may have in flight.
#pragma once

#include <atomic>
#include <chrono>
#include <memory>
#include <string>

namespace tarn {

class Parameter;

// Shared between a scanner and its results in flight. A result holds one
// place while it lives; the parameter clears `alive` when it is destroyed so
// that a late result is recognised and dropped.
struct PollBudget {
    static constexpr int kMaxInFlight = 9;
    std::atomic<int> inFlight{0};
    std::atomic<bool> alive{true};
};

// Holds one place of a PollBudget and gives it back when destroyed.
class PollPlace {
public:
    PollPlace() = default;
    // Takes a place; an empty PollPlace when all are taken.
    static PollPlace take(const std::shared_ptr<PollBudget>& budget);
    PollPlace(PollPlace&& other) noexcept;
    PollPlace& operator=(PollPlace&& other) noexcept;
    PollPlace(const PollPlace&) = delete;
    PollPlace& operator=(const PollPlace&) = delete;
    ~PollPlace();

    explicit operator bool() const { return budget_ != nullptr; }
    bool parameterAlive() const { return budget_ != nullptr && budget_->alive.load(); }

private:
    void release();
    std::shared_ptr<PollBudget> budget_;
};

// Texts are cut to 511 characters, as the design's fixed buffers hold them.
struct PollResult {
    static constexpr std::size_t kMaxTextChars = 511;

    int addressOffset = 0;
    std::chrono::system_clock::time_point before;
    std::chrono::system_clock::time_point after;
    std::string valueText;   // empty when the read failed
    std::string statusText;  // empty when the read succeeded
    Parameter* parameter = nullptr;
    PollPlace place;

    // The parameter still exists (it may have been destroyed while the
    // result waited in a queue).
    bool parameterAlive() const { return place.parameterAlive(); }
};

// Where a scanner's polls are delivered (the main view, through a queued
// call into its thread).
class PollResultReceiver {
public:
    virtual ~PollResultReceiver() = default;
    virtual void receivePollResult(PollResult result) = 0;
};

}  // namespace tarn
