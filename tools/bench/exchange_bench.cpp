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
// - The processor time of 50 scanners polling every 100 ms.
//
// It prints figures and asserts nothing. See docs/performance.md.
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "bench/counting_progress_display.h"
#include "comm/device_link.h"
#include "comm/error_texts.h"
#include "comm/exchange_engine.h"
#include "comm/line_settings.h"
#include "comm/link_context.h"
#include "description/description_parser.h"
#include "description/tree_container.h"
#include "description/tree_modes.h"
#include "document/tarn_document.h"
#include "model/desc_branch.h"
#include "model/instantiation_context.h"
#include "model/parameter.h"
#include "platform/console_user_interaction.h"
#include "platform/settings_store.h"
#include "platform/text.h"
#include "sim/builtin_parameters.h"
#include "sim/pty_server.h"
#include "sim/simulated_module.h"
#include "sim/tree_parameters.h"

namespace {

using namespace tarn;
using Clock = std::chrono::steady_clock;

constexpr std::uint32_t kBenchMode = 19;
constexpr int kRepeats = 5;
constexpr int kScanners = 50;
constexpr int kScanPeriodMs = 100;

struct Options {
    std::vector<int> speeds = {9600, 115200};
    double scanSeconds = 30;
    int turnaroundUs = 0;
    std::filesystem::path container;
    bool exchange = true;
    bool files = true;
    bool scanners = true;
};

const char* const kUsage =
    "Usage: tarn-bench [options]\n"
    "  --speeds LIST       speeds of the exchange cases (default 9600,115200)\n"
    "  --turnaround US     the simulated module's turnaround in microseconds (default 0)\n"
    "  --scan-seconds S    how long the scanners poll per case (default 30)\n"
    "  --trees FILE        the tree container (default: tarn.tree.dat beside tarn-bench)\n"
    "  --only WHAT         exchange, files or scanners: only that part\n";

double seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

double processCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

double characterMs(int baud) {
    return computeLineTimeouts({baud, 8, kParityNone, 1}).characterTime;
}

// Best and mean of `repeats` runs of `work`, in milliseconds.
struct Timing {
    double best = 0;
    double mean = 0;
};

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

void forEachParameter(const DescBranch& branch, const std::function<void(Parameter&)>& visit) {
    for (const auto& p : branch.parameters()) {
        visit(*p);
    }
    for (const auto& child : branch.children()) {
        forEachParameter(*child, visit);
    }
}

int countParameters(const DescBranch* branch) {
    int count = 0;
    if (branch != nullptr) {
        forEachParameter(*branch, [&count](Parameter&) { ++count; });
    }
    return count;
}

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

// The module of the tree files, at `baud`.
std::unique_ptr<sim::SimulatedModule> makeModule(const std::filesystem::path& container, int baud) {
    auto module = std::make_unique<sim::SimulatedModule>();
    sim::addTreeParameters(*module, container);
    sim::addModuleCommands(*module);
    sim::addLiveBehaviour(*module);
    module->setActiveSettings({{baud, 8, kParityNone, 1}, 16, 8});
    return module;
}

// The simulated module on a line with timing, the link and the engine on it.
class Bench {
public:
    Bench(sim::SimulatedModule& module, int baud, int turnaroundUs, UserInteraction& ui)
        : baud_(baud), link_(context_, &ui), engine_(link_, ui, display_) {
        sim::ServerOptions options;
        options.lineTiming = true;
        options.turnaroundUs = turnaroundUs;
        server_ = std::make_unique<sim::PtyServer>(module, options);
        std::string error;
        if (!server_->start(&error)) {
            std::fprintf(stderr, "tarn-bench: %s\n", error.c_str());
            return;
        }
        LinkSettings settings;
        settings.port = server_->devicePath();
        settings.baudRate = std::to_string(baud);
        if (link_.OpenLink(settings, true) != SerialPort::kOpened) {
            return;
        }
        EngineSettings engineSettings;
        engineSettings.closingPause = std::chrono::milliseconds(0);
        engine_.setSettings(engineSettings);
        ready_ = true;
    }
    ~Bench() {
        engine_.StopThreads();
        link_.CloseLink();
        server_->stop();
    }

    bool ready() const { return ready_; }
    int baud() const { return baud_; }
    ExchangeEngine& engine() { return engine_; }
    DeviceLink& link() { return link_; }
    sim::PtyServer& server() { return *server_; }
    const bench::CountingProgressDisplay& display() const { return display_; }

private:
    int baud_;
    bool ready_ = false;
    std::unique_ptr<sim::PtyServer> server_;
    LinkContext context_;
    DeviceLink link_;
    bench::CountingProgressDisplay display_;
    ExchangeEngine engine_;
};

long percentile(std::vector<long> values, double fraction) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    const auto at = static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1));
    return values[at];
}

// One character there and back over a pseudo-terminal between two threads
// that wait in poll, as the simulator and the program do: the part of the
// measured turnaround that is the system's delivery, not the program.
std::vector<long> terminalRoundTripsUs(int rounds) {
    std::vector<long> trips;
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    std::array<char, 128> name{};
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0 ||
        ptsname_r(master, name.data(), name.size()) != 0) {
        return trips;
    }
    const int slave = ::open(name.data(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave < 0) {
        ::close(master);
        return trips;
    }
    line::configure(master, {115200, 8, kParityNone, 1});
    line::configure(slave, {115200, 8, kParityNone, 1});
    std::thread echo([master, rounds] {
        char c = 0;
        for (int i = 0; i < rounds; ++i) {
            pollfd entry{master, POLLIN, 0};
            if (poll(&entry, 1, 1000) <= 0 || ::read(master, &c, 1) != 1 ||
                ::write(master, &c, 1) != 1) {
                return;
            }
        }
    });
    char c = '#';
    for (int i = 0; i < rounds; ++i) {
        const auto start = Clock::now();
        pollfd entry{slave, POLLIN, 0};
        if (::write(slave, &c, 1) != 1 || poll(&entry, 1, 1000) <= 0 || ::read(slave, &c, 1) != 1) {
            break;
        }
        trips.push_back(static_cast<long>(
            std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start).count()));
    }
    echo.join();
    ::close(slave);
    ::close(master);
    return trips;
}

void exchangeCase(Bench& bench, DescBranch& root, int direction, bool write, int turnaroundUs) {
    bench.link().port().setDirectionMode(direction);
    forEachParameter(root, [](Parameter& p) { p.setStatusText({}); });
    bench.server().resetStatistics();
    const auto start = Clock::now();
    const bool ran =
        write ? bench.engine().RunWriteBranch(&root) : bench.engine().RunReadBranch(&root);
    const double measured = seconds(Clock::now() - start);
    const sim::LineStatistics line = bench.server().statistics();
    if (!ran) {
        std::printf("%-6s %6d   %d   the task did not run\n", write ? "write" : "read",
                    bench.baud(), direction);
        return;
    }
    int timeouts = 0;
    int refused = 0;
    forEachParameter(root, [&](Parameter& p) {
        if (p.statusText() == kTextTimeout) {
            ++timeouts;
        } else if (!p.statusText().empty()) {
            ++refused;
        }
    });
    const double character = characterMs(bench.baud()) / 1000;
    const double ideal = static_cast<double>(line.charactersIn + line.charactersOut) * character +
                         static_cast<double>(line.answers) * turnaroundUs / 1e6;
    const double lateMean =
        line.answers > 0 ? static_cast<double>(line.answersLateUs) / line.answers : 0.0;
    std::printf(
        "%-6s %6d   %d %7ld %7ld %8ld %8ld %9.3f %9.3f %6.3f %6.3f %6ld %6ld %6ld %5.0f %5ld %5d "
        "%5d\n",
        write ? "write" : "read", bench.baud(), direction, line.requests, line.answers,
        line.charactersIn, line.charactersOut, ideal, measured, ideal / measured,
        ideal / (measured - static_cast<double>(line.answersLateUs) / 1e6),
        percentile(line.programTurnaroundsUs, 0.5), percentile(line.programTurnaroundsUs, 0.99),
        percentile(line.programTurnaroundsUs, 1.0), lateMean, line.answerLateMaxUs, timeouts,
        refused);
    std::fflush(stdout);
}

void runExchange(const Options& options, TarnDocument& document, UserInteraction& ui) {
    std::printf(
        "\nExchange of the mode-%u tree (%d parameters) with the simulated module, "
        "module turnaround %d us\n",
        kBenchMode, countParameters(document.root()), options.turnaroundUs);
    const std::vector<long> trips = terminalRoundTripsUs(2000);
    std::printf(
        "terminal round trip (one character there and back between two threads): "
        "median %ld us, p99 %ld us\n",
        percentile(trips, 0.5), percentile(trips, 0.99));
    std::printf(
        "(turn-us: answer written -> next request read, median, p99 and largest; it holds one\n"
        " terminal round trip. late-us: how much later than due the simulator wrote an answer,\n"
        " mean and largest; ratio*: the ratio with the simulator's lateness taken out)\n");
    std::printf(
        "task     baud dir  frames answers chars-in chars-out  ideal-s measured-s  ratio ratio* "
        "turn-us p99-us max-us late-us max-us tmout other\n");
    for (const int baud : options.speeds) {
        auto module = makeModule(options.container, baud);
        Bench bench(*module, baud, options.turnaroundUs, ui);
        if (!bench.ready() || !bench.engine().StartThreads({})) {
            std::printf("%6d: the simulated line could not be set up\n", baud);
            continue;
        }
        for (const int direction : {SerialPort::kDirectionByRts, SerialPort::kDirectionAutomatic}) {
            exchangeCase(bench, *document.root(), direction, false, options.turnaroundUs);
            exchangeCase(bench, *document.root(), direction, true, options.turnaroundUs);
        }
        std::printf("       (one character: %.1f us; progress lines shown: %ld)\n",
                    characterMs(baud) * 1000, bench.display().lines());
    }
}

void runTrees(const Options& options, UserInteraction& ui) {
    std::printf("\nTrees of the container %s (best and mean of %d)\n",
                options.container.string().c_str(), kRepeats);
    std::printf("mode file                   params  read+inflate-ms      parse+instantiate-ms\n");
    for (const std::uint32_t mode : kTreeModes) {
        const ModeTree file = treeFileForMode(mode);
        TreeText text;
        const Timing reading =
            timeRepeated(kRepeats, [&] { text = readTreeText(options.container, file.fileName); });
        if (!text.usable()) {
            std::printf("%4u %-22s cannot be read: %s\n", mode, file.fileName.c_str(),
                        text.detail.c_str());
            continue;
        }
        const std::string utf8 = text::fromCp1251(text.bytes);
        int parameters = 0;
        const Timing building = timeRepeated(kRepeats, [&] {
            InstantiationContext context(ui);
            ParameterTree tree = buildParameterTree(utf8, context);
            parameters = countParameters(tree.root.get()) + countParameters(tree.scanners.get());
        });
        std::printf("%4u %-22s %6d  %7.3f %7.3f       %7.3f %7.3f\n", mode, file.fileName.c_str(),
                    parameters, reading.best, reading.mean, building.best, building.mean);
    }
}

void runFiles(TarnDocument& document, const std::filesystem::path& folder) {
    std::printf("\nConfiguration file of mode %u (best and mean of %d)\n", document.mode(),
                kRepeats);
    const std::filesystem::path file = folder / "bench.tarn";
    bool stored = true;
    const Timing store =
        timeRepeated(kRepeats, [&] { stored = document.saveFile(file) && stored; });
    TarnDocument::LoadResult result = TarnDocument::LoadResult::Loaded;
    const Timing load = timeRepeated(kRepeats, [&] { result = document.loadFile(file); });
    std::error_code ec;
    const auto size = std::filesystem::file_size(file, ec);
    std::printf("store %7.3f ms best %7.3f ms mean%s\n", store.best, store.mean,
                stored ? "" : "  (FAILED)");
    std::printf("load  %7.3f ms best %7.3f ms mean (tree rebuilt from the container included)%s\n",
                load.best, load.mean,
                result == TarnDocument::LoadResult::Loaded ? "" : "  (FAILED)");
    std::printf("file  %llu bytes\n", static_cast<unsigned long long>(ec ? 0 : size));
}

class CountingReceiver : public PollResultReceiver {
public:
    void receivePollResult(PollResult result) override {
        (result.statusText.empty() ? answered : failed).fetch_add(1);
    }
    std::atomic<long> answered{0};
    std::atomic<long> failed{0};
};

void scanCase(const Options& options, const DescBranch& scanners, int baud, bool lineTiming,
              int direction, UserInteraction& ui) {
    auto module = makeModule(options.container, baud);
    sim::ServerOptions serverOptions;
    serverOptions.lineTiming = lineTiming;
    serverOptions.turnaroundUs = options.turnaroundUs;
    sim::PtyServer server(*module, serverOptions);
    std::string error;
    if (!server.start(&error)) {
        std::printf("the simulated line could not be set up: %s\n", error.c_str());
        return;
    }
    LinkContext context;
    DeviceLink link(context, &ui);
    LinkSettings settings;
    settings.port = server.devicePath();
    settings.baudRate = std::to_string(baud);
    if (link.OpenLink(settings, true) != SerialPort::kOpened) {
        return;
    }
    link.port().setDirectionMode(direction);

    // Fifty scanners made after the tree's own, in turn.
    std::vector<const Parameter*> models;
    forEachParameter(scanners, [&models](Parameter& p) { models.push_back(&p); });
    std::vector<std::unique_ptr<Parameter>> owned;
    std::vector<Parameter*> list;
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
        list.push_back(scanner.get());
        owned.push_back(std::move(scanner));
    }

    bench::CountingProgressDisplay display;
    CountingReceiver receiver;
    {
        ExchangeEngine engine(link, ui, display);
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
    link.CloseLink();
    server.stop();
}

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
        } else if (option == "--trees" && hasValue) {
            options.container = argv[++i];
        } else if (option == "--only" && hasValue) {
            const std::string what = argv[++i];
            options.exchange = what == "exchange";
            options.files = what == "files";
            options.scanners = what == "scanners";
            if (!options.exchange && !options.files && !options.scanners) {
                return std::nullopt;
            }
        } else {
            return std::nullopt;
        }
    }
    if (options.container.empty()) {
        options.container = programFolder() / kTreeContainerFileName;
    }
    return options;
}

}  // namespace

int main(int argc, char** argv) {
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
    if (options->files) {
        runFiles(document, scratch.path());
    }
    if (options->scanners) {
        runScanners(*options, document, ui);
    }
    return 0;
}
