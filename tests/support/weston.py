"""A private headless Weston compositor for running the program on Wayland.

Nothing can inject input into a headless Weston, so what a test can observe is
the screen (weston-screenshooter, allowed because Weston runs with --debug),
the program's output and its exit status; a button can still be pressed
through the accessibility bus (atspi.py).
"""

import os
import subprocess
import tempfile

import compositor
import screen
from xserver import SCREEN_H, SCREEN_W


class Weston(compositor.Compositor):
    """Weston with the headless back end. The renderer is pixman (no GPU),
    which reads a client's shared memory buffer until the next one replaces
    it, or "gl" (Mesa's software GL, no GPU either), which copies it into a
    texture at its next repaint and releases it then."""

    name = "weston"
    tools = ("weston", "weston-screenshooter")
    driven = False  # no input to send, so neither a bus nor wlinput

    def __init__(self, size=(SCREEN_W, SCREEN_H), config_home=None, renderer="pixman"):
        self.renderer = renderer
        super().__init__(size)

    def _start(self, env):
        # No panel: Weston 14's shell places a window that is full screen from
        # its first frame (weston-simple-egl -f's too) at the corner of the
        # area the panel leaves, 32 rows down, where Weston 10 places it on the
        # whole output; with no panel the area is the whole output on both.
        config = self._own_file("weston.ini", "[shell]\npanel-position=none\n")
        # --idle-time=0: never fade the screen or lock it during a long run.
        return self._popen(["weston", "--config=" + config, "--backend=headless-backend.so", "--use-" + self.renderer,
                            "--socket=" + self.socket_name, "--debug", "--idle-time=0", "--width=%d" % self.size[0],
                            "--height=%d" % self.size[1]], env)

    def _answers(self):
        """Whether a screenshot succeeds: the shell is up."""
        try:
            return self.screenshot() is not None
        except RuntimeError:
            return False

    def screenshot(self, window=None):
        """The whole output as a screen.Image."""
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
