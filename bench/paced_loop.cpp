// The paced-loop measurement: the real play window and its Qt platform run
// frames of play for the given count, and the period between frame starts
// and the CPU use are printed. Run it under X (bench/paced_loop.py starts an
// Xvfb and a second process that moves the pointer and presses keys).
//
//   paced_loop [--frames N] [--modes sleep,poll,busy] [--json FILE] [--folder DIR]
//   paced_loop --latency MODE [--frames N] [--folder DIR]
//
// --modes runs the named frame waits one after the other in the same process
// and prints them side by side, with the busy wait's CPU ratio to the sleep's.
// The steering: the paddle is set under the ball through GameState before
// every frame; a lost ball is resumed at once and a cleared wall rebuilt (both
// are counted). --latency runs play with the paddle at rest for
// bench/key_latency.py, which presses the keys: it prints the paddle's band,
// and runs until Q or N frames.

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/KeyLatencyLoop.h"
#include "bench/PacedLoop.h"
#include "bench/PacedReport.h"
#include "app/frmMain.h"

namespace {

// Counts the input the window gets, to show that input did arrive. Seen on
// the window itself: its widget gets pointer motion only while tracking it.
class InputCounter final : public QObject {
public:
    int64_t motions = 0;
    int64_t keys = 0;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched->isWindowType()) {
            if (event->type() == QEvent::MouseMove) ++motions;
            if (event->type() == QEvent::KeyPress) ++keys;
        }
        return false;
    }
};

void RunEventsFor(int millis) {
    QEventLoop loop;
    QTimer::singleShot(millis, &loop, &QEventLoop::quit);
    loop.exec();
}

int Usage() {
    std::fprintf(stderr,
                 "usage: paced_loop [--frames N] [--modes sleep,poll,busy] [--json FILE] [--folder DIR]\n"
                 "       paced_loop --latency sleep|poll|busy [--frames N] [--folder DIR]\n");
    return 2;
}

bool ParseMode(const std::string& name, bench::WaitMode& mode) {
    for (bench::WaitMode m : {bench::WaitMode::Sleep, bench::WaitMode::Poll, bench::WaitMode::Busy}) {
        if (name == bench::ModeName(m)) {
            mode = m;
            return true;
        }
    }
    return false;
}

bool ParseModes(const std::string& list, std::vector<bench::WaitMode>& modes) {
    modes.clear();
    std::size_t from = 0;
    while (from <= list.size()) {
        const std::size_t comma = std::min(list.find(',', from), list.size());
        bench::WaitMode mode{};
        if (!ParseMode(list.substr(from, comma - from), mode)) return false;
        modes.push_back(mode);
        from = comma + 1;
    }
    return !modes.empty();
}

}  // namespace

int main(int argc, char** argv) {
    bench::PacedOptions options;
    options.folder = TILEBASH_SOURCE_DIR;
    bool latency = false;
    bench::WaitMode latencyMode = bench::WaitMode::Sleep;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--frames" && hasValue) {
            options.frames = std::strtoll(argv[++i], nullptr, 10);
        } else if (arg == "--modes" && hasValue) {
            if (!ParseModes(argv[++i], options.modes)) return Usage();
        } else if (arg == "--latency" && hasValue) {
            latency = true;
            if (!ParseMode(argv[++i], latencyMode)) return Usage();
        } else if (arg == "--json" && hasValue) {
            options.json = argv[++i];
        } else if (arg == "--folder" && hasValue) {
            options.folder = argv[++i];
        } else {
            return Usage();
        }
    }
    if (options.frames < 2) return Usage();

    QApplication app(argc, argv);
    InputCounter input;
    app.installEventFilter(&input);

    frmMain window(options.folder);
    std::string error;
    if (!window.ShowAndFocus(error)) {
        std::fprintf(stderr, "paced_loop: %s\n", error.c_str());
        return 1;
    }
    RunEventsFor(300);  // mapped and painted once before anything is timed
    if (latency) {
        const bench::PaddleBand band = bench::StartKeyLatencyPlay(window);
        std::printf("BAND %d %d %d %d\nREADY\n", band.left, band.top, band.width, band.height);
        std::fflush(stdout);
        const int64_t frames = bench::RunKeyLatencyLoop(window, options.frames, latencyMode);
        window.Unload();
        std::printf("FRAMES %lld\n", static_cast<long long>(frames));
        return 0;
    }
    std::printf("READY\n");
    std::fflush(stdout);
    // The input process starts on READY; the run begins with its first event
    // (or after 5 s without one).
    QElapsedTimer waited;
    waited.start();
    while (input.motions + input.keys == 0 && waited.elapsed() < 5000) RunEventsFor(10);

    std::vector<bench::PacedResult> results;
    for (bench::WaitMode mode : options.modes) {
        const int64_t motions = input.motions, keys = input.keys;
        results.push_back(bench::RunPacedLoop(window, options.frames, mode));
        results.back().motions = input.motions - motions;
        results.back().keys = input.keys - keys;
        if (results.back().closed) break;
    }
    window.Unload();

    std::fputs(bench::FormatReport(options, results).c_str(), stdout);
    if (!options.json.empty() && !bench::WriteJson(options.json, results)) {
        std::fprintf(stderr, "paced_loop: cannot write %s\n", options.json.c_str());
        return 1;
    }
    for (const auto& r : results) {
        if (r.closed) return 1;
    }
    return 0;
}
