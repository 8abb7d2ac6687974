#include <gtest/gtest.h>

#include "model/desc_branch.h"
#include "support/recording_interaction.h"
#include "tree_builders.h"

namespace tarn {
namespace {

using testing::makeInstances;
using testing::makeRoot;
using testing::makeTemplate;
using testing::RecordingInteraction;

std::vector<std::int32_t> indicesOf(const DescBranch& branch) {
    std::vector<std::int32_t> result;
    for (const auto& p : branch.parameters()) {
        EXPECT_TRUE(p->hasLinearIndex()) << p->networkName();
        result.push_back(p->linearIndex());
    }
    return result;
}

TEST(Instantiate, EightOutputsAreNumberedAndRegistered) {
    RecordingInteraction ui;
    InstantiationContext context(ui);
    auto outputs = makeInstances(
        "Выход#", 8, {makeTemplate("POUt", "Дискретный:Аналоговый"), makeTemplate("nPCP")});
    auto root = makeRoot(outputs);
    EXPECT_EQ(root->instantiate(context, false, 0), 8);
    ASSERT_EQ(root->children().size(), 8u);
    for (int i = 0; i < 8; ++i) {
        const DescBranch& out = *root->children()[static_cast<std::size_t>(i)];
        EXPECT_EQ(out.name(), "Выход №" + std::to_string(i + 1));
        EXPECT_EQ(indicesOf(out), (std::vector<std::int32_t>{i, i}));
        Parameter* pout = out.parameters()[0].get();
        EXPECT_EQ(context.outputs[static_cast<std::size_t>(i)], pout);
        EXPECT_EQ(pout->outputSlot(), &context.outputs[static_cast<std::size_t>(i)]);
    }
    EXPECT_TRUE(root->parameters().empty());
    // The table forgets the parameters with the tree.
    root.reset();
    for (Parameter* slot : context.outputs) {
        EXPECT_EQ(slot, nullptr);
    }
    EXPECT_TRUE(ui.messages.empty());
}

TEST(Instantiate, NestedRepeatsNumberInMixedRadix) {
    RecordingInteraction ui;
    InstantiationContext context(ui);
    auto inner = makeInstances("Шаг", 4, {makeTemplate("Q")});
    std::vector<const DescBranch*> innerPointers;
    for (const auto& b : inner) {
        innerPointers.push_back(b.get());
    }
    // A last child of a smaller span: the largest span counts.
    auto tail = makeInstances("Хвост", 1, {makeTemplate("T")});
    innerPointers.push_back(tail[0].get());
    auto outer = makeInstances("Блок", 2, {makeTemplate("P")}, innerPointers);
    auto root = makeRoot(outer);
    EXPECT_EQ(root->instantiate(context, false, 0), 8);
    for (int j = 0; j < 2; ++j) {
        const DescBranch& block = *root->children()[static_cast<std::size_t>(j)];
        EXPECT_EQ(block.name(), "Блок №" + std::to_string(j + 1));
        // Own parameters are spaced by the span of the largest child.
        EXPECT_EQ(indicesOf(block), (std::vector<std::int32_t>{4 * j}));
        ASSERT_EQ(block.children().size(), 5u);
        EXPECT_EQ(indicesOf(*block.children()[4]), (std::vector<std::int32_t>{j}));
        for (int i = 0; i < 4; ++i) {
            const DescBranch& step = *block.children()[static_cast<std::size_t>(i)];
            EXPECT_EQ(step.name(), "Шаг №" + std::to_string(i + 1));
            EXPECT_EQ(indicesOf(step), (std::vector<std::int32_t>{4 * j + i}));
        }
    }
}

TEST(Instantiate, SingleInstancesBelowARepeatAreIndexedButTopLevelOnesAreNot) {
    RecordingInteraction ui;
    InstantiationContext context(ui);
    auto leaf = makeInstances("Лист", 1, {makeTemplate("L")});
    auto top = makeInstances("Верх", 1, {makeTemplate("T")}, {leaf[0].get()});
    auto repeated = makeInstances("Повтор", 3, {}, {leaf[0].get()});
    auto root = makeRoot(top);
    for (const auto& r : repeated) {
        root->addChild(r->clone());
    }
    root->addParameterTemplate(makeTemplate("R"));
    root->instantiate(context, false, 0);
    EXPECT_FALSE(root->parameters()[0]->hasLinearIndex());
    const DescBranch& topBranch = *root->children()[0];
    EXPECT_EQ(topBranch.name(), "Верх");
    EXPECT_FALSE(topBranch.parameters()[0]->hasLinearIndex());
    EXPECT_FALSE(topBranch.children()[0]->parameters()[0]->hasLinearIndex());
    for (int k = 0; k < 3; ++k) {
        const DescBranch& rep = *root->children()[static_cast<std::size_t>(k + 1)];
        EXPECT_EQ(indicesOf(*rep.children()[0]), (std::vector<std::int32_t>{k}));
    }
}

TEST(Instantiate, OffsetSuffixShiftsIndicesAndNumbersExceptForK20) {
    RecordingInteraction ui;
    InstantiationContext context(ui);
    auto inputs = makeInstances("Вход+8", 8, {makeTemplate("In")});
    auto k20 = makeInstances("K20+8", 8, {makeTemplate("Kx")});
    auto root = makeRoot(inputs);
    for (const auto& b : k20) {
        root->addChild(b->clone());
    }
    root->instantiate(context, false, 0);
    for (int i = 0; i < 8; ++i) {
        const DescBranch& in = *root->children()[static_cast<std::size_t>(i)];
        EXPECT_EQ(in.number(), 9 + i);
        EXPECT_EQ(in.name(), "Вход №" + std::to_string(9 + i));
        EXPECT_EQ(indicesOf(in), (std::vector<std::int32_t>{8 + i}));
        const DescBranch& k = *root->children()[static_cast<std::size_t>(8 + i)];
        EXPECT_EQ(k.number(), 1 + i);
        EXPECT_EQ(k.name(), "K20 №" + std::to_string(1 + i));
        EXPECT_EQ(indicesOf(k), (std::vector<std::int32_t>{8 + i}));
    }
}

TEST(Instantiate, FactorSuffixComesBeforeTheOffset) {
    RecordingInteraction ui;
    InstantiationContext context(ui);
    auto branches = makeInstances("Зона_#_A+1*2", 3, {makeTemplate("Z")});
    auto root = makeRoot(branches);
    root->instantiate(context, false, 0);
    for (int i = 0; i < 3; ++i) {
        const DescBranch& zone = *root->children()[static_cast<std::size_t>(i)];
        EXPECT_EQ(indicesOf(zone), (std::vector<std::int32_t>{2 * i + 1}));
        EXPECT_EQ(zone.name(), "Зона  №" + std::to_string(i + 2) + " A");
    }
}

TEST(Instantiate, ExtraElementStatesCountOnFromNine) {
    RecordingInteraction ui;
    InstantiationContext context(ui);
    auto states =
        makeInstances("Состояние_дополнительного_ВЭ", 2, {makeTemplate("S1"), makeTemplate("S2")});
    auto single = makeInstances("Состояние_дополнительного_ВЭ", 1, {makeTemplate("S1")});
    auto root = makeRoot(states);
    root->addChild(single[0]->clone());
    root->instantiate(context, false, 0);
    EXPECT_EQ(root->children()[0]->name(), "Состояние дополнительного ВЭ №9");
    EXPECT_EQ(root->children()[1]->name(), "Состояние дополнительного ВЭ №10");
    // The indices follow the instance, not the shown number.
    EXPECT_EQ(indicesOf(*root->children()[1]), (std::vector<std::int32_t>{1, 1}));
    // Not repeated: no number at all.
    EXPECT_EQ(root->children()[2]->name(), "Состояние дополнительного ВЭ");
}

TEST(Instantiate, TemplatesBecomeParameters) {
    RecordingInteraction ui;
    InstantiationContext context(ui);
    DescBranch branch("Настройки", 1, 1, 0, 0);
    auto hidden = makeTemplate("!A.Len", "8:11", "Длина_адреса");
    hidden.lowerLimit = -1.5;
    hidden.upperLimit = 7.25;
    hidden.initialValue = "два слова";
    hidden.tableMode = 2;
    hidden.attributeFlag = false;
    branch.addParameterTemplate(hidden);
    branch.addParameterTemplate(makeTemplate("V1", "int:1"));
    branch.addParameterTemplate(makeTemplate("V2", "CLK_frm:2"));
    branch.addParameterTemplate(makeTemplate("V3", "FLOAT:3:x"));
    branch.addParameterTemplate(makeTemplate("E", "int:0:1"));
    branch.addParameterTemplate(makeTemplate("F", "int:4"));
    EXPECT_EQ(branch.instantiate(context, false, 0), 1);
    const auto& ps = branch.parameters();
    ASSERT_EQ(ps.size(), 6u);
    const Parameter& len = *ps[0];
    EXPECT_EQ(len.networkName(), "A.Len");
    EXPECT_FALSE(len.accessible());
    EXPECT_EQ(len.caption(), "Длина адреса");
    EXPECT_EQ(len.valueType(), "8:11");
    EXPECT_EQ(len.lowerLimit(), -1.5);
    EXPECT_EQ(len.upperLimit(), 7.25);
    EXPECT_EQ(len.initialValue(), "два слова");
    EXPECT_EQ(len.tableMode(), 2);
    EXPECT_EQ(len.attributeKind(), 0);
    EXPECT_EQ(ps[1]->attributeKind(), 1);
    EXPECT_TRUE(ps[1]->accessible());
    EXPECT_EQ(ps[1]->valueType(), "int");
    EXPECT_EQ(ps[1]->typeVariant(), 1);
    EXPECT_EQ(ps[2]->valueType(), "CLK_frm");
    EXPECT_EQ(ps[2]->typeVariant(), 2);
    EXPECT_EQ(ps[3]->valueType(), "FLOAT");
    EXPECT_EQ(ps[3]->typeVariant(), 3);
    EXPECT_EQ(ps[4]->valueType(), "int:0:1");
    EXPECT_EQ(ps[4]->typeVariant(), 0);
    EXPECT_EQ(ps[5]->valueType(), "int:4");
    EXPECT_EQ(ps[5]->typeVariant(), 0);
}

TEST(DescBranchCopy, CopiesAreDeepAndFollowAMarkedBranch) {
    auto inner = makeInstances("Внутри", 2, {makeTemplate("I")});
    DescBranch outer("Снаружи", 3, 2, 7, 8);
    outer.addParameterTemplate(makeTemplate("O"));
    outer.addChild(inner[0]->clone());
    outer.addChild(inner[1]->clone());
    const DescBranch* marked = outer.children()[1].get();

    DescBranch* followed = nullptr;
    auto copy = outer.clone(marked, &followed);
    EXPECT_EQ(copy->name(), "Снаружи");
    EXPECT_EQ(copy->count(), 3);
    EXPECT_EQ(copy->number(), 2);
    EXPECT_EQ(copy->image(), 7);
    EXPECT_EQ(copy->selectedImage(), 8);
    EXPECT_EQ(copy->parameterTemplates(), outer.parameterTemplates());
    EXPECT_EQ(copy->memberOrder(), outer.memberOrder());
    ASSERT_EQ(copy->children().size(), 2u);
    EXPECT_EQ(followed, copy->children()[1].get());
    EXPECT_TRUE(copy->contains(followed));
    EXPECT_FALSE(outer.contains(followed));
    EXPECT_TRUE(outer.contains(marked));

    RecordingInteraction ui;
    InstantiationContext context(ui);
    copy->instantiate(context, false, 0);
    EXPECT_EQ(copy->parameterCount(), 1u);
    EXPECT_EQ(copy->children()[0]->parameterCount(), 1u);
    EXPECT_EQ(outer.parameterCount(), 0u);
    EXPECT_EQ(outer.children()[0]->parameterCount(), 0u);
    EXPECT_EQ(outer.name(), "Снаружи");
    EXPECT_EQ(outer.children()[0]->name(), "Внутри");

    DescBranch* none = nullptr;
    outer.clone(nullptr, &none);
    EXPECT_EQ(none, nullptr);
}

}  // namespace
}  // namespace tarn
