// PasswordChange: changing the stored password of the middle or the full
// access level — the work of the dialog "Смена паролей", without the dialog.
//
// A change needs the full access level and the current full-level password,
// and the new password typed twice alike. The stored value is read back
// after writing: a store that cannot be written (no right to change the
// machine's settings, no key) is reported, since the old password stays.
#pragma once

#include <string>
#include <string_view>

namespace tarn {

class PasswordStore;
class UserInteraction;

inline constexpr std::string_view kPasswordRightsText =
    "Не достаточно прав для выполнения этой операции";
inline constexpr std::string_view kWrongFullPasswordText =
    "Пароль максимального доступа введен неверно!";
inline constexpr std::string_view kPasswordsDifferText =
    "Новые пароли в первом и во втором окне не совпадают!";
inline constexpr std::string_view kPasswordNotStoredText =
    "Внимание: возможно, что пароль изменить не удалось!\n"
    "Причина заключается скорее всего в некорректной\n"
    "инсталяции (установки) программы.\n"
    "Переустановите программу";

// The level whose password changes.
enum class PasswordLevel { Middle, Full };

// The texts of the dialog's boxes for one change.
struct PasswordChangeRequest {
    std::string currentFullPassword;  // the box of the current full-level password
    std::string newPassword;          // the first box of the level's pair
    std::string repeatedPassword;     // the second box of the pair
};

// What the dialog does with its boxes afterwards.
struct PasswordChangeOutcome {
    bool stored = false;        // the new password was written and read back
    bool clearCurrent = false;  // empty the current-password box
    bool clearPair = false;     // empty both boxes of the level's pair
};

class PasswordChange {
public:
    // `store` and `ui` must outlive it; `accessLevel` is the program's.
    PasswordChange(PasswordStore& store, UserInteraction& ui, int accessLevel);

    PasswordChangeOutcome change(PasswordLevel level, const PasswordChangeRequest& request);

private:
    PasswordStore& store_;
    UserInteraction& ui_;
    int accessLevel_;
};

}  // namespace tarn
