#include "model/net_rs485_prg.h"

#include <optional>

#include "platform/numbers.h"
#include "platform/port_names.h"
#include "platform/settings_store.h"
#include "platform/text.h"

namespace tarn {
namespace {

constexpr auto kScope = SettingsStore::Scope::Machine;

struct Stored {
    std::string_view valueName;
    std::string_view parameterName;
    std::int32_t fallback;
};

// The numbers stored as they are.
constexpr Stored kNumbers[] = {
    {"address", "Addr", 16}, {"address_length", "A.Len", 8}, {"baud_rate", "bPS", 9600},
    {"byte_size", "LEn", 8}, {"stop_bits", "Sbit", 1},
};

constexpr std::string_view kParityValue = "parity_scheme";
constexpr std::int32_t kParityDefault = 3;
constexpr std::string_view kPortValue = "port_number";
constexpr std::int32_t kPortDefault = 1;

struct ParityCode {
    std::int32_t number;
    std::string_view text;
};
constexpr ParityCode kParities[] = {{1, "Четность"}, {3, "Отсутствует"}, {4, "Нечетность"}};

std::string parityText(std::int32_t number) {
    for (const auto& parity : kParities) {
        if (parity.number == number) {
            return std::string(parity.text);
        }
    }
    return std::string(kInvalidParityText);
}

std::optional<std::int32_t> parityNumber(std::string_view text) {
    for (const auto& parity : kParities) {
        if (text == parity.text) {
            return parity.number;
        }
    }
    return std::nullopt;
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
    auto port = std::make_unique<Parameter>("Port");
    port->setCaption("Порт компьютера");
    port->setValueType(serialPortValueType());
    addParameter(std::move(port));
    load();
    clearChanges();
    for (const auto& parameter : parameters()) {
        parameter->setAttributeKind(0);
    }
}

void NetRS485prg::load() {
    auto read = [this](std::string_view valueName, std::int32_t fallback) {
        std::int32_t value = fallback;
        if (settings_.readInt(kScope, kProgramKey, valueName, value) != SettingsStore::Status::Ok) {
            value = fallback;
        }
        return value;
    };
    for (const auto& stored : kNumbers) {
        setValueByName(stored.parameterName,
                       std::to_string(read(stored.valueName, stored.fallback)), false);
    }
    setValueByName("PrtY", parityText(read(kParityValue, kParityDefault)), false);
    setValueByName("Port", "COM" + std::to_string(read(kPortValue, kPortDefault)), false);
}

void NetRS485prg::save() {
    if (!settings_.writable(kScope)) {
        return;
    }
    for (const auto& stored : kNumbers) {
        if (const Parameter* parameter = find(stored.parameterName)) {
            settings_.writeInt(kScope, kProgramKey, stored.valueName,
                               numbers::leadingInteger(parameter->valueText()));
        }
    }
    if (const Parameter* parity = find("PrtY")) {
        if (const auto number = parityNumber(parity->valueText())) {
            settings_.writeInt(kScope, kProgramKey, kParityValue, *number);
        }
    }
    if (const Parameter* port = find("Port")) {
        if (const auto number = portNumberOf(port->valueText())) {
            settings_.writeInt(kScope, kProgramKey, kPortValue, *number);
        }
    }
}

}  // namespace tarn
