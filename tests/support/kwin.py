"""A private KWin on its virtual back end for running the program on Wayland:
keys through KWin's fake-input protocol, which KWin offers a client only
when its permission checks are off (KWIN_WAYLAND_NO_PERMISSION_CHECKS=1), and
screenshots through its ScreenShot2 D-Bus interface (kwin_screenshot.py),
likewise allowed only without the checks."""

import itertools
import os
import shutil
import subprocess

import atspi
import compositor
import screen

SCREEN_W, SCREEN_H = 1024, 768
PROGRAM = "kwin_wayland"
SCREENSHOOTER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "kwin_screenshot.py")
_sockets = itertools.count()


def missing():
    return compositor.missing_tools(PROGRAM)


class KWin(compositor.Compositor):
    name = "kwin"
    keys_through = "org_kde_kwin_fake_input of version 4 (with keyboard_key)"
    pointer_through = "org_kde_kwin_fake_input"

    def __init__(self, size=(SCREEN_W, SCREEN_H)):
        self.socket_name = "tilebash-%d-%d" % (os.getpid(), next(_sockets))
        super().__init__(size)

    def _start(self, env):
        env.update(KWIN_WAYLAND_NO_PERMISSION_CHECKS="1", KWIN_SCREENSHOT_NO_PERMISSION_CHECKS="1")
        args = ["--virtual", "--width", str(self.size[0]), "--height", str(self.size[1]), "--socket",
                self.socket_name, "--no-lockscreen", "--no-global-shortcuts", "--no-kactivities"]
        program = shutil.which(PROGRAM)
        try:
            return self._popen([program] + args, env, stdout=self._log, stderr=subprocess.STDOUT)
        except PermissionError:
            # Debian gives kwin_wayland the file capability cap_sys_resource,
            # which a container may refuse to execute; a copy has none.
            copy = os.path.join(self.runtime, PROGRAM)
            shutil.copy(program, copy)
            return self._popen([copy] + args, env, stdout=self._log, stderr=subprocess.STDOUT)

    def _socket(self):
        return os.path.join(self.runtime, self.socket_name)

    def screenshot(self):
        """The whole output as a screen.Image."""
        out = subprocess.run([atspi.SYSTEM_PYTHON, SCREENSHOOTER], env=self.env(), capture_output=True, timeout=60)
        if out.returncode != 0:
            raise RuntimeError("kwin_screenshot.py failed (%d): %s"
                               % (out.returncode, out.stderr.decode(errors="replace")[-2000:]))
        return screen.parse_ppm(out.stdout)
