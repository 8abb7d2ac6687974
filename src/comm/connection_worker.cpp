#include "comm/connection_worker.h"

#include <system_error>

#include "comm/device_detection.h"
#include "comm/frame_source.h"
#include "model/network_settings.h"
#include "model/object_with_parameters.h"
#include "model/parameter.h"

namespace tarn {

ConnectionWorker::ConnectionWorker(DeviceLink& link, ObjectWithParameters& programSettings)
    : link_(link), settings_(programSettings) {}

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

bool ConnectionWorker::start(std::shared_ptr<ConnectionListener> listener) {
    std::lock_guard lock(mutex_);
    if (thread_.joinable()) {
        return !finished_;
    }
    listener_ = std::move(listener);
    try {
        thread_ = std::thread([this] { run(); });
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

void ConnectionWorker::connect() {
    // The status first, so that the worker's own lines follow it.
    listener_->statusChanged(std::string(kTextConnecting), false);
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
    listener_->statusChanged(std::string(kTextConnecting), false);
    {
        std::lock_guard lock(mutex_);
        factoryPending_ = true;
        connectPending_ = true;
    }
    wake_.notify_one();
}

std::optional<ConnectionClose> ConnectionWorker::requestClose(ConnectionClose code) {
    {
        std::lock_guard lock(mutex_);
        if (finished_ || !thread_.joinable()) {
            return code;
        }
    }
    if (code != ConnectionClose::Connected) {
        listener_->statusChanged(std::string(kTextStopping), false);
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
    return std::nullopt;
}

bool ConnectionWorker::finished() const {
    std::lock_guard lock(mutex_);
    return finished_;
}

void ConnectionWorker::run() {
    // The frames of the connection search.
    const FrameSourceScope source(FrameSource::ConnectionSearch);
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
            resultCode_ = ConnectionClose::Connected;
            break;
        }
    }
    finished_ = true;
    const ConnectionClose code = resultCode_;
    const bool notify = notifyClose_;
    lock.unlock();
    if (notify) {
        listener_->closeRequested(code);
    }
}

void ConnectionWorker::writeFactorySettings() {
    const auto& parameters = settings_.parameters();
    for (std::size_t row = 0; row < parameters.size(); ++row) {
        Parameter& parameter = *parameters[row];
        if (const auto factory = factoryValueOf(parameter.networkName())) {
            parameter.setValueText(std::string(*factory));
        }
        listener_->settingChanged(row, parameter.valueText());
    }
}

bool ConnectionWorker::tryConnect() {
    listener_->settingsListEnabled(false);
    const bool connected = DetectDevice(link_, settings_);
    listener_->settingsListEnabled(true);
    if (connected) {
        listener_->statusChanged(std::string(kTextConnected), false);
    } else if (!interrupted()) {
        listener_->statusChanged(std::string(kTextNotConnected), true);
    }
    return connected;
}

bool ConnectionWorker::tryScan() {
    listener_->settingsListEnabled(false);
    const auto& parameters = settings_.parameters();
    std::size_t row = 0;
    while (row < parameters.size() && !parameters[row]->hasName("bps")) {
        ++row;
    }
    if (row == parameters.size()) {
        listener_->settingsListEnabled(true);
        return false;
    }
    Parameter& speed = *parameters[row];
    const std::string remembered = speed.valueText();

    for (const std::string& value : speed.typeItems()) {
        speed.setValueText(value);
        listener_->settingChanged(row, value);
        listener_->statusChanged("Идет сканирование на скорости " + value + "...", false);
        if (DetectDevice(link_, settings_)) {
            listener_->statusChanged(std::string(kTextConnected), false);
            listener_->settingsListEnabled(true);
            return true;
        }
        if (interrupted()) {
            break;
        }
    }
    speed.setValueText(remembered);
    listener_->settingChanged(row, remembered);
    if (!interrupted()) {
        listener_->statusChanged(std::string(kTextNotConnected), true);
    }
    listener_->settingsListEnabled(true);
    return false;
}

}  // namespace tarn
