// The trend-plot part of tarn-bench: the fifty scanners of the scanner case,
// their results going to the tree view through its queued calls as in the
// program: without the plot, with ten of them on a shown plot, and with the
// plot and a shown bus monitor taking every frame (offscreen). It prints the
// processor time of each and its ratio to the first; with --repeat, the
// three in turn N times, and the runs' median and spread.
#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "bench/bench_line.h"
#include "bench/bench_support.h"
#include "ui/bus_monitor_dock.h"
#include "ui/bus_monitor_view.h"
#include "ui/tarn_tree_view.h"
#include "ui/trend_plot_view.h"

namespace tarn::bench {
namespace {

constexpr int kScanners = 50;
constexpr int kPlotted = 10;
constexpr int kScanPeriodMs = 100;

// Counts the polls on their way to the view.
class CountingForwarder : public PollResultReceiver {
public:
    explicit CountingForwarder(PollResultReceiver& next) : next_(next) {}
    void receivePollResult(PollResult result) override {
        polls.fetch_add(1);
        next_.receivePollResult(std::move(result));
    }
    std::atomic<long> polls{0};

private:
    PollResultReceiver& next_;
};

// Copies of the tree's scanners, in turn, polling every 100 ms.
std::vector<std::unique_ptr<Parameter>> makeScanners(const DescBranch& scanners) {
    std::vector<const Parameter*> models;
    forEachParameter(scanners, [&models](Parameter& p) { models.push_back(&p); });
    std::vector<std::unique_ptr<Parameter>> made;
    for (int i = 0; i < kScanners && !models.empty(); ++i) {
        const Parameter& model = *models[static_cast<std::size_t>(i) % models.size()];
        auto scanner = std::make_unique<Parameter>(model.networkName());
        scanner->setCaption(model.caption());
        scanner->setValueType(model.valueType());
        scanner->setHasLinearIndex(model.hasLinearIndex());
        scanner->setLinearIndex(model.linearIndex());
        scanner->createPollingTimer();
        scanner->setPollingPeriod(kScanPeriodMs);
        made.push_back(std::move(scanner));
    }
    return made;
}

struct PlotFigures {
    double pollsPerSecond = 0;
    double programCpu = 0;  // per cent of one core
    double redrawsPerSecond = 0;
};

PlotFigures plotCase(const Options& options, TarnDocument& document, bool lineTiming, bool plot,
                     bool monitor, UserInteraction& ui) {
    PlotFigures figures;
    auto module = makeModule(options.container, 115200);
    const auto owned = makeScanners(*document.scanners());
    std::vector<Parameter*> list;
    for (const auto& scanner : owned) {
        list.push_back(scanner.get());
    }
    BenchLine bench(*module, 115200, lineTiming, options.turnaroundUs, ui);
    if (!bench.ready()) {
        return figures;
    }
    bench.link().port().setDirectionMode(SerialPort::kDirectionAutomatic);

    // The program's main view over the document; the plot a window of its own.
    CTARNTreeListView view(ui);
    view.resize(1000, 700);
    view.showDocument(&document, "bench");
    view.show();
    std::unique_ptr<TrendPlotView> plotView;
    if (plot) {
        plotView = std::make_unique<TrendPlotView>(ui);
        plotView->resize(1200, 500);
        plotView->setTimeWindow(TrendPlotView::TimeWindow::Minute);
        for (int i = 0; i < kPlotted; ++i) {
            plotView->addParameter(*list[static_cast<std::size_t>(i)],
                                   QString("Сканер %1").arg(i + 1));
        }
        view.setTrendPlot(plotView.get());
        plotView->show();
    }
    FrameQueue queue(BusMonitorView::kQueueCapacity);
    std::unique_ptr<BusMonitorDock> monitorWindow;
    if (monitor) {
        bench.link().addFrameObserver(&queue);
        monitorWindow = std::make_unique<BusMonitorDock>(queue);
        monitorWindow->setFloating(true);
        monitorWindow->resize(1200, 400);
        monitorWindow->show();
    }
    QApplication::processEvents();

    CountingForwarder receiver(view);
    ExchangeEngine& engine = bench.engine();
    engine.setPollResultReceiver(&receiver);
    engine.StartThreads(list);
    for (auto* scanner : list) {
        scanner->startPolling();
    }
    sim::PtyServer& server = bench.server();
    const int redrawsBefore = plotView ? plotView->redrawCount() : 0;
    const double cpuBefore = processCpuSeconds();
    const double simBefore = server.serverCpuSeconds();
    const auto wallBefore = Clock::now();
    QEventLoop loop;
    QTimer::singleShot(static_cast<int>(options.scanSeconds * 1000), &loop, &QEventLoop::quit);
    loop.exec();
    const double wall = seconds(Clock::now() - wallBefore);
    const double simCpu = server.serverCpuSeconds() - simBefore;
    const double programCpu = processCpuSeconds() - cpuBefore - simCpu;
    engine.StopThreads();
    engine.setPollResultReceiver(nullptr);
    bench.link().removeFrameObserver(&queue);
    // The results still queued for the view go before the scanners do.
    QApplication::processEvents();
    view.setTrendPlot(nullptr);
    view.showDocument(nullptr, {});

    figures.pollsPerSecond = static_cast<double>(receiver.polls.load()) / wall;
    figures.programCpu = 100.0 * programCpu / wall;
    if (plotView) {
        figures.redrawsPerSecond = (plotView->redrawCount() - redrawsBefore) / wall;
    }
    return figures;
}

// The time of drawing fifty lines of a full hour at 100 ms each.
void redrawCost(UserInteraction& ui) {
    TrendPlotView plot(ui);
    plot.resize(1400, 600);
    plot.show();
    QApplication::processEvents();
    std::vector<std::unique_ptr<Parameter>> scanners;
    const auto budget = std::make_shared<PollBudget>();
    const auto start = std::chrono::system_clock::now() - std::chrono::hours(1);
    for (int i = 0; i < kScanners; ++i) {
        auto scanner = std::make_unique<Parameter>("r.Ao");
        scanner->setValueType("float");
        scanner->setPollingPeriod(kScanPeriodMs);
        plot.addParameter(*scanner, QString("Сканер %1").arg(i + 1));
        scanners.push_back(std::move(scanner));
    }
    const int samples = static_cast<int>(TrendSeries::kRecentCapacity);
    for (int k = 0; k < samples; ++k) {
        for (int i = 0; i < kScanners; ++i) {
            PollResult result;
            result.parameter = scanners[static_cast<std::size_t>(i)].get();
            result.before = start + std::chrono::milliseconds(k * kScanPeriodMs);
            result.after = result.before;
            result.valueText = std::to_string(12 + (k + 37 * i) % 400 / 50);
            result.place = PollPlace::take(budget);
            plot.receivePollResult(result);
        }
    }
    std::printf("\nDrawing %d lines of %d samples each (an hour at %d ms), %dx%d:\n", kScanners,
                samples, kScanPeriodMs, plot.width(), plot.height());
    std::printf("  window  per drawing (best, mean)  shown for 6 s: processor, drawings/s\n");
    const std::pair<TrendPlotView::TimeWindow, const char*> windows[] = {
        {TrendPlotView::TimeWindow::Minute, "1 min"},
        {TrendPlotView::TimeWindow::TenMinutes, "10 min"},
        {TrendPlotView::TimeWindow::Hour, "1 h"}};
    for (const auto& [window, name] : windows) {
        plot.setTimeWindow(window);
        const Timing timing = timeRepeated(10, [&plot] {
            plot.redraw();
            // The chart's scene paints in the event loop.
            QApplication::processEvents();
        });
        const int drawn = plot.redrawCount();
        const double cpuBefore = processCpuSeconds();
        const auto wallBefore = Clock::now();
        QEventLoop loop;
        QTimer::singleShot(6000, &loop, &QEventLoop::quit);
        loop.exec();
        const double wall = seconds(Clock::now() - wallBefore);
        std::printf("  %-6s  %7.1f ms %7.1f ms      %6.1f %%   %5.2f\n", name, timing.best,
                    timing.mean, 100.0 * (processCpuSeconds() - cpuBefore) / wall,
                    (plot.redrawCount() - drawn) / wall);
        std::fflush(stdout);
    }
}

}  // namespace

void runPlotScanners(const Options& options, TarnDocument& document, UserInteraction& ui) {
    std::printf(
        "\nTrend plot: %d scanners every %d ms through the tree view, %d of them plotted\n"
        "(offscreen), 115200 baud, direction mode 1, %.0f s per case\n",
        kScanners, kScanPeriodMs, kPlotted, options.scanSeconds);
    if (document.scanners() == nullptr || countParameters(document.scanners()) == 0) {
        std::printf("the tree has no scanners\n");
        return;
    }
    std::printf(
        "(program-CPU: the process's processor time without the simulator's thread,\n"
        " in %% of one core)\n");
    if (options.repeat > 1) {
        std::printf(
            "%d runs of each case, the three in turn; median (smallest..largest), on/off the\n"
            "ratio of the runs side by side\n",
            options.repeat);
    } else {
        std::printf("  line       plot monitor  polls/s  program-CPU  redraws/s\n");
    }
    for (const bool lineTiming : {true, false}) {
        const char* line = lineTiming ? "timed" : "immediate";
        // One list of figures per case: neither, the plot, the plot and the monitor.
        std::vector<double> polls[3], cpu[3], redraws[3], ratio[3];
        for (int run = 0; run < options.repeat; ++run) {
            const PlotFigures figures[3] = {
                plotCase(options, document, lineTiming, false, false, ui),
                plotCase(options, document, lineTiming, true, false, ui),
                plotCase(options, document, lineTiming, true, true, ui)};
            for (int k = 0; k < 3; ++k) {
                polls[k].push_back(figures[k].pollsPerSecond);
                cpu[k].push_back(figures[k].programCpu);
                redraws[k].push_back(figures[k].redrawsPerSecond);
                ratio[k].push_back(figures[0].programCpu > 0
                                       ? figures[k].programCpu / figures[0].programCpu
                                       : 0.0);
            }
        }
        const char* const cases[3] = {"off  off", "on   off", "on   on "};
        for (int k = 0; k < 3; ++k) {
            if (options.repeat == 1) {
                std::printf("  %-9s  %s     %8.1f   %7.3f %%", line, cases[k], polls[k][0],
                            cpu[k][0]);
                if (k > 0) {
                    std::printf("   %6.1f   (on/off %.2f)", redraws[k][0], ratio[k][0]);
                }
                std::printf("\n");
            } else {
                std::printf("  %-9s  plot %s monitor %s: polls/s %s, redraws/s %s\n", line,
                            k == 0 ? "off" : "on", k == 2 ? "on" : "off",
                            spreadText(polls[k], 1).c_str(), spreadText(redraws[k], 1).c_str());
                std::printf("      program-CPU %% %s", spreadText(cpu[k], 3).c_str());
                if (k > 0) {
                    std::printf("   on/off %s", spreadText(ratio[k], 2).c_str());
                }
                std::printf("\n");
            }
        }
        std::fflush(stdout);
    }
    redrawCost(ui);
}

}  // namespace tarn::bench
