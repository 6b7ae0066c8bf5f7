"""Keys, the pointer, another program's window and activation tokens on a Wayland compositor through wlinput
(wlinput.c): one process for the whole test, so the compositor sees one keyboard and one mouse that stay plugged
in. Each command waits for the tool's answer, which comes once the compositor has the request."""

import os
import select
import subprocess

ANSWER_TIMEOUT = 30.0


def missing():  # why there is no tool to run, or None
    path = os.environ.get("TILEBASH_WLINPUT")
    if not path:
        return "TILEBASH_WLINPUT is not set (wlinput is built with the tests)"
    return None if os.access(path, os.X_OK) else "wlinput is not built at %s" % path


class Tool:
    """The running wlinput on the compositor named in env, its errors in log_path. keys and pointer: what it drives
    them through ("virtual-keyboard" or "virtual-pointer", "fake-input", "none"); activation: whether tokens come."""

    def __init__(self, env, log_path):
        self._log = open(log_path, "ab")
        # Unbuffered both ways: select() then sees every answer not yet read (the tool writes each in one piece).
        self.proc = subprocess.Popen([os.environ["TILEBASH_WLINPUT"]], env=env, stdin=subprocess.PIPE,
                                     stdout=subprocess.PIPE, stderr=self._log, start_new_session=True, bufsize=0)
        try:
            ready = self._answer("start")
            if not ready.startswith("ready "):
                raise RuntimeError("wlinput did not start: %s" % ready)
        except BaseException:
            self.stop()
            raise
        _, self.keys, activation, self.pointer = ready.split()
        self.activation = activation == "activation"

    def _answer(self, what):
        if not select.select([self.proc.stdout], [], [], ANSWER_TIMEOUT)[0]:
            raise RuntimeError("wlinput gave no answer to %r within %.0f s" % (what, ANSWER_TIMEOUT))
        line = self.proc.stdout.readline()
        if not line:
            raise RuntimeError("wlinput ended (status %s) before answering %r" % (self.proc.wait(10), what))
        return line.decode().rstrip("\n")

    def ask(self, command):  # the answer's text after "ok"; else raises RuntimeError with the tool's reason
        self.proc.stdin.write(command.encode() + b"\n")
        answer = self._answer(command)
        if answer != "ok" and not answer.startswith("ok "):
            raise RuntimeError("wlinput %r: %s" % (command, answer))
        return answer[3:]

    def key_down(self, keysym):  # named by its xkb keysym: p, Return, F11, Shift_L, W
        self.ask("down " + keysym)

    def key_up(self, keysym):
        self.ask("up " + keysym)

    def move_by(self, dx, dy):
        self.ask("motion %g %g" % (dx, dy))

    def down(self):  # the left button
        self.ask("button down")

    def up(self):
        self.ask("button up")

    def show(self):  # its small window, "other", which takes the focus as a new window does; True if it got it
        return self.ask("show") == "focused"

    def hide(self):
        self.ask("hide")

    def activation_token(self):  # made by "other", once shown, as a launcher gets one on a click; None if none come
        return self.ask("token") if self.activation else None

    def stop(self):
        if self.proc.poll() is None:
            try:
                self.ask("quit")
                self.proc.wait(10)
            except (RuntimeError, OSError, subprocess.TimeoutExpired):
                self.proc.kill()
                self.proc.wait(10)
        self.proc.stdin.close()
        self.proc.stdout.close()
        self._log.close()
