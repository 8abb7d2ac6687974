// The configuration as a list of entries: one per parameter of the tree, in
// tree order (a branch's own parameters before its child branches', as the
// configuration file stores them), each with everything a reader outside the
// program needs: where it sits, what it is called, its key in the file, its
// value and attributes, its changes and status.
//
// tarn-dump prints the entries as text and JSON, tarn-diff matches them by
// key, and the report of an unattended run lists them.
#pragma once

#include <QJsonObject>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarn {

class DescBranch;
class Parameter;

// Joins the captions of the branches above a parameter.
inline constexpr std::string_view kBranchPathSeparator = " / ";

struct ConfigurationEntry {
    // The captions of the branches from below the root down to the
    // parameter's branch, joined by " / ". A branch that the view shows as
    // its single parameter is not part of it (the parameter carries the
    // branch's name as caption). Empty for the root's own parameters.
    std::string branchPath;
    std::string caption;
    std::string networkName;
    std::optional<std::int32_t> linearIndex;  // none when the parameter has none
    std::uint16_t hash = 0;
    // The key the configuration file stores the parameter under.
    std::uint32_t key = 0;
    std::string value;
    bool accessible = true;
    // 0: the parameter has no attributes; then editable and owner mean
    // nothing to the module.
    int attributeKind = 0;
    bool editable = true;
    bool ownerIsFirm = false;
    bool valueChanged = false;
    bool editableChanged = false;
    bool ownerChanged = false;
    std::string status;
    // The parameter of the tree the entry was made from.
    const Parameter* parameter = nullptr;
};

// Every parameter below `root` (the root's own first), in tree order.
std::vector<ConfigurationEntry> configurationEntries(const DescBranch& root);

// The hash as four upper-case hexadecimal digits ("%04X").
std::string hashText(std::uint16_t hash);

// The file's key as eight upper-case hexadecimal digits.
std::string keyText(std::uint32_t key);

// "branch path / caption" (the caption alone for the root's parameters).
std::string entryPlace(const ConfigurationEntry& entry);

// "name" or "name:index".
std::string entryLabel(const ConfigurationEntry& entry);

// "Редактируемый, Пользователь" (empty for a parameter without attributes),
// followed by "недоступен" for a parameter the description hides, the
// changes ("изменены: значение, редактируемость, принадлежность") and the
// status ("статус: …"), joined by "; ".
std::string entryAttributes(const ConfigurationEntry& entry);

// One line of the text dump, without the line end:
//   "branch path / caption  name:index = value  [attributes]".
// Control characters in any text are written as "\xHH" (and a backslash as
// "\\"), so an entry never takes more than one line whatever the file held.
std::string entryLine(const ConfigurationEntry& entry);

// The entry as a JSON object: "path", "caption", "name", "index" (a number
// or null), "hash", "key", "value", "accessible", "attributeKind",
// "editable", "owner" ("firm" or "user"), "changed" {"value", "editable",
// "owner"}, "status".
QJsonObject entryJson(const ConfigurationEntry& entry);

// `text` with control characters written as "\xHH" and backslashes doubled.
std::string escapeControls(std::string_view text);

}  // namespace tarn
