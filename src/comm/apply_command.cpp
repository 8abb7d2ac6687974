#include "comm/apply_command.h"

#include <thread>

#include "comm/device_detection.h"
#include "comm/device_link.h"
#include "model/object_with_parameters.h"
#include "model/parameter.h"
#include "platform/user_interaction.h"

namespace tarn {

ApplyCommand::ApplyCommand(DeviceLink& link, const ObjectWithParameters* deviceSettings,
                           ObjectWithParameters& programSettings)
    : link_(link), deviceSettings_(deviceSettings), programSettings_(programSettings) {}

std::string ApplyCommand::settingsText() const {
    if (deviceSettings_ == nullptr) {
        return std::string(kApplyNoSettingsText);
    }
    std::string text;
    for (std::size_t i = 0; i < kLineSettings.size(); ++i) {
        text += std::string(kLineSettingLabels[i]) +
                deviceSettings_->valueByName(kLineSettings[i].networkName) + "\n";
    }
    return text;
}

std::optional<PortSettings> ApplyCommand::followModule() {
    if (deviceSettings_ == nullptr) {
        return std::nullopt;
    }
    copyKnownLineSettings(*deviceSettings_, programSettings_);
    return portSettingsFrom(programSettings_);
}

ApplyResult ApplyCommand::send(const ApplyOptions& options,
                               const std::optional<PortSettings>& line) {
    ApplyResult result;
    Parameter aply("APLY");
    aply.setValueType("void");
    aply.setValueText("");
    result.firstWrite = link_.ExchangeParameter(aply, false);

    if (line) {
        // The port follows the module; a port that cannot be opened shows in
        // the "dev" read that follows.
        link_.OpenLink(*line, false);
        Parameter model("dev");
        model.setValueType("string");
        if (link_.ExchangeParameter(model, true) != ExchangeResult::Ok) {
            result.errorText = "Ошибка команды 'dev':\n" + model.statusText() + "\n";
        }
    }

    if (options.broadcast) {
        const int sendings = options.threeTimes ? 3 : 1;
        for (int i = 0; i < sendings; ++i) {
            std::this_thread::sleep_for(kRepeatPause);
            Parameter again("APLY");
            again.setValueType("void");
            again.setValueText("");
            link_.ExchangeParameter(again, false);
            std::this_thread::sleep_for(kRepeatPause);
        }
    }
    return result;
}

void ApplyCommand::report(const ApplyResult& result, bool silent, UserInteraction& ui) {
    if (result.firstWrite != ExchangeResult::Ok && !silent) {
        ui.showMessage(result.errorText, kApplyErrorCaption, MessageIcon::Error);
    }
}

}  // namespace tarn
