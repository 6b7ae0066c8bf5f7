// The frame waits' names and the paced loop's JSON, which bench/run.py reads.

#include "bench/PacedReport.h"

#include <gtest/gtest.h>

namespace bench {
namespace {

TEST(PacedReport, WaitListsParseByTheirNamesOrNotAtAll) {
    using W = FrameWait;
    struct Case {
        const char* list;
        bool ok;
        std::vector<FrameWait> waits;
    };
    const Case cases[] = {
        {"sleep", true, {W::Sleep}},
        {"sleep,timer-then-poll,busy", true, {W::Sleep, W::TimerThenPoll, W::Busy}},
        {"busy,sleep", true, {W::Busy, W::Sleep}},
        {"poll", false, {}},  // the wait's old name
        {"sleep,", false, {}},
        {"", false, {}},
        {"sleep,,busy", false, {}},
    };
    for (const Case& c : cases) {
        std::vector<FrameWait> waits{W::Busy};
        EXPECT_EQ(ParseWaits(c.list, waits), c.ok) << c.list;
        EXPECT_EQ(waits, c.waits) << c.list;
    }
}

TEST(PacedReport, JsonCarriesEachWaitInMilliseconds) {
    PacedResult sleep;
    sleep.frames = 2000;
    sleep.period.mean = 22'000'400;
    sleep.period.p99 = 22'310'000;
    sleep.belowNanos = 1;
    sleep.cpuPercent = 2.5;
    PacedResult busy = sleep;
    busy.wait = FrameWait::Busy;
    const std::string json = ToJson({sleep, busy});
    EXPECT_EQ(json.rfind("{\"sleep\": {\"frames\": 2000, \"period_mean_ms\": 22.000400, ", 0), 0u) << json;
    EXPECT_NE(json.find("\"period_p99_ms\": 22.310000"), std::string::npos) << json;
    EXPECT_NE(json.find("\"below_22ms_ns\": 1, "), std::string::npos) << json;
    EXPECT_NE(json.find("\"cpu_percent\": 2.5000"), std::string::npos) << json;
    EXPECT_NE(json.find("}, \"busy\": {\"frames\": 2000, "), std::string::npos) << json;
    EXPECT_EQ(json.find('\n'), std::string::npos) << json;  // one line
    EXPECT_EQ(json.substr(json.size() - 2), "}}") << json;
    EXPECT_EQ(ToJson({}), "{}");
}

}  // namespace
}  // namespace bench
