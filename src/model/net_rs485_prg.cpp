#include "model/net_rs485_prg.h"

#include <optional>

#include "platform/numbers.h"
#include "platform/port_names.h"
#include "platform/settings_store.h"
#include "platform/text.h"

namespace tarn {
namespace {

constexpr auto kScope = SettingsStore::Scope::Machine;

// The stored number of each parity the settings offer.
struct StoredParity {
    Parity parity;
    std::int32_t number;
};
constexpr StoredParity kStoredParities[] = {{Parity::Even, 1}, {Parity::None, 3}, {Parity::Odd, 4}};

std::string parityTextOf(std::int32_t number) {
    for (const auto& stored : kStoredParities) {
        if (stored.number == number) {
            return std::string(parityText(stored.parity));
        }
    }
    return std::string(kInvalidParityText);
}

std::optional<std::int32_t> storedParityOf(std::string_view text) {
    const auto parity = parityFromText(text);
    for (const auto& stored : kStoredParities) {
        if (parity == stored.parity) {
            return stored.number;
        }
    }
    return std::nullopt;
}

bool isParity(const NetworkSetting& setting) {
    return setting.networkName == "PrtY";
}

// Every setting but the parity is stored as the number its text begins with.
std::int32_t storedNumberOf(std::string_view text) {
    return numbers::leadingInteger(text);
}

// The port number of a port text: every "COM" removed, the rest read as a
// decimal number after optional blanks; nothing when it does not start with
// one.
std::optional<std::int32_t> portNumberOf(std::string_view portText) {
    const std::string rest = text::replaceAll(portText, "COM", "");
    std::size_t pos = rest.find_first_not_of(" \t\n\v\f\r");
    if (pos == std::string::npos) {
        return std::nullopt;
    }
    if (rest[pos] == '+' || rest[pos] == '-') {
        ++pos;
    }
    if (pos >= rest.size() || rest[pos] < '0' || rest[pos] > '9') {
        return std::nullopt;
    }
    return numbers::leadingInteger(rest);
}

}  // namespace

std::string serialPortValueType() {
    std::string ports;
    for (const auto& name : listPorts()) {
        ports += name + ":";
    }
    if (!ports.empty()) {
        ports.pop_back();
    }
    return ports;
}

NetRS485prg::NetRS485prg(SettingsStore& settings)
    : NetRS485(std::string(kName)), settings_(settings) {}

NetRS485prg::~NetRS485prg() {
    save();
}

void NetRS485prg::fill() {
    NetRS485::fill();
    auto port = std::make_unique<Parameter>(std::string(kPortSetting.networkName));
    port->setCaption(std::string(kPortSetting.caption));
    port->setValueType(serialPortValueType());
    addParameter(std::move(port));
    load();
    clearChanges();
    for (const auto& parameter : parameters()) {
        parameter->setAttributeKind(0);
    }
}

void NetRS485prg::load() {
    auto read = [this](const NetworkSetting& setting) -> std::optional<std::int32_t> {
        std::int32_t value = 0;
        if (settings_.readInt(kScope, kProgramKey, setting.settingsValue, value) !=
            SettingsStore::Status::Ok) {
            return std::nullopt;
        }
        return value;
    };
    for (const NetworkSetting& setting : kLineSettings) {
        const auto stored = read(setting);
        std::string value = std::string(setting.factoryValue);
        if (stored) {
            value = isParity(setting) ? parityTextOf(*stored) : std::to_string(*stored);
        }
        setValueByName(setting.networkName, std::move(value), false);
    }
    const auto port = read(kPortSetting);
    setValueByName(kPortSetting.networkName,
                   port ? "COM" + std::to_string(*port) : std::string(kPortSetting.factoryValue),
                   false);
}

void NetRS485prg::save() {
    if (!settings_.writable(kScope)) {
        return;
    }
    for (const NetworkSetting& setting : kLineSettings) {
        const Parameter* parameter = find(setting.networkName);
        if (parameter == nullptr) {
            continue;
        }
        const auto number = isParity(setting) ? storedParityOf(parameter->valueText())
                                              : storedNumberOf(parameter->valueText());
        if (number) {
            settings_.writeInt(kScope, kProgramKey, setting.settingsValue, *number);
        }
    }
    if (const Parameter* port = find(kPortSetting.networkName)) {
        if (const auto number = portNumberOf(port->valueText())) {
            settings_.writeInt(kScope, kProgramKey, kPortSetting.settingsValue, *number);
        }
    }
}

}  // namespace tarn
