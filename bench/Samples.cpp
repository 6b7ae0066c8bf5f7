#include "bench/Samples.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace bench {

Samples::Samples(std::size_t capacity) : capacity_(capacity) {
    values_.reserve(capacity);
}

bool Samples::Add(int64_t nanos) {
    if (values_.size() >= capacity_) return false;
    values_.push_back(nanos);
    return true;
}

int64_t NearestRank(const std::vector<int64_t>& sorted, double percent) {
    if (sorted.empty()) return 0;
    const auto n = static_cast<double>(sorted.size());
    auto rank = static_cast<std::size_t>(std::ceil(percent / 100.0 * n));
    rank = std::clamp<std::size_t>(rank, 1, sorted.size());
    return sorted[rank - 1];
}

Summary Samples::Summarise() const {
    Summary s;
    if (values_.empty()) return s;
    std::vector<int64_t> sorted = values_;
    std::sort(sorted.begin(), sorted.end());
    s.count = static_cast<int64_t>(sorted.size());
    // Summed in long double: a 2,000-frame run of 22 ms periods is far from any
    // limit, but a long hot benchmark must not lose the mean's last digits.
    const long double total = std::accumulate(sorted.begin(), sorted.end(), 0.0L);
    s.mean = static_cast<double>(total / static_cast<long double>(sorted.size()));
    s.median = NearestRank(sorted, 50);
    s.p99 = NearestRank(sorted, 99);
    s.min = sorted.front();
    s.max = sorted.back();
    return s;
}

int64_t Samples::CountBelow(int64_t bound) const {
    return std::count_if(values_.begin(), values_.end(), [bound](int64_t v) { return v < bound; });
}

Samples Periods(const Samples& starts) {
    const auto& v = starts.Values();
    Samples periods(v.empty() ? 0 : v.size() - 1);
    for (std::size_t i = 1; i < v.size(); ++i) periods.Add(v[i] - v[i - 1]);
    return periods;
}

Samples Lateness(const Samples& starts, const Samples& ticks, int64_t frameMillis) {
    const auto& s = starts.Values();
    const auto& t = ticks.Values();
    const std::size_t n = std::min(s.size(), t.size());
    Samples late(n == 0 ? 0 : n - 1);
    if (n < 2) return late;
    int64_t origin = s[0] - t[0] * 1'000'000;
    for (std::size_t i = 1; i < n; ++i) origin = std::min(origin, s[i] - t[i] * 1'000'000);
    for (std::size_t i = 1; i < n; ++i) {
        late.Add(s[i] - (origin + (t[i - 1] + frameMillis) * 1'000'000));
    }
    return late;
}

}  // namespace bench
