"""A private headless Weston. Nothing can inject input into it: a test sees the screen (weston-screenshooter, allowed
with --debug), the program's output and exit status, and presses buttons through the accessibility bus (atspi.py)."""

import os
import subprocess
import tempfile

import compositor
import screen


class Weston(compositor.Compositor):
    """The headless back end, drawn by pixman, which reads a client's shared memory buffer until the next one
    replaces it, or by "gl" (Mesa's software GL), which copies it into a texture at its next repaint."""

    name = "weston"
    tools = ("weston", "weston-screenshooter")
    driven = False  # no input to send, so neither a bus nor wlinput

    def _start(self, env, renderer="pixman"):
        # No panel: Weston 14's shell places a window full screen from its first frame (weston-simple-egl -f's
        # too) 32 rows down, below the panel, where Weston 10 uses the whole output; without one both do.
        config = self._own_file("weston.ini", "[shell]\npanel-position=none\n")
        # --idle-time=0: never fade the screen or lock it during a long run.
        return self._popen(["weston", "--config=" + config, "--backend=headless-backend.so", "--use-" + renderer,
                            "--socket=" + self.socket_name, "--debug", "--idle-time=0", "--width=%d" % self.size[0],
                            "--height=%d" % self.size[1]], env)

    def _ready(self):  # the socket's path once a screenshot succeeds: the shell is up
        try:
            return super()._ready() and self.screenshot() is not None and self.socket
        except RuntimeError:
            return None

    def screenshot(self, window=None):  # the whole output
        with tempfile.TemporaryDirectory(prefix="shot-", dir=self.runtime) as folder:
            out = subprocess.run(["weston-screenshooter"], cwd=folder, env=self.env(), capture_output=True,
                                 timeout=30)
            names = [n for n in os.listdir(folder) if n.endswith(".png")]
            if out.returncode != 0 or len(names) != 1:
                raise RuntimeError("weston-screenshooter failed (%d): %s"
                                   % (out.returncode, out.stderr.decode(errors="replace")))
            return screen.load(os.path.join(folder, names[0]))


def find_picture(shot, picture, rect):
    """Where (x, y) the part rect = (x, y, w, h) of picture appears in shot,
    pixel for pixel, or None. Found by the rect's first row, then checked whole."""
    x, y, w, h = rect
    want = picture.crop(*rect)
    for at in screen.pixels_at(shot.rgb, want.crop(0, 0, w, 1).rgb):
        sx, sy = at % shot.width, at // shot.width
        if shot.crop(sx, sy, w, h).rgb == want.rgb:  # a row across the right edge is cut short: no match
            return sx - x, sy - y
    return None
