"""The X server through python-xlib, the tests' and benchmarks' one X binding
(no X command-line tool is run): windows by _NET_WM_PID with their geometry,
names and properties, the focus and the window manager's requests, keys and
pointer through XTest, the cursor image (XFixes), events timed as they arrive
(MapNotify, DAMAGE), and pixels read back (GetImage), the one way to take a
screenshot."""

import contextlib
import dataclasses
import select
import time

from PIL import Image as Pillow
from Xlib import X, XK, Xatom, display, error, protocol
from Xlib.ext import damage, randr, xtest
from Xlib.protocol import rq

import screen


class _Packed(rq.Object):
    """A struct inside a request: python-xlib's own Object packs into bytes alone, where a request wants a triple."""

    def pack_value(self, val):
        return self.type.to_binary(**val), None, None


class _SetMonitor(rq.Request):
    _request = rq.Struct(rq.Card8("opcode"), rq.Opcode(43), rq.RequestLength(), rq.Window("window"),
                         _Packed("monitor_info", randr.MonitorInfo))


@dataclasses.dataclass(eq=False)
class Window:
    """A viewable window, x and y at its border's outer corner; equal to
    another Window of the same id, however it has changed since."""
    wid: int
    name: str
    x: int
    y: int
    width: int
    height: int
    border: int

    @property
    def size(self):
        return self.width, self.height

    def __eq__(self, other):
        return isinstance(other, Window) and other.wid == self.wid

    def __hash__(self):
        return self.wid


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

    def viewable(self):
        """Every viewable child of the root window, whoever owns it, the top one first."""
        return [w for w in map(self.window_info, self.children()) if w is not None]

    def _below(self, test, window=None):
        """The ids of the windows at any depth below window (the root) for which test(the window) is true."""
        found = []
        for child in self.children(window):
            with contextlib.suppress(error.XError):
                if test(self._window(child)):
                    found.append(child)
            found += self._below(test, child)
        return found

    def windows_of(self, pid):
        """The ids of the windows whose _NET_WM_PID is pid."""
        return self._below(lambda w: pid in getattr(
            w.get_full_property(self.d.get_atom("_NET_WM_PID"), Xatom.CARDINAL), "value", ()))

    def windows_of_class(self, wm_class):
        """The ids of the viewable windows whose WM_CLASS names wm_class."""
        return [w for w in self._below(lambda w: wm_class in (w.get_wm_class() or ())) if self.window_info(w)]

    def pointer(self):
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

    # ---- the player's hands, through XTest -----------------------------
    def keycode(self, name):
        return self.d.keysym_to_keycode(XK.string_to_keysym(name))

    def key(self, code, down):
        xtest.fake_input(self.d, X.KeyPress if down else X.KeyRelease, code)
        self.d.flush()

    def _key_of(self, name):
        """(keycode, level) of the keysym name on its lowest level."""
        code, level = min(self.d.keysym_to_keycodes(XK.string_to_keysym(name)), default=(0, 0), key=lambda c: c[1])
        if not code:
            raise RuntimeError("no key gives the keysym %r" % name)
        return code, level

    def key_down(self, name):
        """The key of the keysym name down, with Shift where the keysym is on its key's second level."""
        code, level = self._key_of(name)
        if level % 2:
            self.key(self.keycode("Shift_L"), True)
        self.key(code, True)

    def key_up(self, name):
        code, level = self._key_of(name)
        self.key(code, False)
        if level % 2:
            self.key(self.keycode("Shift_L"), False)

    def warp(self, x, y):
        """The pointer to (x, y) on the screen: WarpPointer, a motion the server
        reports once, where an XTest motion also goes through the input
        devices' events, which a client hears more of."""
        self._window(self.root).warp_pointer(x, y)
        self.d.flush()

    def move_by(self, dx, dy):
        xtest.fake_input(self.d, X.MotionNotify, True, x=round(dx), y=round(dy))
        self.d.flush()

    def down(self, kind=X.ButtonPress):
        """The left button down (or up)."""
        xtest.fake_input(self.d, kind, 1)
        self.d.flush()

    def up(self):
        self.down(X.ButtonRelease)

    # ---- pixels --------------------------------------------------------
    def pixels(self, window, rect):
        """The bytes of a rectangle (left, top, width, height) of the window, B, G, R, unused a pixel."""
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

    # ---- what a window manager and a task bar do -------------------------
    def _message(self, to, window, name, values, **mask):
        event = protocol.event.ClientMessage(window=window, client_type=self.d.intern_atom(name),
                                             data=(32, (values + [0] * 5)[:5]))
        self._window(to).send_event(event, **mask)
        self.d.sync()

    def send_close_request(self, window):
        """WM_DELETE_WINDOW, as a window manager asks a window to close."""
        self._message(window, window, "WM_PROTOCOLS", [self.d.intern_atom("WM_DELETE_WINDOW"), X.CurrentTime])

    def _to_root(self, window, name, values):
        """A client message about window to the root, as a task bar sends one to the window manager."""
        self._message(self.root, window, name, values, event_mask=X.SubstructureRedirectMask | X.SubstructureNotifyMask)

    def activate(self, window):
        """Asks the window manager to make window the active one (source 2: a pager or task bar)."""
        self._to_root(window, "_NET_ACTIVE_WINDOW", [2, X.CurrentTime])

    def minimize(self, window):
        """Asks the window manager to iconify window (ICCCM's WM_CHANGE_STATE to IconicState)."""
        self._to_root(window, "WM_CHANGE_STATE", [3])

    def focus(self):
        """The window holding the keyboard focus: an id, or 0 (none) or 1 (the one under the pointer)."""
        focus = self.d.get_input_focus().focus
        return focus if isinstance(focus, int) else focus.id

    def set_focus(self, window):
        self._window(window).set_input_focus(X.RevertToParent, X.CurrentTime)
        self.d.sync()

    def parent(self, window):
        return self._window(window).query_tree().parent.id

    def property(self, window, name):
        """The values of a window's property (atoms as their names), or None when it is not set."""
        found = self._window(window).get_full_property(self.d.get_atom(name), X.AnyPropertyType)
        if found is None:
            return None
        if found.property_type == Xatom.ATOM:
            return [self.d.get_atom_name(v) for v in found.value]
        return list(found.value)

    def set_root_text(self, name, text):
        """A text property on the root window (RESOURCE_MANAGER holds the X resources)."""
        self._window(self.root).change_property(self.d.get_atom(name), Xatom.STRING, 8, text.encode())
        self.d.sync()

    def set_monitor(self, name, rect, millimetres, output=None):
        """A RandR monitor called name over rect (x, y, width, height) of the
        screen, of the size in millimetres, shown on the output so named or on none."""
        root = self._window(self.root)
        outputs = [o for o in root.xrandr_get_screen_resources().outputs
                   if output and self.d.xrandr_get_output_info(o, 0).name == output]
        x, y, width, height = rect
        _SetMonitor(display=self.d.display, opcode=self.d.display.get_extension_major(randr.extname), window=root,
                    monitor_info={"name": self.d.intern_atom(name), "primary": False, "automatic": False, "x": x,
                                  "y": y, "width_in_pixels": width, "height_in_pixels": height,
                                  "width_in_millimeters": millimetres[0], "height_in_millimeters": millimetres[1],
                                  "crtcs": outputs})
        self.d.sync()

    def managed(self):
        """Whether a window manager has announced itself on the root (_NET_SUPPORTING_WM_CHECK)."""
        return self.property(self.root, "_NET_SUPPORTING_WM_CHECK") is not None

    def active_window(self):
        """The window manager's active window (_NET_ACTIVE_WINDOW), 0 for none."""
        return (self.property(self.root, "_NET_ACTIVE_WINDOW") or [0])[0]

    def cursor_visible(self):
        """True when the pointer's cursor image has any opaque pixel (ARGB)."""
        self.d.xfixes_query_version()
        return any(p >> 24 for p in self.d.xfixes_get_cursor_image(self.root).cursor_image)


class MapWatch(Display):
    """Open before starting the program; wait() returns the monotonic time (s)
    at which the first window of size was reported mapped: timed to the
    event, not to a poll."""

    def __init__(self, display_name):
        super().__init__(display_name)
        self._window(self.root).change_attributes(event_mask=X.SubstructureNotifyMask)  # MapNotify of every window
        self.d.sync()

    def wait(self, size, timeout):
        deadline = time.monotonic_ns() + int(timeout * 1e9)
        while (event := self.next_event(deadline)) is not None:
            if event.type == X.MapNotify:
                at = time.monotonic()
                found = self.window_info(event.window.id)
                if found and found.size == tuple(size):
                    return at
        raise TimeoutError("no %dx%d window was mapped within %.0f s" % (size[0], size[1], timeout))
