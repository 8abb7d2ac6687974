// ProgressDisplay with the real progress window.
//
// runModal opens a CProgressDialog modally on the GUI thread; update() and
// close() may come from any thread (the transmit thread writes the log) and
// reach the window as queued calls. Calls that come while no window is open
// are dropped. runModal returns only once the task has closed the window,
// also when the window went before (its owner was closed).
#pragma once

#include <QPointer>
#include <QWidget>
#include <atomic>

#include "comm/progress_display.h"
#include "ui/gui_relay.h"

namespace tarn {

class CProgressDialog;

class QtProgressDisplay : public ProgressDisplay {
public:
    explicit QtProgressDisplay(QWidget* owner = nullptr) : owner_(owner) {}

    // The window that owns the progress window (the main window).
    void setOwner(QWidget* owner) { owner_ = owner; }

    // One window at a time; a nested call returns at once.
    void runModal(const std::string& title, int total, const std::function<void()>& started,
                  const std::function<void()>& interrupt) override;
    void update(const ProgressUpdate& update) override;
    void close() override;

    // The open window, or null. GUI thread only.
    CProgressDialog* window() const { return window_; }

private:
    QPointer<QWidget> owner_;
    GuiRelay relay_;
    CProgressDialog* window_ = nullptr;
    // The task has closed its window (set from any thread).
    std::atomic<bool> closed_{false};
};

}  // namespace tarn
