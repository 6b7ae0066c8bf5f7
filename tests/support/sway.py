"""A private headless sway (wlroots) for running the program on Wayland:
keys through the virtual-keyboard protocol, screenshots with grim.

sway refuses to run as root, so a root test runs it as an unprivileged user
(compositor.py). The configuration sets the output's size and nothing else:
no bar, no wallpaper, and sway's own borders left as they are, to see what it
draws around the program's undecorated windows.
"""

import glob
import os
import subprocess

import compositor
import screen

SCREEN_W, SCREEN_H = 1024, 768
# No Xwayland: it would take an X display number beside the tests' own Xvfb.
CONFIG = "output HEADLESS-1 resolution %dx%d\nxwayland disable\n"


def missing():
    return compositor.missing_tools("sway", "grim")


class Sway(compositor.Compositor):
    name = "sway"
    keys_through = "zwp_virtual_keyboard_manager_v1"
    pointer_through = "zwlr_virtual_pointer_manager_v1"

    def __init__(self, size=(SCREEN_W, SCREEN_H)):
        super().__init__(size, as_user=True)

    def _start(self, env):
        config = self._own_file("config", CONFIG % self.size)
        # The headless back end with no input devices, drawn by the CPU.
        env.update(WLR_BACKENDS="headless", WLR_RENDERER="pixman", WLR_LIBINPUT_NO_DEVICES="1")
        return self._popen(["sway", "--config", config], env, stdout=self._log, stderr=subprocess.STDOUT)

    def _socket(self):
        """sway names its socket itself, wayland-N in its folder."""
        found = [p for p in glob.glob(os.path.join(self.runtime, "wayland-*")) if not p.endswith(".lock")]
        return found[0] if found else None

    def screenshot(self):
        """The whole output as a screen.Image."""
        out = subprocess.run(["grim", "-t", "ppm", "-"], env=self.env(), capture_output=True, timeout=30)
        if out.returncode != 0:
            raise RuntimeError("grim failed (%d): %s" % (out.returncode, out.stderr.decode(errors="replace")))
        return screen.parse_ppm(out.stdout)
