#include "model/net_rs485.h"

namespace tarn {

NetRS485::NetRS485() : NetRS485(std::string(kName)) {}

NetRS485::NetRS485(std::string name) : InvisibleElement(std::move(name)) {}

void NetRS485::fill() {
    deleteParameters();
    struct Setting {
        std::string_view networkName;
        std::string_view caption;
        std::string_view type;
    };
    static constexpr Setting kSettings[] = {
        {"bPS", "Скорость обмена", kBaudRateType},
        {"LEn", "Длина слова данных", kWordLengthType},
        {"PrtY", "Четность", kParityType},
        {"Sbit", "Кол-во стоп-бит", kStopBitsType},
        {"A.Len", "Длина адреса RS-485", kAddressLengthType},
        {"Addr", "Базовый адрес прибора", kAddressType},
    };
    for (const auto& setting : kSettings) {
        auto parameter = std::make_unique<Parameter>(std::string(setting.networkName));
        parameter->setCaption(std::string(setting.caption));
        parameter->setValueType(std::string(setting.type));
        addParameter(std::move(parameter));
    }
}

}  // namespace tarn
