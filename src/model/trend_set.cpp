#include "model/trend_set.h"

#include <time.h>

#include <algorithm>
#include <cstdio>
#include <tuple>

#include "model/my_converter.h"
#include "model/parameter.h"

namespace tarn {
namespace {

// A CSV field, quoted when it holds a separator, a quote or a line end.
void appendField(std::string& out, std::string_view field) {
    if (field.find_first_of(",\"\r\n") == std::string_view::npos) {
        out += field;
        return;
    }
    out += '"';
    for (const char c : field) {
        if (c == '"') {
            out += '"';
        }
        out += c;
    }
    out += '"';
}

}  // namespace

std::int64_t trendTimeMs(std::chrono::system_clock::time_point moment) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(moment.time_since_epoch()).count();
}

std::string trendTimeText(std::int64_t timeMs) {
    std::int64_t seconds = timeMs / 1000;
    std::int64_t millis = timeMs % 1000;
    if (millis < 0) {
        millis += 1000;
        --seconds;
    }
    const time_t t = static_cast<time_t>(seconds);
    tm local{};
    localtime_r(&t, &local);
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d.%03d", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
                  static_cast<int>(millis));
    return buffer;
}

bool TrendSet::add(const Parameter& parameter, std::string name) {
    if (contains(&parameter)) {
        return false;
    }
    auto scale = TrendScale::of(parameter);
    if (!scale) {
        return false;
    }
    auto line = std::make_unique<TrendLine>();
    line->parameter = &parameter;
    line->name = std::move(name);
    line->scale = std::move(*scale);
    byParameter_.emplace(&parameter, line.get());
    lines_.push_back(std::move(line));
    ++version_;
    return true;
}

bool TrendSet::remove(const Parameter* parameter) {
    const auto found = byParameter_.find(parameter);
    if (found == byParameter_.end()) {
        return false;
    }
    const TrendLine* line = found->second;
    byParameter_.erase(found);
    lines_.erase(std::find_if(lines_.begin(), lines_.end(),
                              [line](const auto& owned) { return owned.get() == line; }));
    ++version_;
    return true;
}

bool TrendSet::contains(const Parameter* parameter) const {
    return byParameter_.count(parameter) != 0;
}

void TrendSet::clear() {
    if (lines_.empty()) {
        return;
    }
    byParameter_.clear();
    lines_.clear();
    ++version_;
}

bool TrendSet::receive(const PollResult& result) {
    if (!result.parameterAlive()) {
        return false;
    }
    const std::int64_t before = trendTimeMs(result.before);
    const std::int64_t after = trendTimeMs(result.after);
    return receive(result.parameter, before + (after - before) / 2, result.valueText,
                   result.statusText, result.parameter->pollingPeriod());
}

bool TrendSet::receive(const Parameter* parameter, std::int64_t timeMs,
                       const std::string& valueText, const std::string& statusText, int periodMs) {
    const auto found = byParameter_.find(parameter);
    if (found == byParameter_.end()) {
        return false;
    }
    TrendLine& line = *found->second;
    TrendSeries& series = line.series;
    const std::int64_t period = std::max(periodMs, 0);
    if (!series.empty() && timeMs - series.lastTime() > 2 * period + kSilenceMs) {
        series.addGap(series.lastTime() + period, TrendNote::Silence);
    }
    if (!statusText.empty()) {
        series.addGap(timeMs, TrendNote::Failed, statusText);
    } else if (valueText == kNoData) {
        series.addGap(timeMs, TrendNote::NoData);
    } else if (const auto value = line.scale.valueOf(valueText)) {
        series.addValue(timeMs, *value);
    } else {
        // What the row shows is no value of the type: a failed poll.
        series.addGap(timeMs, TrendNote::Failed, valueText);
    }
    ++version_;
    return true;
}

std::optional<std::int64_t> TrendSet::firstTime() const {
    std::optional<std::int64_t> first;
    for (const auto& line : lines_) {
        if (!line->series.empty()) {
            first = std::min(first.value_or(line->series.firstTime()), line->series.firstTime());
        }
    }
    return first;
}

std::optional<std::int64_t> TrendSet::lastTime() const {
    std::optional<std::int64_t> last;
    for (const auto& line : lines_) {
        if (!line->series.empty()) {
            last = std::max(last.value_or(line->series.lastTime()), line->series.lastTime());
        }
    }
    return last;
}

std::string TrendSet::csv(std::int64_t fromMs, std::int64_t toMs) const {
    // (time, series, sample) of every sample in the range, in time order;
    // samples of one moment in the order of the series.
    std::vector<std::tuple<std::int64_t, std::size_t, std::size_t>> rows;
    for (std::size_t l = 0; l < lines_.size(); ++l) {
        const TrendSeries& series = lines_[l]->series;
        for (std::size_t i = series.lowerBound(fromMs);
             i < series.size() && series.at(i).timeMs <= toMs; ++i) {
            if (series.at(i).note != TrendNote::Silence) {
                rows.emplace_back(series.at(i).timeMs, l, i);
            }
        }
    }
    std::sort(rows.begin(), rows.end());

    std::string out = "Время,Параметр,Значение,Текст\r\n";
    for (const auto& [time, l, i] : rows) {
        const TrendLine& line = *lines_[l];
        const TrendSample& sample = line.series.at(i);
        out += trendTimeText(time);
        out += ',';
        appendField(out, line.name);
        out += ',';
        std::string text;
        switch (sample.note) {
            case TrendNote::Value:
                out += line.scale.enumeration() ? std::to_string(static_cast<long>(sample.value))
                                                : line.scale.textOf(sample.value);
                if (line.scale.enumeration()) {
                    text = line.scale.textOf(sample.value);
                }
                break;
            case TrendNote::NoData:
                text = kNoData;
                break;
            default:
                text = line.series.statusText(sample);
                break;
        }
        out += ',';
        appendField(out, text);
        out += "\r\n";
    }
    return out;
}

}  // namespace tarn
