"""What a Wayland client said and heard, read from its WAYLAND_DEBUG trace:
its top-level windows with the sizes of the buffers it showed in them, the
sizes the compositor asked for, whether it asked for full screen or to be
moved, how often it committed a new picture, which window has the keyboard,
where the pointer is on which window, and the activation tokens it
presented. It works alike under every compositor, whether or not the
compositor can be photographed."""

import re

LINE = re.compile(r"^\[\s*[\d.]+\]\s+(->\s+)?(\w+)@(\d+)\.(\w+)\((.*)\)\s*$")
NEW_ID = re.compile(r"new id (\w+)@(\d+)")
OBJECT = re.compile(r"(\w+)@(\d+)")


class Toplevel:
    def __init__(self, surface):
        self.surface = surface
        self.configured = []  # (width, height) the compositor asked for; (0, 0): the client's choice
        self.buffer = None  # size of the last buffer attached
        self.commits = 0
        self.fullscreen_requests = 0
        self.move_requests = 0  # xdg_toplevel.move: the compositor asked to move it with the pointer
        self.decoration_modes = []  # zxdg_toplevel_decoration_v1 modes the compositor settled on
        self.gone = False

    def __repr__(self):
        return "<toplevel %s buffer %s configured %s%s>" % (
            self.surface, self.buffer, self.configured[-3:], " gone" if self.gone else "")


class Trace:
    """The trace in path, read on as the client writes it."""

    def __init__(self, path):
        self.path = path
        self._offset = 0
        self._partial = b""
        self.toplevels = []
        self._by_object = {}  # object id -> the Toplevel its xdg_surface, xdg_toplevel or decoration belongs to
        self._surface_of = {}  # xdg_surface id -> wl_surface id
        self._buffers = {}  # wl_buffer id -> (width, height)
        self._live = {}  # wl_surface id -> its current Toplevel
        self.keyboard = None  # the wl_surface id with the keyboard, or None
        self.keyboard_changes = 0
        self.activations = []  # the tokens presented with xdg_activation_v1.activate
        self.pointer = None  # the wl_surface id under the pointer, or None
        self.pointer_at = None  # where on it, surface-local (x, y)
        self.pointer_left_at = None  # where on its window the pointer was when it last left one
        self.pointer_events = 0  # wl_pointer enter, motion and leave events so far

    def read(self):
        """Takes in what was written since the last read; returns self."""
        with open(self.path, "rb") as f:
            f.seek(self._offset)
            data = self._partial + f.read()
            self._offset = f.tell()
        lines = data.split(b"\n")
        self._partial = lines.pop()
        for raw in lines:
            m = LINE.match(raw.decode("utf-8", "replace"))
            if m:
                self._take(bool(m.group(1)), m.group(2), int(m.group(3)), m.group(4), m.group(5))
        return self

    def _take(self, request, interface, oid, message, args):
        new = NEW_ID.search(args)
        if request and interface == "xdg_wm_base" and message == "get_xdg_surface":
            self._surface_of[int(new.group(2))] = int(OBJECT.findall(args)[-1][1])
        elif request and interface == "xdg_surface" and message == "get_toplevel":
            surface = self._surface_of.get(oid)
            top = Toplevel(surface)
            self.toplevels.append(top)
            self._live[surface] = top
            self._by_object[oid] = self._by_object[int(new.group(2))] = top
        elif request and interface == "xdg_toplevel" and message == "destroy":
            top = self._by_object.pop(oid, None)
            if top is not None:
                top.gone = True
                self._live.pop(top.surface, None)
        elif request and interface == "xdg_toplevel" and message == "set_fullscreen":
            self._by_object[oid].fullscreen_requests += 1
        elif request and interface == "xdg_toplevel" and message == "move":
            self._by_object[oid].move_requests += 1
        elif request and interface == "zxdg_decoration_manager_v1" and message == "get_toplevel_decoration":
            self._by_object[int(new.group(2))] = self._by_object.get(int(OBJECT.findall(args)[-1][1]))
        elif not request and interface == "zxdg_toplevel_decoration_v1" and message == "configure":
            top = self._by_object.get(oid)
            if top is not None:
                top.decoration_modes.append(int(args))
        elif not request and interface == "xdg_toplevel" and message == "configure":
            top = self._by_object.get(oid)
            if top is not None:
                width, height = args.split(",")[:2]
                top.configured.append((int(width), int(height)))
        elif request and interface == "wl_shm_pool" and message == "create_buffer":
            fields = [int(x) for x in args.split(",")[1:4]]
            self._buffers[int(new.group(2))] = (fields[1], fields[2])
        elif request and interface == "wl_surface" and message == "attach":
            buffer = OBJECT.search(args)
            top = self._live.get(oid)
            if top is not None and buffer is not None:
                top.buffer = self._buffers.get(int(buffer.group(2)))
        elif request and interface == "wl_surface" and message == "commit":
            top = self._live.get(oid)
            if top is not None:
                top.commits += 1
        elif request and interface == "xdg_activation_v1" and message == "activate":
            self.activations.append(args.split('"')[1])
        elif not request and interface == "wl_keyboard" and message in ("enter", "leave"):
            self.keyboard = int(OBJECT.search(args).group(2)) if message == "enter" else None
            self.keyboard_changes += 1
        elif not request and interface == "wl_pointer" and message in ("enter", "motion", "leave"):
            self._take_pointer(message, args)

    def _take_pointer(self, message, args):
        self.pointer_events += 1
        if message == "leave":
            self.pointer_left_at = self.pointer_at
            self.pointer = self.pointer_at = None
            return
        if message == "enter":
            self.pointer = int(OBJECT.search(args).group(2))
        x, y = args.split(",")[-2:]
        self.pointer_at = (float(x), float(y))

    def shown(self, size):
        """The newest live window showing a buffer of size, or None."""
        return next((top for top in reversed(self.toplevels) if not top.gone and top.buffer == tuple(size)), None)

    def pointed(self):
        """The live window under the pointer, or None (only live windows are on their surfaces)."""
        return self._live.get(self.pointer)

    def focused(self):
        """The live window with the keyboard, or None."""
        return self._live.get(self.keyboard)
