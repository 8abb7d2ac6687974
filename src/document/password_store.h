// The stored passwords of the middle and the full access level, kept as
// texts under the program's key in the system scope of the settings store:
// on Linux the system-wide file that only the administrator writes, so a
// normal user can check a password but not change it.
//
// Reading never fails: a password that cannot be read is the level's
// built-in default. Every access records its outcome, which the password
// change inspects after writing.
#pragma once

#include <string>
#include <string_view>

#include "platform/settings_store.h"

namespace tarn {

class PasswordStore {
public:
    static constexpr std::string_view kMiddleLevelValue = "password_mid_level";
    static constexpr std::string_view kFullLevelValue = "password_max_level";
    static constexpr std::string_view kMiddleLevelDefault = "1";
    static constexpr std::string_view kFullLevelDefault = "7";

    explicit PasswordStore(SettingsStore& settings);

    // The stored text, or `defaultText` when it cannot be read.
    std::string read(std::string_view valueName, std::string_view defaultText);
    // Writes into the existing key only: without the key nothing is written
    // and the status says KeyMissing.
    void write(std::string_view valueName, std::string_view text);

    std::string middleLevelPassword() { return read(kMiddleLevelValue, kMiddleLevelDefault); }
    std::string fullLevelPassword() { return read(kFullLevelValue, kFullLevelDefault); }

    // The outcome of the last read or write (0 to 3).
    SettingsStore::Status status() const { return status_; }

private:
    SettingsStore& settings_;
    SettingsStore::Status status_ = SettingsStore::Status::Ok;
};

}  // namespace tarn
