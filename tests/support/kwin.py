"""A private KWin on its virtual back end: keys and the pointer through its fake-input protocol, screenshots
through its ScreenShot2 D-Bus interface, both offered only with its permission checks off. That interface is
the screenshot effect's, which KWin 6 supports only when compositing with OpenGL, as its virtual back end does
only on a DRM render node (KWin 5 also on Mesa's software renderer): without one, KWin 6 is not photographed."""

import functools
import os
import shutil

from PIL import Image as Pillow

import compositor
import screen

PROGRAM = "kwin_wayland"
# QImage formats whose bytes are B, G, R, A in memory on x86-64: RGB32, ARGB32, ARGB32_Premultiplied (alike if opaque).
BGRA_FORMATS = (4, 5, 6)
CALL_TIMEOUT_MS = 30000


class KWin(compositor.Compositor):
    name = "kwin"
    tools = (PROGRAM,)

    def _start(self, env):
        env.update(KWIN_WAYLAND_NO_PERMISSION_CHECKS="1", KWIN_SCREENSHOT_NO_PERMISSION_CHECKS="1")
        args = ["--virtual", "--width", str(self.size[0]), "--height", str(self.size[1]), "--socket",
                self.socket_name, "--no-lockscreen", "--no-global-shortcuts", "--no-kactivities"]
        program = shutil.which(PROGRAM)
        try:
            return self._popen([program] + args, env)
        except PermissionError:
            # Debian gives kwin_wayland the file capability cap_sys_resource, which a container may refuse
            # to execute; a copy has none.
            copy = os.path.join(self.runtime, PROGRAM)
            shutil.copy(program, copy)
            return self._popen([copy] + args, env)

    def _call(self, path, interface, method, args, reply, fds=None):  # args: (signature, values); a bus of its own
        from gi.repository import Gio, GLib
        bus = compositor.bus_connection(self.bus_address)
        try:
            return bus.call_with_unix_fd_list_sync(
                "org.kde.KWin", path, interface, method, GLib.Variant(*args), GLib.VariantType(reply),
                Gio.DBusCallFlags.NONE, CALL_TIMEOUT_MS, fds, None)[0].unpack()[0]
        finally:
            bus.close_sync(None)

    @functools.cached_property
    def photographed(self):  # whether KWin says its screenshot effect is supported here
        return self._call("/Effects", "org.kde.kwin.Effects", "isEffectSupported", ("(s)", ("screenshot",)), "(b)")

    def screenshot(self, window=None):
        """The active screen as a screen.Image, or None where KWin cannot be photographed. KWin sends the pixels
        down a pipe whose end travels with the call."""
        if not self.photographed:
            return None
        from gi.repository import Gio
        read_end, write_end = os.pipe()
        fds = Gio.UnixFDList.new()
        handle = fds.append(write_end)
        os.close(write_end)
        with os.fdopen(read_end, "rb") as pipe:
            try:
                info = self._call("/org/kde/KWin/ScreenShot2", "org.kde.KWin.ScreenShot2", "CaptureActiveScreen",
                                  ("(a{sv}h)", ({}, handle)), "(a{sv})", fds)
            finally:
                del fds  # it holds a copy of the write end: the pipe ends when KWin's and this copy are closed
            data = pipe.read()
        if info.get("type", "raw") != "raw" or info["format"] not in BGRA_FORMATS:
            raise RuntimeError("KWin sent a picture of type %r, format %r" % (info.get("type"), info["format"]))
        return screen.Image(Pillow.frombuffer("RGB", (info["width"], info["height"]), data, "raw", "BGRX",
                                              info["stride"], 1))
