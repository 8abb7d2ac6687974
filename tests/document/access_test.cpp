#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "document/access_level.h"
#include "document/password_store.h"
#include "support/recording_interaction.h"

namespace tarn {
namespace {

using testing::RecordingInteraction;
using Status = SettingsStore::Status;

TEST(PasswordStore, StatusesFollowTheKeyAndTheValue) {
    QTemporaryDir dir;
    SettingsStore settings(dir.path().toStdString());
    PasswordStore passwords(settings);
    ASSERT_NE(PasswordStore::kMiddleLevelDefault, PasswordStore::kFullLevelDefault);
    EXPECT_EQ(passwords.middleLevelPassword(), PasswordStore::kMiddleLevelDefault);
    EXPECT_EQ(passwords.status(), Status::KeyMissing);
    // The key is not created by a password write.
    passwords.write(PasswordStore::kFullLevelValue, "секрет");
    EXPECT_EQ(passwords.status(), Status::KeyMissing);
    EXPECT_EQ(passwords.fullLevelPassword(), PasswordStore::kFullLevelDefault);

    settings.writeInt(SettingsStore::Scope::Machine, kProgramKey, "address", 16);
    EXPECT_EQ(passwords.fullLevelPassword(), PasswordStore::kFullLevelDefault);
    EXPECT_EQ(passwords.status(), Status::ValueMissing);
    passwords.write(PasswordStore::kFullLevelValue, "секрет");
    EXPECT_EQ(passwords.status(), Status::Ok);
    EXPECT_EQ(passwords.fullLevelPassword(), "секрет");
    EXPECT_EQ(passwords.status(), Status::Ok);
    EXPECT_EQ(passwords.middleLevelPassword(), PasswordStore::kMiddleLevelDefault);
}

TEST(AccessLevel, OnlyTheFullLevelChangesPasswordsAndRunsDangerousOperations) {
    RecordingInteraction ui;
    EXPECT_TRUE(checkPasswordChange(kAccessLevelAtStart, ui));
    EXPECT_TRUE(checkDangerousOperation(dangerousOperationsAllowed(kAccessLevelAtStart), ui));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_FALSE(checkPasswordChange(kAccessMiddle, ui));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text,
              "Данная функция не доступна на текущем уровне доступа!\nСмена паролей возможна "
              "только на максимальном уровне доступа");
    EXPECT_FALSE(checkDangerousOperation(dangerousOperationsAllowed(kAccessMiddle), ui));
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[1].icon, MessageIcon::Information);
    EXPECT_TRUE(ui.messages[1].text.starts_with("Авторизация относится к устаревшим функциям.\n"));
}

}  // namespace
}  // namespace tarn
