// A ConnectionSearch for the dialog tests: a real thread that waits for
// requests like the real worker does, but whose attempts are scripted by
// the test (the connection search itself is tested with the communication
// layer). It records every call of the dialog.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "dialogs/connection_search.h"

namespace tarn::testing {

class ScriptedConnectionSearch : public ConnectionSearch {
public:
    enum class Request { Connect, Scan };

    // What the worker does with one request, on its thread.
    std::function<void(Request, ScriptedConnectionSearch&)> onRequest;

    ~ScriptedConnectionSearch() override {
        interrupt(0);
        if (thread_.joinable()) {
            thread_.join();
        }
    }

    void start(ConnectionEvents events) override {
        ++starts;
        events_ = std::move(events);
        thread_ = std::thread([this] { run(); });
    }

    void connect() override { push(Request::Connect); }
    void scan() override { push(Request::Scan); }

    void interrupt(int closeCode) override {
        std::lock_guard lock(mutex_);
        if (closeCode != 0) {
            interruptCodes_.push_back(closeCode);
        }
        closeCode_ = closeCode;
        interrupted_ = true;
        wake_.notify_all();
    }

    bool finished() const override { return finished_; }

    // ---- For scripts (worker thread) ------------------------------------
    const ConnectionEvents& events() const { return events_; }
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
        int code = 0;
        {
            std::lock_guard lock(mutex_);
            code = closeCode_;
        }
        finished_ = true;
        if (code != 0 && events_.command) {
            events_.command(code);
        }
    }

    ConnectionEvents events_;
    std::thread thread_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Request> requests_;
    bool interrupted_ = false;
    int closeCode_ = 0;
    std::vector<int> interruptCodes_;
    std::atomic<bool> finished_{false};
};

}  // namespace tarn::testing
