// The paced-loop measurement: the real play window and its Qt platform run
// frames of play for the given count, and the period between frame starts
// and the CPU use are printed. Run it under X (bench/paced_loop.py starts an
// Xvfb and a second process that moves the pointer and presses keys).
//
//   paced_loop [--frames N] [--idle | --busy | --both] [--json FILE] [--folder DIR]
//
// --both runs the idle wait and then the busy wait in the same process and
// prints them side by side with their CPU ratio. The steering: the paddle is
// set under the ball through GameState before every frame; a lost ball is
// resumed at once and a cleared wall rebuilt (both are counted).

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

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
    std::fprintf(stderr, "usage: paced_loop [--frames N] [--idle|--busy|--both] [--json FILE] [--folder DIR]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    bench::PacedOptions options;
    options.folder = TILEBASH_SOURCE_DIR;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--frames" && hasValue) {
            options.frames = std::strtoll(argv[++i], nullptr, 10);
        } else if (arg == "--idle") {
            options.modes = {false};
        } else if (arg == "--busy") {
            options.modes = {true};
        } else if (arg == "--both") {
            options.modes = {false, true};
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
    std::printf("READY\n");
    std::fflush(stdout);
    // The input process starts on READY; the run begins with its first event
    // (or after 5 s without one).
    QElapsedTimer waited;
    waited.start();
    while (input.motions + input.keys == 0 && waited.elapsed() < 5000) RunEventsFor(10);

    std::vector<bench::PacedResult> results;
    for (bool busy : options.modes) {
        const int64_t motions = input.motions, keys = input.keys;
        results.push_back(bench::RunPacedLoop(window, options.frames, busy));
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
