#include "document/access_level.h"

#include "platform/user_interaction.h"

namespace tarn {

bool passwordChangeAllowed(int level) {
    return level >= kAccessFull;
}

bool checkPasswordChange(int level, UserInteraction& ui) {
    if (passwordChangeAllowed(level)) {
        return true;
    }
    ui.showMessage(kPasswordChangeRefusal, "", MessageIcon::Error);
    return false;
}

bool dangerousOperationsAllowed(int level) {
    return level > kAccessMiddle;
}

bool checkDangerousOperation(bool allowed, UserInteraction& ui) {
    if (allowed) {
        return true;
    }
    ui.showMessage(kAuthorisationObsolete, "", MessageIcon::Information);
    return false;
}

}  // namespace tarn
