// What the exchange engine needs from the rest of the program, and what it
// tells it.
//
// The engine knows neither the main window nor the document. The program
// gives it an EngineSettings value (changed at any time with
// ExchangeEngine::setSettings) and an EngineObserver that carries the
// requests out.
#pragma once

#include <chrono>
#include <string>

namespace tarn {

struct EngineSettings {
    // Unattended operation (any command-line option): after every task the
    // document may be stored and the task-done signal is given.
    bool unattended = false;
    // Unattended "read": store the document after the task.
    bool storeAfterTask = false;
    // The main window exists with its menu. Only then do repeated read
    // time-outs pause the exchange with a message.
    bool mainWindowExists = false;
    // The error log file ("elog" option); empty: no log.
    std::string errorLogPath;
    // How long the progress window stays open after a task that was not
    // interrupted, so that its log can be read (20 × 100 ms).
    std::chrono::milliseconds closingPause{2000};
};

class EngineObserver {
public:
    virtual ~EngineObserver() = default;

    // A parameter was read successfully (or failed other than by a
    // time-out): the view should redraw. Called on the thread that
    // exchanged (the transmit thread during tasks); must not block on the
    // user-interface thread — post the redraw instead.
    virtual void viewRedrawRequested() {}

    // The rest is called on the user-interface thread: by a task starter
    // after the progress window has closed, or at once by a direct call of
    // ReadParameter on that thread.

    // Repeated time-outs unticked "Режим автоматического чтения"
    // (LinkContext::autoRead is already false): update the menu.
    virtual void autoReadSwitchedOff() {}
    // A task wrote a network setting of the module successfully and was not
    // ended by a shutdown: run the document's apply command (APLY).
    virtual void applyNetworkSettingsRequested() {}
    // Unattended operation with "read": store the document to the file named
    // on the command line. Comes before taskDone(); not after a task that
    // was stopped before its end.
    virtual void storeDocumentRequested() {}
    // Unattended operation: a device task has ended (the task-done event).
    virtual void taskDone() {}
};

}  // namespace tarn
