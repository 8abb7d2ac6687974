// NetRS485: the module's own settings on its RS-485 line (speed, word
// length, parity, stop bits, address length, base address). The module takes
// edited values over with the APLY command.
#pragma once

#include <string>
#include <string_view>

#include "model/invisible_element.h"

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

class NetRS485 : public InvisibleElement {
public:
    static constexpr std::string_view kName = "Сетевые параметры прибора";
    static constexpr std::string_view kKindCaption = "Сеть RS-485";
    static constexpr int kImage = 4;

    NetRS485();

    // Recreates "bPS", "LEn", "PrtY", "Sbit", "A.Len" and "Addr", all
    // accessible, without values.
    void fill() override;

    int image() const override { return kImage; }
    int selectedImage() const override { return kImage; }
    std::string kindCaption() const override { return std::string(kKindCaption); }

protected:
    explicit NetRS485(std::string name);
};

}  // namespace tarn
