// How long one frame's drawing takes in the Qt surface, and how much of a
// core the frame loop uses while a game waits paused (its wait must idle in
// the event loop, not spin).

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdlib>

#include "game/Game.h"
#include "platform/fake/FakePlatform.h"
#include "platform/qt/Pictures.h"
#include "platform/qt/QtSurface.h"
#include "platform/qt/frmMain.h"

namespace {

const std::string kSheet = std::string(TILEBASH_SOURCE_DIR) + "/Images/bitmaps.bmp";

struct Scene {
    platform::fake::FakePlatform fakes;
    platform::qt::QtSurface surface{platform::qt::PlayFieldPicture()};
    game::Game game{platform::Services{fakes.keyboard, fakes.clock, fakes.events, fakes.messages,
                                       fakes.random, surface},
                    TILEBASH_SOURCE_DIR};
    explicit Scene(benchmark::State& state) {
        std::string error;
        if (!surface.LoadBitmaps(kSheet, error)) state.SkipWithError(error.c_str());
        game.NewGame();
        game.ServeBall();
        game.BuildWall();
    }
};

void BM_DrawFrame(benchmark::State& state) {
    Scene scene(state);
    scene.game.locals.paused = state.range(0) != 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(scene.game.DrawFrame());
    }
    state.SetLabel(state.range(0) ? "paused, full wall" : "running, full wall");
}
BENCHMARK(BM_DrawFrame)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_PrintStatusPanel(benchmark::State& state) {
    Scene scene(state);
    platform::qt::QtSurface& s = scene.surface;
    for (auto _ : state) {
        s.CurrentX(544), s.CurrentY(88), s.Print("Point Total:");
        s.CurrentX(540), s.CurrentY(108), s.Print(" 123450");
        s.CurrentX(544), s.CurrentY(146), s.Print("Lives: 3");
        s.CurrentX(544), s.CurrentY(186), s.Print("Level: 1.1");
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_PrintStatusPanel)->Unit(benchmark::kMicrosecond);

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// A whole game in frmMain: the level title, then paused frames, for the
// measured span; the window's close request ends it. Reports the process's
// CPU time as a share of one core over the wall time.
void BM_PausedGameCpuShare(benchmark::State& state) {
    QTemporaryDir dir;
    QDir().mkpath(dir.filePath("Images"));
    QFile::copy(QString::fromStdString(kSheet), dir.filePath("Images/bitmaps.bmp"));
    frmMain window(dir.path().toStdString());
    std::string error;
    if (!window.ShowAndFocus(error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    const int seconds = static_cast<int>(state.range(0));
    double share = 0;
    int64_t frames = 0;
    for (auto _ : state) {
        double cpuStart = 0;
        QElapsedTimer wall;
        int64_t refreshStart = 0;
        // Measure from the end of the title on; the game starts paused.
        QTimer::singleShot(2500, &window, [&] {
            cpuStart = CpuSeconds();
            refreshStart = window.surface().refreshCount();
            wall.start();
        });
        QTimer::singleShot(2500 + seconds * 1000, &window, [&] {
            share = (CpuSeconds() - cpuStart) / (static_cast<double>(wall.elapsed()) / 1000.0);
            frames = window.surface().refreshCount() - refreshStart;
            window.close();
        });
        benchmark::DoNotOptimize(window.Main());
    }
    state.counters["cpu_percent_of_one_core"] = share * 100.0;
    state.counters["frames_per_second"] = static_cast<double>(frames) / seconds;
}
BENCHMARK(BM_PausedGameCpuShare)->Arg(10)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
