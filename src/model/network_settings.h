// The line settings of the RS-485 network, once: the module's six settings
// (its own group "Сетевые параметры прибора" and the configuration's
// network-settings branch) and the program's port settings, which add the
// computer's port.
//
// Every part of the program that names a line setting takes it from here:
// the settings groups, the program's stored values, the factory settings of
// the connection dialog, the APLY command, the command line and the
// simulated module.
#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace tarn {

// Value types of the line settings: each an enumeration whose item index
// travels in one byte, except the address.
inline constexpr std::string_view kBaudRateType =
    "2400:4800:9600:14400:19200:28800:38400:57600:115200";
inline constexpr std::string_view kWordLengthType = "7:8";
inline constexpr std::string_view kParityType = "Отсутствует:Четность:Нечетность";
inline constexpr std::string_view kStopBitsType = "1:2";
inline constexpr std::string_view kAddressLengthType = "8:11";
inline constexpr std::string_view kAddressType = "int";

struct NetworkSetting {
    std::string_view networkName;
    std::string_view caption;
    std::string_view valueType;  // empty for the port: the machine's ports
    // The value under the program's settings key ("Software\BRIX\TARN").
    std::string_view settingsValue;
    std::string_view factoryValue;
};

// The module's settings, in the order of its group and of the APLY command.
inline constexpr std::array<NetworkSetting, 6> kLineSettings = {{
    {"bPS", "Скорость обмена", kBaudRateType, "baud_rate", "9600"},
    {"LEn", "Длина слова данных", kWordLengthType, "byte_size", "8"},
    {"PrtY", "Четность", kParityType, "parity_scheme", "Отсутствует"},
    {"Sbit", "Кол-во стоп-бит", kStopBitsType, "stop_bits", "1"},
    {"A.Len", "Длина адреса RS-485", kAddressLengthType, "address_length", "8"},
    {"Addr", "Базовый адрес прибора", kAddressType, "address", "16"},
}};

// The program's port, after the six line settings in the program's group.
inline constexpr NetworkSetting kPortSetting = {"Port", "Порт компьютера", "", "port_number",
                                                "COM1"};

// The factory value of a line setting or of the port, by network name
// (letter case aside); nothing for other names.
std::optional<std::string_view> factoryValueOf(std::string_view networkName);

// Parity of the line characters. Mark and space exist on the line only
// (the settings offer none, even and odd).
enum class Parity { None, Even, Odd, Mark, Space };

// "Отсутствует", "Четность", "Нечетность" (letter case aside), and back;
// nothing for any other text (and no text for mark and space).
std::optional<Parity> parityFromText(std::string_view text);
std::string_view parityText(Parity parity);

}  // namespace tarn
