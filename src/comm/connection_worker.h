// ConnectionWorker: the work behind the connection dialog ("Установка
// связи с прибором"), without the dialog.
//
// The dialog shows the program's own port settings (a NetRS485prg, one row
// per parameter in the group's order) and a status line, and has the
// buttons "Установить связь", "Сканирование сети", "Заводские сетевые
// настройки", "Работать offline" and "Выход". It owns one worker, calls
// start() when it opens and forwards its buttons:
//
//   "Установить связь"             -> connect()
//   "Сканирование сети"            -> scan()
//   "Заводские сетевые настройки"  -> restoreFactorySettings()
//   OK                             -> requestClose(kCloseConnected)
//   "Работать offline"             -> requestClose(kCloseOffline)
//   "Выход"                        -> requestClose(kCloseExit)
//
// requestClose returns the code to close with at once when the worker has
// already ended, else 0: the worker finishes the attempt in hand and then
// calls ConnectionListener::closeRequested with the code to close with.
// That call comes exactly once, also after a successful connection (code
// kCloseConnected) without any button. For kCloseOffline the dialog does
// what "Работать offline" does (automatic reading off) and closes with 1;
// the dialog's own result is 1 for kCloseConnected and 2 for kCloseExit.
//
// Threads: the worker runs the connection attempts on a thread of its own.
// The listener is called on that thread, and on the caller's thread within
// connect() and requestClose(); a Qt dialog queues the calls to its own
// thread. While the settings list is disabled (between
// settingsListEnabled(false) and (true)) the worker owns the settings
// group: the dialog shows the values it is given and must not touch the
// parameters. Edits of the list while it is enabled are seen by the next
// attempt.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <string>
#include <thread>

namespace tarn {

class DeviceLink;
class ObjectWithParameters;

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
    // The dialog closes now with this code (see the file comment).
    virtual void closeRequested(int code) = 0;
};

class ConnectionWorker {
public:
    static constexpr int kCloseConnected = 1;
    static constexpr int kCloseExit = 2;
    static constexpr int kCloseOffline = 3;

    // `programSettings` is the program's own port settings group
    // (NetRS485prg). All three must outlive the worker.
    ConnectionWorker(DeviceLink& link, ObjectWithParameters& programSettings,
                     ConnectionListener& listener);
    // Ends the worker after the attempt in hand and waits for it (no
    // closeRequested comes then if it has not come yet).
    ~ConnectionWorker();
    ConnectionWorker(const ConnectionWorker&) = delete;
    ConnectionWorker& operator=(const ConnectionWorker&) = delete;

    // Starts the worker thread (when the dialog opens); false when the
    // system cannot create it.
    bool start();

    // Tries the settings shown ("Идет сканирование..." at once).
    void connect();
    // Tries every allowed speed of "bPS" in its list order.
    void scan();
    // Puts the factory settings into the rows and tries them.
    void restoreFactorySettings();

    // The code to close with now, or 0 when closeRequested will come.
    int requestClose(int code);

    bool finished() const;

private:
    void run();
    bool tryConnect();
    bool tryScan();
    void writeFactorySettings();
    bool interrupted() const { return interrupt_.load(); }

    DeviceLink& link_;
    ObjectWithParameters& settings_;
    ConnectionListener& listener_;

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    bool connectPending_ = false;
    bool scanPending_ = false;
    bool factoryPending_ = false;
    std::atomic<bool> interrupt_{false};
    bool finished_ = false;
    bool notifyClose_ = true;
    int resultCode_ = kCloseExit;
    std::thread thread_;
};

}  // namespace tarn
