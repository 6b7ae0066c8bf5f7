#pragma once
// The paced loop's options and its printed and JSON reports: one column per
// wait mode, side by side, with the CPU ratio when both ran.

#include <string>
#include <vector>

#include "bench/PacedLoop.h"

namespace bench {

struct PacedOptions {
    int64_t frames = 2000;
    std::vector<bool> modes{false};  // false: idle wait, true: busy wait
    std::string json;                // file to write the figures to, if any
    std::string folder;              // program folder holding Images/bitmaps.bmp
};

std::string FormatReport(const PacedOptions& options, const std::vector<PacedResult>& results);
// busy CPU / idle CPU, or 0 when either is missing or the idle share is 0.
double CpuRatio(const std::vector<PacedResult>& results);
std::string ToJson(const std::vector<PacedResult>& results);
bool WriteJson(const std::string& path, const std::vector<PacedResult>& results);

}  // namespace bench
