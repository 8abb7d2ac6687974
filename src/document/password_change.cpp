#include "document/password_change.h"

#include "document/access_level.h"
#include "document/password_store.h"
#include "platform/user_interaction.h"

namespace tarn {

PasswordChange::PasswordChange(PasswordStore& store, UserInteraction& ui, int accessLevel)
    : store_(store), ui_(ui), accessLevel_(accessLevel) {}

PasswordChangeOutcome PasswordChange::change(PasswordLevel level,
                                             const PasswordChangeRequest& request) {
    PasswordChangeOutcome outcome;
    if (!passwordChangeAllowed(accessLevel_)) {
        ui_.showMessage(kPasswordRightsText, "", MessageIcon::Error);
        return outcome;
    }
    if (request.currentFullPassword != store_.fullLevelPassword()) {
        ui_.showMessage(kWrongFullPasswordText, "", MessageIcon::Error);
        outcome.clearCurrent = true;
        return outcome;
    }
    if (request.newPassword != request.repeatedPassword) {
        ui_.showMessage(kPasswordsDifferText, "", MessageIcon::Error);
        outcome.clearPair = true;
        return outcome;
    }

    const bool full = level == PasswordLevel::Full;
    const std::string_view value =
        full ? PasswordStore::kFullLevelValue : PasswordStore::kMiddleLevelValue;
    const std::string_view fallback =
        full ? PasswordStore::kFullLevelDefault : PasswordStore::kMiddleLevelDefault;
    store_.write(value, request.newPassword);
    // A write that failed is uncertain even when the old text happens to be
    // the new one: the store is not what the user can rely on.
    const bool written = store_.status() == SettingsStore::Status::Ok;
    const std::string readBack = store_.read(value, fallback);
    const bool readOk = store_.status() == SettingsStore::Status::Ok;
    if (!written || !readOk || readBack != request.newPassword) {
        ui_.showMessage(kPasswordNotStoredText, "", MessageIcon::Error);
        return outcome;
    }
    outcome.stored = true;
    return outcome;
}

}  // namespace tarn
