"""The processes a test starts and how it waits on them: where the program is,
a client's environment, start-up announced on a pipe, end, log; polling."""

import os
import pathlib
import subprocess
import tempfile
import time

from facts import source_dir  # noqa: F401  (the tests reach it as harness.source_dir)

EXE_NAME = "tilebash"
POLL = 0.1
WINDOW_TIMEOUT = 30.0  # loaded CI machines start Qt programs slowly
# What a program started under a private display server must not inherit: the
# caller's display, session bus and Qt platform, each set anew for it (with no
# other display to fall back on, a client that cannot use its own fails), nor
# the caller's Qt tuning.
CLIENT_ENV_DROPPED = ("DISPLAY", "WAYLAND_DISPLAY", "WAYLAND_SOCKET", "XAUTHORITY", "DBUS_SESSION_BUS_ADDRESS",
                      "QT_QPA_PLATFORM", "QT_SCALE_FACTOR", "QT_SCREEN_SCALE_FACTORS", "QT_AUTO_SCREEN_SCALE_FACTOR",
                      "QT_FONT_DPI", "QT_LOGGING_RULES", "QT_MESSAGE_PATTERN", "QT_WAYLAND_SHELL_INTEGRATION",
                      "QT_WAYLAND_DISABLE_WINDOWDECORATION", "WAYLAND_DEBUG")


def env_folder(name, what):
    """The folder the environment variable name holds; raises, saying what it is, when unset."""
    path = os.environ.get(name)
    if not path:
        raise RuntimeError("%s is not set (%s)" % (name, what))
    return path


def program_dir():
    return env_folder("TILEBASH_PROGRAM_DIR", "the folder holding the built tilebash")


def artifacts_dir():
    path = os.environ.get("TILEBASH_E2E_ARTIFACTS") or os.path.join(tempfile.gettempdir(), "tilebash-e2e")
    os.makedirs(path, exist_ok=True)
    return path


def client_env(base=None, **settings):
    """base (by default our own environment) without CLIENT_ENV_DROPPED, with the settings not None."""
    env = {name: value for name, value in (os.environ if base is None else base).items()
           if name not in CLIENT_ENV_DROPPED}
    return dict(env, **{name: value for name, value in settings.items() if value is not None})


def started_announcing(start):
    """start(fd) starts a process that writes a line (its display number, its address) to the pipe fd
    once it is ready: (that process, the line, or "" when the process ended first)."""
    read_end, write_end = os.pipe()
    try:
        proc = start(write_end)
    finally:
        os.close(write_end)  # the process holds its own copy
    with os.fdopen(read_end, "rb") as pipe:
        return proc, pipe.readline().decode().strip()


def log_tail(path, keep=lambda line: True):
    """The last 3000 characters of a log's lines that keep() takes; "" without a log."""
    try:
        text = pathlib.Path(path).read_bytes().decode("utf-8", "replace")
    except OSError:
        return ""
    return "\n".join(line for line in text.splitlines() if keep(line))[-3000:]


def end_process(proc):  # asked to end, killed if it has not within 10 s
    if proc.poll() is None:
        proc.terminate()
        try:
            proc.wait(10)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait(10)


def poll_for(condition, seconds, interval=POLL):
    """condition()'s first true answer within seconds, else its last (false) one."""
    deadline = time.monotonic() + seconds
    while not (found := condition()) and time.monotonic() < deadline:
        time.sleep(interval)
    return found


def wait_while_running(proc, condition, what, fail, timeout=WINDOW_TIMEOUT, poll=0.2, who="the program"):
    """condition's first true answer, asked while proc (if any) runs; fail(message) (which raises)
    when proc ends first or the time runs out."""
    deadline = time.monotonic() + timeout
    while not (found := condition()):
        if proc is not None and proc.poll() is not None:
            fail("%s ended (status %s) while waiting for %s" % (who, proc.returncode, what))
        if time.monotonic() > deadline:
            fail("timed out after %.0f s waiting for %s" % (timeout, what))
        time.sleep(poll)
    return found
