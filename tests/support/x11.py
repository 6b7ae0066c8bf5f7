"""What the X tools cannot do for us, done through libX11 with ctypes.

The close request a window manager would send (a WM_PROTOCOLS client message
carrying WM_DELETE_WINDOW): without a manager nothing else sends it, since
xdotool windowclose destroys the window and wmctrl -c asks a manager.
And the cursor image under the pointer (XFixes), to see a blank pointer.
"""

import ctypes
import ctypes.util

_CLIENT_MESSAGE = 33
_NO_EVENT_MASK = 0


class _ClientMessageEvent(ctypes.Structure):
    _fields_ = [
        ("type", ctypes.c_int),
        ("serial", ctypes.c_ulong),
        ("send_event", ctypes.c_int),
        ("display", ctypes.c_void_p),
        ("window", ctypes.c_ulong),
        ("message_type", ctypes.c_ulong),
        ("format", ctypes.c_int),
        ("data", ctypes.c_long * 5),
    ]


class _Event(ctypes.Union):
    # XEvent is a union padded to 24 longs.
    _fields_ = [("xclient", _ClientMessageEvent), ("pad", ctypes.c_long * 24)]


def _load_xlib():
    name = ctypes.util.find_library("X11") or "libX11.so.6"
    lib = ctypes.CDLL(name)
    lib.XOpenDisplay.restype = ctypes.c_void_p
    lib.XOpenDisplay.argtypes = [ctypes.c_char_p]
    lib.XInternAtom.restype = ctypes.c_ulong
    lib.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    lib.XSendEvent.restype = ctypes.c_int
    lib.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                               ctypes.POINTER(_Event)]
    lib.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
    lib.XCloseDisplay.argtypes = [ctypes.c_void_p]
    return lib


def send_close_request(display_name, window_id):
    """Posts WM_DELETE_WINDOW to window_id on display_name (e.g. ':3')."""
    xlib = _load_xlib()
    display = xlib.XOpenDisplay(display_name.encode())
    if not display:
        raise RuntimeError("cannot open X display %s" % display_name)
    try:
        protocols = xlib.XInternAtom(display, b"WM_PROTOCOLS", 0)
        delete = xlib.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
        event = _Event()
        event.xclient.type = _CLIENT_MESSAGE
        event.xclient.send_event = 1
        event.xclient.display = display
        event.xclient.window = window_id
        event.xclient.message_type = protocols
        event.xclient.format = 32
        event.xclient.data[0] = delete
        event.xclient.data[1] = 0  # CurrentTime
        if xlib.XSendEvent(display, window_id, 0, _NO_EVENT_MASK, ctypes.byref(event)) == 0:
            raise RuntimeError("XSendEvent refused the close request")
        xlib.XSync(display, 0)
    finally:
        xlib.XCloseDisplay(display)


class _CursorImage(ctypes.Structure):
    _fields_ = [
        ("x", ctypes.c_short), ("y", ctypes.c_short),
        ("width", ctypes.c_ushort), ("height", ctypes.c_ushort),
        ("xhot", ctypes.c_ushort), ("yhot", ctypes.c_ushort),
        ("cursor_serial", ctypes.c_ulong),
        ("pixels", ctypes.POINTER(ctypes.c_ulong)),
        ("atom", ctypes.c_ulong),
        ("name", ctypes.c_char_p),
    ]


def cursor_is_visible(display_name):
    """True when the pointer's current cursor image has any opaque pixel
    (XFixes reports the cursor as ARGB, one pixel per unsigned long)."""
    xlib = _load_xlib()
    fixes = ctypes.CDLL(ctypes.util.find_library("Xfixes") or "libXfixes.so.3")
    fixes.XFixesGetCursorImage.restype = ctypes.POINTER(_CursorImage)
    fixes.XFixesGetCursorImage.argtypes = [ctypes.c_void_p]
    xlib.XFree.argtypes = [ctypes.c_void_p]
    display = xlib.XOpenDisplay(display_name.encode())
    if not display:
        raise RuntimeError("cannot open X display %s" % display_name)
    try:
        image = fixes.XFixesGetCursorImage(display)
        if not image:
            raise RuntimeError("XFixesGetCursorImage failed")
        try:
            c = image.contents
            return any((c.pixels[i] >> 24) & 0xFF for i in range(c.width * c.height))
        finally:
            xlib.XFree(image)
    finally:
        xlib.XCloseDisplay(display)
