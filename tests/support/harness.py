"""Runs the real Tilebash program on a display server of its own (one of
displays.txt) and drives it as a player would: keys held as a finger holds
them, text typed, the pointer moved and clicked. Everything is observed from
outside: the windows (from X, or on Wayland from the program's protocol
trace), which has the keyboard, screenshots where the display offers them,
the program folder's files and the exit status. The display's driver does
what differs between displays; the Session is the same on all."""

import contextlib
import os
import pathlib
import re
import shutil
import signal
import subprocess
import tempfile
import time

import displays
import facts
import wltrace
from procs import (EXE_NAME, POLL, WINDOW_TIMEOUT, artifacts_dir, log_tail, poll_for,  # noqa: F401
                   program_dir, source_dir, wait_while_running)
from xserver import SCREEN_H, SCREEN_W, WINDOW_MANAGERS  # noqa: F401

KEY_HOLD = 0.15  # a finger holds a key about this long
TYPING_HOLD = 0.06  # and a letter of a word, typed
START, PLAY, INFO = facts.START_WINDOW, facts.PLAY_WINDOW, facts.INFO_WINDOW
TITLE = facts.program_name()
# Keysym names of the characters typed, by code point: python-xlib's own table.
KEYSYM_NAMES = {}


class Failure(AssertionError):
    pass


def keysym_name(character):
    if not KEYSYM_NAMES:
        from Xlib import XK
        KEYSYM_NAMES.update({v: k[3:] for k, v in sorted(vars(XK).items(), reverse=True) if k.startswith("XK_")})
    return "Return" if character == "\n" else KEYSYM_NAMES[ord(character)]


class Session:
    """One display server, one copy of the program folder and at most one
    running program; close() ends and removes them."""

    proc = trace = server = _keyboard = None

    def __init__(self, test_id, folder_name="tilebash", screen_size=(SCREEN_W, SCREEN_H), display="xvfb", env=None):
        """env, where given, is the whole environment of a program already in place (an installed
        package): no folder is copied, and only the display's variables are added to it."""
        self.test_id = re.sub(r"[^A-Za-z0-9_.-]", "_", test_id)
        self.display_name = display
        self.root = tempfile.mkdtemp(prefix="tilebash-e2e-")
        self.folder = os.path.join(self.root, folder_name)
        self.log_path = os.path.join(self.root, "program.log")
        try:  # no caller holds the session yet to close it
            if env is None:
                shutil.copytree(program_dir(), self.folder, ignore=shutil.ignore_patterns(facts.table_file_name()))
            self.server = displays.start(display, screen_size, os.path.join(self.root, "config"))
            if getattr(self.server, "driven", True):
                # Before the program starts: a keyboard that appears with its first
                # use (mutter's virtual one) would find the windows mapped without the focus.
                self.keyboard()
        except BaseException:
            self.close()
            raise
        self.traced = self.server.traced  # Wayland: the windows are read from the program's protocol trace
        self.env = dict(self.server.env(env), **({"WAYLAND_DEBUG": "1"} if self.traced else {}))
        if env is None:
            # The program's settings (the full-screen choice) in the session's own
            # config home, so no test sees another's or the user's.
            self.env.update(XDG_CONFIG_HOME=os.path.join(self.root, "config"),
                            **({} if self.traced else {"XDG_RUNTIME_DIR": self.root}))

    @property
    def x(self):  # the X server's x11.Display, for what only X has
        return self.server.x

    def close(self):
        try:
            self.end_program()
        finally:
            if self.server is not None:
                self.server.stop()
            shutil.rmtree(self.root, ignore_errors=True)

    # ---- the program -----------------------------------------------------
    @property
    def exe(self):
        return os.path.join(self.folder, EXE_NAME)

    @property
    def highscore_path(self):
        return os.path.join(self.folder, facts.table_file_name())

    def write_highscores(self, data):
        pathlib.Path(self.highscore_path).write_bytes(data)

    def read_highscores(self):
        return pathlib.Path(self.highscore_path).read_bytes()

    def launch(self, cwd=None, args=()):
        return self.launch_argv([self.exe, *args], cwd or self.root)

    def launch_argv(self, argv, cwd, **popen):
        """Starts argv as the program, its output (and on Wayland its protocol trace) in a new log."""
        with open(self.log_path, "wb") as log:
            self.proc = subprocess.Popen(argv, cwd=cwd, env=self.env, stdin=subprocess.DEVNULL, stdout=log,
                                         stderr=subprocess.STDOUT, start_new_session=True, **popen)
        self.trace = wltrace.Trace(self.log_path) if self.traced else None
        return self.proc

    def start_again(self, **env):
        """A second start on the session's folder while its copy runs: its exit status."""
        try:
            return subprocess.run([self.exe], cwd=self.root, env=dict(self.env, WAYLAND_DEBUG="0", **env),
                                  stdin=subprocess.DEVNULL, capture_output=True, timeout=WINDOW_TIMEOUT).returncode
        except subprocess.TimeoutExpired:
            self.fail("a second start on the same table did not end")

    def program_log(self):  # without the protocol trace
        return log_tail(self.log_path, lambda line: not wltrace.LINE.match(line))

    def wait_exit(self, timeout=WINDOW_TIMEOUT):
        try:
            return self.proc.wait(timeout)
        except subprocess.TimeoutExpired:
            self.fail("the program did not end within %.0f s" % timeout)

    def end_program(self):  # what is left of the program's process group
        if self.proc is not None and self.proc.poll() is None:
            with contextlib.suppress(ProcessLookupError, subprocess.TimeoutExpired):
                os.killpg(self.proc.pid, signal.SIGKILL)
                self.proc.wait(10)

    # ---- the windows -----------------------------------------------------
    def windows(self):
        return self.server.windows(self)

    def current(self, window):  # window as it is now, or None once it is gone
        return self.server.current(self, window)

    def focused(self):  # the program's window with the keyboard, or None
        return self.server.focused(self)

    def find_window(self, name=None, size=None):
        return next((w for w in self.windows() if name in (None, w.name) and size in (None, w.size)), None)

    def wait_window(self, name=None, size=None, *, what):
        return self.wait_for(lambda: self.find_window(name, size), WINDOW_TIMEOUT, what)

    def wait_gone(self, window, what="the window to go"):
        self.wait_for(lambda: self.current(window) is None, WINDOW_TIMEOUT, what)

    def wait_start_window(self):
        return self.wait_window(TITLE, START, what="the start window")

    def wait_play_window(self):
        return self.wait_window(TITLE, PLAY, what="the play window")

    def wait_info_window(self, what="the information window"):
        return self.wait_window(TITLE, INFO, what=what)

    def wait_keyboard(self, size, what):  # the window of size once it has the keyboard
        return self.wait_for(lambda: (w := self.find_window(size=size)) and w == self.focused() and w,
                             WINDOW_TIMEOUT, "%s (%dx%d) with the keyboard" % ((what,) + tuple(size)))

    def dialogs(self):  # the program's message boxes: its windows but its own three
        return [w for w in self.windows() if w.size not in (START, PLAY, INFO)]

    def wait_dialog(self, name=None, *, what):
        return self.wait_for(lambda: next((w for w in self.dialogs() if name in (None, w.name)), None),
                             WINDOW_TIMEOUT, what)

    def screenshot(self, window=None):
        """The screen (on X, or window's client area) as a screen.Image; None where the display offers none."""
        return self.server.screenshot(window) if window else self.server.screenshot()

    # ---- the player's hands --------------------------------------------
    def keyboard(self):
        if self._keyboard is None:
            self._keyboard = self.server.keyboard()
        return self._keyboard

    def key_down(self, key):
        """A key by its keysym name (p, Return, F11, Left, Shift_L, W) goes down."""
        self.keyboard().key_down(key)

    def key_up(self, key):
        self.keyboard().key_up(key)

    def press(self, key, hold=KEY_HOLD):
        self.key_down(key)
        time.sleep(hold)
        self.key_up(key)

    def press_until(self, key, done, what, attempts=3, seconds=2.0, press=None):
        """done()'s first true answer, key pressed again (by press, else self.press) while it has none: the game
        reads its keys once a frame, so a press that comes and goes while the program is held back is not seen."""
        for _ in range(attempts):
            (press or self.press)(key)
            if found := poll_for(lambda: (self.trace is None or self.trace.read()) and done(), seconds, 0.05):
                return found
        self.fail("%s: not after %d presses of %s" % (what, attempts, key))

    def type_text(self, text):
        for character in text:
            self.press(keysym_name(character), TYPING_HOLD)

    def pointer(self):  # the mouse itself: move_by(dx, dy), down() and up() of its left button
        return self.server.pointer()

    def move_to(self, window, x, y):  # onto (x, y) of window's client area
        self.server.move_to(self, window, x, y)

    def click(self, window, x, y):
        self.move_to(window, x, y)
        mouse = self.pointer()
        mouse.down()
        time.sleep(0.05)
        mouse.up()

    def point_at(self, window):
        """Rests the pointer in the middle of window. Without a window manager,
        keys go to the focused window, or to the one under the pointer once
        the focus has fallen back to the root."""
        self.move_to(window, window.width // 2, window.height // 2)

    # ---- waiting and failing -----------------------------------------
    def wait_for(self, condition, timeout, what, poll=POLL):
        """condition()'s first true result; fails when the program ends first or at the timeout."""
        if self.trace is not None:  # what the windows on Wayland know is what the trace says by now
            condition = (lambda asked: lambda: self.trace.read() and asked())(condition)
        return wait_while_running(self.proc, condition, what, self.fail, timeout, poll)

    def check(self, condition, message):
        if not condition:
            self.fail(message)

    def fail(self, message):
        """Raises Failure with what a reader needs: a screenshot where the
        display offers one, the windows, the program's output and the display's log."""
        base = os.path.join(artifacts_dir(), self.test_id)
        try:
            shot = self.screenshot()
            where = "(the display offers no screenshot)" if shot is None else base + "-failure.png"
            if shot is not None:
                shot.save_png(where)
        except Exception as error:  # the failure message matters more than the picture
            where = "(no screenshot: %s)" % error
        try:
            windows = "%r, the keyboard on %r" % (self.windows(), self.focused())
        except Exception:  # nor more than the window list
            windows = ""
        if self.trace is not None:
            shutil.copy(self.log_path, base + "-wayland-trace.txt")
        raise Failure("%s\n  screenshot: %s\n  windows: %s\n  program output:\n%s\n  %s log:\n%s"
                      % (message, where, windows, self.program_log(), self.display_name, self.server.log()))
