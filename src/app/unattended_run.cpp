#include "app/unattended_run.h"

#include <QApplication>
#include <QTimer>

#include "app/exit_watcher.h"
#include "app/file_commands.h"
#include "app/main_frame.h"
#include "app/tarn_application.h"
#include "comm/exchange_engine.h"
#include "document/command_ids.h"
#include "document/document_commands.h"

namespace tarn {

UnattendedRun::UnattendedRun(TarnApplication& program) : program_(program) {}

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
    }
    taskPosted_ = task != 0;
    QTimer::singleShot(0, this, [this, task] {
        if (task != 0) {
            program_.runCommand(task);
        }
        // A task that could not run (no tree, offline) ends here as well.
        taskEnded();
    });
}

void UnattendedRun::storeRequested() {
    const std::string& file = program_.commandLine().fileName;
    if (!file.empty()) {
        program_.files().storeQuietly(QString::fromStdString(file));
    }
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
