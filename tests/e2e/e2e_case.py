"""Common ground of the X scenarios: one fresh session (an Xvfb, bare or
under the window manager a scenario names, and a program folder) per test,
torn down even when the test fails."""

import shutil
import subprocess
import time
import unittest

import harness
import playfield
import screen

DEFAULT_TABLE = (b"Tilebash\r\n30000\r\nTilebash\r\n20000\r\nTilebash\r\n15000\r\n"
                 b"Tilebash\r\n10000\r\nTilebash\r\n5000\r\n")


def table_bytes(rows):
    """The file for [(name, score), ...], one CR LF line each."""
    return b"".join(("%s\r\n%s\r\n" % (name, score)).encode("cp1252") for name, score in rows)


class E2ECase(unittest.TestCase):
    folder_name = "tilebash"
    window_manager = None  # a key of harness.WINDOW_MANAGERS to run under one

    def setUp(self):
        self.s = harness.Session(self.id(), self.folder_name, display=self.window_manager or "xvfb")
        self.addCleanup(self.s.close)
        self.player = playfield.Player(self.s)

    def launch_to_start_window(self, cwd=None):
        self.s.launch(cwd=cwd)
        start = self.s.wait_start_window()
        self.painted(start, "the start window")
        return start

    def painted(self, window, what):
        """A screenshot of the window once it shows a picture (more than a few
        colours) and the same one twice: a window just mapped shows black until
        its first paint, and a large window is read in bands that a paint may
        fall between."""
        before = None

        def steady():
            nonlocal before
            taken = self.s.screenshot(window)
            same = before is not None and before.rgb == taken.rgb
            before = taken
            return taken if same and taken.picture.getcolors(64) is None else None
        return self.s.wait_for(steady, harness.WINDOW_TIMEOUT, what + " painted")

    def assert_exit_status(self, expected=0, timeout=harness.WINDOW_TIMEOUT):
        status = self.s.wait_exit(timeout)
        self.s.check(status == expected, "the program ended with status %s, expected %s" % (status, expected))

    def assert_no_window_left(self):
        left = self.s.x.viewable()
        self.s.check(not left, "windows left on the display: %r" % left)

    def assert_no_dialog_for(self, seconds, what):
        """Nothing but the start window appears for a while (e.g. no high-score box)."""
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            extra = self.s.dialogs()
            self.s.check(not extra, "%s, but a window appeared: %r" % (what, extra))
            time.sleep(harness.POLL)

    def other_window(self):
        """A small window of another program at the screen's corner, clear of the centred windows."""
        if shutil.which("xmessage") is None:
            self.skipTest("xmessage is needed for a second window")
        proc = subprocess.Popen(["xmessage", "-geometry", "+0+0", "elsewhere"], env=self.s.env,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, start_new_session=True)
        self.addCleanup(lambda: (proc.kill(), proc.wait(10)))

        def find():
            ids = self.s.x.windows_of_class("Xmessage")
            return self.s.x.window_info(ids[0]) if ids else None
        return self.s.wait_for(find, 20, "the other program's window")

    def wait_active(self, window, what):
        """Under a window manager: window is the active one and holds the keys."""
        self.s.wait_for(lambda: self.s.x.active_window() == window.wid, 10, "%s to be the active window" % what)
        self.s.wait_for(lambda: self.s.focused() == window, 10, "%s to have the keyboard focus" % what)

    def bring_other_window_forward(self):
        """Another program's window, activated as a task bar would; returned."""
        other = self.other_window()
        self.s.x.activate(other.wid)
        self.wait_active(other, "the other program's window")
        return other

    def assert_frameless_and_centred(self, window, size):
        """Our own window, placed by the program: without a window manager nothing
        reparents it, so its X geometry is the client area; it asks for no
        decoration, so a manager adds none (its frame extents are all 0)."""
        self.s.check(window.size == tuple(size), "%r should be %dx%d" % ((window,) + tuple(size)))
        centre = ((harness.SCREEN_W - size[0]) // 2, (harness.SCREEN_H - size[1]) // 2)
        self.s.check(abs(window.x - centre[0]) <= 1 and abs(window.y - centre[1]) <= 1,
                     "%r is not centred on the %dx%d screen (expected +%d+%d)"
                     % (window, harness.SCREEN_W, harness.SCREEN_H, centre[0], centre[1]))
        self.s.check(window.border == 0, "%r has an X border of %d" % (window, window.border))
        if self.window_manager is None:
            self.s.check(self.s.x.parent(window.wid) == self.s.x.root, "%r is not a child of the root window" % window)
        else:
            extents = self.s.x.property(window.wid, "_NET_FRAME_EXTENTS")
            self.s.check(extents == [0, 0, 0, 0], "%s framed %r: %s" % (self.window_manager, window, extents))
        hints = self.s.x.property(window.wid, "_MOTIF_WM_HINTS")
        self.s.check(hints is not None and len(hints) >= 3, "%r sets no _MOTIF_WM_HINTS: %s" % (window, hints))
        flags, decorations = hints[0], hints[2]
        self.s.check(flags & 2 and decorations == 0, "%r asks for decorations: %s" % (window, hints))

    def table_text_pixels(self, shot, rect):
        """(navy pixels, white pixels) of one table box."""
        navy = shot.count(screen.is_navy, rect)
        white = shot.count(screen.is_white, rect)
        return navy, white

    def assert_dialog(self, window):
        kind = self.s.x.property(window.wid, "_NET_WM_WINDOW_TYPE") or []
        self.s.check("_NET_WM_WINDOW_TYPE_DIALOG" in kind, "%r is not a message box: %s" % (window, kind))

    def close_message_box(self, box):
        self.s.point_at(box)
        self.s.press("Return")
        self.s.wait_gone(box, what="the message box %r to close after Return" % box.name)

    def close_high_score_box(self):
        box = self.s.wait_dialog("Tilebash", what="the high-score message box")
        self.assert_dialog(box)
        self.close_message_box(box)
        return box

    def lose_every_ball(self, play, seconds=150):
        """Lets the paused game lose its balls until the "Game Over" box opens;
        returns the box and how many lost balls paused the game before it."""
        pauses = 0
        deadline = time.monotonic() + seconds
        self.s.key_down("Left")  # the paddle hides at the left wall and lets most balls through
        try:
            while True:
                self.player.resume(play)
                while True:
                    self.s.check(time.monotonic() < deadline, "the game did not end within %d s (%d balls lost)"
                                 % (seconds, pauses))
                    box = [w for w in self.s.dialogs() if w.name == "Game Over"]
                    if box:
                        return box[0], pauses
                    shot = self.s.screenshot(play)
                    if playfield.frame_shown(shot) and playfield.paused_notice(shot):
                        pauses += 1
                        break
                    time.sleep(0.1)
        finally:
            self.s.key_up("Left")
