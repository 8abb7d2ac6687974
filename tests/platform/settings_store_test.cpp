#include "platform/settings_store.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QTemporaryDir>
#include <filesystem>

namespace tarn {
namespace {

using Scope = SettingsStore::Scope;
using Status = SettingsStore::Status;

TEST(SettingsStore, MissingKeysAndValuesAreReportedApart) {
    QTemporaryDir dir;
    SettingsStore store(dir.path().toStdString());
    std::int32_t number = 7;
    std::string text = "x";
    EXPECT_FALSE(store.keyExists(Scope::Machine, kProgramKey));
    EXPECT_EQ(store.readInt(Scope::Machine, kProgramKey, "baud_rate", number), Status::KeyMissing);
    EXPECT_EQ(store.readString(Scope::Machine, kProgramKey, "p", text), Status::KeyMissing);
    EXPECT_EQ(number, 7);
    EXPECT_EQ(text, "x");
    ASSERT_EQ(store.writeInt(Scope::Machine, kProgramKey, "baud_rate", 19200), Status::Ok);
    EXPECT_TRUE(store.keyExists(Scope::Machine, kProgramKey));
    EXPECT_EQ(store.readString(Scope::Machine, kProgramKey, "p", text), Status::ValueMissing);
    EXPECT_EQ(store.readInt(Scope::Machine, kProgramKey, "baud_rate", number), Status::Ok);
    EXPECT_EQ(number, 19200);
}

TEST(SettingsStore, ValuesSurviveInTheConfinedFolderOnly) {
    QTemporaryDir dir;
    {
        SettingsStore store(dir.path().toStdString());
        ASSERT_EQ(store.writeString(Scope::Machine, kDeviceKey, "name", "TARNv2xx"), Status::Ok);
        ASSERT_EQ(store.writeStringList(Scope::User, kFrameworkKey, "recent", {"/a/б.tarn", "/c"}),
                  Status::Ok);
    }
    SettingsStore again(dir.path().toStdString());
    std::string name;
    EXPECT_EQ(again.readString(Scope::Machine, kDeviceKey, "name", name), Status::Ok);
    EXPECT_EQ(name, "TARNv2xx");
    EXPECT_EQ(again.readStringList(Scope::User, kFrameworkKey, "recent"),
              (std::vector<std::string>{"/a/б.tarn", "/c"}));
    // Machine and user scopes are separate files in that folder.
    EXPECT_EQ(std::filesystem::path(again.filePath(Scope::Machine)).parent_path(),
              std::filesystem::path(dir.path().toStdString()));
    EXPECT_NE(again.filePath(Scope::Machine), again.filePath(Scope::User));
    EXPECT_FALSE(again.keyExists(Scope::User, kDeviceKey));
}

TEST(SettingsStore, TheSystemScopeIsTheSystemWideFileOrTheConfinedMachineFile) {
    // Without a folder: the file only the administrator writes, with no
    // per-user file standing in for it.
    const SettingsStore system;
    EXPECT_EQ(system.filePath(Scope::System), "/etc/xdg/BRIX/TARN.ini");
    EXPECT_NE(system.filePath(Scope::Machine), system.filePath(Scope::System));
    if (geteuid() != 0) {
        EXPECT_FALSE(system.writable(Scope::System));
    }
    // In a confined folder both are the folder's machine file.
    QTemporaryDir dir;
    SettingsStore confined(dir.path().toStdString());
    EXPECT_EQ(confined.filePath(Scope::System), confined.filePath(Scope::Machine));
    ASSERT_EQ(confined.writeString(Scope::Machine, kProgramKey, "p", "1"), Status::Ok);
    std::string text;
    EXPECT_EQ(confined.readString(Scope::System, kProgramKey, "p", text), Status::Ok);
    EXPECT_EQ(text, "1");
}

TEST(SettingsStore, KeysAreNotCreatedWhenAskedNotTo) {
    QTemporaryDir dir;
    SettingsStore store(dir.path().toStdString());
    EXPECT_EQ(store.writeString(Scope::Machine, kProgramKey, "password_mid_level", "5", false),
              Status::KeyMissing);
    EXPECT_FALSE(store.keyExists(Scope::Machine, kProgramKey));
    store.writeInt(Scope::Machine, kProgramKey, "address", 16);
    EXPECT_EQ(store.writeString(Scope::Machine, kProgramKey, "password_mid_level", "5", false),
              Status::Ok);
}

TEST(SettingsStore, AnUnwritableStoreLosesWritesQuietly) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "root writes into read-only folders";
    }
    QTemporaryDir dir;
    const std::string path = dir.path().toStdString();
    SettingsStore store(path);
    store.writeInt(Scope::Machine, kProgramKey, "address", 16);
    ASSERT_EQ(chmod(store.filePath(Scope::Machine).c_str(), 0444), 0);
    EXPECT_FALSE(store.writable(Scope::Machine));
    EXPECT_EQ(store.writeInt(Scope::Machine, kProgramKey, "address", 24), Status::KeyMissing);
    std::int32_t address = 0;
    EXPECT_EQ(store.readInt(Scope::Machine, kProgramKey, "address", address), Status::Ok);
    EXPECT_EQ(address, 16);
}

TEST(SettingsStore, AStoreInAFolderThatCannotBeCreatedIsNotWritable) {
    SettingsStore store("/proc/no/such/folder");
    EXPECT_FALSE(store.writable(Scope::Machine));
    EXPECT_EQ(store.writeInt(Scope::Machine, kProgramKey, "address", 24), Status::KeyMissing);
}

}  // namespace
}  // namespace tarn
