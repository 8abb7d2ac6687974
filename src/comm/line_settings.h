// Character framing and speed of the serial line, the time-outs derived from
// them, and the kernel calls that apply and read them.
//
// The kernel interface (termios2 with arbitrary speeds, RS-485 mode, modem
// lines) lives in line_settings.cpp alone, because the kernel's termios
// headers cannot be included together with the C library's.
#pragma once

#include <cstdint>
#include <optional>

#include "model/network_settings.h"

namespace tarn {

struct LineSettings {
    int baudRate = 9600;
    int dataBits = 8;
    Parity parity = Parity::None;
    int stopBits = 1;

    bool operator==(const LineSettings&) const = default;
};

// The speeds a port may be opened with.
bool isAllowedBaudRate(int baud);
// Whether the parity is one the line knows (a value cast from a number
// may not be).
bool isValidParity(Parity parity);
bool parityUsed(Parity parity);

// Time-outs of one port, in milliseconds.
struct LineTimeouts {
    float characterTime = 0;  // one character on the line
    int readInterval = 0;     // longest pause between two answer characters
    int readMultiplier = 0;   // per answer character
    int readConstant = 0;
    int writeMultiplier = 0;
    int writeConstant = 0;
    std::uint16_t answerTimeout = 0;  // longest wait for a whole answer
};

// Start bit, data bits, parity bit when used, stop bits.
int bitsPerCharacter(const LineSettings& settings);
LineTimeouts computeLineTimeouts(const LineSettings& settings);

namespace line {

// Results of configure().
inline constexpr int kConfigured = 0;
inline constexpr int kStateUnreadable = -2;
inline constexpr int kSettingsRejected = -4;

// The character framing bits of the terminal's control flags (data bits,
// parity, stop bits), and back.
std::uint32_t framingFlags(const LineSettings& settings);
LineSettings fromFramingFlags(std::uint32_t flags, int baudRate);

// Raw transfer, no flow control, receiver on, parity checking with errors
// and breaks marked in the input (0xFF 0x00 x; a real 0xFF arrives doubled),
// reads that never block. The settings must be valid.
int configure(int fd, const LineSettings& settings);

// The settings the terminal currently has (speed from the output speed).
std::optional<LineSettings> read(int fd);

// Exclusive use of the terminal: further opens fail (except for the
// administrator).
bool setExclusive(int fd, bool exclusive);

// Raises or drops a modem line; false when the driver has no modem lines
// (pseudo-terminals, some adapters).
bool setRts(int fd, bool on);
bool setDtr(int fd, bool on);

// The kernel's RS-485 direction control, where the driver offers it.
struct Rs485State {
    bool supported = false;
    std::uint32_t flags = 0;
    std::uint32_t delayBeforeSend = 0;
    std::uint32_t delayAfterSend = 0;
};
Rs485State readRs485(int fd);
// Turns kernel direction control on (RTS raised while sending) or restores
// the state read before.
bool enableRs485(int fd);
bool restoreRs485(int fd, const Rs485State& state);

}  // namespace line
}  // namespace tarn
