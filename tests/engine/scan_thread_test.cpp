// Scanners polled by the ScanThread over the simulated module.
#include "comm/scan_thread.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>

#include "comm/error_texts.h"
#include "engine_fixture.h"
#include "model/parameter.h"

namespace tarn::testing {
namespace {

using namespace std::chrono_literals;

// Collects results. By default it drops each one at once, giving its place
// back as the view does; with `keep` it holds them like a view that does
// not get round to its messages.
class CollectingReceiver : public PollResultReceiver {
public:
    struct Seen {
        Parameter* parameter;
        std::chrono::system_clock::time_point before;
        std::string value;
        std::string status;
    };

    void receivePollResult(PollResult result) override {
        std::lock_guard lock(mutex_);
        seen_.push_back({result.parameter, result.before, result.valueText, result.statusText});
        if (keep) {
            kept_.push_back(std::move(result));
        }
    }

    std::vector<Seen> seen() const {
        std::lock_guard lock(mutex_);
        return seen_;
    }
    int countFor(const Parameter* parameter) const {
        std::lock_guard lock(mutex_);
        int count = 0;
        for (const auto& s : seen_) {
            count += s.parameter == parameter ? 1 : 0;
        }
        return count;
    }
    int total() const {
        std::lock_guard lock(mutex_);
        return static_cast<int>(seen_.size());
    }
    void releaseKept() {
        std::lock_guard lock(mutex_);
        kept_.clear();
    }

    std::atomic<bool> keep{false};

private:
    mutable std::mutex mutex_;
    std::vector<Seen> seen_;
    std::vector<PollResult> kept_;
};

// A polled "r.oe.s" (output state), its output number in the address.
std::unique_ptr<Parameter> makeScanner(int output, int period) {
    auto scanner = std::make_unique<Parameter>("r.oe.s");
    scanner->setValueType("int");
    scanner->setHasLinearIndex(true);
    scanner->setLinearIndex(output);
    scanner->createPollingTimer();
    scanner->setPollingPeriod(period);
    return scanner;
}

class Scanners : public EngineLine {
protected:
    void SetUp() override {
        EngineLine::SetUp();
        engine.setPollResultReceiver(&receiver);
    }

    // Scanners live as long as the test's line: the threads are stopped in
    // TearDown, before they go.
    Parameter* addScanner(int output, int period) {
        scanners_.push_back(makeScanner(output, period));
        return scanners_.back().get();
    }

    CollectingReceiver receiver;

private:
    std::vector<std::unique_ptr<Parameter>> scanners_;
};

TEST_F(Scanners, PollsEveryPeriodFromOnePeriodAfterTheStart) {
    openFastLink();
    Parameter* scanner = addScanner(2, 100);
    ASSERT_TRUE(engine.StartThreads({scanner}));
    EXPECT_TRUE(engine.scanThreadRunning());
    std::this_thread::sleep_for(150ms);
    EXPECT_EQ(receiver.total(), 0);  // nothing polls before it is started

    const auto start = std::chrono::system_clock::now();
    ASSERT_EQ(scanner->startPolling(), 0);
    std::this_thread::sleep_for(1200ms);
    const auto elapsed = std::chrono::system_clock::now() - start;
    ASSERT_TRUE(engine.StopThreads());

    const auto seen = receiver.seen();
    ASSERT_FALSE(seen.empty());
    EXPECT_GE(seen.front().before - start, 95ms);
    // Never more often than the period allows; roughly ten a second (the
    // lower bound only catches a scheduler that stalls).
    const long periods = static_cast<long>(elapsed / 100ms);
    EXPECT_LE(static_cast<long>(seen.size()), periods + 1);
    EXPECT_GE(static_cast<long>(seen.size()), periods / 3);
    for (const auto& s : seen) {
        EXPECT_TRUE(s.value == "0" || s.value == "1") << s.value;
        EXPECT_EQ(s.status, "");
    }
    // The module saw the index in the address, not in the data.
    const auto requests = module.requestLog();
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(requests.back().address, 16 + 2);
    EXPECT_TRUE(requests.back().data.empty());

    // Stopping the threads stopped the scanner and its timer.
    EXPECT_FALSE(engine.scanThreadRunning());
    EXPECT_FALSE(scanner->pollingActive());
    EXPECT_FALSE(scanner->pollingTimer()->armed());
    const int count = receiver.total();
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(receiver.total(), count);
}

TEST_F(Scanners, FollowsStartsStopsAndNewPeriods) {
    openFastLink();
    Parameter* fast = addScanner(0, 50);
    Parameter* slow = addScanner(1, 5000);
    ASSERT_TRUE(engine.StartThreads({fast, slow}));
    slow->startPolling();
    fast->startPolling();
    ASSERT_TRUE(waitFor([&] { return receiver.countFor(fast) >= 3; }));

    // A stopped scanner is not polled any more, the other goes on.
    fast->stopPolling();
    std::this_thread::sleep_for(100ms);
    const int stopped = receiver.countFor(fast);
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(receiver.countFor(fast), stopped);
    EXPECT_EQ(receiver.countFor(slow), 0);

    // Restarted with a short period, the slow one is polled at once.
    slow->stopPolling();
    slow->setPollingPeriod(40);
    slow->startPolling();
    ASSERT_TRUE(waitFor([&] { return receiver.countFor(slow) >= 3; }, 5s));

    // A receiver withdrawn gets nothing more.
    engine.setPollResultReceiver(nullptr);
    const int total = receiver.total();
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(receiver.total(), total);
}

TEST_F(Scanners, ResultsNotReleasedStopTheirScanner) {
    openFastLink();
    receiver.keep = true;
    Parameter* scanner = addScanner(3, 20);
    ASSERT_TRUE(engine.StartThreads({scanner}));
    scanner->startPolling();
    ASSERT_TRUE(waitFor([&] { return receiver.total() >= PollBudget::kMaxInFlight; }));
    std::this_thread::sleep_for(300ms);  // fifteen more periods
    EXPECT_EQ(receiver.total(), PollBudget::kMaxInFlight);
    EXPECT_EQ(scanner->pollResultsInFlight(), PollBudget::kMaxInFlight);
    EXPECT_TRUE(scanner->pollingActive());

    // Once the view has processed them, polling goes on.
    receiver.keep = false;
    receiver.releaseKept();
    EXPECT_EQ(scanner->pollResultsInFlight(), 0);
    ASSERT_TRUE(waitFor([&] { return receiver.total() > PollBudget::kMaxInFlight + 2; }));
}

TEST_F(Scanners, AWithoutAnswerPollCarriesTheTimeout) {
    openFastLink();
    Parameter* scanner = addScanner(0, 100);
    ASSERT_TRUE(engine.StartThreads({scanner}));
    module.setFaults({.silent = true});
    scanner->startPolling();
    ASSERT_TRUE(waitFor([&] { return receiver.total() >= 1; }));
    const auto first = receiver.seen().front();
    EXPECT_EQ(first.value, "");
    EXPECT_EQ(first.status, kTextTimeout);
    // Four sendings, and the next poll (due long since) has begun.
    EXPECT_GE(module.requestsSeen(), 4);

    // Stopping in the middle of the next poll drops its result.
    ASSERT_TRUE(waitFor([&] { return module.requestsSeen() >= 5; }));
    ASSERT_EQ(receiver.total(), 1);
    ASSERT_TRUE(engine.StopThreads());
    EXPECT_EQ(receiver.total(), 1);
}

TEST_F(Scanners, TwoHundredScannersAtOnce) {
    openFastLink();
    std::vector<Parameter*> scanners;
    for (int i = 0; i < 200; ++i) {
        scanners.push_back(addScanner(i % 8, 200 + i));
    }
    ASSERT_TRUE(engine.StartThreads(scanners));
    for (Parameter* scanner : scanners) {
        scanner->startPolling();
    }
    ASSERT_TRUE(waitFor([&] {
        for (Parameter* scanner : scanners) {
            if (receiver.countFor(scanner) < 2) {
                return false;
            }
        }
        return true;
    }));
    ASSERT_TRUE(engine.StopThreads());
    for (Parameter* scanner : scanners) {
        EXPECT_FALSE(scanner->pollingActive());
    }
    for (const auto& s : receiver.seen()) {
        ASSERT_EQ(s.status, "") << s.status;
    }
}

TEST_F(Scanners, TheThreadStartsOncePerStop) {
    openFastLink();
    Parameter* first = addScanner(0, 30);
    Parameter* later = addScanner(1, 30);
    ASSERT_TRUE(engine.StartThreads({first}));
    // Already running: the list is not taken again.
    ASSERT_TRUE(engine.StartThreads({first, later}));
    first->startPolling();
    later->startPolling();
    ASSERT_TRUE(waitFor([&] { return receiver.countFor(first) >= 3; }));
    EXPECT_EQ(receiver.countFor(later), 0);
    ASSERT_TRUE(engine.StopThreads());

    // After a stop every scanner is stopped; a new start takes the new list.
    ASSERT_TRUE(engine.StartThreads({first, later}));
    later->startPolling();
    ASSERT_TRUE(waitFor([&] { return receiver.countFor(later) >= 3; }));
}

}  // namespace
}  // namespace tarn::testing
