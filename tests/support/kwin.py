"""A private KWin on its virtual back end for running the program on Wayland:
keys through KWin's fake-input protocol, which KWin offers a client only
when its permission checks are off (KWIN_WAYLAND_NO_PERMISSION_CHECKS=1), and
screenshots through its ScreenShot2 D-Bus interface, likewise allowed only
without the checks. That interface belongs to KWin's screenshot effect, which
KWin 6 supports only when it composites with OpenGL, and its virtual back end
does so only on a DRM render node (KWin 5 also on Mesa's software renderer
without one): a machine without a render node photographs no KWin 6, as
none photographs mutter."""

import functools
import os
import shutil

from PIL import Image as Pillow

import compositor
import screen

PROGRAM = "kwin_wayland"
# QImage formats whose bytes are B, G, R, A in memory on x86-64: RGB32,
# ARGB32 and ARGB32_Premultiplied (the same on an opaque screen).
BGRA_FORMATS = (4, 5, 6)
CALL_TIMEOUT_MS = 30000


class KWin(compositor.Compositor):
    name = "kwin"
    tools = (PROGRAM,)
    keys_through = "org_kde_kwin_fake_input of version 4 (with keyboard_key)"
    pointer_through = "org_kde_kwin_fake_input"

    def _start(self, env):
        env.update(KWIN_WAYLAND_NO_PERMISSION_CHECKS="1", KWIN_SCREENSHOT_NO_PERMISSION_CHECKS="1")
        args = ["--virtual", "--width", str(self.size[0]), "--height", str(self.size[1]), "--socket",
                self.socket_name, "--no-lockscreen", "--no-global-shortcuts", "--no-kactivities"]
        program = shutil.which(PROGRAM)
        try:
            return self._popen([program] + args, env)
        except PermissionError:
            # Debian gives kwin_wayland the file capability cap_sys_resource,
            # which a container may refuse to execute; a copy has none.
            copy = os.path.join(self.runtime, PROGRAM)
            shutil.copy(program, copy)
            return self._popen([copy] + args, env)

    @functools.cached_property
    def photographed(self):
        """Whether KWin says its screenshot effect is supported here."""
        from gi.repository import Gio, GLib
        bus = compositor.bus_connection(self.bus_address)
        try:
            reply = bus.call_sync("org.kde.KWin", "/Effects", "org.kde.kwin.Effects", "isEffectSupported",
                                  GLib.Variant("(s)", ("screenshot",)), GLib.VariantType("(b)"),
                                  Gio.DBusCallFlags.NONE, CALL_TIMEOUT_MS, None)
        finally:
            bus.close_sync(None)
        return reply.unpack()[0]

    def screenshot(self, window=None):
        """The active screen as a screen.Image, or None where KWin cannot be
        photographed. KWin sends the pixels down a pipe whose end travels with
        the call."""
        if not self.photographed:
            return None
        from gi.repository import Gio, GLib
        read_end, write_end = os.pipe()
        fds = Gio.UnixFDList.new()
        handle = fds.append(write_end)
        os.close(write_end)
        bus = compositor.bus_connection(self.bus_address)
        with os.fdopen(read_end, "rb") as pipe:
            try:
                reply, _ = bus.call_with_unix_fd_list_sync(
                    "org.kde.KWin", "/org/kde/KWin/ScreenShot2", "org.kde.KWin.ScreenShot2", "CaptureActiveScreen",
                    GLib.Variant("(a{sv}h)", ({}, handle)), GLib.VariantType("(a{sv})"), Gio.DBusCallFlags.NONE,
                    CALL_TIMEOUT_MS, fds, None)
            finally:
                del fds  # it holds a copy of the write end: the pipe ends when KWin's and this copy are closed
                bus.close_sync(None)
            data = pipe.read()
        info = reply.unpack()[0]
        if info.get("type", "raw") != "raw" or info["format"] not in BGRA_FORMATS:
            raise RuntimeError("KWin sent a picture of type %r, format %r" % (info.get("type"), info["format"]))
        return screen.Image(Pillow.frombuffer("RGB", (info["width"], info["height"]), data, "raw", "BGRX",
                                              info["stride"], 1))
