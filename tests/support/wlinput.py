"""Keys, the pointer, another program's window and activation tokens on a
Wayland compositor, through the wlinput tool (wlinput.c): one process for the
whole test, so the compositor sees one keyboard and one mouse that stay
plugged in. Each command waits for the tool's answer, which comes once the
compositor has the request.
"""

import os
import select
import subprocess
import time

ANSWER_TIMEOUT = 30.0


def tool_path():
    return os.environ.get("TILEBASH_WLINPUT")


def missing():
    """Why there is no tool to run, or None."""
    path = tool_path()
    if not path:
        return "TILEBASH_WLINPUT is not set (wlinput is built with the tests)"
    if not os.access(path, os.X_OK):
        return "wlinput is not built at %s" % path
    return None


class ToolError(RuntimeError):
    pass


class Tool:
    """The running wlinput, connected to the compositor named in env; its
    errors go to log_path. keys says what it presses keys through
    ("virtual-keyboard", "fake-input" or "none"), pointer what it moves the
    pointer through ("virtual-pointer", "fake-input" or "none"), activation
    whether the compositor hands out activation tokens."""

    def __init__(self, env, log_path):
        self._log = open(log_path, "ab")
        self.proc = subprocess.Popen([tool_path()], env=env, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                     stderr=self._log, start_new_session=True)
        self._pending = b""
        try:
            ready = self._answer("start")
            if not ready.startswith("ready "):
                raise ToolError("wlinput did not start: %s" % ready)
        except BaseException:
            self.stop()
            raise
        _, self.keys, activation, self.pointer = ready.split()
        self.activation = activation == "activation"

    def _answer(self, what):
        deadline = time.monotonic() + ANSWER_TIMEOUT
        while b"\n" not in self._pending:
            left = deadline - time.monotonic()
            if left <= 0 or not select.select([self.proc.stdout], [], [], left)[0]:
                raise ToolError("wlinput gave no answer to %r within %.0f s" % (what, ANSWER_TIMEOUT))
            chunk = os.read(self.proc.stdout.fileno(), 4096)
            if not chunk:
                raise ToolError("wlinput ended (status %s) before answering %r" % (self.proc.wait(10), what))
            self._pending += chunk
        line, self._pending = self._pending.split(b"\n", 1)
        return line.decode()

    def ask(self, command):
        """The answer's text after "ok"; raises ToolError with the tool's reason instead."""
        self.proc.stdin.write(command.encode() + b"\n")
        self.proc.stdin.flush()
        answer = self._answer(command)
        if answer != "ok" and not answer.startswith("ok "):
            raise ToolError("wlinput %r: %s" % (command, answer))
        return answer[3:]

    def stop(self):
        if self.proc.poll() is None:
            try:
                self.ask("quit")
                self.proc.wait(10)
            except (ToolError, OSError, subprocess.TimeoutExpired):
                self.proc.kill()
                self.proc.wait(10)
        self.proc.stdin.close()
        self.proc.stdout.close()
        self._log.close()


class Keyboard:
    """wlinput's keyboard: keys named by xkb keysym (p, Return, F11, Shift_L, W)."""

    def __init__(self, tool):
        self.tool = tool

    def key_down(self, keysym):
        self.tool.ask("down " + keysym)

    def key_up(self, keysym):
        self.tool.ask("up " + keysym)


class Pointer:
    """The mouse: moved by pixels, its left button pressed and released."""

    def __init__(self, tool):
        self.tool = tool

    def move_by(self, dx, dy):
        self.tool.ask("motion %g %g" % (dx, dy))

    def down(self):
        self.tool.ask("button down")

    def up(self):
        self.tool.ask("button up")


class OtherWindow:
    """Another program's small window, "other", taking the focus as a new window does."""

    def __init__(self, tool):
        self.tool = tool
        self.shown = False

    def show(self):
        """Maps it; True when it got the keyboard focus."""
        focused = self.tool.ask("show") == "focused"
        self.shown = True
        return focused

    def hide(self):
        self.tool.ask("hide")
        self.shown = False

    def activation_token(self):
        """A token made by this window, once shown, as a launcher makes one for
        the program it starts on a click; None where the compositor hands out
        none."""
        return self.tool.ask("token") if self.tool.activation else None
