#include "comm/exchange_engine.h"

#include <cstdio>

#include "comm/device_link.h"
#include "model/desc_branch.h"
#include "model/parameter.h"
#include "platform/user_interaction.h"

namespace tarn {
namespace {

constexpr auto kScanStopBound = std::chrono::milliseconds(700);
constexpr auto kTransmitStopBound = std::chrono::milliseconds(3000);

constexpr std::string_view kTextScanThreadFailed =
    "Не могу запустить поток (ScanThread), необходимый для работы сканеров";
constexpr std::string_view kTextTransmitThreadFailed =
    "Не могу запустить поток (TransmitThread), необходимый для коммуникации с прибором";
constexpr std::string_view kCaptionThreadFailed = "Error";

// "%H:%M:%S" of a time span.
std::string elapsedText(std::chrono::steady_clock::duration elapsed) {
    const long long seconds = std::chrono::duration_cast<std::chrono::seconds>(elapsed).count();
    char text[32];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", seconds / 3600, seconds / 60 % 60,
                  seconds % 60);
    return text;
}

}  // namespace

std::string_view taskTitle(TaskCode code) {
    switch (code) {
        case TaskCode::ReadBranch:
            return "Идет чтение параметров из прибора";
        case TaskCode::ReadParameter:
            return "Идет чтение параметра из прибора";
        case TaskCode::WriteBranch:
            return "Идет запись параметров в прибор";
        case TaskCode::WriteChanged:
            return "Идет запись измененных значений параметров в прибор";
        case TaskCode::Compare:
            return "Идет сравнение параметров в конфигурации и в приборе";
        case TaskCode::Initialise:
            return "Идет инициализация прибора";
        case TaskCode::WriteParameter:
            return "Идет запись параметра в прибор";
    }
    return {};
}

ExchangeEngine::ExchangeEngine(DeviceLink& link, UserInteraction& ui, ProgressDisplay& display)
    : link_(link),
      ui_(ui),
      display_(display),
      scan_([this](Parameter& parameter) { return link_.ExchangeParameter(parameter, true); }) {}

ExchangeEngine::~ExchangeEngine() {
    StopThreads();
}

void ExchangeEngine::setSettings(EngineSettings settings) {
    std::lock_guard lock(settingsMutex_);
    settings_ = std::move(settings);
}

EngineSettings ExchangeEngine::settings() const {
    std::lock_guard lock(settingsMutex_);
    return settings_;
}

// ---- Threads ------------------------------------------------------------

bool ExchangeEngine::StartThreads(std::vector<Parameter*> scanners) {
    std::lock_guard lock(threadsMutex_);
    bool started = true;
    if (!scan_.running() && !scan_.start(std::move(scanners))) {
        ui_.showMessage(kTextScanThreadFailed, kCaptionThreadFailed, MessageIcon::Error);
        started = false;
    }
    if (!transmit_.running() && !transmit_.start()) {
        ui_.showMessage(kTextTransmitThreadFailed, kCaptionThreadFailed, MessageIcon::Error);
        started = false;
    }
    return started;
}

bool ExchangeEngine::StopThreads() {
    std::lock_guard lock(threadsMutex_);
    {
        std::lock_guard signalLock(signalMutex_);
        shutdown_.store(true);
    }
    signalChanged_.notify_all();
    scan_.requestStop();
    // Aborts a transfer that waits for an answer, and every transfer that
    // follows until the event is reset.
    link_.port().stopEvent().signal();
    bool withinBounds = scan_.stop(kScanStopBound);
    withinBounds = transmit_.stop(kTransmitStopBound) && withinBounds;
    link_.port().stopEvent().reset();
    {
        std::lock_guard signalLock(signalMutex_);
        shutdown_.store(false);
    }
    return withinBounds;
}

// ---- Interruption -------------------------------------------------------

void ExchangeEngine::Interrupt() {
    signalInterrupt();
    link_.context().setRunResultCode(kRunInterrupted);
}

void ExchangeEngine::signalInterrupt() {
    {
        std::lock_guard lock(signalMutex_);
        interrupt_.store(true);
    }
    signalChanged_.notify_all();
}

void ExchangeEngine::clearInterrupt() {
    std::lock_guard lock(signalMutex_);
    interrupt_.store(false);
}

bool ExchangeEngine::taskRunning() const {
    std::lock_guard lock(taskMutex_);
    return windowOpen_;
}

bool ExchangeEngine::stopRequested() const {
    return interrupt_.load() || shutdown_.load();
}

// ---- Task starters ------------------------------------------------------

bool ExchangeEngine::RunReadBranch(DescBranch* branch) {
    return runTask({TaskCode::ReadBranch, branch},
                   branch != nullptr ? branch->countToWrite(kWriteAll) : 0);
}

bool ExchangeEngine::RunWriteBranch(DescBranch* branch) {
    return runTask({TaskCode::WriteBranch, branch},
                   branch != nullptr ? branch->countToWrite(kWriteAll) : 0);
}

bool ExchangeEngine::RunWriteChanged(DescBranch* branch) {
    return runTask({TaskCode::WriteChanged, branch},
                   branch != nullptr ? branch->countToWrite(kWriteChanged) : 0);
}

void ExchangeEngine::setDangerousOperationCheck(std::function<bool(bool)> check) {
    std::lock_guard lock(settingsMutex_);
    dangerousOperationCheck_ = std::move(check);
}

bool ExchangeEngine::RunInitialise(DescBranch* branch) {
    std::function<bool(bool)> check;
    {
        std::lock_guard lock(settingsMutex_);
        check = dangerousOperationCheck_;
    }
    const bool fullAccess = link_.context().fullAccess();
    if (!(check ? check(fullAccess) : fullAccess)) {
        return false;
    }
    return runTask({TaskCode::Initialise, branch},
                   branch != nullptr ? branch->countToWrite(kWriteInitialValues) : 0);
}

bool ExchangeEngine::RunCompare(DescBranch* branch) {
    {
        std::lock_guard lock(taskMutex_);
        compareDifferences_ = 0;
        compareReport_.clear();
        compareOutcomes_.clear();
    }
    if (!runTask({TaskCode::Compare, branch},
                 branch != nullptr ? branch->countToWrite(kWriteAll) : 0)) {
        return false;
    }
    int differences = 0;
    std::string report;
    {
        std::lock_guard lock(taskMutex_);
        differences = compareDifferences_;
        report = compareReport_;
    }
    std::string text;
    if (differences == 0) {
        text = "Отличий не обнаружено";
    } else {
        text = "Обнаружено " + std::to_string(differences) + " отличий";
        if (differences > kReportedDifferences) {
            text += " (показанны только первые 10)";
        }
        text += ":\n" + report;
    }
    ui_.showMessage(text, kCompareCaption, MessageIcon::Information);
    return true;
}

bool ExchangeEngine::RunReadParameter(Parameter* parameter) {
    if (parameter == nullptr) {
        ui_.showMessage(kTextNothingSelected, kImpossibleCaption, MessageIcon::Exclamation);
        return false;
    }
    return runTask({TaskCode::ReadParameter, nullptr, parameter}, 1);
}

bool ExchangeEngine::RunWriteParameter(Parameter* parameter) {
    if (parameter == nullptr) {
        ui_.showMessage(kTextNothingSelected, kImpossibleCaption, MessageIcon::Exclamation);
        return false;
    }
    return runTask({TaskCode::WriteParameter, nullptr, parameter}, 1);
}

bool ExchangeEngine::runTask(const Task& task, int total) {
    if (!transmit_.running()) {
        return false;
    }
    // One task at a time: a starter reached while a window is up (a queued
    // command run by the window's event loop) starts nothing.
    if (starterActive_.exchange(true)) {
        return false;
    }
    struct Release {
        std::atomic<bool>& flag;
        ~Release() { flag.store(false); }
    } release{starterActive_};
    {
        std::lock_guard lock(taskMutex_);
        callerActions_.clear();
        applyRequested_ = false;
        taskStopped_ = false;
        lastCounts_ = {};
    }
    total_.store(total);
    processed_.store(0);
    display_.runModal(
        std::string(taskTitle(task.code)), total, [this, task] { openWindow(task); },
        [this] { Interrupt(); });
    finishOnCaller();
    return true;
}

void ExchangeEngine::openWindow(const Task& task) {
    clearInterrupt();
    {
        std::lock_guard lock(taskMutex_);
        windowOpen_ = true;
        windowOpenedAt_ = std::chrono::steady_clock::now();
        linesShown_ = 0;
    }
    if (!transmit_.post([this, task] { runOnTransmitThread(task); })) {
        // The thread ended in the meantime: nobody else would close the
        // window.
        {
            std::lock_guard lock(taskMutex_);
            windowOpen_ = false;
        }
        display_.close();
    }
}

void ExchangeEngine::runOnTransmitThread(const Task& task) {
    SerialPort& port = link_.port();
    bool portOpenedHere = false;
    {
        std::lock_guard lock(link_.exchangeLock());
        if (!port.isOpen()) {
            portOpenedHere = port.Open() == PortOpenResult::Opened;
        }
    }
    ExchangeCounts counts;
    switch (task.code) {
        case TaskCode::ReadBranch:
            if (task.branch != nullptr) {
                counts = task.branch->readAll(*this);
            }
            break;
        case TaskCode::WriteBranch:
            if (task.branch != nullptr) {
                counts = task.branch->writeAll(*this, kWriteAll);
            }
            break;
        case TaskCode::WriteChanged:
            if (task.branch != nullptr) {
                counts = task.branch->writeAll(*this, kWriteChanged);
            }
            break;
        case TaskCode::Compare:
            if (task.branch != nullptr) {
                counts = task.branch->compareAll(*this);
            }
            break;
        case TaskCode::Initialise:
            if (task.branch != nullptr) {
                counts = task.branch->writeAll(*this, kWriteInitialValues);
            }
            break;
        case TaskCode::ReadParameter:
            processed_.store(0);
            if (task.parameter != nullptr) {
                counts = {1, ReadParameter(*task.parameter).succeeded() ? 0 : 1};
            }
            break;
        case TaskCode::WriteParameter:
            processed_.store(0);
            if (task.parameter != nullptr) {
                counts = {1, WriteParameter(*task.parameter, kWriteAll).succeeded() ? 0 : 1};
            }
            break;
    }
    {
        std::lock_guard lock(taskMutex_);
        lastCounts_ = counts;
    }
    endOfTask(portOpenedHere);
}

void ExchangeEngine::endOfTask(bool portOpenedHere) {
    ProgressLine("");
    showProgress(kTextTaskDone, true);
    {
        // The log stays readable for a moment, unless the task was
        // interrupted or the threads are being stopped.
        std::unique_lock lock(signalMutex_);
        signalChanged_.wait_for(lock, settings().closingPause,
                                [this] { return interrupt_.load() || shutdown_.load(); });
    }
    if (portOpenedHere) {
        std::lock_guard lock(link_.exchangeLock());
        link_.port().Close();
    }
    const bool settingsWritten = deviceSettingsWritten_.exchange(false);
    const bool apply = settingsWritten && !link_.port().stopEvent().isSignalled();
    const bool stopped = interrupt_.load() || shutdown_.load();
    {
        std::lock_guard lock(taskMutex_);
        applyRequested_ = apply;
        taskStopped_ = stopped;
        windowOpen_ = false;
    }
    clearInterrupt();
    display_.close();
}

void ExchangeEngine::finishOnCaller() {
    std::vector<std::function<void()>> actions;
    bool apply = false;
    bool stopped = false;
    {
        std::lock_guard lock(taskMutex_);
        actions.swap(callerActions_);
        apply = applyRequested_;
        applyRequested_ = false;
        stopped = taskStopped_;
    }
    for (const auto& action : actions) {
        action();
    }
    EngineObserver* observer = observer_.load();
    if (observer == nullptr) {
        return;
    }
    if (apply) {
        observer->applyNetworkSettingsRequested();
    }
    const EngineSettings current = settings();
    if (current.unattended) {
        // A read stopped before its end holds only part of the module: the
        // file named for it keeps what it held.
        if (current.storeAfterTask && !stopped) {
            observer->storeDocumentRequested();
        }
        observer->taskDone();
    }
}

void ExchangeEngine::onCallerThread(std::function<void()> action) {
    if (transmit_.isCurrentThread()) {
        std::lock_guard lock(taskMutex_);
        callerActions_.push_back(std::move(action));
        return;
    }
    action();
}

// ---- Progress window ----------------------------------------------------

void ExchangeEngine::ProgressLine(std::string_view text) {
    showProgress(text, false);
}

void ExchangeEngine::showProgress(std::string_view text, bool scrollToEnd) {
    ProgressUpdate update;
    {
        std::lock_guard lock(taskMutex_);
        if (!windowOpen_) {
            return;
        }
        ++linesShown_;
        update.scrollToEnd = scrollToEnd || linesShown_ % 5 == 0;
        update.elapsed = elapsedText(std::chrono::steady_clock::now() - windowOpenedAt_);
    }
    update.line = std::string(text);
    const int total = total_.load();
    if (total != 0) {
        const int processed = processed_.load();
        update.counts = std::to_string(processed) + " из " + std::to_string(total);
        update.position = processed;
    }
    display_.update(update);
}

ExchangeCounts ExchangeEngine::lastTaskCounts() const {
    std::lock_guard lock(taskMutex_);
    return lastCounts_;
}

bool ExchangeEngine::lastTaskStopped() const {
    std::lock_guard lock(taskMutex_);
    return taskStopped_;
}

int ExchangeEngine::compareDifferences() const {
    std::lock_guard lock(taskMutex_);
    return compareDifferences_;
}

std::string ExchangeEngine::compareReport() const {
    std::lock_guard lock(taskMutex_);
    return compareReport_;
}

std::vector<CompareOutcome> ExchangeEngine::compareOutcomes() const {
    std::lock_guard lock(taskMutex_);
    return compareOutcomes_;
}

}  // namespace tarn
