"""Catches the moment a top-level window of a given size is mapped: an Xlib
connection (ctypes) listening on the root window with SubstructureNotifyMask
reports every MapNotify, so start-up is timed to the event, not to a poll."""

import ctypes
import ctypes.util
import select
import time

_SUBSTRUCTURE_NOTIFY_MASK = 1 << 19
_MAP_NOTIFY = 19


class _MapEvent(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("event", ctypes.c_ulong), ("window", ctypes.c_ulong),
                ("override_redirect", ctypes.c_int)]


class _Event(ctypes.Union):
    _fields_ = [("type", ctypes.c_int), ("xmap", _MapEvent), ("pad", ctypes.c_long * 24)]


def _xlib():
    lib = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
    lib.XOpenDisplay.restype = ctypes.c_void_p
    lib.XOpenDisplay.argtypes = [ctypes.c_char_p]
    lib.XDefaultRootWindow.restype = ctypes.c_ulong
    lib.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
    lib.XSelectInput.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_long]
    lib.XConnectionNumber.argtypes = [ctypes.c_void_p]
    lib.XPending.argtypes = [ctypes.c_void_p]
    lib.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.POINTER(_Event)]
    lib.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
    lib.XCloseDisplay.argtypes = [ctypes.c_void_p]
    u = ctypes.c_uint
    lib.XGetGeometry.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(ctypes.c_ulong),
                                 ctypes.POINTER(ctypes.c_int), ctypes.POINTER(ctypes.c_int),
                                 ctypes.POINTER(u), ctypes.POINTER(u), ctypes.POINTER(u), ctypes.POINTER(u)]
    lib.XSetErrorHandler.restype = ctypes.c_void_p
    return lib


_ERROR_HANDLER = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)(lambda d, e: 0)


class MapWatch:
    """Open before starting the program; wait() returns the monotonic time at
    which the first window of `size` was reported mapped."""

    def __init__(self, display_name):
        self.x = _xlib()
        self.x.XSetErrorHandler(ctypes.cast(_ERROR_HANDLER, ctypes.c_void_p))  # a window gone is no error
        self.d = self.x.XOpenDisplay(display_name.encode())
        if not self.d:
            raise RuntimeError("cannot open X display %s" % display_name)
        self.x.XSelectInput(self.d, self.x.XDefaultRootWindow(self.d), _SUBSTRUCTURE_NOTIFY_MASK)
        self.x.XSync(self.d, 0)
        self.fd = self.x.XConnectionNumber(self.d)

    def _size(self, window):
        root = ctypes.c_ulong()
        x, y = ctypes.c_int(), ctypes.c_int()
        w, h, border, depth = ctypes.c_uint(), ctypes.c_uint(), ctypes.c_uint(), ctypes.c_uint()
        if not self.x.XGetGeometry(self.d, window, ctypes.byref(root), ctypes.byref(x), ctypes.byref(y),
                                   ctypes.byref(w), ctypes.byref(h), ctypes.byref(border), ctypes.byref(depth)):
            return None
        return w.value, h.value

    def wait(self, size, timeout):
        deadline = time.monotonic() + timeout
        event = _Event()
        while True:
            while self.x.XPending(self.d):
                self.x.XNextEvent(self.d, ctypes.byref(event))
                if event.type == _MAP_NOTIFY:
                    at = time.monotonic()
                    if self._size(event.xmap.window) == tuple(size):
                        return at
            left = deadline - time.monotonic()
            if left <= 0:
                raise TimeoutError("no %dx%d window was mapped within %.0f s" % (size[0], size[1], timeout))
            select.select([self.fd], [], [], left)

    def close(self):
        if self.d:
            self.x.XCloseDisplay(self.d)
            self.d = None
