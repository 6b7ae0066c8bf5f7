"""Figures of the real tilebash program in a session of its own (tests/support's harness, under Xvfb): its CPU use in
the start window, paused in a game and in running play (1 s windows of the kernel's nanosecond run time of every
thread; running also in the benchmarks' build of the program with the timer-then-poll frame wait), its peak memory
(VmHWM), and exec to the start window's MapNotify over warm starts. Full screen: on each screen of figures.FULL_SCREENS,
an Xvfb of that size under openbox (full screen is the window manager's to grant), one program plays in its window,
then (after F11, Q and Start) a new game in full screen, where the field is found at its offset and scale, or on
figures.SHARP_FIT_SCREENS smoothed down to fill the screen (the sharp fit), read at the device pixels nearest the field
pixels' centres.
"""

import contextlib
import os
import pathlib
import re
import shutil
import time

import autopilot
import facts
import figures
import harness
import playfield
import x11

# The program with the timer-then-poll frame wait (bench/CMakeLists.txt), built into bin/ beside the program folder.
TIMER_THEN_POLL_PROGRAM = os.path.join(os.pardir, "bin", "tilebash_timer_then_poll")
# Scores no game reaches in a measurement, so no name box opens after one.
HIGH_TABLE = b"".join(b"Bench\r\n%d\r\n" % (90000000 - i) for i in range(5))


def cpu_nanos(pid):
    """Time on a CPU of every thread of the process, in ns (/proc/PID/task/*/schedstat)."""
    total = 0
    for path in pathlib.Path("/proc/%d/task" % pid).glob("*/schedstat"):
        with contextlib.suppress(OSError, ValueError, IndexError):  # a thread that just ended
            total += int(path.read_text().split()[0])
    return total


def vm_hwm_mb(pid):
    found = re.search(r"^VmHWM:\s+(\d+) kB", pathlib.Path("/proc/%d/status" % pid).read_text(), re.M)
    return int(found.group(1)) / 1024.0 if found else None


def quiet(end):
    """A state that needs no help to keep: sleep through the window."""
    time.sleep(max(0.0, end - time.monotonic()))
    return True


def cpu_figure(pid, seconds, window, note, hold=quiet):
    """CPU share of a process over windows of wall time, until seconds' worth are kept or 4 x seconds + 30 s passed.
    hold(end) keeps the state until the monotonic end and says whether it did; a window where it did not is dropped."""
    shares, busy_ns, wall_ns = [], 0, 0
    deadline = time.monotonic() + 4 * seconds + 30
    while len(shares) < max(round(seconds / window), 1) and time.monotonic() < deadline:
        t0, c0 = time.monotonic_ns(), cpu_nanos(pid)
        kept = hold(time.monotonic() + window)
        t1, c1 = time.monotonic_ns(), cpu_nanos(pid)
        if kept:
            shares.append(100.0 * (c1 - c0) / (t1 - t0))
            busy_ns, wall_ns = busy_ns + c1 - c0, wall_ns + t1 - t0
    # The mean over the whole span, not the mean of the windows; no figure when no window was kept.
    return figures.summary(shares, mean=100.0 * busy_ns / max(wall_ns, 1),
                           note="%s; %d windows of %g s" % (note, len(shares), window))


class Game:
    """The game of one program, kept in running play while measured: steered from the field its camera reads back
    (tests/support/autopilot), a lost ball resumed with P, a game that ends started again; only the CPU windows that
    began and ended in running play count."""

    def __init__(self, session, camera):
        self.s, self.camera, self.play = session, camera, None
        self.player = playfield.Player(session, camera.look)
        self.pilot = autopilot.Pilot(session, autopilot.Field(session.folder))

    def start(self, start, size, what="the play window"):
        """Start on the start window: the play window of size, paused at the first serve."""
        self.s.click(start, *playfield.START_BUTTON)
        self.play = self.s.wait_window(harness.TITLE, size, what=what + " after Start")
        self.player.wait_paused(self.play, what=what + ", paused at the first serve")

    def recover(self):
        """Back to running play after a lost ball or the end of a game."""
        self.pilot.hold(None)
        over = [w for w in self.s.dialogs() if w.name == "Game Over"]
        if over:
            self.s.point_at(over[0])
            self.s.press("Return")
            self.start(self.s.wait_start_window(), self.play.size)
            self.restarts += 1
        self.player.resume(self.play)
        self.resumes += 1

    def hold(self, end):
        """Steers until the monotonic end; False when a box or a lost ball stopped the play."""
        while time.monotonic() < end:
            # A message box: dialogs() has the play window too in full screen, where it has no size of its own.
            boxed = any(w.wid != self.play.wid for w in self.s.dialogs())
            shot = None if boxed else self.camera.look(self.play)
            self.looks += 1
            if shot is None or playfield.paused_notice(shot):
                self.recover()
                return False
            self.pilot.steer(shot)
        return True

    def running_cpu(self, seconds, window, note):
        """Running play's CPU, from the game paused at a serve."""
        self.restarts = self.resumes = self.looks = 0
        t0 = time.monotonic()
        self.recover()
        try:
            f = cpu_figure(self.s.proc.pid, seconds, window, "running, %s, steered from the field read back" % note,
                           self.hold)
        finally:
            self.pilot.hold(None)
        if f:
            f["note"] += "; %d resumes, %d new games; the field looked at %.0f times a second" % (
                self.resumes - 1, self.restarts, self.looks / (time.monotonic() - t0))
        return f


@contextlib.contextmanager
def started(name, program=None, screen=None):
    """The program (or the benchmarks' build of it given) in a session of its own, on the harness's screen without a
    window manager or on one of that size under openbox: yields the session, its Game and the start window."""
    s = harness.Session(name, screen_size=screen or (harness.SCREEN_W, harness.SCREEN_H),
                        display="openbox" if screen else "xvfb")
    try:
        if program:
            shutil.copy2(program, s.exe)  # in the session's copy of the program folder, beside its sheet
        s.write_highscores(HIGH_TABLE)
        s.launch()
        start = s.wait_start_window()
        with autopilot.Camera(s) as camera:
            yield s, Game(s, camera), start
    finally:
        s.close()


def fit_shown(camera, screen):
    """How the camera found the field in full screen, in the row's words; a fit other than its title names fails."""
    sharp = tuple(screen) in figures.SHARP_FIT_SCREENS
    if bool(camera.smoothed) != sharp:
        raise RuntimeError("full screen on %dx%d: the field is %s, not %s" % (
            *screen, "smoothed" if camera.smoothed else "at %dx" % camera.scale,
            "the sharp fit" if sharp else "at a whole scale"))
    if not sharp:
        return "at %dx" % camera.scale
    x, y, exact = camera.smoothed
    return "in the sharp fit (smoothed down to %.4f device pixels a field pixel, at %d,%d)" % (exact, x, y)


def full_screen_figures(screen, ratio, seconds, window):
    """The running game in its window, then in full screen, in one program on one screen. Between them F11, then Q:
    the next Start opens the play window in full screen with a new game, so both measurements begin at a full wall."""
    size = "%dx%d" % tuple(screen)
    with started("bench-full-screen-" + size, screen=screen) as (s, game, start):
        game.start(start, facts.PLAY_WINDOW)
        windowed = game.running_cpu(seconds, window, "in its window on the %s screen, openbox" % size)
        s.point_at(game.play)
        s.press("F11")
        play = s.wait_window(harness.TITLE, screen, what="the play window to cover the %s screen" % size)
        # Rebuilding the images at the new scale stalls the frames a moment, and a press and release seen in the same
        # pause would be no press at all.
        game.player.look(play)
        game.start(game.player.quit(play), screen, "the play window in full screen")
        shown = fit_shown(game.camera, screen)
        full = game.running_cpu(seconds, window, "full screen %s on %s" % (shown, size))
    if windowed and full:
        full.update(versus=windowed["mean"], scale=game.camera.scale)
        full["note"] += "; %.2f times the window's %.2f %% in the same program (at most %g)" % (
            full["mean"] / windowed["mean"], windowed["mean"], ratio)
    return {figures.full_screen_key("cpu_window", screen): windowed,
            figures.full_screen_key("cpu_full_screen", screen): full}


def table_figures(program_dir, seconds=20.0, window=1.0, starts=10):
    os.environ["TILEBASH_PROGRAM_DIR"] = program_dir
    out = {}
    with started("bench") as (s, game, start):
        time.sleep(1.0)
        pid = s.proc.pid
        out["cpu_start"] = cpu_figure(pid, seconds, window, "start window")
        game.start(start, facts.PLAY_WINDOW)
        time.sleep(0.5)
        out["cpu_paused"] = cpu_figure(pid, seconds, window, "paused at a serve")
        out["cpu_running"] = game.running_cpu(seconds, window, "sleep wait")
        out["vmhwm"] = {"value": vm_hwm_mb(pid), "note": "after the measurements above"}
        s.x.send_close_request(game.play.wid)
        s.end_program()
        # Exec to the start window's MapNotify: one cold start, which fills the caches, then the warm ones.
        times = []
        for i in range(starts + 1):
            with x11.MapWatch(s.server.display) as watch:
                t0 = time.monotonic()
                s.launch()
                try:
                    mapped = watch.wait(facts.START_WINDOW, harness.WINDOW_TIMEOUT)
                finally:
                    s.end_program()
            if i > 0:
                times.append(1000.0 * (mapped - t0))
        out["startup"] = figures.summary(times, note="%d warm starts after one cold start" % len(times))
    # The timer-then-poll wait right after, in a program of its own: side by side.
    with started("bench-timer-then-poll", os.path.join(program_dir, TIMER_THEN_POLL_PROGRAM)) as (s, game, start):
        game.start(start, facts.PLAY_WINDOW)
        out["cpu_running_timer_then_poll"] = game.running_cpu(seconds, window, "timer-then-poll wait")
    for screen, ratio in figures.FULL_SCREENS:
        out.update(full_screen_figures(screen, ratio, seconds, window))
    for key, f in out.items():
        print("%-12s %s" % (key, f), flush=True)
    return out
