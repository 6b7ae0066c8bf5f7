// The CPU share of a paused game's frame loop in the real event loop (off
// screen): frmMain runs a whole game, the level title, then paused frames,
// for the measured span; the window's close request ends it. The real
// program under X is measured by program_figures.py; this one needs no
// display and shows a wait that spins at once.

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include "bench/DrawScene.h"
#include "app/frmMain.h"

namespace {

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void BM_PausedGameCpuShare(benchmark::State& state) {
    QTemporaryDir dir;
    QDir().mkpath(dir.filePath("Images"));
    QFile::copy(QString::fromStdString(bench::kSheetPath), dir.filePath("Images/bitmaps.bmp"));
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
        // Measured from the end of the title on; the game starts paused.
        QTimer::singleShot(2500, &window, [&] {
            cpuStart = CpuSeconds();
            refreshStart = window.Surface().RefreshCount();
            wall.start();
        });
        QTimer::singleShot(2500 + seconds * 1000, &window, [&] {
            share = (CpuSeconds() - cpuStart) / (static_cast<double>(wall.elapsed()) / 1000.0);
            frames = window.Surface().RefreshCount() - refreshStart;
            window.close();
        });
        benchmark::DoNotOptimize(window.Main());
    }
    state.counters["cpu_percent_of_one_core"] = share * 100.0;
    state.counters["frames_per_second"] = static_cast<double>(frames) / seconds;
}
BENCHMARK(BM_PausedGameCpuShare)->Arg(2)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
