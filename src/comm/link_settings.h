// The program's own connection settings as OpenLink takes them: the value
// texts of the program's network-settings parameters "Port", "bPS", "Addr",
// "A.Len", "LEn", "Sbit" and "PrtY".
#pragma once

#include <string>

namespace tarn {

struct LinkSettings {
    std::string port = "COM1";  // "COMn" or a device path
    std::string baudRate = "9600";
    std::string address = "16";
    std::string addressLength = "8";
    std::string dataBits = "8";
    std::string stopBits = "1";
    std::string parity = "Отсутствует";  // "Отсутствует", "Четность" or "Нечетность"
};

}  // namespace tarn
