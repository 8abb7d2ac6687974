// FrameRecord: one frame that went out on the line or came in from it, as
// the device link reports it to its frame observers (the bus monitor, the
// trace file).
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "comm/frame_source.h"

namespace tarn {

enum class FrameDirection : std::uint8_t { Sent, Received };

struct FrameRecord {
    // Wall-clock moment the frame was sent or its answer was taken.
    std::chrono::system_clock::time_point time;
    // A received frame: milliseconds since its request was sent; -1 for a
    // sent frame.
    int sinceRequestMs = -1;
    FrameDirection direction = FrameDirection::Sent;
    FrameSource source = FrameSource::Program;
    // A probe framing other than the hash-name protocol's characters (Modbus
    // RTU is binary): the frame is shown in hexadecimal.
    bool binary = false;
    // The characters as sent or received, start and end character included.
    std::string wire;
    // The command's network name ("M.s.t.r." for attribute exchanges, the
    // framing's name for probes); empty when unknown.
    std::string name;
    bool hasHash = false;
    std::uint16_t hash = 0;
    int address = -1;
    int linearIndex = -1;  // -1: the parameter has none
    std::vector<std::uint8_t> data;
    // The value the frame carries: the text written, or the text a read
    // answer decoded to.
    std::string valueText;
    // A sent frame: 0 for the first sending, n for the n-th resend.
    int attempt = 0;
    // What became of the frame: answered, resent, the time-out, the error
    // text of a failed exchange.
    std::string outcome;
    bool error = false;
};

}  // namespace tarn
