"""The paced loop (the paced_loop program) in its own Xvfb, with a second
process moving the pointer over the play window and pressing arrow keys; or
under a private headless Weston, on Qt's Wayland plugin, without input
(nothing can inject input into a headless Weston). The frame waits named run
one after the other in the same process: the default sleep to the deadline,
the timer-then-poll wait, and a busy wait. Then the sleep in full screen on
each screen of figures.FULL_SCREENS (an Xvfb of that size under openbox).
"""

import contextlib
import json
import os
import shutil
import subprocess
import sys
import tempfile

import figures
import harness
import weston
import x11
import xinput

WAITS = ("sleep", "timer-then-poll", "busy")
PLAY_SIZE = (640, 420)
TITLE_SECONDS = 2.0
NS_PER_MS = 1_000_000


@contextlib.contextmanager
def display(on_weston=False, screen=None):
    """The environment of a private Xvfb (or headless Weston) to run paced_loop
    in; with a screen size, an Xvfb of that size under openbox, which grants
    full screen."""
    with tempfile.TemporaryDirectory(prefix="paced-runtime-") as runtime:
        if on_weston:
            server = weston.Weston()
        elif screen:
            server = harness.XServer(screen, "openbox", os.path.join(runtime, "config"))
        else:
            server = harness.XServer()
        try:
            yield server.env() if on_weston else dict(server.env(), XDG_RUNTIME_DIR=runtime)
        finally:
            server.stop()


def full_screen_args(screen):
    """paced_loop's option for full screen on that screen, if any."""
    return ["--fullscreen"] if screen else []


def start(build_dir, args, env):
    """Starts paced_loop and returns it with its ready line's JSON, once it has one."""
    proc = subprocess.Popen([os.path.join(build_dir, "bin", "paced_loop")] + args, env=env,
                            stdout=subprocess.PIPE, start_new_session=True)
    while True:
        line = proc.stdout.readline()
        if not line:
            proc.wait(30)
            raise RuntimeError("paced_loop %s did not start (%s)" % (" ".join(args), proc.returncode))
        if line.startswith(b"{"):
            return proc, json.loads(line)


def report(result):
    """The waits side by side, one row a figure."""
    waits = list(result)
    lines = ["%-20s" % "" + "".join("%16s" % w for w in waits)]
    for name in result[waits[0]]:
        values = (result[w][name] for w in waits)
        lines.append("%-20s" % name + "".join("%16s" % (v if isinstance(v, int) else "%.4f" % v) for v in values))
    return "\n".join(lines)


def wait_figures(raw):
    """One wait's figures from what paced_loop recorded: each frame's start
    (steady clock ns) and the game's millisecond tick at that start."""
    starts, ticks, frame_ms = raw["starts"], raw["ticks"], raw["frame_ms"]
    periods = [b - a for a, b in zip(starts, starts[1:])]
    # A frame is late by its start less the moment the tick reached the frame
    # before's tick + frame_ms. The tick's origin is taken as the earliest start
    # within its tick, so a wait that ends on the tick's first ns is 0 late.
    origin = min(s - t * NS_PER_MS for s, t in zip(starts, ticks))
    late = [s - origin - (t + frame_ms) * NS_PER_MS for s, t in zip(starts[1:], ticks)]
    period, lateness = (figures.summary([v / NS_PER_MS for v in ns]) for ns in (periods, late))
    out = {"frames": len(periods)}
    out.update(("period_%s_ms" % k, period[k]) for k in ("mean", "median", "p99", "min", "max"))
    out.update({"below_22ms_tick": sum(b - a < frame_ms for a, b in zip(ticks, ticks[1:])),
                "below_22ms_ns": sum(v < frame_ms * NS_PER_MS for v in periods),
                "over_22_5ms": sum(v > (frame_ms + 0.5) * NS_PER_MS for v in periods)})
    out.update(("late_%s_ms" % k, lateness[k]) for k in ("median", "p99", "max"))
    out["cpu_percent"] = 100.0 * raw["cpu_ns"] / raw["wall_ns"]
    out.update((k, raw[k]) for k in ("lost_balls", "walls_rebuilt", "pointer_motions", "key_presses"))
    return out


def run(build_dir, frames=2000, waits=WAITS, on_weston=False, echo=True, screen=None):
    """What paced_loop measured: {wait: {figure: value}}; in full screen on a screen of that size if given."""
    with display(on_weston, screen) as env:
        proc, ready = start(build_dir, full_screen_args(screen) + [str(frames)] + list(waits), env)
        seconds = len(waits) * (frames * ready["frame_ms"] / 1000.0 + TITLE_SECONDS) + 5
        inp = None
        try:
            if not on_weston:  # paced_loop starts on its own after 5 s without input
                inp = xinput.start(env, x11.visible_window(env, proc.pid, screen or PLAY_SIZE)[1:], seconds)
            output, _ = proc.communicate(timeout=seconds + 60)
        finally:
            if inp is not None:
                harness.end_process(inp)
            harness.end_process(proc)
    if proc.returncode != 0:
        raise RuntimeError("paced_loop failed (%d)" % proc.returncode)
    result = {wait: wait_figures(raw) for wait, raw in json.loads(output.splitlines()[-1]).items()}
    if echo:
        where = ", Weston" if on_weston else ", full screen on %dx%d" % screen if screen else ""
        print("Paced loop: %d frames a wait%s\n%s" % (frames, where, report(result)), flush=True)
    return result


def _period(f, note):
    return {"mean": f["period_mean_ms"], "median": f["period_median_ms"], "p99": f["period_p99_ms"],
            "note": "%d frames, %s; min %.4f, max %.4f ms; %d over 22.5 ms; %d below 22 ms on the tick; "
                    "CPU %.2f %%" % (f["frames"], note, f["period_min_ms"], f["period_max_ms"], f["over_22_5ms"],
                                     f["below_22ms_tick"], f["cpu_percent"])}


def _late(f, note):
    return {"median": f["late_median_ms"], "p99": f["late_p99_ms"], "note": note}


def busy_loops(count=2):
    """Processes that spin a core each, until killed: a busy machine."""
    return [subprocess.Popen([sys.executable, "-c", "while True: pass"], start_new_session=True)
            for _ in range(count)]


def table_figures(build_dir, frames):
    """The table's paced-loop figures: the three waits, then two on a busy machine, then Weston."""
    result = run(build_dir, frames, WAITS)
    sleep, ttp, busy = result["sleep"], result["timer-then-poll"], result["busy"]
    out = {
        "period": _period(sleep, "sleep wait; %d pointer motions and %d key presses delivered" % (
            sleep["pointer_motions"], sleep["key_presses"])),
        "period_timer_then_poll": _period(ttp, "timer-then-poll wait (Qt timer, last ms polled), same run"),
        "late": _late(sleep, "sleep wait: start after the tick deadline; max %.3f ms" % sleep["late_max_ms"]),
        "late_timer_then_poll": _late(ttp, "timer-then-poll wait, same run; max %.3f ms" % ttp["late_max_ms"]),
        "below_tick": {"value": sleep["below_22ms_tick"], "note": "timer-then-poll wait: %d" % ttp["below_22ms_tick"]},
        "below_ns": {"value": sleep["below_22ms_ns"]},
        "loop_cpu": {"value": sleep["cpu_percent"], "note": "sleep wait, under Xvfb with pointer and key input"},
        "loop_cpu_timer_then_poll": {"value": ttp["cpu_percent"], "note": "timer-then-poll wait, same run"},
        "busy_cpu": {"value": busy["cpu_percent"], "note": "sleep wait %.2f %% in the same run" % sleep["cpu_percent"]},
    }
    if sleep["cpu_percent"] > 0:
        out["busy_ratio"] = {"value": busy["cpu_percent"] / sleep["cpu_percent"]}
    # A busy machine: two processes spin both cores while both waits run.
    spinners = busy_loops()
    try:
        loaded = run(build_dir, frames, ("sleep", "timer-then-poll"))
    finally:
        for proc in spinners:
            harness.end_process(proc)
    ls, lt = loaded["sleep"], loaded["timer-then-poll"]
    out["period_loaded"] = dict(_period(ls, "sleep wait, two busy loops running"), versus=lt["period_p99_ms"])
    out["period_loaded_timer_then_poll"] = _period(lt, "timer-then-poll wait, two busy loops running, same run")
    out["late_loaded"] = dict(_late(ls, "sleep wait, two busy loops; max %.3f ms" % ls["late_max_ms"]),
                              versus=lt["late_p99_ms"])
    out["late_loaded_timer_then_poll"] = _late(lt, "timer-then-poll wait, two busy loops, same run; max %.3f ms"
                                               % lt["late_max_ms"])
    out["loop_cpu_loaded"] = {"value": ls["cpu_percent"],
                              "note": "sleep wait, two busy loops; timer-then-poll wait %.2f %%" % lt["cpu_percent"]}
    # The same loop on Wayland, right after: the compositor's frame callbacks
    # must neither throttle nor delay the 22 ms frames.
    if shutil.which("weston") is not None:
        wl = run(build_dir, frames, ("sleep",), on_weston=True)["sleep"]
        out["period_weston"] = _period(wl, "sleep wait, headless Weston (pixman), no input")
        out["loop_cpu_weston"] = {"value": wl["cpu_percent"], "versus": sleep["cpu_percent"],
                                  "note": "sleep wait, headless Weston, no input; Xvfb %.2f %% in the same run"
                                  % sleep["cpu_percent"]}
    # Full screen: the window manager's resize and the larger image must
    # neither throttle nor delay the frames.
    for screen, _ in figures.FULL_SCREENS:
        fs = run(build_dir, frames, ("sleep",), screen=screen)["sleep"]
        out[figures.full_screen_key("period_full_screen", screen)] = _period(
            fs, "sleep wait, full screen on %dx%d under openbox; %d pointer motions and %d key presses delivered" % (
                screen + (fs["pointer_motions"], fs["key_presses"])))
    return out
