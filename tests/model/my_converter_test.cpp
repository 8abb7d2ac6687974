#include "model/my_converter.h"

#include <gtest/gtest.h>

#include <vector>

namespace tarn {
namespace {

using Bytes = std::vector<std::uint8_t>;

MyConverter converter(std::string name, std::string type) {
    MyConverter c(std::move(name));
    c.setValueType(std::move(type));
    return c;
}

// Encodes and returns {result, data}.
std::pair<int, Bytes> encode(const MyConverter& c, std::string_view text) {
    Bytes data{0xEE};
    const int result = c.ConvertToData(text, data);
    return {result, data};
}

// Decodes into a converter whose value text was "old"; returns {result, text}.
std::pair<int, std::string> decode(MyConverter c, Bytes data) {
    c.setValueText("old");
    const int result = c.ConvertFromData(data);
    return {result, c.valueText()};
}

TEST(ConvertToData, Integers) {
    const auto n = converter("X", "int");
    EXPECT_EQ(encode(n, "255"), std::make_pair(1, Bytes{0xFF}));
    EXPECT_EQ(encode(n, "256"), std::make_pair(1, Bytes{0x01, 0x00}));
    EXPECT_EQ(encode(n, "-1"), std::make_pair(1, Bytes{0xFF, 0xFF}));
    EXPECT_EQ(encode(n, "70000"), std::make_pair(1, Bytes{0x11, 0x70}));  // low 16 bits
    EXPECT_EQ(encode(n, "12abc"), std::make_pair(1, Bytes{12}));
    EXPECT_EQ(encode(n, "abc"), std::make_pair(1, Bytes{0}));
    EXPECT_EQ(encode(n, "7 \t\r"), std::make_pair(1, Bytes{7}));
    // The type word decides even when more items follow.
    EXPECT_EQ(encode(converter("X", "int:0:100"), "5"), std::make_pair(1, Bytes{5}));
}

TEST(ConvertToData, IntegersOfTheTwoByteNamesAlwaysTakeTwoBytes) {
    for (const char* name : {"Addr", "addr", "SoUr", "Alr.t", "tHP", "tP.H", "CLB.K"}) {
        EXPECT_EQ(encode(converter(name, "int"), "5"), std::make_pair(1, Bytes{0x00, 0x05}))
            << name;
    }
}

TEST(ConvertToData, Reals) {
    const auto f = converter("X", "float");
    EXPECT_EQ(encode(f, "1.0"), std::make_pair(1, Bytes{0x3F, 0x80, 0x00}));
    EXPECT_EQ(encode(f, "-2"), std::make_pair(1, Bytes{0xC0, 0x00, 0x00}));
    EXPECT_EQ(encode(f, "volts"), std::make_pair(1, Bytes{0x00, 0x00, 0x00}));
    // 0.1 is 3DCCCCCD: the lowest byte is dropped, not rounded.
    EXPECT_EQ(encode(f, "0.1"), std::make_pair(1, Bytes{0x3D, 0xCC, 0xCC}));
}

TEST(ConvertToData, Clock) {
    const auto t = converter("X", "clk_frm");
    EXPECT_EQ(encode(t, "01:30"), std::make_pair(1, Bytes{90}));
    EXPECT_EQ(encode(t, "23:59"), std::make_pair(1, Bytes{0x05, 0x9F}));
    EXPECT_EQ(encode(t, "12:3"), std::make_pair(1, Bytes{0x02, 0xD3}));
    EXPECT_EQ(encode(t, "12:30"), std::make_pair(1, Bytes{0x02, 0xEE}));
    EXPECT_EQ(encode(t, "1a:00").first, -1);
    EXPECT_EQ(encode(converter("tHP", "CLK_frm"), "00:05"), std::make_pair(1, Bytes{0x00, 0x05}));
}

TEST(ConvertToData, ReadOnlyCommandsVoidAndApply) {
    for (const char* name : {"dev", "VER", "exit"}) {
        EXPECT_EQ(encode(converter(name, "string"), "x").first, -1) << name;
    }
    EXPECT_EQ(encode(converter("APLY", "int"), "5"), std::make_pair(1, Bytes{}));
    EXPECT_EQ(encode(converter("INIT", "void"), ""), std::make_pair(1, Bytes{}));
}

TEST(ConvertToData, Names) {
    const auto n = converter("CHAr*", "name");
    EXPECT_EQ(encode(n, "A.Len"), std::make_pair(1, Bytes{46, 28, 42, 21}));
    EXPECT_EQ(encode(n, "ab"), std::make_pair(1, Bytes{78, 78, 22, 20}));
    EXPECT_EQ(encode(n, "ABCDEF"), std::make_pair(1, Bytes{26, 24, 22, 20}));

    std::string message;
    Bytes data;
    EXPECT_EQ(n.ConvertToData("", data, &message), -1);
    EXPECT_EQ(message, "Сетевое имя пусто");
    EXPECT_EQ(n.ConvertToData("ABCDEFGHI", data, &message), -1);
    EXPECT_EQ(message, "Сетевое имя слишком длинное");
    EXPECT_EQ(n.ConvertToData(".AB", data, &message), -1);
    EXPECT_EQ(message, "Недопустимый символ в сетевом имени");
    message.clear();
    EXPECT_EQ(n.ConvertToData("A/B", data, &message), -1);
    EXPECT_EQ(message, "Недопустимый символ в сетевом имени");
    EXPECT_EQ(n.ConvertToData("Ж", data, &message), -1);
    EXPECT_EQ(message, "Недопустимый символ в сетевом имени");
}

TEST(ConvertToData, Enumerations) {
    const auto e = converter("X", "7:8");
    EXPECT_EQ(encode(e, "8"), std::make_pair(1, Bytes{0x01}));
    EXPECT_EQ(encode(e, "9").first, 0);
    const auto parity = converter("PrtY", "Отсутствует:Четность:Нечетность");
    EXPECT_EQ(encode(parity, "нечетность"), std::make_pair(1, Bytes{2}));
    // Empty items are skipped; "_" in an item matches a blank.
    EXPECT_EQ(encode(converter("X", "a::Два_слова"), "Два слова"), std::make_pair(1, Bytes{1}));
    EXPECT_EQ(encode(converter("X", ""), "x").first, 0);
    // Only the first 127 items are searched.
    std::string many;
    for (int i = 0; i < 130; ++i) {
        many += "i" + std::to_string(i) + ":";
    }
    EXPECT_EQ(encode(converter("X", many), "i126"), std::make_pair(1, Bytes{126}));
    EXPECT_EQ(encode(converter("X", many), "i127").first, 0);
}

TEST(ConvertFromData, EmptyAnswers) {
    EXPECT_EQ(decode(converter("APLY", "int"), {}), std::make_pair(1, std::string()));
    EXPECT_EQ(decode(converter("INIT", "VOID"), {}), std::make_pair(1, std::string()));
    EXPECT_EQ(decode(converter("X", "int"), {}), std::make_pair(0, std::string("old")));
}

TEST(ConvertFromData, Integers) {
    const auto n = converter("X", "int");
    EXPECT_EQ(decode(n, {0xFF}), std::make_pair(1, std::string("255")));
    EXPECT_EQ(decode(n, {0x01, 0x02, 0xAA, 0xBB}), std::make_pair(1, std::string("258")));
    EXPECT_EQ(decode(n, {0x07, 0xAA, 0xBB}), std::make_pair(1, std::string("7")));
    EXPECT_EQ(decode(n, {0xFF, 0xFF}), std::make_pair(1, std::string("65535")));
    EXPECT_EQ(decode(n, {1, 2, 3, 4, 5}),
              std::make_pair(-1, std::string("Ошибка; (Непонятная длина ответа:5)")));
}

TEST(ConvertFromData, RealsAndClock) {
    const auto f = converter("X", "float");
    EXPECT_EQ(decode(f, {0x3F, 0x80, 0x00}), std::make_pair(1, std::string("1.000")));
    EXPECT_EQ(decode(f, {0xC2, 0xF7, 0x33, 0x9, 0x9}), std::make_pair(1, std::string("-123.600")));
    EXPECT_EQ(decode(f, {0x3F, 0x80, 0x00, 0x00}).first, 0);
    const auto t = converter("X", "CLK_frm");
    EXPECT_EQ(decode(t, {90}), std::make_pair(1, std::string("01:30")));
    EXPECT_EQ(decode(t, {0x05, 0x9F}), std::make_pair(1, std::string("23:59")));
    EXPECT_EQ(decode(t, {1, 2, 3, 4, 5, 6}).first, -1);
}

TEST(ConvertFromData, IdentificationTextsAreCp1251Characters) {
    EXPECT_EQ(decode(converter("dev", "string"), {'T', '-', 'A', 'R', 'N'}),
              std::make_pair(1, std::string("T-ARN")));
    EXPECT_EQ(decode(converter("ver", "x"), {'2', '.', '1', 0, 'z'}),
              std::make_pair(1, std::string("2.1")));
    EXPECT_EQ(decode(converter("S", "ASCI"), {0xC0, 0xE1}), std::make_pair(1, std::string("Аб")));
}

TEST(ConvertFromData, DiagnosticReport) {
    const auto e = converter("exit", "string");
    EXPECT_EQ(decode(e, {0x18, 0x00, 0x10}), std::make_pair(1, std::string("Адрес прибора: 16")));
    EXPECT_EQ(decode(e, {0x00, 0x00, 0x08}),
              std::make_pair(1, std::string("Самопроизвольный watchdog")));
    EXPECT_EQ(decode(e, {0, 0, 14}).second, "Нештатный вход в программу контроля");
    EXPECT_EQ(decode(e, {0, 0, 2}).second, "Сбой бегущей единицы на порту С");
    EXPECT_EQ(decode(e, {0, 0, 45}).second,
              "Ошибки регистров ввода/вывода. Номеру сбившегося регистра :  45");
    EXPECT_EQ(decode(e, {0, 0, 95}).second, "Сбой регистра SREG");
    EXPECT_EQ(decode(e, {0, 0, 0xC8}).second, "Не найдено значение ошибки ");
    EXPECT_EQ(decode(e, {0, 0}).first, 0);
}

TEST(ConvertFromData, PortSettingsByName) {
    EXPECT_EQ(decode(converter("bPS", "x"), {8}).second, "115200");
    EXPECT_EQ(decode(converter("bps", "x"), {9}).first, 0);
    EXPECT_EQ(decode(converter("PrtY", "x"), {2}).second, "Нечетность");
    EXPECT_EQ(decode(converter("A.Len", "8:11"), {1}).second, "11");
    EXPECT_EQ(decode(converter("Addr", "int"), {0x01, 0x00}).second, "256");
    EXPECT_EQ(decode(converter("Addr", "int"), {5}).second, "5");
    EXPECT_EQ(decode(converter("Addr", "int"), {0, 0, 5}).first, 0);
}

TEST(ConvertFromData, Enumerations) {
    const auto e = converter("X", "7:8:Два_слова");
    EXPECT_EQ(decode(e, {1}), std::make_pair(1, std::string("8")));
    EXPECT_EQ(decode(e, {2}), std::make_pair(1, std::string("Два слова")));
    EXPECT_EQ(decode(e, {3}).first, 0);
    EXPECT_EQ(decode(e, {0x80}), std::make_pair(0, std::string("old")));
}

TEST(ConvertFromData, Names) {
    const auto n = converter("CHAr*", "name");
    EXPECT_EQ(decode(n, {46, 28, 42, 21}), std::make_pair(1, std::string("A.LEN")));
    EXPECT_EQ(decode(n, {78, 24, 22, 20}), std::make_pair(1, std::string("ABC ")));
    EXPECT_EQ(decode(n, {78, 78, 22, 20, 9, 9}).first, 1);
    EXPECT_EQ(decode(n, {80, 78, 78, 20}),
              std::make_pair(-1, std::string("Недопустимый код символа в сетевом имени")));
    EXPECT_EQ(decode(n, {1, 2, 3}).second, "Ошибка; (Непонятная длина ответа:3)");
}

TEST(Conversion, RoundTripsOfEveryKind) {
    struct Case {
        const char* type;
        const char* text;
    };
    for (const Case& c : {Case{"int", "1234"}, Case{"float", "-12.500"}, Case{"CLK_frm", "07:05"},
                          Case{"name", "R.OE."}, Case{"Нет:Да", "Да"}}) {
        auto conv = converter("X", c.type);
        Bytes data;
        ASSERT_EQ(conv.ConvertToData(c.text, data), 1) << c.type;
        ASSERT_EQ(conv.ConvertFromData(data), 1) << c.type;
        EXPECT_EQ(conv.valueText().substr(0, std::string(c.text).size()), c.text) << c.type;
    }
}

TEST(UserInput, RealsAreLimitedWithToleranceAndNormalised) {
    auto f = converter("X", "float");
    EXPECT_EQ(f.checkUserInput("2.5"), "2.500");
    EXPECT_EQ(f.checkUserInput("abc"), "0.000");
    f.setLimits(0, 10);
    EXPECT_EQ(f.checkUserInput("10.0008"), "10.001");
    EXPECT_FALSE(f.checkUserInput("10.0011"));
    EXPECT_FALSE(f.checkUserInput("-0.01"));
}

TEST(UserInput, IntegersMustBeWholeNumbersWithinLimits) {
    auto n = converter("X", "int");
    EXPECT_EQ(n.checkUserInput("42"), "42");
    EXPECT_EQ(n.checkUserInput("42.000001"), "42.000001");
    EXPECT_FALSE(n.checkUserInput("42.5"));
    EXPECT_FALSE(n.checkUserInput("42x"));
    EXPECT_FALSE(n.checkUserInput(""));
    n.setLimits(1, 100);
    EXPECT_TRUE(n.checkUserInput("100"));
    EXPECT_FALSE(n.checkUserInput("101"));
    EXPECT_FALSE(n.checkUserInput("0"));
    // "int" with further items is not the whole type "int": accepted as typed.
    EXPECT_EQ(converter("X", "int:0:1").checkUserInput("zz"), "zz");
}

TEST(UserInput, ClockAndNames) {
    auto t = converter("X", "CLK_frm");
    EXPECT_EQ(t.checkUserInput("12:30"), "12:30");
    EXPECT_FALSE(t.checkUserInput("12-30"));
    t.setLimits(0, 60);
    EXPECT_TRUE(t.checkUserInput("01:00"));
    EXPECT_FALSE(t.checkUserInput("01:01"));

    const auto c = converter("CHAr*", "name");
    EXPECT_TRUE(c.checkUserInput("r.oe.s"));
    EXPECT_TRUE(c.checkUserInput("A/B_"));
    EXPECT_FALSE(c.checkUserInput(""));
    EXPECT_FALSE(c.checkUserInput("ABCDE"));
    EXPECT_FALSE(c.checkUserInput("A..B"));
    EXPECT_FALSE(c.checkUserInput(".A"));
    EXPECT_EQ(converter("X", "Нет:Да").checkUserInput("что угодно"), "что угодно");
}

TEST(ValueKinds, ClassificationFollowsTheConversionOrder) {
    EXPECT_EQ(converter("X", "INT").valueKind(), ValueKind::Integer);
    EXPECT_EQ(converter("X", ":float:2").valueKind(), ValueKind::Real);
    EXPECT_EQ(converter("X", "void").valueKind(), ValueKind::Void);
    EXPECT_EQ(converter("X", "name").valueKind(), ValueKind::Name);
    EXPECT_EQ(converter("X", "asci").valueKind(), ValueKind::Text);
    EXPECT_EQ(converter("X", "2400:4800").valueKind(), ValueKind::Enumeration);
    EXPECT_EQ(converter("X", "DEC_dot").valueKind(), ValueKind::Enumeration);
    EXPECT_EQ(MyConverter("X").valueType(), "неизвестен");
    EXPECT_EQ(MyConverter().valueType(), "");
}

}  // namespace
}  // namespace tarn
