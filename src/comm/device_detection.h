// Finding the module on the line: the automatic connection search that
// start-up runs and the connection dialog repeats.
#pragma once

#include "comm/device_identification.h"
namespace tarn {

class DeviceLink;
class ObjectWithParameters;

// Opens the link with the program's settings (reporting a port that cannot
// be opened) and looks for the module: "dev"/"ver" with a converter that
// switches the direction by itself, then with direction switching by RTS;
// then the probes of the other framings (Modbus RTU, Modbus ASCII, DCON
// style). The direction mode that worked stays in force; after a probe
// answered the device protocol is selected again. Run result code: a module
// of version 2 clears the bits 0x08 and 0x40, a probe that answered clears
// 0x04 and 0x40, and a module of another model that answered "dev" sets the
// code to 0x40. Returns whether something answered. `identity`, when given,
// receives what the module answered to "dev" and "ver" in the attempt that
// recognised it (or in the last attempt when none did).
bool DetectDevice(DeviceLink& link, const ObjectWithParameters& programSettings,
                  DeviceIdentity* identity = nullptr);

}  // namespace tarn
