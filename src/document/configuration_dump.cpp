#include "document/configuration_dump.h"

#include <QJsonArray>

#include "description/tree_modes.h"

namespace tarn {

std::string modeText(std::uint32_t mode) {
    const std::string caption = treeFileForMode(mode).caption;
    return std::to_string(mode) + (caption.empty() ? "" : " (" + caption + ")");
}

std::string dumpText(std::uint32_t mode, const std::vector<ConfigurationEntry>& entries) {
    std::string text = "# Конфигурация TARN, режим " + escapeControls(modeText(mode)) + "\n";
    for (const ConfigurationEntry& entry : entries) {
        text += entryLine(entry);
        text += '\n';
    }
    return text;
}

QJsonArray entriesJson(const std::vector<ConfigurationEntry>& entries) {
    QJsonArray array;
    for (const ConfigurationEntry& entry : entries) {
        array.append(entryJson(entry));
    }
    return array;
}

QJsonObject dumpJson(std::uint32_t mode, const std::vector<ConfigurationEntry>& entries) {
    QJsonObject object;
    object["mode"] = static_cast<qint64>(mode);
    object["modeCaption"] = QString::fromStdString(treeFileForMode(mode).caption);
    object["parameters"] = entriesJson(entries);
    return object;
}

}  // namespace tarn
