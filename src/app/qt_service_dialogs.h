// The service dialogs of the document's commands, as the windows of the
// program: single point, APLY, output calibration and the password change,
// each modal over the main window.
#pragma once

#include <functional>

#include "document/service_dialogs.h"

class QWidget;

namespace tarn {

class DeviceLink;
class ExchangeEngine;
class SettingsStore;
class TarnDocument;
class UserInteraction;

class QtServiceDialogs : public ServiceDialogs {
public:
    struct Context {
        TarnDocument& document;
        DeviceLink& link;
        ExchangeEngine& engine;
        UserInteraction& ui;
        SettingsStore& settings;
        std::function<QWidget*()> window;  // the dialogs' owner (may give null)
        std::function<bool()> silent;      // the start-up option "silent"
        std::function<int()> accessLevel;
    };

    explicit QtServiceDialogs(Context context) : context_(std::move(context)) {}

    void singlePoint() override;
    ApplyDialogResult apply() override;
    void calibration() override;
    void changePasswords() override;

private:
    QWidget* window() const { return context_.window ? context_.window() : nullptr; }

    Context context_;
};

}  // namespace tarn
