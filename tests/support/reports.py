"""Waiting and failing: how long and how often a test looks, and what a failed
check reports (a screenshot kept among the artifacts, the windows, the log)."""

import os
import tempfile
import time

POLL = 0.1
WINDOW_TIMEOUT = 30.0  # loaded CI machines start Qt programs slowly


class Failure(AssertionError):
    pass


def artifacts_dir():
    path = os.environ.get("TILEBASH_E2E_ARTIFACTS") or os.path.join(tempfile.gettempdir(), "tilebash-e2e")
    os.makedirs(path, exist_ok=True)
    return path


def poll_for(condition, seconds, interval=POLL):
    """condition()'s first true answer within seconds, else its last (false) one."""
    deadline = time.monotonic() + seconds
    while not (found := condition()) and time.monotonic() < deadline:
        time.sleep(interval)
    return found


def wait_while_running(proc, condition, what, fail, timeout=WINDOW_TIMEOUT, poll=0.2, who="the program"):
    """condition's first true answer, asked while proc (if any) runs; fail(message),
    which raises, when proc ends first or the time runs out."""
    deadline = time.monotonic() + timeout
    while not (found := condition()):
        if proc is not None and proc.poll() is not None:
            fail("%s ended (status %s) while waiting for %s" % (who, proc.returncode, what))
        if time.monotonic() > deadline:
            fail("timed out after %.0f s waiting for %s" % (timeout, what))
        time.sleep(poll)
    return found


class Reports:
    """Reads the session's test_id and proc, and its screenshot, windows and program_log."""

    def wait_for(self, condition, timeout, what, poll=POLL):
        """condition()'s first true result; fails when the program ends first or at the timeout."""
        return wait_while_running(self.proc, condition, what, self.fail, timeout, poll)

    def check(self, condition, message):
        if not condition:
            self.fail(message)

    def fail(self, message):
        shot = os.path.join(artifacts_dir(), "%s-failure.png" % self.test_id)
        try:
            self.screenshot().save_png(shot)
        except Exception as error:  # the failure message matters more than the picture
            shot = "(no screenshot: %s)" % error
        try:
            windows = repr(self.windows())
        except Exception:  # nor more than the window list
            windows = ""
        raise Failure("%s\n  screenshot: %s\n  windows: %s\n  program output:\n%s"
                      % (message, shot, windows, self.program_log()))
