"""The paced loop (paced_loop) on display servers of its own (displays.txt): under Xvfb with the pointer moved over the
play window and arrow keys pressed (xinput.py), the frame waits named one after the other in one process (the default
sleep to the deadline, the timer-then-poll wait, a busy wait); the sleep without input under Xvfb and under each Wayland
compositor of figures.SERVERS this machine has, the display server's own CPU beside the loop's; then the sleep in full
screen on each screen of figures.FULL_SCREENS (an Xvfb of that size under openbox, which grants full screen).
"""

import contextlib
import itertools
import json
import os
import pathlib
import subprocess
import sys
import tempfile
import threading
import time

import displays
import facts
import figures
import procs
import xinput
from xserver import SCREEN_H, SCREEN_W

WAITS = ("sleep", "timer-then-poll", "busy")
TITLE_SECONDS = 2.0
NS_PER_MS = 1_000_000


@contextlib.contextmanager
def loop(build_dir, args, server="xvfb", screen=None):
    """paced_loop with args, once it is ready, on the display server of that name or in full screen on an Xvfb of the
    screen's size under openbox: yields its process, its ready line's JSON, the display and on X its window."""
    with tempfile.TemporaryDirectory(prefix="paced-") as root, contextlib.ExitStack() as stack:
        display = displays.start("openbox" if screen else server, screen or (SCREEN_W, SCREEN_H),
                                 os.path.join(root, "config"))
        stack.callback(display.stop)
        args = (["--fullscreen"] if screen else []) + args
        proc = subprocess.Popen([os.path.join(build_dir, "bin", "paced_loop")] + args, stdout=subprocess.PIPE,
                                env=dict({"XDG_RUNTIME_DIR": root}, **display.env()), start_new_session=True)
        stack.callback(procs.end_process, proc)
        ready = next((line for line in proc.stdout if line.startswith(b"{")), None)
        if ready is None:
            raise RuntimeError("paced_loop %s did not start (%s)" % (" ".join(args), proc.wait(30)))
        x, size = None if display.traced else display.x, screen or facts.PLAY_WINDOW
        window = x and procs.poll_for(lambda: next((w for w in map(x.window_info, x.windows_of(proc.pid))
                                                    if w and w.size == size), None), procs.WINDOW_TIMEOUT)
        if x and not window:
            raise RuntimeError("paced_loop showed no %dx%d window" % size)
        yield proc, json.loads(ready), display, window


def session_cpu_seconds(session):
    """The CPU time of a session's processes (a server started in a session of its own, with its helpers)."""
    ticks = 0
    for path in pathlib.Path("/proc").glob("[0-9]*/stat"):
        with contextlib.suppress(OSError):  # gone meanwhile
            stat = path.read_text()
            fields = stat[stat.rindex(")") + 2:].split()
            if int(fields[3]) == session:
                ticks += int(fields[11]) + int(fields[12])  # utime, stime
    return ticks / os.sysconf("SC_CLK_TCK")


def follow(proc, server_pid, seconds):
    """paced_loop's last line once it has ended (killed after `seconds`), and the display server's CPU in % of a core
    between each wait's begin and end marks: {wait: percent}."""
    watchdog = threading.Timer(seconds, proc.kill)
    watchdog.start()
    marks, server_cpu, last = {}, {}, b""
    try:
        for line in proc.stdout:
            mark = json.loads(line) if line.startswith((b'{"begin"', b'{"end"')) else {}
            now = (time.monotonic(), session_cpu_seconds(server_pid)) if mark else None
            if "begin" in mark:
                marks[mark["begin"]] = now
            elif "end" in mark and mark["end"] in marks:
                (t0, cpu0), (t1, cpu1) = marks[mark["end"]], now
                server_cpu[mark["end"]] = 100.0 * (cpu1 - cpu0) / (t1 - t0)
            elif line.strip():
                last = line
        proc.wait(30)
    finally:
        watchdog.cancel()
    return last, server_cpu


def wait_figures(raw):
    """One wait's figures from what paced_loop recorded: each frame's start (steady clock ns) and the tick (ms) then."""
    starts, ticks, frame_ms = raw["starts"], raw["ticks"], raw["frame_ms"]
    periods = [b - a for a, b in itertools.pairwise(starts)]
    # A frame is late by its start less the moment the tick reached the frame before's tick + frame_ms. The tick's
    # origin is taken as the earliest start within its tick, so a wait that ends on the tick's first ns is 0 late.
    origin = min(s - t * NS_PER_MS for s, t in zip(starts, ticks))
    late = [s - origin - (t + frame_ms) * NS_PER_MS for s, t in zip(starts[1:], ticks)]
    period, lateness = (figures.summary([v / NS_PER_MS for v in ns]) for ns in (periods, late))
    return {"frames": len(periods),
            **{"period_%s_ms" % k: period[k] for k in ("mean", "median", "p99", "min", "max")},
            "below_22ms_tick": sum(b - a < frame_ms for a, b in itertools.pairwise(ticks)),
            "below_22ms_ns": sum(v < frame_ms * NS_PER_MS for v in periods),
            "over_22_5ms": sum(v > (frame_ms + 0.5) * NS_PER_MS for v in periods),
            **{"late_%s_ms" % k: lateness[k] for k in ("median", "p99", "max")},
            "cpu_percent": 100.0 * raw["cpu_ns"] / raw["wall_ns"],
            "main_cpu_percent": 100.0 * raw["main_cpu_ns"] / raw["wall_ns"],
            "switches_per_frame": raw["switches"] / len(periods),
            "main_switches_per_frame": raw["main_switches"] / len(periods),
            **{k: raw[k] for k in ("lost_balls", "walls_rebuilt", "pointer_motions", "key_presses")}}


def run(build_dir, frames=2000, waits=WAITS, server="xvfb", screen=None, with_input=True):
    """What paced_loop measured, the display server's CPU included: {wait: {figure: value}}; on the display server of
    that name (input on X only), or in full screen on a screen of that size if given."""
    args = ([] if with_input else ["--no-input"]) + [str(frames)] + list(waits)
    with loop(build_dir, args, server, screen) as (proc, ready, display, window):
        seconds = len(waits) * (frames * ready["frame_ms"] / 1000.0 + TITLE_SECONDS) + 5
        with xinput.sweeping(display.display, window, seconds) if with_input else contextlib.nullcontext():
            output, server_cpu = follow(proc, display.proc.pid, seconds + 60)
    if proc.returncode != 0:
        raise RuntimeError("paced_loop failed (%d)" % proc.returncode)
    result = {wait: dict(wait_figures(raw), server_cpu_percent=server_cpu.get(wait))
              for wait, raw in json.loads(output).items()}
    # The waits side by side, one row a figure.
    cell = lambda v: "-" if v is None else str(v) if isinstance(v, int) else "%.4f" % v  # noqa: E731
    body = [[name] + [cell(r[name]) for r in result.values()] for name in next(iter(result.values()))]
    where = figures.full_screen_name(screen) if screen else displays.SERVERS[server].bench_title
    print("Paced loop: %d frames a wait, %s%s\n%s" % (frames, where, "" if with_input else ", no input", "\n".join(
        figures.markdown(["figure", *result], body, (0,)))), flush=True)
    return result


def _period(f, note):
    return {"mean": f["period_mean_ms"], "median": f["period_median_ms"], "p99": f["period_p99_ms"],
            "note": "%d frames, %s; min %.4f, max %.4f ms; %d over 22.5 ms; %d below 22 ms on the tick; "
                    "CPU %.2f %%" % (f["frames"], note, f["period_min_ms"], f["period_max_ms"], f["over_22_5ms"],
                                     f["below_22ms_tick"], f["cpu_percent"])}


def _late(f, note):
    return {"median": f["late_median_ms"], "p99": f["late_p99_ms"], "note": note + "; max %.3f ms" % f["late_max_ms"]}


def busy_loops():
    """Two processes that spin a core each until killed: a busy machine."""
    return [subprocess.Popen([sys.executable, "-c", "while True: pass"], start_new_session=True) for _ in range(2)]


def _server(f, note=""):
    """A display server's row: the loop's CPU (value), its main thread's and the other threads', task switches a
    frame, and the display server's CPU."""
    return {"value": f["cpu_percent"], "main": f["main_cpu_percent"],
            # The two CPU times are read a moment apart: a process without other threads may show a hair less.
            "others": max(0.0, f["cpu_percent"] - f["main_cpu_percent"]), "switches": f["switches_per_frame"],
            "main_switches": f["main_switches_per_frame"], "server": f.get("server_cpu_percent"),
            "note": "%d frames, sleep wait, no input; frame period mean %.3f, p99 %.3f ms; %.1f of the task switches "
                    "a frame the main thread's%s" % (f["frames"], f["period_mean_ms"], f["period_p99_ms"],
                                                   f["main_switches_per_frame"], note)}


def server_figures(build_dir, frames, servers, xvfb_twice=True):
    """The sleep wait without input under the reference (Xvfb) and each of servers this machine has, one after the
    other: the loop's CPU and its display server's, every compositor's row beside Xvfb's from the same run ("versus").
    With xvfb_twice Xvfb runs before and after the compositors and the mean of the two is the reference, so that a
    machine's drift during the run falls on both sides."""
    def sleep(server):
        return run(build_dir, frames, ("sleep",), server=server, with_input=False)["sleep"]
    xvfb, found = [sleep(figures.REFERENCE.name)], {}
    for key in servers:
        try:
            reason = displays.missing(key)
            found[key] = {"missing": reason} if reason else sleep(key)
        except Exception as error:  # the other compositors still give their rows
            found[key] = {"missing": "failed: %s: %s" % (type(error).__name__, error)}
    if xvfb_twice:
        xvfb.append(sleep(figures.REFERENCE.name))
    mean = {k: None if None in (x[k] for x in xvfb) else sum(x[k] for x in xvfb) / len(xvfb) for k in xvfb[0]}
    out = {"server_" + figures.REFERENCE.name: _server(mean, "" if len(xvfb) == 1 else (
        "; mean of a run before the compositors and one after (loop %s %%)"
        % " and ".join("%.2f" % x["cpu_percent"] for x in xvfb)))}
    for key, f in found.items():
        out["server_" + key] = f if "missing" in f else dict(_server(f), versus=mean["cpu_percent"])
    if "frames" in found.get("weston_pixman", {}):
        out["period_weston"] = _period(found["weston_pixman"], "sleep wait, headless Weston (pixman), no input")
    return out


def table_figures(build_dir, frames, servers=figures.COMPOSITORS, xvfb_twice=True):
    """The table's paced-loop figures: the three waits, two on a busy machine, without input under Xvfb and the
    compositors of servers (see server_figures), then in full screen."""
    result = run(build_dir, frames, WAITS)
    sleep, ttp, busy = result["sleep"], result["timer-then-poll"], result["busy"]
    same = "timer-then-poll wait, same run"
    out = {
        "period": _period(sleep, "sleep wait; %d pointer motions and %d key presses delivered" % (
            sleep["pointer_motions"], sleep["key_presses"])),
        "period_timer_then_poll": _period(ttp, "timer-then-poll wait (Qt timer, last ms polled), same run"),
        "late": _late(sleep, "sleep wait: start after the tick deadline"),
        "late_timer_then_poll": _late(ttp, same),
        "below_tick": {"value": sleep["below_22ms_tick"], "note": "timer-then-poll wait: %d" % ttp["below_22ms_tick"]},
        "below_ns": {"value": sleep["below_22ms_ns"]},
        "loop_cpu": {"value": sleep["cpu_percent"], "note": "sleep wait, under Xvfb with pointer and key input"},
        "loop_cpu_timer_then_poll": {"value": ttp["cpu_percent"], "note": same},
        "busy_cpu": {"value": busy["cpu_percent"], "note": "sleep wait %.2f %% in the same run" % sleep["cpu_percent"]},
    }
    if sleep["cpu_percent"] > 0:
        out["busy_ratio"] = {"value": busy["cpu_percent"] / sleep["cpu_percent"]}
    # A busy machine: two processes spin both cores while both waits run.
    with contextlib.ExitStack() as stack:
        for proc in busy_loops():
            stack.callback(procs.end_process, proc)
        loaded = run(build_dir, frames, ("sleep", "timer-then-poll"))
    ls, lt = loaded["sleep"], loaded["timer-then-poll"]
    out["period_loaded"] = dict(_period(ls, "sleep wait, two busy loops running"), versus=lt["period_p99_ms"])
    out["period_loaded_timer_then_poll"] = _period(lt, "timer-then-poll wait, two busy loops running, same run")
    out["late_loaded"] = dict(_late(ls, "sleep wait, two busy loops"), versus=lt["late_p99_ms"])
    out["late_loaded_timer_then_poll"] = _late(lt, "timer-then-poll wait, two busy loops, same run")
    out["loop_cpu_loaded"] = {"value": ls["cpu_percent"],
                              "note": "sleep wait, two busy loops; timer-then-poll wait %.2f %%" % lt["cpu_percent"]}
    # The same loop on Wayland, beside Xvfb without input: what each compositor costs the game and itself, and that
    # its frame callbacks neither throttle nor delay the 22 ms frames.
    out.update(server_figures(build_dir, frames, servers, xvfb_twice))
    # Full screen: the window manager's resize and the larger image must neither throttle nor delay the frames.
    for screen, _ in figures.FULL_SCREENS:
        fs = run(build_dir, frames, ("sleep",), screen=screen)["sleep"]
        out[figures.full_screen_key("period_full_screen", screen)] = _period(
            fs, "sleep wait, %s under openbox; %d pointer motions and %d key presses delivered" % (
                figures.full_screen_name(screen), fs["pointer_motions"], fs["key_presses"]))
    return out
