#include "document/configuration_diff.h"

#include <deque>
#include <unordered_map>

namespace tarn {
namespace {

// The value and the module's attributes of one side of a difference.
std::string sideText(const ConfigurationEntry& entry) {
    std::string text = entry.value + "  [" +
                       (entry.editable ? "Редактируемый" : "Не редактируемый") + ", " +
                       (entry.ownerIsFirm ? "Фирма" : "Пользователь") + "]";
    return escapeControls(text);
}

}  // namespace

bool entriesDiffer(const ConfigurationEntry& first, const ConfigurationEntry& second) {
    return first.value != second.value || first.editable != second.editable ||
           first.ownerIsFirm != second.ownerIsFirm;
}

std::vector<ConfigurationDifference> compareConfigurations(
    const std::vector<ConfigurationEntry>& first, const std::vector<ConfigurationEntry>& second) {
    std::unordered_map<std::uint32_t, std::deque<std::size_t>> secondByKey;
    for (std::size_t i = 0; i < second.size(); ++i) {
        secondByKey[second[i].key].push_back(i);
    }
    std::vector<bool> matched(second.size(), false);
    std::vector<ConfigurationDifference> differences;
    for (const ConfigurationEntry& entry : first) {
        auto found = secondByKey.find(entry.key);
        if (found == secondByKey.end() || found->second.empty()) {
            differences.push_back({ConfigurationDifference::Kind::OnlyInFirst, entry, {}});
            continue;
        }
        const std::size_t other = found->second.front();
        found->second.pop_front();
        matched[other] = true;
        if (entriesDiffer(entry, second[other])) {
            differences.push_back({ConfigurationDifference::Kind::Differs, entry, second[other]});
        }
    }
    for (std::size_t i = 0; i < second.size(); ++i) {
        if (!matched[i]) {
            differences.push_back({ConfigurationDifference::Kind::OnlyInSecond, {}, second[i]});
        }
    }
    return differences;
}

std::string differenceText(const ConfigurationDifference& difference) {
    switch (difference.kind) {
        case ConfigurationDifference::Kind::Differs: {
            const ConfigurationEntry& first = *difference.first;
            return "~ " + escapeControls(entryPlace(first) + "  " + entryLabel(first)) +
                   "\n    - " + sideText(first) + "\n    + " + sideText(*difference.second) + "\n";
        }
        case ConfigurationDifference::Kind::OnlyInFirst:
            return "- " + entryLine(*difference.first) + "\n";
        case ConfigurationDifference::Kind::OnlyInSecond:
            return "+ " + entryLine(*difference.second) + "\n";
    }
    return {};
}

}  // namespace tarn
