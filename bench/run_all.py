"""The whole benchmark suite, one step after the other so that no step
disturbs another, and the table of its figures against their goals.

    run_all.py --build-dir DIR [--short] [--strict]

--short runs every step briefly (200 paced frames, 2 s CPU spans, 3 starts,
10 key presses)
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
import key_latency  # noqa: E402
import paced_loop  # noqa: E402
import program_figures  # noqa: E402

FULL = {"repetitions": 10, "min_time": 0.5, "paced_draw": 1000, "frames": 2000, "seconds": 20.0,
        "window": 1.0, "starts": 10, "presses": 250}
SHORT = {"repetitions": 2, "min_time": 0.05, "paced_draw": 100, "frames": 200, "seconds": 2.0,
         "window": 1.0, "starts": 3, "presses": 10}


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


def _period(f, note):
    return {"mean": f["period_mean_ms"], "median": f["period_median_ms"], "p99": f["period_p99_ms"],
            "note": "%d frames, %s; min %.4f, max %.4f ms; %d over 22.5 ms; %d below 22 ms on the tick; "
                    "CPU %.2f %%" % (f["frames"], note, f["period_min_ms"], f["period_max_ms"], f["over_22_5ms"],
                                     f["below_22ms_tick"], f["cpu_percent"])}


def _late(f, note):
    return {"median": f["late_median_ms"], "p99": f["late_p99_ms"], "note": note}


def busy_loops(count=2):
    """Processes that spin a core each, until stopped: a busy machine."""
    return [subprocess.Popen([sys.executable, "-c", "while True: pass"], start_new_session=True)
            for _ in range(count)]


def stop_all(procs):
    for proc in procs:
        proc.kill()
        proc.wait(10)


def loop_figures(build_dir, p):
    result = paced_loop.run(build_dir, p["frames"], ("sleep", "poll", "busy"))
    sleep, poll, busy = result["sleep"], result["poll"], result.get("busy", {})
    out = {
        "period": _period(sleep, "sleep wait; %d pointer motions and %d key presses delivered" % (
            sleep["pointer_motions"], sleep["key_presses"])),
        "period_poll": _period(poll, "earlier wait (Qt timer, last ms polled), same run"),
        "late": _late(sleep, "sleep wait: start after the tick deadline; max %.3f ms" % sleep["late_max_ms"]),
        "late_poll": _late(poll, "earlier wait, same run; max %.3f ms" % poll["late_max_ms"]),
        "below_tick": {"value": sleep["below_22ms_tick"], "note": "earlier wait: %d" % poll["below_22ms_tick"]},
        "below_ns": {"value": sleep["below_22ms_ns"]},
        "loop_cpu": {"value": sleep["cpu_percent"], "note": "sleep wait, under Xvfb with pointer and key input"},
        "loop_cpu_poll": {"value": poll["cpu_percent"], "note": "earlier wait, same run"},
    }
    if busy:
        out["busy_cpu"] = {"value": busy["cpu_percent"],
                           "note": "sleep wait %.2f %% in the same run" % sleep["cpu_percent"]}
    if "cpu_ratio_busy_to_sleep" in result:
        out["busy_ratio"] = {"value": result["cpu_ratio_busy_to_sleep"]}
    # A busy machine: two processes spin both cores while both waits run.
    spinners = busy_loops()
    try:
        loaded = paced_loop.run(build_dir, p["frames"], ("sleep", "poll"))
    finally:
        stop_all(spinners)
    ls, lp = loaded["sleep"], loaded["poll"]
    out["period_loaded"] = dict(_period(ls, "sleep wait, two busy loops running"), versus=lp["period_p99_ms"])
    out["period_loaded_poll"] = _period(lp, "earlier wait, two busy loops running, same run")
    out["late_loaded"] = dict(_late(ls, "sleep wait, two busy loops; max %.3f ms" % ls["late_max_ms"]),
                              versus=lp["late_p99_ms"])
    out["late_loaded_poll"] = _late(lp, "earlier wait, two busy loops, same run; max %.3f ms" % lp["late_max_ms"])
    out["loop_cpu_loaded"] = {"value": ls["cpu_percent"],
                              "note": "sleep wait, two busy loops; earlier wait %.2f %%" % lp["cpu_percent"]}
    # The same loop on Wayland, right after: the compositor's frame callbacks
    # must neither throttle nor delay the 22 ms frames.
    if shutil.which("weston") is not None:
        wl = paced_loop.run(build_dir, p["frames"], ("sleep",), on_weston=True)["sleep"]
        out["period_weston"] = _period(wl, "sleep wait, headless Weston (pixman), no input")
        out["loop_cpu_weston"] = {"value": wl["cpu_percent"], "note": "sleep wait, headless Weston, no input"}
    return out


def latency_figures(build_dir, p):
    found = key_latency.run(build_dir, p["presses"])
    out = {}
    for mode, key in (("sleep", "key_latency"), ("poll", "key_latency_poll"), ("busy", "key_latency_busy")):
        f = dict(found[mode])
        f["note"] = "%s wait; %d presses of Right at random moments of the frame, %d not seen; min %.2f, " \
                    "max %.2f ms" % (mode, f["presses"], f["missed"], f.get("min") or float("nan"),
                                     f.get("max") or float("nan"))
        out[key] = f
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
        ("key to screen", lambda: latency_figures(build_dir, p)),
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
