// The exit code a calling program reads: chosen from the run result code.
#pragma once

#include <cstdint>
#include <string>

namespace tarn {

// An unattended compare found the module holding other values or attributes
// than the configuration file. It is a task's normal code, not a bit's: the
// run result bit 0x100, whose code it would be, stays unused.
inline constexpr int kExitModuleDiffers = 208;

// The lowest set bit of the run result code decides: 0x01 → 200 (the file
// to write is missing), 0x02 → 201 (port), 0x04 → 202 (time-out), 0x08 →
// 203 (line settings, lost frame start), 0x10 → 204, 0x20 → 205 (stopped),
// 0x40 → 206 (no module), and so on; with no bit set, `normalCode`.
int exitCodeFor(std::uint32_t runResultCode, int normalCode = 0);

// The normal code of an unattended compare: 208 when it found differences.
// Line failures still decide first (exitCodeFor).
int compareExitCode(std::uint32_t runResultCode, int differences);

// What an exit code means, in a few words (the report's "exitMeaning").
std::string exitCodeMeaning(int code);

}  // namespace tarn
