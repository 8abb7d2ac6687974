#include "model/network_name.h"

#include <gtest/gtest.h>

namespace tarn {
namespace {

TEST(NetworkName, CodesOfTheWorkedNames) {
    EXPECT_EQ(hashNameCodes("A.Len"), (NameCodes{21, 42, 28, 46}));
    EXPECT_EQ(hashNameCodes("dev"), (NameCodes{26, 28, 62, 78}));
    EXPECT_EQ(hashNameCodes(""), (NameCodes{78, 78, 78, 78}));
}

TEST(NetworkName, HashesOfTheWorkedNames) {
    EXPECT_EQ(NetNameHash("A.Len"), 0x1ED2);
    EXPECT_EQ(NetNameHash("APLY"), 0x8403);
    EXPECT_EQ(NetNameHash("n.Err"), 0x0233);
    EXPECT_EQ(NetNameHash(""), 0);
}

TEST(NetworkName, HashIgnoresCaseSkipsForeignCharactersAndCutsAtFour) {
    EXPECT_EQ(NetNameHash("abcd"), NetNameHash("ABCD"));
    EXPECT_EQ(NetNameHash("CHAr*"), NetNameHash("CHAr"));
    EXPECT_EQ(NetNameHash("!vEr"), NetNameHash("ver"));
    EXPECT_EQ(NetNameHash("ABCDEFGH"), NetNameHash("ABCD"));
    EXPECT_EQ(NetNameHash(".ver"), NetNameHash("ver"));
    // "/" is not hashed; the dot after it marks nothing.
    EXPECT_EQ(NetNameHash("A/.B"), NetNameHash("AB"));
    EXPECT_NE(NetNameHash("r.oe.s"), NetNameHash("roes"));
}

TEST(NetworkName, CrcOverBytesHasTheProtocolCheckValue) {
    std::uint16_t reg = 0;
    for (const char c : std::string("abc")) {
        reg = crc8F57(reg, static_cast<unsigned char>(c), 8);
    }
    EXPECT_EQ(reg, 0x4F8D);
}

TEST(NetworkName, CodeTexts) {
    EXPECT_EQ(nameCodeText(45), "M.");
    EXPECT_EQ(nameCodeText(78), " ");
    EXPECT_EQ(nameCodeText(76), "/");
    EXPECT_EQ(nameCodeText(7), "3.");
}

}  // namespace
}  // namespace tarn
