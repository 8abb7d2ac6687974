#include "description/description_parser.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "description/description_text.h"
#include "platform/numbers.h"
#include "platform/text.h"
#include "platform/user_interaction.h"

namespace tarn {
namespace {

constexpr std::string_view kErrorCaption = "Ошибка в описателе";

bool endsWith(std::string_view word, char c) {
    return !word.empty() && word.back() == c;
}

// "table1" to "table5" (any letter case): 1 to 5; anything else 0.
int tableNumber(std::string_view word) {
    for (int n = 1; n <= 5; ++n) {
        if (text::equalsNoCase(word, "table" + std::to_string(n))) {
            return n;
        }
    }
    return 0;
}

// Branches and parameter templates of a branch template, all the way down.
std::size_t nodeCount(const DescBranch& branch) {
    std::size_t nodes = 1 + branch.parameterTemplates().size();
    for (const auto& child : branch.children()) {
        nodes += nodeCount(*child);
    }
    return nodes;
}

std::int32_t truncateToInt(double value) {
    if (!(value > std::numeric_limits<std::int32_t>::min() - 1.0)) {
        return std::numeric_limits<std::int32_t>::min();
    }
    if (!(value < std::numeric_limits<std::int32_t>::max() + 1.0)) {
        return std::numeric_limits<std::int32_t>::max();
    }
    return static_cast<std::int32_t>(std::trunc(value));
}

}  // namespace

DescriptionParser::DescriptionParser(UserInteraction& ui, std::size_t maxTemplateNodes)
    : ui_(ui), maxTemplateNodes_(maxTemplateNodes) {}

DescriptionParser::~DescriptionParser() = default;

bool DescriptionParser::parseText(std::string_view text) {
    for (const auto& line : descriptionLines(text)) {
        if (!parseLine(line)) {
            return false;
        }
    }
    return true;
}

bool DescriptionParser::parseLine(std::string_view line) {
    descriptionWords(line, words_);
    const Words& words = words_;
    if (words.size() < 2 || words[0] == ";" || words[0] == "'") {
        return true;
    }
    const std::string_view keyword = words[0];
    if (text::equalsNoCase(keyword, "parameter")) {
        return parameterLine(words);
    }
    if (text::equalsNoCase(keyword, "rule")) {
        return ruleLine(words);
    }
    if (text::equalsNoCase(keyword, "init")) {
        return initLine(words);
    }
    if (text::equalsNoCase(keyword, "branch")) {
        return branchLine(words, BranchKind::Branch);
    }
    if (text::equalsNoCase(keyword, "scanners")) {
        return branchLine(words, BranchKind::Scanners);
    }
    if (text::equalsNoCase(keyword, "root")) {
        return branchLine(words, BranchKind::Root);
    }
    if (text::equalsNoCase(keyword, "const")) {
        return constLine(words);
    }
    if (text::equalsNoCase(keyword, "type")) {
        return typeLine(words);
    }
    ui_.showMessage("Непонятная команда в описателе '" + std::string(keyword) + "'", kErrorCaption,
                    MessageIcon::Error, kMessageNoOwner);
    return false;
}

bool DescriptionParser::tooFewWords(const Words& words) {
    std::string line;
    for (const auto word : words) {
        if (!line.empty()) {
            line += ' ';
        }
        line += word;
    }
    ui_.showMessage("Недостаточно операндов у команды '" + std::string(words[0]) +
                        "' в строке описателя:\n" + line,
                    kErrorCaption, MessageIcon::Error);
    return false;
}

bool DescriptionParser::unknownParameter(std::string_view name) {
    ui_.showMessage("Параметр '" + std::string(name) + "' не определен.", "Ошибка описателя",
                    MessageIcon::Exclamation);
    return false;
}

ParameterTemplate* DescriptionParser::findTemplate(std::string_view name) {
    for (auto& parameter : templates_) {
        if (text::equalsNoCase(parameter.networkName, name)) {
            return &parameter;
        }
    }
    return nullptr;
}

std::optional<double> DescriptionParser::constant(std::string_view name) const {
    for (const auto& [constantName, value] : constants_) {
        if (text::equalsNoCase(constantName, name)) {
            return value;
        }
    }
    return std::nullopt;
}

// parameter name type caption [noattr | tableN[+|*] multiplicity]
bool DescriptionParser::parameterLine(const Words& words) {
    if (words.size() < 4) {
        return tooFewWords(words);
    }
    ParameterTemplate parameter;
    parameter.networkName = words[1];
    if (!parameter.networkName.empty() && parameter.networkName.front() == '@') {
        parameter.networkName.erase(0, 1);
    }
    parameter.typeText = words[2];
    for (auto type = types_.rbegin(); type != types_.rend(); ++type) {
        if (text::equalsNoCase(type->first, words[2])) {
            parameter.typeText = type->second;
            break;
        }
    }
    parameter.caption = words[3];
    if (words.size() >= 5) {
        if (text::equalsNoCase(words[4], "noattr")) {
            parameter.attributeFlag = false;
        } else if (words.size() >= 6) {
            std::string_view table = words[4];
            parameter.multiplicity = numbers::leadingInteger(words[5]);
            if (endsWith(table, '+')) {
                table.remove_suffix(1);
                parameter.tableMode = 1;
            } else if (endsWith(table, '*')) {
                table.remove_suffix(1);
                parameter.tableMode = 2;
            }
            parameter.tableNumber = tableNumber(table);
        }
    }
    templates_.push_back(std::move(parameter));
    return true;
}

// rule name lower upper
bool DescriptionParser::ruleLine(const Words& words) {
    if (words.size() < 4) {
        return tooFewWords(words);
    }
    ParameterTemplate* parameter = findTemplate(words[1]);
    if (parameter == nullptr) {
        return unknownParameter(words[1]);
    }
    parameter->lowerLimit = numbers::leadingReal(words[2]);
    parameter->upperLimit = numbers::leadingReal(words[3]);
    return true;
}

// init name value
bool DescriptionParser::initLine(const Words& words) {
    if (words.size() < 3) {
        return tooFewWords(words);
    }
    ParameterTemplate* parameter = findTemplate(words[1]);
    if (parameter == nullptr) {
        return unknownParameter(words[1]);
    }
    parameter->initialValue = text::replaceAll(words[2], "_", " ");
    return true;
}

// The count of a branch line: a number, or else the name of a constant.
std::int32_t DescriptionParser::branchCount(std::string_view word) const {
    const std::int32_t count = numbers::leadingInteger(word);
    if (count != 0) {
        return count;
    }
    const auto value = constant(word);
    return value ? truncateToInt(*value) : 0;
}

// What one member word of a branch line names. The words are looked up once
// per line: the instances of a line differ only in that a word naming the
// line's own branch also finds the instances of the line made before.
struct DescriptionParser::MemberLookup {
    std::string word;
    std::vector<const ParameterTemplate*> parameters;
    // Branch templates of earlier lines, with their sizes in nodes.
    std::vector<std::pair<const DescBranch*, std::size_t>> branches;
    bool namesOwnBranch = false;
};

DescriptionParser::MemberLookup DescriptionParser::lookUpMember(std::string_view word,
                                                                std::string_view ownName) const {
    MemberLookup lookup;
    lookup.word = word;
    for (const auto& parameter : templates_) {
        if (text::equalsNoCase(parameter.networkName, word)) {
            lookup.parameters.push_back(&parameter);
        }
    }
    for (const auto& member : branches_) {
        if (text::equalsNoCase(member->name(), word)) {
            lookup.branches.emplace_back(member.get(), nodeCount(*member));
        }
    }
    lookup.namesOwnBranch = text::equalsNoCase(ownName, word);
    return lookup;
}

// branch|scanners|root name count image selected-image member...
bool DescriptionParser::branchLine(const Words& words, BranchKind kind) {
    if (words.size() < 3) {
        return tooFewWords(words);
    }
    const std::int32_t count = branchCount(words[2]);
    if (count < 1) {
        return true;
    }
    if (words.size() < 5) {
        return tooFewWords(words);
    }
    const std::int32_t image = numbers::leadingInteger(words[3]);
    const std::int32_t selectedImage = numbers::leadingInteger(words[4]);
    std::vector<MemberLookup> members;
    for (std::size_t i = 5; i < words.size(); ++i) {
        members.push_back(lookUpMember(words[i], words[1]));
    }

    // A line that fails leaves nothing behind, not even instances made before
    // the failing one; anchors followed into them go back.
    const std::size_t firstOfLine = branches_.size();
    const std::size_t nodesBefore = templateNodes_;
    DescBranch* const rootBefore = root_;
    DescBranch* const scannersBefore = scanners_;
    DescBranch* const settingsBefore = networkSettings_;
    auto failLine = [&] {
        branches_.resize(firstOfLine);
        templateNodes_ = nodesBefore;
        root_ = rootBefore;
        scanners_ = scannersBefore;
        networkSettings_ = settingsBefore;
        return false;
    };

    for (std::int32_t number = 1; number <= count; ++number) {
        auto branch = std::make_unique<DescBranch>(std::string(words[1]), count, number, image,
                                                   selectedImage);
        MemberResult result =
            ++templateNodes_ <= maxTemplateNodes_ ? MemberResult::Added : beyondBound();
        for (std::size_t i = 0; i < members.size() && result == MemberResult::Added; ++i) {
            result = addMember(*branch, members[i], firstOfLine);
        }
        if (result != MemberResult::Added) {
            return failLine();
        }
        DescBranch* created = branch.get();
        branches_.push_back(std::move(branch));
        switch (kind) {
            case BranchKind::Branch:
                if (text::equalsNoCase(words[1], kNetworkSettingsBranch)) {
                    networkSettings_ = created;
                }
                break;
            case BranchKind::Scanners:
                scanners_ = created;
                break;
            case BranchKind::Root:
                root_ = created;
                break;
        }
    }
    return true;
}

// Every parameter template of that name, then every branch template of that
// name. When the network-settings branch is copied (by itself or inside the
// copied branch), it is followed into the copy: the copy is the one that can
// become part of the tree. Every copy counts towards the bound, and the copy
// that would go beyond it is not made.
DescriptionParser::MemberResult DescriptionParser::addMember(DescBranch& branch,
                                                             const MemberLookup& member,
                                                             std::size_t firstOfLine) {
    std::vector<std::pair<const DescBranch*, std::size_t>> found = member.branches;
    if (member.namesOwnBranch) {
        for (std::size_t i = firstOfLine; i < branches_.size(); ++i) {
            found.emplace_back(branches_[i].get(), nodeCount(*branches_[i]));
        }
    }
    if (member.parameters.empty() && found.empty()) {
        ui_.showMessage("Что такое '" + member.word + "', не ясно!", kErrorCaption,
                        MessageIcon::Error);
        return MemberResult::Unknown;
    }
    for (const ParameterTemplate* parameter : member.parameters) {
        if (++templateNodes_ > maxTemplateNodes_) {
            return beyondBound();
        }
        branch.addParameterTemplate(*parameter);
    }
    for (const auto& [template_, nodes] : found) {
        templateNodes_ += nodes;
        if (templateNodes_ > maxTemplateNodes_) {
            return beyondBound();
        }
        if (networkSettings_ != nullptr && template_->contains(networkSettings_)) {
            DescBranch* followed = nullptr;
            branch.addChild(template_->clone(networkSettings_, &followed));
            networkSettings_ = followed;
        } else {
            branch.addChild(template_->clone());
        }
    }
    return MemberResult::Added;
}

DescriptionParser::MemberResult DescriptionParser::beyondBound() {
    ui_.showMessage("Серьезная нехватка памяти", kErrorCaption, MessageIcon::Error);
    return MemberResult::BeyondBound;
}

// const name value
bool DescriptionParser::constLine(const Words& words) {
    if (words.size() < 3) {
        return tooFewWords(words);
    }
    if (constant(words[1])) {
        ui_.showMessage("Константа '" + std::string(words[1]) + "' уже определена!", kErrorCaption,
                        MessageIcon::Error);
        return false;
    }
    constants_.emplace_back(words[1], numbers::leadingReal(words[2]));
    return true;
}

// type name part...
bool DescriptionParser::typeLine(const Words& words) {
    std::string typeText;
    for (std::size_t i = 2; i < words.size(); ++i) {
        if (i > 2) {
            typeText += ':';
        }
        typeText += words[i];
    }
    types_.emplace_back(words[1], std::move(typeText));
    return true;
}

ParameterTree DescriptionParser::finish(InstantiationContext& context) {
    ParameterTree tree;
    auto take = [this](DescBranch* anchor) {
        std::unique_ptr<DescBranch> taken;
        const auto found = std::find_if(branches_.begin(), branches_.end(),
                                        [anchor](const auto& b) { return b.get() == anchor; });
        if (found != branches_.end()) {
            taken = std::move(*found);
            branches_.erase(found);
        }
        return taken;
    };
    tree.root = take(root_);
    tree.scanners = take(scanners_);
    // The network-settings branch counts only when it is part of the trees
    // that are kept.
    if ((tree.root && tree.root->contains(networkSettings_)) ||
        (tree.scanners && tree.scanners->contains(networkSettings_))) {
        tree.networkSettings = networkSettings_;
    }

    if (!tree.root) {
        ui_.showMessage("Не опредена корневая ветвь", "Ошибка", MessageIcon::Error);
    } else {
        tree.root->instantiate(context, false, 0);
    }
    if (tree.scanners) {
        tree.scanners->instantiate(context, false, 0);
        tree.scanners->createPollingTimers();
    }

    tree.parameterTemplates = std::move(templates_);
    templates_.clear();
    types_.clear();
    constants_.clear();
    branches_.clear();
    templateNodes_ = 0;
    root_ = nullptr;
    scanners_ = nullptr;
    networkSettings_ = nullptr;
    return tree;
}

ParameterTree buildParameterTree(std::string_view text, InstantiationContext& context,
                                 std::size_t maxTemplateNodes) {
    DescriptionParser parser(context.ui, maxTemplateNodes);
    if (!parser.parseText(text)) {
        context.ui.showMessage("Не удалось создать дерево параметров", "Ошибка", MessageIcon::Error,
                               kMessageNoOwner);
    }
    return parser.finish(context);
}

}  // namespace tarn
