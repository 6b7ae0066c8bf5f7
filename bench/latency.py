"""The delay from a key to the screen: paced_loop --latency runs play in its own Xvfb (the ball in play, the paddle at
rest), and this presses the Right arrow with XTest at random moments of the frame and times, from the press, the moment
the paddle's rows change on the X server: an XDamage event on the play window that touches the paddle's band,
confirmed by reading the band back (XGetImage). One process per frame wait, one after the other; then the sleep in
full screen on each screen of figures.FULL_SCREENS (an Xvfb of that size under openbox), where the band is the
paddle's rows at their scale. In the sharp fit the band's rows are the device rows that show the paddle's image rows,
rounded out: a device pixel mixes image pixels within half of one of the point it shows, so a move either way changes
the band, and the ball, kept 30 field rows above the paddle, never reaches it.
"""

import math
import random
import time

import figures
import paced

# After a release the loop puts the paddle back at rest on its next frame; three frames later the band is sure to
# show it there again.
SETTLE_FRAMES = 3
TIMEOUT_S = 0.25  # a press not seen within this is counted as missed
MAX_FRAMES = 1_000_000  # a cap only: Q ends the run, and a run whose Q is lost is ended by the harness


def first_change(d, window, band, baseline, t0):
    """ns from t0 to the first damage of the band after which it differs from baseline, or None after TIMEOUT_S."""
    left, top, width, height = band
    deadline = t0 + int(TIMEOUT_S * 1e9)
    while (event := d.next_event(deadline)) is not None:
        if event.type != d.damage_notify:
            continue
        a = event.area
        if a.x < left + width and left < a.x + a.width and a.y < top + height and top < a.y + a.height:
            seen = time.monotonic_ns()
            if d.pixels(window, band) != baseline:
                return seen - t0
    return None


def measure(d, window, band, presses, rng, frame_s):
    """Latencies (ms) of `presses` presses of Right, timed from the paddle's band of the window."""
    d.watch_damage(window)
    right = d.keycode("Right")
    settle_s = SETTLE_FRAMES * frame_s
    time.sleep(0.3)
    baseline = d.pixels(window, band)
    out = []
    for _ in range(presses):
        # A random moment of the frame: the settle time is a whole number of frames plus a uniform part of one.
        time.sleep(settle_s + rng.uniform(0.0, frame_s))
        d.drain()
        if d.pixels(window, band) != baseline:  # not yet back at rest
            time.sleep(settle_s)
            d.drain()
        t0 = time.monotonic_ns()
        d.key(right, True)
        ns = first_change(d, window, band, baseline, t0)
        d.key(right, False)
        if ns is not None:
            out.append(ns / 1e6)
    return out


def table_figures(build_dir, presses, seed=18):
    """The figure of each wait, then of the sleep in full screen on each screen."""
    runs = [("sleep", "key_latency", None), ("timer-then-poll", "key_latency_timer_then_poll", None),
            ("busy", "key_latency_busy", None)]
    runs += [("sleep", figures.full_screen_key("key_latency_full_screen", screen), screen)
             for screen, _ in figures.FULL_SCREENS]
    out = {}
    for wait, key, screen in runs:
        with paced.loop(build_dir, ["--latency", str(MAX_FRAMES), wait], screen=screen) as started:
            proc, ready, display, window = started
            values = measure(display.x, window.wid, tuple(ready["band"]), presses, random.Random(seed),
                             ready["frame_ms"] / 1000.0)
            display.x.key_down("q")
            time.sleep(0.1)
            display.x.key_up("q")
            proc.wait(20)
        missed = presses - len(values)
        extremes = [min(values, default=math.nan), max(values, default=math.nan)]  # none when all missed
        where = ", %s under openbox" % figures.full_screen_name(screen) if screen else ""
        f = out[key] = dict(figures.summary(values), missed=missed, presses=presses,
                            note="%s wait%s; %d presses of Right at random moments of the frame, %d not seen; "
                                 "min %.2f, max %.2f ms" % (wait, where, presses, missed, *extremes))
        got = [f.get(k, math.nan) for k in ("mean", "median", "p99")]  # none when all missed
        print("key to screen: mean %.2f, median %.2f, p99 %.2f ms; %s" % (*got, f["note"]), flush=True)
    return out
