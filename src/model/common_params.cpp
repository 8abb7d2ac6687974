#include "model/common_params.h"

#include "platform/build_info.h"
#include "platform/os_description.h"
#include "platform/settings_store.h"

namespace tarn {
namespace {

void recordIfMissing(SettingsStore& settings, std::string_view name, std::string_view value) {
    std::string stored;
    const auto status =
        settings.readString(SettingsStore::Scope::Machine, kDeviceKey, name, stored);
    if (status == SettingsStore::Status::KeyMissing ||
        status == SettingsStore::Status::ValueMissing) {
        settings.writeString(SettingsStore::Scope::Machine, kDeviceKey, name, value);
    }
}

}  // namespace

CommonParams::CommonParams(SettingsStore& settings)
    : InvisibleElement(std::string(kName)),
      settings_(settings),
      version_(build::kVersion),
      system_(describeOperatingSystem()) {}

void CommonParams::fill() {
    deleteParameters();
    auto add = [this](std::string_view networkName, std::string caption) {
        auto parameter = std::make_unique<Parameter>(std::string(networkName));
        parameter->setCaption(std::move(caption));
        parameter->setAccessible(false);
        parameter->setAttributeKind(0);
        addParameter(std::move(parameter));
    };
    add(kVersionName, "Версия");
    add(kSystemName, "Операционная система");

    recordIfMissing(settings_, "name", "TARNv2xx");
    recordIfMissing(settings_, "version", version_);

    setValueByName(kVersionName, version_, true);
    setValueByName(kSystemName, system_, true);
    clearChanges();
}

}  // namespace tarn
