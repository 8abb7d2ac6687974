// Answers of the module as they come off the line: the frame parser, the
// answer checks and the texts of n.Err answers.
//
// Input: byte 0 chooses the addressing (bit 0: 11-bit), bytes 1 and 2 are the
// hash of the command that was sent, the rest is the collected answer.
#include <cstdint>
#include <string>

#include "comm/error_texts.h"
#include "comm/frame_codec.h"
#include "fuzz_support.h"

using namespace tarn;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) {
        return 0;
    }
    const int addressLength = (data[0] & 1) != 0 ? 11 : 8;
    const auto command = static_cast<std::uint16_t>((data[1] << 8) | data[2]);
    const std::string_view answer = fuzz::asText(data + 3, size - 3);

    const AnswerCheck check = checkAnswer(answer, command);
    fuzzCheck(check.data.size() <= kMaxFrameData);
    switch (check.verdict) {
        case AnswerVerdict::Accepted:
            fuzzCheck(check.hash == command);
            break;
        case AnswerVerdict::DeviceError: {
            fuzzCheck(check.hash == kHashNErr && command != kHashNErr);
            std::string text = "unchanged";
            const int known =
                DeviceErrorText(check.data.data(), static_cast<int>(check.data.size()), text);
            fuzzCheck(known == (check.data.empty() ? 0 : 1));
            fuzzCheck(!text.empty());
            break;
        }
        case AnswerVerdict::OtherCommand:
            fuzzCheck(check.hash != command && check.hash != kHashNErr);
            break;
        case AnswerVerdict::BadChecksum:
            fuzzCheck(check.data.empty());
            break;
    }

    const auto parsed = parseFrame(answer, addressLength);
    if (parsed) {
        const Frame& frame = parsed->frame;
        fuzzCheck(frame.data.size() <= kMaxFrameData);
        fuzzCheck(frame.address >= 0 && frame.address < (addressLength == 11 ? 2048 : 256));
        // Whatever was read encodes into a frame that reads back the same.
        const std::string wire = encodeFrame(frame, addressLength);
        fuzzCheck(wire.size() == 2 * (frame.data.size() + 6) + 2);
        const auto reread = parseFrame(wire, addressLength);
        fuzzCheck(reread && reread->checksumOk && reread->frame == frame);
        const AnswerCheck recheck = checkAnswer(wire, frame.hash);
        fuzzCheck(recheck.verdict == AnswerVerdict::Accepted && recheck.data == frame.data);
    }

    // The text of an error code for every leading byte.
    std::string text;
    fuzzCheck(DeviceErrorText(data + 3, static_cast<int>(size - 3), text) == (size > 3 ? 1 : 0));
    std::uint8_t bytes[64];
    decode_buffer(answer.data(), std::min(answer.size(), 2 * sizeof bytes), bytes);
    return 0;
}
