"""The common part of the private headless Wayland compositors (weston.py, mutter.py, sway.py, kwin.py): a runtime
folder of its own (mode 0700) with its socket and log and, where a test drives it, a D-Bus session shared with the
program and one wlinput process. One that refuses root (sway) runs as an unprivileged user, who owns the folder;
the clients, as root, keep a runtime folder of their own and name its socket by its absolute path."""

import contextlib
import itertools
import os
import pathlib
import pwd
import shutil
import subprocess
import tempfile

import procs
import wlinput
import wltrace
from xserver import SCREEN_H, SCREEN_W

START_TIMEOUT = 30.0
UNPRIVILEGED_USER = "nobody"  # present on every Debian system
_sockets = itertools.count()

# The session bus's rules: anyone may connect (the compositor's user and the program's may differ); nothing starts.
BUS_CONFIG = """<busconfig>
  <type>session</type> <listen>unix:path=%s</listen> <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/> <allow own="*"/> <allow send_destination="*" eavesdrop="true"/> <allow eavesdrop="true"/>
  </policy>
</busconfig>
"""


def bus_connection(address):  # to the D-Bus session at address, through python3-gi, imported only when called
    from gi.repository import Gio
    return Gio.DBusConnection.new_for_address_sync(
        address, Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT | Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION,
        None, None)


class Compositor:
    """A subclass starts the compositor in _start(env, **options), on socket_name unless its _ready() finds another."""

    name = "compositor"  # names the folders, the log and the socket
    tools = ()  # the programs it needs
    as_user = False  # run as UNPRIVILEGED_USER when the test is root
    driven = True  # given the bus and wlinput
    traced = True  # the program's windows are read from its protocol trace
    token_focuses = True  # a window presenting a launcher's activation token gets the keyboard, not just "urgent"

    def __init__(self, size=(SCREEN_W, SCREEN_H), config_home=None, **options):
        self.size = tuple(size)
        self.socket_name = "tilebash-%s-%d-%d" % (self.name, os.getpid(), next(_sockets))
        self.user = pwd.getpwnam(UNPRIVILEGED_USER) if self.as_user and os.geteuid() == 0 else None
        # Both of mode 0700 as Wayland wants (mkdtemp's); the user must reach its folder: /tmp, whatever TMPDIR says.
        self.runtime = tempfile.mkdtemp(prefix="tilebash-%s-" % self.name, dir="/tmp" if self.user else None)
        self.client_runtime = tempfile.mkdtemp(prefix="tilebash-%s-client-" % self.name)
        if self.user:
            os.chown(self.runtime, self.user.pw_uid, self.user.pw_gid)
        self.log_path = os.path.join(self.runtime, "%s.log" % self.name)
        self._log = open(self.log_path, "wb")
        self.bus = self.bus_address = self.proc = self.tool = self.socket = None
        try:
            if self.driven:
                config = self._own_file("bus.conf", BUS_CONFIG % os.path.join(self.runtime, "bus"))
                self.bus, self.bus_address = procs.started_announcing(lambda fd: self._popen(
                    ["dbus-daemon", "--nofork", "--config-file=" + config, "--print-address=%d" % fd],
                    self._own_env(), pass_fds=(fd,)))
                if not self.bus_address:
                    raise RuntimeError("dbus-daemon printed no address:\n%s" % self.log())
            self.proc = self._start(self._own_env(), **options)
            procs.wait_while_running(self.proc, self._ready, "%s to take clients" % self.name, self._failed,
                                     START_TIMEOUT, 0.1, self.name)
            if self.driven:  # the keys, the pointer, another window and activation tokens
                self.tool = wlinput.Tool(self.env(), self.log_path)
        except BaseException:
            self.stop()
            raise

    def _popen(self, args, env, **kwargs):  # a process of the compositor's, as its user, its output in the log
        if self.user:
            args = ["setpriv", "--reuid=%d" % self.user.pw_uid, "--regid=%d" % self.user.pw_gid,
                    "--clear-groups", "--"] + list(args)
        return subprocess.Popen(args, env=env, cwd=self.runtime, stdin=subprocess.DEVNULL, stdout=self._log,
                                stderr=subprocess.STDOUT, start_new_session=True, **kwargs)

    def _own_file(self, name, text):  # the path of a new file in the folder, readable by the compositor's user
        path = os.path.join(self.runtime, name)
        pathlib.Path(path).write_text(text)
        if self.user:
            os.chown(path, self.user.pw_uid, self.user.pw_gid)
        return path

    def _own_env(self):  # the compositor's: its folder for runtime, home and settings
        folder = self.runtime
        user = self.user.pw_name if self.user else None  # else our own USER and LOGNAME stay
        return procs.client_env(XDG_RUNTIME_DIR=folder, HOME=folder, XDG_CONFIG_HOME=folder, XDG_DATA_HOME=folder,
                                XDG_CACHE_HOME=folder, DBUS_SESSION_BUS_ADDRESS=self.bus_address, USER=user,
                                LOGNAME=user)

    def _ready(self):  # the socket's path once it is there, else None
        path = os.path.join(self.runtime, self.socket_name)
        self.socket = path if os.path.exists(path) else None
        return self.socket

    def _failed(self, message):
        raise RuntimeError("%s:\n%s" % (message, self.log()))

    @classmethod
    def missing(cls, **options):  # the first tool (the bus and wlinput when driven) this machine lacks, as a reason
        for tool in cls.tools + (("dbus-daemon",) if cls.driven else ()):
            if shutil.which(tool) is None:
                return "%s is not installed (run scripts/setup)" % tool
        return wlinput.missing() if cls.driven else None

    def env(self, base=None):  # a Qt client's, on the compositor's D-Bus session if it has one
        return procs.client_env(base, XDG_RUNTIME_DIR=self.client_runtime, WAYLAND_DISPLAY=self.socket,
                                QT_QPA_PLATFORM="wayland", DBUS_SESSION_BUS_ADDRESS=self.bus_address)

    def windows(self, session):  # the program's live windows with a picture, from its trace
        trace = session.trace and session.trace.read()
        return [top for top in trace.toplevels if not top.gone and top.size] if trace else []

    def current(self, session, window):
        session.trace.read()
        return None if window.gone else window

    def focused(self, session):
        return session.trace and session.trace.read().focused()

    def move_to(self, session, window, x, y):  # steered by what the program is told of the pointer, as a hand by eye
        steer = wltrace.SteeredPointer(self.pointer(), session.trace, self.size)
        if steer.point_at(window, (x, y), procs.WINDOW_TIMEOUT) is None:
            session.fail("the pointer did not reach %r on %r" % ((x, y), window))

    def screenshot(self, window=None):
        return None

    def keyboard(self):  # wlinput.c names the protocols it looks for
        if self.tool is None or self.tool.keys == "none":
            raise RuntimeError("%s offers wlinput no keyboard protocol, so no keys can be pressed" % self.name)
        return self.tool

    def pointer(self):
        if self.tool is None or self.tool.pointer == "none":
            raise RuntimeError("%s offers wlinput no pointer protocol, so the pointer cannot move" % self.name)
        return self.tool

    def log(self):
        return procs.log_tail(self.log_path)

    def stop(self):
        if self.tool is not None:
            with contextlib.suppress(Exception):  # the compositor and the bus must still go
                self.tool.stop()
        for proc in filter(None, (self.proc, self.bus)):
            procs.end_process(proc)
        self._log.close()
        shutil.rmtree(self.runtime, ignore_errors=True)
        shutil.rmtree(self.client_runtime, ignore_errors=True)
