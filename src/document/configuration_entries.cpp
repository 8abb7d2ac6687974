#include "document/configuration_entries.h"

#include <QJsonValue>
#include <algorithm>
#include <cstdio>

#include "model/branch_archive.h"
#include "model/desc_branch.h"
#include "model/parameter.h"
#include "platform/qt_strings.h"

namespace tarn {
namespace {

ConfigurationEntry entryFor(const Parameter& parameter, const std::string& branchPath) {
    ConfigurationEntry entry;
    entry.branchPath = branchPath;
    entry.caption = parameter.caption();
    entry.networkName = parameter.networkName();
    if (parameter.hasLinearIndex()) {
        entry.linearIndex = parameter.linearIndex();
    }
    entry.hash = parameter.nameHash();
    entry.key = parameterKey(parameter);
    entry.value = parameter.valueText();
    entry.accessible = parameter.accessible();
    entry.attributeKind = parameter.attributeKind();
    entry.editable = parameter.editable();
    entry.ownerIsFirm = parameter.ownerIsFirm();
    entry.valueChanged = parameter.valueChanged();
    entry.editableChanged = parameter.editableChanged();
    entry.ownerChanged = parameter.ownerChanged();
    entry.status = parameter.statusText();
    entry.parameter = &parameter;
    return entry;
}

// "path / name", or "name" at the top.
void appendJoined(std::string& text, std::string_view path, std::string_view name) {
    text += path;
    if (!path.empty()) {
        text += kBranchPathSeparator;
    }
    text += name;
}

std::string joined(const std::string& path, const std::string& name) {
    std::string text;
    appendJoined(text, path, name);
    return text;
}

void appendLabel(const ConfigurationEntry& entry, std::string& text) {
    text += entry.networkName;
    if (entry.linearIndex) {
        text += ':';
        text += std::to_string(*entry.linearIndex);
    }
}

// `path` is the path of `branch` itself.
void collect(const DescBranch& branch, const std::string& path,
             std::vector<ConfigurationEntry>& out) {
    for (const auto& parameter : branch.parameters()) {
        out.push_back(entryFor(*parameter, path));
    }
    for (const auto& child : branch.children()) {
        // A branch of one parameter is that parameter, named after the branch.
        const bool standsForItself = child->representativeParameter() == nullptr;
        collect(*child, standsForItself ? joined(path, child->name()) : path, out);
    }
}

}  // namespace

std::vector<ConfigurationEntry> configurationEntries(const DescBranch& root) {
    std::vector<ConfigurationEntry> entries;
    collect(root, std::string(), entries);
    return entries;
}

std::string hashText(std::uint16_t hash) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "%04X", static_cast<unsigned>(hash));
    return buffer;
}

std::string keyText(std::uint32_t key) {
    char buffer[12];
    std::snprintf(buffer, sizeof buffer, "%08X", static_cast<unsigned>(key));
    return buffer;
}

std::string entryPlace(const ConfigurationEntry& entry) {
    return joined(entry.branchPath, entry.caption);
}

std::string entryLabel(const ConfigurationEntry& entry) {
    std::string text;
    appendLabel(entry, text);
    return text;
}

namespace {

// The attributes' text appended to `text`, parts parted by "; ".
void appendAttributes(const ConfigurationEntry& entry, std::string& text) {
    const std::size_t start = text.size();
    const auto part = [&text, start](std::string_view piece) {
        if (text.size() > start) {
            text += "; ";
        }
        text += piece;
    };
    if (entry.attributeKind != 0) {
        part(entry.editable ? "Редактируемый" : "Не редактируемый");
        text += ", ";
        text += entry.ownerIsFirm ? "Фирма" : "Пользователь";
    }
    if (!entry.accessible) {
        part("недоступен");
    }
    bool anyChange = false;
    for (const auto& [changed, word] : {std::pair{entry.valueChanged, "значение"},
                                        std::pair{entry.editableChanged, "редактируемость"},
                                        std::pair{entry.ownerChanged, "принадлежность"}}) {
        if (changed) {
            if (anyChange) {
                text += ", ";
            } else {
                part("изменены: ");
                anyChange = true;
            }
            text += word;
        }
    }
    if (!entry.status.empty()) {
        part("статус: ");
        text += entry.status;
    }
}

}  // namespace

std::string entryAttributes(const ConfigurationEntry& entry) {
    std::string text;
    appendAttributes(entry, text);
    return text;
}

std::string escapeControls(std::string_view text) {
    const auto special = [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte == '\\' || byte < 0x20 || byte == 0x7F;
    };
    std::string out;
    out.reserve(text.size());
    auto next = text.begin();
    while (next != text.end()) {
        // Runs of ordinary characters are copied whole.
        const auto stop = std::find_if(next, text.end(), special);
        out.append(next, stop);
        if (stop == text.end()) {
            break;
        }
        const auto byte = static_cast<unsigned char>(*stop);
        if (byte == '\\') {
            out += "\\\\";
        } else {
            static constexpr char kDigits[] = "0123456789ABCDEF";
            out += "\\x";
            out.push_back(kDigits[byte >> 4]);
            out.push_back(kDigits[byte & 0x0F]);
        }
        next = stop + 1;
    }
    return out;
}

std::string entryLine(const ConfigurationEntry& entry) {
    // One buffer for the whole line: tarn-dump writes one for every
    // parameter.
    std::string line;
    line.reserve(entry.branchPath.size() + entry.caption.size() + entry.networkName.size() +
                 entry.value.size() + entry.status.size() + 64);
    appendJoined(line, entry.branchPath, entry.caption);
    line += "  ";
    appendLabel(entry, line);
    line += " = ";
    line += entry.value;
    const std::size_t beforeAttributes = line.size();
    line += "  [";
    appendAttributes(entry, line);
    if (line.size() == beforeAttributes + 3) {
        line.resize(beforeAttributes);
    } else {
        line += ']';
    }
    return escapeControls(line);
}

QJsonObject entryJson(const ConfigurationEntry& entry) {
    QJsonObject object;
    object["path"] = qstr(entry.branchPath);
    object["caption"] = qstr(entry.caption);
    object["name"] = qstr(entry.networkName);
    object["index"] = entry.linearIndex ? QJsonValue(*entry.linearIndex) : QJsonValue();
    object["hash"] = qstr(hashText(entry.hash));
    object["key"] = qstr(keyText(entry.key));
    object["value"] = qstr(entry.value);
    object["accessible"] = entry.accessible;
    object["attributeKind"] = entry.attributeKind;
    object["editable"] = entry.editable;
    object["owner"] = entry.ownerIsFirm ? "firm" : "user";
    object["changed"] = QJsonObject{{"value", entry.valueChanged},
                                    {"editable", entry.editableChanged},
                                    {"owner", entry.ownerChanged}};
    object["status"] = qstr(entry.status);
    return object;
}

}  // namespace tarn
