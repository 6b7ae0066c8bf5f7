"""A private headless mutter (GNOME's compositor) for running the program on
Wayland as GNOME runs it, with keys and the pointer sent through mutter's own
remote-desktop D-Bus interface, as a remote-desktop client sends them.

mutter draws into a virtual monitor nobody can photograph without PipeWire,
so a test observes through the program's Wayland trace, its files and its exit
status."""

import contextlib
import importlib.util
import time

from Xlib import XK

import compositor

PROGRAM = "mutter"
REMOTE_DESKTOP = "org.gnome.Mutter.RemoteDesktop"
BTN_LEFT = 0x110  # the left button's evdev code


class Mutter(compositor.Compositor):
    """mutter --headless with one virtual monitor of the given size."""

    name = "mutter"
    tools = (PROGRAM,)
    _keyboard = None  # made on first use

    @classmethod
    def missing(cls, **options):
        if importlib.util.find_spec("gi") is None:  # the system python3's, as the e2e tests run
            return "python3-gi is needed to speak to mutter over D-Bus"
        return super().missing()

    def _start(self, env):
        # Settings in memory: nothing read from or written to the user's dconf.
        env["GSETTINGS_BACKEND"] = "memory"
        return self._popen([PROGRAM, "--headless", "--no-x11", "--virtual-monitor", "%dx%d" % self.size,
                            "--wayland-display=" + self.socket_name], env)

    def keyboard(self):
        """One remote-desktop session for the whole test: mutter's virtual
        keyboard lives as long as the session's D-Bus connection, and a
        keyboard that goes away reaches the game as the focus leaving it."""
        if self._keyboard is None:
            self._keyboard = RemoteKeyboard(self.bus_address)
        return self._keyboard

    def pointer(self):
        """The pointer on the keys' session. It moves by relative motion only:
        mutter takes absolute motion only within a screencast stream, which
        needs PipeWire."""
        return RemotePointer(self.keyboard())

    def stop(self):
        if self._keyboard is not None:
            self._keyboard.close()
        super().stop()


class RemoteKeyboard:
    """Keys through org.gnome.Mutter.RemoteDesktop, all on one connection:
    mutter ends a session when the connection that made it is gone. Capitals
    need no Shift from us: mutter holds the modifiers of a keysym's level."""

    SESSION = REMOTE_DESKTOP + ".Session"

    def __init__(self, bus_address):
        from gi.repository import Gio, GLib
        self._glib = GLib
        self._bus = compositor.bus_connection(bus_address)
        self._flags = Gio.DBusCallFlags.NONE
        deadline = time.monotonic() + compositor.START_TIMEOUT
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
        self.key_down("Shift_L")
        time.sleep(0.05)
        self.key_up("Shift_L")

    def _call(self, path, interface, method, args=None, reply=None):
        answer = self._bus.call_sync(REMOTE_DESKTOP, path, interface, method, args,
                                     self._glib.VariantType(reply) if reply else None, self._flags, 5000, None)
        return answer.unpack() if answer is not None else None

    def notify(self, method, signature, values):
        """An input event, method being one of the session's Notify* calls."""
        self._call(self.session, self.SESSION, method, self._glib.Variant(signature, values))

    def key_down(self, name):
        self.notify("NotifyKeyboardKeysym", "(ub)", (XK.string_to_keysym(name), True))

    def key_up(self, name):
        self.notify("NotifyKeyboardKeysym", "(ub)", (XK.string_to_keysym(name), False))

    def close(self):
        with contextlib.suppress(Exception):  # mutter may be gone already
            self._call(self.session, self.SESSION, "Stop")
        self._bus.close_sync(None)


class RemotePointer:
    """The pointer of a RemoteKeyboard's session: relative motion and the left button."""

    def __init__(self, session):
        self._session = session

    def move_by(self, dx, dy):
        self._session.notify("NotifyPointerMotionRelative", "(dd)", (dx, dy))

    def down(self):
        self._session.notify("NotifyPointerButton", "(ib)", (BTN_LEFT, True))

    def up(self):
        self._session.notify("NotifyPointerButton", "(ib)", (BTN_LEFT, False))
