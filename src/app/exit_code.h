// The exit code a calling program reads: chosen from the run result code.
#pragma once

#include <cstdint>

namespace tarn {

// The lowest set bit of the run result code decides: 0x01 → 200 (the file
// to write is missing), 0x02 → 201 (port), 0x04 → 202 (time-out), 0x08 →
// 203 (line settings, lost frame start), 0x10 → 204, 0x20 → 205 (stopped),
// 0x40 → 206 (no module), and so on; with no bit set, `normalCode`.
int exitCodeFor(std::uint32_t runResultCode, int normalCode = 0);

}  // namespace tarn
