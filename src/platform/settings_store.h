// The program's persistent settings: the counterpart of the registry keys of
// the design ("Software\BRIX\TARN", "Software\BRIX\Devices\TARNv2xx" and the
// per-user recent-file list).
//
// Both scopes are INI files written through QSettings:
// - with TARN_SETTINGS_DIR set, "machine.ini" and "user.ini" in that folder
//   and nowhere else (tests and scripted runs);
// - otherwise the machine scope is ~/.config/BRIX/TARN.ini, read with a
//   fallback to the system-wide /etc/xdg/BRIX/TARN.ini, and the user scope is
//   ~/.config/BRIX/TARN-user.ini.
// The system scope holds what only the machine's administrator may change
// (the passwords): the system-wide /etc/xdg/BRIX/TARN.ini alone, which a
// normal user can read but not write; with TARN_SETTINGS_DIR it is the
// folder's "machine.ini", the same file as the machine scope.
// A registry key is a group named by the key path with "/" separators
// ("Software/BRIX/TARN"); a key that "cannot be opened" is a group that does
// not exist; a store whose file cannot be written behaves like a key without
// write rights.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarn {

// Registry key paths used by the program.
inline constexpr std::string_view kProgramKey = "Software/BRIX/TARN";
inline constexpr std::string_view kDeviceKey = "Software/BRIX/Devices/TARNv2xx";
inline constexpr std::string_view kFrameworkKey = "Software/Configurator - TARN";

class SettingsStore {
public:
    enum class Scope { Machine, User, System };

    // Outcome of a value access, numbered as the program reports it.
    enum class Status {
        Ok = 0,            // the value was read or written
        ReadFailed = 1,    // the value exists but could not be read
        KeyMissing = 2,    // the key could not be opened
        ValueMissing = 3,  // the value does not exist
    };

    // Files in `directory` when given, else the per-user locations above.
    explicit SettingsStore(std::optional<std::string> directory = std::nullopt);
    // Honours TARN_SETTINGS_DIR.
    static SettingsStore fromEnvironment();

    // The file that holds the scope (the one written to).
    std::string filePath(Scope scope) const;
    // Whether the scope's file can be written.
    bool writable(Scope scope) const;

    bool keyExists(Scope scope, std::string_view key) const;

    Status readInt(Scope scope, std::string_view key, std::string_view name,
                   std::int32_t& value) const;
    Status readString(Scope scope, std::string_view key, std::string_view name,
                      std::string& value) const;
    std::vector<std::string> readStringList(Scope scope, std::string_view key,
                                            std::string_view name) const;

    // With `createKey` false a missing key is not created and the write fails
    // with KeyMissing; a store that cannot be written also gives KeyMissing
    // (the key cannot be opened for writing).
    Status writeInt(Scope scope, std::string_view key, std::string_view name, std::int32_t value,
                    bool createKey = true);
    Status writeString(Scope scope, std::string_view key, std::string_view name,
                       std::string_view value, bool createKey = true);
    Status writeStringList(Scope scope, std::string_view key, std::string_view name,
                           const std::vector<std::string>& values);

private:
    std::optional<std::string> directory_;
};

}  // namespace tarn
