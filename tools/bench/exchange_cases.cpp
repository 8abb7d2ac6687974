// The exchange part of tarn-bench: the whole tree read and written through
// the engine against the simulated module on a timed line.
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_line.h"
#include "bench/bench_support.h"
#include "bench/counting_progress_display.h"
#include "comm/device_link.h"
#include "comm/error_texts.h"
#include "comm/exchange_engine.h"
#include "comm/line_settings.h"
#include "comm/link_context.h"
#include "sim/pty_server.h"

namespace tarn::bench {
namespace {

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
    line::configure(master, {115200, 8, Parity::None, 1});
    line::configure(slave, {115200, 8, Parity::None, 1});
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

void exchangeCase(BenchLine& bench, DescBranch& root, int direction, bool write, int turnaroundUs) {
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

}  // namespace

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
        BenchLine bench(*module, baud, true, options.turnaroundUs, ui);
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

}  // namespace tarn::bench
