#include "model/trend_series.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tarn {
namespace {

// A regrouping of the full history takes this many samples (three groups'
// worth at most) into one group that keeps at most three: it halves.
constexpr std::size_t kHistoryRegroup = 6;

const std::string kNoStatus;

}  // namespace

void TrendSeries::Group::add(const TrendSample& sample) {
    ++count;
    if (sample.isValue()) {
        if (!hasValue) {
            low = sample;
            high = sample;
            hasValue = true;
        } else if (sample.value < low.value) {
            low = sample;
        } else if (sample.value > high.value) {
            high = sample;
        }
    } else if (!hasGap) {
        gap = sample;
        hasGap = true;
    }
}

void TrendSeries::Group::keepInto(std::vector<TrendSample>& out) const {
    TrendSample kept[3];
    std::size_t n = 0;
    if (hasValue) {
        kept[n++] = low;
        // One value, or all alike: the same sample.
        if (high.timeMs != low.timeMs || high.value != low.value) {
            kept[n++] = high;
        }
    }
    if (hasGap) {
        kept[n++] = gap;
    }
    // Stable, so that samples of one moment keep the order they came in.
    std::stable_sort(kept, kept + n, [](const TrendSample& a, const TrendSample& b) {
        return a.timeMs < b.timeMs;
    });
    out.insert(out.end(), kept, kept + n);
}

TrendSeries::TrendSeries(std::size_t recentCapacity, std::size_t historyCapacity)
    : recentCapacity_(std::max<std::size_t>(recentCapacity, 1)),
      historyCapacity_(std::max(historyCapacity, kHistoryRegroup)) {}

void TrendSeries::addValue(std::int64_t timeMs, double value) {
    TrendSample sample;
    sample.timeMs = timeMs;
    sample.value = static_cast<float>(value);
    // A value beyond what can be drawn is no value.
    if (!std::isfinite(sample.value)) {
        addGap(timeMs, TrendNote::NoData);
        return;
    }
    add(sample);
}

void TrendSeries::addGap(std::int64_t timeMs, TrendNote note, std::string_view status) {
    TrendSample sample;
    sample.timeMs = timeMs;
    sample.value = std::numeric_limits<float>::quiet_NaN();
    sample.note = note == TrendNote::Value ? TrendNote::NoData : note;
    if (sample.note == TrendNote::Failed) {
        const auto found = std::find(statusTexts_.begin(), statusTexts_.end(), status);
        if (found != statusTexts_.end()) {
            sample.status = static_cast<std::uint16_t>(found - statusTexts_.begin());
        } else if (statusTexts_.size() < kMaxStatusTexts) {
            statusTexts_.emplace_back(status);
            sample.status = static_cast<std::uint16_t>(statusTexts_.size() - 1);
        } else {
            sample.status = static_cast<std::uint16_t>(statusTexts_.size() - 1);
        }
    }
    add(sample);
}

void TrendSeries::add(TrendSample sample) {
    if (!empty()) {
        sample.timeMs = std::max(sample.timeMs, lastTime());
    }
    ++added_;
    if (recentCount_ < recentCapacity_) {
        if (recent_.size() < recentCapacity_) {
            recent_.push_back(sample);
        } else {
            recent_[(recentStart_ + recentCount_) % recentCapacity_] = sample;
        }
        ++recentCount_;
        return;
    }
    // The ring is full: its oldest sample goes into the history.
    thinIntoHistory(recent_[recentStart_]);
    recent_[recentStart_] = sample;
    recentStart_ = (recentStart_ + 1) % recentCapacity_;
}

void TrendSeries::thinIntoHistory(const TrendSample& sample) {
    pending_.add(sample);
    pendingOut_.clear();
    if (pending_.count < groupSize_) {
        pending_.keepInto(pendingOut_);
        return;
    }
    pending_.keepInto(history_);
    pending_ = Group{};
    if (history_.size() + 3 > historyCapacity_) {
        thinHistory();
    }
}

void TrendSeries::thinHistory() {
    std::vector<TrendSample> thinned;
    thinned.reserve(history_.size() / 2 + 3);
    for (std::size_t start = 0; start < history_.size(); start += kHistoryRegroup) {
        Group group;
        const std::size_t end = std::min(start + kHistoryRegroup, history_.size());
        for (std::size_t i = start; i < end; ++i) {
            group.add(history_[i]);
        }
        group.keepInto(thinned);
    }
    history_ = std::move(thinned);
    // Later groups cover as many polls as the thinned ones now do.
    groupSize_ *= 2;
}

void TrendSeries::clear() {
    recent_.clear();
    recentStart_ = 0;
    recentCount_ = 0;
    history_.clear();
    pending_ = Group{};
    pendingOut_.clear();
    groupSize_ = 8;
    statusTexts_.clear();
    added_ = 0;
}

const TrendSample& TrendSeries::at(std::size_t index) const {
    if (index < history_.size()) {
        return history_[index];
    }
    index -= history_.size();
    if (index < pendingOut_.size()) {
        return pendingOut_[index];
    }
    index -= pendingOut_.size();
    return recent_[(recentStart_ + index) % recentCapacity_];
}

std::size_t TrendSeries::lowerBound(std::int64_t timeMs) const {
    std::size_t low = 0;
    std::size_t high = size();
    while (low < high) {
        const std::size_t middle = low + (high - low) / 2;
        if (at(middle).timeMs < timeMs) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    return low;
}

const std::string& TrendSeries::statusText(const TrendSample& sample) const {
    if (sample.note != TrendNote::Failed || sample.status >= statusTexts_.size()) {
        return kNoStatus;
    }
    return statusTexts_[sample.status];
}

TrendPlotPoints TrendSeries::plotPoints(std::int64_t fromMs, std::int64_t toMs, int buckets) const {
    TrendPlotPoints points;
    if (empty() || toMs < fromMs) {
        return points;
    }
    const std::int64_t span = toMs - fromMs + 1;
    const std::int64_t count = std::max(buckets, 1);
    std::vector<TrendSample> kept;
    const auto flush = [&](Group& group) {
        kept.clear();
        group.keepInto(kept);
        for (const TrendSample& sample : kept) {
            points.line.push_back({sample.timeMs, sample.isValue()
                                                      ? static_cast<double>(sample.value)
                                                      : std::numeric_limits<double>::quiet_NaN()});
        }
        group = Group{};
    };

    std::size_t index = lowerBound(fromMs);
    if (index > 0 && at(index - 1).isValue()) {
        const TrendSample& before = at(index - 1);
        points.line.push_back({before.timeMs, before.value});
    }
    Group group;
    std::int64_t bucket = -1;
    // The first failure and the first "Нет данных" of each bucket are marked.
    bool failureMarked = false;
    bool noDataMarked = false;
    for (; index < size(); ++index) {
        const TrendSample& sample = at(index);
        if (sample.timeMs > toMs) {
            break;
        }
        const std::int64_t b = (sample.timeMs - fromMs) * count / span;
        if (b != bucket) {
            if (group.count > 0) {
                flush(group);
            }
            failureMarked = false;
            noDataMarked = false;
        }
        bucket = b;
        group.add(sample);
        bool& marked = sample.note == TrendNote::Failed ? failureMarked : noDataMarked;
        if ((sample.note == TrendNote::Failed || sample.note == TrendNote::NoData) && !marked) {
            points.marks.push_back(sample);
            marked = true;
        }
    }
    if (group.count > 0) {
        flush(group);
    }
    return points;
}

}  // namespace tarn
