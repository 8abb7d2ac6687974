#include "comm/line_settings.h"

// The kernel's own terminal structures: termios2 carries any speed. The C
// library's <termios.h> defines a different struct termios and must not be
// included here.
#include <asm/ioctls.h>
#include <asm/termbits.h>
#include <linux/serial.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

extern "C" int ioctl(int fd, unsigned long request, ...);

namespace tarn {
namespace {

constexpr std::array<int, 15> kAllowedBaudRates = {110,   300,   600,   1200,   2400,
                                                   4800,  9600,  14400, 19200,  28800,
                                                   38400, 56000, 57600, 115200, 128000};

struct SpeedConstant {
    int baud;
    unsigned constant;
};

// Speeds the kernel knows by a constant; the others go through BOTHER.
constexpr std::array<SpeedConstant, 12> kSpeedConstants = {{
    {110, B110},
    {300, B300},
    {600, B600},
    {1200, B1200},
    {2400, B2400},
    {4800, B4800},
    {9600, B9600},
    {19200, B19200},
    {38400, B38400},
    {57600, B57600},
    {115200, B115200},
    {230400, B230400},
}};

constexpr unsigned kModemRts = 0x004;  // TIOCM_RTS
constexpr unsigned kModemDtr = 0x002;  // TIOCM_DTR

int speedOf(const termios2& t) {
    const unsigned constant = t.c_cflag & CBAUD;
    if (constant == BOTHER) {
        return static_cast<int>(t.c_ospeed);
    }
    for (const auto& entry : kSpeedConstants) {
        if (entry.constant == constant) {
            return entry.baud;
        }
    }
    return static_cast<int>(t.c_ospeed);
}

bool setModemLine(int fd, unsigned line, bool on) {
    int bits = static_cast<int>(line);
    return ioctl(fd, on ? TIOCMBIS : TIOCMBIC, &bits) == 0;
}

}  // namespace

bool isAllowedBaudRate(int baud) {
    return std::find(kAllowedBaudRates.begin(), kAllowedBaudRates.end(), baud) !=
           kAllowedBaudRates.end();
}

bool isValidParity(Parity parity) {
    switch (parity) {
        case Parity::None:
        case Parity::Even:
        case Parity::Odd:
        case Parity::Mark:
        case Parity::Space:
            return true;
    }
    return false;
}

bool parityUsed(Parity parity) {
    return parity != Parity::None;
}

int bitsPerCharacter(const LineSettings& settings) {
    return 1 + settings.dataBits + (parityUsed(settings.parity) ? 1 : 0) + settings.stopBits;
}

LineTimeouts computeLineTimeouts(const LineSettings& settings) {
    LineTimeouts t;
    if (settings.baudRate <= 0) {
        return t;
    }
    t.characterTime = static_cast<float>(bitsPerCharacter(settings)) * 1000.0F /
                      static_cast<float>(settings.baudRate);
    t.readInterval = static_cast<int>(std::ceil(1.5F * t.characterTime));
    t.readMultiplier =
        static_cast<int>(std::ceil(t.characterTime + static_cast<float>(t.readInterval)));
    t.readConstant = 50;
    t.writeMultiplier = 10;
    t.writeConstant = 500;
    t.answerTimeout = static_cast<std::uint16_t>(t.readMultiplier * 30 + 50);
    return t;
}

namespace line {

std::uint32_t framingFlags(const LineSettings& settings) {
    std::uint32_t flags = 0;
    switch (settings.dataBits) {
        case 5:
            flags |= CS5;
            break;
        case 6:
            flags |= CS6;
            break;
        case 7:
            flags |= CS7;
            break;
        default:
            flags |= CS8;
            break;
    }
    switch (settings.parity) {
        case Parity::Even:
            flags |= PARENB;
            break;
        case Parity::Odd:
            flags |= PARENB | PARODD;
            break;
        case Parity::Mark:
            flags |= PARENB | CMSPAR | PARODD;
            break;
        case Parity::Space:
            flags |= PARENB | CMSPAR;
            break;
        case Parity::None:
            break;
    }
    if (settings.stopBits == 2) {
        flags |= CSTOPB;
    }
    return flags;
}

LineSettings fromFramingFlags(std::uint32_t flags, int baudRate) {
    LineSettings s;
    s.baudRate = baudRate;
    switch (flags & CSIZE) {
        case CS5:
            s.dataBits = 5;
            break;
        case CS6:
            s.dataBits = 6;
            break;
        case CS7:
            s.dataBits = 7;
            break;
        default:
            s.dataBits = 8;
            break;
    }
    if ((flags & PARENB) == 0) {
        s.parity = Parity::None;
    } else if ((flags & CMSPAR) != 0) {
        s.parity = (flags & PARODD) != 0 ? Parity::Mark : Parity::Space;
    } else {
        s.parity = (flags & PARODD) != 0 ? Parity::Odd : Parity::Even;
    }
    s.stopBits = (flags & CSTOPB) != 0 ? 2 : 1;
    return s;
}

int configure(int fd, const LineSettings& settings) {
    termios2 t{};
    if (ioctl(fd, TCGETS2, &t) != 0) {
        return kStateUnreadable;
    }
    t.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | IGNPAR | ISTRIP | INLCR | IGNCR | ICRNL |
                                        IXON | IXOFF | IXANY | IMAXBEL);
    t.c_iflag |= INPCK | PARMRK;
    t.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    t.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS |
                                        HUPCL | CBAUD | (CBAUD << IBSHIFT));
    t.c_cflag |= CLOCAL | CREAD;
    t.c_cflag |= framingFlags(settings);
    unsigned constant = BOTHER;
    for (const auto& entry : kSpeedConstants) {
        if (entry.baud == settings.baudRate) {
            constant = entry.constant;
        }
    }
    t.c_cflag |= constant;
    t.c_ispeed = static_cast<speed_t>(settings.baudRate);
    t.c_ospeed = static_cast<speed_t>(settings.baudRate);
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    if (ioctl(fd, TCSETS2, &t) != 0) {
        return kSettingsRejected;
    }
    return kConfigured;
}

std::optional<LineSettings> read(int fd) {
    termios2 t{};
    if (ioctl(fd, TCGETS2, &t) != 0) {
        return std::nullopt;
    }
    return fromFramingFlags(t.c_cflag, speedOf(t));
}

bool setExclusive(int fd, bool exclusive) {
    return ioctl(fd, exclusive ? TIOCEXCL : TIOCNXCL) == 0;
}

bool setRts(int fd, bool on) {
    return setModemLine(fd, kModemRts, on);
}

bool setDtr(int fd, bool on) {
    return setModemLine(fd, kModemDtr, on);
}

Rs485State readRs485(int fd) {
    Rs485State state;
    serial_rs485 rs{};
    if (ioctl(fd, TIOCGRS485, &rs) == 0) {
        state.supported = true;
        state.flags = rs.flags;
        state.delayBeforeSend = rs.delay_rts_before_send;
        state.delayAfterSend = rs.delay_rts_after_send;
    }
    return state;
}

bool enableRs485(int fd) {
    serial_rs485 rs{};
    if (ioctl(fd, TIOCGRS485, &rs) != 0) {
        return false;
    }
    rs.flags |= SER_RS485_ENABLED | SER_RS485_RTS_ON_SEND;
    rs.flags &= ~static_cast<std::uint32_t>(SER_RS485_RTS_AFTER_SEND | SER_RS485_RX_DURING_TX);
    return ioctl(fd, TIOCSRS485, &rs) == 0;
}

bool restoreRs485(int fd, const Rs485State& state) {
    if (!state.supported) {
        return true;
    }
    serial_rs485 rs{};
    if (ioctl(fd, TIOCGRS485, &rs) != 0) {
        return false;
    }
    rs.flags = state.flags;
    rs.delay_rts_before_send = state.delayBeforeSend;
    rs.delay_rts_after_send = state.delayAfterSend;
    return ioctl(fd, TIOCSRS485, &rs) == 0;
}

}  // namespace line
}  // namespace tarn
