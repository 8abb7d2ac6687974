#include "dialogs/dialog_worker.h"

#include <QCoreApplication>
#include <QWidget>
#include <chrono>
#include <thread>

namespace tarn {

DialogWorker::DialogWorker(QWidget* dialog)
    : dialog_(dialog), relay_(std::make_shared<GuiRelay>(dialog)) {}

DialogWorker::~DialogWorker() {
    relay_->detach();
}

void DialogWorker::finishJobs() {
    relay_->detach();
    while (!worker_.idle()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

void DialogWorker::run(Job job, std::function<void()> shown) {
    if (outstanding_++ == 0) {
        dialog_->setCursor(Qt::WaitCursor);
    }
    std::shared_ptr<GuiRelay> relay = relay_;
    worker_.post([this, relay, job = std::move(job), shown = std::move(shown)] {
        job();
        relay->post([this, shown] {
            finished();
            if (shown) {
                shown();
            }
        });
    });
}

void DialogWorker::runLatest(Job job) {
    worker_.postLatest(std::move(job));
}

void DialogWorker::finished() {
    if (--outstanding_ == 0) {
        dialog_->unsetCursor();
    }
}

}  // namespace tarn
