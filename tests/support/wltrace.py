"""What a Wayland client said and heard, read from its WAYLAND_DEBUG trace: its top-level windows (titles, buffer
sizes, sizes in the desktop's units, sizes asked for, full-screen and move requests, decoration modes, commits),
which has the keyboard, where the pointer is, the activation tokens presented. It reads alike under every
compositor, photographed or not; so the pointer is steered by it, by relative motion, as a hand steers by eye."""

import re
import time

import procs

# libwayland 1.21 writes "[time]  -> wl_surface@28.commit()"; 1.23 names the
# event queue and writes "#": "[time] {Default Queue}  -> wl_surface#28.commit()".
LINE = re.compile(r"^\[\s*[\d.]+\]\s+(?:\{[^}]*\}\s+)?(->\s+)?(\w+)[@#](\d+)\.(\w+)\((.*)\)\s*$")
NEW_ID = re.compile(r"new id (\w+)[@#](\d+)")
OBJECT = re.compile(r"(\w+)[@#](\d+)")
POINTER_QUIET = 0.5  # no news from the pointer this long: every motion sent has arrived
WALK_WAIT = 0.2  # how long a step of the walk waits to be told it reached a window


class Toplevel:  # a top-level window of the client's
    def __init__(self, surface):
        self.surface = surface
        self.name = ""  # its title
        self.configured = []  # (width, height) the compositor asked for; (0, 0): the client's choice
        self.decoration_modes = []  # zxdg_toplevel_decoration_v1 modes the compositor settled on
        self.buffer = None  # size of the last buffer attached
        self.buffer_scale = 1  # wl_surface.set_buffer_scale: buffer pixels to one unit of the desktop's
        self.destination = None  # wp_viewport.set_destination: the size in the desktop's units, when given
        # Pictures committed, and requests for full screen and to be moved with the pointer (xdg_toplevel.move).
        self.commits = self.fullscreen_requests = self.move_requests = 0
        self.gone = False

    @property
    def size(self):  # in the desktop's units, which a scaled desktop enlarges
        if self.destination or self.buffer is None:
            return self.destination
        return (self.buffer[0] // self.buffer_scale, self.buffer[1] // self.buffer_scale)

    width = property(lambda self: self.size[0])
    height = property(lambda self: self.size[1])

    def __repr__(self):
        return "<toplevel %s size %s buffer %s configured %s%s>" % (
            self.surface, self.size, self.buffer, self.configured[-3:], " gone" if self.gone else "")


class Trace:  # the trace in path, read on as the client writes it
    def __init__(self, path):
        self.path, self._offset, self._partial = path, 0, b""  # how far it was read, and the partial line there
        self.toplevels = []
        self._by_object = {}  # xdg_surface, xdg_toplevel, decoration or viewport id -> the Toplevel it serves
        self._surface_of = {}  # xdg_surface id -> wl_surface id
        self._buffers = {}  # wl_buffer id -> (width, height)
        self._live = {}  # wl_surface id -> its current Toplevel
        self.keyboard = None  # the wl_surface id with the keyboard, or None
        self.activations = []  # the tokens presented with xdg_activation_v1.activate
        # The wl_surface id under the pointer, where on it (surface-local x, y), where on its window it last left one.
        self.pointer = self.pointer_at = self.pointer_left_at = None
        self.pointer_events = 0  # wl_pointer enter, motion and leave events so far

    def read(self):  # takes in what was written since the last read; returns self
        with open(self.path, "rb") as f:
            f.seek(self._offset)
            data = self._partial + f.read()
            self._offset = f.tell()
        *lines, self._partial = data.split(b"\n")
        for raw in lines:
            if m := LINE.match(raw.decode("utf-8", "replace")):
                self._take(bool(m.group(1)), m.group(2), int(m.group(3)), m.group(4), m.group(5))
        return self

    def _take(self, request, interface, oid, message, args):
        new_id = int(new.group(2)) if (new := NEW_ID.search(args)) else None
        top = self._by_object.get(oid)  # the Toplevel of an xdg_surface, xdg_toplevel, decoration or viewport
        shown = self._live.get(oid)  # the Toplevel on a wl_surface
        match (request, interface, message):
            case (True, "xdg_wm_base", "get_xdg_surface"):
                self._surface_of[new_id] = int(OBJECT.findall(args)[-1][1])
            case (True, "xdg_surface", "get_toplevel"):
                top = Toplevel(self._surface_of.get(oid))
                self.toplevels.append(top)
                self._live[top.surface] = self._by_object[oid] = self._by_object[new_id] = top
            case (True, "xdg_toplevel", "destroy") if top is not None:
                top.gone = True
                del self._by_object[oid]
                self._live.pop(top.surface, None)
            case (True, "xdg_toplevel", "set_title") if top is not None:
                top.name = args.strip('"')
            case (True, "xdg_toplevel", "set_fullscreen"):
                top.fullscreen_requests += 1
            case (True, "xdg_toplevel", "move"):
                top.move_requests += 1
            case (True, "zxdg_decoration_manager_v1", "get_toplevel_decoration"):
                self._by_object[new_id] = self._by_object.get(int(OBJECT.findall(args)[-1][1]))
            case (False, "zxdg_toplevel_decoration_v1", "configure") if top is not None:
                top.decoration_modes.append(int(args))
            case (False, "xdg_toplevel", "configure") if top is not None:
                top.configured.append(tuple(int(v) for v in args.split(",")[:2]))
            case (True, "wl_shm_pool", "create_buffer"):  # new id, offset, width, height, stride, format
                self._buffers[new_id] = tuple(int(v) for v in args.split(",")[2:4])
            case (True, "wl_surface", "attach") if shown is not None and (buffer := OBJECT.search(args)):
                shown.buffer = self._buffers.get(int(buffer.group(2)))
            case (True, "wl_surface", "set_buffer_scale") if shown is not None:
                shown.buffer_scale = int(args)
            case (True, "wp_viewporter", "get_viewport"):
                self._by_object[new_id] = self._live.get(int(OBJECT.findall(args)[-1][1]))
            case (True, "wp_viewport", "set_destination") if top is not None:  # -1, -1 unsets it
                top.destination = tuple(int(v) for v in args.split(",")) if not args.startswith("-1") else None
            case (True, "wl_surface", "commit") if shown is not None:
                shown.commits += 1
            case (True, "xdg_activation_v1", "activate"):
                self.activations.append(args.split('"')[1])
            case (False, "wl_keyboard", "enter" | "leave"):
                self.keyboard = int(OBJECT.search(args).group(2)) if message == "enter" else None
            case (False, "wl_pointer", "leave"):
                self.pointer_events += 1
                self.pointer_left_at = self.pointer_at
                self.pointer = self.pointer_at = None
            case (False, "wl_pointer", "enter" | "motion"):
                self.pointer_events += 1
                if message == "enter":
                    self.pointer = int(OBJECT.search(args).group(2))
                x, y = args.split(",")[-2:]
                self.pointer_at = (float(x), float(y))

    def pointed(self):  # the live window under the pointer, or None
        return self._live.get(self.pointer)

    def focused(self):  # the live window with the keyboard, or None
        return self._live.get(self.keyboard)


class SteeredPointer:  # pointer (a driver's, with move_by) on a screen of screen_size, followed through trace
    def __init__(self, pointer, trace, screen_size):
        self.pointer, self.trace, self.screen_size = pointer, trace, tuple(screen_size)

    def poll(self, condition, seconds):  # whether condition() came true within seconds, the trace read anew
        return bool(procs.poll_for(lambda: self.trace.read() and condition(), seconds, 0.05))

    def settle(self):  # until the program hears nothing new of the pointer for a while
        seen = None
        while seen != self.trace.read().pointer_events:
            seen = self.trace.pointer_events
            time.sleep(POINTER_QUIET)

    def on(self, window):  # where the pointer is on window, as the program was last told, or None
        return self.trace.pointer_at if self.trace.pointed() is window else None

    def to_corner(self):  # into the screen's top left corner, which stops it
        self.pointer.move_by(-self.screen_size[0], -self.screen_size[1])

    def point_at(self, window, spot, timeout):
        """Steers the pointer onto spot of window: into the corner, then towards the screen's middle, where
        compositors put a first window, until the program says it is on the window, then straight to spot.
        Where that is from the corner, or None when it did not get there."""
        self.to_corner()
        if not self.poll(lambda: not self.on(window), timeout):
            return None
        x = y = 0
        step = (self.screen_size[0] // 16, self.screen_size[1] // 16)  # narrower than a window
        while not self.poll(lambda: self.on(window), WALK_WAIT):
            if x > self.screen_size[0] // 2:
                return None
            self.pointer.move_by(*step)
            x, y = x + step[0], y + step[1]
        self.settle()  # the walk's last steps may follow the first one on the window
        dx, dy = spot[0] - self.on(window)[0], spot[1] - self.on(window)[1]
        self.pointer.move_by(dx, dy)
        return (x + dx, y + dy) if self.poll(lambda: self.on(window) == spot, timeout) else None

    def nudged_onto(self, window, points, timeout):
        """Which of the points() of window (asked anew each time) the pointer is over, found by nudging it a
        pixel to and fro until the program is told so, or None. A compositor may move a window only before its
        next picture, so the report just after a move may still measure from the old place."""
        deadline, step = time.monotonic() + timeout, 1
        while time.monotonic() < deadline:
            self.pointer.move_by(step, 0)
            self.settle()
            at = self.on(window)
            spot = at and (at[0] - (1 if step > 0 else 0), at[1])  # less the nudges' sum
            if spot and spot in points():
                return spot
            step = -step
        return None
