#include "platform/archive.h"

#include <gtest/gtest.h>

namespace tarn {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(Archive, ClassRecordsAreWrittenInFullOnceThenByNumber) {
    ArchiveWriter w;
    w.writeClass("CTARNDoc", 4);
    w.writeClass("DescBranch", 3);
    w.writeClass("DescBranch", 3);
    w.writeClass("CTARNDoc", 4);
    const Bytes expected = {0xFF, 0xFF, 0x04, 0x00, 0x08, 0x00, 'C',  'T',  'A',  'R', 'N', 'D',
                            'o',  'c',  0xFF, 0xFF, 0x03, 0x00, 0x0A, 0x00, 'D',  'e', 's', 'c',
                            'B',  'r',  'a',  'n',  'c',  'h',  0x02, 0x80, 0x01, 0x80};
    EXPECT_EQ(w.bytes(), expected);

    ArchiveReader r(w.bytes());
    EXPECT_EQ(r.readClass("CTARNDoc"), 4);
    EXPECT_EQ(r.readClass("DescBranch"), 3);
    EXPECT_EQ(r.readClass("DescBranch"), 3);
    EXPECT_EQ(r.readClass("CTARNDoc"), 4);
    EXPECT_TRUE(r.atEnd());
}

TEST(Archive, ClassNumbersBeyondTheWordUseTheLongForm) {
    ArchiveWriter w;
    for (int i = 1; i <= 0x7FFF; ++i) {
        w.writeClass("C" + std::to_string(i), 1);
    }
    const std::size_t before = w.bytes().size();
    w.writeClass("C32766", 1);
    w.writeClass("C32767", 1);
    const Bytes tail(w.bytes().begin() + static_cast<long>(before), w.bytes().end());
    EXPECT_EQ(tail, (Bytes{0xFE, 0xFF, 0xFF, 0x7F, 0xFF, 0x7F, 0x00, 0x80}));

    ArchiveReader r(w.bytes());
    for (int i = 1; i <= 0x7FFF; ++i) {
        r.readClass("C" + std::to_string(i));
    }
    EXPECT_EQ(r.readClass("C32766"), 1);
    EXPECT_EQ(r.readClass("C32767"), 1);
}

TEST(Archive, TextLengthsAtEveryBoundary) {
    for (const std::size_t length : {0u, 1u, 254u, 255u, 0xFFFDu, 0xFFFEu, 70000u}) {
        ArchiveWriter w;
        w.writeText(std::string(length, 'x'));
        const Bytes& b = w.bytes();
        if (length < 255) {
            ASSERT_EQ(b.size(), 1 + length);
            EXPECT_EQ(b[0], length);
        } else if (length < 0xFFFE) {
            ASSERT_EQ(b.size(), 3 + length);
            EXPECT_EQ(b[0], 0xFF);
            EXPECT_EQ(b[1] | (b[2] << 8), static_cast<int>(length));
        } else {
            ASSERT_EQ(b.size(), 7 + length);
            EXPECT_EQ(b[1], 0xFF);
            EXPECT_EQ(b[2], 0xFF);
        }
        ArchiveReader r(b);
        EXPECT_EQ(r.readText().size(), length);
        EXPECT_TRUE(r.atEnd());
    }
}

TEST(Archive, TextsAreCp1251AndIntegersLittleEndian) {
    ArchiveWriter w;
    w.writeText("Вход");
    w.writeDword(0x12345678);
    w.writeInt32(-1);
    w.writeWord(0xABCD);
    EXPECT_EQ(w.bytes(), (Bytes{4, 0xC2, 0xF5, 0xEE, 0xE4, 0x78, 0x56, 0x34, 0x12, 0xFF, 0xFF, 0xFF,
                                0xFF, 0xCD, 0xAB}));
    ArchiveReader r(w.bytes());
    EXPECT_EQ(r.readText(), "Вход");
    EXPECT_EQ(r.readDword(), 0x12345678u);
    EXPECT_EQ(r.readInt32(), -1);
    EXPECT_EQ(r.readWord(), 0xABCD);
}

ArchiveError::Kind failureOf(const Bytes& bytes, const char* expectedClass) {
    ArchiveReader r(bytes);
    try {
        r.readClass(expectedClass);
    } catch (const ArchiveError& e) {
        return e.kind();
    }
    ADD_FAILURE() << "no error";
    return ArchiveError::Kind::BadFormat;
}

TEST(Archive, MalformedInputIsReportedNotTrusted) {
    using Kind = ArchiveError::Kind;
    EXPECT_EQ(failureOf({}, "X"), Kind::EndOfFile);
    EXPECT_EQ(failureOf({0xFF, 0xFF, 1, 0, 200, 0, 'X'}, "X"), Kind::EndOfFile);
    EXPECT_EQ(failureOf({0xFF, 0xFF, 1, 0, 1, 0, 'Y'}, "X"), Kind::BadFormat);
    EXPECT_EQ(failureOf({0x01, 0x80}, "X"), Kind::BadFormat);  // class 1 never defined
    EXPECT_EQ(failureOf({0x00, 0x00}, "X"), Kind::BadFormat);  // null reference
    EXPECT_EQ(failureOf({0x05, 0x00}, "X"), Kind::BadFormat);  // object reference
    const Bytes longText = {0xFF, 0xFF, 0xFF, 1, 2};
    ArchiveReader r(longText);
    EXPECT_THROW(r.readText(), ArchiveError);
    const Bytes wideText = {0xFF, 0xFE, 0xFF, 1, 2};
    ArchiveReader wide(wideText);
    EXPECT_THROW(wide.readText(), ArchiveError);
}

}  // namespace
}  // namespace tarn
