#include "bench/bench_support.h"

#include <time.h>

#include <algorithm>
#include <cstdio>

#include "comm/line_settings.h"
#include "sim/builtin_parameters.h"
#include "sim/tree_parameters.h"

namespace tarn::bench {

double seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

double processCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

double characterMs(int baud) {
    return computeLineTimeouts({baud, 8, Parity::None, 1}).characterTime;
}

Timing timeRepeated(int repeats, const std::function<void()>& work) {
    Timing timing;
    timing.best = 1e300;
    for (int i = 0; i < repeats; ++i) {
        const auto start = Clock::now();
        work();
        const double ms = seconds(Clock::now() - start) * 1000;
        timing.best = std::min(timing.best, ms);
        timing.mean += ms / repeats;
    }
    return timing;
}

Spread spreadOf(std::vector<double> values) {
    Spread spread;
    if (values.empty()) {
        return spread;
    }
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    spread.median =
        values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
    spread.min = values.front();
    spread.max = values.back();
    return spread;
}

std::string spreadText(const std::vector<double>& values, int decimals) {
    const Spread spread = spreadOf(values);
    char text[96];
    if (values.size() <= 1) {
        std::snprintf(text, sizeof text, "%.*f", decimals, spread.median);
    } else {
        std::snprintf(text, sizeof text, "%.*f (%.*f..%.*f)", decimals, spread.median, decimals,
                      spread.min, decimals, spread.max);
    }
    return text;
}

int countParameters(const DescBranch* branch) {
    int count = 0;
    if (branch != nullptr) {
        forEachParameter(*branch, [&count](Parameter&) { ++count; });
    }
    return count;
}

// The module of the tree files, at `baud`.
std::unique_ptr<sim::SimulatedModule> makeModule(const std::filesystem::path& container, int baud) {
    auto module = std::make_unique<sim::SimulatedModule>();
    sim::addTreeParameters(*module, container);
    sim::addModuleCommands(*module);
    sim::addLiveBehaviour(*module);
    module->setActiveSettings({{baud, 8, Parity::None, 1}, 16, 8});
    return module;
}

}  // namespace tarn::bench
