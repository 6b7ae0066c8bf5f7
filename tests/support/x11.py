"""What the X tools cannot do for us, done with python-xlib: the tests' and
the benchmarks' one binding.

- The close request a window manager would send (a WM_PROTOCOLS client
  message carrying WM_DELETE_WINDOW): without a manager nothing else sends it,
  since xdotool windowclose destroys the window and wmctrl -c asks a manager.
- The cursor image under the pointer (XFixes), to see a blank pointer.
- Events timed as they arrive: a window mapped (MapNotify on the root) and a
  window's pixels changed (DAMAGE), with XTest key presses.
- Pixels of a window or of the screen (GetImage): the tests' one way to take
  a screenshot, and a large window's field reduced to one pixel a block as it
  is read.
"""

import contextlib
import select
import time

from PIL import Image as Pillow
from Xlib import X, XK, Xatom, display, error, protocol
from Xlib.ext import damage, xtest

import reports
import screen


class Window:
    """A viewable window, x and y at its border's outer corner as xwininfo gives them."""

    def __init__(self, wid, name, x, y, width, height, border):
        self.wid, self.name = wid, name
        self.x, self.y, self.width, self.height, self.border = x, y, width, height, border

    @property
    def size(self):
        return self.width, self.height

    def __repr__(self):
        return "<window 0x%x %r %dx%d+%d+%d>" % (self.wid, self.name, self.width, self.height, self.x, self.y)


class Display(contextlib.AbstractContextManager):
    """One connection to an X server; use it in a with block or close() it."""

    def __init__(self, name):
        self.d = display.Display(name)
        # A window gone between its event and a request about it is no error to report.
        self.d.set_error_handler(lambda *args: None)
        self.root = self.d.screen().root.id
        self.damage_notify = None

    def __exit__(self, *exc):
        self.close()

    def close(self):
        if self.d is not None:
            with contextlib.suppress(error.ConnectionClosedError):  # the server went first
                self.d.close()
            self.d = None

    def _window(self, window):
        return self.d.create_resource_object("window", window)

    def window_info(self, window):
        """The Window, or None when it is not viewable, or gone."""
        try:
            w = self._window(window)
            if w.get_attributes().map_state != X.IsViewable:
                return None
            size = w.get_geometry()
            at = self._window(self.root).translate_coords(window, -size.border_width, -size.border_width)
            name = w.get_full_text_property(self.d.get_atom("_NET_WM_NAME")) or w.get_full_text_property(Xatom.WM_NAME)
        except error.XError:
            return None
        return Window(window, name or "", at.x, at.y, size.width, size.height, size.border_width)

    def children(self, window=None):
        """The ids of the window's (by default the root's) children, the top one first."""
        try:
            return [c.id for c in reversed(self._window(window or self.root).query_tree().children)]
        except error.XError:
            return []

    def windows_of(self, pid, window=None):
        """The ids of the windows at any depth below window (the root) whose _NET_WM_PID is pid."""
        found = []
        for child in self.children(window):
            try:
                owner = self._window(child).get_full_property(self.d.get_atom("_NET_WM_PID"), Xatom.CARDINAL)
            except error.XError:
                continue
            if owner and pid in owner.value:
                found.append(child)
            found += self.windows_of(pid, child)
        return found

    def pointer(self):
        """Where the pointer is on the screen."""
        at = self._window(self.root).query_pointer()
        return at.root_x, at.root_y

    def next_event(self, deadline_ns):
        """The next event, or None at the monotonic deadline."""
        while not self.d.pending_events():
            left = deadline_ns - time.monotonic_ns()
            if left <= 0:
                return None
            select.select([self.d], [], [], left / 1e9)
        return self.d.next_event()

    def drain(self):
        while self.d.pending_events():
            self.d.next_event()

    def watch_damage(self, window):
        """DamageNotify events (type self.damage_notify, the changed box in .area)
        for every change to the window's pixels."""
        if not self.d.has_extension(damage.extname):
            raise RuntimeError("the X server has no DAMAGE extension")
        self.d.damage_query_version()
        self.damage_notify = self.d.query_extension(damage.extname).first_event + damage.DamageNotifyCode
        self._window(window).damage_create(damage.DamageReportRawRectangles)
        self.d.sync()

    def keycode(self, name):
        return self.d.keysym_to_keycode(XK.string_to_keysym(name))

    def key(self, code, down):
        xtest.fake_input(self.d, X.KeyPress if down else X.KeyRelease, code)
        self.d.flush()

    def pixels(self, window, rect):
        """The bytes of a rectangle (left, top, width, height) of the window,
        4 a pixel in the order B, G, R, unused."""
        image = self._window(window).get_image(*rect, X.ZPixmap, 0xFFFFFFFF)
        info = self.d.display.info
        bits = {f.depth: f.bits_per_pixel for f in info.pixmap_formats}[image.depth]
        if bits != 32 or info.image_byte_order != X.LSBFirst:
            raise RuntimeError("pixels of %d bits in byte order %d: only 32-bit BGRX is read"
                               % (bits, info.image_byte_order))
        return image.data

    def picture(self, window, rect, step=1):
        """A rectangle (left, top, width, height) of the window as a
        screen.Image, keeping the top-left pixel of every step x step block.
        Only the rows kept are read: a field shown 5 times larger is 27 MB,
        a fifth of that row by row."""
        left, top, width, height = rect
        # Replies of about 1 MB at most: python-xlib gathers a reply by growing
        # one bytes object, at a cost that grows with the square of its size.
        rows = 1 if step > 1 else max(1, (1 << 20) // (4 * width))
        bands = [(y, min(rows, top + height - y)) for y in range(top, top + height, max(step, rows))]
        data = b"".join(self.pixels(window, (left, y, width, rows)) for y, rows in bands)
        read = screen.Image(Pillow.frombytes("RGB", (width, len(data) // (4 * width)), data, "raw", "BGRX"))
        return read if step == 1 else read.reduced(step, 1)

    def screenshot(self, rect=None):
        """The screen, or the part of rect = (x, y, width, height) on it, as a screen.Image."""
        sw, sh = self.d.screen().width_in_pixels, self.d.screen().height_in_pixels
        x, y, w, h = rect or (0, 0, sw, sh)
        x0, y0, x1, y1 = max(0, x), max(0, y), min(sw, x + w), min(sh, y + h)
        return self.picture(self.root, (x0, y0, x1 - x0, y1 - y0))

    def send_close_request(self, window):
        event = protocol.event.ClientMessage(
            window=window, client_type=self.d.intern_atom("WM_PROTOCOLS"),
            data=(32, [self.d.intern_atom("WM_DELETE_WINDOW"), X.CurrentTime, 0, 0, 0]))
        self._window(window).send_event(event)
        self.d.sync()

    def active_window(self):
        """The window manager's active window (_NET_ACTIVE_WINDOW), 0 for none."""
        active = self._window(self.root).get_full_property(self.d.get_atom("_NET_ACTIVE_WINDOW"), Xatom.WINDOW)
        return active.value[0] if active else 0

    def cursor_visible(self):
        """True when the pointer's cursor image has any opaque pixel (ARGB)."""
        self.d.xfixes_query_version()
        return any(p >> 24 for p in self.d.xfixes_get_cursor_image(self.root).cursor_image)


class MapWatch(Display):
    """Open before starting the program; wait() returns the monotonic time (s)
    at which the first window of `size` was reported mapped: timed to the
    event, not to a poll."""

    def __init__(self, display_name):
        super().__init__(display_name)
        self._window(self.root).change_attributes(event_mask=X.SubstructureNotifyMask)  # MapNotify of every window
        self.d.sync()

    def wait(self, size, timeout):
        deadline = time.monotonic_ns() + int(timeout * 1e9)
        while True:
            event = self.next_event(deadline)
            if event is None:
                raise TimeoutError("no %dx%d window was mapped within %.0f s" % (size[0], size[1], timeout))
            if event.type == X.MapNotify:
                at = time.monotonic()
                found = self.window_info(event.window.id)
                if found and found.size == tuple(size):
                    return at


def visible_window(env, pid, size, timeout=20):
    """(id, x, y, width, height) of the process's viewable window of `size`, waited for."""
    with Display(env["DISPLAY"]) as d:
        def find():
            return next((w for w in map(d.window_info, d.windows_of(pid)) if w and w.size == tuple(size)), None)
        found = reports.poll_for(find, timeout)
    if not found:
        raise RuntimeError("no visible %dx%d window of process %d within %.0f s" % (size[0], size[1], pid, timeout))
    return found.wid, found.x, found.y, found.width, found.height
