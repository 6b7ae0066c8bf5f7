"""A private headless mutter (GNOME's compositor) for running the program on
Wayland as GNOME runs it, with keys sent through mutter's own remote-desktop
D-Bus interface, as a remote-desktop client sends them.

mutter draws into a virtual monitor nobody can photograph without PipeWire,
so a test observes through the program's Wayland trace, its files and its exit
status."""

import os
import shutil
import subprocess
import tempfile
import time

import harness
import wlinput

PROGRAM = "mutter"
START_TIMEOUT = 30.0
REMOTE_DESKTOP = "org.gnome.Mutter.RemoteDesktop"
# The keysyms a test types (X11 keysym numbers; letters and digits are their ASCII codes).
KEYSYMS = {"space": 0x20, "Return": 0xff0d, "Escape": 0xff1b, "BackSpace": 0xff08, "Tab": 0xff09,
           "Left": 0xff51, "Up": 0xff52, "Right": 0xff53, "Down": 0xff54, "F11": 0xffc8, "Shift_L": 0xffe1}


def missing():
    """What this machine lacks for a mutter session, or None."""
    if shutil.which(PROGRAM) is None:
        return "mutter is not installed"
    if shutil.which("dbus-daemon") is None:
        return "dbus-daemon is needed for mutter's session bus"
    if wlinput.missing():
        return wlinput.missing()
    try:
        import gi  # noqa: F401  (the system python3's, as the e2e tests run)
    except ImportError:
        return "python3-gi is needed to speak to mutter over D-Bus"
    return None


def keysym(name):
    return KEYSYMS[name] if name in KEYSYMS else ord(name)


class Mutter:
    """mutter --headless with one virtual monitor of the given size, on a
    socket and a D-Bus session bus of its own in a runtime folder of its own."""

    def __init__(self, size):
        self.runtime = tempfile.mkdtemp(prefix="tilebash-mutter-")
        os.chmod(self.runtime, 0o700)
        self.socket = "tilebash-mutter-%d" % os.getpid()
        self.log_path = os.path.join(self.runtime, "mutter.log")
        self._log = open(self.log_path, "wb")
        self.bus = self.proc = self._keyboard = self._tool = self._other = None
        try:
            self.bus = subprocess.Popen(
                ["dbus-daemon", "--session", "--nofork", "--print-address=1",
                 "--address=unix:path=%s" % os.path.join(self.runtime, "bus")],
                stdout=subprocess.PIPE, stderr=self._log, start_new_session=True)
            self.bus_address = self.bus.stdout.readline().decode().strip()
            env = self._base_env(os.environ)
            # Settings in memory: nothing read from or written to the user's dconf.
            env.update(GSETTINGS_BACKEND="memory", DBUS_SESSION_BUS_ADDRESS=self.bus_address)
            self.proc = subprocess.Popen(
                [PROGRAM, "--headless", "--no-x11", "--virtual-monitor", "%dx%d" % tuple(size),
                 "--wayland-display=" + self.socket],
                env=env, stdin=subprocess.DEVNULL, stdout=self._log, stderr=subprocess.STDOUT, start_new_session=True)
            self._wait_ready()
        except BaseException:
            self.stop()
            raise

    def _base_env(self, base):
        env = {k: v for k, v in base.items() if not k.startswith(("QT_", "WAYLAND_", "DISPLAY", "XAUTHORITY"))}
        env["XDG_RUNTIME_DIR"] = self.runtime
        return env

    def env(self, base=None):
        """The environment of a Qt client of this compositor."""
        env = self._base_env(os.environ if base is None else base)
        env.update(WAYLAND_DISPLAY=self.socket, QT_QPA_PLATFORM="wayland", DBUS_SESSION_BUS_ADDRESS=self.bus_address)
        return env

    def _wait_ready(self):
        deadline = time.monotonic() + START_TIMEOUT
        while not os.path.exists(os.path.join(self.runtime, self.socket)):
            if self.proc.poll() is not None or time.monotonic() > deadline:
                raise RuntimeError("mutter did not start (%s):\n%s" % (self.proc.poll(), self.log()))
            time.sleep(0.1)

    def keyboard(self):
        """One remote-desktop session for the whole test: mutter's virtual
        keyboard lives as long as the session's D-Bus connection, and a
        keyboard that goes away reaches the game as the focus leaving it."""
        if self._keyboard is None:
            self._keyboard = RemoteKeyboard(self.bus_address)
        return self._keyboard

    def other_window(self):
        """Another client's window (wlinput's), the same one every call."""
        if self._other is None:
            self._tool = wlinput.Tool(self.env(), self.log_path)
            self._other = wlinput.OtherWindow(self._tool)
        return self._other

    def activation_token(self):
        return self.other_window().activation_token()

    def screenshot(self):
        return None

    def log(self):
        return harness.log_tail(self.log_path)

    def stop(self):
        if self._keyboard is not None:
            self._keyboard.close()
        if self._tool is not None:
            self._tool.stop()
        for proc in (self.proc, self.bus):
            if proc is not None:
                harness.end_process(proc)
        self._log.close()
        shutil.rmtree(self.runtime, ignore_errors=True)


class RemoteKeyboard:
    """Keys through org.gnome.Mutter.RemoteDesktop, all on one connection:
    mutter ends a session when the connection that made it is gone."""

    SESSION = REMOTE_DESKTOP + ".Session"

    def __init__(self, bus_address):
        from gi.repository import Gio, GLib
        self._glib = GLib
        self._bus = Gio.DBusConnection.new_for_address_sync(
            bus_address, Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT | Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION,
            None, None)
        self._flags = Gio.DBusCallFlags.NONE
        deadline = time.monotonic() + START_TIMEOUT
        while True:  # mutter takes its name on the bus a little after its socket
            try:
                self.session = self._call("/org/gnome/Mutter/RemoteDesktop", REMOTE_DESKTOP, "CreateSession",
                                          None, "(o)")[0]
                break
            except GLib.Error:
                if time.monotonic() > deadline:
                    raise
                time.sleep(0.2)
        self._call(self.session, self.SESSION, "Start")
        # The virtual keyboard appears with the first key: a harmless one, so
        # that the first key a test means is not spent on its arrival.
        self.press("Shift_L", 0.05)

    def _call(self, path, interface, method, args=None, reply=None):
        GLib = self._glib
        answer = self._bus.call_sync(REMOTE_DESKTOP, path, interface, method, args,
                                     GLib.VariantType(reply) if reply else None, self._flags, 5000, None)
        return answer.unpack() if answer is not None else None

    def _key(self, name, pressed):
        self._call(self.session, self.SESSION, "NotifyKeyboardKeysym",
                   self._glib.Variant("(ub)", (keysym(name), pressed)))

    def down(self, name):
        self._key(name, True)

    def up(self, name):
        self._key(name, False)

    def press(self, name, hold=0.15):
        self.down(name)
        time.sleep(hold)
        self.up(name)

    def type_text(self, text):
        for ch in text:
            if ch.isupper():
                self.down("Shift_L")
            self.press(ch.lower() if ch.isalpha() else ch, 0.06)
            if ch.isupper():
                self.up("Shift_L")
            time.sleep(0.04)

    def close(self):
        try:
            self._call(self.session, self.SESSION, "Stop")
        except Exception:  # mutter may be gone already
            pass
        self._bus.close_sync(None)
