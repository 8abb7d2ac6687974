// The trend plot: values chosen in the tree and polled from the simulated
// module, gaps for failed polls, enumerations against their items, and the
// plot's window, pause, range, export and drawing cadence.
#include <gtest/gtest.h>

#include <QCategoryAxis>
#include <QChart>
#include <QFile>
#include <QImage>
#include <QLineSeries>
#include <QListWidget>
#include <QScatterSeries>
#include <QSignalSpy>
#include <QValueAxis>
#include <cmath>
#include <mutex>

#include "platform/numbers.h"
#include "tree_view_fixture.h"
#include "ui/trend_plot_view.h"

namespace tarn::testing {
namespace {

// The value samples of a series, in order, and how many polls failed.
std::vector<float> valuesOf(const TrendSeries& series) {
    std::vector<float> values;
    for (std::size_t i = 0; i < series.size(); ++i) {
        if (series.at(i).isValue()) {
            values.push_back(series.at(i).value);
        }
    }
    return values;
}

int failuresOf(const TrendSeries& series) {
    int count = 0;
    for (std::size_t i = 0; i < series.size(); ++i) {
        count += series.at(i).note == TrendNote::Failed ? 1 : 0;
    }
    return count;
}

class TrendPlotLive : public TreeViewTest {
protected:
    void SetUp() override {
        TreeViewTest::SetUp();
        plot = new TrendPlotView(ui, &window);
        window.layout()->addWidget(plot);
        view->setTrendPlot(plot);
        // Output 1's signal counts up by a quarter with every read; the
        // texts the module produced are kept.
        module.setLive("r.Ao", [this](double, int index) {
            std::lock_guard lock(producedMutex_);
            if (index != 0) {
                return std::string("0.000");
            }
            produced_.push_back(
                numbers::fixed(0.25 * static_cast<double>(produced_.size() + 1), 3));
            return produced_.back();
        });
    }

    std::vector<float> produced() {
        std::lock_guard lock(producedMutex_);
        std::vector<float> values;
        for (const auto& text : produced_) {
            values.push_back(static_cast<float>(*numbers::wholeReal(text)));
        }
        return values;
    }

    const TrendSeries& seriesOf(const Parameter& p) {
        for (std::size_t i = 0; i < plot->trends().size(); ++i) {
            if (plot->trends().line(i).parameter == &p) {
                return plot->trends().line(i).series;
            }
        }
        ADD_FAILURE() << "not on the plot";
        static const TrendSeries none;
        return none;
    }

    TrendPlotView* plot = nullptr;

private:
    std::mutex producedMutex_;
    std::vector<std::string> produced_;
};

TEST_F(TrendPlotLive, APlottedValueGetsWhatTheModuleProducedAndGapsForFailedPolls) {
    show();
    std::vector<Parameter*> scanners;
    document->scanners()->collectPolledParameters(scanners);
    engine.setPollResultReceiver(view);
    ASSERT_TRUE(engine.StartThreads(scanners));
    Parameter& signal = parameter("r.Ao", 0);
    signal.setPollingPeriod(100);
    ASSERT_FALSE(signal.pollingActive());

    // The polled value's menu puts it on the plot and starts its polling.
    QSignalSpy shown(plot, &TrendPlotView::shownRequested);
    const QModelIndex row = cell(signal, ParameterTreeModel::kCaption);
    QMenu* menu = view->contextMenuFor(row);
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->actions().size(), 1);
    QAction* entry = menu->actions().front();
    EXPECT_EQ(entry->text(), "Показать на графике");
    EXPECT_FALSE(entry->isChecked());
    entry->trigger();
    ASSERT_TRUE(plot->contains(&signal));
    EXPECT_TRUE(signal.pollingActive());
    EXPECT_EQ(shown.count(), 1);
    EXPECT_EQ(plot->trends().line(0).name, "Опрос №1: Сигнал");
    const TrendSeries& series = seriesOf(signal);
    ASSERT_TRUE(waitUntil([&] { return valuesOf(series).size() >= 5; }));

    // The module answers with an error for a while, then values again.
    module.setFaults({.errorCode = 3});
    ASSERT_TRUE(waitUntil([&] { return failuresOf(series) >= 3; }));
    const std::string shownStatus = text(signal, ParameterTreeModel::kStatus).toStdString();
    const std::size_t before = valuesOf(series).size();
    module.setFaults({});
    ASSERT_TRUE(waitUntil([&] { return valuesOf(series).size() >= before + 3; }));
    signal.stopPolling();
    QTest::qWait(300);
    ASSERT_TRUE(waitUntil([&] { return signal.pollResultsInFlight() == 0; }));
    QApplication::processEvents();

    // Every value the module produced, in its order, and nothing else.
    EXPECT_EQ(valuesOf(series), produced());
    // The failures carry the status text the row showed, and the line
    // breaks and is marked there.
    bool failureSeen = false;
    for (std::size_t i = 0; i < series.size(); ++i) {
        if (series.at(i).note == TrendNote::Failed) {
            EXPECT_EQ(series.statusText(series.at(i)), shownStatus);
            failureSeen = true;
        }
    }
    EXPECT_TRUE(failureSeen);
    EXPECT_FALSE(shownStatus.empty());
    plot->redraw();
    const auto points = plot->lineOf(&signal)->points();
    EXPECT_TRUE(std::any_of(points.begin(), points.end(),
                            [](const QPointF& p) { return std::isnan(p.y()); }));
    EXPECT_GE(plot->failureMarks()->count(), 1);

    // On the plot, the entry is ticked and takes the value off again.
    menu = view->contextMenuFor(row);
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(menu->actions().front()->isChecked());
    menu->actions().front()->trigger();
    EXPECT_FALSE(plot->contains(&signal));
    EXPECT_EQ(plot->lineOf(&signal), nullptr);
}

TEST_F(TrendPlotLive, APolledBranchPutsAllItsValuesOnThePlotAndANewTreeEmptiesIt) {
    show();
    const QModelIndex scannersRow = model().indexOfGroup(document->scanners());
    ASSERT_TRUE(scannersRow.isValid());
    QMenu* menu = view->contextMenuFor(scannersRow);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->actions().front()->text(), "Показать на графике");
    menu->actions().front()->trigger();
    std::vector<Parameter*> scanners;
    document->scanners()->collectPolledParameters(scanners);
    EXPECT_EQ(plot->trends().size(), scanners.size());
    for (Parameter* scanner : scanners) {
        EXPECT_TRUE(scanner->pollingActive());
        scanner->stopPolling();
    }
    // Without a plot, a polled row offers no menu, as before.
    view->setTrendPlot(nullptr);
    EXPECT_EQ(view->contextMenuFor(cell(*scanners.front(), 0)), nullptr);
    view->setTrendPlot(plot);

    view->showDocument(nullptr, {});
    EXPECT_TRUE(plot->trends().empty());
}

// A scanner polled by hand (no line): each tick reads the next text.
class HandPolled : public PollResultReceiver {
public:
    HandPolled(TrendPlotView& plot, const std::string& type) : plot_(plot), parameter("r.St") {
        parameter.setValueType(type);
        parameter.setHasLinearIndex(true);
        parameter.createPollingTimer();
        parameter.setPollingPeriod(100);
        parameter.startPolling();
    }
    ~HandPolled() override { parameter.stopPolling(); }

    // One poll that gives `value`, or fails with `status`.
    void poll(const std::string& value, const std::string& status = {}) {
        parameter.pollTick(
            [&](Parameter& p) {
                p.setValueText(value);
                p.setStatusText(status);
                return status.empty() ? ExchangeResult::Ok : ExchangeResult::Failed;
            },
            this);
    }
    void receivePollResult(PollResult result) override { plot_.receivePollResult(result); }

private:
    TrendPlotView& plot_;

public:
    Parameter parameter;
};

TEST(TrendPlotView, EnumerationsPlotTheIndexOfTheirItemAgainstTheItems) {
    RecordingInteraction ui;
    TrendPlotView plot(ui);
    plot.resize(900, 500);
    ASSERT_TRUE(showAndActivate(plot));
    HandPolled state(plot, "Стоп:Пуск:Авария");
    ASSERT_TRUE(plot.addParameter(state.parameter, "Состояние"));
    for (const char* value : {"Пуск", "Авария", "Нет данных", "Стоп"}) {
        state.poll(value);
        // Apart by more than a pixel of the minute shown, so that each is drawn.
        QTest::qWait(120);
    }
    plot.setTimeWindow(TrendPlotView::TimeWindow::Minute);
    plot.redraw();

    QList<qreal> drawn;
    for (const QPointF& point : plot.lineOf(&state.parameter)->points()) {
        drawn.push_back(point.y());
    }
    ASSERT_EQ(drawn.size(), 4);
    EXPECT_EQ(drawn[0], 1);
    EXPECT_EQ(drawn[1], 2);
    EXPECT_TRUE(std::isnan(drawn[2]));
    EXPECT_EQ(drawn[3], 0);
    EXPECT_EQ(plot.noDataMarks()->count(), 1);

    // The line is drawn against the axis of the items.
    const auto axes = plot.lineOf(&state.parameter)->attachedAxes();
    const auto items = std::find_if(axes.begin(), axes.end(), [](QAbstractAxis* axis) {
        return qobject_cast<QCategoryAxis*>(axis) != nullptr;
    });
    ASSERT_NE(items, axes.end());
    auto* axis = qobject_cast<QCategoryAxis*>(*items);
    EXPECT_TRUE(axis->isVisible());
    EXPECT_EQ(axis->categoriesLabels(), (QStringList{"Стоп", "Пуск", "Авария"}));
    EXPECT_EQ(axis->endValue("Авария"), 2);

    // A parameter whose value does not plot is refused.
    Parameter name("nAmE");
    name.setValueType("string");
    EXPECT_FALSE(TrendPlotView::plottable(name));
    EXPECT_FALSE(plot.addParameter(name, "Имя"));
}

TEST(TrendPlotView, WindowPauseRangeAndExports) {
    RecordingInteraction ui;
    TrendPlotView plot(ui);
    plot.resize(900, 500);
    HandPolled signal(plot, "float");
    ASSERT_TRUE(plot.addParameter(signal.parameter, "Сигнал"));
    std::int64_t now = trendTimeMs(std::chrono::system_clock::now());
    plot.setClock([&now] { return now; });
    for (int i = 0; i < 20; ++i) {
        signal.poll(numbers::fixed(10 + i % 11, 3));
    }
    signal.poll("", "Таймаут при передаче данных (нет связи)");

    plot.setTimeWindow(TrendPlotView::TimeWindow::Minute);
    auto [from, to] = plot.shownRange();
    EXPECT_EQ(to - from, 60'000);
    EXPECT_GE(to, now);
    plot.redraw();
    // Automatic: the values shown, with a margin, on round limits.
    const auto [low, high] = plot.valueRange();
    EXPECT_LT(low, 10);
    EXPECT_GE(low, 5);
    EXPECT_GT(high, 20);
    EXPECT_LE(high, 25);
    EXPECT_EQ(plot.failureMarks()->count(), 1);
    EXPECT_EQ(plot.failureMarks()->at(0).y(), plot.valueRange().first);
    plot.setFixedRange(-5, 5);
    EXPECT_EQ(plot.valueRange(), std::make_pair(-5.0, 5.0));
    plot.setAutoRange(true);
    EXPECT_EQ(plot.valueRange(), std::make_pair(low, high));

    // Paused, the plot stands still however the time and the data move.
    plot.setPaused(true);
    const auto frozen = plot.shownRange();
    now += 30'000;
    signal.poll("99.000");
    EXPECT_EQ(plot.shownRange(), frozen);
    plot.setPaused(false);
    EXPECT_GE(plot.shownRange().second, now);

    // "Всё" starts at the first sample (and shows a minute at least).
    plot.setTimeWindow(TrendPlotView::TimeWindow::All);
    EXPECT_EQ(plot.shownRange().second - plot.shownRange().first, 60'000);
    now += 100'000;
    EXPECT_EQ(plot.shownRange().first, plot.trends().firstTime());

    // The shown samples as CSV, one line each after the header; the picture.
    TemporaryFolder folder;
    const QString csv = QString::fromStdString((folder.path() / "trend.csv").string());
    ASSERT_TRUE(plot.exportCsv(csv));
    QFile file(csv);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    ASSERT_EQ(lines.size(), 1 + 22 + 1);  // the header, the samples, after the last line end
    EXPECT_EQ(lines[0], "Время,Параметр,Значение,Текст\r");
    EXPECT_TRUE(lines[21].endsWith(",Сигнал,,Таймаут при передаче данных (нет связи)\r"));
    EXPECT_TRUE(lines[22].endsWith(",Сигнал,99,\r"));
    const QString png = QString::fromStdString((folder.path() / "trend.png").string());
    ASSERT_TRUE(plot.exportPng(png));
    EXPECT_FALSE(QImage(png).isNull());

    // A file that cannot be written is reported.
    EXPECT_FALSE(plot.exportCsv(QString::fromStdString((folder.path() / "no/such.csv").string())));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].caption, "Графики");
    EXPECT_EQ(ui.messages[0].icon, MessageIcon::Error);
}

TEST(TrendPlotView, TheListOfLinesHidesLinesAndKeepsTheirColours) {
    RecordingInteraction ui;
    TrendPlotView plot(ui);
    plot.resize(900, 500);
    HandPolled signal(plot, "float");
    HandPolled position(plot, "int");
    HandPolled counter(plot, "int");
    ASSERT_TRUE(plot.addParameter(signal.parameter, "Сигнал"));
    ASSERT_TRUE(plot.addParameter(position.parameter, "Положение"));
    ASSERT_TRUE(plot.addParameter(counter.parameter, "Счетчик"));
    signal.poll("12.000");
    position.poll("1000");
    counter.poll("15");
    plot.redraw();
    EXPECT_GE(plot.valueRange().second, 1000);

    QListWidget* list = plot.linesList();
    ASSERT_EQ(list->count(), 3);
    EXPECT_EQ(list->item(1)->text(), "Положение");
    list->item(1)->setCheckState(Qt::Unchecked);
    EXPECT_FALSE(plot.lineShown(&position.parameter));
    EXPECT_FALSE(plot.lineOf(&position.parameter)->isVisible());
    EXPECT_LT(plot.valueRange().second, 100);  // a hidden line does not count

    // Taking a line off leaves the others their colours and states.
    const QColor counterColour = plot.lineOf(&counter.parameter)->color();
    EXPECT_NE(counterColour, plot.lineOf(&signal.parameter)->color());
    ASSERT_TRUE(plot.removeParameter(&signal.parameter));
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(plot.lineOf(&counter.parameter)->color(), counterColour);
    EXPECT_EQ(list->item(0)->checkState(), Qt::Unchecked);
    EXPECT_FALSE(plot.lineShown(&position.parameter));
}

TEST(TrendPlotView, DrawsAFewTimesASecondAtMostAndNothingWhileHidden) {
    RecordingInteraction ui;
    TrendPlotView plot(ui);
    plot.resize(900, 500);
    HandPolled signal(plot, "int");
    ASSERT_TRUE(plot.addParameter(signal.parameter, "Счетчик"));
    ASSERT_TRUE(showAndActivate(plot));

    int drawn = plot.redrawCount();
    for (int i = 0; i < 2000; ++i) {
        signal.poll(std::to_string(i));
    }
    EXPECT_EQ(plot.redrawCount(), drawn);  // nothing is drawn per sample
    QTest::qWait(1000);
    const int inASecond = plot.redrawCount() - drawn;
    EXPECT_GE(inASecond, 1);
    EXPECT_LE(inASecond, 1000 / TrendPlotView::kRedrawIntervalMs + 1);

    plot.hide();
    drawn = plot.redrawCount();
    for (int i = 0; i < 100; ++i) {
        signal.poll(std::to_string(i));
    }
    QTest::qWait(600);
    EXPECT_EQ(plot.redrawCount(), drawn);
    EXPECT_EQ(plot.trends().line(0).series.size(), 2100u);
}

}  // namespace
}  // namespace tarn::testing
