// ProgressDisplay with the real progress window.
//
// runModal opens a CProgressDialog modally on the GUI thread; update() and
// close() may come from any thread (the transmit thread writes the log).
// Updates are only gathered where they come from; a timer of the window's
// own takes them over kBatchesPerSecond times a second, so the log is laid
// out and painted once per batch however fast the task writes, a line shows
// at most one batch interval after it was written, and the task's thread
// never wakes the GUI thread for a line. close() hands over what is left
// first, so the window shows every line before it closes. Calls that come
// while no window is open are dropped. runModal returns only once the task
// has closed the window, also when the window went before (its owner was
// closed). In a run without a screen (setShown(false)) the window is never
// shown, so nothing is laid out or painted that nobody could see; runModal
// waits for the task all the same.
#pragma once

#include <QPointer>
#include <QWidget>
#include <atomic>
#include <mutex>
#include <vector>

#include "comm/progress_display.h"
#include "ui/gui_relay.h"

namespace tarn {

class CProgressDialog;

class QtProgressDisplay : public ProgressDisplay {
public:
    // Twice a second: on a slow line a batch holds only a few lines, and
    // each costs a wake-up of the GUI thread and a paint with cold caches
    // (some 0.7 ms here), which at five a second was more than the whole
    // exchange's own processor time per frame at 9600 baud.
    static constexpr int kBatchesPerSecond = 2;

    explicit QtProgressDisplay(QWidget* owner = nullptr) : owner_(owner) {}

    // The window that owns the progress window (the main window).
    void setOwner(QWidget* owner) { owner_ = owner; }
    // False: the window is not shown (a run without a screen).
    void setShown(bool shown) { shown_ = shown; }

    // One window at a time; a nested call returns at once.
    void runModal(const std::string& title, int total, const std::function<void()>& started,
                  const std::function<void()>& interrupt) override;
    void update(const ProgressUpdate& update) override;
    void close() override;

    // The open window, or null. GUI thread only.
    CProgressDialog* window() const { return window_; }

private:
    // GUI thread: hands the gathered updates to the window.
    void deliver();

    QPointer<QWidget> owner_;
    bool shown_ = true;
    GuiRelay relay_;
    CProgressDialog* window_ = nullptr;
    // The task has closed its window (set from any thread).
    std::atomic<bool> closed_{false};
    std::mutex pendingMutex_;
    std::vector<ProgressUpdate> pending_;  // guarded by pendingMutex_
};

}  // namespace tarn
