// The password dialog over the real settings store: the passwords are in
// the machine-wide file of a confined settings folder, and a store that
// cannot be written is one in a folder that cannot be created.
#include "dialogs/change_password_dialog.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "../ui/widget_helpers.h"
#include "document/access_level.h"
#include "document/password_store.h"
#include "support/recording_interaction.h"

namespace tarn::testing {
namespace {

constexpr auto kSystem = SettingsStore::Scope::System;

class ChangePasswordDialog : public ::testing::Test {
protected:
    // The installed key with the full-level password "7".
    void install(SettingsStore& settings) {
        ASSERT_EQ(settings.writeString(kSystem, kProgramKey, "password_max_level", "7"),
                  SettingsStore::Status::Ok);
    }
    CChangePassword& open(SettingsStore& settings, int level = kAccessFull) {
        passwords = std::make_unique<PasswordStore>(settings);
        change = std::make_unique<PasswordChange>(*passwords, ui, level);
        dialog = std::make_unique<CChangePassword>(*change);
        EXPECT_TRUE(showAndActivate(*dialog));
        return *dialog;
    }
    void fill(const QString& current, PasswordLevel level, const QString& first,
              const QString& second) {
        // Typed as a keyboard layout would (Qt Test types ASCII only).
        dialog->currentBox()->insert(current);
        dialog->newBox(level, 0)->insert(first);
        dialog->newBox(level, 1)->insert(second);
    }
    void press(PasswordLevel level) {
        QTest::mouseClick(dialog->changeButton(level), Qt::LeftButton);
    }
    std::string stored(SettingsStore& settings, std::string_view value) {
        std::string text;
        settings.readString(kSystem, kProgramKey, value, text);
        return text;
    }

    QTemporaryDir folder;
    SettingsStore settings{folder.path().toStdString()};
    RecordingInteraction ui;
    std::unique_ptr<PasswordStore> passwords;
    std::unique_ptr<PasswordChange> change;
    std::unique_ptr<CChangePassword> dialog;
};

TEST_F(ChangePasswordDialog, BelowTheFullLevelBothButtonsAreRefused) {
    install(settings);
    CChangePassword& window = open(settings, kAccessMiddle);
    EXPECT_EQ(window.currentBox()->echoMode(), QLineEdit::Password);
    fill("7", PasswordLevel::Middle, "5", "5");
    press(PasswordLevel::Middle);
    press(PasswordLevel::Full);
    ASSERT_EQ(ui.messages.size(), 2u);
    for (const auto& message : ui.messages) {
        EXPECT_EQ(message.text, "Не достаточно прав для выполнения этой операции");
        EXPECT_EQ(message.icon, MessageIcon::Error);
    }
    EXPECT_EQ(stored(settings, "password_mid_level"), "");
    EXPECT_EQ(window.newBox(PasswordLevel::Middle, 0)->text(), "5");
}

TEST_F(ChangePasswordDialog, AWrongCurrentPasswordEmptiesItsBoxOnly) {
    install(settings);
    CChangePassword& window = open(settings);
    fill("8", PasswordLevel::Middle, "5", "5");
    press(PasswordLevel::Middle);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Пароль максимального доступа введен неверно!");
    EXPECT_EQ(ui.messages[0].icon, MessageIcon::Error);
    EXPECT_TRUE(window.currentBox()->text().isEmpty());
    EXPECT_EQ(window.newBox(PasswordLevel::Middle, 1)->text(), "5");
    EXPECT_EQ(stored(settings, "password_mid_level"), "");
}

TEST_F(ChangePasswordDialog, DifferentNewPasswordsEmptyThePair) {
    install(settings);
    CChangePassword& window = open(settings);
    fill("7", PasswordLevel::Full, "секрет", "Секрет");
    press(PasswordLevel::Full);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Новые пароли в первом и во втором окне не совпадают!");
    EXPECT_EQ(ui.messages[0].icon, MessageIcon::Error);
    EXPECT_TRUE(window.newBox(PasswordLevel::Full, 0)->text().isEmpty());
    EXPECT_TRUE(window.newBox(PasswordLevel::Full, 1)->text().isEmpty());
    EXPECT_EQ(window.currentBox()->text(), "7");
    EXPECT_EQ(stored(settings, "password_max_level"), "7");
}

TEST_F(ChangePasswordDialog, AChangedFullPasswordIsTheOneAskedForNext) {
    install(settings);
    CChangePassword& window = open(settings);
    fill("7", PasswordLevel::Full, "секрет", "секрет");
    press(PasswordLevel::Full);
    EXPECT_TRUE(ui.messages.empty()) << ui.allTexts();
    EXPECT_EQ(stored(settings, "password_max_level"), "секрет");
    // The boxes stay as they are; the old password no longer opens.
    EXPECT_EQ(window.currentBox()->text(), "7");
    QTest::keyClicks(window.newBox(PasswordLevel::Middle, 0), "5");
    QTest::keyClicks(window.newBox(PasswordLevel::Middle, 1), "5");
    press(PasswordLevel::Middle);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Пароль максимального доступа введен неверно!");
    window.currentBox()->insert("секрет");
    press(PasswordLevel::Middle);
    EXPECT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(stored(settings, "password_mid_level"), "5");
    // Both empty is an empty password.
    window.newBox(PasswordLevel::Middle, 0)->clear();
    window.newBox(PasswordLevel::Middle, 1)->clear();
    press(PasswordLevel::Middle);
    EXPECT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(stored(settings, "password_mid_level"), "");
}

constexpr const char* kNotStored =
    "Внимание: возможно, что пароль изменить не удалось!\nПричина заключается скорее всего в "
    "некорректной\nинсталяции (установки) программы.\nПереустановите программу";

TEST_F(ChangePasswordDialog, AStoreThatCannotBeWrittenGivesTheWarning) {
    // No folder can be made there: nothing is stored, the built-in default
    // full password still opens.
    SettingsStore unwritable("/proc/no/such/folder");
    open(unwritable);
    fill(QString::fromUtf8(PasswordStore::kFullLevelDefault.data()), PasswordLevel::Middle, "5",
         "5");
    press(PasswordLevel::Middle);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, kNotStored);
    EXPECT_EQ(ui.messages[0].icon, MessageIcon::Error);
    EXPECT_FALSE(unwritable.keyExists(kSystem, kProgramKey));
}

TEST_F(ChangePasswordDialog, AReadOnlyStoreKeepsTheOldPasswordAndGivesTheWarning) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "root writes into read-only files";
    }
    install(settings);
    ASSERT_EQ(chmod(settings.filePath(kSystem).c_str(), 0444), 0);
    open(settings);
    fill("7", PasswordLevel::Full, "новый", "новый");
    press(PasswordLevel::Full);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, kNotStored);
    EXPECT_EQ(stored(settings, "password_max_level"), "7");
}

}  // namespace
}  // namespace tarn::testing
