#include "bus_monitor_picture.h"

#include <QApplication>
#include <QTableView>
#include <QTimer>
#include <chrono>
#include <cstdio>

#include "app/main_frame.h"
#include "comm/device_link.h"
#include "comm/exchange_engine.h"
#include "comm/frame_queue.h"
#include "description/tree_container.h"
#include "document/command_ids.h"
#include "document/tarn_document.h"
#include "platform/console_user_interaction.h"
#include "platform/settings_store.h"
#include "sim/builtin_parameters.h"
#include "sim/pty_server.h"
#include "sim/tree_parameters.h"
#include "ui/bus_monitor_dock.h"
#include "ui/bus_monitor_view.h"
#include "ui/qt_progress_display.h"
#include "ui/tarn_tree_view.h"

namespace tarn::screenshots {

bool busMonitorPicture(const QDir& folder, const QString& settingsFolder) {
    sim::SimulatedModule module;
    if (sim::addTreeParameters(module, treeContainerPath()).modes == 0) {
        std::fprintf(stderr, "no tree container beside the program\n");
        return false;
    }
    sim::addModuleCommands(module);
    module.setActiveSettings({{115200, 8, Parity::None, 1}, 16, 8});
    sim::ServerOptions options;
    options.comNumber = 12;
    options.lineTiming = true;
    sim::PtyServer server(module, options);
    std::string error;
    if (!server.start(&error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return false;
    }
    ConsoleUserInteraction ui;
    SettingsStore settings(settingsFolder.toStdString() + "/monitor");
    TarnDocument document(ui, settings, treeContainerPath());
    if (!document.switchToMode(19)) {
        return false;
    }
    LinkContext context;
    DeviceLink link(context, &ui);
    FrameQueue queue(BusMonitorView::kQueueCapacity);
    link.addFrameObserver(&queue);
    link.port().setDirectionMode(SerialPort::kDirectionAutomatic);
    PortSettings line;
    line.port = "COM12";
    line.baudRate = 115200;
    link.OpenLink(line, false);
    QtProgressDisplay progress;
    ExchangeEngine engine(link, ui, progress);
    EngineSettings engineSettings;
    engineSettings.closingPause = std::chrono::milliseconds(0);
    engine.setSettings(engineSettings);

    CMainFrame frame;
    auto* view = new CTARNTreeListView(ui, &frame);
    frame.setCentralWidget(view);
    auto* dock = new BusMonitorDock(queue, &frame);
    frame.addDockWidget(Qt::BottomDockWidgetArea, dock);
    frame.resizeDocks({dock}, {520}, Qt::Vertical);
    frame.showTitle(19, "module.tarn");
    frame.resize(1400, 900);
    view->showDocument(&document, "module.tarn");
    progress.setOwner(&frame);
    frame.show();
    dock->show();
    frame.setChecked(command::kBusMonitor, true);
    engine.StartThreads({});

    // Every twelfth request goes unanswered (resends, and with a time-out
    // now and then).
    module.setFaults({.dropEvery = 12});
    bool saved = false;
    const QString path = folder.filePath(QStringLiteral("bus_monitor.png"));
    // The picture is taken in the middle of the read, with the monitor
    // following the end.
    QTimer::singleShot(2500, &frame, [&] {
        dock->monitor().takeFrames();
        QApplication::processEvents();
        saved = frame.grab().save(path, "PNG");
    });
    engine.RunReadBranch(document.root());
    std::fprintf(saved ? stdout : stderr, "%s %s\n", saved ? "wrote" : "cannot write",
                 path.toLocal8Bit().constData());
    engine.StopThreads();
    link.removeFrameObserver(&queue);
    view->showDocument(nullptr, {});
    link.CloseLink();
    server.stop();
    return saved;
}

}  // namespace tarn::screenshots
