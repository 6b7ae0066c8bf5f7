#include "bench/PacedReport.h"

#include <cstdio>
#include <fstream>
#include <functional>

namespace bench {

namespace {

std::string Format(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

double Ms(double nanos) { return nanos / 1e6; }

struct Row {
    const char* name;
    std::function<std::string(const PacedResult&)> cell;
};

const std::vector<Row>& Rows() {
    static const std::vector<Row> rows = {
        {"period mean (ms)", [](const PacedResult& r) { return Format("%.4f", Ms(r.period.mean)); }},
        {"period median (ms)", [](const PacedResult& r) { return Format("%.4f", Ms(double(r.period.median))); }},
        {"period p99 (ms)", [](const PacedResult& r) { return Format("%.4f", Ms(double(r.period.p99))); }},
        {"period min (ms)", [](const PacedResult& r) { return Format("%.4f", Ms(double(r.period.min))); }},
        {"period max (ms)", [](const PacedResult& r) { return Format("%.4f", Ms(double(r.period.max))); }},
        {"periods below 22 ms, game tick", [](const PacedResult& r) { return Format("%.0f", double(r.belowTick)); }},
        {"periods below 22 ms, steady ns", [](const PacedResult& r) { return Format("%.0f", double(r.belowNanos)); }},
        {"periods over 22.5 ms", [](const PacedResult& r) { return Format("%.0f", double(r.overHalfMilli)); }},
        {"late start median (ms)", [](const PacedResult& r) { return Format("%.3f", Ms(double(r.lateness.median))); }},
        {"late start p99 (ms)", [](const PacedResult& r) { return Format("%.3f", Ms(double(r.lateness.p99))); }},
        {"late start max (ms)", [](const PacedResult& r) { return Format("%.3f", Ms(double(r.lateness.max))); }},
        {"frame work mean (ms)", [](const PacedResult& r) { return Format("%.3f", Ms(r.work.mean)); }},
        {"frame work p99 (ms)", [](const PacedResult& r) { return Format("%.3f", Ms(double(r.work.p99))); }},
        {"CPU (% of one core)", [](const PacedResult& r) { return Format("%.2f", r.cpuPercent); }},
        {"wall time (s)", [](const PacedResult& r) { return Format("%.2f", r.wallSeconds); }},
        {"lost balls resumed", [](const PacedResult& r) { return Format("%.0f", double(r.lostBalls)); }},
        {"walls rebuilt", [](const PacedResult& r) { return Format("%.0f", double(r.wallsRebuilt)); }},
        {"pointer motions received", [](const PacedResult& r) { return Format("%.0f", double(r.motions)); }},
        {"key presses received", [](const PacedResult& r) { return Format("%.0f", double(r.keys)); }},
    };
    return rows;
}

void Append(std::string& out, const char* format, const char* a, const char* b = "") {
    char line[160];
    std::snprintf(line, sizeof line, format, a, b);
    out += line;
}

}  // namespace

const char* ModeName(WaitMode mode) {
    switch (mode) {
        case WaitMode::Poll: return "poll";
        case WaitMode::Busy: return "busy";
        case WaitMode::Sleep: break;
    }
    return "sleep";
}

double CpuRatio(const std::vector<PacedResult>& results) {
    const PacedResult* sleep = nullptr;
    const PacedResult* busy = nullptr;
    for (const auto& r : results) {
        if (r.mode == WaitMode::Sleep) sleep = &r;
        if (r.mode == WaitMode::Busy) busy = &r;
    }
    if (sleep == nullptr || busy == nullptr || sleep->cpuPercent <= 0) return 0;
    return busy->cpuPercent / sleep->cpuPercent;
}

std::string FormatReport(const PacedOptions& options, const std::vector<PacedResult>& results) {
    std::string out;
    out += "Paced loop: " + std::to_string(options.frames) +
           " frames per mode in the real play window on the Qt platform.\n";
    out += "Steering: the paddle is set under the ball through GameState before every frame;\n";
    out += "a lost ball is resumed at once, a cleared wall rebuilt without its title.\n\n";
    Append(out, "%-32s", "");
    for (const auto& r : results) Append(out, "%14s", (std::string(ModeName(r.mode)) + " wait").c_str());
    out += "\n";
    for (const Row& row : Rows()) {
        Append(out, "%-32s", row.name);
        for (const auto& r : results) Append(out, "%14s", row.cell(r).c_str());
        out += "\n";
    }
    for (const auto& r : results) {
        if (r.closed) out += "The window was closed during the run; its figures are partial.\n";
    }
    const double ratio = CpuRatio(results);
    if (ratio > 0) out += Format("CPU ratio, busy wait to sleep wait: %.1f : 1\n", ratio);
    return out;
}

std::string ToJson(const std::vector<PacedResult>& results) {
    std::string out = "{";
    bool first = true;
    for (const auto& r : results) {
        if (!first) out += ", ";
        first = false;
        out += std::string("\"") + ModeName(r.mode) + "\": {";
        out += "\"frames\": " + std::to_string(r.frames);
        out += Format(", \"period_mean_ms\": %.6f", Ms(r.period.mean));
        out += Format(", \"period_median_ms\": %.6f", Ms(double(r.period.median)));
        out += Format(", \"period_p99_ms\": %.6f", Ms(double(r.period.p99)));
        out += Format(", \"period_min_ms\": %.6f", Ms(double(r.period.min)));
        out += Format(", \"period_max_ms\": %.6f", Ms(double(r.period.max)));
        out += ", \"below_22ms_tick\": " + std::to_string(r.belowTick);
        out += ", \"below_22ms_ns\": " + std::to_string(r.belowNanos);
        out += ", \"over_22_5ms\": " + std::to_string(r.overHalfMilli);
        out += Format(", \"late_median_ms\": %.6f", Ms(double(r.lateness.median)));
        out += Format(", \"late_p99_ms\": %.6f", Ms(double(r.lateness.p99)));
        out += Format(", \"late_max_ms\": %.6f", Ms(double(r.lateness.max)));
        out += Format(", \"work_mean_ms\": %.6f", Ms(r.work.mean));
        out += Format(", \"work_p99_ms\": %.6f", Ms(double(r.work.p99)));
        out += Format(", \"cpu_percent\": %.4f", r.cpuPercent);
        out += Format(", \"wall_seconds\": %.4f", r.wallSeconds);
        out += ", \"lost_balls\": " + std::to_string(r.lostBalls);
        out += ", \"walls_rebuilt\": " + std::to_string(r.wallsRebuilt);
        out += ", \"pointer_motions\": " + std::to_string(r.motions);
        out += ", \"key_presses\": " + std::to_string(r.keys);
        out += std::string(", \"closed\": ") + (r.closed ? "true" : "false") + "}";
    }
    const double ratio = CpuRatio(results);
    if (ratio > 0) out += Format(", \"cpu_ratio_busy_to_sleep\": %.4f", ratio);
    out += "}\n";
    return out;
}

bool WriteJson(const std::string& path, const std::vector<PacedResult>& results) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << ToJson(results);
    return static_cast<bool>(file.flush());
}

}  // namespace bench
