"""A private headless mutter (GNOME's), keys and pointer sent through its remote-desktop D-Bus interface as a
remote-desktop client sends them. Its virtual monitor cannot be photographed without PipeWire: tests observe
through the program's Wayland trace, its files and its exit status."""

import contextlib
import time

from gi.repository import Gio, GLib  # python3-gi: without it displays.missing() names the import that failed
from Xlib import XK

import compositor

REMOTE_DESKTOP = "org.gnome.Mutter.RemoteDesktop"
SESSION = REMOTE_DESKTOP + ".Session"
BTN_LEFT = 0x110  # the left button's evdev code


class Mutter(compositor.Compositor):  # mutter --headless with one virtual monitor of the given size
    name = "mutter"
    tools = ("mutter",)
    _remote = None  # made on first use

    def _start(self, env):
        env["GSETTINGS_BACKEND"] = "memory"  # nothing read from or written to the user's dconf
        return self._popen(["mutter", "--headless", "--no-x11", "--virtual-monitor", "%dx%d" % self.size,
                            "--wayland-display=" + self.socket_name], env)

    def keyboard(self):
        """One remote-desktop session for the whole test: mutter's virtual keyboard lives as long as the
        session's D-Bus connection, and a keyboard that goes away reaches the game as the focus leaving it."""
        if self._remote is None:
            self._remote = RemoteInput(self.bus_address)
        return self._remote

    def pointer(self):  # the keys' session's; relative motion only: absolute motion needs a screencast (PipeWire)
        return self.keyboard()

    def stop(self):
        if self._remote is not None:
            self._remote.close()
        super().stop()


class RemoteInput:
    """Keys and the pointer through org.gnome.Mutter.RemoteDesktop, all on one connection: mutter ends a session
    when the connection that made it is gone. Capitals need no Shift: mutter holds a keysym's level's modifiers."""

    def __init__(self, bus_address):
        self._bus = compositor.bus_connection(bus_address)
        deadline = time.monotonic() + compositor.START_TIMEOUT
        while True:  # mutter takes its name on the bus a little after its socket
            try:
                self.session = self._call("/org/gnome/Mutter/RemoteDesktop", REMOTE_DESKTOP, "CreateSession",
                                          reply="(o)")[0]
                break
            except GLib.Error:
                if time.monotonic() > deadline:
                    raise
                time.sleep(0.2)
        self._call(self.session, SESSION, "Start")
        # The virtual keyboard appears with the first key: a harmless one, so none a test means is spent on that.
        self.key_down("Shift_L")
        time.sleep(0.05)
        self.key_up("Shift_L")

    def _call(self, path, interface, method, args=None, reply=None):
        return self._bus.call_sync(REMOTE_DESKTOP, path, interface, method, args,
                                   reply and GLib.VariantType(reply), Gio.DBusCallFlags.NONE, 5000, None).unpack()

    def _notify(self, method, signature, *values):  # an input event through one of the session's Notify* calls
        self._call(self.session, SESSION, method, GLib.Variant(signature, values))

    def key_down(self, name):
        self._notify("NotifyKeyboardKeysym", "(ub)", XK.string_to_keysym(name), True)

    def key_up(self, name):
        self._notify("NotifyKeyboardKeysym", "(ub)", XK.string_to_keysym(name), False)

    def move_by(self, dx, dy):
        self._notify("NotifyPointerMotionRelative", "(dd)", dx, dy)

    def down(self):  # the left button
        self._notify("NotifyPointerButton", "(ib)", BTN_LEFT, True)

    def up(self):
        self._notify("NotifyPointerButton", "(ib)", BTN_LEFT, False)

    def close(self):
        with contextlib.suppress(Exception):  # mutter may be gone already
            self._call(self.session, SESSION, "Stop")
        self._bus.close_sync(None)
