"""The delay from a key to the screen: paced_loop --latency runs play in its
own Xvfb (the ball in play, the paddle at rest), and this presses the Right
arrow with XTest at random moments of the frame and times, from the press,
the moment the paddle's rows change on the X server: an XDamage event on the
play window that touches the paddle's band, confirmed by reading the band
back (XGetImage). One process per frame wait, one after the other; then the
sleep in full screen on each screen of figures.FULL_SCREENS (an Xvfb of that
size under openbox), where the band is the paddle's rows at their scale.
"""

import random
import time

import figures
import paced
import x11

# After a release the loop puts the paddle back at rest on its next frame;
# three frames later the band is sure to show it there again.
SETTLE_FRAMES = 3
TIMEOUT_S = 0.25      # a press not seen within this is counted as missed
# A cap only: Q ends the run, and a run whose Q is lost is ended by the harness.
MAX_FRAMES = 1_000_000


class Band:
    """The paddle's rows of the play window, watched for change."""

    def __init__(self, display, window, rect):
        self.d, self.window, self.rect = display, window, rect
        display.watch_damage(window)

    def read(self):
        return self.d.pixels(self.window, self.rect)

    def _touched_by(self, event):
        if event.type != self.d.damage_notify:
            return False
        a = event.area
        left, top, width, height = self.rect
        return a.x < left + width and left < a.x + a.width and a.y < top + height and top < a.y + a.height

    def wait_change(self, baseline, t0, timeout):
        """ns from t0 to the first damage of the band after which it differs from baseline, or None."""
        deadline = t0 + int(timeout * 1e9)
        while True:
            event = self.d.next_event(deadline)
            if event is None:
                return None
            if self._touched_by(event):
                seen = time.monotonic_ns()
                if self.read() != baseline:
                    return seen - t0


def measure(band, presses, rng, frame_s):
    """Latencies (ms) of `presses` presses of Right, and how many were not seen."""
    d = band.d
    right = d.keycode("Right")
    settle_s = SETTLE_FRAMES * frame_s
    time.sleep(0.3)
    baseline = band.read()
    out = []
    for _ in range(presses):
        # A random moment of the frame: the settle time is a whole number of
        # frames plus a uniform part of one.
        time.sleep(settle_s + rng.uniform(0.0, frame_s))
        d.drain()
        if band.read() != baseline:  # not yet back at rest
            time.sleep(settle_s)
            d.drain()
        t0 = time.monotonic_ns()
        d.key(right, True)
        ns = band.wait_change(baseline, t0, TIMEOUT_S)
        d.key(right, False)
        if ns is not None:
            out.append(ns / 1e6)
    return out, presses - len(out)


def run_wait(build_dir, wait, presses, seed, screen=None):
    """The figures of one wait, in full screen on a screen of that size if given."""
    with paced.loop(build_dir, ["--latency", str(MAX_FRAMES), wait], screen=screen) as (proc, ready, env, _):
        window = x11.visible_window(env, proc.pid, screen or paced.PLAY_SIZE)[0]
        with x11.Display(env["DISPLAY"]) as d:
            values, missed = measure(Band(d, window, tuple(ready["band"])), presses, random.Random(seed),
                                     ready["frame_ms"] / 1000.0)
            q = d.keycode("q")
            d.key(q, True)
            time.sleep(0.1)
            d.key(q, False)
        proc.wait(20)
    return dict(figures.summary(values), missed=missed, presses=presses)


def table_figures(build_dir, presses, seed=18):
    out = {}
    runs = [("sleep", "key_latency", None), ("timer-then-poll", "key_latency_timer_then_poll", None),
            ("busy", "key_latency_busy", None)]
    runs += [("sleep", figures.full_screen_key("key_latency_full_screen", screen), screen)
             for screen, _ in figures.FULL_SCREENS]
    for wait, key, screen in runs:
        f = run_wait(build_dir, wait, presses, seed, screen)
        got = [f.get(k, float("nan")) for k in ("min", "max", "mean", "median", "p99")]  # none when all missed
        where = ", full screen on %dx%d under openbox" % screen if screen else ""
        f["note"] = "%s wait%s; %d presses of Right at random moments of the frame, %d not seen; min %.2f, " \
                    "max %.2f ms" % (wait, where, presses, f["missed"], got[0], got[1])
        print("key to screen: mean %.2f, median %.2f, p99 %.2f ms; %s" % (*got[2:], f["note"]), flush=True)
        out[key] = f
    return out
