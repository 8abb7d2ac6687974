// The bus-monitor part of tarn-bench: the read of the whole tree through the
// program's real progress window, as an unattended run does it, with the bus
// monitor off and on (a shown window of its own). It prints, side by side,
// the line use (ideal line time / measured time), its ratio on/off, and the
// program's processor time per frame; with --repeat, the runs' median and
// spread, the monitor off and on in turn so that both meet the same load.
#include <QApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QTimer>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/bench_line.h"
#include "bench/bench_support.h"
#include "bench/counting_progress_display.h"
#include "comm/exchange_engine.h"
#include "ui/bus_monitor_dock.h"
#include "ui/bus_monitor_model.h"
#include "ui/bus_monitor_view.h"
#include "ui/progress_dialog.h"
#include "ui/progress_log.h"
#include "ui/qt_progress_display.h"

namespace tarn::bench {
namespace {

struct ReadFigures {
    bool ran = false;
    long frames = 0;
    double lineUse = 0;        // ideal line time / measured time
    double cpuMsPerFrame = 0;  // the program's processor time, the simulator's taken out
    int monitorRows = 0;
};

enum class Progress { Shown, Headless, Counting };

// The program's progress window shown, or not shown as in a run without a
// screen, or the counting window of the other cases.
ReadFigures monitoredRead(const Options& options, TarnDocument& document, int baud, bool monitor,
                          Progress progress, UserInteraction& ui) {
    ReadFigures figures;
    auto module = makeModule(options.container, baud);
    BenchLine bench(*module, baud, true, options.turnaroundUs, ui);
    if (!bench.ready()) {
        return figures;
    }
    bench.link().port().setDirectionMode(SerialPort::kDirectionAutomatic);
    QtProgressDisplay window;
    window.setShown(progress == Progress::Shown);
    CountingProgressDisplay counting;
    ExchangeEngine engine(
        bench.link(), ui,
        progress == Progress::Counting ? static_cast<ProgressDisplay&>(counting) : window);
    EngineSettings settings;
    settings.closingPause = std::chrono::milliseconds(0);
    engine.setSettings(settings);
    if (!engine.StartThreads({})) {
        return figures;
    }
    FrameQueue queue(BusMonitorView::kQueueCapacity);
    std::unique_ptr<BusMonitorDock> monitorWindow;
    if (monitor) {
        bench.link().addFrameObserver(&queue);
        monitorWindow = std::make_unique<BusMonitorDock>(queue);
        monitorWindow->setFloating(true);
        monitorWindow->resize(1200, 400);
        monitorWindow->show();
        QApplication::processEvents();
    }
    forEachParameter(*document.root(), [](Parameter& p) { p.setStatusText({}); });
    bench.server().resetStatistics();
    const double cpuBefore = processCpuSeconds();
    const double simBefore = bench.server().serverCpuSeconds();
    const auto start = Clock::now();
    figures.ran = engine.RunReadBranch(document.root());
    const double measured = seconds(Clock::now() - start);
    const double simCpu = bench.server().serverCpuSeconds() - simBefore;
    const double programCpu = processCpuSeconds() - cpuBefore - simCpu;
    const sim::LineStatistics line = bench.server().statistics();
    engine.StopThreads();
    if (monitor) {
        bench.link().removeFrameObserver(&queue);
        monitorWindow->monitor().takeFrames();
        figures.monitorRows = monitorWindow->monitor().model().rowCount();
    }
    const double character = characterMs(baud) / 1000;
    const double ideal = static_cast<double>(line.charactersIn + line.charactersOut) * character +
                         static_cast<double>(line.answers) * options.turnaroundUs / 1e6;
    figures.frames = line.requests;
    figures.lineUse = measured > 0 ? ideal / measured : 0;
    figures.cpuMsPerFrame = line.requests > 0 ? 1000.0 * programCpu / line.requests : 0;
    return figures;
}

// The processor time of one batch in the shown progress window, half-way
// through a read: the lines go into the log, the log scrolls to its end, the
// figures change and the window paints what changed.
void progressBatchCost() {
    constexpr int kTotal = 312;
    constexpr int kBatches = 400;
    CProgressDialog window;
    window.setTotal(kTotal);
    window.show();
    QApplication::processEvents();
    int processed = 0;
    const auto batch = [&processed](int lines, bool newSecond) {
        std::vector<ProgressUpdate> updates;
        for (int i = 0; i < lines; ++i) {
            ProgressUpdate update;
            ++processed;
            update.line = "  Чтение: Параметр номер " + std::to_string(processed) + " = " +
                          std::to_string(processed * 7 % 1000);
            update.elapsed = newSecond ? "00:00:" + std::to_string(10 + processed % 50) : "";
            update.counts = std::to_string(processed % kTotal) + " из " + std::to_string(kTotal);
            update.position = processed % kTotal;
            update.scrollToEnd = true;
            updates.push_back(update);
        }
        return updates;
    };
    for (int i = 0; i < 300; ++i) {
        window.applyUpdates(batch(2, true));
    }
    QApplication::processEvents();
    std::printf("\nOne batch into the shown progress window (%d lines in the log, %d batches)\n",
                window.log()->count(), kBatches);
    std::printf("  lines/batch  cpu-ms/batch\n");
    for (const int lines : {1, 4, 40}) {
        const double cpuBefore = processCpuSeconds();
        for (int b = 0; b < kBatches; ++b) {
            // The time changes once a second, every fifth batch.
            window.applyUpdates(batch(lines, b % QtProgressDisplay::kBatchesPerSecond == 0));
            QApplication::processEvents();
        }
        std::printf("  %11d  %12.3f\n", lines,
                    1000.0 * (processCpuSeconds() - cpuBefore) / kBatches);
        std::fflush(stdout);
    }
    // As in a read: the window's loop waits for the next batch meanwhile.
    constexpr int kPaced = 25;
    const double cpuBefore = processCpuSeconds();
    for (int b = 0; b < kPaced; ++b) {
        QEventLoop wait;
        QTimer::singleShot(1000 / QtProgressDisplay::kBatchesPerSecond, &wait, &QEventLoop::quit);
        wait.exec();
        window.applyUpdates(batch(4, b % QtProgressDisplay::kBatchesPerSecond == 0));
        QApplication::processEvents();
    }
    std::printf("  %11d  %12.3f  (%d batches %d ms apart, as in a read)\n", 4,
                1000.0 * (processCpuSeconds() - cpuBefore) / kPaced, kPaced,
                1000 / QtProgressDisplay::kBatchesPerSecond);
    std::fflush(stdout);
}

}  // namespace

void runMonitoredReads(const Options& options, TarnDocument& document, UserInteraction& ui) {
    progressBatchCost();
    std::printf(
        "\nRead of the mode-%u tree through the real progress window, bus monitor off and on\n"
        "(platform %s, direction mode 1; cpu-ms: the program's processor time per frame,\n"
        " the simulator's thread taken out; use: ideal line time / measured)\n",
        kBenchMode, qPrintable(QGuiApplication::platformName()));
    if (options.repeat > 1) {
        std::printf(
            "%d runs of each case, monitor off and on in turn; median (smallest..largest),\n"
            "on/off the ratio of the runs side by side\n",
            options.repeat);
    } else {
        std::printf(
            "    baud  progress  frames  use-off   use-on  on/off  cpu-ms-off  cpu-ms-on  "
            "rows\n");
    }
    for (const int baud : options.speeds) {
        const std::pair<Progress, const char*> kinds[] = {{Progress::Shown, "shown"},
                                                          {Progress::Headless, "headless"}};
        for (const auto& [kind, name] : kinds) {
            std::vector<double> useOff, useOn, useRatio, cpuOff, cpuOn;
            long frames = 0;
            int rows = 0;
            for (int run = 0; run < options.repeat; ++run) {
                const ReadFigures off = monitoredRead(options, document, baud, false, kind, ui);
                const ReadFigures on = monitoredRead(options, document, baud, true, kind, ui);
                if (!off.ran || !on.ran) {
                    continue;
                }
                frames = off.frames;
                rows = on.monitorRows;
                useOff.push_back(off.lineUse);
                useOn.push_back(on.lineUse);
                useRatio.push_back(off.lineUse > 0 ? on.lineUse / off.lineUse : 0.0);
                cpuOff.push_back(off.cpuMsPerFrame);
                cpuOn.push_back(on.cpuMsPerFrame);
            }
            if (useOff.empty()) {
                std::printf("  %6d  %-8s  the read did not run\n", baud, name);
            } else if (options.repeat == 1) {
                std::printf("  %6d  %-8s  %6ld   %6.4f   %6.4f  %6.4f     %7.3f    %7.3f  %4d\n",
                            baud, name, frames, useOff[0], useOn[0], useRatio[0], cpuOff[0],
                            cpuOn[0], rows);
            } else {
                std::printf("  %6d  %-8s  %ld frames, %zu runs, %d monitor rows\n", baud, name,
                            frames, useOff.size(), rows);
                std::printf("      use     off %s   on %s   on/off %s\n",
                            spreadText(useOff, 4).c_str(), spreadText(useOn, 4).c_str(),
                            spreadText(useRatio, 4).c_str());
                std::printf("      cpu-ms  off %s   on %s\n", spreadText(cpuOff, 3).c_str(),
                            spreadText(cpuOn, 3).c_str());
            }
            std::fflush(stdout);
        }
        // The exchange alone, with the counting window of the other cases.
        std::vector<double> bareUse, bareCpu;
        long frames = 0;
        for (int run = 0; run < options.repeat; ++run) {
            const ReadFigures bare =
                monitoredRead(options, document, baud, false, Progress::Counting, ui);
            frames = bare.frames;
            bareUse.push_back(bare.lineUse);
            bareCpu.push_back(bare.cpuMsPerFrame);
        }
        if (options.repeat == 1) {
            std::printf("  %6d  counting  %6ld   %6.4f                       %7.3f\n", baud, frames,
                        bareUse[0], bareCpu[0]);
        } else {
            std::printf("  %6d  counting  %ld frames\n      use     %s\n      cpu-ms  %s\n", baud,
                        frames, spreadText(bareUse, 4).c_str(), spreadText(bareCpu, 3).c_str());
        }
        std::fflush(stdout);
    }
}

}  // namespace tarn::bench
