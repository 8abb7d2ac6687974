// The parser of the device description: the line-oriented language that
// declares the module's parameters, their types, limits and initial values,
// and the branches that group them.
//
// Each line is parsed completely before the next; the first line that fails
// stops the load, and what the lines before it built stays. A branch refers
// to its members by name, so members are declared before the branch; the
// branch copies them at once (a later "rule" or "init" does not reach those
// copies).
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "model/desc_branch.h"
#include "model/instantiation_context.h"
#include "model/parameter_template.h"

namespace tarn {

class UserInteraction;

// The branch the module's network settings are kept in.
inline constexpr std::string_view kNetworkSettingsBranch = "Сетевые_параметры_прибора";

// A description of the module declares a few thousand branches and
// parameters; a damaged or hostile one can declare billions (a count of
// 2147483647, or branches that each list the one before twice). All branch
// templates together hold at most this many branches and parameter
// templates: the line that would go beyond fails with "Серьезная нехватка
// памяти", long before memory runs out. This also bounds how deep branches
// nest, and so the recursion over a tree.
inline constexpr std::size_t kMaxTemplateNodes = 200000;

// What a loaded description leaves for the document.
struct ParameterTree {
    // The tree the user sees, instantiated; null when no root was declared.
    std::unique_ptr<DescBranch> root;
    // The polled parameters, instantiated and with their polling timers;
    // null when none were declared.
    std::unique_ptr<DescBranch> scanners;
    // The module's network-settings branch inside `root` or `scanners`;
    // null when it is not part of either.
    DescBranch* networkSettings = nullptr;
    std::vector<ParameterTemplate> parameterTemplates;
};

class DescriptionParser {
public:
    // Every error of the description is shown through `ui`. Branch
    // templates hold at most `maxTemplateNodes` nodes in all.
    explicit DescriptionParser(UserInteraction& ui,
                               std::size_t maxTemplateNodes = kMaxTemplateNodes);
    ~DescriptionParser();

    DescriptionParser(const DescriptionParser&) = delete;
    DescriptionParser& operator=(const DescriptionParser&) = delete;

    // Parses one line. False when the line fails; its message has been shown
    // and the load must stop. Lines of fewer than two words and comments
    // (";" or "'" as the first word) succeed without effect.
    bool parseLine(std::string_view line);
    // Parses the lines of a text in order up to the first that fails.
    bool parseText(std::string_view text);

    // The after-load steps: without a root the user is told so; the root and
    // then the scanners are instantiated (the scanners also get their polling
    // timers); constants, types and every other branch template are dropped.
    // The parser is empty afterwards.
    ParameterTree finish(InstantiationContext& context);

    // The collections while the description is loaded.
    const std::vector<ParameterTemplate>& parameterTemplates() const { return templates_; }
    // Type name and type text, in file order (the last match counts).
    const std::vector<std::pair<std::string, std::string>>& types() const { return types_; }
    std::optional<double> constant(std::string_view name) const;
    const std::vector<std::unique_ptr<DescBranch>>& branchTemplates() const { return branches_; }
    DescBranch* root() const { return root_; }
    DescBranch* scanners() const { return scanners_; }
    DescBranch* networkSettings() const { return networkSettings_; }

private:
    enum class BranchKind { Branch, Scanners, Root };
    // The words of a line, views of the description's text.
    using Words = std::vector<std::string_view>;

    bool parameterLine(const Words& words);
    bool ruleLine(const Words& words);
    bool initLine(const Words& words);
    bool branchLine(const Words& words, BranchKind kind);
    bool constLine(const Words& words);
    bool typeLine(const Words& words);

    struct MemberLookup;
    enum class MemberResult { Added, Unknown, BeyondBound };
    MemberLookup lookUpMember(std::string_view word, std::string_view ownName) const;
    MemberResult addMember(DescBranch& branch, const MemberLookup& member, std::size_t firstOfLine);
    MemberResult beyondBound();
    ParameterTemplate* findTemplate(std::string_view name);
    std::int32_t branchCount(std::string_view word) const;
    bool tooFewWords(const Words& words);
    bool unknownParameter(std::string_view name);

    UserInteraction& ui_;
    std::vector<ParameterTemplate> templates_;
    std::vector<std::pair<std::string, std::string>> types_;
    std::vector<std::pair<std::string, double>> constants_;
    std::vector<std::unique_ptr<DescBranch>> branches_;
    DescBranch* root_ = nullptr;
    DescBranch* scanners_ = nullptr;
    DescBranch* networkSettings_ = nullptr;
    // Branches and parameter templates held by all branch templates.
    std::size_t templateNodes_ = 0;
    std::size_t maxTemplateNodes_;
    Words words_;  // of the line being parsed, kept for the next
};

// Parses a whole description and builds its tree. A failing line ends the
// parsing with "Не удалось создать дерево параметров"; the tree is then built
// from the lines before it. A smaller bound than kMaxTemplateNodes serves
// the fuzzing, where a tree a hundred times the module's reaches no more
// than one a few times its size and costs a hundred times as much.
ParameterTree buildParameterTree(std::string_view text, InstantiationContext& context,
                                 std::size_t maxTemplateNodes = kMaxTemplateNodes);

}  // namespace tarn
