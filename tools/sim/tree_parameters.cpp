#include "sim/tree_parameters.h"

#include <cmath>
#include <map>

#include "description/description_parser.h"
#include "description/tree_container.h"
#include "description/tree_modes.h"
#include "model/instantiation_context.h"
#include "model/my_converter.h"
#include "model/network_name.h"
#include "platform/numbers.h"
#include "platform/text.h"
#include "platform/user_interaction.h"

namespace tarn::sim {
namespace {

// Collects what a description says instead of showing it.
class CollectingInteraction : public UserInteraction {
public:
    void showMessage(std::string_view text, std::string_view caption, MessageIcon,
                     unsigned) override {
        messages.push_back(std::string(caption) + ": " + std::string(text));
    }
    bool askYesNo(std::string_view, std::string_view, MessageIcon, bool defaultYes) override {
        return defaultYes;
    }
    std::vector<std::string> messages;
};

struct Family {
    std::string name;
    std::string type;
    std::string initialValue;
    double lower = 0;
    double upper = 0;
    int count = 0;
    bool indexed = false;  // the index travels in the data (not only in the address)
    bool hidden = false;
    bool attributes = false;
};

std::string sensibleValue(const Family& family) {
    if (!family.initialValue.empty()) {
        return family.initialValue;
    }
    MyConverter converter(family.name);
    converter.setValueType(family.type);
    switch (converter.valueKind()) {
        case ValueKind::Enumeration: {
            const auto items = converter.typeItems();
            return items.empty() ? std::string() : items.front();
        }
        case ValueKind::Integer:
            return std::to_string(static_cast<long>(family.lower));
        case ValueKind::Real:
            return numbers::fixed(family.lower, 3);
        case ValueKind::Clock:
            return "00:00";
        case ValueKind::Name:
            return "A";
        case ValueKind::Text:
        case ValueKind::Void:
            break;
    }
    return {};
}

void collect(const DescBranch& branch, bool scanners, std::map<std::string, Family>& families,
             std::vector<std::string>& order) {
    for (const auto& p : branch.parameters()) {
        const std::string key = text::toUpper(p->networkName());
        auto [it, added] = families.try_emplace(key);
        Family& family = it->second;
        if (added) {
            order.push_back(key);
            family.name = p->networkName();
            family.type = p->valueType();
            family.initialValue = p->initialValue();
            family.lower = p->lowerLimit();
            family.upper = p->upperLimit();
            family.hidden = true;
            family.attributes = p->attributeKind() != 0;
        }
        // Read-only only when every mode hides it (the super mode may offer
        // what the others hide).
        family.hidden = family.hidden && !p->accessible();
        // A scanner carries its index in the address offset; others in the data.
        const bool hasIndex = scanners ? true : p->hasLinearIndex();
        const int index = scanners ? p->addressOffset() : p->linearIndex();
        if (hasIndex && index >= 0) {
            family.count = std::max(family.count, index + 1);
            family.indexed = family.indexed || !scanners;
        } else {
            family.count = std::max(family.count, 1);
        }
    }
    for (const auto& child : branch.children()) {
        collect(*child, scanners, families, order);
    }
}

}  // namespace

TreeParameterLoad addTreeParameters(SimulatedModule& module,
                                    const std::filesystem::path& container) {
    TreeParameterLoad load;
    std::map<std::string, Family> families;
    std::vector<std::string> order;
    for (const std::uint32_t mode : kTreeModes) {
        const TreeText text = readTreeText(container, treeFileForMode(mode).fileName);
        if (!text.usable()) {
            load.problems.push_back(std::string(treeFileForMode(mode).fileName) + ": " +
                                    text.detail);
            continue;
        }
        CollectingInteraction ui;
        InstantiationContext context(ui);
        const ParameterTree tree = buildParameterTree(text::fromCp1251(text.bytes), context);
        for (const auto& message : ui.messages) {
            load.problems.push_back(std::string(treeFileForMode(mode).fileName) + ": " + message);
        }
        ++load.modes;
        if (tree.root) {
            collect(*tree.root, false, families, order);
        }
        if (tree.scanners) {
            collect(*tree.scanners, true, families, order);
        }
    }

    for (const std::string& key : order) {
        const Family& family = families[key];
        if (text::equalsNoCase(family.name, "CHAr*")) {
            // The module keeps a network name as four codes of "CHAr".
            const int base = family.count > 1 ? family.count - 1 : 0;
            ParameterSpec codes;
            codes.name = "CHAr";
            codes.valueType = "int";
            codes.count = base + 4;
            codes.initialValue = std::to_string(kNameCodeSpace);
            codes.indexed = true;
            module.addParameter(std::move(codes));
            const NameCodes name = hashNameCodes(family.initialValue);
            for (int i = 0; i < 4; ++i) {
                module.setValue("CHAr", base + i,
                                std::to_string(name[static_cast<std::size_t>(i)]));
            }
            ++load.parameters;
            continue;
        }
        ParameterSpec spec;
        spec.name = family.name;
        spec.valueType = family.type;
        spec.count = family.count;
        spec.initialValue = sensibleValue(family);
        spec.editable = !family.hidden;
        spec.ownedByFirm = family.hidden || text::equalsNoCase(family.name, "clb.k");
        spec.hasAttributes = family.attributes;
        spec.indexed = family.indexed;
        module.addParameter(std::move(spec));
        ++load.parameters;
    }
    return load;
}

void addLiveBehaviour(SimulatedModule& module) {
    // Output states: each output switches on and off with its own rhythm.
    module.setLive("r.oe.s", [](double seconds, int index) {
        return numbers::fixed(static_cast<double>((static_cast<long>(seconds) / (index + 1)) % 2),
                              3);
    });
    // Output signals: a slow wave per output, 4..20 mA.
    module.setLive("r.Ao", [](double seconds, int index) {
        return numbers::fixed(12.0 + 8.0 * std::sin(seconds / 5.0 + index), 3);
    });
    // Actuator positions drift between 0 and 100 %.
    module.setLive("r.PoS", [](double seconds, int index) {
        return numbers::fixed(50.0 + 50.0 * std::sin(seconds / 8.0 + index), 3);
    });
}

}  // namespace tarn::sim
