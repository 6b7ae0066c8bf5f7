"""The start window, the information window and the ways out of the program."""

import os
import time
import unittest

import e2e_case
import playfield
from e2e_case import DEFAULT_TABLE


class StartWindow(e2e_case.E2ECase):

    def assert_table_readable(self, shot, rows=range(5)):
        for row in rows:
            for label, rect in (("name", playfield.name_box(row)), ("score", playfield.score_box(row))):
                navy, white = self.table_text_pixels(shot, rect)
                area = rect[2] * rect[3]
                self.s.check(navy > area // 2 and white >= 8,
                             "row %d %s box at %r is not white text on navy (%d navy, %d white pixels)"
                             % (row, label, rect[:2], navy, white))

    def test_first_start_creates_the_default_table_and_shows_it_frameless_and_centred(self):
        self.assertFalse(os.path.exists(self.s.highscore_path))
        start = self.launch_to_start_window()
        self.assert_frameless_and_centred(start, (320, 400))
        self.assertEqual(self.s.read_highscores(), DEFAULT_TABLE)
        others = [w for w in self.s.x.viewable() if w.wid != start.wid]
        self.s.check(not others, "only the start window should be on screen, also found %r" % others)
        self.assert_table_readable(self.s.screenshot(start))

    def test_exit_ends_the_program_with_status_0_and_no_window_left(self):
        start = self.launch_to_start_window()
        self.s.click(start, *playfield.EXIT_BUTTON)
        self.assert_exit_status(0)
        self.assert_no_window_left()

    def test_close_request_to_the_start_window_ends_the_program(self):
        start = self.launch_to_start_window()
        self.s.x.send_close_request(start.wid)
        self.assert_exit_status(0)
        self.assert_no_window_left()

    def test_clicks_outside_the_rounded_button_shapes_do_nothing(self):
        start = self.launch_to_start_window()
        corners = [(26, 130),    # Start, top-left corner
                   (118, 166),   # Start, bottom-right corner
                   (120, 148),   # the column Start and Info share
                   (198, 130),   # Info, top-right corner
                   (202, 166),   # Exit, bottom-left corner
                   (294, 130)]   # Exit, top-right corner
        for point in corners:
            self.s.click(start, *point)
            deadline = time.monotonic() + 1.0
            while time.monotonic() < deadline:
                self.s.check(self.s.proc.poll() is None, "a click at %r ended the program" % (point,))
                now = self.s.windows()
                self.s.check([w.wid for w in now] == [start.wid],
                             "a click at %r outside the button shapes changed the windows: %r" % (point, now))
                time.sleep(0.1)
        # The same button takes a click inside its shape.
        play = self.player.click_start(start)
        self.player.watch_title(play)
        self.player.wait_paused(play)
        self.player.quit(play)

    def test_info_and_back_to_main_switch_windows_without_reloading_the_table(self):
        start = self.launch_to_start_window()
        table_before = self.s.screenshot(start).crop(64, 192, 201, 115)
        self.s.click(start, *playfield.INFO_BUTTON)
        info = self.s.wait_info_window()
        self.assert_frameless_and_centred(info, (500, 400))
        self.s.wait_gone(start, what="the start window to hide")
        shot = self.s.screenshot(info)
        colours = set(shot.pixels((0, 0, 500, 400)))
        self.s.check(len(colours) > 50, "the information window shows no picture (%d colours)" % len(colours))

        # A table written meanwhile is not read again when the start window returns.
        self.s.write_highscores(e2e_case.table_bytes([("Someone", "1")] * 5))
        self.s.click(info, 18, 354)  # inside the button's rectangle, above its shape (8 px cut)
        time.sleep(1.0)
        self.s.check(self.s.current(info) is not None and self.s.current(start) is None,
                     "a click above Back to Main's shape switched windows")
        self.s.click(info, *playfield.BACK_BUTTON)
        back = self.s.wait_start_window()
        self.s.wait_gone(info, what="the information window to hide")
        self.assertEqual(back.wid, start.wid, "Back to Main should show the same start window again")
        # Until it is painted again the window may show anything: a table that
        # was reloaded never comes back as it was.
        def table_as_before():
            return self.s.screenshot(back).crop(64, 192, 201, 115).same_area(table_before, (0, 0, 201, 115))
        self.s.wait_for(table_as_before, 10, "the table as it was after Back to Main (it was reloaded)")

        self.s.click(back, *playfield.INFO_BUTTON)
        again = self.s.wait_info_window("the information window a second time")
        self.assertEqual(again.wid, info.wid, "Info should show the same information window again")


if __name__ == "__main__":
    unittest.main()
