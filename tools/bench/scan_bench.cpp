// The cost of the scanner scheduler: how much of a core the ScanThread
// uses for its waiting, its deadline queue and the hand-over of results,
// with reads that are answered at once (the line's own time is left out).
//
//   tarn-scan-bench [seconds per case]
#include <time.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <thread>
#include <vector>

#include "comm/scan_thread.h"
#include "model/parameter.h"

namespace {

using namespace std::chrono_literals;

double processCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// Drops every result at once, as a view that keeps up does.
class DroppingReceiver : public tarn::PollResultReceiver {
public:
    void receivePollResult(tarn::PollResult) override { received.fetch_add(1); }
    std::atomic<long> received{0};
};

void runCase(const char* title, int scanners, int period, bool polling, double seconds) {
    std::vector<std::unique_ptr<tarn::Parameter>> owned;
    std::vector<tarn::Parameter*> list;
    for (int i = 0; i < scanners; ++i) {
        auto scanner = std::make_unique<tarn::Parameter>("r.oe.s");
        scanner->setValueType("int");
        scanner->setHasLinearIndex(true);
        scanner->setLinearIndex(i % 8);
        scanner->createPollingTimer();
        scanner->setPollingPeriod(period);
        list.push_back(scanner.get());
        owned.push_back(std::move(scanner));
    }
    DroppingReceiver receiver;
    tarn::ScanThread thread([](tarn::Parameter& parameter) {
        parameter.setValueText("1");
        return tarn::ExchangeResult::Ok;
    });
    thread.setReceiver(&receiver);
    thread.start(list);
    if (polling) {
        for (auto* scanner : list) {
            scanner->startPolling();
        }
    }
    const double cpuBefore = processCpuSeconds();
    const auto wallBefore = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    const double cpu = processCpuSeconds() - cpuBefore;
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wallBefore).count();
    const long polls = receiver.received.load();
    thread.stop(std::chrono::milliseconds(1000));
    std::printf("%-46s %8.1f polls/s %7.3f %% of a core\n", title, polls / wall,
                100.0 * cpu / wall);
}

}  // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 3.0;
    std::printf("ScanThread, %.1f s per case\n", seconds);
    runCase("50 scanners every 100 ms", 50, 100, true, seconds);
    runCase("50 scanners, polling stopped", 50, 100, false, seconds);
    runCase("200 scanners every 100 ms", 200, 100, true, seconds);
    runCase("200 scanners every 1000 ms", 200, 1000, true, seconds);
    return 0;
}
