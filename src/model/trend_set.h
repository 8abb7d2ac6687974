// TrendSet: the scanners chosen for the plot, each with its stored series.
//
// It takes the poll results on the thread that shows them (the view's), as
// they arrive, and keeps what the plot draws and exports; it knows nothing
// of widgets. A parameter is known by its address only while the set holds
// it: the set is cleared whenever the tree it came from is dropped, and a
// result whose parameter is gone is ignored.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "model/poll_result.h"
#include "model/trend_scale.h"
#include "model/trend_series.h"

namespace tarn {

class Parameter;

struct TrendLine {
    const Parameter* parameter = nullptr;
    std::string name;
    TrendScale scale;
    TrendSeries series;
};

class TrendSet {
public:
    // How long a series may go without a sample, beyond its polling
    // period, before the line breaks there (polling was off or held up).
    static constexpr std::int64_t kSilenceMs = 2000;

    // Adds a scanner under `name`; false when it is there already or its
    // value does not plot (TrendScale).
    bool add(const Parameter& parameter, std::string name);
    bool remove(const Parameter* parameter);
    bool contains(const Parameter* parameter) const;
    void clear();

    std::size_t size() const { return lines_.size(); }
    bool empty() const { return lines_.empty(); }
    const TrendLine& line(std::size_t index) const { return *lines_[index]; }

    // A poll result of a plotted scanner becomes a sample of its series: its
    // value, "Нет данных" or a failure with the status text. Results of
    // other parameters, and of parameters that are gone, are ignored; false
    // then.
    bool receive(const PollResult& result);
    // The same for a value text and status text polled at `timeMs` (the
    // middle of the poll), with the scanner's polling period.
    bool receive(const Parameter* parameter, std::int64_t timeMs, const std::string& valueText,
                 const std::string& statusText, int periodMs);

    // Changes with every sample, addition and removal.
    std::uint64_t version() const { return version_; }
    // The first and last sample time of all series; nothing without samples.
    std::optional<std::int64_t> firstTime() const;
    std::optional<std::int64_t> lastTime() const;

    // The samples of [fromMs, toMs] as CSV (RFC 4180, UTF-8, CR LF): the
    // header "Время,Параметр,Значение,Текст", then one line per sample of
    // every series in time order — the local time with milliseconds, the
    // series' name, the plotted number (empty for a gap) and the text (an
    // enumeration's item, "Нет данных", or a failure's status text).
    std::string csv(std::int64_t fromMs, std::int64_t toMs) const;

private:
    std::vector<std::unique_ptr<TrendLine>> lines_;
    std::unordered_map<const Parameter*, TrendLine*> byParameter_;
    std::uint64_t version_ = 0;
};

// Milliseconds since the epoch of a moment of the system clock.
std::int64_t trendTimeMs(std::chrono::system_clock::time_point moment);
// "2024-05-17 14:03:07.250" in local time.
std::string trendTimeText(std::int64_t timeMs);

}  // namespace tarn
