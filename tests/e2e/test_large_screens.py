"""Large and several screens: whole-number scaling with crisp pictures, moving
the borderless windows by dragging them, and opening on the pointer's screen.

Scale is set the two ways a desktop can: the desktop's own setting (the
Xft.dpi resource, 96 dpi per 100%), which the program rounds to a whole
number, and Qt's QT_SCALE_FACTOR / QT_SCREEN_SCALE_FACTORS, which Qt takes as
given.
"""

import os
import shutil
import time
import unittest

import e2e_case
import harness
import playfield
import screen

BIG = (2048, 1536)
START, INFO, PLAY = (320, 400), (500, 400), (640, 420)
PAUSED_TEXT = (226, 195, 90, 30)  # where "Paused" is printed
LIVES_TEXT = (544, 146, 70, 16)
START_PICTURE_ONLY = (0, 0, 320, 126)  # the title logo band, above the buttons
INFO_PICTURE_ONLY = (0, 0, 500, 350)   # everything above Back to Main's row


def picture(name):
    return screen.load_png(os.path.join(harness.source_dir(), "windows", "pictures", name))


def scaled(size, factor):
    return int(size[0] * factor), int(size[1] * factor)


class LargeScreens(e2e_case.E2ECase):
    screen_size = (harness.SCREEN_W, harness.SCREEN_H)

    def setUp(self):
        self.open_session()

    def open_session(self, screen_size=None, env=None, xft_dpi=None):
        """A fresh X server and program folder; the previous one is closed."""
        if getattr(self, "s", None) is not None:
            self.s.close()
        self.s = harness.Session(self.id(), self.folder_name, screen_size or self.screen_size)
        self.addCleanup(self.s.close)
        self.player = playfield.Player(self.s)
        self.s.env.update(env or {})
        if xft_dpi is not None:
            self.s.run("xprop", "-root", "-f", "RESOURCE_MANAGER", "8s", "-set", "RESOURCE_MANAGER",
                       "Xft.dpi:\t%d\n" % xft_dpi)

    def wait_moved_to(self, window, x, y):
        def there():
            now = self.s.window_info(window.wid)
            return now if now is not None and (now.x, now.y) == (x, y) else None
        return self.s.wait_for(there, 10, "%r to move to +%d+%d" % (window, x, y))

    def drag(self, window, x, y, dx, dy, steps=6):
        """Left button down at a point of window, travel by (dx, dy), up."""
        self.s.move_to(window, x, y)
        self.s.run("xdotool", "mousedown", "1")
        gx, gy = window.x + x, window.y + y
        for i in range(1, steps + 1):
            self.s.run("xdotool", "mousemove", str(gx + dx * i // steps), str(gy + dy * i // steps))
            time.sleep(0.03)
        time.sleep(0.2)
        self.s.run("xdotool", "mouseup", "1")
        time.sleep(0.2)

    def assert_blocks(self, shot, original, area, factor, what):
        """Every device pixel of area shows exactly the picture pixel it enlarges."""
        x0, y0, w, h = area
        off = 0
        for y in range(y0, y0 + h):
            for x in range(x0, x0 + w):
                want = original.pixel(x, y)
                for dy in range(factor):
                    for dx in range(factor):
                        if shot.pixel(x * factor + dx, y * factor + dy) != want:
                            off += 1
        self.s.check(off == 0, "%s: %d device pixels are not a copy of their picture pixel "
                               "(smoothed or shifted)" % (what, off))

    def keep_shot(self, shot, name):
        """Saved with the artefacts; docs/ holds copies for GUARANTEES.md."""
        path = os.path.join(harness.artifacts_dir(), name)
        shot.save_png(path)
        return path

    # ---- moving by dragging ------------------------------------------------

    def test_dragging_the_background_moves_the_start_window_and_buttons_still_work(self):
        start = self.launch_to_start_window()
        self.drag(start, 220, 60, 150, 80)  # on the title logo
        moved = self.wait_moved_to(start, start.x + 150, start.y + 80)

        # A drag that begins on a button is the button's: nothing moves, and
        # releasing away from it clicks nothing.
        self.drag(moved, *playfield.START_BUTTON, -120, 90)
        time.sleep(0.5)
        now = self.s.window_info(moved.wid)
        self.s.check(now is not None and (now.x, now.y) == (moved.x, moved.y),
                     "a drag from the Start button moved the window to %r" % now)
        self.s.check([w.wid for w in self.s.windows()] == [start.wid], "a drag from Start started something")

        self.s.click(moved, *playfield.INFO_BUTTON)
        info = self.s.wait_window("Tilebash", INFO, what="the information window after Info")
        self.drag(info, 300, 30, -70, 40)
        self.wait_moved_to(info, info.x - 70, info.y + 40)
        back_at = self.s.window_info(info.wid)
        self.s.click(back_at, *playfield.BACK_BUTTON)
        again = self.s.wait_start_window()
        self.assertEqual((again.x, again.y), (moved.x, moved.y), "the start window kept its new place")

    def test_during_play_the_play_window_moves_by_its_status_side_only(self):
        start = self.launch_to_start_window()
        play = self.player.play_to_paused(start)
        self.drag(play, 300, 200, 100, 60)  # in the play area
        time.sleep(0.5)
        now = self.s.window_info(play.wid)
        self.s.check(now is not None and (now.x, now.y) == (play.x, play.y),
                     "a drag in the play area moved the play window to %r" % now)
        self.drag(play, 585, 300, -120, 50)  # below the status panels
        moved = self.wait_moved_to(play, play.x - 120, play.y + 50)
        self.player.wait_paused(moved, what="the game still paused after the move")
        self.player.resume(moved)
        self.player.quit(moved)

    # ---- scale -------------------------------------------------------------

    def test_scale_is_rounded_to_whole_numbers_from_the_desktop_and_taken_as_given_from_qt(self):
        cases = [  # (what, environment, Xft.dpi, expected factor)
            ("desktop 100%", {}, 96, 1),
            ("desktop 125%", {}, 120, 1),
            ("desktop 150%", {}, 144, 1),
            ("desktop 175%", {}, 168, 2),
            ("desktop 200%", {}, 192, 2),
            ("desktop 250%", {}, 240, 2),
            ("desktop 300%", {}, 288, 3),
            ("QT_SCALE_FACTOR=1.25", {"QT_SCALE_FACTOR": "1.25"}, None, 1.25),
            ("QT_SCALE_FACTOR=1.5", {"QT_SCALE_FACTOR": "1.5"}, None, 1.5),
            ("QT_SCALE_FACTOR=2", {"QT_SCALE_FACTOR": "2"}, None, 2),
            ("QT_SCREEN_SCALE_FACTORS=1.5", {"QT_SCREEN_SCALE_FACTORS": "1.5"}, None, 1.5),
        ]
        for what, env, dpi, factor in cases:
            with self.subTest(what):
                self.open_session(BIG, env, dpi)
                self.s.launch()
                start = self.s.wait_window("Tilebash", what="the start window (%s)" % what)
                self.s.check(start.size == scaled(START, factor), "%s: the start window is %dx%d, expected %dx%d"
                             % ((what,) + start.size + scaled(START, factor)))

    def test_at_twice_the_scale_pictures_are_crisp_blocks_and_text_is_finer(self):
        self.open_session(BIG, {"QT_SCALE_FACTOR": "2"})
        self.s.launch()
        start = self.s.wait_window("Tilebash", scaled(START, 2), what="the 640x800 start window")
        centre = ((BIG[0] - start.width) // 2, (BIG[1] - start.height) // 2)
        self.s.check(abs(start.x - centre[0]) <= 2 and abs(start.y - centre[1]) <= 2,
                     "%r is not centred on the %dx%d screen" % ((start,) + BIG))
        time.sleep(0.5)  # let it paint
        shot = self.s.screenshot(start)
        self.keep_shot(shot, "hidpi-start.png")
        self.assert_blocks(shot, picture("splash.png"), START_PICTURE_ONLY, 2, "start window logo band")
        # The table's text is drawn at the screen's resolution, not as blocks.
        x, y, w, h = playfield.name_box(0)
        fine = sum(1 for by in range(y * 2, (y + h) * 2, 2) for bx in range(x * 2, (x + w) * 2, 2)
                   if len({shot.pixel(bx + i, by + j) for i in (0, 1) for j in (0, 1)}) > 1)
        self.s.check(fine > 20, "the first name box shows its text as 2x2 blocks only (%d finer blocks)" % fine)

        self.s.click(start, *(2 * c for c in playfield.INFO_BUTTON))
        info = self.s.wait_window("Tilebash", scaled(INFO, 2), what="the 1000x800 information window")
        time.sleep(0.5)
        shot = self.s.screenshot(info)
        self.keep_shot(shot, "hidpi-info.png")
        self.assert_blocks(shot, picture("info.png"), INFO_PICTURE_ONLY, 2, "information window picture")

    def test_at_twice_the_scale_the_play_field_is_crisp_and_its_text_finer(self):
        self.open_session(BIG, {"QT_SCALE_FACTOR": "2"})
        self.s.launch()
        start = self.s.wait_window("Tilebash", scaled(START, 2), what="the 640x800 start window")
        self.s.click(start, *(2 * c for c in playfield.START_BUTTON))
        play = self.s.wait_window("Tilebash", scaled(PLAY, 2), what="the 1280x840 play window")

        # The title leaves the panel empty; the first frame prints it.
        def first_frame():
            shot = self.s.screenshot(play)
            return shot if self.finer_blocks(shot, LIVES_TEXT) > 10 else None
        shot = self.s.wait_for(first_frame, 15, "the first frame's status text, drawn finer than 2x2 blocks")
        self.keep_shot(shot, "hidpi-play.png")
        paused = self.finer_blocks(shot, PAUSED_TEXT)
        self.s.check(paused > 10, "\"Paused\" shows as 2x2 blocks only (%d finer blocks)" % paused)
        # Left of the field's outline nothing is drawn: the background, in blocks.
        self.assert_blocks(shot, picture("playfield.png"), (0, 0, 8, 420), 2, "play window background")

    def finer_blocks(self, shot, area):
        """2x2 device blocks of a window area that are not one colour."""
        x, y, w, h = area
        return sum(1 for by in range(y * 2, (y + h) * 2, 2) for bx in range(x * 2, (x + w) * 2, 2)
                   if len({shot.pixel(bx + i, by + j) for i in (0, 1) for j in (0, 1)}) > 1)

    # ---- several screens -----------------------------------------------------

    @unittest.skipUnless(shutil.which("xrandr"), "xrandr (x11-xserver-utils) is needed to split the screen")
    def test_windows_open_centred_on_the_screen_that_holds_the_pointer(self):
        # One 2048x768 X screen shown as two 1024x768 monitors side by side.
        self.open_session((2048, 768))
        self.s.run("xrandr", "--setmonitor", "left", "1024/271x768/203+0+0", "screen")
        self.s.run("xrandr", "--setmonitor", "right", "1024/271x768/203+1024+0", "none")
        self.s.run("xdotool", "mousemove", "1500", "400")
        start = self.launch_to_start_window()
        expected = (1024 + (1024 - START[0]) // 2, (768 - START[1]) // 2)
        self.s.check((start.x, start.y) == expected,
                     "%r should be centred on the right-hand screen at +%d+%d" % ((start,) + expected))
        self.s.click(start, *playfield.INFO_BUTTON)
        info = self.s.wait_window("Tilebash", INFO, what="the information window")
        expected = (1024 + (1024 - INFO[0]) // 2, (768 - INFO[1]) // 2)
        self.s.check((info.x, info.y) == expected,
                     "%r should be centred on the right-hand screen at +%d+%d" % ((info,) + expected))


if __name__ == "__main__":
    unittest.main()
