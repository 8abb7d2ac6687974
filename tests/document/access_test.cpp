#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "document/access_level.h"
#include "document/password_store.h"
#include "support/recording_interaction.h"

namespace tarn {
namespace {

using testing::RecordingInteraction;
using Status = SettingsStore::Status;

TEST(PasswordStore, WithoutTheKeyDefaultsApplyAndNothingIsWritten) {
    QTemporaryDir dir;
    SettingsStore settings(dir.path().toStdString());
    PasswordStore passwords(settings);
    EXPECT_EQ(passwords.middleLevelPassword(), PasswordStore::kMiddleLevelDefault);
    EXPECT_EQ(passwords.status(), Status::KeyMissing);
    EXPECT_EQ(passwords.fullLevelPassword(), PasswordStore::kFullLevelDefault);
    passwords.write(PasswordStore::kFullLevelValue, "секрет");
    EXPECT_EQ(passwords.status(), Status::KeyMissing);
    EXPECT_FALSE(settings.keyExists(SettingsStore::Scope::Machine, kProgramKey));
    EXPECT_EQ(passwords.fullLevelPassword(), PasswordStore::kFullLevelDefault);
}

TEST(PasswordStore, AnExistingKeyTakesAndGivesThePasswords) {
    QTemporaryDir dir;
    SettingsStore settings(dir.path().toStdString());
    settings.writeInt(SettingsStore::Scope::Machine, kProgramKey, "address", 16);
    PasswordStore passwords(settings);
    EXPECT_EQ(passwords.fullLevelPassword(), PasswordStore::kFullLevelDefault);
    EXPECT_EQ(passwords.status(), Status::ValueMissing);
    passwords.write(PasswordStore::kFullLevelValue, "секрет");
    EXPECT_EQ(passwords.status(), Status::Ok);
    EXPECT_EQ(passwords.middleLevelPassword(), PasswordStore::kMiddleLevelDefault);
    EXPECT_EQ(passwords.status(), Status::ValueMissing);
    EXPECT_EQ(passwords.fullLevelPassword(), "секрет");
    EXPECT_EQ(passwords.status(), Status::Ok);
}

TEST(PasswordStore, DefaultsAreDistinctSingleDigits) {
    for (const auto text : {PasswordStore::kMiddleLevelDefault, PasswordStore::kFullLevelDefault}) {
        ASSERT_EQ(text.size(), 1u);
        EXPECT_TRUE(text[0] >= '0' && text[0] <= '9');
    }
    EXPECT_NE(PasswordStore::kMiddleLevelDefault, PasswordStore::kFullLevelDefault);
}

TEST(AccessLevel, OnlyTheFullLevelChangesPasswordsAndRunsDangerousOperations) {
    RecordingInteraction ui;
    EXPECT_TRUE(checkPasswordChange(kAccessLevelAtStart, ui));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_FALSE(checkPasswordChange(kAccessMiddle, ui));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text,
              "Данная функция не доступна на текущем уровне доступа!\nСмена паролей возможна "
              "только на максимальном уровне доступа");

    EXPECT_TRUE(dangerousOperationsAllowed(kAccessLevelAtStart));
    EXPECT_FALSE(dangerousOperationsAllowed(kAccessMiddle));
    EXPECT_FALSE(dangerousOperationsAllowed(kAccessLevelAtConstruction));
    EXPECT_TRUE(checkDangerousOperation(dangerousOperationsAllowed(kAccessFull), ui));
    EXPECT_EQ(ui.messages.size(), 1u);
    EXPECT_FALSE(checkDangerousOperation(dangerousOperationsAllowed(kAccessMiddle), ui));
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[1].icon, MessageIcon::Information);
    EXPECT_TRUE(ui.messages[1].text.starts_with("Авторизация относится к устаревшим функциям.\n"));
}

}  // namespace
}  // namespace tarn
