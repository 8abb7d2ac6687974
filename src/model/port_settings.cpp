#include "model/port_settings.h"

#include "model/my_converter.h"
#include "model/object_with_parameters.h"
#include "platform/numbers.h"

namespace tarn {

PortSettings portSettingsFrom(const ObjectWithParameters& programSettings) {
    const auto number = [&](std::string_view name) {
        return numbers::leadingInteger(programSettings.valueByName(name));
    };
    PortSettings settings;
    settings.port = programSettings.valueByName(kPortSetting.networkName);
    settings.baudRate = number("bPS");
    settings.dataBits = number("LEn");
    settings.parity = parityFromText(programSettings.valueByName("PrtY"));
    settings.stopBits = number("Sbit");
    settings.addressLength = number("A.Len");
    settings.address = number("Addr");
    return settings;
}

void copyKnownLineSettings(const ObjectWithParameters& device, ObjectWithParameters& program) {
    for (const NetworkSetting& setting : kLineSettings) {
        std::string value = device.valueByName(setting.networkName);
        if (!value.empty() && value != kNoData) {
            program.setValueByName(setting.networkName, std::move(value), false);
        }
    }
}

}  // namespace tarn
