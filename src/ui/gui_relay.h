// Hands work from any thread to the thread of a window.
//
// Worker threads report to windows that may close at any moment. A relay
// knows its window while it is attached; a call posted while it is attached
// runs later on the window's thread, and is dropped when the window is gone
// by then. After detach() nothing is posted any more, so a worker that
// outlives the window never touches it.
#pragma once

#include <QObject>
#include <functional>
#include <mutex>

namespace tarn {

class GuiRelay {
public:
    GuiRelay() = default;
    explicit GuiRelay(QObject* target) : target_(target) {}

    GuiRelay(const GuiRelay&) = delete;
    GuiRelay& operator=(const GuiRelay&) = delete;

    void attach(QObject* target);
    void detach();
    bool attached() const;

    // Queues `work` for the target's thread (also when called on that
    // thread: it runs from the event loop). False when nothing is attached.
    bool post(std::function<void()> work);

private:
    mutable std::mutex mutex_;
    QObject* target_ = nullptr;
};

}  // namespace tarn
