"""Large and several screens: whole-number scaling with crisp pictures, full
screen at the largest whole-number scale, moving the borderless windows by
dragging them, and opening on the pointer's screen.

Scale is set the two ways a desktop can: the desktop's own setting (the
Xft.dpi resource, 96 dpi per 100%), which the program rounds to a whole
number, and Qt's QT_SCALE_FACTOR / QT_SCREEN_SCALE_FACTORS, which Qt takes as
given.
"""

import os
import shutil
import time
import unittest

import autopilot
import e2e_case
import harness
import playfield
import screen

BIG = (2048, 1536)
# The windows' sizes, in the desktop's units.
START, PLAY, INFO = (320, 400), (640, 420), (500, 400)
PAUSED_TEXT = (226, 195, 90, 30)  # where "Paused" is printed
LIVES_TEXT = (544, 146, 70, 16)
START_PICTURE_ONLY = (0, 0, 320, 126)  # the title logo band, above the buttons
INFO_PICTURE_ONLY = (0, 0, 500, 350)   # everything above Back to Main's row
FULL_SCREENS = [  # (screen, the largest whole scale that fits, where the field's corner lands, centred)
    ((1920, 1080), 2, (320, 120)),
    ((3840, 2160), 5, (320, 30)),
]
# The texts of a game's first paused frame, a pixel or two to spare around each:
# everywhere else full screen shows the window's very pixels, in blocks.
FIRST_FRAME_TEXTS = [
    ("Paused", (225, 197, 87, 22)),
    ("Point Total:", (542, 88, 76, 14)),
    ("0", (542, 108, 11, 14)),
    ("Lives: 3", (542, 146, 52, 14)),
    ("Level: 1.1", (542, 186, 63, 14)),
    ("--Keys---", (542, 219, 71, 14)),
    ("(P)ause", (542, 234, 41, 14)),
    ("(R)eset", (542, 249, 39, 14)),
    ("(Q)uit", (542, 264, 31, 14)),
]
# Text is drawn afresh at the scale, and the font engine hints each size its
# own way: strokes land a fraction of a pixel apart, so a text is held to its
# box's mean colour in the window within this many levels per channel (5 at
# most here; text left at its 1x size in the scaled frame was 22 to 170 off).
TEXT_MEAN_TOLERANCE = 8


def picture(name):
    return screen.load(os.path.join(harness.source_dir(), "windows", "pictures", name))


BIG_MONITOR, LAPTOP = (0, 0, 1920, 1080), (1920, 0, 1366, 768)


def centred(size, monitor):
    """(x, y, width, height) of a window of size centred on monitor (x, y, width, height)."""
    return (monitor[0] + (monitor[2] - size[0]) // 2, monitor[1] + (monitor[3] - size[1]) // 2) + tuple(size)


def scaled(size, factor):
    return int(size[0] * factor), int(size[1] * factor)


class LargeScreens(e2e_case.E2ECase):
    screen_size = (harness.SCREEN_W, harness.SCREEN_H)

    def setUp(self):
        self.open_session()

    def open_session(self, screen_size=None, env=None, xft_dpi=None, window_manager=None):
        """A fresh X server and program folder; the previous one is closed."""
        if getattr(self, "s", None) is not None:
            self.s.close()
        self.s = harness.Session(self.id(), self.folder_name, screen_size or self.screen_size,
                                 window_manager or "xvfb")
        self.addCleanup(self.s.close)
        self.player = playfield.Player(self.s)
        self.s.env.update(env or {})
        if xft_dpi is not None:
            self.s.x.set_root_text("RESOURCE_MANAGER", "Xft.dpi:\t%d\n" % xft_dpi)

    def wait_moved_to(self, window, x, y):
        def there():
            now = self.s.current(window)
            return now if now is not None and (now.x, now.y) == (x, y) else None
        return self.s.wait_for(there, 10, "%r to move to +%d+%d" % (window, x, y))

    def drag(self, window, x, y, dx, dy, steps=6):
        """Left button down at a point of window, travel by (dx, dy), up."""
        self.s.move_to(window, x, y)
        mouse = self.s.pointer()
        mouse.down()
        gx, gy = window.x + x, window.y + y
        for i in range(1, steps + 1):
            self.s.x.warp(gx + dx * i // steps, gy + dy * i // steps)
            time.sleep(0.03)
        time.sleep(0.2)
        mouse.up()
        time.sleep(0.2)

    def assert_blocks(self, shot, original, area, factor, what):
        """Every device pixel of area shows exactly the picture pixel it enlarges."""
        off = len(shot.blocks_off(original, factor, area))
        self.s.check(off == 0, "%s: %d picture pixels are not shown as exact %dx%d blocks "
                               "(smoothed or shifted)" % (what, off, factor, factor))

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
        now = self.s.current(moved)
        self.s.check(now is not None and (now.x, now.y) == (moved.x, moved.y),
                     "a drag from the Start button moved the window to %r" % now)
        self.s.check([w.wid for w in self.s.windows()] == [start.wid], "a drag from Start started something")

        self.s.click(moved, *playfield.INFO_BUTTON)
        info = self.s.wait_info_window("the information window after Info")
        self.drag(info, 300, 30, -70, 40)
        self.wait_moved_to(info, info.x - 70, info.y + 40)
        back_at = self.s.current(info)
        self.s.click(back_at, *playfield.BACK_BUTTON)
        again = self.s.wait_start_window()
        self.assertEqual((again.x, again.y), (moved.x, moved.y), "the start window kept its new place")

    def test_during_play_the_play_window_moves_by_its_status_side_only(self):
        start = self.launch_to_start_window()
        play = self.player.play_to_paused(start)
        self.drag(play, 300, 200, 100, 60)  # in the play area
        time.sleep(0.5)
        now = self.s.current(play)
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
        shot = self.painted(start, "the start window")
        self.keep_shot(shot, "hidpi-start.png")
        self.assert_blocks(shot, picture("splash.png"), START_PICTURE_ONLY, 2, "start window logo band")
        # The table's text is drawn at the screen's resolution, not as blocks.
        fine = self.finer_blocks(shot, playfield.name_box(0))
        self.s.check(fine > 20, "the first name box shows its text as 2x2 blocks only (%d finer blocks)" % fine)

        self.s.click(start, *(2 * c for c in playfield.INFO_BUTTON))
        info = self.s.wait_window("Tilebash", scaled(INFO, 2), what="the 1000x800 information window")
        shot = self.painted(info, "the information window")
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
        return shot.mixed_blocks(area, 2)

    # ---- full screen ---------------------------------------------------------

    @unittest.skipUnless(shutil.which("openbox"), "openbox is needed: full screen is the window manager's to grant")
    def test_full_screen_shows_the_window_in_whole_blocks_on_black_plays_and_comes_back(self):
        for size, scale, origin in FULL_SCREENS:
            with self.subTest("%dx%d" % size):
                self.open_session(size, window_manager="openbox")
                with autopilot.Camera(self.s) as camera:
                    self.player = playfield.Player(self.s, camera.look)
                    self.visit_full_screen(camera, size, origin + (scale,))

    def visit_full_screen(self, camera, size, place):
        play = self.player.play_to_paused(self.launch_to_start_window())
        windowed = camera.look(play)
        self.s.press("F11")
        full = self.wait_full_screen(play, size, camera, place)
        self.assert_shows_in_blocks_on_black(camera, full, windowed, place)
        for x, y in ((full.width // 2, full.height // 2), (2, 2)):  # on the field, on the border
            self.s.move_to(full, x, y)
            self.s.wait_for(lambda: not self.s.x.cursor_visible(), 10, "the pointer hidden at +%d+%d" % (x, y))
        self.assert_p_left_and_right_play(full)

        other = self.bring_other_window_forward()
        self.player.wait_paused(full, timeout=5, what="\"Paused\" once another window is active")
        seen = camera.d.picture(camera.d.root, (other.x, other.y, other.width, other.height))
        self.s.check(seen.count(lambda c: not screen.is_dark(c, 1)) > other.width * other.height // 2,
                     "the other program's window %r is not in front of full screen" % other)
        self.s.x.activate(full.wid)
        self.wait_active(full, "the play window, back")
        full = self.wait_full_screen(play, size, camera, place)
        self.player.resume(full)

        for leave in ("F11", "Escape"):
            self.s.press(leave)
            back = self.s.wait_for(lambda: self.geometry_is(play.wid, (play.x, play.y) + PLAY), 10,
                                   "%s to bring the play window back to %r" % (leave, play))
            self.s.wait_for(lambda: playfield.frame_shown(camera.look(back)), 10,
                            "the frame at its own size after %s" % leave)
            self.s.press("F11")
            full = self.wait_full_screen(play, size, camera, place)

        # Q leaves the game from full screen; the next Start opens it full screen again.
        start = self.player.quit(full)
        self.s.click(start, *playfield.START_BUTTON)
        again = self.wait_full_screen(None, size, camera, place)
        self.player.wait_paused(again, what="the next game's paused frame, in full screen")
        self.player.quit(again)
        self.s.click(start, *playfield.EXIT_BUTTON)
        self.assert_exit_status(0)

    def geometry_is(self, wid, geometry):
        now = self.s.x.window_info(wid)
        return now if now is not None and (now.x, now.y, now.width, now.height) == geometry else None

    def wait_full_screen(self, play, size, camera, place):
        """The play window covering the screen, with the field shown at place (x, y, scale)."""
        def covering():
            return (self.geometry_is(play.wid, (0, 0) + size) if play is not None
                    else self.s.find_window("Tilebash", size))
        full = self.s.wait_for(covering, 10, "the play window to cover the %dx%d screen" % size)
        self.s.check((full.x, full.y) == (0, 0), "%r does not cover the screen" % full)
        self.s.wait_for(lambda: playfield.field_in(camera.d.picture(full.wid, (0, 0) + size)) == place, 10,
                        "the field shown at (x, y, scale) %r, black all around it" % (place,))
        return full

    def assert_shows_in_blocks_on_black(self, camera, full, windowed, place):
        """The window's paused frame, every pixel an exact block but in its texts,
        which are drawn finer at the scale; black all around."""
        x, y, scale = place
        self.player.wait_paused(full, what="the paused frame in full screen")
        whole = camera.d.picture(full.wid, (0, 0) + full.size)
        self.keep_shot(whole, "full-screen-%dx%d.png" % full.size)
        w, h = PLAY[0] * scale, PLAY[1] * scale
        border = sum(whole.count(lambda c: c != (0, 0, 0), r) for r in (
            (0, 0, full.width, y), (0, y + h, full.width, full.height - y - h), (0, y, x, h),
            (x + w, y, full.width - x - w, h)))
        self.s.check(border == 0, "%d pixels around the field are not black" % border)

        field = whole.crop(x, y, w, h)
        off = [(px, py) for px, py in field.blocks_off(windowed, scale)
               if not any(bx <= px < bx + bw and by <= py < by + bh for _, (bx, by, bw, bh) in FIRST_FRAME_TEXTS)]
        self.s.check(not off, "%d pixels of the window's frame are not exact %dx%d blocks, as at %r"
                     % (len(off), scale, scale, off[:5]))
        for text, (bx, by, bw, bh) in FIRST_FRAME_TEXTS:
            fine = field.mixed_blocks((bx, by, bw, bh), scale)
            self.s.check(fine > 10, "%r is enlarged, not drawn at %dx (%d finer blocks)" % (text, scale, fine))
            shown = field.mean((bx * scale, by * scale, bw * scale, bh * scale))
            off = max(abs(a - b) for a, b in zip(shown, windowed.mean((bx, by, bw, bh))))
            self.s.check(off <= TEXT_MEAN_TOLERANCE, "%r at %dx is %.1f levels from the window's"
                         % (text, scale, off))

    def assert_p_left_and_right_play(self, full):
        """P sets the game running, Left and Right move the paddle. A ball lost
        meanwhile serves again, paused, with the paddle back: then once more."""
        field = autopilot.Field(self.s.folder)
        # A try is spent where a ball was lost, or a press was not seen while the machine held the program back.
        seen = []
        for _ in range(3):
            shots = [self.player.resume(full)]
            for key in ("Left", "Right"):
                self.s.press(key)
                shots.append(self.player.look(full))
            lost = not all(shots[0].same_area(shot, playfield.LIVES_AREA) and not playfield.paused_notice(shot)
                           for shot in shots[1:])
            xs = [field.paddle_x(shot) for shot in shots]
            if not lost and None not in xs and xs[1] < xs[0] and xs[2] > xs[1]:
                return
            seen.append("a ball lost" if lost else xs)
        self.s.fail("the paddle's middle after P, Left, Right, in three tries: %r" % seen)

    # ---- several screens -----------------------------------------------------

    @unittest.skipUnless(shutil.which("openbox"), "openbox is needed: full screen is the window manager's to grant")
    def test_full_screen_fills_the_monitor_the_window_is_on_and_the_choice_is_remembered(self):
        # One 3286x1080 X screen shown as a 1920x1080 monitor and a 1366x768 laptop beside it.
        self.open_session((3286, 1080), window_manager="openbox")
        self.s.x.set_monitor("big", BIG_MONITOR, (508, 286), output="screen")
        self.s.x.set_monitor("laptop", LAPTOP, (344, 194))
        camera = autopilot.Camera(self.s)
        self.addCleanup(camera.close)
        self.player = playfield.Player(self.s, camera.look)
        # On the laptop F11 fills it: the field at 2x smoothed down to its height, black at the sides.
        play = self.game_on(LAPTOP)
        self.s.press("F11")
        full = self.s.wait_for(lambda: self.geometry_is(play.wid, LAPTOP), 10, "the play window to cover the laptop")
        self.assert_sharp_fit(full)
        self.leave_game_and_exit(full)
        # Remembered: the next run opens the game full screen, on the monitor holding the pointer.
        play = self.game_on(BIG_MONITOR)
        full = self.s.wait_for(lambda: self.geometry_is(play.wid, BIG_MONITOR), 10,
                               "the play window to open covering the big monitor, as remembered")
        self.s.wait_for(lambda: playfield.field_in(self.s.screenshot(full)) == (320, 120, 2), 10,
                        "the field at 2x in the middle of the big monitor")
        # Left, it stands where a window would have opened; F11 fills this monitor again.
        self.s.press("Escape")
        self.s.wait_for(lambda: self.geometry_is(play.wid, centred(PLAY, BIG_MONITOR)), 10,
                        "Escape to put the play window where a window opens, centred on the big monitor")
        self.s.press("F11")
        full = self.s.wait_for(lambda: self.geometry_is(play.wid, BIG_MONITOR), 10, "F11 to fill the big monitor")
        self.leave_game_and_exit(full)

    def game_on(self, monitor):
        """The program started with the pointer on monitor, and its play window once Start is clicked."""
        self.s.x.warp(monitor[0] + monitor[2] // 2, monitor[1] + monitor[3] // 2)
        self.s.launch()
        start = self.s.wait_start_window()
        self.s.check((start.x, start.y) + start.size == centred(START, monitor),
                     "%r is not centred on the monitor %r" % (start, monitor))
        self.s.click(start, *playfield.START_BUTTON)
        return self.s.wait_for(lambda: next((w for w in self.s.windows() if w.size != START), None), 10,
                               "the play window")

    def leave_game_and_exit(self, play):
        self.player.wait_paused(play, what="the game paused at its first serve")  # Q counts in play, not the title
        start = self.player.quit(play)
        self.s.click(start, *playfield.EXIT_BUTTON)
        self.assert_exit_status(0)

    def assert_sharp_fit(self, full):
        """The field fills the laptop's height, 1170 columns wide in the middle, on black at the sides."""
        shot = self.s.wait_for(lambda: (shot := self.s.screenshot(full)) and not screen.is_dark(
            shot.pixel(683, 767), 40) and shot, 10, "the field down to the laptop's last row")
        self.keep_shot(shot, "full-screen-sharp-1366x768.png")
        side = (1366 - 1170) // 2
        dark = [shot.count(lambda c: c != (0, 0, 0), r) for r in ((0, 0, side, 768), (side + 1170, 0, side, 768))]
        self.s.check(dark == [0, 0], "%r pixels of the bars beside the field are not black" % dark)
        lit = [shot.count(lambda c: not screen.is_dark(c, 10), (x, 0, 1, 768)) for x in (side, side + 1169)]
        self.s.check(min(lit) > 700, "the field's first and last columns are dark in %r of 768 rows"
                     % [768 - n for n in lit])

    def test_windows_open_centred_on_the_screen_that_holds_the_pointer(self):
        # One 2048x768 X screen shown as two 1024x768 monitors side by side.
        self.open_session((2048, 768))
        self.s.x.set_monitor("left", (0, 0, 1024, 768), (271, 203), output="screen")
        self.s.x.set_monitor("right", (1024, 0, 1024, 768), (271, 203))
        self.s.x.warp(1500, 400)
        start = self.launch_to_start_window()
        expected = (1024 + (1024 - START[0]) // 2, (768 - START[1]) // 2)
        self.s.check((start.x, start.y) == expected,
                     "%r should be centred on the right-hand screen at +%d+%d" % ((start,) + expected))
        self.s.click(start, *playfield.INFO_BUTTON)
        info = self.s.wait_info_window()
        expected = (1024 + (1024 - INFO[0]) // 2, (768 - INFO[1]) // 2)
        self.s.check((info.x, info.y) == expected,
                     "%r should be centred on the right-hand screen at +%d+%d" % ((info,) + expected))


if __name__ == "__main__":
    unittest.main()
