#include "tree_file_walk.h"

#include "description/description_parser.h"
#include "description/description_text.h"
#include "model/instantiation_context.h"
#include "platform/text.h"
#include "support/recording_interaction.h"

namespace tarn::testing {
namespace {

using text::equalsNoCase;

// The language features a file uses, read off its words. This is not a
// parser: it only notices the marks and keywords.
void noteFeatures(std::string_view content, std::set<std::string>& features) {
    std::set<std::string> typeNames;
    for (const std::string_view line : descriptionLines(content)) {
        const auto words = descriptionWords(line);
        if (words.size() < 2) {
            continue;
        }
        if (line.find('\t') != std::string::npos) {
            features.insert("tab");
        }
        const std::string_view keyword = words[0];
        if (keyword == ";" || keyword == "'") {
            features.insert("comment " + std::string(keyword));
            continue;
        }
        for (const char* plain : {"const", "rule", "init"}) {
            if (equalsNoCase(keyword, plain)) {
                features.insert(plain);
            }
        }
        if (equalsNoCase(keyword, "type")) {
            features.insert(typeNames.insert(text::toLower(words[1])).second ? "type"
                                                                             : "type again");
        }
        if (equalsNoCase(keyword, "parameter")) {
            if (words[1].starts_with("@")) {
                features.insert("@");
            }
            if (words[1].starts_with("!")) {
                features.insert("!");
            }
            if (words.size() >= 5 && equalsNoCase(words[4], "noattr")) {
                features.insert("noattr");
            } else if (words.size() >= 6) {
                std::string table = text::toLower(words[4]);
                if (table.ends_with("+") || table.ends_with("*")) {
                    features.insert("table" + table.substr(table.size() - 1));
                    table.pop_back();
                }
                if (table.size() == 6 && table.starts_with("table")) {
                    features.insert(table);
                }
            }
        }
        const bool branchLike = equalsNoCase(keyword, "branch") ||
                                equalsNoCase(keyword, "scanners") || equalsNoCase(keyword, "root");
        if (branchLike) {
            std::string name(words[1]);
            if (name.find('#') != std::string::npos) {
                features.insert("#");
            }
            auto digitSuffix = [&name](char mark) {
                return name.size() >= 2 && name[name.size() - 2] == mark &&
                       std::isdigit(static_cast<unsigned char>(name.back()));
            };
            if (digitSuffix('*')) {
                features.insert("*N");
                name.resize(name.size() - 2);
            }
            if (digitSuffix('+')) {
                features.insert("+E");
                name.resize(name.size() - 2);
                if (equalsNoCase(name, "K20")) {
                    features.insert("K20");
                }
            }
        }
    }
}

const ParameterTemplate* finalTemplate(const ParameterTree& tree, std::string_view name) {
    for (const auto& t : tree.parameterTemplates) {
        std::string_view templateName = t.networkName;
        if (templateName.starts_with("!")) {
            templateName.remove_prefix(1);
        }
        if (equalsNoCase(templateName, name)) {
            return &t;
        }
    }
    return nullptr;
}

void walkBranch(const DescBranch& branch, const std::string& parentPath, bool scanner,
                const ParameterTree& tree, WalkedTree& out) {
    const std::string path = parentPath.empty() ? branch.name() : parentPath + "/" + branch.name();
    out.branchPaths.push_back(path);
    for (const auto& p : branch.parameters()) {
        WalkedParameter w;
        w.path = path;
        w.networkName = p->networkName();
        w.accessible = p->accessible();
        w.attributes = p->attributeKind() != 0;
        w.type = p->valueType();
        w.caption = p->caption();
        // A scanner carries its index in the address offset.
        w.hasIndex = scanner ? p->hasPollingTimer() : p->hasLinearIndex();
        w.index = scanner ? p->addressOffset() : p->linearIndex();
        w.lower = p->lowerLimit();
        w.upper = p->upperLimit();
        w.initialValue = p->initialValue();
        w.scanner = scanner;
        // A rule or init written after a branch copied the parameter reaches
        // only the collection, not the tree: a file that means otherwise.
        if (const ParameterTemplate* t = finalTemplate(tree, w.networkName)) {
            if (t->lowerLimit != w.lower || t->upperLimit != w.upper ||
                t->initialValue != w.initialValue) {
                out.problems.push_back(path + "/" + w.networkName +
                                       ": a rule or init comes after a branch that copied it");
            }
        }
        out.parameters.push_back(std::move(w));
    }
    for (const auto& child : branch.children()) {
        walkBranch(*child, path, scanner, tree, out);
    }
}

}  // namespace

WalkedTree walkTreeFile(std::string_view text) {
    WalkedTree out;
    RecordingInteraction ui;
    InstantiationContext context(ui);
    const ParameterTree tree = buildParameterTree(text, context);
    for (const auto& message : ui.messages) {
        out.problems.push_back(message.caption + ": " + message.text);
    }
    out.hasRoot = tree.root != nullptr;
    out.hasScanners = tree.scanners != nullptr;
    if (tree.root) {
        walkBranch(*tree.root, "", false, tree, out);
    }
    if (tree.scanners) {
        walkBranch(*tree.scanners, "", true, tree, out);
    }
    noteFeatures(text, out.features);
    return out;
}

}  // namespace tarn::testing
