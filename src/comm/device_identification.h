// Identifying the module on the line by its commands "dev" (model name) and
// "ver" (software version).
#pragma once

#include <optional>
#include <string>

namespace tarn {

class DeviceLink;
class UserInteraction;

// Flags of IdentifyDevice.
inline constexpr unsigned kDeviceIsThisModel = 1;  // "dev" named this model
inline constexpr unsigned kDeviceAnswered = 2;     // "dev" was answered at all
inline constexpr unsigned kDeviceVersion2 = 4;     // the software's major version is 2

// What the module answered to "dev" and "ver"; nothing where it did not.
struct DeviceIdentity {
    std::optional<std::string> model;    // "dev"
    std::optional<std::string> version;  // "ver"
};

// Reads "dev" and "ver" on the calling thread. The model is recognised in
// any letter case and with any dashes ("T-A-R-N", "tarn"). With `messages`,
// the errors of both commands are shown in one box ("Ошибка") and what the
// module said in another ("Общие параметры прибора"); null shows nothing.
// `identity`, when given, receives the answers.
unsigned IdentifyDevice(DeviceLink& link, UserInteraction* messages,
                        DeviceIdentity* identity = nullptr);

}  // namespace tarn
