"""A private headless sway (wlroots) for running the program on Wayland:
keys through the virtual-keyboard protocol, screenshots with grim.

sway refuses to run as root, so a root test runs it as an unprivileged user
(compositor.py). The configuration sets the output's size and scale and
nothing else: no bar, no wallpaper, and sway's own borders left as they are,
to see what it draws around the program's undecorated windows.
"""

import glob
import os

import compositor

# No Xwayland: it would take an X display number beside the tests' own Xvfb.
CONFIG = "output HEADLESS-1 resolution %dx%d scale %s\nxwayland disable\n"


class Sway(compositor.Compositor):
    name = "sway"
    tools = ("sway", "grim")
    as_user = True
    token_focuses = False  # focus_on_window_activation's default, "urgent"; a user's config may say "focus"
    keys_through = "zwp_virtual_keyboard_manager_v1"
    pointer_through = "zwlr_virtual_pointer_manager_v1"

    def __init__(self, size, config_home=None, scale=1):
        self.scale = scale  # the output's: its pixels per unit of the desktop's, as a desktop set to 150 % has 1.5
        super().__init__(size)

    def _start(self, env):
        config = self._own_file("config", CONFIG % (self.size + ("%g" % self.scale,)))
        # The headless back end with no input devices, drawn by the CPU.
        env.update(WLR_BACKENDS="headless", WLR_RENDERER="pixman", WLR_LIBINPUT_NO_DEVICES="1")
        return self._popen(["sway", "--config", config], env)

    def _socket(self):
        """sway names its socket itself, wayland-N in its folder."""
        found = [p for p in glob.glob(os.path.join(self.runtime, "wayland-*")) if not p.endswith(".lock")]
        return found[0] if found else None

    def screenshot(self, window=None):
        """The whole output as a screen.Image."""
        return self._picture_from(["grim", "-t", "ppm", "-"])
