#include <gtest/gtest.h>

#include "model/desc_branch.h"
#include "support/recording_interaction.h"
#include "tree_builders.h"

namespace tarn {
namespace {

using testing::makeInstances;
using testing::makeTemplate;
using testing::RecordingInteraction;
using Kind = DisplayMember::Kind;

TEST(DisplayMembers, FollowTheDescriptionOrderAndShowSingleParametersInPlace) {
    RecordingInteraction ui;
    InstantiationContext context(ui);
    auto pair = makeInstances("Пара", 1, {makeTemplate("p1"), makeTemplate("p2")});
    auto single = makeInstances("Один", 1, {makeTemplate("s")});
    DescBranch branch("Ветвь", 1, 1, 3, 4);
    branch.addParameterTemplate(makeTemplate("a"));
    branch.addChild(pair[0]->clone());
    branch.addParameterTemplate(makeTemplate("b"));
    branch.addChild(single[0]->clone());
    branch.instantiate(context, false, 0);

    const auto members = branch.displayMembers();
    ASSERT_EQ(members.size(), 4u);
    EXPECT_EQ(members[0].kind, Kind::Parameter);
    EXPECT_EQ(members[0].parameter->networkName(), "a");
    EXPECT_EQ(members[0].branch, &branch);
    EXPECT_EQ(members[1].kind, Kind::Branch);
    EXPECT_EQ(members[1].branch, branch.children()[0].get());
    EXPECT_EQ(members[2].parameter->networkName(), "b");
    EXPECT_EQ(members[3].kind, Kind::Parameter);
    EXPECT_EQ(members[3].branch, branch.children()[1].get());
    EXPECT_EQ(members[3].parameter->caption(), "Один");
    EXPECT_EQ(branch.displayedCount(), 2);

    EXPECT_EQ(branch.representativeParameter(), nullptr);
    EXPECT_EQ(branch.children()[0]->representativeParameter(), nullptr);
    EXPECT_EQ(branch.children()[1]->representativeParameter(), members[3].parameter);
}

TEST(DisplayMembers, ActuatorBlocksFromNineOnGetTheirTypeRow) {
    RecordingInteraction ui;
    InstantiationContext context(ui);
    auto blocks = makeInstances("буим#", 10, {makeTemplate("x"), makeTemplate("y")});
    auto root = testing::makeRoot(blocks);
    auto other = makeInstances("ИМ#+8", 2, {makeTemplate("z")});
    root->addChild(other[1]->clone());
    root->instantiate(context, false, 0);
    for (int i = 0; i < 10; ++i) {
        DescBranch& block = *root->children()[static_cast<std::size_t>(i)];
        const auto members = block.displayMembers();
        const bool typeRow = i >= 8;
        EXPECT_EQ(block.hasActuatorTypeRow(), typeRow) << block.name();
        ASSERT_EQ(members.size(), typeRow ? 3u : 2u);
        EXPECT_EQ(members[0].kind == Kind::ActuatorType, typeRow);
    }
    EXPECT_FALSE(root->children()[10]->hasActuatorTypeRow());
}

TEST(GroupRow, ShowsTheCommonIndexOnlyWhenAskedAndKnown) {
    RecordingInteraction ui;
    DescBranch branch("Канал", 1, 1, 11, 12);
    auto p = std::make_unique<Parameter>("P");
    p->setHasLinearIndex(true);
    p->setLinearIndex(5);
    branch.addParameter(std::move(p));
    GroupRow row = branch.groupRow(false, ui);
    EXPECT_EQ(row.itemText, "Канал");
    EXPECT_EQ(row.image, 11);
    EXPECT_EQ(row.selectedImage, 12);
    EXPECT_EQ(row.indexCell, "");
    EXPECT_EQ(branch.groupRow(true, ui).indexCell, "(5)");

    DescBranch plain("Без индекса", 1, 1, 0, 0);
    plain.addParameter(std::make_unique<Parameter>("Q"));
    EXPECT_EQ(plain.groupRow(true, ui).indexCell, "");
    EXPECT_TRUE(ui.messages.empty());
}

TEST(GroupRow, ParametersAreShownUpToALimitThenTheRest) {
    InvisibleElement group;
    for (const char* name : {"a", "b", "c"}) {
        group.addParameter(std::make_unique<Parameter>(name));
    }
    EXPECT_EQ(group.parametersForDisplay(2).size(), 2u);
    auto rest = group.remainingForDisplay();
    ASSERT_EQ(rest.size(), 1u);
    EXPECT_EQ(rest[0]->networkName(), "c");
    EXPECT_EQ(group.displayedCount(), 3);
    EXPECT_EQ(group.parametersForDisplay(-1).size(), 3u);
}

}  // namespace
}  // namespace tarn
