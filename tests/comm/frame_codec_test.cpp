#include "comm/frame_codec.h"

#include <gtest/gtest.h>

#include "model/network_name.h"

namespace tarn {
namespace {

TEST(FrameCodec, ChecksumOfBytes) {
    const std::uint8_t abc[] = {'a', 'b', 'c'};
    std::uint16_t crc = 0;
    EXPECT_EQ(hash_buffer(abc, 3, crc, 0), 1);
    EXPECT_EQ(crc, 0x4F8D);
    // The seed continues a checksum: two halves give the whole.
    std::uint16_t first = 0;
    hash_buffer(abc, 1, first, 0);
    hash_buffer(abc + 1, 2, crc, first);
    EXPECT_EQ(crc, 0x4F8D);
}

TEST(FrameCodec, ReadRequestsOnTheWire) {
    Frame read{16, true, NetNameHash("A.Len"), {}};
    EXPECT_EQ(frameBytes(read, 8), (std::vector<std::uint8_t>{0x10, 0x10, 0x1E, 0xD2, 0xCB, 0x82}));
    EXPECT_EQ(encodeFrame(read, 8), "#HGHGHUTISROI\r");
    EXPECT_EQ(encodeFrame(read, 11), "#GIHGHUTIGVJG\r");
    // 11-bit addressing puts the low three address bits into byte 1.
    Frame high{0x5AB, false, 0x1234, {0xFF}};
    const auto bytes = frameBytes(high, 11);
    EXPECT_EQ(bytes[0], 0xB5);
    EXPECT_EQ(bytes[1], (0x03 << 5) | 0x01);
    // Any other address length is 8-bit addressing.
    EXPECT_EQ(frameBytes(high, 16)[0], 0xAB);
    EXPECT_EQ(encodeFrame(high, 8).size(), 2 * 7 + 2);
}

TEST(FrameCodec, CharacterCodingRoundTrip) {
    std::vector<std::uint8_t> bytes(256);
    for (int i = 0; i < 256; ++i) {
        bytes[i] = static_cast<std::uint8_t>(i);
    }
    std::string characters(512, ' ');
    encode_buffer(bytes.data(), bytes.size(), characters.data());
    EXPECT_EQ(characters.substr(0, 4), "GGGH");
    EXPECT_EQ(characters.substr(510), "VV");
    std::vector<std::uint8_t> back(256);
    decode_buffer(characters.data(), characters.size(), back.data());
    EXPECT_EQ(back, bytes);
    // A character outside G..V counts as nibble 0.
    std::uint8_t one = 0xAA;
    decode_buffer("#V", 2, &one);
    EXPECT_EQ(one, 0x0F);
}

TEST(FrameCodec, ParsesRequests) {
    const Frame sent{0x123, false, 0xBEEF, {1, 2, 3}};
    const auto parsed = parseFrame(encodeFrame(sent, 11), 11);
    ASSERT_TRUE(parsed);
    EXPECT_TRUE(parsed->checksumOk);
    EXPECT_EQ(parsed->frame, sent);

    std::string corrupted = encodeFrame(sent, 8);
    corrupted[5] = corrupted[5] == 'G' ? 'H' : 'G';
    const auto bad = parseFrame(corrupted, 8);
    ASSERT_TRUE(bad);
    EXPECT_FALSE(bad->checksumOk);

    EXPECT_FALSE(parseFrame("HGHGHUTISROI\r", 8));   // no start
    EXPECT_FALSE(parseFrame("#HGHG\r", 8));          // too short
    EXPECT_FALSE(parseFrame("#HGHJHUTISROI\r", 8));  // length field says 3 bytes more
}

std::string answerFor(std::uint16_t hash, std::vector<std::uint8_t> data) {
    return encodeFrame(Frame{16, false, hash, std::move(data)}, 8);
}

TEST(FrameCodec, AnswerVerdictsInOrder) {
    const std::uint16_t command = NetNameHash("A.Len");
    auto check = checkAnswer(answerFor(command, {0x01}), command);
    EXPECT_EQ(check.verdict, AnswerVerdict::Accepted);
    EXPECT_EQ(check.data, std::vector<std::uint8_t>{0x01});

    check = checkAnswer(answerFor(kHashNErr, {40}), command);
    EXPECT_EQ(check.verdict, AnswerVerdict::DeviceError);
    EXPECT_EQ(check.data, std::vector<std::uint8_t>{40});

    check = checkAnswer(answerFor(0x1111, {}), command);
    EXPECT_EQ(check.verdict, AnswerVerdict::OtherCommand);

    // The checksum is tested before the hash: a damaged n.Err is a checksum error.
    std::string damaged = answerFor(kHashNErr, {40});
    damaged[3] = 'V';
    EXPECT_EQ(checkAnswer(damaged, command).verdict, AnswerVerdict::BadChecksum);

    // The address of the answer is not compared with the request.
    EXPECT_EQ(checkAnswer(encodeFrame(Frame{99, true, command, {}}, 8), command).verdict,
              AnswerVerdict::Accepted);
}

TEST(FrameCodec, AnswersTooShortForTheirLengthFailTheChecksum) {
    const std::uint16_t command = 0x1ED2;
    // Cut answers and answers whose length field points past their end must
    // be rejected without reading beyond the bytes that came.
    const std::string full = answerFor(command, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
    for (std::size_t length = 0; length < full.size(); ++length) {
        EXPECT_EQ(checkAnswer(full.substr(0, length), command).verdict, AnswerVerdict::BadChecksum)
            << length;
    }
    EXPECT_EQ(checkAnswer("#HGHVHUTISROI\r", command).verdict, AnswerVerdict::BadChecksum);
    // Without the carriage return the last character is lost: cut answers fail.
    const std::string cut = full.substr(0, 31);
    EXPECT_EQ(checkAnswer(cut, command).verdict, AnswerVerdict::BadChecksum);
}

}  // namespace
}  // namespace tarn
