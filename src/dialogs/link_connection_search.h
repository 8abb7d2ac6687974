// The connection dialog's search done by the communication layer's
// ConnectionWorker: it runs the real attempts on the link and translates
// between the worker's listener and the dialog's events.
#pragma once

#include <memory>
#include <mutex>

#include "comm/connection_worker.h"
#include "dialogs/connection_search.h"

namespace tarn {

class DeviceLink;
class ObjectWithParameters;

class LinkConnectionSearch : public ConnectionSearch, private ConnectionListener {
public:
    // `programSettings` is the program's own port settings (the dialog's
    // rows); both must outlive the search.
    LinkConnectionSearch(DeviceLink& link, ObjectWithParameters& programSettings);
    ~LinkConnectionSearch() override;

    void start(ConnectionEvents events) override;
    void connect() override;
    void scan() override;
    void interrupt(int closeCode) override;
    bool finished() const override;

private:
    void settingsListEnabled(bool enabled) override;
    void statusChanged(const std::string& text, bool alarm) override;
    void settingChanged(std::size_t row, const std::string& value) override;
    void closeRequested(int code) override;

    ObjectWithParameters& settings_;
    ConnectionEvents events_;
    std::unique_ptr<ConnectionWorker> worker_;
};

}  // namespace tarn
