// NetRS485: the module's own settings on its RS-485 line (speed, word
// length, parity, stop bits, address length, base address). The module takes
// edited values over with the APLY command.
#pragma once

#include <string>
#include <string_view>

#include "model/invisible_element.h"
#include "model/network_settings.h"

namespace tarn {

class NetRS485 : public InvisibleElement {
public:
    static constexpr std::string_view kName = "Сетевые параметры прибора";
    static constexpr std::string_view kKindCaption = "Сеть RS-485";
    static constexpr int kImage = 4;

    NetRS485();

    // Recreates the six line settings (kLineSettings), all accessible,
    // without values.
    void fill() override;

    int image() const override { return kImage; }
    int selectedImage() const override { return kImage; }
    std::string kindCaption() const override { return std::string(kKindCaption); }

protected:
    explicit NetRS485(std::string name);
};

}  // namespace tarn
