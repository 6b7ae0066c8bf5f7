// The paced loop's report: both wait modes side by side with their CPU ratio,
// and the JSON the suite's table reads.

#include "bench/PacedReport.h"

#include <gtest/gtest.h>

namespace bench {
namespace {

PacedResult Result(WaitMode mode, double cpu) {
    PacedResult r;
    r.mode = mode;
    const bool busy = mode == WaitMode::Busy;
    r.frames = 2000;
    r.period.mean = 22'000'400;
    r.period.median = 22'000'100;
    r.period.p99 = 22'310'000;
    r.period.min = 22'000'000;
    r.period.max = 23'000'000;
    r.belowNanos = busy ? 0 : 1;
    r.cpuPercent = cpu;
    return r;
}

TEST(PacedReport, CpuRatioNeedsTheBusyAndSleepWaitsAndASleepShare) {
    struct Case {
        std::vector<PacedResult> results;
        double expected;
    };
    const Case cases[] = {
        {{Result(WaitMode::Sleep, 2.0), Result(WaitMode::Busy, 98.0)}, 49.0},
        {{Result(WaitMode::Busy, 98.0), Result(WaitMode::Sleep, 2.0)}, 49.0},  // order does not matter
        {{Result(WaitMode::Sleep, 2.0)}, 0.0},
        {{Result(WaitMode::Poll, 3.0), Result(WaitMode::Busy, 98.0)}, 0.0},  // only the sleep wait counts
        {{Result(WaitMode::Poll, 3.0), Result(WaitMode::Sleep, 2.0), Result(WaitMode::Busy, 98.0)}, 49.0},
        {{Result(WaitMode::Busy, 98.0)}, 0.0},
        {{Result(WaitMode::Sleep, 0.0), Result(WaitMode::Busy, 98.0)}, 0.0},  // no division by zero
        {{}, 0.0},
    };
    for (const Case& c : cases) EXPECT_DOUBLE_EQ(CpuRatio(c.results), c.expected);
}

TEST(PacedReport, BothModesPrintSideBySideWithTheirRatio) {
    PacedOptions options;
    options.frames = 2000;
    const std::string text = FormatReport(options, {Result(WaitMode::Sleep, 2.0), Result(WaitMode::Busy, 98.0)});
    const auto header = text.find("sleep wait");
    ASSERT_NE(header, std::string::npos) << text;
    EXPECT_NE(text.find("busy wait", header), std::string::npos) << text;
    EXPECT_NE(text.find("2000 frames"), std::string::npos) << text;
    EXPECT_NE(text.find("22.0004"), std::string::npos) << text;  // mean in ms
    EXPECT_NE(text.find("22.3100"), std::string::npos) << text;  // p99 in ms
    EXPECT_NE(text.find("49.0 : 1"), std::string::npos) << text;
    EXPECT_EQ(text.find("partial"), std::string::npos) << text;
}

TEST(PacedReport, OneModeHasNoRatioAndAClosedRunIsMarkedPartial) {
    PacedResult closed = Result(WaitMode::Sleep, 2.0);
    closed.closed = true;
    const std::string text = FormatReport(PacedOptions{}, {closed});
    EXPECT_EQ(text.find("busy wait"), std::string::npos) << text;
    EXPECT_EQ(text.find(": 1\n"), std::string::npos) << text;
    EXPECT_NE(text.find("partial"), std::string::npos) << text;
}

TEST(PacedReport, JsonCarriesEachModeInMillisecondsAndTheRatio) {
    const std::string json = ToJson({Result(WaitMode::Sleep, 2.0), Result(WaitMode::Busy, 98.0)});
    EXPECT_NE(json.find("\"sleep\": {\"frames\": 2000"), std::string::npos) << json;
    EXPECT_NE(json.find("\"busy\": {"), std::string::npos) << json;
    EXPECT_NE(json.find("\"period_mean_ms\": 22.000400"), std::string::npos) << json;
    EXPECT_NE(json.find("\"below_22ms_ns\": 1"), std::string::npos) << json;
    EXPECT_NE(json.find("\"cpu_ratio_busy_to_sleep\": 49.0000"), std::string::npos) << json;
    int depth = 0;
    for (char ch : json) {
        depth += ch == '{' ? 1 : ch == '}' ? -1 : 0;
        ASSERT_GE(depth, 0) << json;
    }
    EXPECT_EQ(depth, 0) << json;
}

// run_all.py reads these names (its test holds the same JSON).
TEST(PacedReport, JsonNamesEveryFigureTheSuiteTableReads) {
    const std::string json = ToJson({Result(WaitMode::Sleep, 2.0), Result(WaitMode::Busy, 98.0)});
    for (const char* name : {"frames", "period_mean_ms", "period_median_ms", "period_p99_ms", "period_min_ms",
                             "period_max_ms", "late_p99_ms", "late_max_ms", "below_22ms_tick", "below_22ms_ns", "over_22_5ms", "cpu_percent",
                             "pointer_motions", "key_presses", "cpu_ratio_busy_to_sleep"}) {
        EXPECT_NE(json.find(std::string("\"") + name + "\": "), std::string::npos) << name;
    }
}

}  // namespace
}  // namespace bench
