// tarn-bench: figures of the exchange with the module and of the document.
//
// - The full tree of mode 19, loaded as the program loads it, is read and
//   written through the exchange engine against the simulated module on a
//   pseudo-terminal that models a half-duplex line, at each speed and in
//   both direction modes. For each case: frames and characters on the line,
//   the ideal line time (every character one character time, plus the
//   module's turnaround per answer), the measured time and their ratio, and
//   the program's own turnaround (answer written -> next request read).
// - The parse and instantiation time of the tree of every mode, and the
//   store and load time of a configuration file.
// - The processor time of 50 scanners polling every 100 ms, and of the
//   same through the tree view without and with a trend plot and the bus
//   monitor (offscreen).
// - The read of the tree through the real progress window with the bus
//   monitor off and on: line use and processor time per frame.
//
// It prints figures and asserts nothing. See docs/performance.md.
#include <QApplication>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "bench/bench_support.h"
#include "comm/line_settings.h"
#include "description/tree_container.h"
#include "platform/console_user_interaction.h"
#include "platform/settings_store.h"

namespace {

using namespace tarn;
using namespace tarn::bench;

const char* const kUsage =
    "Usage: tarn-bench [options]\n"
    "  --speeds LIST       speeds of the exchange cases (default 9600,115200)\n"
    "  --turnaround US     the simulated module's turnaround in microseconds (default 0)\n"
    "  --scan-seconds S    how long the scanners poll per case (default 30)\n"
    "  --trees FILE        the tree container (default: tarn.tree.dat beside tarn-bench)\n"
    "  --only WHAT         exchange, files, scanners, plot or monitor: only that part\n"
    "                      (plot: the scanners through the tree view with the trend plot\n"
    "                      and the bus monitor off and on, part of scanners;\n"
    "                      monitor: the reads with the bus monitor off and on)\n"
    "  --repeat N          run the monitor and plot cases N times, off and on in turn,\n"
    "                      and print the median, smallest and largest of each figure\n";

std::optional<Options> parseOptions(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        const bool hasValue = i + 1 < argc;
        if (option == "--speeds" && hasValue) {
            options.speeds.clear();
            std::string list = argv[++i];
            std::size_t start = 0;
            while (start < list.size()) {
                const auto comma = list.find(',', start);
                const int baud = std::atoi(list.substr(start, comma - start).c_str());
                if (!isAllowedBaudRate(baud)) {
                    return std::nullopt;
                }
                options.speeds.push_back(baud);
                start = comma == std::string::npos ? list.size() : comma + 1;
            }
        } else if (option == "--turnaround" && hasValue) {
            options.turnaroundUs = std::max(0, std::atoi(argv[++i]));
        } else if (option == "--scan-seconds" && hasValue) {
            options.scanSeconds = std::max(0.1, std::atof(argv[++i]));
        } else if (option == "--repeat" && hasValue) {
            options.repeat = std::atoi(argv[++i]);
            if (options.repeat < 1) {
                return std::nullopt;
            }
        } else if (option == "--trees" && hasValue) {
            options.container = argv[++i];
        } else if (option == "--only" && hasValue) {
            const std::string what = argv[++i];
            options.exchange = what == "exchange";
            options.files = what == "files";
            options.scanners = what == "scanners";
            options.plot = what == "scanners" || what == "plot";
            options.monitor = what == "monitor";
            if (!options.exchange && !options.files && !options.plot && !options.monitor) {
                return std::nullopt;
            }
        } else {
            return std::nullopt;
        }
    }
    if (options.container.empty()) {
        options.container = treeContainerPath();
    }
    return options;
}

}  // namespace

int main(int argc, char** argv) {
    // The windows of the plot case are drawn offscreen unless told otherwise.
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    const auto options = parseOptions(argc, argv);
    if (!options) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    ScratchFolder scratch;
    if (scratch.path().empty()) {
        std::fprintf(stderr, "tarn-bench: cannot make a temporary folder\n");
        return 1;
    }
    ConsoleUserInteraction ui;
    SettingsStore settings((scratch.path() / "settings").string());

    if (options->files) {
        runTrees(*options, ui);
    }
    TarnDocument document(ui, settings, options->container);
    const auto loadStart = Clock::now();
    if (!document.switchToMode(kBenchMode) || !document.hasTree()) {
        std::fprintf(stderr, "tarn-bench: the tree of mode %u cannot be loaded from %s\n",
                     kBenchMode, options->container.string().c_str());
        return 1;
    }
    std::printf("\nThe document loads the tree of mode %u in %.3f ms\n", kBenchMode,
                seconds(Clock::now() - loadStart) * 1000);
    if (options->exchange) {
        runExchange(*options, document, ui);
    }
    if (options->monitor) {
        runMonitoredReads(*options, document, ui);
    }
    if (options->files) {
        runFiles(document, scratch.path());
    }
    if (options->scanners) {
        runScanners(*options, document, ui);
    }
    if (options->plot) {
        runPlotScanners(*options, document, ui);
    }
    return 0;
}
