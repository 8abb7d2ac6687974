#include "ui/gui_relay.h"

#include <QMetaObject>

namespace tarn {

void GuiRelay::attach(QObject* target) {
    std::lock_guard lock(mutex_);
    target_ = target;
}

void GuiRelay::detach() {
    std::lock_guard lock(mutex_);
    target_ = nullptr;
}

bool GuiRelay::attached() const {
    std::lock_guard lock(mutex_);
    return target_ != nullptr;
}

bool GuiRelay::post(std::function<void()> work) {
    // Posting under the lock: detach() cannot return (and the target cannot
    // be destroyed) while an event for it is being queued. A queued call
    // whose target is destroyed before it runs is discarded by Qt.
    std::lock_guard lock(mutex_);
    if (target_ == nullptr) {
        return false;
    }
    QMetaObject::invokeMethod(target_, std::move(work), Qt::QueuedConnection);
    return true;
}

}  // namespace tarn
