"""The processes a test starts: the program (its sources, its built folder, one
copy running with its output in a log), and how any is started, ended and its
log read."""

import contextlib
import os
import pathlib
import signal
import subprocess

import facts
from facts import source_dir
from reports import WINDOW_TIMEOUT

EXE_NAME = "tilebash"
# What a program started under a private display server must not inherit: the
# caller's display, session bus and Qt platform, each set anew for it (with no
# other display to fall back on, a client that cannot use its own fails), nor
# the caller's Qt tuning.
CLIENT_ENV_DROPPED = ("DISPLAY", "WAYLAND_DISPLAY", "WAYLAND_SOCKET", "XAUTHORITY", "DBUS_SESSION_BUS_ADDRESS",
                      "QT_QPA_PLATFORM", "QT_SCALE_FACTOR", "QT_SCREEN_SCALE_FACTORS", "QT_AUTO_SCREEN_SCALE_FACTOR",
                      "QT_FONT_DPI", "QT_LOGGING_RULES", "QT_MESSAGE_PATTERN", "QT_WAYLAND_SHELL_INTEGRATION",
                      "QT_WAYLAND_DISABLE_WINDOWDECORATION")


def program_dir():
    path = os.environ.get("TILEBASH_PROGRAM_DIR")
    if not path:
        raise RuntimeError("TILEBASH_PROGRAM_DIR is not set (the folder holding the built tilebash)")
    return path


project_version = facts.version


def client_env(base=None, **settings):
    """base (by default our own environment) without CLIENT_ENV_DROPPED, with
    the settings that are not None."""
    env = {name: value for name, value in (os.environ if base is None else base).items()
           if name not in CLIENT_ENV_DROPPED}
    return dict(env, **{name: value for name, value in settings.items() if value is not None})


def started_announcing(start):
    """start(fd) starts a process that writes a line to the pipe fd once it is
    ready (its display number, its address): (that process, the line, "" when
    the process ended first)."""
    read_end, write_end = os.pipe()
    try:
        proc = start(write_end)
    finally:
        os.close(write_end)  # the process holds its own copy
    with os.fdopen(read_end, "rb") as pipe:
        return proc, pipe.readline().decode().strip()


def log_tail(path):
    """The last 3000 characters of a program's log, for a failure message; "" without one."""
    try:
        return pathlib.Path(path).read_bytes().decode("utf-8", "replace")[-3000:]
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


class ProgramRun:
    """The program folder and at most one running program. Reads the
    session's root, folder, env and log_path; fails through its fail()."""

    proc = None

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
        """Starts argv as the program, its output in a new log. The program
        writes through its own copy of the file, so ours is closed at once."""
        with open(self.log_path, "wb") as log:
            self.proc = subprocess.Popen(argv, cwd=cwd, env=self.env, stdin=subprocess.DEVNULL, stdout=log,
                                         stderr=subprocess.STDOUT, start_new_session=True, **popen)
        return self.proc

    def program_log(self):
        return log_tail(self.log_path)

    def wait_exit(self, timeout=WINDOW_TIMEOUT):
        try:
            return self.proc.wait(timeout)
        except subprocess.TimeoutExpired:
            self.fail("the program did not end within %.0f s" % timeout)

    def end_program(self):
        """Kills what is left of the program's process group."""
        if self.proc is not None and self.proc.poll() is None:
            with contextlib.suppress(ProcessLookupError, subprocess.TimeoutExpired):
                os.killpg(self.proc.pid, signal.SIGKILL)
                self.proc.wait(10)
