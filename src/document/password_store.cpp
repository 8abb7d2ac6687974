#include "document/password_store.h"

namespace tarn {

PasswordStore::PasswordStore(SettingsStore& settings) : settings_(settings) {}

std::string PasswordStore::read(std::string_view valueName, std::string_view defaultText) {
    std::string value;
    status_ = settings_.readString(SettingsStore::Scope::System, kProgramKey, valueName, value);
    if (status_ != SettingsStore::Status::Ok) {
        return std::string(defaultText);
    }
    return value;
}

void PasswordStore::write(std::string_view valueName, std::string_view text) {
    status_ =
        settings_.writeString(SettingsStore::Scope::System, kProgramKey, valueName, text, false);
}

}  // namespace tarn
