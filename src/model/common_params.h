// CommonParams: the program's service parameters (its version and the
// operating system it runs on), shown among the computer's parameters.
//
// Filling the group also records the installation in the machine-wide
// settings ("name" and "version" under the module's device key) when that
// record is missing.
#pragma once

#include <string>
#include <string_view>

#include "model/invisible_element.h"

namespace tarn {

class SettingsStore;

class CommonParams : public InvisibleElement {
public:
    static constexpr std::string_view kName = "Сервисные параметры программы";
    static constexpr std::string_view kVersionName = " ";
    static constexpr std::string_view kSystemName = "   ";
    static constexpr int kImage = 20;

    // `settings` must outlive the group's fill().
    explicit CommonParams(SettingsStore& settings);

    // Recreates the service parameters (not accessible, without attributes)
    // and completes the installation record.
    void fill() override;

    int image() const override { return kImage; }
    int selectedImage() const override { return kImage; }
    std::string kindCaption() const override { return std::string(kName); }

    // The version shown; the build's version unless a test sets another.
    void setVersion(std::string version) { version_ = std::move(version); }
    void setSystemDescription(std::string description) { system_ = std::move(description); }

private:
    SettingsStore& settings_;
    std::string version_;
    std::string system_;
};

}  // namespace tarn
