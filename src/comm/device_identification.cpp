#include "comm/device_identification.h"

#include "comm/device_link.h"
#include "model/parameter.h"
#include "platform/numbers.h"
#include "platform/text.h"
#include "platform/user_interaction.h"

namespace tarn {

unsigned IdentifyDevice(DeviceLink& link, UserInteraction* messages, DeviceIdentity* identity) {
    Parameter model("dev");
    model.setValueType("string");
    Parameter version("ver");
    version.setValueType("string");

    unsigned flags = 0;
    std::string errors;
    std::string information;

    if (link.ExchangeParameter(model, true) != ExchangeResult::Ok) {
        errors += "Ошибка команды 'dev':\n" + model.statusText() + "\n";
    } else {
        flags |= kDeviceAnswered;
        if (identity != nullptr) {
            identity->model = model.valueText();
        }
        information += "Прибор: " + model.valueText() + "\n";
        if (text::equalsNoCase(text::replaceAll(model.valueText(), "-", ""), "tarn")) {
            flags |= kDeviceIsThisModel;
        }
    }

    if (link.ExchangeParameter(version, true) != ExchangeResult::Ok) {
        errors += "Ошибка команды 'ver':\n" + version.statusText() + "\n";
    } else {
        if (identity != nullptr) {
            identity->version = version.valueText();
        }
        information += "Версия ПО: " + version.valueText() + "\n";
        const std::string& value = version.valueText();
        const auto start = value.find_first_of("0123456789.");
        const std::string_view number = start == std::string::npos
                                            ? std::string_view(value)
                                            : std::string_view(value).substr(start);
        if (numbers::leadingInteger(number) == 2) {
            flags |= kDeviceVersion2;
        }
    }

    if (messages != nullptr) {
        if (!errors.empty()) {
            messages->showMessage(errors, "Ошибка", MessageIcon::Error);
        }
        if (!information.empty()) {
            messages->showMessage(information, "Общие параметры прибора", MessageIcon::Information);
        }
    }
    return flags;
}

}  // namespace tarn
