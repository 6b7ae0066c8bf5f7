"""Input at a player's rate while a measurement runs: XTest on a connection of its own, from a thread of the benchmark's
process paced on the clock, so that no process start disturbs the measured loop and its display server. The pointer
sweeps over the window at 60 motions a second and an arrow key is pressed about four times a second."""

import concurrent.futures
import contextlib
import math
import threading
import time

import x11

MOTIONS_PER_SECOND = 60
KEY_EVERY = 15          # motions between two key presses (4 a second)
KEY_HOLD_MOTIONS = 4    # motions a key stays down (about 67 ms)
KEYS = ("Left", "Right")


def steps(x, y, width, height, seconds):
    """(point, key down or None, key up or None) of each motion of `seconds` of input over the rectangle."""
    n, last = int(seconds * MOTIONS_PER_SECOND), None
    for i in range(n):
        # A Lissajous sweep in the window; a point repeating the last (where it turns) would move nothing: shift it.
        at = (x + int(width * (0.5 + 0.4 * math.sin(i * 0.07))),
              y + int(height * (0.5 + 0.4 * math.sin(i * 0.05 + 1.0))))
        last = (at[0] + 1, at[1]) if at == last else at
        # A key goes down with one motion and up a few later (or with the last): the pointer moves while it is held.
        key, phase = KEYS[(i // KEY_EVERY) % 2], i % KEY_EVERY
        up = phase == KEY_HOLD_MOTIONS or i == n - 1 and phase < KEY_HOLD_MOTIONS
        yield last, key if phase == 0 else None, key if up else None


@contextlib.contextmanager
def sweeping(display_name, window, seconds):
    """That input over window (an x11.Window) for `seconds` or until the block ends."""
    stop = threading.Event()

    def send():
        with x11.Display(display_name) as d:
            begun = time.monotonic()
            for i, (at, down, up) in enumerate(steps(window.x, window.y, window.width, window.height, seconds)):
                d.warp(*at)
                if down:
                    d.key_down(down)
                if up:
                    d.key_up(up)
                if stop.wait(max(0.0, begun + (i + 1) / MOTIONS_PER_SECOND - time.monotonic())):
                    break
    with concurrent.futures.ThreadPoolExecutor(1) as pool:
        sent = pool.submit(send)
        try:
            yield
        finally:
            stop.set()
        sent.result(10)  # the thread's error, if it had one
