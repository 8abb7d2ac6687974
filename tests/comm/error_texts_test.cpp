#include "comm/error_texts.h"

#include <gtest/gtest.h>

namespace tarn {
namespace {

std::string deviceText(int code) {
    const auto byte = static_cast<std::uint8_t>(code);
    std::string text = "unchanged";
    EXPECT_EQ(DeviceErrorText(&byte, 1, text), 1);
    return text;
}

TEST(ErrorTexts, DeviceErrorCodes) {
    EXPECT_EQ(deviceText(0), "Безошибочный прием кадра");
    EXPECT_EQ(deviceText(40), "Не найден дескриптор");
    EXPECT_EQ(deviceText(53), "Индекс параметра превышает ограничитель индекса");
    EXPECT_EQ(deviceText(54), deviceText(53));
    EXPECT_EQ(deviceText(63), "Запрещающий групповой атрибут находится на уровне 7");
    EXPECT_EQ(deviceText(75), "Ошибка выполнения функции PrevWriteActions()");
    EXPECT_EQ(deviceText(41),
              "Не найдена сетевая функция, хотя дескриптор найден!!!\t\t\t\t\t\t\t  В нормальном "
              "приборе эта ошибка встречаться НЕ ДОЛЖНА!!!");
    // Codes without a row, the byte taken as signed.
    EXPECT_EQ(deviceText(1), "Не найдено значение ошибки. (Код 1)");
    EXPECT_EQ(deviceText(42), "Не найдено значение ошибки. (Код 42)");
    EXPECT_EQ(deviceText(64), "Не найдено значение ошибки. (Код 64)");
    EXPECT_EQ(deviceText(76), "Не найдено значение ошибки. (Код 76)");
    EXPECT_EQ(deviceText(200), "Не найдено значение ошибки. (Код -56)");
    // Only the first byte counts.
    const std::uint8_t two[] = {51, 40};
    std::string text;
    DeviceErrorText(two, 2, text);
    EXPECT_EQ(text, "Редактирование параметра запрещено атрибутами доступа");
}

TEST(ErrorTexts, DeviceErrorWithoutDataLeavesTheText) {
    std::string text = "before";
    const std::uint8_t byte = 40;
    EXPECT_EQ(DeviceErrorText(&byte, 0, text), 0);
    EXPECT_EQ(DeviceErrorText(&byte, -3, text), 0);
    EXPECT_EQ(text, "before");
}

TEST(ErrorTexts, ProbeResults) {
    std::string text = "x";
    EXPECT_TRUE(LinkErrorText(static_cast<ProbeResult>(2), text));
    EXPECT_EQ(text, "Таймаут при передаче данных (нет связи)");
    EXPECT_TRUE(LinkErrorText(static_cast<ProbeResult>(3), text));
    EXPECT_EQ(text, "Ошибки на линии связи");
    EXPECT_TRUE(LinkErrorText(static_cast<ProbeResult>(4), text));
    EXPECT_EQ(text, "Ошибка в контрольной сумме");
    EXPECT_TRUE(LinkErrorText(static_cast<ProbeResult>(5), text));
    EXPECT_EQ(text, "Адрес устройства в запросе не соответствует адресу в ответе.");
    EXPECT_TRUE(LinkErrorText(static_cast<ProbeResult>(6), text));
    EXPECT_EQ(text, "Некорректный ответ");
    for (const int other : {0, 1, 7, -1}) {
        text = "x";
        EXPECT_FALSE(LinkErrorText(static_cast<ProbeResult>(other), text));
        EXPECT_EQ(text, "");
    }
}

}  // namespace
}  // namespace tarn
