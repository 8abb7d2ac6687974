#include "trend_plot_picture.h"

#include <QApplication>
#include <QDockWidget>
#include <chrono>
#include <cstdio>

#include "app/main_frame.h"
#include "comm/device_link.h"
#include "comm/exchange_engine.h"
#include "description/tree_container.h"
#include "document/tarn_document.h"
#include "model/desc_branch.h"
#include "model/parameter.h"
#include "platform/console_user_interaction.h"
#include "platform/settings_store.h"
#include "sim/builtin_parameters.h"
#include "sim/pty_server.h"
#include "sim/tree_parameters.h"
#include "ui/qt_progress_display.h"
#include "ui/tarn_tree_view.h"
#include "ui/trend_plot_dock.h"
#include "ui/trend_plot_view.h"

namespace tarn::screenshots {
namespace {

// Events for a while of the steady clock.
void runFor(std::chrono::milliseconds duration) {
    const auto until = std::chrono::steady_clock::now() + duration;
    while (std::chrono::steady_clock::now() < until) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
}

// The scanner of `name` whose address offset is `output`.
Parameter* scanner(const DescBranch& scanners, std::string_view name, int output) {
    Parameter* found = nullptr;
    forEachParameter(scanners, [&](Parameter& p) {
        if (found == nullptr && p.hasName(name) && p.addressOffset() == output) {
            found = &p;
        }
    });
    return found;
}

}  // namespace

bool trendPlotPicture(const QDir& folder, const QString& settingsFolder) {
    sim::SimulatedModule module;
    if (sim::addTreeParameters(module, treeContainerPath()).modes == 0) {
        std::fprintf(stderr, "no tree container beside the program\n");
        return false;
    }
    sim::addModuleCommands(module);
    sim::addLiveBehaviour(module);
    module.setActiveSettings({{115200, 8, Parity::None, 1}, 16, 8});
    sim::ServerOptions options;
    options.comNumber = 11;
    sim::PtyServer server(module, options);
    std::string error;
    if (!server.start(&error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return false;
    }
    ConsoleUserInteraction ui;
    SettingsStore settings(settingsFolder.toStdString() + "/trends");
    TarnDocument document(ui, settings, treeContainerPath());
    if (!document.switchToMode(19) || document.scanners() == nullptr) {
        return false;
    }
    LinkContext context;
    DeviceLink link(context, &ui);
    link.port().setDirectionMode(SerialPort::kDirectionAutomatic);
    PortSettings line;
    line.port = "COM11";
    line.baudRate = 115200;
    link.OpenLink(line, false);
    QtProgressDisplay progress;
    ExchangeEngine engine(link, ui, progress);

    CMainFrame frame;
    auto* view = new CTARNTreeListView(ui, &frame);
    frame.setCentralWidget(view);
    auto* dock = new TrendPlotDock(ui, &frame);
    frame.addDockWidget(Qt::BottomDockWidgetArea, dock);
    view->setTrendPlot(&dock->plot());
    frame.showTitle(19, "module.tarn");
    frame.resize(1280, 900);
    view->showDocument(&document, "module.tarn");
    std::vector<Parameter*> scanners;
    document.scanners()->collectPolledParameters(scanners);
    engine.setPollResultReceiver(view);
    engine.StartThreads(scanners);

    // Three output signals and the state of output 2, chosen in the tree.
    ParameterTreeModel& model = view->treeModel();
    std::vector<Parameter*> plotted;
    for (const auto& [name, output] : {std::pair{"r.Ao", 0}, std::pair{"r.Ao", 1},
                                       std::pair{"r.Ao", 2}, std::pair{"r.oe.s", 1}}) {
        Parameter* p = scanner(*document.scanners(), name, output);
        if (p == nullptr) {
            std::fprintf(stderr, "the scanner %s:%d is missing\n", name, output);
            return false;
        }
        p->setPollingPeriod(100);
        const QModelIndex row = model.indexOfParameter(p);
        for (QModelIndex up = row.parent(); up.isValid(); up = up.parent()) {
            view->expand(up);
        }
        view->showOnPlot(row);
        plotted.push_back(p);
    }
    frame.show();
    dock->plot().setTimeWindow(TrendPlotView::TimeWindow::Minute);
    // Some seconds of live values, a spell of failed polls (the module
    // answers with an error), and live values again.
    runFor(std::chrono::seconds(14));
    module.setFaults({.errorCode = 3});
    runFor(std::chrono::milliseconds(1500));
    module.setFaults({});
    runFor(std::chrono::seconds(8));
    dock->plot().redraw();
    view->scrollTo(model.indexOfParameter(plotted.front()));

    const QString path = folder.filePath(QStringLiteral("trend_plot.png"));
    const bool saved = frame.grab().save(path, "PNG");
    std::fprintf(saved ? stdout : stderr, "%s %s\n", saved ? "wrote" : "cannot write",
                 path.toLocal8Bit().constData());
    engine.StopThreads();
    view->showDocument(nullptr, {});
    link.CloseLink();
    server.stop();
    return saved;
}

}  // namespace tarn::screenshots
