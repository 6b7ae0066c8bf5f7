"""The real program on Wayland, under a private headless Weston with Qt's
Wayland platform plugin and no X display to fall back on: the start window
comes up showing its picture, SIGTERM ends the program as it does under X, and
Qt says nothing about its platform; started with --fullscreen, the game covers
the output at the largest whole-number scale."""

import os
import re
import signal
import unittest

import atspi
import harness
import playfield
import screen
import weston

# Parts of the start window where only its picture shows: above the buttons,
# and below the version label.
PICTURE_ABOVE_BUTTONS = (0, 0, 320, 128)
PICTURE_AT_THE_BOTTOM = (0, 340, 320, 60)
# What Qt prints about its platform plugin or the compositor.
PLATFORM_WARNING = re.compile(r"qt\.qpa|wayland|platform plugin|xcb|could not|failed", re.I)
# An output for full screen, and where the field must land on it: (x, y, scale),
# the largest whole scale that fits, centred.
FULL_SCREEN_OUTPUT = (1920, 1080)
FULL_SCREEN_FIELD = (320, 120, 2)
LEFT_OF_THE_OUTLINE = (0, 0, 8, 420)  # nothing is drawn there: the background shows


class Wayland(unittest.TestCase):

    def open_session(self, size=(harness.SCREEN_W, harness.SCREEN_H)):
        self.s = harness.Session(self.id(), screen_size=size, display="weston_pixman")
        self.addCleanup(self.s.close)
        self.splash = screen.load(os.path.join(harness.source_dir(), "windows", "pictures", "splash.png"))

    def find_start_window(self, shot):
        return weston.find_picture(shot, self.splash, PICTURE_ABOVE_BUTTONS)

    def test_start_window_shows_its_picture_and_sigterm_ends_the_program_without_platform_warnings(self):
        # As a Wayland session without X starts it: no platform named, the program finds Wayland.
        self.open_session()
        del self.s.env["QT_QPA_PLATFORM"]
        self.s.launch()

        def start_window():
            shot = self.s.screenshot()
            origin = self.find_start_window(shot)
            return (shot, origin) if origin is not None else None
        shot, origin = self.s.wait_for(start_window, harness.WINDOW_TIMEOUT, "the start window's picture on the screen")

        # The compositor placed it; all of it is on the screen, drawn 1:1.
        x, y = origin
        if not (0 <= x and 0 <= y and x + 320 <= shot.width and y + 400 <= shot.height):
            self.s.fail("the start window at %r is not wholly on the screen" % (origin,))
        window = shot.crop(x, y, 320, 400)
        if not window.same_area(self.splash, PICTURE_AT_THE_BOTTOM):
            self.s.fail("the bottom of the start window at %r is not its picture (%d pixels differ)"
                        % (origin, window.count_different(self.splash, PICTURE_AT_THE_BOTTOM)))
        for row in range(5):
            for rect in (playfield.name_box(row), playfield.score_box(row)):
                navy, white = window.count(screen.is_navy, rect), window.count(screen.is_white, rect)
                if not (navy > rect[2] * rect[3] // 2 and white >= 8):
                    self.s.fail("table box %r of row %d is not white text on navy (%d navy, %d white)"
                                % (rect, row, navy, white))

        self.s.proc.send_signal(signal.SIGTERM)
        status = self.s.wait_exit()
        # As under X (docs/GUARANTEES.md): the default action, nothing left behind.
        self.s.check(status in (0, -signal.SIGTERM), "the program ended with status %s after SIGTERM" % status)
        self.assertTrue(harness.poll_for(lambda: self.find_start_window(self.s.screenshot()) is None, 10),
                        "the start window is still on the screen after the program ended")
        left = sorted(os.listdir(self.s.folder))
        self.assertEqual(left, sorted(set(os.listdir(harness.program_dir())) | {"highscore.txt"}),
                         "files left beside the program")

        warnings = [line for line in self.s.program_log().splitlines() if PLATFORM_WARNING.search(line)]
        self.assertEqual(warnings, [], "Qt warned about its platform:\n%s" % self.s.program_log())

    def test_started_with_fullscreen_the_game_covers_the_output_at_the_largest_whole_scale(self):
        reason = atspi.missing()
        if reason:
            self.skipTest(reason)
        self.open_session(FULL_SCREEN_OUTPUT)
        bus = atspi.AccessibilityBus(self.s.root, self.s.env)
        self.addCleanup(bus.stop)
        self.s.launch(args=["--fullscreen"])
        # Nothing types or clicks into a headless Weston: Start is pressed as a
        # switch device presses it, through the accessibility bus.
        self.s.wait_for(lambda: bus.press("Start"), harness.WINDOW_TIMEOUT, "the Start button on the accessibility bus")
        x, y, scale = FULL_SCREEN_FIELD
        w, h = playfield.background().width * scale, playfield.background().height * scale

        def paused():
            shot = self.s.screenshot()
            # Found only with every pixel around the field black.
            if playfield.field_in(shot) != FULL_SCREEN_FIELD:
                return None
            frame = shot.crop(x, y, w, h).reduced(scale)
            return shot if playfield.frame_shown(frame) and playfield.paused_notice(frame) else None
        shot = self.s.wait_for(paused, harness.WINDOW_TIMEOUT,
                               "the paused game at (x, y, scale) %r on black" % (FULL_SCREEN_FIELD,))
        path = os.path.join(harness.artifacts_dir(), "wayland-full-screen.png")
        shot.save_png(path)
        field = shot.crop(x, y, w, h)
        off = field.blocks_off(playfield.background(), scale, LEFT_OF_THE_OUTLINE)
        if off:
            self.s.fail("%d pixels left of the field's outline are not exact %dx%d blocks of the background, "
                        "as at %r" % (len(off), scale, scale, off[:5]))


if __name__ == "__main__":
    unittest.main()
