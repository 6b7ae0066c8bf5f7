"""The windows as the X server shows them: found, waited for, their
properties, the focus and their pixels."""

import functools
import subprocess

import facts
import x11
from reports import WINDOW_TIMEOUT

START, PLAY, INFO = facts.START_WINDOW, facts.PLAY_WINDOW, facts.INFO_WINDOW
TITLE = facts.program_name()


class XWindows:
    """Reads the session's x (its XServer), env and proc; waits through its wait_for."""

    @functools.cached_property
    def display(self):
        """The connection to the X server (an x11.Display), opened on first use."""
        return x11.Display(self.x.display)

    def close_display(self):
        if "display" in vars(self):  # opened
            self.display.close()

    def run(self, *args, check=True):
        """An X tool's output; a failure raises unless check is False."""
        out = subprocess.run(list(args), env=self.env, capture_output=True, timeout=30)
        if check and out.returncode != 0:
            raise RuntimeError("%r failed (%d): %s" % (args, out.returncode, out.stderr.decode(errors="replace")))
        return out.stdout.decode("utf-8", "replace")

    def window_info(self, wid):
        """Geometry and name of one window (an x11.Window), or None once it is gone or unmapped."""
        return self.display.window_info(wid)

    def windows(self, pid=None):
        """The viewable windows, larger than 1x1, of the program (or of the process pid), found by _NET_WM_PID."""
        pid = pid or (self.proc and self.proc.pid)
        found = map(self.window_info, self.display.windows_of(pid)) if pid else []
        return [w for w in found if w is not None and w.width > 1 and w.height > 1]

    def all_viewable_windows(self):
        """Every viewable child of the root window, whoever owns it, the top one first."""
        return [w for w in map(self.window_info, self.display.children()) if w is not None]

    def find_window(self, name=None, size=None):
        return next((w for w in self.windows() if name in (None, w.name) and size in (None, w.size)), None)

    def wait_window(self, name=None, size=None, *, what):
        return self.wait_for(lambda: self.find_window(name, size), WINDOW_TIMEOUT, what)

    def wait_gone(self, wid, what="the window to go"):
        self.wait_for(lambda: self.window_info(wid) is None, WINDOW_TIMEOUT, what)

    def wait_start_window(self):
        return self.wait_window(TITLE, START, what="the start window")

    def wait_play_window(self):
        return self.wait_window(TITLE, PLAY, what="the play window")

    def wait_info_window(self, what="the information window"):
        return self.wait_window(TITLE, INFO, what=what)

    def dialogs(self):
        """The program's windows other than its own three: its message boxes."""
        return [w for w in self.windows() if w.size not in (START, PLAY, INFO)]

    def wait_dialog(self, name=None, *, what):
        return self.wait_for(lambda: next((w for w in self.dialogs() if name in (None, w.name)), None),
                             WINDOW_TIMEOUT, what)

    def focused(self):
        """The window holding the keyboard focus."""
        return int(self.run("xdotool", "getwindowfocus", check=False).strip() or 0)

    def window_property(self, wid, prop):
        return self.run("xprop", "-id", str(wid), prop, check=False)

    def close_request(self, window):
        self.display.send_close_request(window.wid)

    def screenshot(self, window=None):
        """The screen, or window's client area, as a screen.Image."""
        return self.display.screenshot(window and (window.x, window.y, window.width, window.height))
