#include "model/net_rs485.h"

namespace tarn {

NetRS485::NetRS485() : NetRS485(std::string(kName)) {}

NetRS485::NetRS485(std::string name) : InvisibleElement(std::move(name)) {}

void NetRS485::fill() {
    deleteParameters();
    for (const NetworkSetting& setting : kLineSettings) {
        auto parameter = std::make_unique<Parameter>(std::string(setting.networkName));
        parameter->setCaption(std::string(setting.caption));
        parameter->setValueType(std::string(setting.valueType));
        addParameter(std::move(parameter));
    }
}

}  // namespace tarn
