// The statistics the benchmarks print: nearest-rank percentiles, the summary
// of unordered samples, the strict "below" count and periods between starts.

#include "bench/Samples.h"

#include <gtest/gtest.h>

#include <numeric>

namespace bench {
namespace {

std::vector<int64_t> OneTo(int64_t n) {
    std::vector<int64_t> v(static_cast<std::size_t>(n));
    std::iota(v.begin(), v.end(), 1);
    return v;
}

TEST(Samples, NearestRankPicksTheSmallestValueCoveringThePercent) {
    struct Case {
        std::vector<int64_t> sorted;
        double percent;
        int64_t expected;
    };
    const Case cases[] = {
        {OneTo(100), 99, 99}, {OneTo(100), 50, 50}, {OneTo(100), 100, 100},  {OneTo(100), 0.5, 1},
        {OneTo(10), 99, 10},  {OneTo(10), 50, 5},   {{1, 2}, 50, 1},         {{1, 2}, 99, 2},
        {{7}, 1, 7},          {{7}, 99, 7},         {OneTo(2000), 99, 1980}, {{}, 99, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(NearestRank(c.sorted, c.percent), c.expected)
            << c.sorted.size() << " values, p" << c.percent;
    }
}

TEST(Samples, SummaryOfUnorderedSamplesLeavesTheirOrderAlone) {
    Samples s(8);
    for (int64_t v : {30, 10, 50, 20, 40}) s.Add(v);
    const Summary sum = s.Summarise();
    EXPECT_EQ(sum.count, 5);
    EXPECT_DOUBLE_EQ(sum.mean, 30.0);
    EXPECT_EQ(sum.median, 30);
    EXPECT_EQ(sum.p99, 50);
    EXPECT_EQ(sum.min, 10);
    EXPECT_EQ(sum.max, 50);
    EXPECT_EQ(s.Values(), (std::vector<int64_t>{30, 10, 50, 20, 40}));
}

TEST(Samples, EmptySamplesSummariseToZeros) {
    const Summary sum = Samples(4).Summarise();
    EXPECT_EQ(sum.count, 0);
    EXPECT_EQ(sum.mean, 0.0);
    EXPECT_EQ(sum.p99, 0);
    EXPECT_EQ(sum.max, 0);
}

TEST(Samples, MeanOfManyFramePeriodsKeepsEveryDigit) {
    Samples s(4000);
    for (int i = 0; i < 2000; ++i) s.Add(22'000'000 + (i % 2 == 0 ? 1 : -1));
    EXPECT_DOUBLE_EQ(s.Summarise().mean, 22'000'000.0);
}

TEST(Samples, AddingPastTheCapacityDropsTheValueWithoutGrowing) {
    Samples s(3);
    const int64_t* data = s.Values().data();
    EXPECT_TRUE(s.Add(1));
    EXPECT_TRUE(s.Add(2));
    EXPECT_TRUE(s.Add(3));
    EXPECT_FALSE(s.Add(4));
    EXPECT_EQ(s.Count(), 3u);
    EXPECT_EQ(s.Values().data(), data);  // the space was taken up front
    s.Clear();
    EXPECT_TRUE(s.Add(5));
    EXPECT_EQ(s.Values().data(), data);
}

TEST(Samples, ExactlyTheBoundIsNotBelowIt) {
    Samples s(8);
    for (int64_t v : {21'999'999, 22'000'000, 22'000'001, 5}) s.Add(v);
    EXPECT_EQ(s.CountBelow(22'000'000), 2);
    EXPECT_EQ(s.CountBelow(5), 0);
    EXPECT_EQ(s.CountBelow(22'000'002), 4);
}

TEST(Samples, PeriodsAreTheDifferencesBetweenNeighbouringStarts) {
    Samples starts(8);
    for (int64_t v : {100, 122, 144, 167, 189}) starts.Add(v);
    EXPECT_EQ(Periods(starts).Values(), (std::vector<int64_t>{22, 22, 23, 22}));

    Samples one(1);
    one.Add(7);
    EXPECT_EQ(Periods(one).Count(), 0u);
    EXPECT_EQ(Periods(Samples(0)).Count(), 0u);
}

}  // namespace
}  // namespace bench

namespace bench {
namespace {

// Starts in ns on a clock whose millisecond tick began at 5'000'000'300 ns.
Samples Starts(std::initializer_list<int64_t> offsetsNs) {
    Samples s(16);
    for (int64_t v : offsetsNs) s.Add(5'000'000'300 + v);
    return s;
}
Samples Ticks(std::initializer_list<int64_t> ms) {
    Samples s(16);
    for (int64_t v : ms) s.Add(v);
    return s;
}

TEST(Samples, LatenessIsTheStartLessTheTickDeadlineOfTheFrameBefore) {
    // Frames at ticks 0, 22, 45, 67: the second on its deadline's first ns,
    // the third 1.2 ms late (tick 45 instead of 44), the fourth 0.3 ms late.
    const Samples late =
        Lateness(Starts({0, 22'000'000, 45'200'000, 67'300'000}), Ticks({0, 22, 45, 67}), 22);
    EXPECT_EQ(late.Values(), (std::vector<int64_t>{0, 1'200'000, 300'000}));
}

TEST(Samples, LatenessNeedsTwoFramesAndMatchingCounts) {
    EXPECT_EQ(Lateness(Starts({0}), Ticks({0}), 22).Count(), 0u);
    EXPECT_EQ(Lateness(Starts({0, 22'000'000, 44'000'000}), Ticks({0, 22}), 22).Count(), 1u);
}

}  // namespace
}  // namespace bench
