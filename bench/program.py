"""Figures of the real tilebash program under its own Xvfb (tests/support's
harness): its CPU use in the start window, paused in a game and running
(1 s windows, from the kernel's nanosecond run time of every thread; running
also in the benchmarks' build of the program with the timer-then-poll frame
wait), its peak memory (VmHWM), and the time from exec to the start window's
MapNotify over warm starts.

While running, the paddle is steered from the field read back from the X
server (tests/support/autopilot), a lost ball is resumed with P and a game
that ends is started again; only the windows that began and ended in running
play count.

Full screen: on each screen of figures.FULL_SCREENS, an Xvfb of that size
under openbox (full screen is the window manager's to grant), one program
runs a game in its window, then (after F11, Q and Start) a new game in full
screen, where the field is found at its offset and scale.
"""

import contextlib
import glob
import os
import pathlib
import re
import shutil
import signal
import subprocess
import time

import autopilot
import facts
import figures
import harness
import playfield
import x11

START_SIZE = facts.START_WINDOW
# The program with the timer-then-poll frame wait (bench/CMakeLists.txt), built
# into bin/ beside the program folder.
TIMER_THEN_POLL_PROGRAM = os.path.join(os.pardir, "bin", "tilebash_timer_then_poll")
# Scores no game reaches in a measurement, so no name box opens after one.
HIGH_TABLE = b"".join(b"Bench\r\n%d\r\n" % (90000000 - i) for i in range(5))


def cpu_nanos(pid):
    """Time on a CPU of every thread of the process, in ns (/proc/PID/task/*/schedstat)."""
    total = 0
    for path in glob.glob("/proc/%d/task/*/schedstat" % pid):
        try:
            with open(path) as f:
                total += int(f.read().split()[0])
        except (OSError, ValueError, IndexError):
            pass  # a thread that just ended
    return total


def vm_hwm_mb(pid):
    found = re.search(r"^VmHWM:\s+(\d+) kB", pathlib.Path("/proc/%d/status" % pid).read_text(), re.M)
    return int(found.group(1)) / 1024.0 if found else None


class CpuWindows:
    """CPU share of one process over consecutive windows of wall time."""

    def __init__(self, pid):
        self.pid = pid
        self.shares = []
        self.busy_ns = 0
        self.wall_ns = 0
        self.begin()

    def begin(self):
        self.t0, self.c0 = time.monotonic_ns(), cpu_nanos(self.pid)

    def end(self, keep=True):
        t1, c1 = time.monotonic_ns(), cpu_nanos(self.pid)
        if keep and t1 > self.t0:
            self.shares.append(100.0 * (c1 - self.c0) / (t1 - self.t0))
            self.busy_ns += c1 - self.c0
            self.wall_ns += t1 - self.t0
        self.t0, self.c0 = t1, c1

    def figure(self, note, window):
        f = figures.summary(self.shares)
        if f:
            f["mean"] = 100.0 * self.busy_ns / self.wall_ns  # the whole span, not the mean of windows
            f["note"] = "%s; %d windows of %g s" % (note, len(self.shares), window)
        return f


def measure_quiet(pid, seconds, window):
    """A state that needs no help to keep: sleep through the windows."""
    cpu = CpuWindows(pid)
    for _ in range(max(int(round(seconds / window)), 1)):
        time.sleep(window)
        cpu.end()
    return cpu


class Running:
    """Keeps a game in running play for the measurement."""

    def __init__(self, session, camera):
        self.s, self.camera = session, camera
        self.player = playfield.Player(session, camera.look)
        self.field = autopilot.Field(session.folder)
        self.pilot = autopilot.Pilot(session, self.field)
        self.restarts = self.resumes = self.looks = 0

    def boxes(self, play):
        """The program's windows other than the play window (which in full screen has no size of its own)."""
        return [w for w in self.s.dialogs() if w.wid != play.wid]

    def recover(self, play):
        """Back to running play after a lost ball or the end of a game; returns the play window."""
        self.pilot.hold(None)
        over = [w for w in self.boxes(play) if w.name == "Game Over"]
        if over:
            self.s.point_at(over[0])
            self.s.hold_key("Return")
            start = self.s.wait_start_window()
            self.s.click(start, *playfield.START_BUTTON)
            # The same window again, in full screen if it was.
            play = self.s.wait_for(lambda: self.s.window_info(play.wid), harness.WINDOW_TIMEOUT,
                                   "the play window after Start")
            self.player.wait_paused(play)
            self.restarts += 1
        self.player.resume(play)
        self.resumes += 1
        return play

    def measure(self, play, seconds, window):
        cpu = CpuWindows(self.s.proc.pid)
        deadline = time.monotonic() + 4 * seconds + 30
        wanted = max(int(round(seconds / window)), 1)
        try:
            while len(cpu.shares) < wanted and time.monotonic() < deadline:
                good = True
                cpu.begin()
                window_end = time.monotonic() + window
                while time.monotonic() < window_end:
                    shot = None if self.boxes(play) else self.camera.look(play)
                    self.looks += 1
                    if shot is None or playfield.paused_notice(shot):  # a box, or a lost ball
                        good = False
                        play = self.recover(play)
                        break
                    self.pilot.steer(shot)
                cpu.end(keep=good)
        finally:
            self.pilot.hold(None)
        return cpu, play


def measure_startup(session, starts):
    """Exec to the start window's MapNotify, for one cold and `starts` warm starts."""
    times = []
    for i in range(starts + 1):
        with x11.MapWatch(session.x.display) as watch:
            t0 = time.monotonic()
            proc = subprocess.Popen([session.exe], cwd=session.root, env=session.env, stdin=subprocess.DEVNULL,
                                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, start_new_session=True)
            try:
                mapped = watch.wait(START_SIZE, harness.WINDOW_TIMEOUT)
            finally:
                os.killpg(proc.pid, signal.SIGKILL)
                proc.wait(10)
            if i > 0:  # the first start fills the caches
                times.append(1000.0 * (mapped - t0))
    return times


@contextlib.contextmanager
def started(name, program=None, screen=None):
    """The program in a session of its own, or in its place the executable
    given (a benchmarks' build of it), at its start window, on the harness's
    screen without a window manager or on one of that size under openbox:
    yields the session, that window and a camera on the play field."""
    s = harness.Session(name, screen_size=screen, window_manager="openbox") if screen else harness.Session(name)
    try:
        if program:
            shutil.copy2(program, s.exe)  # in the session's copy of the program folder, beside its sheet
        s.write_highscores(HIGH_TABLE)
        s.launch()
        start = s.wait_start_window()
        with autopilot.Camera(s) as camera:
            yield s, start, camera
    finally:
        s.close()


def running_cpu(s, camera, play, seconds, window, note):
    """Running play's CPU, from the paused play window; returns the figure and the play window."""
    running = Running(s, camera)
    t0 = time.monotonic()
    cpu, play = running.measure(running.recover(play), seconds, window)
    f = cpu.figure("running, %s, steered from the field read back" % note, window)
    if f:
        f["note"] += "; %d resumes, %d new games; the field looked at %.0f times a second" % (
            running.resumes - 1, running.restarts, running.looks / (time.monotonic() - t0))
    return f, play


def full_screen_game(s, player, play, screen):
    """F11, then Q: the next Start opens the play window in full screen with
    a new game, so both measurements begin at a full wall. Returns that
    window, paused at the first serve."""
    s.point_at(play)
    s.hold_key("F11")

    def covering():
        w = s.window_info(play.wid)
        return w if w is not None and w.size == tuple(screen) else None
    play = s.wait_for(covering, harness.WINDOW_TIMEOUT, "the play window to cover the %dx%d screen" % tuple(screen))
    # Rebuilding the images at the new scale stalls the frames a moment, and a
    # press and release seen in the same pause would be no press at all.
    player.look(play)
    start = player.quit(play)
    s.click(start, *playfield.START_BUTTON)
    play = s.wait_for(covering, harness.WINDOW_TIMEOUT, "the play window in full screen after Start")
    player.wait_paused(play, what="the paused play field in full screen")
    return play


def full_screen_figures(screen, ratio, seconds, window):
    """The running game in its window, then in full screen, in one program on one screen."""
    size = "%dx%d" % tuple(screen)
    with started("bench-full-screen-" + size, screen=screen) as (s, start, camera):
        player = playfield.Player(s, camera.look)
        play = player.play_to_paused(start)
        windowed, play = running_cpu(s, camera, play, seconds, window, "in its window on the %s screen, openbox" % size)
        play = full_screen_game(s, player, play, screen)
        full, _ = running_cpu(s, camera, play, seconds, window, "full screen at %dx on %s" % (camera.scale, size))
    if windowed and full:
        full.update(versus=windowed["mean"], scale=camera.scale)
        full["note"] += "; %.2f times the window's %.2f %% in the same program (at most %g)" % (
            full["mean"] / windowed["mean"], windowed["mean"], ratio)
    return {figures.full_screen_key("cpu_window", screen): windowed,
            figures.full_screen_key("cpu_full_screen", screen): full}


def table_figures(program_dir, seconds=20.0, window=1.0, starts=10):
    os.environ["TILEBASH_PROGRAM_DIR"] = program_dir
    out = {}
    with started("bench") as (s, start, camera):
        time.sleep(1.0)
        pid = s.proc.pid
        out["cpu_start"] = measure_quiet(pid, seconds, window).figure("start window", window)
        play = playfield.Player(s, camera.look).play_to_paused(start)
        time.sleep(0.5)
        out["cpu_paused"] = measure_quiet(pid, seconds, window).figure("paused at a serve", window)
        out["cpu_running"], play = running_cpu(s, camera, play, seconds, window, "sleep wait")
        out["vmhwm"] = {"value": vm_hwm_mb(pid), "note": "after the measurements above"}
        s.close_request(play)
        os.killpg(pid, signal.SIGKILL)
        s.proc.wait(10)
        s.proc = None

        times = measure_startup(s, starts)
        out["startup"] = figures.summary(times)
        out["startup"]["note"] = "%d warm starts after one cold start" % len(times)
    # The timer-then-poll wait right after, in a program of its own: side by side.
    timer_then_poll = os.path.normpath(os.path.join(program_dir, TIMER_THEN_POLL_PROGRAM))
    with started("bench-timer-then-poll", timer_then_poll) as (s, start, camera):
        out["cpu_running_timer_then_poll"], _ = running_cpu(
            s, camera, playfield.Player(s, camera.look).play_to_paused(start), seconds, window,
            "timer-then-poll wait")
    for screen, ratio in figures.FULL_SCREENS:
        out.update(full_screen_figures(screen, ratio, seconds, window))
    for key, f in out.items():
        print("%-12s %s" % (key, f), flush=True)
    return out

