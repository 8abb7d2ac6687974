#include "app/installation_record.h"

#include <filesystem>

#include "platform/settings_store.h"
#include "platform/text.h"
#include "platform/user_interaction.h"

namespace tarn {
namespace {

using Scope = SettingsStore::Scope;

std::string withoutQuotes(std::string text) {
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
        return text.substr(1, text.size() - 2);
    }
    return text;
}

}  // namespace

std::string otherConfiguratorQuestion(const std::string& running, const std::string& registered) {
    return "Вероятно, на вашем компьютере установлено несколько конфигураторов этого прибора,\n"
           "что не рекомендуется, но допускается.\n\n"
           "Установить запущенный конфигуратор (\"" +
           running +
           "\")\n"
           "как основной или оставить ссылку на конфигуратор прибора TARN как она сейчас есть\n"
           "(\"" +
           registered + "\")?";
}

void checkInstallationRecord(SettingsStore& settings, UserInteraction& ui,
                             const std::string& runningPath) {
    std::string value;
    if (settings.readString(Scope::Machine, kDeviceKey, "description", value) !=
        SettingsStore::Status::Ok) {
        settings.writeString(Scope::Machine, kDeviceKey, "description", kInstallationDescription);
    }
    std::string registered;
    if (settings.readString(Scope::Machine, kDeviceKey, "application", registered) !=
        SettingsStore::Status::Ok) {
        return;
    }
    registered = withoutQuotes(registered);
    std::error_code ec;
    if (registered.empty() || !std::filesystem::is_regular_file(registered, ec) ||
        text::equalsNoCase(registered, runningPath)) {
        return;
    }
    if (ui.askYesNo(otherConfiguratorQuestion(runningPath, registered), "",
                    MessageIcon::Information, false)) {
        settings.writeString(Scope::Machine, kDeviceKey, "application", "\"" + runningPath + "\"");
    }
}

}  // namespace tarn
