// The paced-loop measurement: the real play window and its Qt platform run
// frames of play, and every frame's start is recorded. Run it under X
// (bench/paced.py starts an Xvfb and a thread that moves the pointer
// and presses keys) or under a Wayland compositor.
//
//   paced_loop [--fullscreen] [--no-input] FRAMES WAIT...      WAIT: sleep, timer-then-poll or busy
//   paced_loop [--fullscreen] --latency FRAMES WAIT
//
// The waits named run one after the other in the same process. --latency
// runs play with the paddle at rest for bench/latency.py, which presses the
// keys, until Q or FRAMES frames. --fullscreen shows the window full screen,
// as F11 does (a window manager must grant it), before anything is timed.
// --no-input starts at once instead of waiting up to 5 s for the first input.
//
// Standard output carries JSON lines only: {"ready": ...} once the window is
// up, with the frame period (and the paddle's band in window units for
// --latency), {"begin": WAIT} and {"end": WAIT} around each wait's frames,
// then every wait's samples:
// {"sleep": {"starts": [ns...], "ticks": [ms...], "frame_ms": 22, ...}, ...}.

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>
#include <QScreen>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "app/DisplaySettings.h"
#include "app/frmMain.h"
#include "bench/PlayLoops.h"
#include "game/Constants.h"

namespace {

// Counts the input the window gets, to show that input did arrive. Seen on
// the window itself: its widget gets pointer motion only while tracking it.
class InputCounter final : public QObject {
public:
    long long motions = 0;
    long long keys = 0;
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

// Full screen is granted by the window manager some time after the request.
bool CoversItsScreen(const QWidget& window) {
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 10000) {
        if (window.isFullScreen() && window.size() == window.screen()->size()) return true;
        RunEventsFor(10);
    }
    return false;
}

void PrintList(const char* name, const std::vector<int64_t>& values) {
    std::printf("\"%s\": [", name);
    for (std::size_t i = 0; i < values.size(); ++i)
        std::printf(i ? ", %lld" : "%lld", (long long)values[i]);
    std::printf("], ");
}

void PrintRun(const bench::PacedRun& run) {
    std::printf("\"%s\": {", bench::FrameWaitName(run.wait));
    PrintList("starts", run.starts);
    PrintList("ticks", run.ticks);
    std::printf(
        "\"frame_ms\": %d, \"cpu_ns\": %lld, \"main_cpu_ns\": %lld, \"switches\": %lld, "
        "\"main_switches\": %lld, \"wall_ns\": %lld, \"lost_balls\": %lld, \"walls_rebuilt\": %lld, "
        "\"pointer_motions\": %lld, \"key_presses\": %lld}",
        int{game::kFrameMillis}, (long long)run.cpuNanos, (long long)run.mainCpuNanos,
        (long long)run.switches, (long long)run.mainSwitches, (long long)run.wallNanos,
        (long long)run.lostBalls, (long long)run.wallsRebuilt, (long long)run.motions, (long long)run.keys);
}

// The edges of a wait's frames, for the harness to time the display server by.
void PrintMark(const char* edge, bench::FrameWait wait) {
    std::printf("{\"%s\": \"%s\"}\n", edge, bench::FrameWaitName(wait));
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    int first = 1;
    const auto option = [&](std::string_view name) {
        const bool given = argc > first && argv[first] == name;
        if (given) ++first;
        return given;
    };
    const bool fullScreen = option("--fullscreen");
    const bool noInput = option("--no-input");
    const bool latency = option("--latency");
    const long long frames = argc > first ? std::strtoll(argv[first], nullptr, 10) : 0;
    std::vector<bench::FrameWait> waits;
    bool ok = frames >= 2 && argc > first + 1;
    for (int i = first + 1; ok && i < argc; ++i) ok = bench::FrameWaitNamed(argv[i], waits.emplace_back());
    if (!ok || (latency && (waits.size() != 1 || noInput))) {
        std::fprintf(stderr,
                     "usage: paced_loop [--fullscreen] [--no-input] FRAMES WAIT...\n"
                     "       paced_loop [--fullscreen] --latency FRAMES WAIT\n");
        return 2;
    }

    ChooseDisplaySettings();  // as the program does
    QApplication app(argc, argv);
    InputCounter input;
    app.installEventFilter(&input);

    bench::MeasuredWaits* measured = nullptr;  // in front of the window's pump, made with it
    frmMain window(TILEBASH_SOURCE_DIR, bench::InFrontOfWindow(bench::FrameWait::Sleep, &measured));
    window.SetFullScreen(fullScreen);
    std::string error;
    if (!window.ShowAndFocus(error)) {
        std::fprintf(stderr, "paced_loop: %s\n", error.c_str());
        return 1;
    }
    if (fullScreen && !CoversItsScreen(window)) {
        std::fprintf(stderr, "paced_loop: full screen was not granted (is a window manager running?)\n");
        return 1;
    }
    RunEventsFor(300);  // mapped and painted once before anything is timed
    if (latency) {
        const QRect band = bench::StartKeyLatencyPlay(window);
        std::printf("{\"ready\": true, \"frame_ms\": %d, \"band\": [%d, %d, %d, %d]}\n",
                    int{game::kFrameMillis}, band.x(), band.y(), band.width(), band.height());
        std::fflush(stdout);
        bench::RunKeyLatencyLoop(window, *measured, frames, waits.front());
        window.Unload();
        return 0;
    }
    std::printf("{\"ready\": true, \"frame_ms\": %d}\n", int{game::kFrameMillis});
    std::fflush(stdout);
    // The input starts on ready; the run begins with its first event
    // (or after 5 s without one).
    QElapsedTimer waited;
    waited.start();
    while (!noInput && input.motions + input.keys == 0 && waited.elapsed() < 5000) RunEventsFor(10);

    // The samples are printed after the last wait, so that no output disturbs a
    // run; the marks fall just outside its timed frames.
    std::vector<bench::PacedRun> runs;
    for (bench::FrameWait wait : waits) {
        const long long motions = input.motions, keys = input.keys;
        runs.push_back(bench::RunPacedLoop(window, *measured, frames, wait, PrintMark));
        runs.back().motions = input.motions - motions;
        runs.back().keys = input.keys - keys;
        if (runs.back().closed) break;
    }
    window.Unload();
    std::printf("{");
    for (std::size_t i = 0; i < runs.size(); ++i) {
        if (i > 0) std::printf(", ");
        PrintRun(runs[i]);
    }
    std::printf("}\n");
    return runs.back().closed ? 1 : 0;
}
