#include "ui/qt_progress_display.h"

#include <QTimer>

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
    relay_.attach(&window);
    // Runs from the window's own event loop, so the window is up when the
    // task is handed over, and a close() from the worker finds it open.
    QTimer::singleShot(0, &window, [&started] {
        if (started) {
            started();
        }
    });
    window.exec();
    relay_.detach();
    window_ = nullptr;
}

void QtProgressDisplay::update(const ProgressUpdate& update) {
    relay_.post([this, update] {
        if (window_ != nullptr) {
            window_->applyUpdate(update);
        }
    });
}

void QtProgressDisplay::close() {
    relay_.post([this] {
        if (window_ != nullptr) {
            window_->finish();
        }
    });
}

}  // namespace tarn
