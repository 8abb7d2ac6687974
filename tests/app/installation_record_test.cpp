#include "app/installation_record.h"

#include <gtest/gtest.h>

#include "platform/settings_store.h"
#include "support/recording_interaction.h"
#include "support/scratch_folder.h"

namespace tarn {
namespace {

using Scope = SettingsStore::Scope;

class InstallationRecord : public ::testing::Test {
protected:
    std::string read(const char* name) {
        std::string value;
        settings_.readString(Scope::Machine, kDeviceKey, name, value);
        return value;
    }

    testing::ScratchFolder scratch_;
    SettingsStore settings_{(scratch_ / "settings").string()};
    testing::RecordingInteraction ui_;
};

TEST_F(InstallationRecord, TheDescriptionIsWrittenOnceAndAMissingApplicationStaysMissing) {
    checkInstallationRecord(settings_, ui_, "/opt/tarn/tarn");
    EXPECT_EQ(read("description"), "TARN v2.x.x");
    EXPECT_EQ(read("application"), "");
    settings_.writeString(Scope::Machine, kDeviceKey, "description", "own");
    checkInstallationRecord(settings_, ui_, "/opt/tarn/tarn");
    EXPECT_EQ(read("description"), "own");
    EXPECT_TRUE(ui_.questions.empty());
}

TEST_F(InstallationRecord, AnotherExistingConfiguratorIsAskedAbout) {
    const auto other = scratch_.write("other-tarn", "x");
    settings_.writeString(Scope::Machine, kDeviceKey, "application", "\"" + other.string() + "\"");
    ui_.answers.push_back(false);
    checkInstallationRecord(settings_, ui_, "/opt/tarn/tarn");
    ASSERT_EQ(ui_.questions.size(), 1u);
    EXPECT_EQ(ui_.questions[0].text, otherConfiguratorQuestion("/opt/tarn/tarn", other.string()));
    EXPECT_EQ(ui_.questions[0].icon, MessageIcon::Information);
    EXPECT_EQ(read("application"), "\"" + other.string() + "\"") << "No keeps it";

    ui_.answers.push_back(true);
    checkInstallationRecord(settings_, ui_, "/opt/tarn/tarn");
    EXPECT_EQ(read("application"), "\"/opt/tarn/tarn\"");
}

TEST_F(InstallationRecord, NoQuestionForItselfOrForAVanishedProgram) {
    const auto self = scratch_.write("TARN", "x");
    settings_.writeString(Scope::Machine, kDeviceKey, "application", self.string());
    std::string running = self.string();
    running.back() = 'n';  // the same path in other letter case
    checkInstallationRecord(settings_, ui_, running);
    settings_.writeString(Scope::Machine, kDeviceKey, "application", "/no/such/tarn");
    checkInstallationRecord(settings_, ui_, "/opt/tarn/tarn");
    EXPECT_TRUE(ui_.questions.empty());
}

}  // namespace
}  // namespace tarn
