#include "comm/apply_command.h"

#include <thread>

#include "comm/device_detection.h"
#include "comm/device_link.h"
#include "model/object_with_parameters.h"
#include "model/parameter.h"
#include "platform/user_interaction.h"

namespace tarn {

int copyNetworkSettings(const ObjectWithParameters& device, ObjectWithParameters& program) {
    int copied = 0;
    for (const auto& line : kNetworkSettingLines) {
        const Parameter* setting = device.find(line.networkName);
        if (setting == nullptr || setting->hasNoData() || setting->valueText().empty()) {
            continue;
        }
        if (program.setValueByName(line.networkName, setting->valueText(), false) !=
            kNameNotFound) {
            ++copied;
        }
    }
    return copied;
}

ApplyCommand::ApplyCommand(DeviceLink& link, const ObjectWithParameters* deviceSettings,
                           ObjectWithParameters& programSettings)
    : link_(link), deviceSettings_(deviceSettings), programSettings_(programSettings) {}

std::string ApplyCommand::settingsText() const {
    if (deviceSettings_ == nullptr) {
        return std::string(kApplyNoSettingsText);
    }
    std::string text;
    for (const auto& line : kNetworkSettingLines) {
        text += std::string(line.label) + deviceSettings_->valueByName(line.networkName) + "\n";
    }
    return text;
}

std::optional<LinkSettings> ApplyCommand::followModule() {
    if (deviceSettings_ == nullptr) {
        return std::nullopt;
    }
    copyNetworkSettings(*deviceSettings_, programSettings_);
    return linkSettingsFrom(programSettings_);
}

ApplyResult ApplyCommand::send(const ApplyOptions& options,
                               const std::optional<LinkSettings>& line) {
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
        if (link_.ExchangeParameter(model, true) != kExchangeOk) {
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
    if (result.firstWrite != kExchangeOk && !silent) {
        ui.showMessage(result.errorText, kApplyErrorCaption, MessageIcon::Error);
    }
}

}  // namespace tarn
