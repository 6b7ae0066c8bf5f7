"""Takes a picture of KWin's active screen through its ScreenShot2 D-Bus
interface and writes it to stdout as a binary PPM. KWin sends the pixels
down a pipe whose end travels with the call, which needs Gio: this runs under
the system's python3, on the session bus named by DBUS_SESSION_BUS_ADDRESS.
    /usr/bin/python3 kwin_screenshot.py
"""

import io
import os
import sys

import gi
from PIL import Image

gi.require_version("Gio", "2.0")
from gi.repository import Gio, GLib  # noqa: E402

# QImage formats whose bytes are B, G, R, A in memory on x86-64: RGB32,
# ARGB32 and ARGB32_Premultiplied (the same on an opaque screen).
BGRA_FORMATS = (4, 5, 6)
CALL_TIMEOUT_MS = 30000


def capture():
    bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)
    read_end, write_end = os.pipe()
    fds = Gio.UnixFDList.new()
    handle = fds.append(write_end)
    os.close(write_end)
    reply, _ = bus.call_with_unix_fd_list_sync(
        "org.kde.KWin", "/org/kde/KWin/ScreenShot2", "org.kde.KWin.ScreenShot2", "CaptureActiveScreen",
        GLib.Variant("(a{sv}h)", ({}, handle)), GLib.VariantType("(a{sv})"), Gio.DBusCallFlags.NONE,
        CALL_TIMEOUT_MS, fds, None)
    del fds  # it holds a copy of the write end: the pipe ends when KWin's and this copy are closed
    chunks = []
    with os.fdopen(read_end, "rb") as pipe:
        while True:
            chunk = pipe.read(1 << 20)
            if not chunk:
                break
            chunks.append(chunk)
    return reply.unpack()[0], b"".join(chunks)


def to_ppm(info, data):
    if info.get("type", "raw") != "raw" or info["format"] not in BGRA_FORMATS:
        raise ValueError("KWin sent a picture of type %r, format %r" % (info.get("type"), info["format"]))
    out = io.BytesIO()
    Image.frombuffer("RGB", (info["width"], info["height"]), data, "raw", "BGRX", info["stride"], 1).save(out, "PPM")
    return out.getvalue()


if __name__ == "__main__":
    sys.stdout.buffer.write(to_ppm(*capture()))
