"""Runs the real Tilebash program under its own Xvfb (with no window manager
unless a scenario asks for one) and drives it the way a player would: X
mouse clicks, key presses, typing.

Everything observed is observed from outside: windows, their names and
geometry, and screen pixels (x11), the files in the program folder and the
process's exit status. The Session joins one class per job: program_run,
xwindows, player_input and reports.
"""

import os
import pathlib
import re
import shutil
import signal
import subprocess
import tempfile

import facts

# The tests and benchmarks reach these as harness.NAME; each has its home in its job's module.
from player_input import KEY_HOLD, PlayerInput  # noqa: F401
from program_run import (EXE_NAME, ProgramRun, client_env, end_process, log_tail, program_dir,  # noqa: F401
                         project_version, source_dir, started_announcing)
from reports import (POLL, WINDOW_TIMEOUT, Failure, Reports, artifacts_dir, poll_for,  # noqa: F401
                     wait_while_running)
from xwindows import XWindows

SCREEN_W, SCREEN_H = 1024, 768

# Window managers a scenario can run under, and how each is started. xfwm4
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
    manager (a key of WINDOW_MANAGERS) whose settings live under config_home."""

    def __init__(self, size=(SCREEN_W, SCREEN_H), window_manager=None, config_home=None):
        self.window_manager = window_manager
        self.wm_proc = None
        # Xvfb writes its number once it listens, and ends the line empty if it ends first.
        self.proc, number = started_announcing(lambda fd: subprocess.Popen(
            ["Xvfb", "-displayfd", str(fd), "-screen", "0", "%dx%dx24" % tuple(size), "-nolisten", "tcp", "-noreset"],
            pass_fds=(fd,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, start_new_session=True))
        self.display = ":" + number
        try:
            if not number:
                raise RuntimeError("Xvfb ended (status %s) without a display number" % self.proc.wait(10))
            if window_manager:
                self._start_window_manager(config_home)
        except BaseException:
            self.stop()
            raise

    def _start_window_manager(self, config_home):
        # NO_AT_BRIDGE: no accessibility bus for the manager's toolkit.
        env = dict(self.env(), XDG_CONFIG_HOME=config_home, NO_AT_BRIDGE="1")
        if self.window_manager == "xfwm4":
            channels = pathlib.Path(config_home, "xfce4", "xfconf", "xfce-perchannel-xml")
            channels.mkdir(parents=True, exist_ok=True)
            (channels / "xfwm4.xml").write_text(XFWM4_SETTINGS)
        self.wm_proc = subprocess.Popen(WINDOW_MANAGERS[self.window_manager], env=env, stdin=subprocess.DEVNULL,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, start_new_session=True)

        def managing():  # a manager announces itself on the root window once it manages the screen
            return b"window id #" in subprocess.run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], env=env,
                                                    capture_output=True, timeout=30).stdout

        def failed(message):
            raise RuntimeError(message)
        wait_while_running(self.wm_proc, managing, "%s to manage the screen" % self.window_manager, failed,
                           WINDOW_TIMEOUT, POLL, self.window_manager)

    def env(self, base=None):
        # A session bus nobody serves: without one, libdbus would autolaunch a
        # bus per program (dbus-x11) that outlives the X server.
        return client_env(base, DISPLAY=self.display, QT_QPA_PLATFORM="xcb",
                          DBUS_SESSION_BUS_ADDRESS="unix:path=/nonexistent/tilebash-e2e-bus")

    def stop(self):
        if self.wm_proc is not None:
            # The whole group at once, killed: dbus-run-session's bus and what it
            # started go too, and xfwm4 can hang in its own exit once its bus is gone.
            try:
                os.killpg(self.wm_proc.pid, signal.SIGKILL)
                self.wm_proc.wait(10)
            except (ProcessLookupError, subprocess.TimeoutExpired):
                end_process(self.wm_proc)
        end_process(self.proc)


class Session(ProgramRun, XWindows, PlayerInput, Reports):
    """One X server, one copy of the program folder and at most one running
    program; close() ends and removes them."""

    def __init__(self, test_id, folder_name="tilebash", screen_size=(SCREEN_W, SCREEN_H), window_manager=None):
        self.test_id = re.sub(r"[^A-Za-z0-9_.-]", "_", test_id)
        self.root = tempfile.mkdtemp(prefix="tilebash-e2e-")
        self.folder = os.path.join(self.root, folder_name)
        shutil.copytree(program_dir(), self.folder, ignore=shutil.ignore_patterns(facts.table_file_name()))
        self.x = XServer(screen_size, window_manager, os.path.join(self.root, "config"))
        self.env = dict(self.x.env(), XDG_RUNTIME_DIR=self.root)
        self.log_path = os.path.join(self.root, "program.log")

    def close(self):
        try:
            self.end_program()
        finally:
            self.close_display()
            self.x.stop()
            shutil.rmtree(self.root, ignore_errors=True)
