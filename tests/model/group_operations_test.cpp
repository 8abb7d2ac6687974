#include <gtest/gtest.h>

#include "model/desc_branch.h"
#include "model/invisible_element.h"
#include "recording_exchanger.h"
#include "support/recording_interaction.h"
#include "tree_builders.h"

namespace tarn {
namespace {

using testing::makeTemplate;
using testing::RecordingExchanger;
using testing::RecordingInteraction;
using Log = std::vector<std::string>;

Parameter& add(ObjectWithParameters& group, const std::string& name,
               const std::string& value = "1") {
    auto p = std::make_unique<Parameter>(name);
    p->setValueType("int");
    p->setCaption("Подпись " + name);
    p->setValueText(value);
    return group.addParameter(std::move(p));
}

// A branch "Ветвь" with parameters a, b and a child "Дочь" with c.
std::unique_ptr<DescBranch> smallTree() {
    auto branch = std::make_unique<DescBranch>("Ветвь", 1, 1, 0, 0);
    add(*branch, "a");
    add(*branch, "b");
    auto child = std::make_unique<DescBranch>("Дочь", 1, 1, 0, 0);
    add(*child, "c");
    branch->addChild(std::move(child));
    return branch;
}

TEST(GroupValues, SettingByNameMarksOnlyRealChanges) {
    InvisibleElement group;
    Parameter& mode = add(group, "Mode", "Авто");
    add(group, "mode", "второй");
    EXPECT_EQ(group.find("MODE"), &mode);
    EXPECT_EQ(group.valueByName("Addr"), "");
    EXPECT_EQ(group.setValueByName("mode", "АВТО", true), kValueSet);
    EXPECT_EQ(mode.valueText(), "АВТО");
    EXPECT_EQ(group.hasChanges(), 0);
    EXPECT_EQ(group.setValueByName("Mode", "Ручной", false), kValueSet);
    EXPECT_EQ(group.hasChanges(), 0);
    EXPECT_EQ(group.setValueByName("MODE", "Авто", true), kValueSet);
    EXPECT_TRUE(mode.valueChanged());
    EXPECT_EQ(group.hasChanges(), 2);
    group.clearChanges();
    EXPECT_EQ(group.hasChanges(), 0);
    EXPECT_EQ(group.setValueByName("Nope", "1", true), kNameNotFound);
    // The pseudo-name renames the element.
    EXPECT_EQ(group.setValueByName("название", "Насос", true), kElementRenamed);
    EXPECT_EQ(group.name(), "Насос");
}

TEST(GroupValues, NoDataReachesEveryBranchBelow) {
    auto tree = smallTree();
    Parameter& c = *tree->children()[0]->parameters()[0];
    c.setValueChanged(true);
    c.setStatusText("Таймаут");
    tree->setNoData();
    EXPECT_TRUE(tree->parameters()[1]->hasNoData());
    EXPECT_TRUE(c.hasNoData());
    EXPECT_FALSE(c.hasAnyChange());
    EXPECT_TRUE(c.statusText().empty());
}

TEST(LinearIndex, CommonIndexIsTakenOnceThenChecked) {
    RecordingInteraction ui;
    InvisibleElement empty;
    EXPECT_EQ(empty.commonLinearIndex(ui), -1);

    InvisibleElement group;
    add(group, "plain");
    Parameter& first = add(group, "first");
    first.setHasLinearIndex(true);
    first.setLinearIndex(3);
    Parameter& odd = add(group, "odd");
    odd.setHasLinearIndex(true);
    odd.setLinearIndex(4);
    EXPECT_EQ(group.commonLinearIndex(ui), 3);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(group.commonLinearIndex(ui), 3);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text,
              "Параметер 'odd' (Подпись odd) имеет подозрительный линейный индекс.");
    EXPECT_EQ(ui.messages[0].caption, "Предупреждение");
    EXPECT_EQ(ui.messages[0].icon, MessageIcon::Exclamation);

    // Setting the index reaches the indexed parameters only.
    group.setLinearIndex(12);
    EXPECT_EQ(odd.linearIndex(), 12);
    EXPECT_EQ(group.find("plain")->linearIndex(), 0);
    EXPECT_EQ(group.commonLinearIndex(ui), 12);
    EXPECT_EQ(ui.messages.size(), 1u);
}

TEST(GroupExchange, ReadVisitsOwnParametersThenChildren) {
    auto tree = smallTree();
    RecordingExchanger engine;
    engine.results["b"] = ExchangeResult::Undecodable;
    EXPECT_EQ(tree->readAll(engine), (ExchangeCounts{3, 1}));
    EXPECT_EQ(engine.log, (Log{"| Читаем ветвь 'Ветвь'", "read a", "read b",
                               "| Читаем ветвь 'Дочь'", "read c"}));
}

TEST(GroupExchange, AStopBeforeTheStartDoesNothing) {
    auto tree = smallTree();
    RecordingExchanger engine;
    engine.stop = true;
    EXPECT_EQ(tree->readAll(engine), (ExchangeCounts{0, 0}));
    EXPECT_EQ(tree->compareAll(engine), (ExchangeCounts{0, 0}));
    EXPECT_EQ(tree->writeAll(engine, kWriteAll), (ExchangeCounts{0, 0}));
    ObjectWithParameters plain;
    add(plain, "a");
    EXPECT_EQ(plain.readAll(engine), (ExchangeCounts{0, 0}));
    EXPECT_TRUE(engine.log.empty());
}

TEST(GroupExchange, CompareAndWriteStopAfterTheParameterThatSawTheStop) {
    auto tree = smallTree();
    RecordingExchanger compare;
    compare.stopAfter = 1;
    compare.results["a"] = OperationSkip::Interrupted;
    EXPECT_EQ(tree->compareAll(compare), (ExchangeCounts{1, 1}));
    EXPECT_EQ(compare.log, (Log{"| Сравниваем ветвь 'Ветвь'", "compare a"}));

    RecordingExchanger write;
    write.stopAfter = 2;
    EXPECT_EQ(tree->writeAll(write, kWriteAll), (ExchangeCounts{2, 0}));
    EXPECT_EQ(write.log, (Log{"| Пишем ветвь 'Ветвь'", "write1 a", "write1 b"}));
}

TEST(GroupExchange, ReadStopsAfterTheParameterInHand) {
    auto tree = smallTree();
    add(*tree, "d");
    RecordingExchanger engine;
    engine.stopAfter = 1;  // raised during the first, successful read
    EXPECT_EQ(tree->readAll(engine), (ExchangeCounts{1, 0}));
    EXPECT_EQ(engine.log, (Log{"| Читаем ветвь 'Ветвь'", "read a"}));

    RecordingExchanger failing;
    failing.stopAfter = 2;
    failing.results["b"] = ExchangeResult::Failed;
    EXPECT_EQ(tree->readAll(failing), (ExchangeCounts{2, 1}));
}

TEST(GroupExchange, WriteModesSelectTheirParameters) {
    auto tree = std::make_unique<DescBranch>("Ветвь", 1, 1, 0, 0);
    add(*tree, "changed").setValueChanged(true);
    add(*tree, "attr").setOwnerChanged(true);
    add(*tree, "initial").setInitialValue("5");
    add(*tree, "plain");
    Parameter& locked = add(*tree, "locked");
    locked.setAccessible(false);
    locked.setValueChanged(true);
    locked.setInitialValue("1");
    auto child = std::make_unique<DescBranch>("Тихая", 1, 1, 0, 0);
    add(*child, "quiet");
    tree->addChild(std::move(child));

    RecordingExchanger changed;
    EXPECT_EQ(tree->writeAll(changed, kWriteChanged), (ExchangeCounts{2, 0}));
    EXPECT_EQ(changed.log, (Log{"| Пишем ветвь 'Ветвь'", "write0 changed", "write0 attr"}));

    RecordingExchanger initial;
    initial.results["initial"] = OperationSkip::NoData;
    EXPECT_EQ(tree->writeAll(initial, kWriteInitialValues), (ExchangeCounts{1, 1}));
    EXPECT_EQ(initial.log, (Log{"| Пишем ветвь 'Ветвь'", "write-1 initial"}));

    RecordingExchanger all;
    EXPECT_EQ(tree->writeAll(all, kWriteAll), (ExchangeCounts{5, 0}));
    EXPECT_EQ(all.log,
              (Log{"| Пишем ветвь 'Ветвь'", "write1 changed", "write1 attr", "write1 initial",
                   "write1 plain", "| Пишем ветвь 'Тихая'", "write1 quiet"}));

    // Progress totals count the inaccessible parameter too.
    EXPECT_EQ(tree->countToWrite(kWriteChanged), 3);
    EXPECT_EQ(tree->countToWrite(kWriteInitialValues), 2);
    EXPECT_EQ(tree->countToWrite(kWriteAll), 6);
}

TEST(GroupExchange, ABranchWithNothingToWriteStaysSilent) {
    auto tree = smallTree();
    RecordingExchanger engine;
    EXPECT_EQ(tree->writeAll(engine, kWriteChanged), (ExchangeCounts{0, 0}));
    EXPECT_EQ(tree->writeAll(engine, kWriteInitialValues), (ExchangeCounts{0, 0}));
    EXPECT_TRUE(engine.log.empty());
    // An inaccessible change does not qualify either.
    tree->parameters()[0]->setAccessible(false);
    tree->parameters()[0]->setValueChanged(true);
    EXPECT_EQ(tree->writeAll(engine, kWriteChanged), (ExchangeCounts{0, 0}));
    EXPECT_TRUE(engine.log.empty());
}

TEST(Polling, ScannersAreTheIndexedParametersOfTheTree) {
    RecordingInteraction ui;
    InstantiationContext context(ui);
    DescBranch scanners("Опрос", 1, 1, 0, 0);
    scanners.addParameterTemplate(makeTemplate("top"));
    auto sensors = testing::makeInstances("Датчик", 2, {makeTemplate("T"), makeTemplate("r.oe.s")});
    for (const auto& s : sensors) {
        scanners.addChild(s->clone());
    }
    auto empty = std::make_unique<DescBranch>("Пусто", 1, 1, 0, 0);
    scanners.instantiate(context, false, 0);
    EXPECT_EQ(scanners.pollingState(), -1);
    scanners.createPollingTimers();

    std::vector<Parameter*> polled;
    EXPECT_EQ(scanners.collectPolledParameters(polled), 4);
    ASSERT_EQ(polled.size(), 4u);
    EXPECT_FALSE(scanners.parameters()[0]->hasPollingTimer());
    EXPECT_EQ(polled[0], scanners.children()[0]->parameters()[0].get());
    EXPECT_EQ(polled[3], scanners.children()[1]->parameters()[1].get());
    // The linear index now travels as the address offset.
    EXPECT_EQ(polled[2]->addressOffset(), 1);
    EXPECT_FALSE(polled[2]->hasLinearIndex());

    EXPECT_EQ(scanners.pollingState(), 0);
    EXPECT_EQ(polled[3]->startPolling(), 0);
    EXPECT_EQ(scanners.pollingState(), 1);
    EXPECT_EQ(scanners.children()[0]->pollingState(), 0);
    polled[3]->stopPolling();
    // With children the last child decides; an empty last child says -1.
    scanners.addChild(std::move(empty));
    EXPECT_EQ(scanners.pollingState(), -1);
    polled[0]->startPolling();
    EXPECT_EQ(scanners.pollingState(), 1);
    polled[0]->stopPolling();
}

}  // namespace
}  // namespace tarn
