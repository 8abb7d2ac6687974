// ApplyCommand: switching the module to the network settings held in it
// (the APLY command) and the program after it — the work of the dialog
// "Перевод прибора на новый режим работы", without the dialog.
//
// The module takes APLY at once and answers nothing; from then on it
// listens only at its new settings. The program therefore copies the
// module's known settings into its own port settings, re-opens the port on
// them and asks the module for "dev" to see that it is there. With the
// broadcast option the command is sent again, now on the new settings, once
// or three times, with a pause before and after every sending.
#pragma once

#include <array>
#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "model/exchange_result.h"
#include "model/port_settings.h"

namespace tarn {

class DeviceLink;
class ObjectWithParameters;
class UserInteraction;

inline constexpr std::string_view kApplyNoContextText =
    "Нет данных - контекст устройства не получен диалогом APLY\n\nВнутренняя ошибка программы";
inline constexpr std::string_view kApplyNoSettingsText =
    "Нет данных - элемент 'Сетевые параметры прибора' не инициализирован\n\n"
    "Внутренняя ошибка программы";
inline constexpr std::string_view kApplyErrorCaption = "Имела место ошибка";

// The labels of the module's line settings in the dialog, in the order of
// kLineSettings.
inline constexpr std::array<std::string_view, kLineSettings.size()> kLineSettingLabels = {
    "Скорость: ",        "Длина слова данных: ", "Четность: ",
    "Кол-во стоп-бит: ", "Длина адреса: ",       "Адрес: ",
};

// The dialog's check boxes.
struct ApplyOptions {
    bool changeProgramSettings = true;  // "Поменять сразу сетевые настройки программы"
    bool broadcast = false;  // "Поcлать широковещательную команду APLY"
    bool threeTimes = true;  // "Поcлать посылку трижды (для надежности)"
};

struct ApplyResult {
    ExchangeResult firstWrite = ExchangeResult::Ok;  // the first APLY write
    std::string errorText;  // "Ошибка команды 'dev':\n..." when the module did not answer
};

class ApplyCommand {
public:
    // The pause before and after each repeated sending.
    static constexpr std::chrono::milliseconds kRepeatPause{100};

    // `deviceSettings`: the module's network-settings branch of the tree,
    // null when the tree has none. `programSettings`: the program's own port
    // settings (with "Port"). Everything must outlive the command.
    ApplyCommand(DeviceLink& link, const ObjectWithParameters* deviceSettings,
                 ObjectWithParameters& programSettings);

    // The six lines "Скорость: 9600\n" ... of the module's settings, or the
    // internal-error text when there is no network-settings branch.
    std::string settingsText() const;

    // The program follows the module: its port settings take the module's
    // known settings. Returns the line the port is to be re-opened on after
    // APLY; nothing without a network-settings branch. Runs on the thread
    // that owns the settings (the views show them), before send().
    std::optional<PortSettings> followModule();

    // Sends APLY; with `line`, re-opens the port on it and asks the module
    // for "dev"; with the broadcast option repeats the command. Touches only
    // the link, so it may run on any thread; the exchanges take the link's
    // exchange lock.
    ApplyResult send(const ApplyOptions& options, const std::optional<PortSettings>& line);

    // Shows the error box after a send whose first write failed, unless
    // `silent` (the start-up option of that name).
    static void report(const ApplyResult& result, bool silent, UserInteraction& ui);

private:
    DeviceLink& link_;
    const ObjectWithParameters* deviceSettings_;
    ObjectWithParameters& programSettings_;
};

}  // namespace tarn
