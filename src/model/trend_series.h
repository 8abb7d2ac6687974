// TrendSeries: the stored history of one plotted scanner, bounded in memory.
//
// The latest samples are kept as they came, in a ring sized for one hour of
// polls at the fastest period (100 ms). A sample that leaves the ring is not
// lost but thinned into the older history: each group of consecutive
// samples keeps only its smallest and largest value and its first gap, so
// peaks and interruptions survive while the count shrinks. When the history
// is full it is thinned once more (pairs of groups become one) and later
// groups grow to match, so a series polled for days still shows its whole
// course at a coarser grain and never grows without bound.
//
// Times are milliseconds since the epoch and never decrease within a
// series (a sample older than the one before takes that one's time, so a
// clock set back does not disorder the series).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarn {

// What a sample holds: a value, or one of the reasons the line breaks there.
enum class TrendNote : std::uint8_t {
    Value,
    NoData,   // the poll gave "Нет данных" (marked on the plot)
    Failed,   // the poll failed (marked; the series keeps the status text)
    Silence,  // polling was off for a while (the line breaks, nothing is marked)
};

struct TrendSample {
    std::int64_t timeMs = 0;
    // The plotted value; a float holds every value the module sends (its
    // reals are three-byte floats, its integers 16 bits).
    float value = 0;
    TrendNote note = TrendNote::Value;
    // The status text of a failed poll (TrendSeries::statusText).
    std::uint16_t status = 0;

    bool isValue() const { return note == TrendNote::Value; }
};

// A sample drawn: a gap is a point whose value is NaN, which ends the line.
struct TrendPoint {
    std::int64_t timeMs = 0;
    double value = 0;
};

// What the plot draws of a time range: the line and the marks of its gaps.
struct TrendPlotPoints {
    std::vector<TrendPoint> line;
    std::vector<TrendSample> marks;  // NoData and Failed samples
};

class TrendSeries {
public:
    static constexpr std::size_t kRecentCapacity = 36000;  // one hour at 100 ms
    static constexpr std::size_t kHistoryCapacity = 4096;
    // Distinct status texts kept per series; further ones share the last.
    static constexpr std::size_t kMaxStatusTexts = 64;

    explicit TrendSeries(std::size_t recentCapacity = kRecentCapacity,
                         std::size_t historyCapacity = kHistoryCapacity);

    void addValue(std::int64_t timeMs, double value);
    void addGap(std::int64_t timeMs, TrendNote note, std::string_view status = {});
    void clear();

    // Samples stored (the thinned history, then the recent ring), in time order.
    std::size_t size() const { return history_.size() + pendingOut_.size() + recentCount_; }
    bool empty() const { return size() == 0; }
    const TrendSample& at(std::size_t index) const;
    // The first sample at or after `timeMs` (size() when none).
    std::size_t lowerBound(std::int64_t timeMs) const;
    std::int64_t firstTime() const { return at(0).timeMs; }
    std::int64_t lastTime() const { return at(size() - 1).timeMs; }
    std::size_t historySize() const { return history_.size() + pendingOut_.size(); }
    std::size_t recentSize() const { return recentCount_; }
    // Samples added in all (kept or thinned away).
    std::uint64_t added() const { return added_; }

    // The status text of a Failed sample.
    const std::string& statusText(const TrendSample& sample) const;

    // The points of [fromMs, toMs] for a plot `buckets` wide: in each bucket
    // at most its smallest and largest value and its first gap, in time
    // order, so the line has at most three points a bucket however many
    // samples the range holds. A value just before the range starts the
    // line at its left edge.
    TrendPlotPoints plotPoints(std::int64_t fromMs, std::int64_t toMs, int buckets) const;

private:
    // Running reduction of a group of consecutive samples.
    struct Group {
        std::size_t count = 0;
        bool hasValue = false;
        bool hasGap = false;
        TrendSample low;
        TrendSample high;
        TrendSample gap;
        void add(const TrendSample& sample);
        // The kept samples in time order.
        void keepInto(std::vector<TrendSample>& out) const;
    };

    void add(TrendSample sample);
    void thinIntoHistory(const TrendSample& sample);
    void thinHistory();

    std::size_t recentCapacity_;
    std::size_t historyCapacity_;
    // The ring: grows to its capacity, then the oldest is overwritten.
    std::vector<TrendSample> recent_;
    std::size_t recentStart_ = 0;
    std::size_t recentCount_ = 0;
    std::vector<TrendSample> history_;
    // The group being thinned, and what it keeps so far (shown after the
    // history until the group is complete).
    Group pending_;
    std::vector<TrendSample> pendingOut_;
    std::size_t groupSize_ = 8;
    std::vector<std::string> statusTexts_;
    std::uint64_t added_ = 0;
};

}  // namespace tarn
