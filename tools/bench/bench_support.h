// What the parts of tarn-bench share: the options, timing helpers, a scratch
// folder, and the simulated module filled from the tree container.
#pragma once

#include <stdlib.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "document/tarn_document.h"
#include "model/desc_branch.h"
#include "platform/user_interaction.h"
#include "sim/simulated_module.h"

namespace tarn::bench {

using Clock = std::chrono::steady_clock;

// The mode whose tree the exchange and the file cases use.
constexpr std::uint32_t kBenchMode = 19;

struct Options {
    std::vector<int> speeds = {9600, 115200};
    double scanSeconds = 30;
    int turnaroundUs = 0;
    std::filesystem::path container;
    bool exchange = true;
    bool files = true;
    bool scanners = true;
    bool plot = true;     // the scanners through the tree view, plot and monitor off and on
    bool monitor = true;  // the reads with the bus monitor off and on
    // How often the monitor and plot cases run, off and on in turn, so that
    // their figures can be judged on the spread of the runs.
    int repeat = 1;
};

double seconds(Clock::duration d);
// The processor time of the whole process.
double processCpuSeconds();
// One character time at `baud`, 8N1, in milliseconds.
double characterMs(int baud);

// Best and mean of `repeats` runs of `work`, in milliseconds.
struct Timing {
    double best = 0;
    double mean = 0;
};
Timing timeRepeated(int repeats, const std::function<void()>& work);

// The median, smallest and largest of the figures of repeated runs.
struct Spread {
    double median = 0;
    double min = 0;
    double max = 0;
};
Spread spreadOf(std::vector<double> values);
// "median (min..max)" with `decimals` decimals; the value alone for one run.
std::string spreadText(const std::vector<double>& values, int decimals);

int countParameters(const DescBranch* branch);

// A folder of its own for the settings and the configuration file.
class ScratchFolder {
public:
    ScratchFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "tarn-bench-XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr) {
            path_ = pattern;
        }
    }
    ~ScratchFolder() {
        std::error_code ec;
        if (!path_.empty()) {
            std::filesystem::remove_all(path_, ec);
        }
    }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

// The module of the tree files in `container`, working at `baud`.
std::unique_ptr<sim::SimulatedModule> makeModule(const std::filesystem::path& container, int baud);

// The parts; each prints its table.
void runExchange(const Options& options, TarnDocument& document, UserInteraction& ui);
void runTrees(const Options& options, UserInteraction& ui);
void runFiles(TarnDocument& document, const std::filesystem::path& folder);
void runScanners(const Options& options, TarnDocument& document, UserInteraction& ui);
// The scanner case through the tree view, without and with a trend plot
// (needs the QApplication).
// With the bus monitor too.
void runPlotScanners(const Options& options, TarnDocument& document, UserInteraction& ui);
// The read of the tree through the real progress window, bus monitor off and
// on (needs the QApplication).
void runMonitoredReads(const Options& options, TarnDocument& document, UserInteraction& ui);

}  // namespace tarn::bench
