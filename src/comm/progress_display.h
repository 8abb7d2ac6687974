// The progress window of a device task, as the exchange engine sees it.
//
// The Qt layer implements it with the modal window "Прибор <==> программа";
// tests use a recording display. The engine computes every text; the display
// only shows what it is given.
#pragma once

#include <functional>
#include <string>

namespace tarn {

// One update of the window: a log line and the figures beside it.
struct ProgressUpdate {
    std::string line;
    // Time since the window opened, "%H:%M:%S".
    std::string elapsed;
    // "%i из %i" of processed and total; empty when the task has no total
    // (the field and the bar then stay as they are).
    std::string counts;
    int position = 0;  // bar position (processed), valid when counts is set
    // Scroll the log to its last line (every fifth line, and at the end).
    bool scrollToEnd = false;
};

class ProgressDisplay {
public:
    virtual ~ProgressDisplay() = default;

    // Called on the UI thread. Shows the window titled `title` with the bar
    // range 0..total, calls `started` once the window is up (that hands the
    // task to the worker thread), and returns only when close() was called:
    // the caller is blocked as by a modal window. The window's button
    // "Прервать!" calls `interrupt` (on the UI thread).
    virtual void runModal(const std::string& title, int total, const std::function<void()>& started,
                          const std::function<void()>& interrupt) = 0;

    // Called from any thread while the window is open. Must not wait for
    // the UI thread (queue the update): the engine's bounded stop relies on
    // the transmit thread never waiting for it.
    virtual void update(const ProgressUpdate& update) = 0;
    // Called from any thread, possibly already from within `started`; ends
    // runModal. Must not wait for the UI thread either.
    virtual void close() = 0;
};

}  // namespace tarn
