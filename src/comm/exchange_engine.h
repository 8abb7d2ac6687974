// ExchangeEngine: the device tasks over a branch or one parameter, the
// operations on one parameter, and the two worker threads.
//
// A task (read, write all, write changed, initialise, compare a branch;
// read or write one parameter) is started on the user-interface thread by
// one of the Run... starters. The starter opens the progress window through
// ProgressDisplay::runModal and blocks there; once the window is up the
// task goes to the TransmitThread, which lets the branch run its group
// operation (the branch chooses the parameters, the engine exchanges each
// one as ParameterExchanger), writes the closing lines, keeps the window
// open for the closing pause unless interrupted, and closes it. The starter
// then carries out what the task left for the user-interface thread
// (messages, the apply request, the unattended store and task-done) and
// returns.
//
// "Прервать!" (the window's interrupt) and the engine's own time-out rules
// raise the interrupt: the group loops stop after the parameter in hand.
// StopThreads ends both threads within their bounds: it raises the stop
// request, and signals the port's stop event, which aborts a transfer that
// waits for an answer at once; nothing the threads do waits on the
// user-interface thread (results and requests are posted, messages of a
// task are shown by the starter afterwards), so the bounds always hold.
//
// ReadParameter and WriteParameter are also called directly on the
// user-interface thread (document commands, dialogs, the view's automatic
// reading); no progress window is open then and ProgressLine does nothing.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "comm/compare_outcome.h"
#include "comm/engine_observer.h"
#include "comm/progress_display.h"
#include "comm/scan_thread.h"
#include "comm/transmit_thread.h"
#include "model/parameter_exchanger.h"

namespace tarn {

class DescBranch;
class DeviceLink;
class Parameter;
class UserInteraction;

// Task codes; the progress window's title comes with each.
enum class TaskCode : int {
    ReadBranch = 1,
    ReadParameter = 3,
    WriteBranch = 4,
    WriteChanged = 5,
    Compare = 6,
    Initialise = 7,
    WriteParameter = 9,
};

std::string_view taskTitle(TaskCode code);

// Texts the operations and starters produce.
inline constexpr std::string_view kTextTaskDone =
    "Задание выполнено. Окно будет закрыто автоматически.";
inline constexpr std::string_view kTextNotInitialised =
    "Значение не записанно, так как параметер не инициализирован";
inline constexpr std::string_view kTextWriteTimeouts = "Прошло 5 безуспешных попыток записи!";
inline constexpr std::string_view kCompareCaption = "Результат сравнения";
inline constexpr std::string_view kTextNothingSelected = "Ничего не выбрано!";
inline constexpr std::string_view kImpossibleCaption = "Операция невозможна";

// The compare reports its first differences in full.
inline constexpr int kReportedDifferences = 10;

class ExchangeEngine : public ParameterExchanger {
public:
    // All three must outlive the engine. `ui` shows the engine's messages;
    // `display` is the progress window.
    ExchangeEngine(DeviceLink& link, UserInteraction& ui, ProgressDisplay& display);
    // Stops the threads.
    ~ExchangeEngine() override;
    ExchangeEngine(const ExchangeEngine&) = delete;
    ExchangeEngine& operator=(const ExchangeEngine&) = delete;

    DeviceLink& link() { return link_; }

    // May be null. Set before the threads start.
    void setObserver(EngineObserver* observer) { observer_.store(observer); }
    void setSettings(EngineSettings settings);
    EngineSettings settings() const;
    // Decides, from the link's full access, whether a dangerous operation
    // (initialising the module) may start, and tells the user why not. The
    // program passes its access-level check (checkDangerousOperation of
    // document/access_level.h). Without one, full access alone decides.
    void setDangerousOperationCheck(std::function<bool(bool fullAccess)> check);
    // Where the scanners' results go (the main view); null drops them.
    void setPollResultReceiver(PollResultReceiver* receiver) { scan_.setReceiver(receiver); }

    // ---- Threads --------------------------------------------------------
    // Starts the ScanThread over `scanners` and the TransmitThread, each
    // unless it runs. A thread that cannot be created is reported with a
    // message box; the program goes on without it. True when both run.
    bool StartThreads(std::vector<Parameter*> scanners);
    // Ends both threads: the ScanThread within 700 ms, the TransmitThread
    // (after its current task, which the stop makes short) within 3000 ms.
    // All scanners stop polling. Returns whether both bounds held.
    bool StopThreads();
    bool transmitThreadRunning() const { return transmit_.running(); }
    bool scanThreadRunning() const { return scan_.running(); }

    // ---- Task starters (user-interface thread) -------------------------
    // Each returns whether the task ran (its window was shown); false when
    // the TransmitThread does not run, while another task's window is up,
    // and as said below.
    bool RunReadBranch(DescBranch* branch);
    bool RunWriteBranch(DescBranch* branch);
    bool RunWriteChanged(DescBranch* branch);
    // Only when the dangerous-operation check lets it (below); otherwise
    // false.
    bool RunInitialise(DescBranch* branch);
    // Afterwards the report box "Результат сравнения".
    bool RunCompare(DescBranch* branch);
    // Without a parameter: "Ничего не выбрано!" and false. The caller
    // refreshes the views when true comes back.
    bool RunReadParameter(Parameter* parameter);
    bool RunWriteParameter(Parameter* parameter);

    // ---- Operations on one parameter (any thread) ----------------------
    // These are also the ParameterExchanger of the branches' group loops.
    // The result of ExchangeParameter, or NegativeIndex for a parameter
    // with a negative linear index.
    OperationResult ReadParameter(Parameter& parameter) override;
    // Mode kWriteAll (1), kWriteChanged (0) or kWriteInitialValues (-1).
    // The result of ExchangeParameter, NoData for "Нет данных", or
    // NegativeIndex.
    OperationResult WriteParameter(Parameter& parameter, int mode) override;
    // The result of the module's read, Interrupted, or NegativeIndex.
    OperationResult CompareParameter(Parameter& parameter) override;
    // A line in the open progress window; nothing when none is open.
    void ProgressLine(std::string_view text) override;

    // ---- Interruption --------------------------------------------------
    // The window's "Прервать!": raises the interrupt and sets the run
    // result code to 0x20.
    void Interrupt();
    // Raises the interrupt only (the exit watcher; the time-out rules).
    void signalInterrupt();
    bool interruptSignalled() const { return interrupt_.load(); }
    // A task's progress window is open (the exit watcher interrupts only
    // then).
    bool taskRunning() const;

    // ---- State a task leaves -------------------------------------------
    // The parameters the last task handled and how many of them failed.
    ExchangeCounts lastTaskCounts() const;
    // The last task was stopped before its end (the interrupt, five
    // time-outs in a row, or a shutdown).
    bool lastTaskStopped() const;
    int compareDifferences() const;
    std::string compareReport() const;
    // Every parameter the last compare task compared, in the order compared.
    std::vector<CompareOutcome> compareOutcomes() const;
    int processedCount() const { return processed_.load(); }
    int totalCount() const { return total_.load(); }
    int consecutiveFailures() const { return consecutiveFailures_.load(); }

    // ---- ParameterExchanger ---------------------------------------------
    bool stopRequested() const override;

private:
    struct Task {
        TaskCode code;
        DescBranch* branch = nullptr;
        Parameter* parameter = nullptr;
    };

    bool runTask(const Task& task, int total);
    void openWindow(const Task& task);
    void runOnTransmitThread(const Task& task);
    void endOfTask(bool portOpenedHere);
    void finishOnCaller();
    void showProgress(std::string_view text, bool scrollToEnd);
    // Runs `action` at once, or, on the TransmitThread, leaves it for the
    // task's starter to run after the window has closed.
    void onCallerThread(std::function<void()> action);
    void clearInterrupt();
    void noteFailure(const Parameter& parameter);

    DeviceLink& link_;
    UserInteraction& ui_;
    ProgressDisplay& display_;
    std::atomic<EngineObserver*> observer_{nullptr};

    mutable std::mutex settingsMutex_;
    EngineSettings settings_;
    std::function<bool(bool)> dangerousOperationCheck_;

    // The interrupt and the stop request of StopThreads; the closing pause
    // waits for either.
    mutable std::mutex signalMutex_;
    std::condition_variable signalChanged_;
    std::atomic<bool> interrupt_{false};
    std::atomic<bool> shutdown_{false};

    // Task state shared between the starter and the TransmitThread.
    mutable std::mutex taskMutex_;
    bool windowOpen_ = false;
    std::chrono::steady_clock::time_point windowOpenedAt_;
    int linesShown_ = 0;
    bool applyRequested_ = false;
    // The last task was stopped before its end (interrupt or shutdown).
    bool taskStopped_ = false;
    std::vector<std::function<void()>> callerActions_;
    ExchangeCounts lastCounts_;
    int compareDifferences_ = 0;
    std::string compareReport_;
    std::vector<CompareOutcome> compareOutcomes_;

    std::atomic<int> processed_{0};
    std::atomic<int> total_{0};
    std::atomic<int> consecutiveFailures_{0};
    std::atomic<bool> deviceSettingsWritten_{false};
    std::atomic<bool> starterActive_{false};

    std::mutex threadsMutex_;
    // Declared last: they stop first and may still call into the members
    // above while they end.
    ScanThread scan_;
    TransmitThread transmit_;
};

}  // namespace tarn
