#include "model/parameter.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace tarn {
namespace {

TEST(Parameter, ANewParameterKnowsNothing) {
    const Parameter p("POUt");
    EXPECT_EQ(p.valueText(), "Нет данных");
    EXPECT_TRUE(p.hasNoData());
    EXPECT_EQ(p.caption(), "<неизвестный параметр>");
    EXPECT_EQ(p.valueType(), "неизвестен");
    EXPECT_TRUE(p.statusText().empty());
    EXPECT_TRUE(p.editable());
    EXPECT_FALSE(p.ownerIsFirm());
    EXPECT_TRUE(p.accessible());
    EXPECT_EQ(p.pollingPeriod(), 1000);
    EXPECT_FALSE(p.hasPollingTimer());
    EXPECT_EQ(Parameter().valueType(), "");
}

TEST(Parameter, NoDataKeepsIndexAccessAndAttributeKind) {
    Parameter p("X");
    p.setLinearIndex(5);
    p.setHasLinearIndex(true);
    p.setAccessible(false);
    p.setAttributeKind(1);
    p.setValueText("12");
    p.setStatusText("err");
    p.setEditable(false);
    p.setOwnerIsFirm(true);
    p.setValueChanged(true);
    p.setOwnerChanged(true);
    p.setNoData();
    EXPECT_TRUE(p.hasNoData());
    EXPECT_TRUE(p.statusText().empty());
    EXPECT_TRUE(p.editable());
    EXPECT_FALSE(p.ownerIsFirm());
    EXPECT_FALSE(p.hasAnyChange());
    EXPECT_EQ(p.linearIndex(), 5);
    EXPECT_TRUE(p.hasLinearIndex());
    EXPECT_FALSE(p.accessible());
    EXPECT_EQ(p.attributeKind(), 1);
}

TEST(Parameter, CheckedValuesMarkTheChangeOrChangeNothing) {
    Parameter p("X");
    p.setValueType("float");
    p.setLimits(0, 100);
    EXPECT_TRUE(p.setValueChecked("12.34567"));
    EXPECT_EQ(p.valueText(), "12.346");
    EXPECT_TRUE(p.valueChanged());
    p.clearChanges();
    EXPECT_FALSE(p.setValueChecked("101"));
    EXPECT_EQ(p.valueText(), "12.346");
    EXPECT_FALSE(p.valueChanged());
}

TEST(Parameter, ImagesByKindAndAccess) {
    Parameter e("X");
    e.setValueType("Нет:Да");
    EXPECT_EQ(e.imageIndex(), 27);
    Parameter v("X");
    v.setValueType("CLK_frm");
    EXPECT_EQ(v.imageIndex(), 28);
    v.setAccessible(false);
    EXPECT_EQ(v.imageIndex(), 30);
}

TEST(ParameterRow, NameColumnShowsTheLinearIndexOnlyWhenAsked) {
    Parameter p("POUt");
    p.setValueType("Дискретный:4-20_мА");
    p.setCaption("Тип выхода");
    p.setHasLinearIndex(true);
    p.setLinearIndex(3);
    p.setValueText("4-20 мА");
    EXPECT_EQ(p.displayRow(true).cells[0], "POUt:3");
    const ParameterRow row = p.displayRow(false);
    EXPECT_EQ(row.itemText, "Тип выхода");
    EXPECT_EQ(row.cells[0], "POUt");
    EXPECT_EQ(row.cells[1], "4-20 мА");
    EXPECT_EQ(row.cells[2], "");  // no attributes: kind 0
    EXPECT_EQ(row.editMode, EditMode::List);
    EXPECT_EQ(row.image, 27);
}

TEST(ParameterRow, AttributeColumnsAndEditing) {
    Parameter p("X");
    p.setValueType("int");
    p.setAttributeKind(1);
    p.setEditable(false);
    p.setOwnerIsFirm(true);
    p.setStatusText("Не найден дескриптор");
    ParameterRow row = p.displayRow(false);
    EXPECT_EQ(row.cells[2], "Не редактируемый");
    EXPECT_EQ(row.cells[3], "Фирма");
    EXPECT_EQ(row.cells[4], "Не найден дескриптор");
    EXPECT_EQ(row.editMode, EditMode::Text);
    p.setAccessible(false);
    EXPECT_EQ(p.displayRow(false).editMode, EditMode::None);
    p.setEditable(true);
    p.setOwnerIsFirm(false);
    row = p.displayRow(false);
    EXPECT_EQ(row.cells[2], "Редактируемый");
    EXPECT_EQ(row.cells[3], "Пользователь");
}

TEST(ParameterRow, ColourByStatusThenChanges) {
    Parameter p("X");
    EXPECT_EQ(p.rowColour(), kColourBlack);
    p.setOwnerChanged(true);
    EXPECT_EQ(p.rowColour(), (RowColour{0, 200, 0}));
    p.setStatusText("Таймаут при передаче данных (нет связи)");
    EXPECT_EQ(p.rowColour(), (RowColour{255, 0, 0}));
    p.setStatusText("Знач-е в приборе: '5',Ред-ый,польз.");
    EXPECT_EQ(p.rowColour(), (RowColour{64, 64, 255}));
    p.setStatusText("");
    p.clearChanges();
    p.setValueChanged(true);
    EXPECT_EQ(p.displayRow(false).colour, kColourChanged);
}

TEST(ParameterRow, ScannerRows) {
    Parameter s("r.oe.s");
    s.setCaption("Состояние выходов");
    s.setLinearIndex(4);
    s.setHasLinearIndex(true);
    ASSERT_TRUE(s.createPollingTimer());
    EXPECT_EQ(s.addressOffset(), 4);
    EXPECT_FALSE(s.hasLinearIndex());
    ParameterRow row = s.displayRow(true);
    EXPECT_EQ(row.itemText, "Состояние выходов, r.oe.s:4");
    EXPECT_EQ(row.image, 17);
    EXPECT_EQ(row.cells[0], "");  // no period shown for r.oe.s
    EXPECT_EQ(row.stateImage, 1);
    Parameter t("tEMP");
    t.createPollingTimer();
    t.setPollingPeriod(250);
    EXPECT_EQ(t.startPolling(), 0);
    row = t.displayRow(false);
    EXPECT_EQ(row.cells[0], "250");
    EXPECT_EQ(row.stateImage, 3);
    EXPECT_EQ(row.editMode, EditMode::Text);
}

class RecordingReceiver : public PollResultReceiver {
public:
    void receivePollResult(PollResult result) override { results.push_back(std::move(result)); }
    std::vector<PollResult> results;
};

TEST(Polling, StartAndStopReportRedundantCalls) {
    Parameter p("X");
    EXPECT_EQ(p.startPolling(), 2);  // not a scanner
    p.createPollingTimer();
    EXPECT_EQ(p.stopPolling(), 1);
    EXPECT_FALSE(p.pollingTimer()->armed());
    EXPECT_EQ(p.startPolling(), 0);
    EXPECT_EQ(p.startPolling(), 1);
    EXPECT_TRUE(p.pollingActive());
    EXPECT_TRUE(p.pollingTimer()->armed());
    EXPECT_EQ(p.stopPolling(), 0);
    EXPECT_EQ(p.stopPolling(), 1);
    EXPECT_FALSE(p.pollingTimer()->armed());
}

TEST(Polling, TickDeliversValueOrStatus) {
    Parameter p("X");
    p.setLinearIndex(2);
    p.createPollingTimer();
    RecordingReceiver receiver;
    auto succeed = [](Parameter& q) {
        q.setValueText("17");
        return ExchangeResult::Ok;
    };
    auto fail = [](Parameter& q) {
        q.setStatusText("Таймаут при передаче данных (нет связи)");
        return ExchangeResult::Failed;
    };
    EXPECT_EQ(p.pollTick(succeed, &receiver), 1);  // not active
    p.startPolling();
    EXPECT_EQ(p.pollTick(succeed, &receiver), 0);
    EXPECT_EQ(p.pollTick(fail, &receiver), 0);
    ASSERT_EQ(receiver.results.size(), 2u);
    EXPECT_EQ(receiver.results[0].valueText, "17");
    EXPECT_EQ(receiver.results[0].statusText, "");
    EXPECT_EQ(receiver.results[0].addressOffset, 2);
    EXPECT_EQ(receiver.results[0].parameter, &p);
    EXPECT_LE(receiver.results[0].before, receiver.results[0].after);
    EXPECT_EQ(receiver.results[1].valueText, "");
    EXPECT_EQ(receiver.results[1].statusText, "Таймаут при передаче данных (нет связи)");
    EXPECT_EQ(p.pollTick(succeed, nullptr), 4);
    EXPECT_EQ(p.pollResultsInFlight(), 2);  // the lost one gave its place back
}

TEST(Polling, AtMostNineResultsInFlight) {
    Parameter p("X");
    p.createPollingTimer();
    p.startPolling();
    RecordingReceiver receiver;
    int reads = 0;
    auto read = [&](Parameter&) {
        ++reads;
        return ExchangeResult::Ok;
    };
    for (int i = 0; i < 9; ++i) {
        ASSERT_EQ(p.pollTick(read, &receiver), 0);
    }
    EXPECT_EQ(p.pollTick(read, &receiver), 3);
    EXPECT_EQ(reads, 9);  // a skipped tick does not touch the line
    receiver.results.erase(receiver.results.begin());
    EXPECT_EQ(p.pollTick(read, &receiver), 0);
}

TEST(Polling, LongTextsAreCutAndLateResultsRecogniseADeadParameter) {
    RecordingReceiver receiver;
    {
        Parameter p("X");
        p.createPollingTimer();
        p.startPolling();
        p.pollTick(
            [](Parameter& q) {
                std::string text;
                for (int i = 0; i < 600; ++i) {
                    text += "ж";
                }
                q.setValueText(text);
                return ExchangeResult::Ok;
            },
            &receiver);
        ASSERT_EQ(receiver.results.size(), 1u);
        EXPECT_EQ(receiver.results[0].valueText.size(), 511u * 2);
        EXPECT_TRUE(receiver.results[0].parameterAlive());
    }
    EXPECT_FALSE(receiver.results[0].parameterAlive());
}

TEST(Polling, OutputSlotIsClearedWhenTheParameterGoes) {
    Parameter* slot = nullptr;
    {
        auto p = std::make_unique<Parameter>("POUt");
        slot = p.get();
        p->setOutputSlot(&slot);
    }
    EXPECT_EQ(slot, nullptr);
}

TEST(PollingTimer, FirstExpiryOnePeriodAfterStartThenEveryPeriodWithoutCatchingUp) {
    using namespace std::chrono;
    PollingTimer timer;
    const auto t0 = PollingTimer::Clock::time_point{} + seconds(100);
    EXPECT_FALSE(timer.consumeExpiry(t0));
    timer.arm(milliseconds(100), t0);
    EXPECT_EQ(timer.nextExpiry(), t0 + milliseconds(100));
    EXPECT_FALSE(timer.consumeExpiry(t0 + milliseconds(99)));
    EXPECT_TRUE(timer.consumeExpiry(t0 + milliseconds(100)));
    EXPECT_EQ(timer.nextExpiry(), t0 + milliseconds(200));
    // Served 350 ms late: one expiry, then back on the period grid.
    EXPECT_TRUE(timer.consumeExpiry(t0 + milliseconds(550)));
    EXPECT_EQ(timer.nextExpiry(), t0 + milliseconds(600));
    EXPECT_FALSE(timer.consumeExpiry(t0 + milliseconds(599)));
    timer.cancel();
    EXPECT_FALSE(timer.nextExpiry());
}

class CountingObserver : public PollingTimer::Observer {
public:
    void pollingTimerChanged() override { ++changes; }
    int changes = 0;
};

TEST(PollingTimer, ObserverHearsArmAndCancel) {
    PollingTimer timer;
    CountingObserver observer;
    timer.setObserver(&observer);
    timer.arm(std::chrono::milliseconds(10));
    timer.cancel();
    EXPECT_EQ(observer.changes, 2);
    timer.setObserver(nullptr);
    timer.arm(std::chrono::milliseconds(10));
    EXPECT_EQ(observer.changes, 2);
}

}  // namespace
}  // namespace tarn
