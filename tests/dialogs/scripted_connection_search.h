// A ConnectionSearch for the dialog tests: a real thread that waits for
// requests like the real worker does, but whose attempts are scripted by
// the test (the connection search itself is tested with the communication
// layer). It reports what the contract says it reports at once (the
// status of a connection attempt and of a close request, the factory
// settings) and records every call of the dialog.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "comm/connection_search.h"
#include "model/network_settings.h"
#include "model/object_with_parameters.h"

namespace tarn::testing {

class ScriptedConnectionSearch : public ConnectionSearch {
public:
    enum class Request { Connect, Scan };

    // What the worker does with one request, on its thread.
    std::function<void(Request, ScriptedConnectionSearch&)> onRequest;
    // The rows the factory settings go into (the dialog's settings).
    ObjectWithParameters* settings = nullptr;

    ~ScriptedConnectionSearch() override {
        stop(std::nullopt);
        if (thread_.joinable()) {
            thread_.join();
        }
    }

    bool start(std::shared_ptr<ConnectionListener> listener) override {
        ++starts;
        listener_ = std::move(listener);
        thread_ = std::thread([this] { run(); });
        return true;
    }

    void connect() override {
        listener_->statusChanged(std::string(kTextConnecting), false);
        push(Request::Connect);
    }
    void scan() override { push(Request::Scan); }
    void restoreFactorySettings() override {
        listener_->statusChanged(std::string(kTextConnecting), false);
        if (settings != nullptr) {
            const auto& parameters = settings->parameters();
            for (std::size_t row = 0; row < parameters.size(); ++row) {
                if (const auto value = factoryValueOf(parameters[row]->networkName())) {
                    parameters[row]->setValueText(std::string(*value));
                }
                listener_->settingChanged(row, parameters[row]->valueText());
            }
        }
        push(Request::Connect);
    }

    std::optional<ConnectionClose> requestClose(ConnectionClose code) override {
        if (finished_) {
            return code;
        }
        if (code != ConnectionClose::Connected) {
            listener_->statusChanged(std::string(kTextStopping), false);
        }
        stop(code);
        return std::nullopt;
    }

    bool finished() const override { return finished_; }

    // ---- For scripts (worker thread) ------------------------------------
    ConnectionListener& listener() { return *listener_; }
    bool interrupted() const {
        std::lock_guard lock(mutex_);
        return interrupted_;
    }
    // Waits (a bounded time) until the dialog interrupts the worker.
    bool waitForInterrupt(std::chrono::milliseconds limit = std::chrono::seconds(10)) {
        std::unique_lock lock(mutex_);
        return wake_.wait_for(lock, limit, [this] { return interrupted_; });
    }

    // ---- For the test (any thread) ----------------------------------------
    // The codes the dialog asked to close with while the worker ran.
    std::vector<int> interruptCodes() const {
        std::lock_guard lock(mutex_);
        return interruptCodes_;
    }
    std::atomic<int> starts{0};
    std::atomic<int> connects{0};
    std::atomic<int> scans{0};
    std::atomic<bool> busy{false};
    void join() {
        if (thread_.joinable()) {
            thread_.join();
        }
    }

private:
    void push(Request request) {
        std::lock_guard lock(mutex_);
        (request == Request::Connect ? connects : scans)++;
        requests_.push_back(request);
        wake_.notify_all();
    }

    void stop(std::optional<ConnectionClose> code) {
        std::lock_guard lock(mutex_);
        if (code) {
            interruptCodes_.push_back(static_cast<int>(*code));
        }
        closeCode_ = code;
        interrupted_ = true;
        wake_.notify_all();
    }

    void run() {
        while (true) {
            Request request;
            {
                std::unique_lock lock(mutex_);
                wake_.wait(lock, [this] { return interrupted_ || !requests_.empty(); });
                if (interrupted_) {
                    break;
                }
                request = requests_.front();
                requests_.pop_front();
            }
            busy = true;
            if (onRequest) {
                onRequest(request, *this);
            }
            busy = false;
        }
        std::optional<ConnectionClose> code;
        {
            std::lock_guard lock(mutex_);
            code = closeCode_;
        }
        finished_ = true;
        if (code) {
            listener_->closeRequested(*code);
        }
    }

    std::shared_ptr<ConnectionListener> listener_;
    std::thread thread_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Request> requests_;
    bool interrupted_ = false;
    std::optional<ConnectionClose> closeCode_;
    std::vector<int> interruptCodes_;
    std::atomic<bool> finished_{false};
};

}  // namespace tarn::testing
