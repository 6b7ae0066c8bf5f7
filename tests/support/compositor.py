"""What a private headless Wayland compositor for the end-to-end tests and the
benchmarks needs whatever its kind (weston.py, mutter.py, sway.py, kwin.py): a
runtime folder of its own (mode 0700) with its socket and log, and where a
test drives it, a D-Bus session of its own that it shares with the program and
one wlinput process for the keys, the pointer, another window and activation
tokens.

A compositor that refuses to run as root (sway) runs as an unprivileged user
instead; its folder then belongs to that user, and the clients, running as
root, keep a runtime folder of their own and name the compositor's socket by
its absolute path.
"""

import contextlib
import io
import itertools
import os
import pathlib
import pwd
import shutil
import subprocess
import tempfile

import procs
import screen
import wlinput
import wltrace
from xserver import SCREEN_H, SCREEN_W

START_TIMEOUT = 30.0
UNPRIVILEGED_USER = "nobody"  # present on every Debian system
_sockets = itertools.count()

# The session bus's rules: anyone may connect, since the compositor's user
# and the program's may differ; nothing is started on demand.
BUS_CONFIG = """<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:path=%s</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/>
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
"""


def bus_connection(address):
    """A connection to the D-Bus session at address, through python3-gi (the
    system python3's, as the e2e tests run), imported only by those who call."""
    from gi.repository import Gio
    return Gio.DBusConnection.new_for_address_sync(
        address, Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT | Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION,
        None, None)


class Compositor:
    """The common part; a subclass starts the compositor itself in _start(),
    on the socket socket_name in its folder unless _socket() says otherwise.
    name names the folders, the log and the socket; as_user runs it as
    UNPRIVILEGED_USER when the test is root; driven gives it the bus and wlinput."""

    name = "compositor"
    tools = ()  # the programs it needs
    as_user = False
    driven = True
    traced = True  # the program's windows are read from its protocol trace
    # Whether a window presenting a launcher's activation token gets the
    # keyboard, or is only marked as wanting attention.
    token_focuses = True
    keys_through = "a keyboard protocol"  # what the compositor would offer wlinput for keys
    pointer_through = "a pointer protocol"  # and for the pointer

    def __init__(self, size=(SCREEN_W, SCREEN_H), config_home=None):
        self.size = tuple(size)
        self.socket_name = "tilebash-%s-%d-%d" % (self.name, os.getpid(), next(_sockets))
        self.user = pwd.getpwnam(UNPRIVILEGED_USER) if self.as_user and os.geteuid() == 0 else None
        # Both of mode 0700, as Wayland wants (mkdtemp's); the user must reach
        # its folder: /tmp, whatever TMPDIR the test has.
        self.runtime = tempfile.mkdtemp(prefix="tilebash-%s-" % self.name, dir="/tmp" if self.user else None)
        self.client_runtime = tempfile.mkdtemp(prefix="tilebash-%s-client-" % self.name)
        if self.user:
            os.chown(self.runtime, self.user.pw_uid, self.user.pw_gid)
        self.log_path = os.path.join(self.runtime, "%s.log" % self.name)
        self._log = open(self.log_path, "wb")
        self.bus = self.bus_address = self.proc = self.tool = self.other_window = None
        try:
            if self.driven:
                self.bus_address = self._start_bus()
            self.proc = self._start(self._own_env())
            self.socket = procs.wait_while_running(self.proc, self._ready, "%s to take clients" % self.name,
                                                     self._failed, START_TIMEOUT, 0.1, self.name)
            if self.driven:
                self.tool = wlinput.Tool(self.env(), self.log_path)
                self.other_window = wlinput.OtherWindow(self.tool)  # and its activation tokens
        except BaseException:
            self.stop()
            raise

    # ---- the processes -----------------------------------------------------
    def _popen(self, args, env, **kwargs):
        """Starts a process of the compositor's, as its user, its output in the log."""
        if self.user:
            args = ["setpriv", "--reuid=%d" % self.user.pw_uid, "--regid=%d" % self.user.pw_gid,
                    "--clear-groups", "--"] + list(args)
        return subprocess.Popen(args, env=env, cwd=self.runtime, stdin=subprocess.DEVNULL, stdout=self._log,
                                stderr=subprocess.STDOUT, start_new_session=True, **kwargs)

    def _own_file(self, name, text):
        """A file in the compositor's folder, readable by its user; its path."""
        path = os.path.join(self.runtime, name)
        pathlib.Path(path).write_text(text)
        if self.user:
            os.chown(path, self.user.pw_uid, self.user.pw_gid)
        return path

    def _start_bus(self):
        config = self._own_file("bus.conf", BUS_CONFIG % os.path.join(self.runtime, "bus"))
        self.bus, address = procs.started_announcing(lambda fd: self._popen(
            ["dbus-daemon", "--nofork", "--config-file=" + config, "--print-address=%d" % fd], self._own_env(),
            pass_fds=(fd,)))
        if not address:
            raise RuntimeError("dbus-daemon printed no address:\n%s" % self.log())
        return address

    def _own_env(self):
        """The compositor's environment: its folder for runtime, home and settings."""
        folder = self.runtime
        user = self.user.pw_name if self.user else None  # else our own USER and LOGNAME stay
        return procs.client_env(XDG_RUNTIME_DIR=folder, HOME=folder, XDG_CONFIG_HOME=folder, XDG_DATA_HOME=folder,
                                  XDG_CACHE_HOME=folder, DBUS_SESSION_BUS_ADDRESS=self.bus_address, USER=user,
                                  LOGNAME=user)

    def _socket(self):
        return os.path.join(self.runtime, self.socket_name)

    def _ready(self):
        """The socket's path once it is there and the compositor answers, else None."""
        path = self._socket()
        if path is None or not os.path.exists(path):
            return None
        self.socket = path
        return path if self._answers() else None

    def _answers(self):
        return True

    def _failed(self, message):
        raise RuntimeError("%s:\n%s" % (message, self.log()))

    def _picture_from(self, argv, timeout=30):
        """The picture argv, a client, writes to its output (a PPM), as a screen.Image."""
        out = subprocess.run(argv, env=self.env(), capture_output=True, timeout=timeout)
        if out.returncode != 0:
            raise RuntimeError("%s failed (%d): %s"
                               % (" ".join(argv), out.returncode, out.stderr.decode(errors="replace")[-2000:]))
        return screen.load(io.BytesIO(out.stdout))

    # ---- what a session asks of every display ---------------------------
    @classmethod
    def missing(cls, **options):
        """The first of the tools (with the bus and wlinput when driven) this machine lacks, as a reason, or None."""
        for tool in cls.tools + (("dbus-daemon",) if cls.driven else ()):
            if shutil.which(tool) is None:
                return "%s is not installed (run scripts/setup)" % tool
        return wlinput.missing() if cls.driven else None

    def env(self, base=None):
        """The environment of a Qt client of this compositor, on its D-Bus session if it has one."""
        return procs.client_env(base, XDG_RUNTIME_DIR=self.client_runtime, WAYLAND_DISPLAY=self.socket,
                                QT_QPA_PLATFORM="wayland", DBUS_SESSION_BUS_ADDRESS=self.bus_address)

    def windows(self, session):
        """The program's live windows with a picture, from its trace."""
        trace = session.trace and session.trace.read()
        return [top for top in trace.toplevels if not top.gone and top.size] if trace else []

    def current(self, session, window):
        session.trace.read()
        return None if window.gone else window

    def focused(self, session):
        return session.trace and session.trace.read().focused()

    def move_to(self, session, window, x, y):
        """Steered onto the spot by what the program is told of the pointer, as a hand steers it by eye."""
        steer = wltrace.SteeredPointer(self.pointer(), session.trace, self.size)
        if steer.point_at(window, (x, y), procs.WINDOW_TIMEOUT) is None:
            session.fail("the pointer did not reach %r on %r" % ((x, y), window))

    def screenshot(self, window=None):
        return None

    def keyboard(self):
        if self.tool is None or self.tool.keys == "none":
            raise RuntimeError("%s offers wlinput no %s, so no keys can be pressed" % (self.name, self.keys_through))
        return wlinput.Keyboard(self.tool)

    def pointer(self):
        if self.tool is None or self.tool.pointer == "none":
            raise RuntimeError("%s offers wlinput no %s, so the pointer cannot move"
                               % (self.name, self.pointer_through))
        return wlinput.Pointer(self.tool)

    def log(self):
        return procs.log_tail(self.log_path)

    def stop(self):
        if self.tool is not None:
            with contextlib.suppress(Exception):  # the compositor and the bus must still go
                self.tool.stop()
        for proc in (self.proc, self.bus):
            if proc is not None:
                procs.end_process(proc)
        self._log.close()
        shutil.rmtree(self.runtime, ignore_errors=True)
        shutil.rmtree(self.client_runtime, ignore_errors=True)
