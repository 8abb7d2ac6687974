// The installation record in the machine-wide settings: which configurator
// of the module is the main one ("application"), and its description.
#pragma once

#include <optional>
#include <string>

namespace tarn {

class SettingsStore;
class UserInteraction;

// Written at every start when it is missing.
inline constexpr std::string_view kInstallationDescription = "TARN v2.x.x";

// The question when another configurator is registered as the main one;
// the running path goes in first, the registered one second.
std::string otherConfiguratorQuestion(const std::string& running, const std::string& registered);

// Writes "description" when missing; then, when "application" names an
// existing file other than `runningPath` (letter case aside), asks whether
// the running configurator should become the main one and on Yes records
// it (in double quotes). A missing "application" stays missing.
void checkInstallationRecord(SettingsStore& settings, UserInteraction& ui,
                             const std::string& runningPath);

}  // namespace tarn
