#include "ui/qt_progress_display.h"

#include <QEventLoop>
#include <QTimer>
#include <chrono>
#include <thread>

#include "ui/progress_dialog.h"

namespace tarn {

void QtProgressDisplay::runModal(const std::string& title, int total,
                                 const std::function<void()>& started,
                                 const std::function<void()>& interrupt) {
    if (window_ != nullptr) {
        return;
    }
    CProgressDialog window(owner_.data());
    window.setTaskTitle(title);
    window.setTotal(total);
    window.setInterruptHandler(interrupt);
    window_ = &window;
    closed_ = false;
    {
        std::lock_guard lock(pendingMutex_);
        pending_.clear();
    }
    relay_.attach(&window);
    // The batches: what came since the last tick goes to the window. The
    // timer has no parent, so it never goes with a window taken by its owner.
    QTimer batches;
    batches.setInterval(1000 / kBatchesPerSecond);
    QObject::connect(&batches, &QTimer::timeout, &window, [this] { deliver(); });
    batches.start();
    // Runs from the window's own event loop, so the window is up when the
    // task is handed over, and a close() from the worker finds it open.
    QTimer::singleShot(0, &window, [&started] {
        if (started) {
            started();
        }
    });
    if (shown_) {
        window.exec();
    } else {
        // The same loop without the window: finish() ends it.
        QEventLoop modal;
        QObject::connect(&window, &QDialog::finished, &modal, &QEventLoop::quit);
        modal.exec();
    }
    // The window may have gone with its owner (the main window closed by a
    // stop request) while the task still runs: the caller goes on only once
    // the task has ended, or it would take a half-done task for a whole one.
    batches.stop();
    while (!closed_.load()) {
        QEventLoop wait;
        QTimer::singleShot(10, &wait, &QEventLoop::quit);
        if (wait.exec(QEventLoop::ExcludeUserInputEvents) != 0) {
            // The event loops are ending (the program quits): just wait.
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    relay_.detach();
    window_ = nullptr;
}

void QtProgressDisplay::update(const ProgressUpdate& update) {
    if (!relay_.attached()) {
        return;  // no window: the update is dropped
    }
    std::lock_guard lock(pendingMutex_);
    pending_.push_back(update);
}

void QtProgressDisplay::deliver() {
    std::vector<ProgressUpdate> batch;
    {
        std::lock_guard lock(pendingMutex_);
        batch.swap(pending_);
    }
    if (window_ != nullptr && !batch.empty()) {
        window_->applyUpdates(batch);
    }
}

void QtProgressDisplay::close() {
    closed_.store(true);
    relay_.post([this] {
        if (window_ != nullptr) {
            deliver();
            window_->finish();
        }
    });
}

}  // namespace tarn
