// A one-line description of the running operating system, as the program's
// service parameters show it.
#pragma once

#include <string>
#include <string_view>

namespace tarn {

// Shown when nothing is known about the system.
inline constexpr std::string_view kUnknownSystem = "<неизвестно>";

// On Linux: kernel name and release, followed by the distribution's name in
// parentheses when `osReleasePath` names it ("Linux 6.1.0-18-amd64 (Debian
// GNU/Linux 12 (bookworm))"). On Windows the version family and build.
std::string describeOperatingSystem(const std::string& osReleasePath = "/etc/os-release");

// The PRETTY_NAME of an os-release text, without its quotes; empty when the
// text has none.
std::string prettyNameFromOsRelease(std::string_view osRelease);

}  // namespace tarn
