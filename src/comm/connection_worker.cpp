#include "comm/connection_worker.h"

#include <array>
#include <system_error>

#include "comm/device_detection.h"
#include "model/object_with_parameters.h"
#include "model/parameter.h"

namespace tarn {
namespace {

// The factory settings, by row of the settings list: speed, word length,
// parity, stop bits, address length, address, port.
constexpr std::array<std::string_view, 7> kFactorySettings = {"9600", "8",  "Отсутствует", "1",
                                                              "8",    "16", "COM1"};

}  // namespace

ConnectionWorker::ConnectionWorker(DeviceLink& link, ObjectWithParameters& programSettings,
                                   ConnectionListener& listener)
    : link_(link), settings_(programSettings), listener_(listener) {}

ConnectionWorker::~ConnectionWorker() {
    {
        std::lock_guard lock(mutex_);
        notifyClose_ = false;
        interrupt_.store(true);
    }
    wake_.notify_one();
    if (thread_.joinable()) {
        thread_.join();
    }
}

bool ConnectionWorker::start() {
    std::lock_guard lock(mutex_);
    if (thread_.joinable()) {
        return !finished_;
    }
    try {
        thread_ = std::thread([this] { run(); });
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

void ConnectionWorker::connect() {
    // The status first, so that the worker's own lines follow it.
    listener_.statusChanged(std::string(kTextConnecting), false);
    {
        std::lock_guard lock(mutex_);
        connectPending_ = true;
    }
    wake_.notify_one();
}

void ConnectionWorker::scan() {
    {
        std::lock_guard lock(mutex_);
        scanPending_ = true;
    }
    wake_.notify_one();
}

void ConnectionWorker::restoreFactorySettings() {
    listener_.statusChanged(std::string(kTextConnecting), false);
    {
        std::lock_guard lock(mutex_);
        factoryPending_ = true;
        connectPending_ = true;
    }
    wake_.notify_one();
}

int ConnectionWorker::requestClose(int code) {
    {
        std::lock_guard lock(mutex_);
        if (finished_ || !thread_.joinable()) {
            return code;
        }
    }
    if (code != kCloseConnected) {
        listener_.statusChanged(std::string(kTextStopping), false);
    }
    {
        std::lock_guard lock(mutex_);
        if (finished_) {
            return code;
        }
        resultCode_ = code;
        interrupt_.store(true);
    }
    wake_.notify_one();
    return 0;
}

bool ConnectionWorker::finished() const {
    std::lock_guard lock(mutex_);
    return finished_;
}

void ConnectionWorker::run() {
    std::unique_lock lock(mutex_);
    while (true) {
        wake_.wait(lock, [this] {
            return interrupted() || connectPending_ || scanPending_ || factoryPending_;
        });
        if (interrupted()) {
            break;
        }
        bool connected = false;
        if (factoryPending_ || connectPending_) {
            const bool factory = factoryPending_;
            factoryPending_ = false;
            connectPending_ = false;
            lock.unlock();
            if (factory) {
                writeFactorySettings();
            }
            connected = tryConnect();
            lock.lock();
        } else {
            scanPending_ = false;
            lock.unlock();
            connected = tryScan();
            lock.lock();
        }
        if (connected) {
            // As the dialog's OK would do while the worker runs.
            resultCode_ = kCloseConnected;
            break;
        }
    }
    finished_ = true;
    const int code = resultCode_;
    const bool notify = notifyClose_;
    lock.unlock();
    if (notify) {
        listener_.closeRequested(code);
    }
}

void ConnectionWorker::writeFactorySettings() {
    const auto& parameters = settings_.parameters();
    for (std::size_t row = 0; row < kFactorySettings.size() && row < parameters.size(); ++row) {
        parameters[row]->setValueText(std::string(kFactorySettings[row]));
        listener_.settingChanged(row, parameters[row]->valueText());
    }
}

bool ConnectionWorker::tryConnect() {
    listener_.settingsListEnabled(false);
    const bool connected = DetectDevice(link_, settings_);
    listener_.settingsListEnabled(true);
    if (connected) {
        listener_.statusChanged(std::string(kTextConnected), false);
    } else if (!interrupted()) {
        listener_.statusChanged(std::string(kTextNotConnected), true);
    }
    return connected;
}

bool ConnectionWorker::tryScan() {
    listener_.settingsListEnabled(false);
    const auto& parameters = settings_.parameters();
    std::size_t row = 0;
    while (row < parameters.size() && !parameters[row]->hasName("bps")) {
        ++row;
    }
    if (row == parameters.size()) {
        listener_.settingsListEnabled(true);
        return false;
    }
    Parameter& speed = *parameters[row];
    const std::string remembered = speed.valueText();

    // The allowed speeds in list order; an empty entry ends the list.
    const std::string& list = speed.valueType();
    std::size_t begin = 0;
    while (begin < list.size()) {
        std::size_t end = list.find(':', begin);
        if (end == std::string::npos) {
            end = list.size();
        }
        const std::string value = list.substr(begin, end - begin);
        if (value.empty()) {
            break;
        }
        speed.setValueText(value);
        listener_.settingChanged(row, value);
        listener_.statusChanged("Идет сканирование на скорости " + value + "...", false);
        if (DetectDevice(link_, settings_)) {
            listener_.statusChanged(std::string(kTextConnected), false);
            listener_.settingsListEnabled(true);
            return true;
        }
        if (interrupted()) {
            break;
        }
        begin = end + 1;
    }
    speed.setValueText(remembered);
    listener_.settingChanged(row, remembered);
    if (!interrupted()) {
        listener_.statusChanged(std::string(kTextNotConnected), true);
    }
    listener_.settingsListEnabled(true);
    return false;
}

}  // namespace tarn
