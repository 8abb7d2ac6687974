// Text colours of parameter rows.
#pragma once

#include <cstdint>

namespace tarn {

struct RowColour {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    friend bool operator==(const RowColour&, const RowColour&) = default;
};

inline constexpr RowColour kColourBlack{0, 0, 0};
// An exchange failed.
inline constexpr RowColour kColourError{255, 0, 0};
// The module holds another value than the configuration (a compare).
inline constexpr RowColour kColourMismatch{64, 64, 255};
// Changed here and not yet written to the module.
inline constexpr RowColour kColourChanged{0, 200, 0};

}  // namespace tarn
