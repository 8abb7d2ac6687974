// The search behind the connection dialog, as the dialog sees it.
//
// While the dialog "Установка связи с прибором" is open, a worker thread
// searches the module with the program's port settings: a connect request
// tries the settings as they stand, a scan request tries every baud rate of
// the settings in turn. The worker tells the dialog what happens through
// ConnectionEvents, from its own thread; the dialog moves every report to
// the user-interface thread itself.
#pragma once

#include <functional>
#include <string>

namespace tarn {

class Parameter;

struct ConnectionEvents {
    // The status line: `alarm` texts are shown in red with a warning beep,
    // the others in blue.
    std::function<void(const std::string& text, bool alarm)> status;
    // The settings list may be edited (true) or is in use by the worker
    // (false: the dialog locks it).
    std::function<void(bool enabled)> settingsEnabled;
    // The worker gave `parameter` (one of the settings) the value `value`:
    // a scan trying the next baud rate, or putting the previous one back.
    std::function<void(const Parameter& parameter, const std::string& value)> valueChanged;
    // The dialog is asked to run its command `code` (the dialog's button
    // numbers): 1 (OK) after the module was found; after interrupt(), the
    // code given there, once the worker has finished.
    std::function<void(int code)> command;
};

class ConnectionSearch {
public:
    virtual ~ConnectionSearch() = default;

    // Starts the worker thread, which then waits for requests. Called once,
    // when the dialog opens; reports go to `events` until the thread ends.
    virtual void start(ConnectionEvents events) = 0;

    // Requests a connection attempt with the current settings.
    virtual void connect() = 0;
    // Requests a scan over the allowed baud rates.
    virtual void scan() = 0;

    // Stops the running attempt (the exchange in progress is finished
    // first), ends the thread, marks the worker finished and then reports
    // command(`closeCode`). A second call before the thread has ended only
    // replaces the code.
    virtual void interrupt(int closeCode) = 0;

    // The thread has ended after interrupt().
    virtual bool finished() const = 0;
};

}  // namespace tarn
