// PortSettings: the program's connection to the line as numbers — the port
// and its character framing, and the module's address — taken once from the
// value texts of the program's port settings (NetRS485prg).
#pragma once

#include <optional>
#include <string>

#include "model/network_settings.h"

namespace tarn {

class ObjectWithParameters;

struct PortSettings {
    std::string port = std::string(kPortSetting.factoryValue);  // "COMn" or a device path
    int baudRate = 9600;
    int dataBits = 8;
    // Nothing when the settings hold no parity the line knows: the port
    // keeps the parity it has.
    std::optional<Parity> parity = Parity::None;
    int stopBits = 1;
    int addressLength = 8;
    int address = 16;

    bool operator==(const PortSettings&) const = default;
};

// The settings held by the program's port-settings group: "Port", "bPS",
// "LEn", "PrtY", "Sbit", "A.Len", "Addr". Numbers are the leading integers
// of their texts; a setting the group lacks gives 0 (an empty port name).
PortSettings portSettingsFrom(const ObjectWithParameters& programSettings);

// Copies the module's known line settings into the program's port settings:
// every one of the six whose value in `device` is not "Нет данных" (nor
// empty) is set by name in `program`.
void copyKnownLineSettings(const ObjectWithParameters& device, ObjectWithParameters& program);

}  // namespace tarn
