#include "dialogs/link_connection_search.h"

#include "model/object_with_parameters.h"

namespace tarn {

LinkConnectionSearch::LinkConnectionSearch(DeviceLink& link, ObjectWithParameters& programSettings)
    : settings_(programSettings),
      worker_(std::make_unique<ConnectionWorker>(link, programSettings,
                                                 static_cast<ConnectionListener&>(*this))) {}

LinkConnectionSearch::~LinkConnectionSearch() {
    // The worker ends after the attempt in hand; its reports stop with it.
    worker_.reset();
}

void LinkConnectionSearch::start(ConnectionEvents events) {
    events_ = std::move(events);
    worker_->start();
}

void LinkConnectionSearch::connect() {
    worker_->connect();
}

void LinkConnectionSearch::scan() {
    worker_->scan();
}

void LinkConnectionSearch::interrupt(int closeCode) {
    const int code = worker_->requestClose(closeCode);
    if (code != 0 && events_.command) {
        events_.command(code);
    }
}

bool LinkConnectionSearch::finished() const {
    return worker_->finished();
}

void LinkConnectionSearch::settingsListEnabled(bool enabled) {
    if (events_.settingsEnabled) {
        events_.settingsEnabled(enabled);
    }
}

void LinkConnectionSearch::statusChanged(const std::string& text, bool alarm) {
    if (events_.status) {
        events_.status(text, alarm);
    }
}

void LinkConnectionSearch::settingChanged(std::size_t row, const std::string& value) {
    const auto& parameters = settings_.parameters();
    if (events_.valueChanged && row < parameters.size()) {
        events_.valueChanged(*parameters[row], value);
    }
}

void LinkConnectionSearch::closeRequested(int code) {
    if (events_.command) {
        events_.command(code);
    }
}

}  // namespace tarn
