// The paced-loop measurement: the real play window and its Qt platform run
// frames of play for the given count, and the period between frame starts
// and the CPU use are measured. Run it under X (bench/run.py starts an Xvfb
// and a second process that moves the pointer and presses keys).
//
//   paced_loop [--frames N] [--waits sleep,timer-then-poll,busy]
//   paced_loop --latency WAIT [--frames N]
//
// --waits runs the named frame waits one after the other in the same process.
// The steering: the paddle is set under the ball through GameState before
// every frame; a lost ball is resumed at once and a cleared wall rebuilt (both
// are counted). --latency runs play with the paddle at rest for
// bench/latency.py, which presses the keys, until Q or N frames.
//
// Standard output carries JSON lines only: {"ready": ...} once the window is
// up (with the paddle's band for --latency), then the figures of every wait.

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/DisplaySettings.h"
#include "app/frmMain.h"
#include "bench/KeyLatencyLoop.h"
#include "bench/PacedLoop.h"
#include "bench/PacedReport.h"

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
                 "usage: paced_loop [--frames N] [--waits sleep,timer-then-poll,busy]\n"
                 "       paced_loop --latency WAIT [--frames N]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    int64_t frames = 2000;
    std::vector<bench::FrameWait> waits{bench::FrameWait::Sleep};
    bool latency = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--frames" && hasValue) {
            frames = std::strtoll(argv[++i], nullptr, 10);
        } else if ((arg == "--waits" || arg == "--latency") && hasValue) {
            latency = arg == "--latency";
            if (!bench::ParseWaits(argv[++i], waits) || (latency && waits.size() != 1)) return Usage();
        } else {
            return Usage();
        }
    }
    if (frames < 2) return Usage();

    ChooseDisplaySettings();  // as the program does
    QApplication app(argc, argv);
    InputCounter input;
    app.installEventFilter(&input);

    frmMain window(TILEBASH_SOURCE_DIR);
    std::string error;
    if (!window.ShowAndFocus(error)) {
        std::fprintf(stderr, "paced_loop: %s\n", error.c_str());
        return 1;
    }
    RunEventsFor(300);  // mapped and painted once before anything is timed
    if (latency) {
        const bench::PaddleBand band = bench::StartKeyLatencyPlay(window);
        std::printf("{\"ready\": true, \"band\": [%d, %d, %d, %d]}\n", band.left, band.top, band.width,
                    band.height);
        std::fflush(stdout);
        bench::RunKeyLatencyLoop(window, frames, waits.front());
        window.Unload();
        return 0;
    }
    std::printf("{\"ready\": true}\n");
    std::fflush(stdout);
    // The input process starts on ready; the run begins with its first event
    // (or after 5 s without one).
    QElapsedTimer waited;
    waited.start();
    while (input.motions + input.keys == 0 && waited.elapsed() < 5000) RunEventsFor(10);

    std::vector<bench::PacedResult> results;
    for (bench::FrameWait wait : waits) {
        const int64_t motions = input.motions, keys = input.keys;
        results.push_back(bench::RunPacedLoop(window, frames, wait));
        results.back().motions = input.motions - motions;
        results.back().keys = input.keys - keys;
        if (results.back().closed) break;
    }
    window.Unload();
    std::printf("%s\n", bench::ToJson(results).c_str());
    return results.back().closed ? 1 : 0;
}
