"""What the X tools cannot do for us, done through libX11 and its extensions
with ctypes: the tests' and the benchmarks' one binding.

- The close request a window manager would send (a WM_PROTOCOLS client
  message carrying WM_DELETE_WINDOW): without a manager nothing else sends it,
  since xdotool windowclose destroys the window and wmctrl -c asks a manager.
- The cursor image under the pointer (XFixes), to see a blank pointer.
- Events timed as they arrive: a window mapped (MapNotify on the root) and a
  window's pixels changed (XDamage), with XTest key presses and XGetImage.
- A window's pixels as a picture (XGetImage): faster than a screenshot by
  `import`, and a large window's field reduced to one pixel a block as it is read.
"""

import ctypes
import ctypes.util
import functools
import select
import subprocess
import time

import screen

_CLIENT_MESSAGE = 33
_MAP_NOTIFY = 19
_SUBSTRUCTURE_NOTIFY_MASK = 1 << 19
_DAMAGE_REPORT_RAW_RECTANGLES = 0
_Z_PIXMAP = 2
_ALL_PLANES = 0xFFFFFFFF
_LSB_FIRST = 0

_d, _ul, _u, _i = ctypes.c_void_p, ctypes.c_ulong, ctypes.c_uint, ctypes.c_int


def _struct(*fields):
    return type("_S", (ctypes.Structure,), {"_fields_": list(fields)})


_HEAD = (("type", _i), ("serial", _ul), ("send_event", _i), ("display", _d))
_Rect = _struct(("x", ctypes.c_short), ("y", ctypes.c_short), ("width", ctypes.c_ushort),
                ("height", ctypes.c_ushort))
_ClientMessage = _struct(*_HEAD, ("window", _ul), ("message_type", _ul), ("format", _i), ("data", ctypes.c_long * 5))
_MapEvent = _struct(*_HEAD, ("event", _ul), ("window", _ul), ("override_redirect", _i))
_DamageEvent = _struct(*_HEAD, ("drawable", _ul), ("damage", _ul), ("level", _i), ("more", _i),
                       ("timestamp", _ul), ("area", _Rect), ("geometry", _Rect))


class Event(ctypes.Union):
    # XEvent is a union padded to 24 longs.
    _fields_ = [("type", _i), ("xclient", _ClientMessage), ("xmap", _MapEvent), ("xdamage", _DamageEvent),
                ("pad", ctypes.c_long * 24)]


_Image = _struct(("width", _i), ("height", _i), ("xoffset", _i), ("format", _i), ("data", ctypes.POINTER(ctypes.c_char)),
                 ("byte_order", _i), ("bitmap_unit", _i), ("bitmap_bit_order", _i), ("bitmap_pad", _i),
                 ("depth", _i), ("bytes_per_line", _i), ("bits_per_pixel", _i))
_CursorImage = _struct(("x", ctypes.c_short), ("y", ctypes.c_short), ("width", ctypes.c_ushort),
                       ("height", ctypes.c_ushort), ("xhot", ctypes.c_ushort), ("yhot", ctypes.c_ushort),
                       ("cursor_serial", _ul), ("pixels", ctypes.POINTER(_ul)), ("atom", _ul), ("name", ctypes.c_char_p))

# A window gone between its event and our question about it is no error (the
# default handler would end the process).
_IGNORE_ERRORS = ctypes.CFUNCTYPE(_i, _d, _d)(lambda display, error: 0)


def _lib(name, soname, signatures):
    lib = ctypes.CDLL(ctypes.util.find_library(name) or soname)
    for function, (restype, argtypes) in signatures.items():
        getattr(lib, function).restype = restype
        getattr(lib, function).argtypes = argtypes
    return lib


@functools.lru_cache(maxsize=None)
def _libs():
    p = ctypes.POINTER
    x = _lib("X11", "libX11.so.6", {
        "XOpenDisplay": (_d, [ctypes.c_char_p]), "XCloseDisplay": (_i, [_d]), "XSync": (_i, [_d, _i]),
        "XFlush": (_i, [_d]), "XConnectionNumber": (_i, [_d]), "XPending": (_i, [_d]),
        "XNextEvent": (_i, [_d, p(Event)]), "XDefaultRootWindow": (_ul, [_d]),
        "XSelectInput": (_i, [_d, _ul, ctypes.c_long]), "XInternAtom": (_ul, [_d, ctypes.c_char_p, _i]),
        "XSendEvent": (_i, [_d, _ul, _i, ctypes.c_long, p(Event)]), "XFree": (_i, [_d]),
        "XGetGeometry": (_i, [_d, _ul, p(_ul), p(_i), p(_i), p(_u), p(_u), p(_u), p(_u)]),
        "XTranslateCoordinates": (_i, [_d, _ul, _ul, _i, _i, p(_i), p(_i), p(_ul)]),
        "XStringToKeysym": (_ul, [ctypes.c_char_p]), "XKeysymToKeycode": (ctypes.c_ubyte, [_d, _ul]),
        "XGetImage": (p(_Image), [_d, _ul, _i, _i, _u, _u, _ul, _i]), "XDestroyImage": (_i, [p(_Image)]),
        "XSetErrorHandler": (_d, [_d]), "XServerVendor": (ctypes.c_char_p, [_d]), "XVendorRelease": (_i, [_d]),
    })
    x.XSetErrorHandler(ctypes.cast(_IGNORE_ERRORS, _d))
    tst = _lib("Xtst", "libXtst.so.6", {"XTestFakeKeyEvent": (_i, [_d, _u, _i, _ul])})
    damage = _lib("Xdamage", "libXdamage.so.1", {"XDamageQueryExtension": (_i, [_d, p(_i), p(_i)]),
                                                  "XDamageCreate": (_ul, [_d, _ul, _i])})
    fixes = _lib("Xfixes", "libXfixes.so.3", {"XFixesGetCursorImage": (p(_CursorImage), [_d])})
    return x, tst, damage, fixes


class Display:
    """One connection to an X server; use it in a with block or close() it."""

    def __init__(self, name):
        self.x, self.tst, self.damage, self.fixes = _libs()
        self.d = self.x.XOpenDisplay(name.encode())
        if not self.d:
            raise RuntimeError("cannot open X display %s" % name)
        self.fd = self.x.XConnectionNumber(self.d)
        self.root = self.x.XDefaultRootWindow(self.d)
        self.event = Event()
        self.damage_notify = None

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def close(self):
        if self.d:
            self.x.XCloseDisplay(self.d)
            self.d = None

    def geometry(self, window):
        """(x, y, width, height) of the window on the screen, or None when it is gone."""
        root, x, y, child = _ul(), _i(), _i(), _ul()
        w, h, border, depth = _u(), _u(), _u(), _u()
        r = ctypes.byref
        if not self.x.XGetGeometry(self.d, window, r(root), r(x), r(y), r(w), r(h), r(border), r(depth)):
            return None
        if not self.x.XTranslateCoordinates(self.d, window, self.root, 0, 0, r(x), r(y), r(child)):
            return None
        return x.value, y.value, w.value, h.value

    def server_version(self):
        """The server's vendor and release number, as the server reports them."""
        return "%s, release %d" % (self.x.XServerVendor(self.d).decode(errors="replace"), self.x.XVendorRelease(self.d))

    def next_event(self, deadline_ns):
        """The next event (kept in self.event until the next call), or None at the monotonic deadline."""
        while not self.x.XPending(self.d):
            left = deadline_ns - time.monotonic_ns()
            if left <= 0:
                return None
            select.select([self.fd], [], [], left / 1e9)
        self.x.XNextEvent(self.d, ctypes.byref(self.event))
        return self.event

    def drain(self):
        while self.x.XPending(self.d):
            self.x.XNextEvent(self.d, ctypes.byref(self.event))

    def watch_maps(self):
        """MapNotify for every top-level window from now on."""
        self.x.XSelectInput(self.d, self.root, _SUBSTRUCTURE_NOTIFY_MASK)
        self.x.XSync(self.d, 0)

    def watch_damage(self, window):
        """DamageNotify events (type self.damage_notify) for every change to the window's pixels."""
        base, error = _i(), _i()
        if not self.damage.XDamageQueryExtension(self.d, ctypes.byref(base), ctypes.byref(error)):
            raise RuntimeError("the X server has no DAMAGE extension")
        self.damage_notify = base.value  # XDamageNotify is the extension's first event
        self.damage.XDamageCreate(self.d, window, _DAMAGE_REPORT_RAW_RECTANGLES)
        self.x.XSync(self.d, 0)

    def keycode(self, name):
        return self.x.XKeysymToKeycode(self.d, self.x.XStringToKeysym(name.encode()))

    def key(self, code, down):
        self.tst.XTestFakeKeyEvent(self.d, code, 1 if down else 0, 0)
        self.x.XFlush(self.d)

    def _read(self, window, rect):
        """(bytes, bytes per line, bits per pixel, byte order) of a rectangle of the window."""
        image = self.x.XGetImage(self.d, window, *rect, _ALL_PLANES, _Z_PIXMAP)
        if not image:
            raise RuntimeError("cannot read window %d's pixels back" % window)
        try:
            c = image.contents
            return ctypes.string_at(c.data, c.bytes_per_line * c.height), c.bytes_per_line, c.bits_per_pixel, \
                c.byte_order
        finally:
            self.x.XDestroyImage(image)

    def pixels(self, window, rect):
        """The raw bytes of a rectangle (left, top, width, height) of the window."""
        return self._read(window, rect)[0]

    def picture(self, window, rect, step=1):
        """A rectangle (left, top, width, height) of the window as a
        screen.Image, keeping the top-left pixel of every step x step block.
        Only the rows kept are read: a field shown 5 times larger is 27 MB,
        a fifth of that row by row."""
        left, top, width, height = rect
        bands = [(top, height)] if step == 1 else [(y, 1) for y in range(top, top + height, step)]
        kept = len(range(0, width, step))
        lines = []
        for y, rows in bands:
            data, stride, bits, order = self._read(window, (left, y, width, rows))
            if bits != 32 or order != _LSB_FIRST:
                raise RuntimeError("pixels of %d bits in byte order %d: only 32-bit BGRX is read" % (bits, order))
            for row in range(rows):
                pixels = data[row * stride:row * stride + 4 * width]
                line = bytearray(3 * kept)
                for channel in range(3):  # B, G, R, unused in memory
                    line[channel::3] = pixels[2 - channel::4 * step]
                lines.append(line)
        return screen.Image(kept, len(lines), b"".join(lines))

    def send_close_request(self, window):
        event = Event()
        c = event.xclient
        c.type, c.send_event, c.display, c.window, c.format = _CLIENT_MESSAGE, 1, self.d, window, 32
        c.message_type = self.x.XInternAtom(self.d, b"WM_PROTOCOLS", 0)
        c.data[0] = self.x.XInternAtom(self.d, b"WM_DELETE_WINDOW", 0)
        c.data[1] = 0  # CurrentTime
        if self.x.XSendEvent(self.d, window, 0, 0, ctypes.byref(event)) == 0:
            raise RuntimeError("XSendEvent refused the close request")
        self.x.XSync(self.d, 0)

    def cursor_is_visible(self):
        """True when the pointer's cursor image has any opaque pixel (ARGB, one pixel per unsigned long)."""
        image = self.fixes.XFixesGetCursorImage(self.d)
        if not image:
            raise RuntimeError("XFixesGetCursorImage failed")
        try:
            c = image.contents
            return any((c.pixels[i] >> 24) & 0xFF for i in range(c.width * c.height))
        finally:
            self.x.XFree(ctypes.cast(image, _d))


def send_close_request(display_name, window):
    """Posts WM_DELETE_WINDOW to the window on display_name (e.g. ':3')."""
    with Display(display_name) as d:
        d.send_close_request(window)


def cursor_is_visible(display_name):
    with Display(display_name) as d:
        return d.cursor_is_visible()


class MapWatch(Display):
    """Open before starting the program; wait() returns the monotonic time (s)
    at which the first window of `size` was reported mapped: timed to the
    event, not to a poll."""

    def __init__(self, display_name):
        super().__init__(display_name)
        self.watch_maps()

    def wait(self, size, timeout):
        deadline = time.monotonic_ns() + int(timeout * 1e9)
        while True:
            event = self.next_event(deadline)
            if event is None:
                raise TimeoutError("no %dx%d window was mapped within %.0f s" % (size[0], size[1], timeout))
            if event.type == _MAP_NOTIFY:
                at = time.monotonic()
                found = self.geometry(event.xmap.window)
                if found and found[2:] == tuple(size):
                    return at


def visible_window(env, pid, size, timeout=20):
    """(id, x, y, width, height) of the process's visible window of `size`, found by xdotool."""
    out = subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--pid", str(pid), "--name", ""],
                         env=env, capture_output=True, timeout=timeout)
    with Display(env["DISPLAY"]) as d:
        for wid in (int(w) for w in out.stdout.split()):
            found = d.geometry(wid)
            if found and found[2:] == tuple(size):
                return (wid,) + found
    raise RuntimeError("no visible %dx%d window of process %d: %s"
                       % (size[0], size[1], pid, out.stderr.decode(errors="replace")))
