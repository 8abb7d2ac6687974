// ConnectionWorker: the connection search behind the connection dialog
// ("Установка связи с прибором"): the real attempts on the document's link
// with the program's own port settings (see comm/connection_search.h for
// the conversation with the dialog).
#pragma once

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "comm/connection_search.h"

namespace tarn {

class DeviceLink;
class ObjectWithParameters;

class ConnectionWorker : public ConnectionSearch {
public:
    // `programSettings` is the program's own port settings group
    // (NetRS485prg). Both must outlive the worker.
    ConnectionWorker(DeviceLink& link, ObjectWithParameters& programSettings);
    // Ends the worker after the attempt in hand and waits for it (no
    // closeRequested comes then if it has not come yet).
    ~ConnectionWorker() override;
    ConnectionWorker(const ConnectionWorker&) = delete;
    ConnectionWorker& operator=(const ConnectionWorker&) = delete;

    bool start(std::shared_ptr<ConnectionListener> listener) override;
    void connect() override;
    void scan() override;
    void restoreFactorySettings() override;
    std::optional<ConnectionClose> requestClose(ConnectionClose code) override;
    bool finished() const override;

private:
    void run();
    bool tryConnect();
    bool tryScan();
    void writeFactorySettings();
    bool interrupted() const { return interrupt_.load(); }

    DeviceLink& link_;
    ObjectWithParameters& settings_;
    std::shared_ptr<ConnectionListener> listener_;

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    bool connectPending_ = false;
    bool scanPending_ = false;
    bool factoryPending_ = false;
    std::atomic<bool> interrupt_{false};
    bool finished_ = false;
    bool notifyClose_ = true;
    ConnectionClose resultCode_ = ConnectionClose::Exit;
    std::thread thread_;
};

}  // namespace tarn
