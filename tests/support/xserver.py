"""A private Xvfb, bare or under a window manager, as a session's display:
its clients' environment, the player's keys and pointer through XTest, the
program's windows found by their _NET_WM_PID, and screenshots, all through
one python-xlib connection (x11.Display)."""

import functools
import os
import pathlib
import shutil
import signal
import subprocess

import procs
import x11
from procs import POLL, WINDOW_TIMEOUT

SCREEN_W, SCREEN_H = 1024, 768

# Window managers a session can run under, and how each is started. xfwm4
# keeps its settings in xfconf, reached over a D-Bus session bus of its own.
WINDOW_MANAGERS = {
    "openbox": ["openbox", "--sm-disable"],
    "xfwm4": ["dbus-run-session", "--", "xfwm4", "--compositor=off"],
}

# xfwm4's settings, as xfconf reads them from the config home: focus-stealing
# prevention on, so raising a window is held to the manager's stricter rules.
XFWM4_SETTINGS = """<?xml version="1.0" encoding="UTF-8"?>
<channel name="xfwm4" version="1.0">
  <property name="general" type="empty">
    <property name="prevent_focus_stealing" type="bool" value="true"/>
  </property>
</channel>
"""


class XServer:
    """An Xvfb on a display number of its own choosing (-displayfd), so
    parallel tests never race for the same :N; optionally with a window
    manager (wm, a key of WINDOW_MANAGERS) whose settings live under config_home."""

    traced = False  # the windows are the X server's to tell

    def __init__(self, size=(SCREEN_W, SCREEN_H), config_home=None, wm=None):
        self.size, self.window_manager, self.wm_proc = tuple(size), wm, None
        # Xvfb writes its number once it listens, and ends the line empty if it ends first.
        self.proc, number = procs.started_announcing(lambda fd: subprocess.Popen(
            ["Xvfb", "-displayfd", str(fd), "-screen", "0", "%dx%dx24" % self.size, "-nolisten", "tcp", "-noreset"],
            pass_fds=(fd,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, start_new_session=True))
        self.display = ":" + number
        try:
            if not number:
                raise RuntimeError("Xvfb ended (status %s) without a display number" % self.proc.wait(10))
            if wm:
                self._start_window_manager(config_home)
        except BaseException:
            self.stop()
            raise

    @staticmethod
    def missing(wm=None):
        tools = ["Xvfb"] + [arg for arg in WINDOW_MANAGERS.get(wm, ()) if not arg.startswith("-")]
        return next(("%s is not installed (run scripts/setup)" % t for t in tools if not shutil.which(t)), None)

    @functools.cached_property
    def x(self):
        """The connection to the server (an x11.Display), opened on first use."""
        return x11.Display(self.display)

    def _start_window_manager(self, config_home):
        # NO_AT_BRIDGE: no accessibility bus for the manager's toolkit.
        env = dict(self.env(), XDG_CONFIG_HOME=config_home, NO_AT_BRIDGE="1")
        if self.window_manager == "xfwm4":
            channels = pathlib.Path(config_home, "xfce4", "xfconf", "xfce-perchannel-xml")
            channels.mkdir(parents=True, exist_ok=True)
            (channels / "xfwm4.xml").write_text(XFWM4_SETTINGS)
        self.wm_proc = subprocess.Popen(WINDOW_MANAGERS[self.window_manager], env=env, stdin=subprocess.DEVNULL,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, start_new_session=True)

        def failed(message):
            raise RuntimeError(message)
        # A manager announces itself on the root window once it manages the screen.
        procs.wait_while_running(self.wm_proc, self.x.managed, "%s to manage the screen" % self.window_manager,
                                 failed, WINDOW_TIMEOUT, POLL, self.window_manager)

    def env(self, base=None):
        # A session bus nobody serves: without one, libdbus would autolaunch a
        # bus per program (dbus-x11) that outlives the X server.
        return procs.client_env(base, DISPLAY=self.display, QT_QPA_PLATFORM="xcb",
                                DBUS_SESSION_BUS_ADDRESS="unix:path=/nonexistent/tilebash-e2e-bus")

    # ---- what a session asks of every display ---------------------------
    def keyboard(self):
        return self.x  # key_down, key_up

    def pointer(self):
        return self.x  # move_by, down, up

    def windows(self, session):
        """The program's viewable windows larger than 1x1."""
        pid = session.proc and session.proc.pid
        found = map(self.x.window_info, self.x.windows_of(pid)) if pid else []
        return [w for w in found if w is not None and w.width > 1 and w.height > 1]

    def current(self, session, window):
        return self.x.window_info(window.wid)  # None once gone or unmapped

    def focused(self, session):
        return self.x.window_info(self.x.focus()) if self.x.focus() > 1 else None

    def move_to(self, session, window, x, y):
        # Not moved when it rests there already: a motion to where it is moves nothing.
        target = (window.x + x, window.y + y)
        if self.x.pointer() != target:
            self.x.warp(*target)
            session.wait_for(lambda: self.x.pointer() == target, 10, "the pointer to reach %r" % (target,))

    def screenshot(self, window=None):
        return self.x.screenshot(window and (window.x, window.y, window.width, window.height))

    def log(self):
        return ""

    def stop(self):
        if "x" in vars(self):
            self.x.close()
        if self.wm_proc is not None:
            # The whole group at once, killed: dbus-run-session's bus and what it
            # started go too, and xfwm4 can hang in its own exit once its bus is gone.
            try:
                os.killpg(self.wm_proc.pid, signal.SIGKILL)
                self.wm_proc.wait(10)
            except (ProcessLookupError, subprocess.TimeoutExpired):
                procs.end_process(self.wm_proc)
        procs.end_process(self.proc)
