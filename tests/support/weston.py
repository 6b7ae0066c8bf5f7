"""A private headless Weston compositor for running the program on Wayland.

Nothing can inject input into a headless Weston, so what a test can observe is
the screen (weston-screenshooter, allowed because Weston runs with --debug),
the program's output and its exit status; a button can still be pressed
through the accessibility bus (atspi.py).
"""

import itertools
import os
import shutil
import subprocess
import tempfile
import time

import harness
import screen

SCREEN_W, SCREEN_H = 1024, 768
START_TIMEOUT = 30.0
_sockets = itertools.count()
# What a client of a private compositor must not inherit: no X display to fall
# back on (a client that cannot use Wayland fails), nor the caller's Qt tuning.
CLIENT_ENV_DROPPED = ("DISPLAY", "WAYLAND_DISPLAY", "WAYLAND_SOCKET", "XAUTHORITY", "QT_SCALE_FACTOR",
                      "QT_SCREEN_SCALE_FACTORS", "QT_AUTO_SCREEN_SCALE_FACTOR", "QT_FONT_DPI", "QT_LOGGING_RULES",
                      "QT_MESSAGE_PATTERN", "QT_WAYLAND_SHELL_INTEGRATION", "QT_WAYLAND_DISABLE_WINDOWDECORATION")


class Weston:
    """Weston with the headless back end, on a socket of its own in a runtime
    folder of its own (mode 0700, as Wayland clients demand), so parallel runs
    never meet. The renderer is pixman (no GPU), which reads a client's shared
    memory buffer until the next one replaces it, or "gl" (Mesa's software GL,
    no GPU either), which copies it into a texture at its next repaint and
    releases it then."""

    def __init__(self, size=(SCREEN_W, SCREEN_H), renderer="pixman"):
        self.runtime = tempfile.mkdtemp(prefix="tilebash-weston-")
        os.chmod(self.runtime, 0o700)
        self.socket = "tilebash-%d-%d" % (os.getpid(), next(_sockets))
        self.log_path = os.path.join(self.runtime, "weston.log")
        env = self._base_env(os.environ)
        self._log = open(self.log_path, "wb")
        # --idle-time=0: never fade the screen or lock it during a long run.
        self.proc = subprocess.Popen(
            ["weston", "--backend=headless-backend.so", "--use-" + renderer, "--socket=" + self.socket, "--debug",
             "--idle-time=0", "--width=%d" % size[0], "--height=%d" % size[1]],
            env=env, stdin=subprocess.DEVNULL, stdout=self._log, stderr=subprocess.STDOUT, start_new_session=True)
        try:
            self._wait_ready()
        except BaseException:
            self.stop()
            raise

    def _base_env(self, base):
        env = dict(base)
        env["XDG_RUNTIME_DIR"] = self.runtime
        for name in CLIENT_ENV_DROPPED:
            env.pop(name, None)
        return env

    def env(self, base=None):
        """The environment of a Qt client of this compositor."""
        env = self._base_env(os.environ if base is None else base)
        env["WAYLAND_DISPLAY"] = self.socket
        env["QT_QPA_PLATFORM"] = "wayland"
        return env

    def _wait_ready(self):
        """Until the socket is there and a screenshot succeeds (the shell is up)."""
        deadline = time.monotonic() + START_TIMEOUT
        while True:
            if self.proc.poll() is not None:
                raise RuntimeError("weston ended (%s) while starting:\n%s" % (self.proc.returncode, self.log()))
            if os.path.exists(os.path.join(self.runtime, self.socket)):
                try:
                    self.screenshot()
                    return
                except RuntimeError:
                    pass
            if time.monotonic() > deadline:
                raise RuntimeError("weston did not start within %.0f s:\n%s" % (START_TIMEOUT, self.log()))
            time.sleep(0.1)

    def screenshot(self):
        """The whole output as a screen.Image."""
        folder = tempfile.mkdtemp(prefix="shot-", dir=self.runtime)
        try:
            out = subprocess.run(["weston-screenshooter"], cwd=folder, env=self.env(), capture_output=True,
                                 timeout=30)
            names = [n for n in os.listdir(folder) if n.endswith(".png")]
            if out.returncode != 0 or len(names) != 1:
                raise RuntimeError("weston-screenshooter failed (%d): %s"
                                   % (out.returncode, out.stderr.decode(errors="replace")))
            return screen.load_png(os.path.join(folder, names[0]))
        finally:
            shutil.rmtree(folder, ignore_errors=True)

    def log(self):
        return harness.log_tail(self.log_path)

    def stop(self):
        harness.end_process(self.proc)
        self._log.close()
        shutil.rmtree(self.runtime, ignore_errors=True)


def find_picture(shot, picture, rect):
    """Where (x, y) the part rect = (x, y, w, h) of picture appears in shot,
    pixel for pixel, or None. Found by the rect's first row, then checked whole."""
    x, y, w, h = rect
    first = picture.row(y, x, x + w)
    for sy in range(shot.height - h + 1):
        line = shot.row(sy)
        at = line.find(first)
        while at >= 0:
            if at % 3 == 0:
                sx = at // 3
                if all(shot.row(sy + r, sx, sx + w) == picture.row(y + r, x, x + w) for r in range(h)):
                    return sx - x, sy - y
            at = line.find(first, at + 1)
    return None
