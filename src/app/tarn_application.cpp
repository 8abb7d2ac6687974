#include "app/tarn_application.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QEventLoop>
#include <QMenuBar>
#include <QTimer>
#include <QToolBar>
#include <QUrl>

#include "app/about_dialog.h"
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
#include "description/tree_container.h"
#include "document/access_level.h"
#include "document/command_ids.h"
#include "document/document_commands.h"
#include "document/tarn_document.h"
#include "model/port_settings.h"
#include "platform/companion_files.h"
#include "platform/console_user_interaction.h"
#include "ui/parameter_list_export.h"
#include "ui/qt_progress_display.h"
#include "ui/qt_user_interaction.h"
#include "ui/tarn_tree_view.h"
#include "ui/trend_plot_dock.h"

namespace tarn {
namespace {

constexpr const char* kManualFile = "tarn-manual.html";

// The wait cursor while a scope runs.
struct WaitCursor {
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

}  // namespace

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
    recent_ = std::make_unique<RecentFiles>(settings_);
    document_ = std::make_unique<TarnDocument>(*ui_, settings_, treeContainerPath());
    link_ = std::make_unique<DeviceLink>(context_, ui_.get());
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
        .busy =
            [](bool on) {
                if (on) {
                    QApplication::setOverrideCursor(Qt::WaitCursor);
                } else {
                    QApplication::restoreOverrideCursor();
                }
            },
        .pause = [this](std::chrono::milliseconds duration) { pauseWithWindowsPainting(duration); },
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
    connect(plotDock_->toggleViewAction(), &QAction::toggled,
            frame_->action(command::kTrendPlots), &QAction::setChecked);
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

void TarnApplication::pauseWithWindowsPainting(std::chrono::milliseconds duration) {
    // The windows keep painting; the commands wait until the pause is over.
    const bool enabled = frame_ && frame_->commandsEnabled();
    if (frame_) {
        frame_->setCommandsEnabled(false);
    }
    QEventLoop loop;
    QTimer::singleShot(duration, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (frame_) {
        frame_->setCommandsEnabled(enabled);
    }
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
    if (line_.offline() && command::isDeviceCommand(id)) {
        return;  // grey in offline operation
    }
    static constexpr std::pair<int, TreeTask> kTreeTasks[] = {
        {command::kReadAll, TreeTask::Read},
        {command::kWriteAll, TreeTask::Write},
        {command::kWriteChanged, TreeTask::WriteChanged},
        {command::kCompare, TreeTask::Compare},
        {command::kViewReadBranch, TreeTask::Read},
        {command::kViewWriteBranch, TreeTask::Write},
        {command::kViewWriteChangedBranch, TreeTask::WriteChanged},
        {command::kViewCompareBranch, TreeTask::Compare},
    };
    for (const auto& [command, task] : kTreeTasks) {
        if (id == command) {
            if (id >= command::kViewReadBranch && id <= command::kViewCompareBranch) {
                commands_->exchangeBranch(task,
                                          view_ != nullptr ? view_->selectedBranch() : nullptr);
            } else {
                commands_->exchangeTree(task);
            }
            return;
        }
    }
    switch (id) {
        case command::kIdentify:
            commands_->identifyDevice();
            return;
        case command::kInit:
            commands_->sendInit();
            return;
        case command::kInitialiseDevice:
            commands_->initialiseDevice();
            return;
        case command::kAply:
            commands_->aply();
            return;
        case command::kSinglePoint:
            commands_->singlePoint();
            return;
        case command::kCalibrate:
            commands_->calibrate();
            return;
        case command::kChangePasswords:
            commands_->changePasswords(accessLevel_);
            return;
        case command::kShowIndices:
        case command::kAutoRead:
        case command::kImmediateWrite:
        case command::kNoAttributes:
            programModeToggled(id);
            return;
        case command::kConverterSemiAutomatic:
        case command::kConverterAutomatic:
            commands_->setDirectionMode(id == command::kConverterAutomatic ? 1 : 0);
            frame_->showDirectionMode(link_->port().directionMode());
            return;
        case command::kPreviousProblem:
        case command::kNextProblem:
        case command::kReadParameter:
        case command::kWriteParameter:
        case command::kForgetValue:
            view_->runCommand(id);
            return;
        case command::kHelp:
        case command::kHelpButton:
            openHelp();
            return;
        case command::kAbout:
            showAbout();
            return;
        case command::kTrendPlots:
            plotDock_->toggle();
            return;
        case command::kExportHtml:
            frame_->showStatus(exportParameterList(document_->root(), *ui_));
            return;
        case command::kNew:
            files_->newDocument();
            return;
        case command::kOpen:
            files_->chooseAndOpen();
            return;
        case command::kSave:
            files_->save(false);
            return;
        case command::kSaveAs:
            files_->save(true);
            return;
        case command::kExit:
            frame_->close();
            return;
        default:
            return;
    }
}

void TarnApplication::programModeToggled(int id) {
    const bool checked = frame_->isChecked(id);  // the action has toggled already
    if (id == command::kShowIndices) {
        view_->treeModel().setShowIndices(checked);
        return;
    }
    commands_->programModeChanged(id, checked);
}

void TarnApplication::openHelp() {
    WaitCursor wait;
    const auto manual = companionFilePath(kManualFile);
    QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(manual.string())));
}

void TarnApplication::showAbout() {
    const Parameter* version = document_->serviceParameters().find(CommonParams::kVersionName);
    AboutDialog about(QString::fromStdString(version ? version->valueText() : ""), frame_.get());
    about.exec();
}

}  // namespace tarn
