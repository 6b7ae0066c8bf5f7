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
    n = int(seconds * MOTIONS_PER_SECOND)
    lines, last = [], None
    for i in range(n):
        # A Lissajous sweep inside the window; where it turns, a point may
        # repeat the last one, which would move nothing: shift it a pixel.
        at = (x + int(width * (0.5 + 0.4 * math.sin(i * 0.07))),
              y + int(height * (0.5 + 0.4 * math.sin(i * 0.05 + 1.0))))
        last = (at[0] + 1, at[1]) if at == last else at
        # A round trip after each move, so that each leaves at once, not in a batch.
        lines += ["mousemove %d %d" % last, "getmouselocation"]
        # The key goes down with one motion and up a few motions later (or with
        # the last), so the pointer keeps moving while it is held.
        key, phase = KEYS[(i // KEY_EVERY) % 2], i % KEY_EVERY
        if phase == 0:
            lines.append("keydown " + key)
        if phase == KEY_HOLD_MOTIONS or i == n - 1 and phase < KEY_HOLD_MOTIONS:
            lines.append("keyup " + key)
        lines.append("sleep %.4f" % (1.0 / MOTIONS_PER_SECOND))
    return "\n".join(lines) + "\n"


def start(env, geometry, seconds):
    """Starts the input process; end it with harness.end_process when the measurement is over."""
    proc = subprocess.Popen(["xdotool", "-"], env=env, stdin=subprocess.PIPE, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL, start_new_session=True)
    proc.stdin.write(script(*geometry, seconds).encode())
    proc.stdin.close()
    return proc
