#include "bench/PacedReport.h"

#include <algorithm>
#include <cstdio>

namespace bench {

namespace {

double Ms(double nanos) {
    return nanos / 1e6;
}

struct Field {
    const char* name;
    int decimals;
    double (*value)(const PacedResult&);
};

// Every figure of a run, in the order they are printed.
constexpr Field kFields[] = {
    {"frames", 0, [](const PacedResult& r) { return double(r.frames); }},
    {"period_mean_ms", 6, [](const PacedResult& r) { return Ms(r.period.mean); }},
    {"period_median_ms", 6, [](const PacedResult& r) { return Ms(double(r.period.median)); }},
    {"period_p99_ms", 6, [](const PacedResult& r) { return Ms(double(r.period.p99)); }},
    {"period_min_ms", 6, [](const PacedResult& r) { return Ms(double(r.period.min)); }},
    {"period_max_ms", 6, [](const PacedResult& r) { return Ms(double(r.period.max)); }},
    {"below_22ms_tick", 0, [](const PacedResult& r) { return double(r.belowTick); }},
    {"below_22ms_ns", 0, [](const PacedResult& r) { return double(r.belowNanos); }},
    {"over_22_5ms", 0, [](const PacedResult& r) { return double(r.overHalfMilli); }},
    {"late_median_ms", 6, [](const PacedResult& r) { return Ms(double(r.lateness.median)); }},
    {"late_p99_ms", 6, [](const PacedResult& r) { return Ms(double(r.lateness.p99)); }},
    {"late_max_ms", 6, [](const PacedResult& r) { return Ms(double(r.lateness.max)); }},
    {"work_mean_ms", 6, [](const PacedResult& r) { return Ms(r.work.mean); }},
    {"work_p99_ms", 6, [](const PacedResult& r) { return Ms(double(r.work.p99)); }},
    {"cpu_percent", 4, [](const PacedResult& r) { return r.cpuPercent; }},
    {"wall_seconds", 4, [](const PacedResult& r) { return r.wallSeconds; }},
    {"lost_balls", 0, [](const PacedResult& r) { return double(r.lostBalls); }},
    {"walls_rebuilt", 0, [](const PacedResult& r) { return double(r.wallsRebuilt); }},
    {"pointer_motions", 0, [](const PacedResult& r) { return double(r.motions); }},
    {"key_presses", 0, [](const PacedResult& r) { return double(r.keys); }},
};

}  // namespace

const char* WaitName(FrameWait wait) {
    return platform::qt::FrameWaitName(wait);
}

bool ParseWaits(std::string_view list, std::vector<FrameWait>& waits) {
    waits.clear();
    for (std::size_t from = 0; from <= list.size();) {
        const std::size_t comma = std::min(list.find(',', from), list.size());
        const std::string_view name = list.substr(from, comma - from);
        FrameWait wait{};
        if (!platform::qt::FrameWaitNamed(name, wait)) {
            waits.clear();
            return false;
        }
        waits.push_back(wait);
        from = comma + 1;
    }
    return true;
}

std::string ToJson(const std::vector<PacedResult>& results) {
    std::string out = "{";
    for (const PacedResult& r : results) {
        out += out.size() > 1 ? ", \"" : "\"";
        out += WaitName(r.wait);
        out += "\": {";
        for (const Field& f : kFields) {
            char text[96];
            std::snprintf(text, sizeof text, "%s\"%s\": %.*f", &f == kFields ? "" : ", ", f.name,
                          f.decimals, f.value(r));
            out += text;
        }
        out += "}";
    }
    return out + "}";
}

}  // namespace bench
