"""A missing sprite sheet and damaged high-score files: reported or tolerated,
never a crash."""

import os
import random
import signal
import time
import unittest

import e2e_case
import playfield
from e2e_case import table_bytes


class MissingSheet(e2e_case.E2ECase):

    def test_a_missing_sprite_sheet_is_reported_and_ends_the_program_without_a_crash(self):
        os.remove(os.path.join(self.s.folder, "Images", "bitmaps.bmp"))
        start = self.launch_to_start_window()
        self.s.click(start, *playfield.START_BUTTON)
        box = self.s.wait_dialog(what="the message box reporting the missing sprite sheet")
        self.assert_dialog(box)
        self.s.check(self.s.find_window(size=(640, 420)) is None, "the play window opened without its sheet")
        self.close_message_box(box)
        status = self.s.wait_exit()
        self.s.check(status >= 0, "the program died of signal %s" % signal.Signals(-status).name
                     if status < 0 else "")
        self.s.check(status != 0, "the program reported success (status 0) after failing to load its sheet")
        self.assert_no_window_left()


class DamagedTable(e2e_case.E2ECase):

    def survive(self, data, play=True):
        """Starts with data as highscore.txt, plays a game ended with Q (so the score
        meets the table), confirms any name entry and exits. Returns the file then."""
        self.s.write_highscores(data)
        start = self.launch_to_start_window()
        if play:
            game = self.player.play_to_paused(start)
            start = self.player.quit(game)
            deadline = time.monotonic() + 1.5
            while time.monotonic() < deadline and not self.s.dialogs():
                time.sleep(0.1)
            if self.s.dialogs():
                self.close_high_score_box()
                self.s.press("Return")
                time.sleep(0.5)
        self.s.click(start, *playfield.EXIT_BUTTON)
        self.assert_exit_status(0)
        return self.s.read_highscores()

    def assert_ten_lines_if_rewritten(self, before, after):
        if after != before:
            lines = after.split(b"\r\n")
            self.assertEqual(len(lines), 11, "a rewritten table has ten CR LF lines: %r" % after[:300])
            self.assertEqual(lines[-1], b"")

    def test_three_lines_show_the_rows_read_and_empty_rows_scoring_0(self):
        data = b"Ann\r\n500\r\nBob\r\n"
        self.s.write_highscores(data)
        start = self.launch_to_start_window()
        shot = self.s.screenshot(start)
        for row in (0, 1):
            self.s.check(self.table_text_pixels(shot, playfield.name_box(row))[1] >= 8,
                         "the name of row %d is not shown" % row)
        ann_score = self.table_text_pixels(shot, playfield.score_box(0))[1]
        for row in (2, 3, 4):
            self.s.check(self.table_text_pixels(shot, playfield.name_box(row))[1] == 0,
                         "row %d should have an empty name" % row)
        for row in (1, 2, 3, 4):
            white = self.table_text_pixels(shot, playfield.score_box(row))[1]
            self.s.check(0 < white < ann_score, "row %d should show the score 0 (%d white pixels, '500' has %d)"
                         % (row, white, ann_score))
        game = self.player.play_to_paused(start)
        self.player.quit(game)
        self.assert_no_dialog_for(1.5, "a score of 0 does not beat rows scoring 0")
        self.s.click(self.s.wait_start_window(), *playfield.EXIT_BUTTON)
        self.assert_exit_status(0)

    def test_non_numeric_and_huge_scores(self):
        data = table_bytes([("Ann", "abc"), ("Bob", "99999999999999999999"), ("Cid", "-99999999999"),
                            ("Dee", "12x"), ("Eve", "")])
        self.assert_ten_lines_if_rewritten(data, self.survive(data))

    def test_lf_only_line_ends(self):
        data = b"Ann\n400\nBob\n300\nCid\n200\nDee\n100\nEve\n-1\n"
        self.assert_ten_lines_if_rewritten(data, self.survive(data))

    def test_long_names_and_many_lines(self):
        data = table_bytes([("A" * 300, "-1")] * 5) + b"extra\r\n" * 1000
        # Names are cut to ten characters, the rest is ignored; 0 beats -1 and
        # an empty confirmed name is "Anonymous".
        expected = table_bytes([("Anonymous", "0")] + [("A" * 10, "-1")] * 4)
        self.assertEqual(self.survive(data), expected)

    def test_megabytes_of_binary(self):
        data = random.Random(20240607).randbytes(4 * 1024 * 1024)
        self.assert_ten_lines_if_rewritten(data, self.survive(data))


if __name__ == "__main__":
    unittest.main()
