"""What a private headless Wayland compositor for the end-to-end tests needs
whatever its kind (sway.py, kwin.py): a runtime folder of its own (mode
0700), a D-Bus session of its own that it shares with the program, and one
wlinput process for the keys, the pointer, another window and activation
tokens.

A compositor that refuses to run as root (sway) runs as an unprivileged user
instead; its folder then belongs to that user, and the clients, running as
root, keep a runtime folder of their own and name the compositor's socket by
its absolute path.
"""

import os
import pwd
import shutil
import subprocess
import tempfile
import time

import harness
import weston
import wlinput

START_TIMEOUT = 30.0
UNPRIVILEGED_USER = "nobody"  # present on every Debian system

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


def missing_tools(*tools):
    """The first of tools (and wlinput) this machine lacks, as a reason, or None."""
    for tool in tools + ("dbus-daemon",):
        if shutil.which(tool) is None:
            return "%s is not installed (run scripts/setup)" % tool
    return wlinput.missing()


class Compositor:
    """The common part; a subclass starts the compositor itself in _start()
    and says where its socket is in _socket(). name names the folders and
    logs; as_user=True runs it as UNPRIVILEGED_USER when the test is root."""

    name = "compositor"
    keys_through = "a keyboard protocol"  # what the compositor would offer wlinput for keys
    pointer_through = "a pointer protocol"  # and for the pointer

    def __init__(self, size, as_user=False):
        self.size = tuple(size)
        self.user = pwd.getpwnam(UNPRIVILEGED_USER) if as_user and os.geteuid() == 0 else None
        # The user must reach its folder: /tmp, whatever TMPDIR the test has.
        self.runtime = tempfile.mkdtemp(prefix="tilebash-%s-" % self.name, dir="/tmp" if self.user else None)
        self.client_runtime = tempfile.mkdtemp(prefix="tilebash-%s-client-" % self.name)
        for folder in (self.runtime, self.client_runtime):
            os.chmod(folder, 0o700)
        if self.user:
            os.chown(self.runtime, self.user.pw_uid, self.user.pw_gid)
        self.log_path = os.path.join(self.runtime, "%s.log" % self.name)
        self._log = open(self.log_path, "wb")
        self.bus = self.bus_address = self.proc = self.tool = self._other = None
        try:
            self.bus_address = self._start_bus()
            self.proc = self._start(self._own_env())
            self.socket = self._wait_socket()
            self.tool = wlinput.Tool(self.env(), self.log_path)
            self._other = wlinput.OtherWindow(self.tool)
        except BaseException:
            self.stop()
            raise

    # ---- the processes -----------------------------------------------------
    def _popen(self, args, env, **kwargs):
        """Starts a process of the compositor's, as its user."""
        if self.user:
            args = ["setpriv", "--reuid=%d" % self.user.pw_uid, "--regid=%d" % self.user.pw_gid,
                    "--clear-groups", "--"] + list(args)
        return subprocess.Popen(args, env=env, cwd=self.runtime, stdin=subprocess.DEVNULL, start_new_session=True,
                                **kwargs)

    def _own_file(self, name, text):
        """A file in the compositor's folder, readable by its user; its path."""
        path = os.path.join(self.runtime, name)
        with open(path, "w") as f:
            f.write(text)
        if self.user:
            os.chown(path, self.user.pw_uid, self.user.pw_gid)
        return path

    def _start_bus(self):
        config = self._own_file("bus.conf", BUS_CONFIG % os.path.join(self.runtime, "bus"))
        read_end, write_end = os.pipe()
        self.bus = self._popen(["dbus-daemon", "--nofork", "--config-file=" + config,
                                "--print-address=%d" % write_end], self._own_env(), pass_fds=(write_end,),
                               stdout=self._log, stderr=subprocess.STDOUT)
        os.close(write_end)
        with os.fdopen(read_end, "rb") as pipe:
            address = pipe.readline().decode().strip()
        if not address:
            raise RuntimeError("dbus-daemon printed no address:\n%s" % self.log())
        return address

    def _own_env(self):
        """The compositor's environment: its folder for runtime, home and settings."""
        env = self._without_display(os.environ)
        env.pop("QT_QPA_PLATFORM", None)
        env.update(XDG_RUNTIME_DIR=self.runtime, HOME=self.runtime, XDG_CONFIG_HOME=self.runtime,
                   XDG_DATA_HOME=self.runtime, XDG_CACHE_HOME=self.runtime)
        if self.bus_address:
            env["DBUS_SESSION_BUS_ADDRESS"] = self.bus_address
        if self.user:
            env.update(USER=self.user.pw_name, LOGNAME=self.user.pw_name)
        return env

    @staticmethod
    def _without_display(base):
        env = dict(base)
        for name in weston.CLIENT_ENV_DROPPED + ("DBUS_SESSION_BUS_ADDRESS",):
            env.pop(name, None)
        return env

    def _wait_socket(self):
        deadline = time.monotonic() + START_TIMEOUT
        while True:
            path = self._socket()
            if path is not None and os.path.exists(path):
                return path
            if self.proc.poll() is not None:
                raise RuntimeError("%s ended (%s) while starting:\n%s"
                                   % (self.name, self.proc.returncode, self.log()))
            if time.monotonic() > deadline:
                raise RuntimeError("%s did not start within %.0f s:\n%s" % (self.name, START_TIMEOUT, self.log()))
            time.sleep(0.1)

    # ---- what a test uses ------------------------------------------------
    def env(self, base=None):
        """The environment of a Qt client of this compositor, on its D-Bus session."""
        env = self._without_display(os.environ if base is None else base)
        env.update(XDG_RUNTIME_DIR=self.client_runtime, WAYLAND_DISPLAY=self.socket, QT_QPA_PLATFORM="wayland",
                   DBUS_SESSION_BUS_ADDRESS=self.bus_address)
        return env

    def keyboard(self):
        if self.tool.keys == "none":
            raise RuntimeError("%s offers wlinput no %s, so no keys can be pressed" % (self.name, self.keys_through))
        return wlinput.Keyboard(self.tool)

    def pointer(self):
        if self.tool.pointer == "none":
            raise RuntimeError("%s offers wlinput no %s, so the pointer cannot move"
                               % (self.name, self.pointer_through))
        return wlinput.Pointer(self.tool, self.size)

    def other_window(self):
        return self._other

    def activation_token(self):
        """A token as a launcher gets one for the program it starts, made by
        the other window (shown for it); None where the compositor has none."""
        return self._other.activation_token()

    def log(self):
        return harness.log_tail(self.log_path)

    def stop(self):
        if self.tool is not None:
            try:
                self.tool.stop()
            except Exception:  # the compositor and the bus must still go
                pass
        for proc in (self.proc, self.bus):
            if proc is not None:
                harness.end_process(proc)
        self._log.close()
        shutil.rmtree(self.runtime, ignore_errors=True)
        shutil.rmtree(self.client_runtime, ignore_errors=True)
