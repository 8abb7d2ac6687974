#include "platform/text.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <string>

namespace tarn::text {
namespace {

// glibc's own CP1251 table, as an independent reference.
std::string referenceDecode(unsigned char byte) {
    iconv_t cd = iconv_open("UTF-8", "CP1251");
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return {};
    }
    char in[1] = {static_cast<char>(byte)};
    char out[8] = {};
    char* inPtr = in;
    char* outPtr = out;
    std::size_t inLeft = 1;
    std::size_t outLeft = sizeof out;
    const std::size_t rc = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    if (rc == static_cast<std::size_t>(-1)) {
        return {};
    }
    return std::string(out, outPtr);
}

TEST(Cp1251, EveryByteDecodesLikeTheSystemTableAndRoundTrips) {
    for (int b = 0; b < 256; ++b) {
        const std::string byte(1, static_cast<char>(b));
        const std::string utf8 = fromCp1251(byte);
        if (b != 0x98) {
            const std::string reference = referenceDecode(static_cast<unsigned char>(b));
            ASSERT_FALSE(reference.empty()) << "iconv lacks CP1251 for byte " << b;
            EXPECT_EQ(utf8, reference) << "byte " << b;
        }
        EXPECT_EQ(toCp1251(utf8), byte) << "byte " << b;
    }
}

TEST(Cp1251, RussianTextRoundTrips) {
    const std::string text = "Сетевые параметры прибора Ёё №5 «BRIX»";
    const std::string bytes = toCp1251(text);
    EXPECT_EQ(bytes.size(), characterCount(text));
    EXPECT_EQ(static_cast<unsigned char>(bytes[0]), 0xD1);  // С
    EXPECT_EQ(fromCp1251(bytes), text);
}

TEST(Cp1251, CharactersOutsideTheCodePageBecomeOneQuestionMarkEach) {
    EXPECT_EQ(toCp1251("a€b"),
              "a\x88"
              "b");  // the euro sign is in CP1251
    EXPECT_EQ(toCp1251("x≠y日"), "x?y?");
    EXPECT_FALSE(representableInCp1251("≠"));
    EXPECT_TRUE(representableInCp1251("Привет, world"));
    // Malformed UTF-8: a lone continuation byte, a truncated sequence.
    EXPECT_EQ(toCp1251(std::string("a\x80z")), "a?z");
    EXPECT_EQ(toCp1251(std::string("a\xD0")), "a?");
    // An overlong encoding of "/" is not accepted as "/".
    EXPECT_EQ(toCp1251(std::string("\xC0\xAF")), "??");
}

TEST(CaseFolding, LatinAndCyrillicIncludingYo) {
    EXPECT_TRUE(equalsNoCase("A.Len", "a.LEN"));
    EXPECT_TRUE(equalsNoCase("Сетевые_Параметры", "сЕТЕВЫЕ_пАРАМЕТРЫ"));
    EXPECT_TRUE(equalsNoCase("ЁЛКА", "ёлка"));
    EXPECT_TRUE(equalsNoCase("ЇЄІЎҐ", "їєіўґ"));
    EXPECT_FALSE(equalsNoCase("Ё", "Е"));
    EXPECT_FALSE(equalsNoCase("abc", "abcd"));
    EXPECT_EQ(toUpper("r.oe.s ёж"), "R.OE.S ЁЖ");
    EXPECT_EQ(toLower("/READ:ON Ё"), "/read:on ё");
}

TEST(CaseFolding, OrderingAndPrefixes) {
    EXPECT_LT(compareNoCase("abc", "ABD"), 0);
    EXPECT_GT(compareNoCase("Б", "а"), 0);
    EXPECT_LT(compareNoCase("ab", "AbC"), 0);
    EXPECT_EQ(compareNoCase("", ""), 0);
    EXPECT_TRUE(startsWithNoCase("БУИМ №9", "буим"));
    EXPECT_FALSE(startsWithNoCase("БУ", "буим"));
}

TEST(TextHelpers, ReplaceAll) {
    EXPECT_EQ(replaceAll("Выход_№1_a", "_", " "), "Выход №1 a");
    EXPECT_EQ(replaceAll("aaa", "aa", "b"), "ba");
    EXPECT_EQ(replaceAll("x", "", "y"), "x");
}

}  // namespace
}  // namespace tarn::text
