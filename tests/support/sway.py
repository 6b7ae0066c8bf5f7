"""A private headless sway (wlroots): keys and pointer through the virtual keyboard and pointer protocols, screenshots
with grim; it refuses root, so a root test runs it as an unprivileged user. Its configuration sets the output's size
and scale only: no bar or wallpaper, and its own borders kept, to see what it draws around undecorated windows."""

import glob
import io
import os
import subprocess

import compositor
import screen

# No Xwayland: it would take an X display number beside the tests' own Xvfb.
CONFIG = "output HEADLESS-1 resolution %dx%d scale %s\nxwayland disable\n"


class Sway(compositor.Compositor):
    name = "sway"
    tools = ("sway", "grim")
    as_user = True
    token_focuses = False  # focus_on_window_activation's default, "urgent"; a user's config may say "focus"

    def _start(self, env, scale=1):
        # scale: the output's pixels per unit of the desktop's, as a desktop set to 150 % has 1.5
        config = self._own_file("config", CONFIG % (self.size + ("%g" % scale,)))
        # The headless back end with no input devices, drawn by the CPU.
        env.update(WLR_BACKENDS="headless", WLR_RENDERER="pixman", WLR_LIBINPUT_NO_DEVICES="1")
        return self._popen(["sway", "--config", config], env)

    def _ready(self):  # sway names its socket itself, wayland-N in its folder: its path once it is there
        found = [p for p in glob.glob(os.path.join(self.runtime, "wayland-*")) if not p.endswith(".lock")]
        self.socket = found[0] if found else None
        return self.socket

    def screenshot(self, window=None):  # the whole output
        out = subprocess.run(["grim", "-t", "ppm", "-"], env=self.env(), capture_output=True, timeout=30)
        if out.returncode != 0:
            raise RuntimeError("grim failed (%d): %s" % (out.returncode, out.stderr.decode(errors="replace")[-2000:]))
        return screen.load(io.BytesIO(out.stdout))
