"""The whole benchmark suite, one step after the other so that no step
disturbs another, and the table of its figures against their goals.

    run_all.py --build-dir DIR [--short] [--strict]

--short runs every step briefly (200 paced frames, 2 s CPU spans, 3 starts)
to show that it still builds and runs; its figures are not the goals'.
--strict ends with status 1 when a goal is not met.
"""

import argparse
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

import figures  # noqa: E402
import paced_loop  # noqa: E402
import program_figures  # noqa: E402

FULL = {"repetitions": 10, "min_time": 0.5, "paced_draw": 1000, "frames": 2000, "seconds": 20.0,
        "window": 1.0, "starts": 10}
SHORT = {"repetitions": 2, "min_time": 0.05, "paced_draw": 100, "frames": 200, "seconds": 2.0,
         "window": 1.0, "starts": 3}


def google_benchmark(exe, args, env=None):
    """Runs a Google Benchmark program (its console output shown) and returns its JSON runs."""
    fd, out = tempfile.mkstemp(prefix="bench-", suffix=".json")
    os.close(fd)
    try:
        subprocess.run([exe, "--benchmark_out=" + out, "--benchmark_out_format=json"] + args, check=True, env=env)
        with open(out) as f:
            return [b for b in json.load(f)["benchmarks"] if b.get("run_type", "iteration") == "iteration"]
    finally:
        os.unlink(out)


def by_name(runs, prefix):
    return [r for r in runs if r["name"].startswith(prefix)]


def rules_figures(build_dir, p):
    runs = google_benchmark(os.path.join(build_dir, "bin", "bench_rules"),
                            ["--benchmark_repetitions=%d" % p["repetitions"],
                             "--benchmark_min_time=%g" % p["min_time"]])
    rules = [r["cpu_time"] / 1000.0 for r in by_name(runs, "BM_RunFrame")]  # ns -> us
    sims = [r["frames_per_second"] / 1e6 for r in by_name(runs, "BM_HeadlessSimulation")]
    out = {"rules": figures.summary(rules)}
    out["rules"]["note"] = "CPU time per frame, %d repetitions (p99: slowest)" % len(rules)
    sim = figures.summary(sims)
    if sim:
        sim["p99"] = figures.nearest_rank(sims, 1)  # more is better: the slow tail
        sim["note"] = "%d repetitions (p99: slowest)" % len(sims)
    out["simulation"] = sim
    return out


def draw_figures(build_dir, p):
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    frames = p["paced_draw"]
    filt = "BM_DrawFramePaced/[01]/%d/" % frames
    if frames == FULL["paced_draw"]:
        filt += "|BM_DrawFrame/|BM_PrintStatusPanel|BM_PausedGameCpuShare"
    runs = google_benchmark(os.path.join(build_dir, "bin", "bench_draw"),
                            ["--benchmark_filter=" + filt, "--benchmark_min_time=%g" % p["min_time"]], env)
    out = {}
    for key, scene in (("draw_usual", 0), ("draw_worst", 1)):
        run = by_name(runs, "BM_DrawFramePaced/%d/%d/" % (scene, frames))
        if run:
            r = run[0]
            out[key] = {"mean": r["mean_us"] / 1000.0, "median": r["median_us"] / 1000.0,
                        "p99": r["p99_us"] / 1000.0,
                        "note": "%d frames, one every 22 ms, off screen; max %.3f ms" % (frames, r["max_us"] / 1000.0)}
    return out


def loop_figures(build_dir, p):
    result = paced_loop.run(build_dir, p["frames"], "both")
    idle, busy = result.get("idle", {}), result.get("busy", {})
    out = {
        "period": {"mean": idle["period_mean_ms"], "median": idle["period_median_ms"], "p99": idle["period_p99_ms"],
                   "note": "%d frames, idle wait; min %.4f, max %.4f ms; %d over 22.5 ms; start after the tick "
                           "deadline p99 %.3f ms; %d pointer motions and %d key presses delivered; CPU %.2f %%" % (
                               idle["frames"], idle["period_min_ms"], idle["period_max_ms"], idle["over_22_5ms"],
                               idle.get("late_p99_ms", float("nan")), idle["pointer_motions"], idle["key_presses"],
                               idle["cpu_percent"])},
        "below_tick": {"value": idle["below_22ms_tick"]},
        "below_ns": {"value": idle["below_22ms_ns"]},
    }
    if busy:
        out["busy_cpu"] = {"value": busy["cpu_percent"],
                           "note": "idle wait %.2f %% in the same run" % idle["cpu_percent"]}
    if "cpu_ratio_busy_to_idle" in result:
        out["busy_ratio"] = {"value": result["cpu_ratio_busy_to_idle"]}
    out["loop_cpu"] = {"value": idle["cpu_percent"], "note": "idle wait, under Xvfb with pointer and key input"}
    # The same loop on Wayland, right after: the compositor's frame callbacks
    # must neither throttle nor delay the 22 ms frames.
    if shutil.which("weston") is not None:
        wl = paced_loop.run(build_dir, p["frames"], "idle", on_weston=True)["idle"]
        out["period_weston"] = {
            "mean": wl["period_mean_ms"], "median": wl["period_median_ms"], "p99": wl["period_p99_ms"],
            "note": "%d frames, idle wait, headless Weston (pixman), no input; min %.4f, max %.4f ms; %d over "
                    "22.5 ms; %d below 22 ms on the tick" % (wl["frames"], wl["period_min_ms"], wl["period_max_ms"],
                                                           wl["over_22_5ms"], wl["below_22ms_tick"])}
        out["loop_cpu_weston"] = {"value": wl["cpu_percent"], "note": "idle wait, headless Weston, no input"}
    return out


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build-dir", required=True)
    parser.add_argument("--short", action="store_true")
    parser.add_argument("--strict", action="store_true")
    args = parser.parse_args()
    build_dir = os.path.abspath(args.build_dir)
    p = SHORT if args.short else FULL
    started = time.monotonic()
    found = {}
    steps = [
        ("rules and headless simulation", lambda: rules_figures(build_dir, p)),
        ("drawing", lambda: draw_figures(build_dir, p)),
        ("paced loop", lambda: loop_figures(build_dir, p)),
        ("the real program", lambda: program_figures.run(os.path.join(build_dir, "program"), p["seconds"],
                                                         p["window"], p["starts"])),
    ]
    failed = []
    for title, step in steps:
        print("\n=== %s ===" % title, flush=True)
        try:
            found.update(step())
        except Exception as error:  # the other steps still give their figures
            print("step failed: %s: %s" % (type(error).__name__, error), flush=True)
            failed.append(title)
    with open(os.path.join(build_dir, "bench-figures.json"), "w") as f:
        json.dump(found, f, indent=1)
    print("\n=== figures%s (%.0f s) ===" % (" (short run, not the goals' conditions)" if args.short else "",
                                           time.monotonic() - started))
    print(figures.table(found))
    if failed:
        print("steps that failed: %s" % ", ".join(failed))
        return 1
    missed = figures.missed(found)
    if missed and args.strict:
        print("goals not met: %s" % ", ".join(missed))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
