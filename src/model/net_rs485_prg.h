// NetRS485prg: the program's own port settings — the line settings of
// NetRS485 plus the computer's port. They live in the machine-wide settings
// under the program's key, not in configuration files: loaded when the group
// is filled, saved when it is destroyed.
#pragma once

#include <string>
#include <string_view>

#include "model/net_rs485.h"

namespace tarn {

class SettingsStore;

// The parity text of a stored parity number outside 1, 3 and 4. No port
// setting accepts it, so the user has to choose a parity.
inline constexpr std::string_view kInvalidParityText = "<неверное значние>";

// The value type of "Port": the serial ports present on the machine now,
// joined by ":".
std::string serialPortValueType();

class NetRS485prg : public NetRS485 {
public:
    static constexpr std::string_view kName = "Сетевые параметры программы";
    static constexpr int kImage = 19;

    // `settings` must outlive the group (it is written when the group goes).
    explicit NetRS485prg(SettingsStore& settings);
    // Saves the settings.
    ~NetRS485prg() override;

    // The line settings, then "Port" (an enumeration of the machine's ports),
    // all with the stored values or the defaults, unchanged and without
    // attributes.
    void fill() override;

    int image() const override { return kImage; }
    int selectedImage() const override { return kImage; }

    // Reads the stored values into the parameters; defaults for what is
    // missing (16, 8, 9600, 8, 1, "Отсутствует", COM1).
    void load();
    // Stores the values; a store that cannot be written keeps nothing.
    // A parity text other than the three parities, and a port text without
    // a number, leave their stored values as they were.
    void save();

private:
    SettingsStore& settings_;
};

}  // namespace tarn
