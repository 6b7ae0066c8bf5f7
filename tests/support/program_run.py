"""The processes a test starts: the program (its sources, its built folder, one
copy running with its output in a log), and how any is ended and its log read."""

import os
import signal
import subprocess
import time

import facts
from facts import source_dir
from reports import WINDOW_TIMEOUT

EXE_NAME = "tilebash"


def program_dir():
    path = os.environ.get("TILEBASH_PROGRAM_DIR")
    if not path:
        raise RuntimeError("TILEBASH_PROGRAM_DIR is not set (the folder holding the built tilebash)")
    return path


project_version = facts.version


def wait_while_running(proc, condition, what, fail, timeout=WINDOW_TIMEOUT, poll=0.2):
    """condition's first true answer, asked while proc runs; fail(message)
    when proc ends first or the time runs out."""
    deadline = time.monotonic() + timeout
    while True:
        found = condition()
        if found:
            return found
        if proc.poll() is not None:
            fail("the program ended (status %s) while waiting for %s" % (proc.returncode, what))
        if time.monotonic() > deadline:
            fail("timed out after %.0f s waiting for %s" % (timeout, what))
        time.sleep(poll)


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
        with open(self.highscore_path, "wb") as f:
            f.write(data)

    def read_highscores(self):
        with open(self.highscore_path, "rb") as f:
            return f.read()

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
        try:
            if self.proc is not None and self.proc.poll() is None:
                os.killpg(self.proc.pid, signal.SIGKILL)
                self.proc.wait(10)
        except (ProcessLookupError, subprocess.TimeoutExpired):
            pass
