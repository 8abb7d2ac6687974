#include "app/unattended_run.h"

#include <QApplication>
#include <QTimer>
#include <cstdio>

#include "app/exit_code.h"
#include "app/exit_watcher.h"
#include "app/file_commands.h"
#include "app/main_frame.h"
#include "app/tarn_application.h"
#include "comm/device_link.h"
#include "comm/exchange_engine.h"
#include "document/command_ids.h"
#include "document/document_commands.h"
#include "document/tarn_document.h"
#include "model/port_settings.h"
#include "platform/build_info.h"

namespace tarn {

namespace {

ReportTask reportTaskOf(const CommandLine& line) {
    if (line.hasB(CommandLine::kWrite)) {
        return ReportTask::Write;
    }
    if (line.hasB(CommandLine::kCalibrate)) {
        return ReportTask::Calibrate;
    }
    if (line.hasB(CommandLine::kRead)) {
        return ReportTask::Read;
    }
    if (line.hasB(CommandLine::kCompare)) {
        return ReportTask::Compare;
    }
    if (line.has(CommandLine::kTest)) {
        return ReportTask::Test;
    }
    return ReportTask::None;
}

}  // namespace

UnattendedRun::UnattendedRun(TarnApplication& program)
    : program_(program),
      started_(QDateTime::currentDateTime()),
      reportTask_(reportTaskOf(program.commandLine())) {}

UnattendedRun::~UnattendedRun() {
    stop();
}

void UnattendedRun::stop() {
    if (exitWatcher_) {
        exitWatcher_->stop();
    }
}

void UnattendedRun::start() {
    const CommandLine& line = program_.commandLine();
    exitWatcher_ = std::make_unique<ExitWatcher>(line.exitEventName);
    exitWatcher_->start([this] {
        // On the watcher's thread: the request goes to the GUI thread, and
        // a running task is interrupted at once.
        QMetaObject::invokeMethod(
            this, [this] { exitRequested(); }, Qt::QueuedConnection);
        program_.engine().signalInterrupt();
    });
    if (!line.unattended()) {
        return;
    }
    int task = 0;
    if (line.hasB(CommandLine::kWrite)) {
        task = command::kWriteAll;
    } else if (line.hasB(CommandLine::kCalibrate)) {
        task = command::kCalibrate;
    } else if (line.hasB(CommandLine::kRead)) {
        task = command::kReadAll;
    } else if (line.hasB(CommandLine::kCompare)) {
        task = command::kCompare;
    }
    taskPosted_ = task != 0;
    QTimer::singleShot(0, this, [this, task] {
        if (task != 0) {
            program_.runCommand(task);
        }
        if (task == command::kCompare) {
            compareEnded();
        }
        // A task that could not run (no tree, offline) ends here as well.
        taskEnded();
    });
}

void UnattendedRun::storeRequested() {
    const std::string& file = program_.commandLine().fileName;
    if (file.empty()) {
        return;
    }
    // A read through a port that could not be opened reached no module:
    // storing it would replace the file with a configuration of nothing.
    if ((program_.linkContext().runResultCode() & kRunPortNotOpened) != 0) {
        std::fprintf(stderr, "tarn: the port could not be opened; %s is left as it was\n",
                     file.c_str());
        return;
    }
    program_.files().storeQuietly(QString::fromStdString(file));
}

void UnattendedRun::taskDone() {
    if (program_.commandLine().unattended() && taskPosted_) {
        taskEnded();
    }
}

void UnattendedRun::taskEnded() {
    if (taskEnded_) {
        return;
    }
    taskEnded_ = true;
    CommandLine& line = program_.commandLine();
    const bool close = line.hasB(CommandLine::kClose) || line.hasB(CommandLine::kCalibrate);
    line.clearTaskSettings();
    CMainFrame* frame = program_.mainFrame();
    if (frame == nullptr) {
        return;
    }
    frame->unlockGeometry();
    // Nobody can close a window without a screen: the run ends with its task.
    if (close || program_.headless()) {
        QTimer::singleShot(0, frame, [frame] { frame->close(); });
    }
}

void UnattendedRun::exitRequested() {
    stoppedByCaller_ = true;
    program_.linkContext().addRunResultBits(kRunInterrupted);
    if (CMainFrame* frame = program_.mainFrame()) {
        frame->close();
    } else {
        QApplication::quit();
    }
}

void UnattendedRun::compareEnded() {
    // Every difference, one line each, for the calling program.
    const auto outcomes = program_.engine().compareOutcomes();
    differences_ = differenceCount(outcomes);
    for (const CompareOutcome& outcome : outcomes) {
        if (outcome.differs) {
            std::fprintf(stderr, "%s\n", differenceLine(outcome).c_str());
        }
    }
}

int UnattendedRun::normalExitCode(int normal) const {
    if (normal == 0 && reportTask_ == ReportTask::Compare && differences_ > 0) {
        return kExitModuleDiffers;
    }
    return normal;
}

void UnattendedRun::writeReport(int exitCode) const {
    const CommandLine& line = program_.commandLine();
    if (!line.unattended() || line.reportPath.empty()) {
        return;
    }
    TarnDocument& document = program_.document();
    ExchangeEngine& engine = program_.engine();
    RunReport report;
    report.programVersion = build::kVersion;
    report.started = started_;
    report.ended = QDateTime::currentDateTime();
    report.task = reportTask_;
    report.configurationFile = line.fileName;
    report.port = portSettingsFrom(document.programSettings());
    report.directionMode = program_.link().port().directionMode();
    report.offline = line.offline();
    report.mode = document.mode();
    report.exitCode = exitCode;
    report.exitMeaning = exitCodeMeaning(exitCode);
    report.stopped = stoppedByCaller() || engine.lastTaskStopped();
    report.counts = engine.lastTaskCounts();
    report.device = identity_;
    report.root = document.root();
    if (reportTask_ == ReportTask::Compare) {
        report.compared = engine.compareOutcomes();
    }
    std::string error;
    if (!writeRunReport(report, line.reportPath, &error)) {
        std::fprintf(stderr, "tarn: the report %s could not be written: %s\n",
                     line.reportPath.c_str(), error.c_str());
    }
}

QString UnattendedRun::summary() const {
    const TreeTaskOutcome& task = program_.commands().lastTreeTask();
    if (!task.ran) {
        return {};
    }
    const char* name = "чтение";
    switch (task.task) {
        case TreeTask::Read:
            break;
        case TreeTask::Write:
            name = "запись";
            break;
        case TreeTask::WriteChanged:
            name = "запись измененных";
            break;
        case TreeTask::Compare:
            name = "сравнение";
            break;
    }
    return QString("%1%2: параметров %3, с ошибками %4, время %5 с")
        .arg(QString::fromUtf8(name))
        .arg(task.stopped ? QString::fromUtf8(" (прервано)") : QString())
        .arg(task.handled)
        .arg(task.failed)
        .arg(task.seconds, 0, 'f', 1);
}

}  // namespace tarn
