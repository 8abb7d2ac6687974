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
        deliveryPosted_ = false;
    }
    lastDelivery_ = {};
    relay_.attach(&window);
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
    {
        std::lock_guard lock(pendingMutex_);
        pending_.push_back(update);
        if (deliveryPosted_) {
            return;  // the batch on its way takes this update too
        }
        deliveryPosted_ = true;
    }
    const bool posted = relay_.post([this] {
        if (window_ == nullptr) {
            return;
        }
        // A batch at most every 1/kBatchesPerSecond second.
        using namespace std::chrono;
        const auto interval = milliseconds(1000 / kBatchesPerSecond);
        const auto since = steady_clock::now() - lastDelivery_;
        const auto wait =
            since >= interval ? milliseconds(0) : duration_cast<milliseconds>(interval - since);
        QTimer::singleShot(wait, window_, [this] { deliver(); });
    });
    if (!posted) {
        // No window: the update is dropped.
        std::lock_guard lock(pendingMutex_);
        pending_.clear();
        deliveryPosted_ = false;
    }
}

void QtProgressDisplay::deliver() {
    std::vector<ProgressUpdate> batch;
    {
        std::lock_guard lock(pendingMutex_);
        batch.swap(pending_);
        deliveryPosted_ = false;
    }
    lastDelivery_ = std::chrono::steady_clock::now();
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
