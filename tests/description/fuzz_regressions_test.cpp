// Descriptions that once exhausted memory under the fuzzer, and the bound on
// what a description may declare that keeps them from doing so.
#include <gtest/gtest.h>

#include <chrono>

#include "description/description_parser.h"
#include "model/branch_archive.h"
#include "platform/archive.h"
#include "platform/text.h"
#include "support/fuzz_inputs.h"
#include "support/recording_interaction.h"

namespace tarn {
namespace {

using testing::keptFuzzInput;
using testing::keptFuzzInputs;
using testing::RecordingInteraction;

constexpr std::string_view kOutOfMemory = "Серьезная нехватка памяти";

std::size_t parametersBelow(const DescBranch& branch) {
    std::size_t count = branch.parameters().size();
    for (const auto& child : branch.children()) {
        count += parametersBelow(*child);
    }
    return count;
}

bool shown(const RecordingInteraction& ui, std::string_view text) {
    return std::any_of(ui.messages.begin(), ui.messages.end(),
                       [text](const auto& message) { return message.text == text; });
}

TEST(DescriptionFuzzRegressions, KeptInputsBuildBoundedTreesThatStoreAndReload) {
    const auto inputs = keptFuzzInputs("description");
    ASSERT_FALSE(inputs.empty());
    for (const auto& input : inputs) {
        SCOPED_TRACE(input.name);
        RecordingInteraction ui;
        InstantiationContext context(ui);
        const auto start = std::chrono::steady_clock::now();
        ParameterTree tree = buildParameterTree(text::fromCp1251(input.bytes), context);
        // Far more than any of them needs: only a hang fails this.
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
        if (tree.networkSettings != nullptr) {
            EXPECT_TRUE((tree.root && tree.root->contains(tree.networkSettings)) ||
                        (tree.scanners && tree.scanners->contains(tree.networkSettings)));
        }
        if (!tree.root) {
            continue;
        }
        EXPECT_LE(parametersBelow(*tree.root), kMaxTemplateNodes);
        ArchiveWriter writer;
        storeBranch(writer, *tree.root);
        ArchiveReader reader(writer.bytes());
        EXPECT_NO_THROW(loadBranch(reader, *tree.root));
        EXPECT_TRUE(reader.atEnd());
    }
}

TEST(DescriptionFuzzRegressions, AHugeBranchCountFailsItsLineInsteadOfExhaustingMemory) {
    // The count reads as 2147483647: as many copies of the member.
    const std::string found = keptFuzzInput("description", "branch_count_2147483647.tree");
    ASSERT_FALSE(found.empty());
    RecordingInteraction ui;
    InstantiationContext context(ui);
    const ParameterTree tree = buildParameterTree(text::fromCp1251(found), context);
    ASSERT_GE(ui.messages.size(), 2u) << ui.allTexts();
    EXPECT_EQ(ui.messages[0].text, kOutOfMemory);
    EXPECT_EQ(ui.messages[0].caption, "Ошибка в описателе");
    EXPECT_EQ(ui.messages[0].icon, MessageIcon::Error);
    EXPECT_EQ(ui.messages[1].text, "Не удалось создать дерево параметров");
    EXPECT_FALSE(tree.root);

    // The same with a root declared before it: the lines before stay.
    ui.messages.clear();
    DescriptionParser parser(ui);
    EXPECT_FALSE(parser.parseText(
        "parameter P int Пэ\nroot R 1 0 0 P\nbranch B 2147483647 0 0 P\nroot Late 1 0 0 P\n"));
    EXPECT_TRUE(shown(ui, kOutOfMemory)) << ui.allTexts();
    ASSERT_NE(parser.root(), nullptr);
    EXPECT_EQ(parser.root()->name(), "R");
    EXPECT_EQ(parser.branchTemplates().size(), 1u);
}

TEST(DescriptionFuzzRegressions, BranchesThatCopyTheOneBeforeTwiceStopAtTheBound) {
    const std::string doubling = keptFuzzInput("description", "doubling_branches.tree");
    ASSERT_FALSE(doubling.empty());
    // B0 holds itself and P twice; each further Bi itself and two copies of
    // the one before. Every line fits as long as all of them together do.
    std::size_t expectedBranches = 0;
    std::size_t total = 0;
    for (std::size_t size = 3; total + size <= kMaxTemplateNodes; size = 1 + 2 * size) {
        total += size;
        ++expectedBranches;
    }
    RecordingInteraction ui;
    DescriptionParser parser(ui);
    EXPECT_FALSE(parser.parseText(text::fromCp1251(doubling)));
    EXPECT_EQ(parser.branchTemplates().size(), expectedBranches);
    ASSERT_EQ(ui.messages.size(), 1u) << ui.allTexts();
    EXPECT_EQ(ui.messages[0].text, kOutOfMemory);
}

TEST(DescriptionFuzzRegressions, TheBoundCountsBranchesAndTemplatesOfAllBranchTemplates) {
    const std::string fill = "branch A " + std::to_string(kMaxTemplateNodes - 1) + " 0 0\n";
    RecordingInteraction ui;
    DescriptionParser parser(ui);
    ASSERT_TRUE(parser.parseText(fill));
    // Exactly at the bound still fits; one more branch does not.
    EXPECT_TRUE(parser.parseLine("branch Last 1 0 0"));
    EXPECT_FALSE(parser.parseLine("branch OneTooMany 1 0 0"));
    EXPECT_EQ(parser.branchTemplates().size(), kMaxTemplateNodes);
    EXPECT_TRUE(shown(ui, kOutOfMemory));

    // A finished load gives the next one the whole bound again.
    InstantiationContext context(ui);
    parser.finish(context);
    ui.messages.clear();
    const std::string fillBelowRoot =
        "branch A " + std::to_string(kMaxTemplateNodes - 2) + " 0 0\n";
    EXPECT_TRUE(parser.parseText(fillBelowRoot + "parameter P int Пэ\nroot R 1 0 0 P\n"));
    EXPECT_TRUE(ui.messages.empty()) << ui.allTexts();
}

TEST(DescriptionFuzzRegressions, ABranchBeyondTheBoundLeavesTheNetworkSettingsOnTheirTemplate) {
    // The root copies the network-settings branch (the anchor follows it
    // into the copy), then a member that goes beyond the bound: the root is
    // dropped and the anchor must not point into it.
    const std::string many = std::to_string(kMaxTemplateNodes / 2);
    RecordingInteraction ui;
    DescriptionParser parser(ui);
    ASSERT_TRUE(
        parser.parseText("parameter P int Пэ\n"
                         "branch Сетевые_параметры_прибора 1 0 0 P\n"
                         "branch Many " +
                         many + " 0 0\n"));
    const DescBranch* settings = parser.networkSettings();
    ASSERT_NE(settings, nullptr);
    EXPECT_FALSE(parser.parseLine("root R 1 0 0 Сетевые_параметры_прибора Many"));
    EXPECT_EQ(parser.networkSettings(), settings);
    EXPECT_EQ(parser.root(), nullptr);
    EXPECT_TRUE(shown(ui, kOutOfMemory));
}

TEST(DescriptionFuzzRegressions, AWordNamingTheLinesOwnBranchFindsTheInstancesMadeBefore) {
    RecordingInteraction ui;
    DescriptionParser parser(ui);
    ASSERT_TRUE(parser.parseText("parameter P int Пэ\nbranch B 1 0 0 P\nbranch b 3 0 0 B P\n"))
        << ui.allTexts();
    const auto& branches = parser.branchTemplates();
    ASSERT_EQ(branches.size(), 4u);
    // Instance k copies the first B and the k - 1 instances before it.
    for (std::size_t k = 1; k <= 3; ++k) {
        const DescBranch& instance = *branches[k];
        EXPECT_EQ(instance.number(), static_cast<std::int32_t>(k));
        ASSERT_EQ(instance.children().size(), k);
        EXPECT_EQ(instance.parameterTemplates().size(), 1u);
        for (std::size_t c = 1; c < k; ++c) {
            EXPECT_EQ(instance.children()[c]->number(), static_cast<std::int32_t>(c));
            EXPECT_EQ(instance.children()[c]->children().size(), c);
        }
    }
    // Alone, the first instance finds nothing of that name.
    EXPECT_FALSE(parser.parseLine("branch C 2 0 0 C"));
    EXPECT_EQ(ui.messages.back().text, "Что такое 'C', не ясно!");
    EXPECT_EQ(parser.branchTemplates().size(), 4u);
}

}  // namespace
}  // namespace tarn
