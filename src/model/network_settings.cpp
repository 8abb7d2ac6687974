#include "model/network_settings.h"

#include "platform/text.h"

namespace tarn {
namespace {

struct ParityName {
    Parity parity;
    std::string_view text;
};
constexpr ParityName kParityNames[] = {
    {Parity::None, "Отсутствует"}, {Parity::Even, "Четность"}, {Parity::Odd, "Нечетность"}};

}  // namespace

std::optional<std::string_view> factoryValueOf(std::string_view networkName) {
    for (const NetworkSetting& setting : kLineSettings) {
        if (text::equalsNoCase(networkName, setting.networkName)) {
            return setting.factoryValue;
        }
    }
    if (text::equalsNoCase(networkName, kPortSetting.networkName)) {
        return kPortSetting.factoryValue;
    }
    return std::nullopt;
}

std::optional<Parity> parityFromText(std::string_view text) {
    for (const auto& name : kParityNames) {
        if (text::equalsNoCase(text, name.text)) {
            return name.parity;
        }
    }
    return std::nullopt;
}

std::string_view parityText(Parity parity) {
    for (const auto& name : kParityNames) {
        if (name.parity == parity) {
            return name.text;
        }
    }
    return {};
}

}  // namespace tarn
