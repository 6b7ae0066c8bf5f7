"""Input at a player's rate, sent by a second process while a measurement
runs: one xdotool reading a script from stdin, so the rate does not depend on
starting a process per event. The pointer sweeps over the window at about
60 motions a second and an arrow key is pressed about four times a second."""

import math
import subprocess

MOTIONS_PER_SECOND = 60
KEY_EVERY = 15          # motions between two key presses (4 a second)
KEY_HOLD_MOTIONS = 4    # motions a key stays down (about 67 ms)
KEYS = ("Left", "Right")


def script(x, y, width, height, seconds):
    """xdotool commands for `seconds` of input over the rectangle (x, y, width, height)."""
    step = 1.0 / MOTIONS_PER_SECOND
    lines = []
    n = int(seconds * MOTIONS_PER_SECOND)
    last = None
    for i in range(n):
        # A Lissajous sweep inside the window; where it turns, a point may
        # repeat the last one, which would move nothing: shift it a pixel.
        px = x + int(width * (0.5 + 0.4 * math.sin(i * 0.07)))
        py = y + int(height * (0.5 + 0.4 * math.sin(i * 0.05 + 1.0)))
        if (px, py) == last:
            px += 1
        last = (px, py)
        lines.append("mousemove %d %d" % (px, py))
        lines.append("getmouselocation")  # a round trip: each move leaves at once, not in a batch
        # The key goes down with one motion and up a few motions later, so
        # the pointer keeps moving while it is held.
        key = KEYS[(i // KEY_EVERY) % 2]
        if i % KEY_EVERY == 0:
            lines.append("keydown %s" % key)
        elif i % KEY_EVERY == KEY_HOLD_MOTIONS or i == n - 1 and i % KEY_EVERY < KEY_HOLD_MOTIONS:
            lines.append("keyup %s" % key)
        lines.append("sleep %.4f" % step)
    return "\n".join(lines) + "\n"


def start(env, geometry, seconds):
    """Starts the input process; end it with harness.end_process when the measurement is over."""
    proc = subprocess.Popen(["xdotool", "-"], env=env, stdin=subprocess.PIPE, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL, start_new_session=True)
    proc.stdin.write(script(*geometry, seconds).encode())
    proc.stdin.close()
    return proc
