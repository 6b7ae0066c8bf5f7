#pragma once
// The frame waits by name and the paced loop's figures as JSON, the one form
// bench/run.py reads.

#include <string>
#include <string_view>
#include <vector>

#include "bench/PacedLoop.h"

namespace bench {

// "sleep", "timer-then-poll", "busy": TILEBASH_FRAME_WAIT's names, used on
// paced_loop's command line and as the JSON's keys.
const char* WaitName(FrameWait wait);
// A comma-separated list of names; false (and waits empty) on an unknown one.
bool ParseWaits(std::string_view list, std::vector<FrameWait>& waits);

// One line: {"sleep": {"frames": 2000, "period_mean_ms": ...}, ...}.
std::string ToJson(const std::vector<PacedResult>& results);

}  // namespace bench
