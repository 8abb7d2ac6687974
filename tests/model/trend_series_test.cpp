// The stored series of the trend plots: the bounded ring, the thinning of
// older samples, the points drawn, the scale of enumerations and the set's
// samples and CSV.
#include "model/trend_series.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <time.h>

#include <cmath>
#include <string>

#include "model/parameter.h"
#include "model/trend_scale.h"
#include "model/trend_set.h"

namespace tarn {
namespace {

// Samples stay in time order, whatever part of the store holds them.
void expectOrdered(const TrendSeries& series) {
    for (std::size_t i = 1; i < series.size(); ++i) {
        ASSERT_LE(series.at(i - 1).timeMs, series.at(i).timeMs) << i;
    }
}

TEST(TrendSeries, TheLastHourAtTheFastestPeriodIsKeptAsPolled) {
    TrendSeries series;
    const std::size_t hour = TrendSeries::kRecentCapacity;
    for (std::size_t i = 0; i < hour; ++i) {
        series.addValue(static_cast<std::int64_t>(i) * 100, static_cast<double>(i % 1000));
    }
    ASSERT_EQ(series.size(), hour);
    EXPECT_EQ(series.historySize(), 0u);
    EXPECT_EQ(series.at(12345).timeMs, 1234500);
    EXPECT_EQ(series.at(12345).value, 345.0F);

    // One more: the oldest leaves the ring for the thinned history, the
    // latest hour is still there sample by sample.
    series.addValue(static_cast<std::int64_t>(hour) * 100, 7);
    EXPECT_EQ(series.recentSize(), hour);
    EXPECT_EQ(series.at(series.size() - hour).timeMs, 100);
    EXPECT_EQ(series.lastTime(), static_cast<std::int64_t>(hour) * 100);
    EXPECT_EQ(series.firstTime(), 0);
}

TEST(TrendSeries, DaysOfPollingStayBoundedAndCoverTheWholeCourse) {
    TrendSeries series;
    const std::int64_t samples = 24 * 36000;  // a day at 100 ms
    for (std::int64_t i = 0; i < samples; ++i) {
        series.addValue(i * 100, std::sin(static_cast<double>(i) / 5000.0));
    }
    EXPECT_EQ(series.added(), static_cast<std::uint64_t>(samples));
    EXPECT_EQ(series.recentSize(), TrendSeries::kRecentCapacity);
    EXPECT_LE(series.historySize(), TrendSeries::kHistoryCapacity + 3);
    EXPECT_GT(series.historySize(), TrendSeries::kHistoryCapacity / 4);
    // The first moment and the extremes of the wave survive the thinning.
    EXPECT_EQ(series.firstTime(), 0);
    float low = 1;
    float high = -1;
    for (std::size_t i = 0; i < series.historySize(); ++i) {
        low = std::min(low, series.at(i).value);
        high = std::max(high, series.at(i).value);
    }
    EXPECT_LT(low, -0.999F);
    EXPECT_GT(high, 0.999F);
    expectOrdered(series);
}

TEST(TrendSeries, ThinningKeepsPeaksAndGapsWithTheirTexts) {
    // A small ring and history, so that the samples are thinned many times.
    TrendSeries series(10, 12);
    std::int64_t t = 0;
    for (int i = 0; i < 50; ++i) {
        series.addValue(t += 100, 5);
    }
    series.addValue(t += 100, 80);  // a peak
    for (int i = 0; i < 50; ++i) {
        series.addValue(t += 100, 5);
    }
    series.addGap(t += 100, TrendNote::Failed, "Таймаут при передаче данных (нет связи)");
    for (int i = 0; i < 2000; ++i) {
        series.addValue(t += 100, 5);
    }
    ASSERT_LE(series.size(), 10u + 12u + 3u);
    expectOrdered(series);
    bool peak = false;
    bool failure = false;
    for (std::size_t i = 0; i < series.historySize(); ++i) {
        const TrendSample& sample = series.at(i);
        peak = peak || (sample.isValue() && sample.value == 80.0F);
        if (sample.note == TrendNote::Failed) {
            failure = true;
            EXPECT_EQ(series.statusText(sample), "Таймаут при передаче данных (нет связи)");
        }
    }
    EXPECT_TRUE(peak);
    EXPECT_TRUE(failure);
}

TEST(TrendSeries, TimeNeverGoesBackAndUndrawableValuesAreGaps) {
    TrendSeries series;
    series.addValue(5000, 1);
    series.addValue(4000, 2);  // the clock was set back
    series.addValue(6000, HUGE_VAL);
    ASSERT_EQ(series.size(), 3u);
    EXPECT_EQ(series.at(1).timeMs, 5000);
    EXPECT_EQ(series.at(2).note, TrendNote::NoData);
    EXPECT_EQ(series.lowerBound(5000), 0u);
    EXPECT_EQ(series.lowerBound(5001), 2u);
}

TEST(TrendSeries, PlotPointsAreBoundedPerBucketAndBreakAtGaps) {
    TrendSeries series;
    // 10 000 samples over 1000 s; the value runs up and down every 50.
    for (int i = 0; i < 10000; ++i) {
        series.addValue(i * 100, (i / 50) % 2 == 0 ? i % 50 : 50 - i % 50);
    }
    series.addGap(1'000'000, TrendNote::Failed, "n.Err");
    series.addGap(1'000'100, TrendNote::Silence);
    series.addValue(1'000'200, 3);
    series.addGap(1'000'300, TrendNote::NoData);

    const TrendPlotPoints all = series.plotPoints(0, 1'000'300, 200);
    EXPECT_LE(all.line.size(), 3u * 200u);
    // Every bucket keeps its extremes: the full range of the values.
    double low = 1e9;
    double high = -1e9;
    for (const TrendPoint& point : all.line) {
        if (!std::isnan(point.value)) {
            low = std::min(low, point.value);
            high = std::max(high, point.value);
        }
    }
    EXPECT_EQ(low, 0);
    EXPECT_EQ(high, 50);
    // The failure and "Нет данных" are marked; the silence only breaks.
    ASSERT_EQ(all.marks.size(), 2u);
    EXPECT_EQ(all.marks[0].note, TrendNote::Failed);
    EXPECT_EQ(all.marks[1].note, TrendNote::NoData);

    // A narrow range: every sample as it is, the line entering from the
    // value before it, NaN where it breaks.
    const TrendPlotPoints end = series.plotPoints(999'950, 1'000'300, 1000);
    ASSERT_EQ(end.line.size(), 5u);
    EXPECT_EQ(end.line[0].timeMs, 999'900);
    EXPECT_TRUE(std::isnan(end.line[1].value));
    EXPECT_TRUE(std::isnan(end.line[2].value));
    EXPECT_EQ(end.line[3].value, 3);
    EXPECT_TRUE(std::isnan(end.line[4].value));
}

TEST(TrendScale, EnumerationsPlotAsTheIndexOfTheirItemNumbersAsTheyAre) {
    Parameter state("r.St");
    state.setValueType("Стоп:Пуск:Авария_насоса:Старый<hide>");
    const auto items = TrendScale::of(state);
    ASSERT_TRUE(items);
    EXPECT_TRUE(items->enumeration());
    EXPECT_EQ(items->labels(),
              (std::vector<std::string>{"Стоп", "Пуск", "Авария насоса", "Старый<hide>"}));
    EXPECT_EQ(items->valueOf("Авария насоса"), 2.0);
    EXPECT_EQ(items->valueOf("Старый<hide>"), 3.0);
    EXPECT_EQ(items->valueOf("пуск"), 1.0);
    EXPECT_FALSE(items->valueOf("Ремонт"));
    EXPECT_EQ(items->textOf(1), "Пуск");

    Parameter signal("r.Ao");
    signal.setValueType("float");
    const auto numbers = TrendScale::of(signal);
    ASSERT_TRUE(numbers);
    EXPECT_FALSE(numbers->enumeration());
    EXPECT_EQ(numbers->valueOf("12.500"), 12.5);
    EXPECT_EQ(numbers->valueOf("-3"), -3.0);
    EXPECT_FALSE(numbers->valueOf("12,5"));
    EXPECT_FALSE(numbers->valueOf(""));
    EXPECT_EQ(numbers->textOf(12.5), "12.5");

    for (const char* type : {"string", "name", "CLK_frm", "void"}) {
        Parameter other("X");
        other.setValueType(type);
        EXPECT_FALSE(TrendScale::of(other)) << type;
    }
}

class TrendSetTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The CSV's times are local; this test's local time is UTC.
        const char* zone = getenv("TZ");
        savedZone_ = zone != nullptr ? std::optional<std::string>(zone) : std::nullopt;
        setenv("TZ", "UTC", 1);
        tzset();
        signal.setValueType("float");
        state.setValueType("Стоп:Пуск");
        ASSERT_TRUE(set.add(signal, "Выход 1: Сигнал, мА"));
        ASSERT_TRUE(set.add(state, "Состояние"));
    }
    void TearDown() override {
        if (savedZone_) {
            setenv("TZ", savedZone_->c_str(), 1);
        } else {
            unsetenv("TZ");
        }
        tzset();
    }

    Parameter signal{"r.Ao"};
    Parameter state{"r.St"};
    TrendSet set;

private:
    std::optional<std::string> savedZone_;
};

TEST_F(TrendSetTest, PollsBecomeValuesAndGaps) {
    Parameter text("nAmE");
    text.setValueType("string");
    EXPECT_FALSE(set.add(text, "Имя"));
    EXPECT_FALSE(set.add(signal, "again"));

    EXPECT_TRUE(set.receive(&signal, 1000, "12.500", "", 100));
    EXPECT_TRUE(set.receive(&signal, 1100, "", "Таймаут при передаче данных (нет связи)", 100));
    EXPECT_TRUE(set.receive(&signal, 1200, "Нет данных", "", 100));
    EXPECT_TRUE(set.receive(&signal, 1300, "Неверная длина", "", 100));
    EXPECT_FALSE(set.receive(&text, 1300, "x", "", 100));
    const TrendSeries& series = set.line(0).series;
    ASSERT_EQ(series.size(), 4u);
    EXPECT_EQ(series.at(0).value, 12.5F);
    EXPECT_EQ(series.at(1).note, TrendNote::Failed);
    EXPECT_EQ(series.statusText(series.at(1)), "Таймаут при передаче данных (нет связи)");
    EXPECT_EQ(series.at(2).note, TrendNote::NoData);
    EXPECT_EQ(series.statusText(series.at(3)), "Неверная длина");

    // Polling off for a minute: the line breaks after the last poll.
    EXPECT_TRUE(set.receive(&signal, 61'300, "13.000", "", 100));
    ASSERT_EQ(series.size(), 6u);
    EXPECT_EQ(series.at(4).note, TrendNote::Silence);
    EXPECT_EQ(series.at(4).timeMs, 1400);

    const auto version = set.version();
    EXPECT_TRUE(set.remove(&signal));
    EXPECT_GT(set.version(), version);
    EXPECT_FALSE(set.receive(&signal, 61'400, "13.000", "", 100));
}

TEST_F(TrendSetTest, CsvHasOneLinePerSampleInTimeOrder) {
    set.receive(&state, 1'700'000'000'000, "Пуск", "", 100);
    set.receive(&signal, 1'700'000'000'050, "4.250", "", 100);
    set.receive(&signal, 1'700'000'000'150, "", "Ошибка \"n.Err\", код 3", 100);
    set.receive(&state, 1'700'000'000'100, "Нет данных", "", 100);
    set.receive(&state, 1'700'000'009'000, "Стоп", "", 100);  // after the range

    EXPECT_EQ(
        set.csv(1'700'000'000'000, 1'700'000'000'999),
        "Время,Параметр,Значение,Текст\r\n"
        "2023-11-14 22:13:20.000,Состояние,1,Пуск\r\n"
        "2023-11-14 22:13:20.050,\"Выход 1: Сигнал, мА\",4.25,\r\n"
        "2023-11-14 22:13:20.100,Состояние,,Нет данных\r\n"
        "2023-11-14 22:13:20.150,\"Выход 1: Сигнал, мА\",,\"Ошибка \"\"n.Err\"\", код 3\"\r\n");
}

}  // namespace
}  // namespace tarn
