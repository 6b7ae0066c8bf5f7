#pragma once
// A fixed-capacity record of durations in nanoseconds and their summary:
// mean, median, p99, extremes and how many fell below a bound. The space is
// taken once up front, so recording inside a measured loop never allocates.

#include <cstdint>
#include <vector>

namespace bench {

struct Summary {
    int64_t count = 0;
    double mean = 0;  // ns
    int64_t median = 0;
    int64_t p99 = 0;
    int64_t min = 0;
    int64_t max = 0;
};

class Samples {
public:
    explicit Samples(std::size_t capacity);

    // Keeps the value while there is room; returns false (and drops it) once full.
    bool Add(int64_t nanos);
    void Clear() { values_.clear(); }
    std::size_t Count() const { return values_.size(); }
    const std::vector<int64_t>& Values() const { return values_; }

    // Percentiles by nearest rank: the smallest value with at least p% of the
    // samples at or below it. All zero when empty.
    Summary Summarise() const;
    int64_t CountBelow(int64_t bound) const;

private:
    std::vector<int64_t> values_;
    std::size_t capacity_;
};

// The nearest-rank percentile (0 < p <= 100) of values sorted ascending.
int64_t NearestRank(const std::vector<int64_t>& sorted, double percent);

// Differences between neighbours: n values give n - 1 periods.
Samples Periods(const Samples& starts);

// Per frame after the first: its start (steady ns) less the moment a
// millisecond tick, counted from an unknown origin, reached the tick of the
// frame before plus frameMillis. The origin is taken as the earliest start
// within its tick, so a wait that ends on the tick's first nanosecond shows
// as 0.
Samples Lateness(const Samples& starts, const Samples& ticks, int64_t frameMillis);

}  // namespace bench
