#include "app/tarn_application.h"

#include <QAction>
#include <QApplication>
#include <QTimer>
#include <thread>

#include "app/command_router.h"
#include "app/exit_code.h"
#include "app/file_commands.h"
#include "app/main_frame.h"
#include "app/qt_service_dialogs.h"
#include "app/recent_files.h"
#include "app/startup_sequence.h"
#include "app/unattended_run.h"
#include "comm/control_mode_check.h"
#include "comm/device_link.h"
#include "comm/exchange_engine.h"
#include "comm/frame_queue.h"
#include "comm/frame_trace_file.h"
#include "description/tree_container.h"
#include "document/access_level.h"
#include "document/command_ids.h"
#include "document/document_commands.h"
#include "document/tarn_document.h"
#include "model/port_settings.h"
#include "platform/console_user_interaction.h"
#include "ui/bus_monitor_dock.h"
#include "ui/bus_monitor_view.h"
#include "ui/qt_progress_display.h"
#include "ui/qt_user_interaction.h"
#include "ui/tarn_tree_view.h"
#include "ui/trend_plot_dock.h"
#include "ui/wait_cursor.h"

namespace tarn {
TarnApplication::TarnApplication(CommandLine line, bool headless,
                                 std::unique_ptr<UserInteraction> ui, QObject* parent)
    : QObject(parent),
      line_(std::move(line)),
      headless_(headless),
      settings_(SettingsStore::fromEnvironment()),
      ui_(std::move(ui)) {}

TarnApplication::~TarnApplication() {
    if (unattended_) {
        unattended_->stop();
    }
    if (engine_) {
        engine_->StopThreads();
    }
    if (link_) {
        link_->removeFrameObserver(monitorQueue_.get());
        link_->removeFrameObserver(trace_.get());
    }
    // The view goes with the frame before the document it shows; the
    // document no longer asks the engine once the engine goes.
    frame_.reset();
    if (document_) {
        document_->setHooks({});
    }
    files_.reset();
    commands_.reset();
    dialogs_.reset();
    engine_.reset();
    document_.reset();
    link_.reset();
}

int TarnApplication::exitCode(int normal) const {
    // A run stopped by its caller ends with the stop's code: what the
    // stopped exchanges reported after it is a consequence of the stop.
    if (unattended_ && unattended_->stoppedByCaller()) {
        return exitCodeFor(kRunInterrupted, normal);
    }
    return exitCodeFor(context_.runResultCode(),
                       unattended_ ? unattended_->normalExitCode(normal) : normal);
}

bool TarnApplication::start() {
    accessLevel_ = kAccessLevelAtStart;
    context_.setFullAccess(dangerousOperationsAllowed(accessLevel_));
    return StartupSequence(*this).run();
}

void TarnApplication::writeReport(int exitCode) const {
    if (unattended_ && document_) {
        unattended_->writeReport(exitCode);
    }
}

QString TarnApplication::taskSummary() const {
    return unattended_ ? unattended_->summary() : QString();
}

void TarnApplication::createParts() {
    if (!ui_ && headless_) {
        ui_ = std::make_unique<ConsoleUserInteraction>();
    } else if (!ui_) {
        ui_ = std::make_unique<QtUserInteraction>();
    }
    progress_ = std::make_unique<QtProgressDisplay>();
    // Nobody sees a progress window without a screen: it is not shown.
    progress_->setShown(!headless_);
    recent_ = std::make_unique<RecentFiles>(settings_);
    document_ = std::make_unique<TarnDocument>(*ui_, settings_, treeContainerPath());
    link_ = std::make_unique<DeviceLink>(context_, ui_.get());
    monitorQueue_ = std::make_unique<FrameQueue>(BusMonitorView::kQueueCapacity);
    link_->addFrameObserver(monitorQueue_.get());
    if (!line_.tracePath.empty()) {
        trace_ = std::make_unique<FrameTraceFile>();
        std::string error;
        if (trace_->open(line_.tracePath, &error)) {
            link_->addFrameObserver(trace_.get());
        } else {
            ui_->showMessage(
                "Не удается создать файл трассировки " + line_.tracePath + ": " + error, "TARN",
                MessageIcon::Error, kMessageTopmost);
        }
    }
    engine_ = std::make_unique<ExchangeEngine>(*link_, *ui_, *progress_);
    engine_->setObserver(this);
    engine_->setDangerousOperationCheck(
        [this](bool fullAccess) { return checkDangerousOperation(fullAccess, *ui_); });
    EngineSettings engineSettings;
    engineSettings.unattended = line_.unattended();
    engineSettings.storeAfterTask = line_.hasB(CommandLine::kRead);
    engineSettings.errorLogPath = line_.errorLogPath;
    if (headless_) {
        // Nobody reads the progress log of a run without a screen.
        engineSettings.closingPause = std::chrono::milliseconds(0);
    }
    engine_->setSettings(engineSettings);
    document_->setHooks({
        .stopPolling = [this] { engine_->StopThreads(); },
        .treeLoaded =
            [this](std::uint32_t mode) {
                WaitCursor wait;
                checkControlMode(*engine_, *ui_, mode, line_.unattended());
            },
    });

    dialogs_ = std::make_unique<QtServiceDialogs>(QtServiceDialogs::Context{
        .document = *document_,
        .link = *link_,
        .engine = *engine_,
        .ui = *ui_,
        .settings = settings_,
        .window = [this]() -> QWidget* { return frame_.get(); },
        .silent = [this] { return line_.silent(); },
        .accessLevel = [this] { return accessLevel_; },
    });
    commands_ = std::make_unique<DocumentCommands>(*document_, *link_, *engine_, *ui_);
    commands_->setServiceDialogs(dialogs_.get());
    commands_->setUnattended(line_.unattended(), line_.hasB(CommandLine::kAply));
    commands_->setHooks({
        .refreshViews =
            [this] {
                if (view_ != nullptr) {
                    view_->refreshAll();
                }
            },
        .busy = showWaitCursor,
        .pause =
            [this](std::chrono::milliseconds duration) {
                if (frame_) {
                    frame_->waitWithoutCommands(duration);
                } else {
                    std::this_thread::sleep_for(duration);
                }
            },
        .calibrationClosed = [this] { unattended_->taskDone(); },
    });

    files_ = std::make_unique<FileCommands>(*document_, *link_, *engine_, *ui_, *recent_,
                                            line_.unattended());
    files_->setHooks({
        .detachView =
            [this] {
                if (view_ != nullptr) {
                    view_->showDocument(nullptr, QString());
                }
            },
        .documentChanged = [this] { documentChanged(); },
        .titleChanged = [this] { showTitle(); },
        .recentFilesChanged =
            [this] {
                if (frame_) {
                    frame_->setRecentFiles(recent_->paths());
                }
            },
        .window = [this]() -> QWidget* { return frame_.get(); },
    });
    unattended_ = std::make_unique<UnattendedRun>(*this);
}

void TarnApplication::createMainWindow() {
    frame_ = std::make_unique<CMainFrame>();
    view_ = new CTARNTreeListView(*ui_, frame_.get());
    frame_->setCentralWidget(view_);
    if (auto* boxes = dynamic_cast<QtUserInteraction*>(ui_.get())) {
        boxes->setOwner(frame_.get());
    }
    progress_->setOwner(frame_.get());
    view_->setAutoRead([this] { return context_.autoRead(); },
                       [this](Parameter& parameter) { engine_->ReadParameter(parameter); });
    engine_->setPollResultReceiver(view_);
    view_->setEngine(engine_.get());
    view_->setImmediateWrite([this] { return context_.immediateWrite(); });
    view_->setPortSettingsApply(
        [this] { link_->OpenLink(portSettingsFrom(document_->programSettings()), true); });

    view_->setBranchMenu(frame_->treeMenu());
    // The trend plots take the poll results the view receives.
    plotDock_ = new TrendPlotDock(*ui_, frame_.get());
    frame_->addDockWidget(Qt::BottomDockWidgetArea, plotDock_);
    plotDock_->hide();
    view_->setTrendPlot(&plotDock_->plot());
    // The menu item follows the window, also when the window closes itself
    // or goes with the frame.
    connect(plotDock_->toggleViewAction(), &QAction::toggled, frame_->action(command::kTrendPlots),
            &QAction::setChecked);
    // The bus monitor shows every frame since the start, hidden until asked
    // for.
    monitorDock_ = new BusMonitorDock(*monitorQueue_, frame_.get());
    frame_->addDockWidget(Qt::BottomDockWidgetArea, monitorDock_);
    monitorDock_->hide();
    connect(monitorDock_->toggleViewAction(), &QAction::toggled,
            frame_->action(command::kBusMonitor), &QAction::setChecked);
    frame_->setOffline(line_.offline());
    frame_->setChecked(command::kAutoRead, context_.autoRead());
    frame_->setChecked(command::kNoAttributes, context_.attributesSuppressed());
    frame_->showDirectionMode(link_->port().directionMode());
    connect(frame_.get(), &CMainFrame::commandRaised, this, &TarnApplication::runCommand);
    connect(frame_.get(), &CMainFrame::recentFileChosen, this,
            [this](const QString& path) { openFile(path); });
    connect(frame_.get(), &CMainFrame::filesDropped, this,
            [this](const QStringList& paths) { openFile(paths.front()); });
    // The program ends with its window, whether the window system ever
    // showed it or not.
    connect(frame_.get(), &CMainFrame::closed, this, &TarnApplication::quitWhenIdle,
            Qt::QueuedConnection);

    EngineSettings engineSettings = engine_->settings();
    engineSettings.mainWindowExists = true;
    engine_->setSettings(engineSettings);
    documentChanged();
}

void TarnApplication::documentChanged() {
    if (frame_ == nullptr) {
        return;
    }
    frame_->setRecentFiles(recent_->paths());
    showTitle();
    view_->showDocument(document_.get(), files_->documentTitle());
    std::vector<Parameter*> scanners;
    if (document_->scanners() != nullptr) {
        document_->scanners()->collectPolledParameters(scanners);
    }
    engine_->StartThreads(scanners);
}

void TarnApplication::showTitle() {
    if (frame_ != nullptr) {
        frame_->showTitle(document_->mode(), files_->documentTitle());
    }
}

bool TarnApplication::openFile(const QString& path) {
    return files_->openFile(path);
}

void TarnApplication::quitWhenIdle() {
    // A task's progress window runs an event loop of its own, which ending
    // the program now would cut short while the task is still on the line.
    if (engine_->taskRunning()) {
        QTimer::singleShot(50, this, &TarnApplication::quitWhenIdle);
        return;
    }
    QApplication::quit();
}

// ---- EngineObserver -------------------------------------------------------

void TarnApplication::viewRedrawRequested() {
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (view_ != nullptr) {
                view_->viewport()->update();
            }
        },
        Qt::QueuedConnection);
}

void TarnApplication::autoReadSwitchedOff() {
    if (frame_) {
        frame_->setChecked(command::kAutoRead, false);
    }
}

void TarnApplication::applyNetworkSettingsRequested() {
    commands_->aply();
}

void TarnApplication::storeDocumentRequested() {
    unattended_->storeRequested();
}

void TarnApplication::taskDone() {
    unattended_->taskDone();
}

// ---- Commands ------------------------------------------------------------

void TarnApplication::runCommand(int id) {
    routeCommand(*this, id);
}

}  // namespace tarn
