"""The delay from a key to the screen: paced_loop --latency runs play in its
own Xvfb (the ball in play, the paddle at rest), and this script presses the
Right arrow with XTest at random moments of the frame and times, from the
press, the moment the paddle's rows change on the X server: an XDamage event
on the play window that touches the paddle's band, confirmed by reading the
band back (XGetImage). One process per frame wait, one after the other.

    key_latency.py --build-dir DIR [--presses 200] [--modes sleep,poll,busy]
"""

import argparse
import ctypes
import ctypes.util
import json
import os
import random
import select
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(os.path.dirname(HERE), "tests", "e2e"))

import figures  # noqa: E402
import harness  # noqa: E402

MODES = ("sleep", "poll", "busy")
FRAME_S = 0.022
# After a release the loop puts the paddle back at rest on its next frame;
# three frames later the band is sure to show it there again.
SETTLE_S = 3 * FRAME_S
TIMEOUT_S = 0.25      # a press not seen within this is counted as missed
PLAY_SIZE = (640, 420)
_DAMAGE_REPORT_RAW_RECTANGLES = 0
_Z_PIXMAP = 2


class _Rect(ctypes.Structure):
    _fields_ = [("x", ctypes.c_short), ("y", ctypes.c_short), ("width", ctypes.c_ushort), ("height", ctypes.c_ushort)]


class _DamageEvent(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("drawable", ctypes.c_ulong), ("damage", ctypes.c_ulong),
                ("level", ctypes.c_int), ("more", ctypes.c_int), ("timestamp", ctypes.c_ulong),
                ("area", _Rect), ("geometry", _Rect)]


class _Event(ctypes.Union):
    _fields_ = [("type", ctypes.c_int), ("xdamage", _DamageEvent), ("pad", ctypes.c_long * 24)]


class _Image(ctypes.Structure):
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.POINTER(ctypes.c_char)), ("byte_order", ctypes.c_int),
                ("bitmap_unit", ctypes.c_int), ("bitmap_bit_order", ctypes.c_int), ("bitmap_pad", ctypes.c_int),
                ("depth", ctypes.c_int), ("bytes_per_line", ctypes.c_int), ("bits_per_pixel", ctypes.c_int)]


def _libs():
    x = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
    tst = ctypes.CDLL(ctypes.util.find_library("Xtst") or "libXtst.so.6")
    dmg = ctypes.CDLL(ctypes.util.find_library("Xdamage") or "libXdamage.so.1")
    d, ul = ctypes.c_void_p, ctypes.c_ulong
    x.XOpenDisplay.restype = d
    x.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x.XConnectionNumber.argtypes = [d]
    x.XPending.argtypes = [d]
    x.XNextEvent.argtypes = [d, ctypes.POINTER(_Event)]
    x.XFlush.argtypes = [d]
    x.XSync.argtypes = [d, ctypes.c_int]
    x.XCloseDisplay.argtypes = [d]
    x.XStringToKeysym.restype = ul
    x.XStringToKeysym.argtypes = [ctypes.c_char_p]
    x.XKeysymToKeycode.restype = ctypes.c_ubyte
    x.XKeysymToKeycode.argtypes = [d, ul]
    x.XGetImage.restype = ctypes.POINTER(_Image)
    x.XGetImage.argtypes = [d, ul, ctypes.c_int, ctypes.c_int, ctypes.c_uint, ctypes.c_uint, ul, ctypes.c_int]
    x.XDestroyImage.argtypes = [ctypes.POINTER(_Image)]
    u = ctypes.c_uint
    x.XGetGeometry.argtypes = [d, ul, ctypes.POINTER(ul), ctypes.POINTER(ctypes.c_int), ctypes.POINTER(ctypes.c_int),
                               ctypes.POINTER(u), ctypes.POINTER(u), ctypes.POINTER(u), ctypes.POINTER(u)]
    tst.XTestFakeKeyEvent.argtypes = [d, u, ctypes.c_int, ul]
    tst.XTestFakeMotionEvent.argtypes = [d, ctypes.c_int, ctypes.c_int, ctypes.c_int, ul]
    dmg.XDamageQueryExtension.argtypes = [d, ctypes.POINTER(ctypes.c_int), ctypes.POINTER(ctypes.c_int)]
    dmg.XDamageCreate.restype = ul
    dmg.XDamageCreate.argtypes = [d, ul, ctypes.c_int]
    return x, tst, dmg


class Screen:
    """One X connection that presses keys and watches the play window's paddle band."""

    def __init__(self, display, window, band):
        self.x, self.tst, self.dmg = _libs()
        self.d = self.x.XOpenDisplay(display.encode())
        if not self.d:
            raise RuntimeError("cannot open X display %s" % display)
        self.window, self.band = window, band
        base, error = ctypes.c_int(), ctypes.c_int()
        if not self.dmg.XDamageQueryExtension(self.d, ctypes.byref(base), ctypes.byref(error)):
            raise RuntimeError("the X server has no DAMAGE extension")
        self.damage_notify = base.value  # XDamageNotify is the extension's first event
        self.dmg.XDamageCreate(self.d, window, _DAMAGE_REPORT_RAW_RECTANGLES)
        self.fd = self.x.XConnectionNumber(self.d)
        self.event = _Event()
        self.x.XSync(self.d, 0)

    def keycode(self, name):
        return self.x.XKeysymToKeycode(self.d, self.x.XStringToKeysym(name.encode()))

    def key(self, code, down):
        self.tst.XTestFakeKeyEvent(self.d, code, 1 if down else 0, 0)
        self.x.XFlush(self.d)

    def point_into(self, x, y):
        self.tst.XTestFakeMotionEvent(self.d, -1, x, y, 0)
        self.x.XSync(self.d, 0)

    def read_band(self):
        left, top, width, height = self.band
        image = self.x.XGetImage(self.d, self.window, left, top, width, height, 0xFFFFFFFF, _Z_PIXMAP)
        if not image:
            raise RuntimeError("cannot read the paddle's band back")
        try:
            return ctypes.string_at(image.contents.data, image.contents.bytes_per_line * image.contents.height)
        finally:
            self.x.XDestroyImage(image)

    def drain(self):
        while self.x.XPending(self.d):
            self.x.XNextEvent(self.d, ctypes.byref(self.event))

    def _touches_band(self):
        if self.event.type != self.damage_notify:
            return False
        a = self.event.xdamage.area
        left, top, width, height = self.band
        return a.x < left + width and left < a.x + a.width and a.y < top + height and top < a.y + a.height

    def wait_change(self, baseline, t0, timeout):
        """ns from t0 to the first damage of the band after which it differs from baseline, or None."""
        deadline = t0 + int(timeout * 1e9)
        while True:
            while self.x.XPending(self.d):
                self.x.XNextEvent(self.d, ctypes.byref(self.event))
                if self._touches_band():
                    seen = time.monotonic_ns()
                    if self.read_band() != baseline:
                        return seen - t0
            left = deadline - time.monotonic_ns()
            if left <= 0:
                return None
            select.select([self.fd], [], [], left / 1e9)

    def close(self):
        if self.d:
            self.x.XCloseDisplay(self.d)
            self.d = None


def play_window(env, pid, timeout=20):
    """The id of the process's visible 640 x 420 window."""
    out = subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--pid", str(pid), "--name", ""],
                         env=env, capture_output=True, timeout=timeout)
    x = _libs()[0]
    d = x.XOpenDisplay(env["DISPLAY"].encode())
    try:
        for wid in (int(w) for w in out.stdout.split()):
            root, px, py = ctypes.c_ulong(), ctypes.c_int(), ctypes.c_int()
            w, h, border, depth = ctypes.c_uint(), ctypes.c_uint(), ctypes.c_uint(), ctypes.c_uint()
            if x.XGetGeometry(d, wid, ctypes.byref(root), ctypes.byref(px), ctypes.byref(py), ctypes.byref(w),
                              ctypes.byref(h), ctypes.byref(border), ctypes.byref(depth)):
                if (w.value, h.value) == PLAY_SIZE:
                    return wid
    finally:
        x.XCloseDisplay(d)
    raise RuntimeError("no visible play window of process %d" % pid)


def measure(screen, presses, rng):
    """Latencies (ms) of `presses` presses of Right, and how many were not seen."""
    right = screen.keycode("Right")
    time.sleep(0.3)
    baseline = screen.read_band()
    out, missed, unsettled = [], 0, 0
    for _ in range(presses):
        # A random moment of the frame: the settle time is a whole number of
        # frames plus a uniform part of one.
        time.sleep(SETTLE_S + rng.uniform(0.0, FRAME_S))
        screen.drain()
        if screen.read_band() != baseline:  # not yet back at rest
            unsettled += 1
            time.sleep(SETTLE_S)
            screen.drain()
        t0 = time.monotonic_ns()
        screen.key(right, True)
        ns = screen.wait_change(baseline, t0, TIMEOUT_S)
        screen.key(right, False)
        if ns is None:
            missed += 1
        else:
            out.append(ns / 1e6)
    return out, missed, unsettled


def run_mode(build_dir, mode, presses, seed):
    exe = os.path.join(build_dir, "bin", "paced_loop")
    x = harness.XServer()
    runtime = tempfile.mkdtemp(prefix="latency-runtime-")
    proc = screen = None
    try:
        env = x.env()
        env["XDG_RUNTIME_DIR"] = runtime
        frames = int((presses * (SETTLE_S + FRAME_S + TIMEOUT_S) + 30) / FRAME_S)  # a cap: Q ends it sooner
        proc = subprocess.Popen([exe, "--latency", mode, "--frames", str(frames)], env=env, stdout=subprocess.PIPE,
                                stderr=subprocess.STDOUT, start_new_session=True)
        band, said = None, ""
        while True:
            line = proc.stdout.readline().decode(errors="replace")
            if not line:
                proc.wait(30)
                raise RuntimeError("paced_loop --latency did not start: %s" % said)
            if line.startswith("BAND "):
                band = tuple(int(v) for v in line.split()[1:5])
            elif line.strip() == "READY":
                break
            else:
                said += line
        window = play_window(env, proc.pid)
        screen = Screen(env["DISPLAY"], window, band)
        values, missed, unsettled = measure(screen, presses, random.Random(seed))
        q = screen.keycode("q")
        screen.key(q, True)
        time.sleep(0.1)
        screen.key(q, False)
        proc.wait(20)
        f = figures.summary(values)
        f.update({"max": max(values) if values else None, "min": min(values) if values else None,
                  "missed": missed, "unsettled": unsettled, "presses": presses})
        return f
    finally:
        if screen is not None:
            screen.close()
        if proc is not None and proc.poll() is None:
            proc.kill()
            proc.wait(10)
        x.stop()
        shutil.rmtree(runtime, ignore_errors=True)


def run(build_dir, presses=200, modes=MODES, echo=True, seed=18):
    out = {}
    for mode in modes:
        f = run_mode(build_dir, mode, presses, seed)
        out[mode] = f
        if echo:
            print("%-6s key to screen: mean %.2f, median %.2f, p99 %.2f, min %.2f, max %.2f ms; %d presses, "
                  "%d not seen" % (mode, f.get("mean", float("nan")), f.get("median") or float("nan"),
                                   f.get("p99") or float("nan"), f.get("min") or float("nan"),
                                   f.get("max") or float("nan"), presses, f["missed"]), flush=True)
    return out


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build-dir", required=True)
    parser.add_argument("--presses", type=int, default=200)
    parser.add_argument("--modes", default=",".join(MODES))
    parser.add_argument("--json")
    args = parser.parse_args()
    out = run(os.path.abspath(args.build_dir), args.presses, args.modes.split(","))
    if args.json:
        with open(args.json, "w") as f:
            json.dump(out, f, indent=1)


if __name__ == "__main__":
    main()
