// The connection search as the connection dialog ("Установка связи с
// прибором") sees it, and what the search tells the dialog.
//
// The dialog shows the program's own port settings (a NetRS485prg, one row
// per parameter in the group's order) and a status line, and forwards its
// buttons to the search:
//
//   "Установить связь"             -> connect()
//   "Сканирование сети"            -> scan()
//   "Заводские сетевые настройки"  -> restoreFactorySettings()
//   OK                             -> requestClose(Connected)
//   "Работать offline"             -> requestClose(Offline)
//   "Выход"                        -> requestClose(Exit)
//
// requestClose gives the code to close with at once when the search has
// already ended; otherwise nothing, and the search finishes the attempt in
// hand and then calls ConnectionListener::closeRequested with the code.
// That call comes exactly once, also after a successful connection (code
// Connected) without any button.
//
// Threads: the search runs its attempts on a thread of its own. The
// listener is called on that thread, and on the caller's thread within the
// calls above; a dialog moves the worker thread's calls to its own thread.
// While the settings list is disabled (between settingsListEnabled(false)
// and (true)) the search owns the settings group: the dialog shows the
// values it is given and must not touch the parameters.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace tarn {

// How the dialog closes: the module was found (or OK), "Выход", or
// "Работать offline" (the dialog then turns automatic reading off).
enum class ConnectionClose : int { Connected = 1, Exit = 2, Offline = 3 };

inline constexpr std::string_view kTextConnecting = "Идет сканирование...";
inline constexpr std::string_view kTextConnected = "Связь установлена!";
inline constexpr std::string_view kTextNotConnected = "Не удалось установить связь с прибором!";
inline constexpr std::string_view kTextStopping = "Прерывание операции...";

class ConnectionListener {
public:
    virtual ~ConnectionListener() = default;
    // Enable or disable the settings list.
    virtual void settingsListEnabled(bool enabled) = 0;
    // The status line; an alarm is shown red with the warning beep, any
    // other text blue.
    virtual void statusChanged(const std::string& text, bool alarm) = 0;
    // The value of the settings row `row` (the parameter of that index in
    // the settings group) is now `value`.
    virtual void settingChanged(std::size_t row, const std::string& value) = 0;
    // The dialog closes now with this code.
    virtual void closeRequested(ConnectionClose code) = 0;
};

class ConnectionSearch {
public:
    virtual ~ConnectionSearch() = default;

    // Starts the search's thread (when the dialog opens); reports go to
    // `listener`, which the search keeps while it runs (a dialog may close
    // before the attempt in hand has ended). False when the system cannot
    // create the thread.
    virtual bool start(std::shared_ptr<ConnectionListener> listener) = 0;

    // Tries the settings shown ("Идет сканирование..." at once).
    virtual void connect() = 0;
    // Tries every allowed speed of "bPS" in its list order.
    virtual void scan() = 0;
    // Puts the factory settings into the rows and tries them.
    virtual void restoreFactorySettings() = 0;

    // The code to close with now, or nothing when closeRequested will come.
    virtual std::optional<ConnectionClose> requestClose(ConnectionClose code) = 0;

    virtual bool finished() const = 0;
};

}  // namespace tarn
