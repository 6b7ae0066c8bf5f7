"""The player's hands on X: the pointer and the keys, through xdotool."""

import time

KEY_HOLD = 0.15  # a finger holds a key about this long


class PlayerInput:
    """Reads the session's run, display and wait_for."""

    def move_to(self, window, x, y):
        # Not `mousemove --sync`: it waits for motion, and hangs for seconds when
        # the pointer already rests on the target.
        target = (window.x + x, window.y + y)
        if self.display.pointer() != target:
            self.run("xdotool", "mousemove", str(target[0]), str(target[1]))
            self.wait_for(lambda: self.display.pointer() == target, 10, "the pointer to reach %r" % (target,))

    def click(self, window, x, y):
        """A left click at a point of window's client area."""
        self.move_to(window, x, y)
        self.run("xdotool", "mousedown", "1")
        time.sleep(0.05)
        self.run("xdotool", "mouseup", "1")

    def point_at(self, window):
        """Rests the pointer in the middle of window. Without a window manager,
        keys go to the focused window, or to the one under the pointer once
        the focus has fallen back to the root."""
        self.move_to(window, window.width // 2, window.height // 2)

    def key_down(self, key):
        self.run("xdotool", "keydown", key)

    def key_up(self, key):
        self.run("xdotool", "keyup", key)

    def hold_key(self, key):
        self.key_down(key)
        time.sleep(KEY_HOLD)
        self.key_up(key)

    def type_text(self, text):
        self.run("xdotool", "type", "--delay", "60", text)
