// DialogWorker: a service dialog's device work off the user-interface
// thread.
//
// A job runs on the dialog's CommandWorker; what it found is shown by a
// second function that runs afterwards on the dialog's thread. While such
// a job is outstanding the dialog shows the wait cursor and keeps painting.
// Value writes typed in quick succession go through runLatest: the one on
// the line finishes, then only the latest of those that came meanwhile is
// sent. Nothing a job does touches a widget; once the dialog is being
// destroyed, the results of jobs that still run are dropped.
#pragma once

#include <functional>
#include <memory>

#include "comm/command_worker.h"
#include "ui/gui_relay.h"

class QWidget;

namespace tarn {

class DialogWorker {
public:
    using Job = std::function<void()>;

    // `dialog` shows the wait cursor and receives the results.
    explicit DialogWorker(QWidget* dialog);
    // Drops the results still to come, then waits for the queued jobs
    // (the dialog has called finishJobs() before).
    ~DialogWorker();
    DialogWorker(const DialogWorker&) = delete;
    DialogWorker& operator=(const DialogWorker&) = delete;

    // Runs `job` on the worker, then `shown` (may be empty) on the dialog's
    // thread. Call on the dialog's thread.
    void run(Job job, std::function<void()> shown = {});
    // A job of which only the latest of a quick run is carried out.
    void runLatest(Job job);

    // For the dialog's destructor, while the dialog is still whole: drops
    // the results still to come and lets the queued jobs end, handling this
    // thread's events meanwhile, since a job may be waiting for a message
    // box (a dialog closed by the end of the program while it asks).
    void finishJobs();

    // A job of run() has not been shown yet.
    bool busy() const { return outstanding_ > 0; }
    // Nothing is queued, on the line or still to be shown.
    bool idle() const { return outstanding_ == 0 && worker_.idle(); }

private:
    void finished();

    QWidget* dialog_;
    int outstanding_ = 0;  // dialog's thread only
    std::shared_ptr<GuiRelay> relay_;
    // Last: it ends (and finishes its jobs) before the relay goes.
    CommandWorker worker_;
};

}  // namespace tarn
