// Serial port names.
//
// Everywhere the user sees them (settings, command line, lists) ports are
// called "COMn". A name resolves to a device path this way:
// 1. an entry "COMn" in the ports folder — a symbolic link to the device, or a
//    file whose first line is the device path — wins; the folder is
//    $TARN_PORTS_DIR, by default ~/.config/BRIX/TARN/ports. The simulated
//    module registers itself there.
// 2. otherwise COM1..COM100 are /dev/ttyS0..ttyS99 (the UARTs),
//    COM101..COM200 are /dev/ttyUSB0..ttyUSB99 (USB adapters) and
//    COM201..COM255 are /dev/ttyACM0..ttyACM54 (USB CDC adapters).
// A name that is not "COMn" (such as "/dev/ttyUSB0") is a device path itself.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarn {

// Highest COM number.
inline constexpr int kMaxPortNumber = 255;

// The folder holding the "COMn" entries.
std::string portsDirectory();

// The number n of a "COMn" name (case-insensitive), or empty.
std::optional<int> portNumber(std::string_view name);

// The device path a port name stands for.
std::string resolvePortName(std::string_view name);

// The default device of COMn when the ports folder has no entry for it.
std::string defaultDeviceForPort(int number);

// Every port of the machine, as "COMn" names in ascending number: the
// entries of the ports folder, and every serial device present (UARTs with
// hardware behind them, USB adapters) under the numbering above.
std::vector<std::string> listPorts();

}  // namespace tarn
