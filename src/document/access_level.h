// Access levels of the person at the keyboard and the operations that
// depend on them.
//
// The program has no login: the application runs at the full level from its
// initialisation on. The level still decides whether the passwords may be
// changed and whether the dangerous operations (initialising the module,
// the special ownership attributes) are open.
#pragma once

#include <string_view>

namespace tarn {

class UserInteraction;

enum AccessLevel : int {
    kAccessMinimal = 0,
    kAccessMiddle = 1,
    kAccessFull = 2,
};

// The level before the application's initialisation, and from then on.
inline constexpr int kAccessLevelAtConstruction = kAccessMinimal;
inline constexpr int kAccessLevelAtStart = kAccessFull;

inline constexpr std::string_view kPasswordChangeRefusal =
    "Данная функция не доступна на текущем уровне доступа!\n"
    "Смена паролей возможна только на максимальном уровне доступа";

inline constexpr std::string_view kAuthorisationObsolete =
    "Авторизация относится к устаревшим функциям.\n"
    "В этой версии конфигуратора 'опасные операции'\n"
    "(инициализация прибора и доступ к специальным атрибутам)\n"
    "автоматически доступны на максимальном уровне доступа.";

// The passwords may be changed at the full level only.
bool passwordChangeAllowed(int level);
// Whether the password change may go on; below the full level the refusal
// is shown and it may not.
bool checkPasswordChange(int level, UserInteraction& ui);

// The flag the module link is created with: the dangerous operations are
// open above the middle level.
bool dangerousOperationsAllowed(int level);
// Whether a dangerous operation may start with the link's flag; without it
// the user is told that authorisation is obsolete, and it may not.
bool checkDangerousOperation(bool allowed, UserInteraction& ui);

}  // namespace tarn
