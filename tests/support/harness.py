"""Runs the real Tilebash program under its own Xvfb (with no window manager
unless a scenario asks for one) and drives it the way a player would: X
mouse clicks, key presses, typing.

Everything observed is observed from outside: windows, their names and
geometry, and screen pixels (x11), the files in the program folder and the
process's exit status.
"""

import os
import re
import shutil
import signal
import subprocess
import tempfile
import time

import x11

SCREEN_W, SCREEN_H = 1024, 768
POLL = 0.1
WINDOW_TIMEOUT = 30.0  # loaded CI machines start Qt programs slowly
KEY_HOLD = 0.15  # a finger holds a key about this long
EXE_NAME = "tilebash"
HERE = os.path.dirname(os.path.abspath(__file__))


def source_dir():
    return os.environ.get("TILEBASH_SOURCE_DIR") or os.path.dirname(os.path.dirname(HERE))


def program_dir():
    path = os.environ.get("TILEBASH_PROGRAM_DIR")
    if not path:
        raise RuntimeError("TILEBASH_PROGRAM_DIR is not set (the folder holding the built tilebash)")
    return path


def project_version():
    """The version, from its one home: project(VERSION) in CMakeLists.txt."""
    with open(os.path.join(source_dir(), "CMakeLists.txt"), encoding="utf-8") as f:
        return re.search(r"project\(\w+ VERSION ([0-9.]+)", f.read()).group(1)


def artifacts_dir():
    path = os.environ.get("TILEBASH_E2E_ARTIFACTS") or os.path.join(tempfile.gettempdir(), "tilebash-e2e")
    os.makedirs(path, exist_ok=True)
    return path


def log_tail(path):
    """The last 3000 characters of a program's log, for a failure message; "" without one."""
    try:
        with open(path, "rb") as f:
            return f.read().decode("utf-8", "replace")[-3000:]
    except OSError:
        return ""


def end_process(proc):
    """Asks a process to end, and kills it if it has not within 10 s."""
    if proc.poll() is None:
        proc.terminate()
        try:
            proc.wait(10)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait(10)


class Failure(AssertionError):
    pass


# Window managers a scenario can run under, and how each is started. xfwm4
# keeps its settings in xfconf, which it reaches over a D-Bus session bus of
# its own.
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
        read_end, write_end = os.pipe()
        self.proc = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "%dx%dx24" % tuple(size),
             "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            start_new_session=True)
        os.close(write_end)
        number = b""
        deadline = time.monotonic() + WINDOW_TIMEOUT
        try:
            while not number.endswith(b"\n"):
                if time.monotonic() > deadline or self.proc.poll() is not None:
                    raise RuntimeError("Xvfb did not start")
                chunk = os.read(read_end, 16)
                if not chunk:
                    raise RuntimeError("Xvfb closed its display pipe without a number")
                number += chunk
        except BaseException:
            self.stop()
            raise
        finally:
            os.close(read_end)
        self.display = ":" + number.decode().strip()
        if window_manager:
            try:
                self._start_window_manager(config_home)
            except BaseException:
                self.stop()
                raise

    def _start_window_manager(self, config_home):
        if config_home is None:
            raise ValueError("a window manager needs a config_home of its own")
        env = self.env()
        env["XDG_CONFIG_HOME"] = config_home
        env["NO_AT_BRIDGE"] = "1"  # no accessibility bus for the manager's toolkit
        if self.window_manager == "xfwm4":
            channels = os.path.join(env["XDG_CONFIG_HOME"], "xfce4", "xfconf", "xfce-perchannel-xml")
            os.makedirs(channels, exist_ok=True)
            with open(os.path.join(channels, "xfwm4.xml"), "w") as f:
                f.write(XFWM4_SETTINGS)
        self.wm_proc = subprocess.Popen(WINDOW_MANAGERS[self.window_manager], env=env, stdin=subprocess.DEVNULL,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                        start_new_session=True)
        # A manager announces itself on the root window once it manages the screen.
        deadline = time.monotonic() + WINDOW_TIMEOUT
        while True:
            out = subprocess.run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], env=env, capture_output=True,
                                 timeout=30)
            if b"window id #" in out.stdout:
                return
            if self.wm_proc.poll() is not None or time.monotonic() > deadline:
                raise RuntimeError("%s did not start (status %s)" % (self.window_manager, self.wm_proc.poll()))
            time.sleep(POLL)

    def env(self, base=None):
        env = dict(os.environ if base is None else base)
        env["DISPLAY"] = self.display
        env["QT_QPA_PLATFORM"] = "xcb"
        # A session bus nobody serves: without one, libdbus would autolaunch a
        # bus per program (dbus-x11) that outlives the X server.
        env["DBUS_SESSION_BUS_ADDRESS"] = "unix:path=/nonexistent/tilebash-e2e-bus"
        for name in ("WAYLAND_DISPLAY", "QT_SCALE_FACTOR", "QT_SCREEN_SCALE_FACTORS", "QT_AUTO_SCREEN_SCALE_FACTOR",
                     "QT_FONT_DPI", "XAUTHORITY"):
            env.pop(name, None)
        return env

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


class Window:
    def __init__(self, wid, name, x, y, width, height, border):
        self.wid, self.name = wid, name
        self.x, self.y, self.width, self.height, self.border = x, y, width, height, border

    @property
    def size(self):
        return self.width, self.height

    def __repr__(self):
        return "<window 0x%x %r %dx%d+%d+%d>" % (self.wid, self.name, self.width, self.height, self.x, self.y)


class Session:
    """One X server, one copy of the program folder and at most one running
    program. Use as a context manager, or call close(); both clean up."""

    _display = None  # the connection behind display, opened on first use

    def __init__(self, test_id, folder_name="tilebash", screen_size=(SCREEN_W, SCREEN_H), window_manager=None):
        self.test_id = re.sub(r"[^A-Za-z0-9_.-]", "_", test_id)
        self.root = tempfile.mkdtemp(prefix="tilebash-e2e-")
        self.folder = os.path.join(self.root, folder_name)
        shutil.copytree(program_dir(), self.folder, symlinks=False,
                        ignore=shutil.ignore_patterns("highscore.txt"))
        self.x = XServer(screen_size, window_manager, os.path.join(self.root, "config"))
        self.env = self.x.env()
        self.env["XDG_RUNTIME_DIR"] = self.root
        self.proc = None
        self.log_path = os.path.join(self.root, "program.log")
        self._log = None

    # ---- life cycle -------------------------------------------------------
    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()
        return False

    def close(self):
        try:
            if self.proc is not None and self.proc.poll() is None:
                os.killpg(self.proc.pid, signal.SIGKILL)
                self.proc.wait(10)
        except (ProcessLookupError, subprocess.TimeoutExpired):
            pass
        finally:
            if self._log:
                self._log.close()
            if self._display:
                self._display.close()
            self.x.stop()
            shutil.rmtree(self.root, ignore_errors=True)

    @property
    def exe(self):
        return os.path.join(self.folder, EXE_NAME)

    @property
    def highscore_path(self):
        return os.path.join(self.folder, "highscore.txt")

    def write_highscores(self, data):
        with open(self.highscore_path, "wb") as f:
            f.write(data)

    def read_highscores(self):
        with open(self.highscore_path, "rb") as f:
            return f.read()

    def launch(self, cwd=None, args=()):
        self._log = open(self.log_path, "wb")
        self.proc = subprocess.Popen([self.exe, *args], cwd=cwd or self.root, env=self.env,
                                     stdin=subprocess.DEVNULL, stdout=self._log, stderr=subprocess.STDOUT,
                                     start_new_session=True)
        return self.proc

    def program_log(self):
        return log_tail(self.log_path)

    def wait_exit(self, timeout=WINDOW_TIMEOUT):
        try:
            return self.proc.wait(timeout)
        except subprocess.TimeoutExpired:
            self.fail("the program did not end within %.0f s" % timeout)

    # ---- running X tools --------------------------------------------------
    def run(self, *args, check=True, timeout=30):
        out = subprocess.run(list(args), env=self.env, capture_output=True, timeout=timeout)
        if check and out.returncode != 0:
            raise RuntimeError("%s failed (%d): %s" % (" ".join(args), out.returncode,
                                                        out.stderr.decode(errors="replace")))
        return out.stdout.decode("utf-8", "replace")

    # ---- windows ----------------------------------------------------------
    def window_info(self, wid):
        """Geometry and name of one window, or None once it is gone or unmapped."""
        info = self.display.window_info(wid)
        return Window(wid, *info) if info else None

    def windows(self, pid=None):
        """The viewable windows, larger than 1x1, of the program (or of the process pid), found by _NET_WM_PID."""
        pid = pid or (self.proc and self.proc.pid)
        found = map(self.window_info, self.display.windows_of(pid)) if pid else []
        return [w for w in found if w is not None and w.width > 1 and w.height > 1]

    def all_viewable_windows(self):
        """Every viewable child of the root window, whoever owns it, the top one first."""
        return [w for w in map(self.window_info, self.display.children()) if w is not None]

    def find_window(self, name=None, size=None, exclude=()):
        for w in self.windows():
            if name is not None and w.name != name:
                continue
            if size is not None and w.size != tuple(size):
                continue
            if w.wid in exclude:
                continue
            return w
        return None

    def wait_window(self, name=None, size=None, exclude=(), timeout=WINDOW_TIMEOUT, what=None):
        what = what or "a window %s%s" % ("named %r " % name if name else "", "of size %dx%d" % size if size else "")
        return self.wait_for(lambda: self.find_window(name, size, exclude), timeout, what)

    def wait_gone(self, wid, timeout=WINDOW_TIMEOUT, what="the window to go"):
        self.wait_for(lambda: self.window_info(wid) is None, timeout, what)

    def wait_start_window(self, timeout=WINDOW_TIMEOUT):
        return self.wait_window("Tilebash", (320, 400), timeout=timeout, what="the 320x400 start window")

    def wait_play_window(self, timeout=WINDOW_TIMEOUT):
        return self.wait_window("Tilebash", (640, 420), timeout=timeout, what="the 640x420 play window")

    def dialogs(self, exclude_sizes=((320, 400), (640, 420), (500, 400))):
        return [w for w in self.windows() if w.size not in exclude_sizes]

    def wait_dialog(self, name=None, timeout=WINDOW_TIMEOUT, what=None):
        def look():
            for w in self.dialogs():
                if name is None or w.name == name:
                    return w
            return None
        return self.wait_for(look, timeout, what or "a message box named %r" % name)

    def active_window(self):
        """The window manager's active window (_NET_ACTIVE_WINDOW), 0 for none."""
        m = re.search(r"window id # (0x[0-9a-f]+)", self.run("xprop", "-root", "_NET_ACTIVE_WINDOW", check=False))
        return int(m.group(1), 16) if m else 0

    def focused(self):
        """The window holding the keyboard focus."""
        return int(self.run("xdotool", "getwindowfocus", check=False).strip() or 0)

    def window_property(self, wid, prop):
        return self.run("xprop", "-id", str(wid), prop, check=False)

    @property
    def display(self):
        """The session's own connection to its X server, opened on first use."""
        if self._display is None:
            self._display = x11.Display(self.x.display)
        return self._display

    def cursor_visible(self):
        return self.display.cursor_is_visible()

    def close_request(self, window):
        self.display.send_close_request(window.wid)

    # ---- input ------------------------------------------------------------
    def pointer(self):
        return self.display.pointer()

    def move_to(self, window, x, y):
        # Not `mousemove --sync`: it waits for motion, and hangs for seconds when
        # the pointer already rests on the target.
        target = (window.x + x, window.y + y)
        if self.pointer() == target:
            return
        self.run("xdotool", "mousemove", str(target[0]), str(target[1]))
        self.wait_for(lambda: self.pointer() == target, 10, "the pointer to reach %r" % (target,))

    def click(self, window, x, y):
        """A left click at a point of window's client area."""
        self.move_to(window, x, y)
        self.run("xdotool", "mousedown", "1")
        time.sleep(0.05)
        self.run("xdotool", "mouseup", "1")

    def point_at(self, window):
        """Rests the pointer in the middle of window. Without a window manager,
        keys go to the focused window, or to the one under the pointer once
        the focus has fallen back to the root."""
        self.move_to(window, window.width // 2, window.height // 2)

    def key_down(self, key):
        self.run("xdotool", "keydown", key)

    def key_up(self, key):
        self.run("xdotool", "keyup", key)

    def hold_key(self, key, seconds=KEY_HOLD):
        self.key_down(key)
        time.sleep(seconds)
        self.key_up(key)

    def type_text(self, text):
        self.run("xdotool", "type", "--delay", "60", text)

    # ---- screen -----------------------------------------------------------
    def screenshot(self, window=None):
        """The screen, or window's client area, as a screen.Image."""
        return self.display.screenshot(window and (window.x, window.y, window.width, window.height))

    def save_screenshot(self, label):
        path = os.path.join(artifacts_dir(), "%s-%s.png" % (self.test_id, label))
        try:
            self.screenshot().save_png(path)
        except Exception as error:  # the failure message matters more than the picture
            return "(no screenshot: %s)" % error
        return path

    # ---- waiting and failing ---------------------------------------------
    def wait_for(self, condition, timeout, what):
        deadline = time.monotonic() + timeout
        while True:
            result = condition()
            if result:
                return result
            if self.proc is not None and self.proc.poll() is not None:
                self.fail("the program ended (status %s) while waiting for %s" % (self.proc.returncode, what))
            if time.monotonic() > deadline:
                self.fail("timed out after %.0f s waiting for %s" % (timeout, what))
            time.sleep(POLL)

    def fail(self, message):
        shot = self.save_screenshot("failure")
        windows = ""
        try:
            windows = repr(self.windows())
        except Exception:
            pass
        raise Failure("%s\n  screenshot: %s\n  windows: %s\n  program output:\n%s"
                      % (message, shot, windows, self.program_log()))

    def check(self, condition, message):
        if not condition:
            self.fail(message)
