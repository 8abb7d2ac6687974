// The scanner part of tarn-bench: the processor time of fifty scanners
// polling the simulated module.
#include <atomic>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_line.h"
#include "bench/bench_support.h"

namespace tarn::bench {
namespace {

constexpr int kScanners = 50;
constexpr int kScanPeriodMs = 100;

class CountingReceiver : public PollResultReceiver {
public:
    void receivePollResult(PollResult result) override {
        (result.statusText.empty() ? answered : failed).fetch_add(1);
    }
    std::atomic<long> answered{0};
    std::atomic<long> failed{0};
};

// Fifty scanners made after the tree's own, in turn, polling every 100 ms.
std::vector<std::unique_ptr<Parameter>> makeScanners(const DescBranch& scanners) {
    std::vector<const Parameter*> models;
    forEachParameter(scanners, [&models](Parameter& p) { models.push_back(&p); });
    std::vector<std::unique_ptr<Parameter>> made;
    for (int i = 0; i < kScanners && !models.empty(); ++i) {
        const Parameter& model = *models[static_cast<std::size_t>(i) % models.size()];
        auto scanner = std::make_unique<Parameter>(model.networkName());
        scanner->setValueType(model.valueType());
        scanner->setTypeVariant(model.typeVariant());
        scanner->setLimits(model.lowerLimit(), model.upperLimit());
        scanner->setHasLinearIndex(model.hasLinearIndex());
        scanner->setLinearIndex(model.linearIndex());
        scanner->setAddressOffset(model.addressOffset());
        scanner->createPollingTimer();
        scanner->setPollingPeriod(kScanPeriodMs);
        made.push_back(std::move(scanner));
    }
    return made;
}

void scanCase(const Options& options, const DescBranch& scanners, int baud, bool lineTiming,
              int direction, UserInteraction& ui) {
    auto module = makeModule(options.container, baud);
    // The scanners outlive the engine's threads.
    const auto owned = makeScanners(scanners);
    std::vector<Parameter*> list;
    for (const auto& scanner : owned) {
        list.push_back(scanner.get());
    }
    BenchLine bench(*module, baud, lineTiming, options.turnaroundUs, ui);
    if (!bench.ready()) {
        return;
    }
    bench.link().port().setDirectionMode(direction);
    sim::PtyServer& server = bench.server();
    CountingReceiver receiver;
    ExchangeEngine& engine = bench.engine();
    engine.setPollResultReceiver(&receiver);
    engine.StartThreads(list);
    for (auto* scanner : list) {
        scanner->startPolling();
    }
    server.resetStatistics();
    const double cpuBefore = processCpuSeconds();
    const double simBefore = server.serverCpuSeconds();
    const auto wallBefore = Clock::now();
    std::this_thread::sleep_for(std::chrono::duration<double>(options.scanSeconds));
    const double wall = seconds(Clock::now() - wallBefore);
    const double simCpu = server.serverCpuSeconds() - simBefore;
    const double programCpu = processCpuSeconds() - cpuBefore - simCpu;
    const sim::LineStatistics line = server.statistics();
    engine.StopThreads();
    const double lineBusy =
        static_cast<double>(line.charactersIn + line.charactersOut) * characterMs(baud) / 1000;
    std::printf("%6d  %-9s %d %8.1f %8.1f %7.1f %%   %7.3f %%   %7.3f %%\n", baud,
                lineTiming ? "timed" : "immediate", direction,
                static_cast<double>(receiver.answered.load()) / wall,
                static_cast<double>(receiver.failed.load()) / wall,
                lineTiming ? 100.0 * lineBusy / wall : 0.0, 100.0 * programCpu / wall,
                100.0 * simCpu / wall);
    std::fflush(stdout);
}

}  // namespace

void runScanners(const Options& options, TarnDocument& document, UserInteraction& ui) {
    std::printf(
        "\n%d scanners every %d ms, %.0f s per case (made after the %d scanners of the tree)\n",
        kScanners, kScanPeriodMs, options.scanSeconds, countParameters(document.scanners()));
    if (document.scanners() == nullptr || countParameters(document.scanners()) == 0) {
        std::printf("the tree has no scanners\n");
        return;
    }
    std::printf(
        "(line-busy: the share of the time the line carried characters; program-CPU: the\n"
        " process's processor time without the simulator's thread, in %% of one core)\n");
    std::printf("  baud  line    dir  polls/s failed/s line-busy  program-CPU  simulator-CPU\n");
    scanCase(options, *document.scanners(), 9600, true, SerialPort::kDirectionByRts, ui);
    scanCase(options, *document.scanners(), 115200, true, SerialPort::kDirectionAutomatic, ui);
    scanCase(options, *document.scanners(), 115200, true, SerialPort::kDirectionByRts, ui);
    scanCase(options, *document.scanners(), 115200, false, SerialPort::kDirectionAutomatic, ui);
}

}  // namespace tarn::bench
