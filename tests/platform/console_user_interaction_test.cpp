#include "platform/console_user_interaction.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace tarn {
namespace {

std::string contents(std::FILE* file) {
    std::rewind(file);
    std::string text;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, file) != nullptr) {
        text += buffer;
    }
    return text;
}

TEST(ConsoleUserInteraction, WritesBoxesAndTakesTheDefaultAnswer) {
    std::FILE* out = std::tmpfile();
    ASSERT_NE(out, nullptr);
    ConsoleUserInteraction ui(out);
    ui.showMessage("Не удается открыть порт COM3.\nПроверьте", "Ошибка драйвера",
                   MessageIcon::Error, kMessageTopmost);
    EXPECT_TRUE(ui.askYesNo("Послать команду INIT?", "", MessageIcon::Question, true));
    EXPECT_FALSE(ui.askYesNo("Переключиться?", "", MessageIcon::Information, false));
    EXPECT_EQ(contents(out),
              "tarn: [error] Ошибка драйвера: Не удается открыть порт COM3.\n    Проверьте\n"
              "tarn: [question, answered Yes] Послать команду INIT?\n"
              "tarn: [question, answered No] Переключиться?\n");
    std::fclose(out);
}

}  // namespace
}  // namespace tarn
