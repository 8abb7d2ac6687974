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

TEST(CommonParams, ShowsVersionAndSystemAndCompletesTheInstallationRecord) {
    QTemporaryDir dir;
    SettingsStore store(dir.path().toStdString());
    {
        CommonParams common(store);
        common.fill();
        EXPECT_EQ(common.fullCaption(),
                  "Сервисные параметры программы (Сервисные параметры программы)");
        ASSERT_EQ(common.parameterCount(), 2u);
        EXPECT_EQ(common.valueByName(" "), build::kVersion);
        EXPECT_EQ(common.find("   ")->caption(), "Операционная система");
        EXPECT_FALSE(common.valueByName("   ").empty());
        EXPECT_NE(common.valueByName("   "), "Нет данных");
        for (const auto& p : common.parameters()) {
            EXPECT_FALSE(p->accessible());
            EXPECT_FALSE(p->hasAnyChange());
        }
    }
    EXPECT_EQ(stored(store, "name"), "TARNv2xx");
    EXPECT_EQ(stored(store, "version"), build::kVersion);

    // An existing record is kept; filling again does not add parameters.
    CommonParams newer(store);
    newer.setVersion("9.9.9");
    newer.fill();
    newer.fill();
    EXPECT_EQ(newer.parameterCount(), 2u);
    EXPECT_EQ(newer.valueByName(" "), "9.9.9");
    EXPECT_EQ(stored(store, "version"), build::kVersion);
}

}  // namespace
}  // namespace tarn
