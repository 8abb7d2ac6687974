#include "model/common_params.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "platform/build_info.h"
#include "platform/settings_store.h"

namespace tarn {
namespace {

constexpr auto kMachine = SettingsStore::Scope::Machine;

std::string stored(const SettingsStore& store, std::string_view name) {
    std::string value;
    store.readString(kMachine, kDeviceKey, name, value);
    return value;
}

TEST(CommonParams, ShowsVersionAndSystemAndRecordsTheInstallation) {
    QTemporaryDir dir;
    SettingsStore store(dir.path().toStdString());
    CommonParams common(store);
    common.fill();
    EXPECT_EQ(common.name(), "Сервисные параметры программы");
    EXPECT_EQ(common.kindCaption(), "Сервисные параметры программы");
    EXPECT_EQ(common.image(), 20);
    EXPECT_EQ(common.selectedImage(), 20);
    ASSERT_EQ(common.parameterCount(), 2u);
    const Parameter& version = *common.parameters()[0];
    const Parameter& system = *common.parameters()[1];
    EXPECT_EQ(version.networkName(), " ");
    EXPECT_EQ(version.caption(), "Версия");
    EXPECT_EQ(version.valueText(), build::kVersion);
    EXPECT_EQ(system.networkName(), "   ");
    EXPECT_EQ(system.caption(), "Операционная система");
    EXPECT_FALSE(system.valueText().empty());
    EXPECT_NE(system.valueText(), "Нет данных");
    for (const auto& p : common.parameters()) {
        EXPECT_FALSE(p->accessible());
        EXPECT_EQ(p->attributeKind(), 0);
        EXPECT_FALSE(p->hasAnyChange());
    }
    EXPECT_EQ(stored(store, "name"), "TARNv2xx");
    EXPECT_EQ(stored(store, "version"), build::kVersion);
}

TEST(CommonParams, AnExistingRecordIsKept) {
    QTemporaryDir dir;
    SettingsStore store(dir.path().toStdString());
    store.writeString(kMachine, kDeviceKey, "version", "2.0.0");
    CommonParams common(store);
    common.setVersion("9.9.9");
    common.setSystemDescription("Система");
    common.fill();
    common.fill();
    EXPECT_EQ(common.parameterCount(), 2u);
    EXPECT_EQ(common.valueByName(" "), "9.9.9");
    EXPECT_EQ(common.valueByName("   "), "Система");
    EXPECT_EQ(stored(store, "version"), "2.0.0");
    EXPECT_EQ(stored(store, "name"), "TARNv2xx");
}

}  // namespace
}  // namespace tarn
