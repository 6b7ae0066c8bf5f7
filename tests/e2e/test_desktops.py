"""A whole game on the Wayland desktops players run, under a private headless
compositor of each family (GNOME's mutter, the wlroots compositor sway, KDE's
KWin), played with real keys held as a finger holds them: the start window
maps at its size with the keyboard, dragged by its picture it goes with the
pointer (moved by the compositor), Start from the keyboard, the level title,
P plays, another client's window in front pauses the game, a second start
hands its launcher's activation token over and the running copy's window
comes back with the keyboard, P plays on, F11 makes the play window full
screen and back, Q, the high-score box, a typed name lands in highscore.txt,
and Exit ends with 0.

Every compositor is observed the same way: the program's own Wayland trace
(WAYLAND_DEBUG: its windows' buffers, the sizes asked for, full-screen and
move requests, how often it shows a new picture, where the keyboard and the
pointer are), its files
and exit status; a screenshot adds the picture's checks where the compositor
can be photographed.

A desktop scaled to 150 % (sway's output at scale 1.5) runs a shorter
scenario: the start, info and play windows keep their sizes in the desktop's
units, drawn at a whole-number scale, the start window's picture shows 1.5
times enlarged, and the running game leaves no ball behind.

Run as `test_desktops.py NAME`, NAME a display server of displays.txt with
a desktop scenario: ends with 77 (CTest's skip) when the compositor or what
drives it is not installed."""

import os
import sys
import time
import unittest

from PIL import Image, ImageChops

import displays
import harness
import playfield
import screen
import weston
import wltrace
from e2e_case import table_bytes

OUTPUT = (1280, 960)  # room for the field at 2x in full screen
# The windows' sizes, in the desktop's units.
START, PLAY, INFO = (320, 400), (640, 420), (500, 400)
SPLASH_TOP = (0, 0, 320, 128)  # the start window's picture above its buttons
GRIP = (160, 60)  # where the pointer takes the start window to drag it: on that picture
ABOVE_GRIP = (0, 0, 320, 48)  # the part of the picture the pointer's arrow at GRIP leaves uncovered
PAST_DRAG_DISTANCE = (8, 6)  # the drag becomes the compositor's move after 10 pixels' travel
DRAG, DRAG_STEPS = (60, 40), 4  # then the window goes with the pointer this far
# Where the pointer waits after the drag, from the top left corner. sway draws
# its cursor into its screenshots: on the right edge halfway down it is clear
# of the windows, placed in the middle or the top left, and in full screen on
# the field, not on the black above and below it that the field's check measures.
PARKED = (OUTPUT[0], OUTPUT[1] // 2)
LOGO = (548, 372, 84, 36)  # the play window's logo, which the game never draws over
FULL_SCREEN_FIELD = (0, 60, 2)  # where (x, y, scale) the field lands on OUTPUT
# Rows every broken brick beats: a score in row 0 proves the ball broke one.
OLD_TABLE = [("Ann", "5"), ("Bob", "4"), ("Cid", "3"), ("Dee", "2"), ("Eve", "1")]
NAME = "Wayland"
# A running game shows a new picture every frame; a paused one none.
RUNNING_COMMITS, QUIET_SECONDS = 10, 0.5
TITLE_SECONDS = 2.0  # the level title and the stage's first frames, after which P counts
# The start window's picture enlarged 1.5 times with Pillow's bilinear filter
# against the screen's, which Qt draws at 2x and the compositor shrinks by
# 0.75 with a filter of its own: the two differ by a few levels on average
# and up to about 150 of 255 on sharp edges (measured: mean 2 to 6, at most
# 1 % of the pixels beyond 96). Moved by two screen pixels, 6 % are beyond.
SCALED_MEAN, SCALED_EDGE, SCALED_EDGE_SHARE = 12, 96, 0.02
# Where the ball flies between the bricks and the paddle, and how far the
# field's pixels there, read back at 1x by taking the nearest screen pixel,
# may stray from the committed background (measured: 33 at most).
OPEN_FIELD, FIELD_TOLERANCE = (10, 190, 520, 198), 60
BALL = 15  # the ball's size on the field


class DesktopScenario(unittest.TestCase):
    compositor = None  # a name of displays.txt

    def setUp(self):
        reason = displays.missing(self.compositor)
        if reason:
            self.skipTest(reason)
        self.scale = displays.SERVERS[self.compositor].options.get("scale", 1)
        self.s = harness.Session(self.id(), screen_size=OUTPUT, display=self.compositor)
        self.addCleanup(self.s.close)
        self.s.write_highscores(table_bytes(OLD_TABLE))
        self.s.launch()

    def wait(self, condition, what, timeout=harness.WINDOW_TIMEOUT):
        return self.s.wait_for(condition, timeout, what)

    def commits_in(self, window, seconds):
        before = self.s.trace.read() and window.commits
        time.sleep(seconds)
        return self.s.trace.read() and window.commits - before

    def wait_paused(self, window, what):
        self.wait(lambda: self.commits_in(window, QUIET_SECONDS) == 0, what, timeout=10)

    def press_p(self, window, what):  # until the game runs: pictures come again
        self.s.press_until("p", lambda: self.commits_in(window, QUIET_SECONDS) >= RUNNING_COMMITS, what)

    def drag_start_window(self, start):
        """Dragged by its picture, the start window goes with the pointer: the
        program asks the compositor to move it, which holds it by the point
        where the button went down (mutter) or where it took the pointer over
        and left the window (sway, KWin)."""
        mouse = self.s.pointer()
        steer = wltrace.SteeredPointer(mouse, self.s.trace, OUTPUT)
        pressed = steer.point_at(start, GRIP, harness.WINDOW_TIMEOUT)
        if pressed is None:
            self.s.fail("the pointer did not reach %r on the start window" % (GRIP,))
        shot = self.s.screenshot()
        old = shot and weston.find_picture(shot, self.splash(), ABOVE_GRIP)
        if shot and not old:
            self.s.fail("the start window's picture is not on the screen before the drag")
        mouse.down()
        mouse.move_by(*PAST_DRAG_DISTANCE)
        self.wait(lambda: start.move_requests, "the start window to ask the compositor to move it")
        for _ in range(DRAG_STEPS):  # over about the time a key is held
            time.sleep(harness.KEY_HOLD / DRAG_STEPS)
            mouse.move_by(DRAG[0] // DRAG_STEPS, DRAG[1] // DRAG_STEPS)
        mouse.up()
        held = steer.nudged_onto(start, lambda: (GRIP, self.s.trace.pointer_left_at), harness.WINDOW_TIMEOUT)
        if held is None:
            self.s.fail("the pointer is over neither %r nor %r of the start window but at %r"
                           % (GRIP, self.s.trace.pointer_left_at, steer.on(start)))
        released = (pressed[0] + PAST_DRAG_DISTANCE[0] + DRAG[0], pressed[1] + PAST_DRAG_DISTANCE[1] + DRAG[1])
        if old:  # as far as the pointer went, less its travel before the compositor took hold
            new = (old[0] + released[0] - pressed[0] - (held[0] - GRIP[0]),
                   old[1] + released[1] - pressed[1] - (held[1] - GRIP[1]))
            self.screenshot_checks(lambda shot: weston.find_picture(shot, self.splash(), ABOVE_GRIP) == new,
                                   "the start window's picture moved from %r to %r" % (old, new))
        steer.to_corner()  # and back to where the button went up: the held point again
        mouse.move_by(*released)
        self.wait(lambda: steer.on(start) == held, "the pointer back where it let go, over %r" % (held,))
        steer.to_corner()
        mouse.move_by(*PARKED)

    def screenshot_checks(self, check, what):
        """check(shot) on a screenshot, where the compositor offers one."""
        deadline = time.monotonic() + 10
        while True:
            shot = self.s.screenshot()
            if shot is None or check(shot):
                return
            if time.monotonic() > deadline:
                self.s.fail("the screen does not show %s" % what)
            time.sleep(0.2)

    def test_a_whole_game(self):
        start = self.s.wait_keyboard(START, "the start window")
        if any(mode != 1 for mode in start.decoration_modes):
            self.s.fail("the start window settled on server-side decorations: %r" % start.decoration_modes)
        self.screenshot_checks(self.undecorated, "the start window's picture with no border or title bar around it")
        self.drag_start_window(start)

        self.s.press("space")  # Start has the focus
        play = self.s.wait_keyboard(PLAY, "the play window")
        self.screenshot_checks(lambda shot: playfield.title_shown(shot.crop(*self.field_at(shot), *PLAY)),
                               "the level title")
        time.sleep(TITLE_SECONDS)  # the title is one still picture: no pictures come while it shows
        self.wait_paused(play, "the play window waiting for P after the level title")
        self.press_p(play, "P to set the game running")
        time.sleep(2.0)  # the ball reaches the wall

        other = self.s.server.tool  # wlinput, which shows a small window of its own
        other.show()
        self.wait(lambda: self.s.trace.focused() is not play, "the keyboard to leave the play window")
        self.wait_paused(play, "the game paused behind another client's window")
        token = other.activation_token()  # as a launcher gets one for the program it starts
        status = self.s.start_again(**({"XDG_ACTIVATION_TOKEN": token} if token else {}))
        self.s.check(status == 0, "the second start ended with %s" % status)
        if token is not None:  # without it GNOME and KDE only mark the window as wanting attention
            self.wait(lambda: token in self.s.trace.activations, "the running copy to present the token %r" % token)
        if not self.s.server.token_focuses:  # the keyboard comes back when the other window goes
            other.hide()
        self.s.wait_keyboard(PLAY, "the play window brought back by the second start")
        if self.s.server.token_focuses:
            other.hide()
        self.press_p(play, "P to resume the game")

        self.s.press("F11")
        self.wait(lambda: play.fullscreen_requests and play.buffer == OUTPUT, "the play window in full screen")
        self.screenshot_checks(lambda shot: playfield.field_in(shot) == FULL_SCREEN_FIELD,
                               "the field at (x, y, scale) %r" % (FULL_SCREEN_FIELD,))
        self.s.press("F11")
        self.wait(lambda: play.buffer == PLAY, "the play window back at its size")

        self.s.press_until("q", lambda: (self.s.trace.focused() not in (None, play, start) and
                                         self.s.trace.focused().buffer not in (START, PLAY)),
                           "the high-score box with the keyboard", seconds=5)
        self.s.press("Return")
        self.s.wait_keyboard(START, "the start window after the game")
        self.s.type_text(NAME)
        self.s.press("Return")

        def saved():
            data = self.s.read_highscores()
            return data if data.startswith(NAME.encode() + b"\r\n") else None
        data = self.wait(saved, "highscore.txt with %s in row 0" % NAME)
        score = data.split(b"\r\n")[1]
        self.assertRegex(score.decode(), r"^[1-9][0-9]*0$", "no brick was broken: %r" % data)
        self.assertEqual(data, table_bytes([(NAME, score.decode())] + OLD_TABLE[:4]))

        self.s.press("Tab")  # from Start to Exit
        self.s.press("space")
        self.assertEqual(self.s.wait_exit(), 0, "Exit did not end the program with 0")

    def test_windows_at_scale(self):
        """On a desktop scaled to 150 % every window keeps its size in the
        desktop's units, drawn at a whole-number scale (the compositor makes
        the rest); the start window shows its picture 1.5 times enlarged, and
        a running game leaves no ball behind on the field."""
        start = self.s.wait_keyboard(START, "the start window")
        self.screenshot_checks(lambda shot: self.splash_enlarged(shot) is None, "the start window's picture at "
                               "%g times its size" % self.scale)
        self.s.key_down("Shift_L")  # back from Start to Info
        self.s.press("Tab")
        self.s.key_up("Shift_L")
        self.s.press("space")
        info = self.s.wait_keyboard(INFO, "the info window")
        self.s.press("space")  # Back to Main has the focus
        self.s.wait_keyboard(START, "the start window back from the info window")
        self.s.press("Tab")  # from Info round to Start
        self.s.press("space")
        play = self.s.wait_keyboard(PLAY, "the play window")
        time.sleep(TITLE_SECONDS)
        self.wait_paused(play, "the play window waiting for P after the level title")
        self.press_p(play, "P to set the game running")
        for window, size in ((start, START), (info, INFO), (play, PLAY)):
            scale = window.buffer[0] // size[0]
            self.assertEqual(window.buffer, (size[0] * scale, size[1] * scale), "drawn at a whole-number scale")
        balls = set()  # where the ball was seen on the open field
        deadline = time.monotonic() + 3
        while time.monotonic() < deadline:
            field = self.field_at_1x(self.s.screenshot())
            if not playfield.paused_notice(field):  # a lost ball waits at the paddle, the notice on the field
                box = ImageChops.difference(field.crop(*OPEN_FIELD).picture, playfield.background().crop(
                    *OPEN_FIELD).picture).convert("L").point(lambda v: 255 if v > FIELD_TOLERANCE else 0).getbbox()
                if box and (box[2] - box[0] > BALL + 1 or box[3] - box[1] > BALL + 1):
                    self.s.fail("more than one ball on the open field: drawn over %r" % (box,))
                balls.add(box)
        self.assertGreater(len(balls - {None}), 1, "the ball not seen moving on the open field")

    def on_screen(self, shot, size):
        """The window of size (in the desktop's units) on shot, as an Image at
        its scaled size: found as what differs from the desktop's colour."""
        desktop = screen.Image(shot.picture.copy())
        desktop.picture.paste(shot.pixel(0, 0), (0, 0, shot.width, shot.height))
        box = ImageChops.difference(shot.picture, desktop.picture).convert("L").point(
            lambda v: 255 if v > 16 else 0).getbbox()
        want = (round(size[0] * self.scale), round(size[1] * self.scale))
        if box is None or abs(box[2] - box[0] - want[0]) > 1 or abs(box[3] - box[1] - want[1]) > 1:
            return None  # one pixel more where the compositor rounds a place between two pixels
        return shot.crop(box[0], box[1], *want)

    def splash_enlarged(self, shot):
        """None when the start window shows its picture enlarged by the scale, else what is wrong."""
        window = self.on_screen(shot, START)
        if window is None:
            return "no window of %r" % (START,)
        size = (round(SPLASH_TOP[2] * self.scale), round(SPLASH_TOP[3] * self.scale))
        want = self.splash().crop(*SPLASH_TOP).picture.resize(size, Image.Resampling.BILINEAR)
        diff = screen.Image(ImageChops.difference(window.crop(0, 0, *size).picture, want))
        mean = max(diff.mean((0, 0) + size))
        edges = diff.count(lambda c: max(c) > SCALED_EDGE) / (size[0] * size[1])
        return None if mean <= SCALED_MEAN and edges <= SCALED_EDGE_SHARE else "mean %.1f, %.3f beyond" % (mean, edges)

    def field_at_1x(self, shot):
        window = self.on_screen(shot, PLAY)
        if window is None:
            self.s.fail("the play window is not on the screen at %g times %r" % (self.scale, PLAY))
        return screen.Image(window.picture.resize(PLAY, Image.Resampling.NEAREST))

    def undecorated(self, shot):
        """The start window's picture, pixel for pixel, in a ring of the desktop's own colour."""
        origin = weston.find_picture(shot, self.splash(), SPLASH_TOP)
        if origin is None:
            return False
        x, y = origin
        desktop = shot.pixel(0, 0)
        ring = [(x + dx, y - 1) for dx in range(-1, START[0] + 1)] + [(x - 1, y + dy) for dy in range(START[1])]
        return all(shot.pixel(*p) == desktop for p in ring)

    @staticmethod
    def splash():
        return screen.load(os.path.join(harness.source_dir(), "windows", "pictures", "splash.png"))

    def field_at(self, shot):
        """Where the play window is on the screen: its logo found, pixel for pixel."""
        return weston.find_picture(shot, playfield.background(), LOGO) or (0, 0)


def scenario(name):
    return type("Under" + name.capitalize(), (DesktopScenario,), {"compositor": name})


if __name__ == "__main__":
    name = sys.argv.pop(1)
    reason = displays.missing(name)
    if reason:
        print("skipped: %s" % reason)
        sys.exit(77)
    test = {"game": "test_a_whole_game", "scaled": "test_windows_at_scale"}[displays.SERVERS[name].desktop]
    result = unittest.TextTestRunner(verbosity=2).run(scenario(name)(test))
    sys.exit(0 if result.wasSuccessful() else 1)
