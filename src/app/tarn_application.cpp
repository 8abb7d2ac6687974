#include "app/tarn_application.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QScreen>
#include <QThread>
#include <QTimer>
#include <QUrl>
#include <filesystem>

#include "app/about_dialog.h"
#include "app/command_ids.h"
#include "app/exit_code.h"
#include "app/exit_watcher.h"
#include "app/installation_record.h"
#include "app/main_frame.h"
#include "app/network_options.h"
#include "app/recent_files.h"
#include "app/startup_window.h"
#include "comm/control_mode_check.h"
#include "comm/device_detection.h"
#include "comm/device_identification.h"
#include "comm/device_link.h"
#include "comm/exchange_engine.h"
#include "description/tree_container.h"
#include "description/tree_modes.h"
#include "dialogs/link_connection_search.h"
#include "dialogs/setup_carrier.h"
#include "document/access_level.h"
#include "document/tarn_document.h"
#include "platform/console_user_interaction.h"
#include "ui/config_tree_dialog.h"
#include "ui/qt_progress_display.h"
#include "ui/qt_user_interaction.h"
#include "ui/tarn_tree_view.h"

namespace tarn {
namespace {

constexpr const char* kUntitled = "Безымянный";
constexpr const char* kFileFilter = "TARN Files (*.tarn)";
constexpr const char* kManualFile = "tarn-manual.html";

const std::string_view kNoTreeText = "Дерево не определено";
const std::string_view kNoBranchText = "Ветвь не определена";
const std::string_view kImpossibleCaption = "Операция невозможна";

const char* const kSwitchModeQuestion =
    "Хотите переключиться на другой режим работы конфигуратора?";
const char* const kInitQuestion =
    "Команда INIT эквивалентна выключению и включению питания прибора.\n"
    "Ее рекомендуется подавать в конце работы с конфигуратором. После нее\n"
    "вступают в действие значения ряда параметров и происходит переход на\n"
    "работу по протоколу, установленному в параметре Prot. Если в этом параметре\n"
    "задан протокол, отличный от протокола BRIX, то конфигуратор потеряет\n"
    "связь с прибором и его будет необходимо перезапустить.\n\n"
    "Послать команду INIT?";
const char* const kInitialiseQuestion =
    "Предупреждение:\nДанная операция приведет к потере конфигурации в приборе и в "
    "программе.\n\nВы уверены, что хотите продолжить?";
const char* const kImmediateWriteText =
    "В режиме 'Моментальная запись' введеные значения\nавтоматически записываются в прибор\n"
    "сразу после ввода (без нажатия на 'Записать измененные')\nЭто ускоряет работу, но снижает "
    "надежность\nи увеличивает вероятность ошибок.\nРежим 'Моментальная запись' не "
    "записывает\nизмененные атрибуты доступа.";
const char* const kNoAttributesText =
    "В режиме 'Не передавать атрибуты' обмен информацией\nоб индивидуальных защитных атрибутах "
    "параметров\nне производится.\nЭто ускоряет работу, но не дает возможность "
    "предварительно\nконтролировать доступность параметров на запись\nсо стороны компьютера "
    "(программы-конфигуратора).\nПри попытке записи защищенного параметра запрос записи\nбудет "
    "отвергнут прибором с соответствующим сообщением\nкак ошибка записи.\nЗапись измененных "
    "атрибутов принадлежности в режиме\n'Не передавать атрибуты' также не производится.";

std::string executablePath() {
    std::error_code ec;
    const auto path = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : path.string();
}

}  // namespace

TarnApplication::TarnApplication(CommandLine line, bool headless,
                                 std::unique_ptr<UserInteraction> ui, QObject* parent)
    : QObject(parent),
      line_(std::move(line)),
      headless_(headless),
      programPath_(executablePath()),
      settings_(SettingsStore::fromEnvironment()),
      ui_(std::move(ui)) {}

TarnApplication::~TarnApplication() {
    if (exitWatcher_) {
        exitWatcher_->stop();
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
    engine_.reset();
    document_.reset();
    link_.reset();
}

int TarnApplication::exitCode(int normal) const {
    // A run stopped by its caller ends with the stop's code: what the
    // stopped exchanges reported after it is a consequence of the stop.
    if (exitRequested_) {
        return exitCodeFor(kRunInterrupted, normal);
    }
    return exitCodeFor(context_.runResultCode(), normal);
}

bool TarnApplication::start() {
    accessLevel_ = kAccessLevelAtStart;
    recent_ = std::make_unique<RecentFiles>(settings_);
    if (!ui_ && headless_) {
        ui_ = std::make_unique<ConsoleUserInteraction>();
    } else if (!ui_) {
        ui_ = std::make_unique<QtUserInteraction>();
    }
    progress_ = std::make_unique<QtProgressDisplay>();

    // The command line: an unattended run without a port works offline.
    if (line_.unattended() && line_.port == 0) {
        line_.flagsA |= CommandLine::kOffline;
    }
    context_.setPortSuppressed(line_.offline());
    context_.setPortMessagesSuppressed(line_.silent());
    context_.setFullAccess(dangerousOperationsAllowed(accessLevel_));
    context_.setAutoRead(!line_.offline() && !line_.silent());
    if (!line_.errorLogPath.empty()) {
        createErrorLog(line_.errorLogPath);
    }

    if (!constructDocument()) {
        return false;
    }
    const bool opened = line_.fileName.empty()
                            ? newDocument()
                            : openDocument(QString::fromStdString(line_.fileName));
    if (!opened || quit_) {
        return false;
    }
    createMainWindow();
    placeMainWindow();
    QTimer::singleShot(0, this, [this] { startupRunner(); });
    return true;
}

bool TarnApplication::constructDocument() {
    if (!line_.unattended() && !headless_) {
        startupWindow_ = std::make_unique<StartupWindow>();
        startupWindow_->showText("Инициализация дерева...");
    }
    document_ = std::make_unique<TarnDocument>(*ui_, settings_, treeContainerPath());
    link_ = std::make_unique<DeviceLink>(context_, ui_.get());
    engine_ = std::make_unique<ExchangeEngine>(*link_, *ui_, *progress_);
    engine_->setObserver(this);
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
                QApplication::setOverrideCursor(Qt::WaitCursor);
                checkControlMode(*engine_, *ui_, mode, line_.unattended());
                QApplication::restoreOverrideCursor();
            },
    });

    if (line_.unattended()) {
        applyCommandLineNetworkSettings(line_, document_->programSettings(), nullptr);
    }
    checkInstallationRecord(settings_, *ui_, programPath_);

    if (startupWindow_) {
        startupWindow_->showText("Настройка соединения с прибором...");
    }
    const bool connected =
        line_.offline() ? true : DetectDevice(*link_, document_->programSettings());
    if (line_.silent()) {
        context_.setRunResultCode(0);
    }
    startupWindow_.reset();

    if (!connected && !line_.unattended()) {
        LinkConnectionSearch search(*link_, document_->programSettings());
        CSetupCarrier dialog(document_->programSettings(), search);
        if (dialog.exec() != CSetupCarrier::kCommandOk) {
            quit_ = true;
        } else if (dialog.offlineChosen()) {
            line_.flagsA = CommandLine::kAutoreadOff;
            context_.setAutoRead(false);
        }
    }
    if (line_.has(CommandLine::kTest)) {
        quit_ = true;
    }
    return true;
}

bool TarnApplication::newDocument() {
    if (document_->hasTree() &&
        !ui_->askYesNo(kSwitchModeQuestion, "", MessageIcon::Information, true)) {
        return false;
    }
    const bool exitAllowed = !document_->hasTree();
    std::uint32_t mode = 0;
    detachView();
    document_->setMode(0);
    document_->clearTree();
    showTitle();
    if (quit_) {
        return false;
    }
    if (line_.unattended()) {
        mode = kDefaultTreeMode;
    } else {
        CConfigTreeDlg dialog(mode, exitAllowed, frame_.get());
        if (dialog.exec() != QDialog::Accepted) {
            return false;
        }
    }
    document_->setMode(mode);
    if (!document_->loadTree()) {
        return false;
    }
    document_->programSettings().clearChanges();
    link_->OpenLink(linkSettingsFrom(document_->programSettings()), true);
    documentPath_.clear();
    document_->setModified(false);
    documentChanged();
    return true;
}

bool TarnApplication::openDocument(const QString& path) {
    if (!QFileInfo::exists(path)) {
        if (line_.hasB(CommandLine::kWrite)) {
            context_.addRunResultBits(kRunWriteFileMissing);
            return false;
        }
        if (!newDocument()) {
            return false;
        }
        documentPath_ = path;
        showTitle();
        return true;
    }
    engine_->StopThreads();
    detachView();
    const bool silentRecovery = line_.unattended() && line_.silent();
    const auto result = document_->loadFile(path.toStdString(), silentRecovery, nullptr);
    const bool usable = result == TarnDocument::LoadResult::Loaded ||
                        (silentRecovery && result == TarnDocument::LoadResult::BadFormat);
    if (!usable) {
        documentChanged();
        return false;
    }
    if (line_.has(CommandLine::kNewNetParam)) {
        applyCommandLineNetworkSettings(line_, document_->programSettings(),
                                        document_->networkSettings());
        document_->saveFile(path.toStdString());
        document_->setModified(false);
        return false;
    }
    documentPath_ = path;
    recent_->add(QFileInfo(path).absoluteFilePath());
    documentChanged();
    return true;
}

void TarnApplication::detachView() {
    // The rows point into the tree: they go before the tree does.
    if (view_ != nullptr) {
        view_->showDocument(nullptr, QString());
    }
}

void TarnApplication::documentChanged() {
    if (frame_ == nullptr) {
        return;
    }
    frame_->setRecentFiles(recent_->paths());
    showTitle();
    view_->showDocument(document_.get(), documentPath_.isEmpty()
                                             ? QString(kUntitled)
                                             : QFileInfo(documentPath_).fileName());
    std::vector<Parameter*> scanners;
    if (document_->scanners() != nullptr) {
        document_->scanners()->collectPolledParameters(scanners);
    }
    engine_->StartThreads(scanners);
}

void TarnApplication::showTitle() {
    if (frame_ != nullptr) {
        frame_->showTitle(document_->mode(), documentPath_.isEmpty()
                                                 ? QString(kUntitled)
                                                 : QFileInfo(documentPath_).fileName());
    }
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

    frame_->setOffline(line_.offline());
    frame_->setChecked(command::kAutoRead, context_.autoRead());
    frame_->setChecked(command::kNoAttributes, context_.attributesSuppressed());
    frame_->showDirectionMode(link_->port().directionMode());
    connect(frame_.get(), &CMainFrame::commandRaised, this, &TarnApplication::runCommand);
    connect(frame_.get(), &CMainFrame::recentFileChosen, this,
            [this](const QString& path) { openFile(path); });
    connect(frame_.get(), &CMainFrame::filesDropped, this,
            [this](const QStringList& paths) { openFile(paths.front()); });

    EngineSettings engineSettings = engine_->settings();
    engineSettings.mainWindowExists = true;
    engine_->setSettings(engineSettings);
    documentChanged();
}

void TarnApplication::placeMainWindow() {
    const std::uint8_t given = line_.flagsC;
    const bool sizeGiven = (given & CommandLine::kWGiven) && (given & CommandLine::kHGiven);
    const bool placeGiven = (given & CommandLine::kXGiven) && (given & CommandLine::kYGiven);
    if (!sizeGiven) {
        frame_->showMaximized();
    } else if (line_.w == 0 && line_.h == 0) {
        frame_->move(line_.x, line_.y);
        frame_->showMinimized();
    } else if (!placeGiven) {
        frame_->showMaximized();
    } else {
        frame_->show();
        frame_->lockGeometry(QRect(line_.x, line_.y, line_.w, line_.h));
    }
}

void TarnApplication::startupRunner() {
    if (line_.converter != 0) {
        link_->port().setDirectionMode(line_.converter == CommandLine::kConverterOff ? 1 : 0);
        frame_->showDirectionMode(link_->port().directionMode());
    }
    if (line_.has(CommandLine::kAutoreadOn) || line_.has(CommandLine::kAutoreadOff)) {
        context_.setAutoRead(line_.has(CommandLine::kAutoreadOn));
        frame_->setChecked(command::kAutoRead, context_.autoRead());
    }
    exitWatcher_ = std::make_unique<ExitWatcher>(line_.exitEventName);
    exitWatcher_->start([this] {
        // On the watcher's thread: the request goes to the GUI thread.
        QMetaObject::invokeMethod(
            this, [this] { exitRequested(); }, Qt::QueuedConnection);
        engine_->signalInterrupt();
    });
    if (!line_.unattended()) {
        return;
    }
    int task = 0;
    if (line_.hasB(CommandLine::kWrite)) {
        task = command::kWriteAll;
    } else if (line_.hasB(CommandLine::kRead)) {
        task = command::kReadAll;
    }
    taskPosted_ = task != 0;
    if (taskPosted_) {
        QTimer::singleShot(0, this, [this, task] {
            runCommand(task);
            // A task that could not run (no tree) ends here as well.
            if (!taskEnded_) {
                unattendedTaskEnded();
            }
        });
    } else {
        QTimer::singleShot(0, this, [this] { unattendedTaskEnded(); });
    }
}

void TarnApplication::unattendedTaskEnded() {
    if (taskEnded_) {
        return;
    }
    taskEnded_ = true;
    const bool close = line_.hasB(CommandLine::kClose) || line_.hasB(CommandLine::kCalibrate);
    line_.clearTaskSettings();
    frame_->unlockGeometry();
    // Nobody can close a window without a screen: the run ends with its task.
    if (close || headless_) {
        QTimer::singleShot(0, frame_.get(), [this] { frame_->close(); });
    }
}

void TarnApplication::exitRequested() {
    exitRequested_ = true;
    context_.addRunResultBits(kRunInterrupted);
    if (frame_) {
        frame_->close();
    } else {
        QApplication::quit();
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
    aplyCommand();
}

void TarnApplication::storeDocumentRequested() {
    if (line_.fileName.empty()) {
        return;
    }
    const QString path = QString::fromStdString(line_.fileName);
    if (document_->saveFile(path.toStdString())) {
        document_->setModified(false);
        documentPath_ = path;
        showTitle();
    }
}

void TarnApplication::taskDone() {
    if (line_.unattended() && taskPosted_) {
        unattendedTaskEnded();
    }
}

// ---- Commands ------------------------------------------------------------

void TarnApplication::runCommand(int id) {
    if (line_.offline() && command::isDeviceCommand(id)) {
        return;  // grey in offline operation
    }
    switch (id) {
        case command::kReadAll:
        case command::kWriteAll:
        case command::kWriteChanged:
        case command::kCompare:
            if (!document_->hasTree()) {
                ui_->showMessage(kNoTreeText, kImpossibleCaption, MessageIcon::Error);
                return;
            }
            wholeTreeExchange(id, document_->root());
            return;
        case command::kViewReadBranch:
        case command::kViewWriteBranch:
        case command::kViewWriteChangedBranch:
        case command::kViewCompareBranch: {
            DescBranch* branch = view_ != nullptr ? view_->selectedBranch() : nullptr;
            if (branch == nullptr) {
                ui_->showMessage(kNoBranchText, kImpossibleCaption, MessageIcon::Error);
                return;
            }
            static constexpr int kWholeTree[] = {command::kReadAll, command::kWriteAll,
                                                 command::kWriteChanged, command::kCompare};
            wholeTreeExchange(kWholeTree[id - command::kViewReadBranch], branch);
            return;
        }
        case command::kIdentify:
            identifyDevice();
            return;
        case command::kInit:
            sendInit();
            return;
        case command::kInitialiseDevice:
            initialiseDevice();
            return;
        case command::kAply:
            aplyCommand();
            return;
        case command::kShowIndices:
        case command::kAutoRead:
        case command::kImmediateWrite:
        case command::kNoAttributes:
            toggleProgramMode(id);
            return;
        case command::kConverterSemiAutomatic:
        case command::kConverterAutomatic:
            link_->port().setDirectionMode(id == command::kConverterAutomatic ? 1 : 0);
            frame_->showDirectionMode(link_->port().directionMode());
            return;
        case command::kPreviousProblem:
        case command::kNextProblem:
            view_->selectProblem(id == command::kNextProblem);
            return;
        case command::kHelp:
            openHelp();
            return;
        case command::kAbout: {
            const Parameter* version =
                document_->serviceParameters().find(CommonParams::kVersionName);
            AboutDialog about(QString::fromStdString(version ? version->valueText() : ""),
                              frame_.get());
            about.exec();
            return;
        }
        case command::kNew:
            newDocument();
            return;
        case command::kOpen:
            fileOpen();
            return;
        case command::kSave:
            fileSave(documentPath_.isEmpty());
            return;
        case command::kSaveAs:
            fileSave(true);
            return;
        case command::kExit:
            frame_->close();
            return;
        default:
            return;
    }
}

namespace {

// Parameters of a branch and how many of them show a problem.
void countProblems(const DescBranch& branch, int& parameters, int& problems) {
    forEachParameter(branch, [&](Parameter& parameter) {
        ++parameters;
        problems += parameter.statusText().empty() ? 0 : 1;
    });
}

}  // namespace

void TarnApplication::wholeTreeExchange(int id, DescBranch* branch) {
    const auto started = std::chrono::steady_clock::now();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    bool ran = false;
    switch (id) {
        case command::kReadAll:
            ran = engine_->RunReadBranch(branch);
            break;
        case command::kWriteAll:
            ran = engine_->RunWriteBranch(branch);
            break;
        case command::kWriteChanged:
            ran = engine_->RunWriteChanged(branch);
            break;
        case command::kCompare:
            ran = engine_->RunCompare(branch);
            break;
        default:
            break;
    }
    QApplication::restoreOverrideCursor();
    if (ran && view_ != nullptr) {
        view_->refreshAll();
    }
    if (ran) {
        summary_ = TaskSummary{};
        summary_.ran = true;
        summary_.task = QString::fromUtf8(id == command::kReadAll    ? "чтение"
                                          : id == command::kWriteAll ? "запись"
                                          : id == command::kWriteChanged ? "запись измененных"
                                                                         : "сравнение");
        countProblems(*branch, summary_.parameters, summary_.problems);
        summary_.seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    }
}

QString TarnApplication::taskSummary() const {
    if (!summary_.ran) {
        return {};
    }
    return QString("%1: параметров %2, с ошибками %3, время %4 с")
        .arg(summary_.task)
        .arg(summary_.parameters)
        .arg(summary_.problems)
        .arg(summary_.seconds, 0, 'f', 1);
}

void TarnApplication::identifyDevice() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    IdentifyDevice(*link_, ui_.get());
    QApplication::restoreOverrideCursor();
}

bool TarnApplication::sendInit() {
    if (!ui_->askYesNo(kInitQuestion, "", MessageIcon::Question, true)) {
        return false;
    }
    Parameter init("INIT");
    init.setValueType("void");
    if (engine_->ReadParameter(init) != kExchangeOk) {
        ui_->showMessage("Комманда INIT вернула ошибку:\n" + init.statusText(), "",
                         MessageIcon::None);
        return false;
    }
    QThread::msleep(1000);
    return true;
}

void TarnApplication::initialiseDevice() {
    if (!document_->hasTree()) {
        ui_->showMessage(kNoTreeText, kImpossibleCaption, MessageIcon::Error);
        return;
    }
    if (!ui_->askYesNo(kInitialiseQuestion, "", MessageIcon::Exclamation, true)) {
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool ran = engine_->RunInitialise(document_->root());
    QApplication::restoreOverrideCursor();
    if (ran) {
        view_->refreshAll();
    }
    sendInit();
}

void TarnApplication::aplyCommand() {
    // The dialog of the interactive command comes with the service dialogs;
    // unattended, "aply" sends the command and follows the module.
    if (!line_.unattended() || !line_.hasB(CommandLine::kAply)) {
        return;
    }
    Parameter aply("APLY");
    aply.setValueType("void");
    aply.setValueText("");
    engine_->WriteParameter(aply, kWriteAll);
    if (DescBranch* network = document_->networkSettings()) {
        for (const char* name : {"bPS", "LEn", "PrtY", "Sbit", "A.Len", "Addr"}) {
            const std::string value = network->valueByName(name);
            if (value != kNoData && !value.empty()) {
                document_->programSettings().setValueByName(name, value, false);
            }
        }
    }
    link_->OpenLink(linkSettingsFrom(document_->programSettings()), true);
    if (view_ != nullptr) {
        view_->refreshAll();
    }
}

void TarnApplication::toggleProgramMode(int id) {
    const bool checked = frame_->isChecked(id);  // the action has toggled already
    switch (id) {
        case command::kShowIndices:
            view_->treeModel().setShowIndices(checked);
            break;
        case command::kAutoRead:
            context_.setAutoRead(checked);
            break;
        case command::kImmediateWrite:
            if (checked) {
                ui_->showMessage(kImmediateWriteText, "", MessageIcon::Information);
            }
            break;
        case command::kNoAttributes:
            context_.setAttributesSuppressed(checked);
            if (checked) {
                ui_->showMessage(kNoAttributesText, "", MessageIcon::Information);
            }
            break;
        default:
            break;
    }
}

void TarnApplication::openHelp() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const auto manual = programFolder() / kManualFile;
    QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(manual.string())));
    QApplication::restoreOverrideCursor();
}

bool TarnApplication::openFile(const QString& path) {
    if (!QFileInfo::exists(path)) {
        recent_->remove(QFileInfo(path).absoluteFilePath());
        frame_->setRecentFiles(recent_->paths());
        ui_->showMessage("Файл не найден:\n" + path.toStdString(), "Ошибка открытия файла!",
                         MessageIcon::Exclamation);
        return false;
    }
    return openDocument(path);
}

void TarnApplication::fileOpen() {
    const QString path =
        QFileDialog::getOpenFileName(frame_.get(), "Открыть", QString(), kFileFilter);
    if (!path.isEmpty()) {
        openFile(path);
    }
}

bool TarnApplication::saveFile(const QString& path) {
    std::string error;
    if (!document_->saveFile(path.toStdString(), &error)) {
        ui_->showMessage("Не удалось сохранить файл " + path.toStdString() + ":\n" + error,
                         "Ошибка", MessageIcon::Error);
        return false;
    }
    document_->setModified(false);
    documentPath_ = path;
    recent_->add(QFileInfo(path).absoluteFilePath());
    frame_->setRecentFiles(recent_->paths());
    showTitle();
    return true;
}

void TarnApplication::fileSave(bool askForName) {
    QString path = documentPath_;
    if (askForName || path.isEmpty()) {
        path = QFileDialog::getSaveFileName(frame_.get(), "Сохранить как", path, kFileFilter);
        if (path.isEmpty()) {
            return;
        }
        if (QFileInfo(path).suffix().isEmpty()) {
            path += ".tarn";
        }
    }
    saveFile(path);
}

}  // namespace tarn
