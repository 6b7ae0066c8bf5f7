#pragma once
// The paced loop's options and its printed and JSON reports: one column per
// wait mode, side by side, with the busy wait's CPU ratio to the sleep's.

#include <string>
#include <vector>

#include "bench/PacedLoop.h"

namespace bench {

struct PacedOptions {
    int64_t frames = 2000;
    std::vector<WaitMode> modes{WaitMode::Sleep};  // run one after the other
    std::string json;                // file to write the figures to, if any
    std::string folder;              // program folder holding Images/bitmaps.bmp
};

std::string FormatReport(const PacedOptions& options, const std::vector<PacedResult>& results);
// busy CPU / sleep CPU, or 0 when either is missing or the sleep's share is 0.
double CpuRatio(const std::vector<PacedResult>& results);
std::string ToJson(const std::vector<PacedResult>& results);
bool WriteJson(const std::string& path, const std::vector<PacedResult>& results);

}  // namespace bench
