"""The pointer steered as a hand steers it, by what it sees: here the
program's Wayland trace (wltrace.Trace), which tells where on which window
the pointer is. The pointer is any compositor driver's, moved by relative
motion only, which every compositor's driver offers."""

import time

import reports

POINTER_QUIET = 0.5  # no news from the pointer this long: every motion sent has arrived
WALK_WAIT = 0.2  # how long a step of the walk waits to be told it reached a window


class SteeredPointer:
    """pointer (a driver's, with move_by) on a screen of screen_size,
    followed through trace."""

    def __init__(self, pointer, trace, screen_size):
        self.pointer = pointer
        self.trace = trace
        self.screen_size = tuple(screen_size)

    def poll(self, condition, seconds):
        """Whether condition() came true within seconds, the trace read anew each time."""
        return bool(reports.poll_for(lambda: self.trace.read() and condition(), seconds, 0.05))

    def settle(self):
        """Waits until the program hears nothing new of the pointer for a while."""
        seen = None
        while seen != self.trace.read().pointer_events:
            seen = self.trace.pointer_events
            time.sleep(POINTER_QUIET)

    def on(self, window):
        """Where the pointer is on window, as the program was last told, or None."""
        return self.trace.pointer_at if self.trace.pointed() is window else None

    def to_corner(self):
        """Into the screen's top left corner, which stops it."""
        self.pointer.move_by(-self.screen_size[0], -self.screen_size[1])

    def point_at(self, window, spot, timeout):
        """Steers the pointer onto spot of window: into the corner, then
        towards the screen's middle, where compositors put a first window,
        until the program says it is on the window, then straight to spot.
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
        """Which of the points() of window the pointer is over (asked anew
        each time), found by nudging it a pixel to and fro until the program
        is told so; None when it is over none of them. A compositor may move
        a window only before its next picture, so the report just after a
        move may still measure from the old place."""
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
