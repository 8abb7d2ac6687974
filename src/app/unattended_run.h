// UnattendedRun: the task a calling program gives on the command line, and
// the end of the run.
//
// After the start-up it posts the task ("write", "calibrate" or "read"),
// stores the document when a read has ended, and when the task is done
// forgets the task settings, unlocks the window and closes it when "close"
// or "calibrate" was given (and always when nobody sits at a screen). It
// also watches for a calling program's stop request (the named semaphore of
// "exitevent", SIGTERM, SIGINT) for the whole run, interactive ones too.
// A compare tells its differences on standard error and in its exit code;
// "report" gives a JSON account of the run at its end.
#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>
#include <atomic>
#include <memory>

#include "comm/device_identification.h"
#include "document/run_report.h"

namespace tarn {

class ExitWatcher;
class TarnApplication;

class UnattendedRun : public QObject {
    Q_OBJECT

public:
    // Takes the task from the command line as it stands before the start.
    explicit UnattendedRun(TarnApplication& program);
    ~UnattendedRun() override;

    // Starts watching for a stop request and, in unattended operation,
    // posts the command line's task.
    void start();
    // Ends the watch (the program is closing).
    void stop();

    // The engine asks to store the document in the file named on the
    // command line (a read has ended).
    void storeRequested();
    // A device task (or the calibration dialog) has ended.
    void taskDone();

    // The calling program stopped the run: its exit code is then 205,
    // whatever the stopped exchanges reported afterwards.
    bool stoppedByCaller() const { return stoppedByCaller_.load(); }

    // "чтение: параметров 336, с ошибками 0, время 2.1 с"; a task stopped
    // before its end says so. Empty when no tree task ran.
    QString summary() const;

    // What the start-up's search for the module heard ("dev", "ver").
    DeviceIdentity& identity() { return identity_; }
    // The exit code of the run when no bit of the run result code is set:
    // 208 after a compare that found differences, else `normal`.
    int normalExitCode(int normal) const;
    // Writes the report asked for with "report" (nothing without it); a
    // report that cannot be written is said on standard error.
    void writeReport(int exitCode) const;

private:
    void taskEnded();
    void exitRequested();
    void compareEnded();

    TarnApplication& program_;
    std::unique_ptr<ExitWatcher> exitWatcher_;
    bool taskPosted_ = false;
    bool taskEnded_ = false;
    QDateTime started_;
    ReportTask reportTask_ = ReportTask::None;
    DeviceIdentity identity_;
    int differences_ = 0;
    std::atomic<bool> stoppedByCaller_{false};
};

}  // namespace tarn
