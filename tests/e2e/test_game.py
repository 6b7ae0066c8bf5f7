"""Whole games: the play window, the level title, pause and play, the keys that
end a game, close requests, and the high-score entry down to the file's bytes."""

import subprocess
import time
import unittest

import e2e_case
import harness
import playfield
from e2e_case import DEFAULT_TABLE, table_bytes


class Game(e2e_case.E2ECase):

    def name_box_white(self, start, row):
        return self.table_text_pixels(self.s.screenshot(start), playfield.name_box(row))[1]

    def test_a_whole_game_with_a_new_high_score(self):
        # Negative rows: whatever the ball breaks before Q, the score takes row 0.
        old = [("Ann", "-1"), ("Bob", "-2"), ("Cid", "-3"), ("Dee", "-4"), ("Eve", "-5")]
        self.s.write_highscores(table_bytes(old))
        start = self.launch_to_start_window()
        self.s.check(self.name_box_white(start, 0) >= 8, "row 0 should show its holder before the game")

        self.s.point_at(start)
        self.s.check(self.s.x.cursor_visible(), "the pointer should show over the start window")
        play = self.player.click_start(start)
        self.assert_frameless_and_centred(play, (640, 420))
        self.s.point_at(play)
        self.s.wait_for(lambda: not self.s.x.cursor_visible(), 10, "the pointer to vanish over the play window")
        self.s.check(self.s.current(start) is None, "the start window should hide during the game")

        titles, title_seconds, first_frame = self.player.watch_title(play)
        self.s.check(titles, "no screenshot showed the level title on the cleared play field")
        self.s.check(title_seconds >= 1.2, "the level title lasted only %.2f s" % title_seconds)
        self.s.check(playfield.paused_notice(first_frame), "the first frame does not show \"Paused\"")

        still_a = self.player.wait_paused(play)
        time.sleep(0.5)
        still_b = self.s.screenshot(play)
        self.s.check(still_a.same_area(still_b, playfield.PLAY_AREA), "the play field moved while paused")

        running = self.player.resume(play)
        time.sleep(0.15)
        later = self.s.screenshot(play)
        moved = running.count_different(later, playfield.PLAY_AREA)
        self.s.check(moved > 20, "nothing moved after P (%d pixels changed)" % moved)

        start = self.player.quit(play)
        self.close_high_score_box()
        # The new row's box is open, focused and empty (only a caret may show).
        self.s.check(self.name_box_white(start, 0) < 20, "the name box of row 0 was not emptied for typing")
        self.s.type_text("Zebediah1234")  # two more than the box takes
        self.s.press("Return")

        def saved():
            data = self.s.read_highscores()
            return data if data.startswith(b"Zebediah12\r\n") else None
        data = self.s.wait_for(saved, 20, "highscore.txt to be written with the new name")
        lines = data.split(b"\r\n")
        self.assertEqual(len(lines), 11, data)
        self.assertEqual(lines[-1], b"", data)
        self.assertRegex(lines[1].decode(), r"^(0|[1-9][0-9]*)$", data)
        self.assertEqual(int(lines[1]) % 50, 0, "every score step is a multiple of 50: %r" % data)
        self.assertEqual(b"\r\n".join(lines[2:]), table_bytes(old[:4]), data)
        self.s.check(self.name_box_white(start, 0) >= 20, "the typed name is not shown in row 0")

        # The buttons work again once the name is confirmed.
        self.s.click(start, *playfield.EXIT_BUTTON)
        self.assert_exit_status(0)

    def test_quit_at_once_enters_a_score_of_0_and_saves_the_exact_table(self):
        self.s.write_highscores(table_bytes([("Ann", "100"), ("Bob", "50"), ("Cid", "-5"), ("Dee", "-6"),
                                             ("Eve", "-7")]))
        start = self.launch_to_start_window()

        play = self.player.play_to_paused(start)
        start = self.player.quit(play)
        self.close_high_score_box()
        self.s.type_text("Kim")
        self.s.press("Return")
        expected = table_bytes([("Ann", "100"), ("Bob", "50"), ("Kim", "0"), ("Cid", "-5"), ("Dee", "-6")])
        self.s.wait_for(lambda: self.s.read_highscores() == expected, 20, "the table with Kim in row 2")

        # A score equal to a row's goes below it; Enter on an empty name stores "Anonymous".
        play = self.player.play_to_paused(start)
        start = self.player.quit(play)
        self.close_high_score_box()
        self.s.press("Return")
        expected = table_bytes([("Ann", "100"), ("Bob", "50"), ("Kim", "0"), ("Anonymous", "0"), ("Cid", "-5")])
        self.s.wait_for(lambda: self.s.read_highscores() == expected, 20, "the table with Anonymous in row 3")
        self.assertEqual(self.s.read_highscores(), expected)

    def test_a_score_below_the_table_changes_nothing(self):
        start = self.launch_to_start_window()
        play = self.player.play_to_paused(start)
        self.player.quit(play)
        self.assert_no_dialog_for(1.5, "a score of 0 does not enter the default table")
        self.assertEqual(self.s.read_highscores(), DEFAULT_TABLE)

    def test_p_and_q_keep_their_keys_on_a_layout_of_another_alphabet(self):
        play = self.player.play_to_paused(self.launch_to_start_window())
        # A Russian layout types Cyrillic letters on the P and Q keys (X key codes 33 and 24).
        subprocess.run(["setxkbmap", "-display", self.s.server.display, "-layout", "ru"], check=True)
        self.s.point_at(play)

        def press_code(code):  # the key itself, whatever the layout puts on it
            self.s.x.key(code, True)
            time.sleep(harness.KEY_HOLD)
            self.s.x.key(code, False)
        self.s.press_until(33, lambda: self.player.frame(play, paused=False), "P's key to start play on a Russian "
                           "layout", 4, press=press_code)
        self.s.press_until(24, lambda: self.s.current(play) is None or self.s.dialogs(), "Q's key to end the game "
                           "on a Russian layout", press=press_code)

    def test_close_requests_to_the_play_window_end_the_game(self):
        start = self.launch_to_start_window()

        # During the level title...
        play = self.player.click_start(start)
        self.s.x.send_close_request(play.wid)
        self.s.wait_gone(play, what="the play window to close during the title")
        start = self.s.wait_start_window()
        self.assert_no_dialog_for(1.0, "a score of 0 does not enter the default table")

        # ...and while the ball is moving.
        play = self.player.play_to_paused(start)
        self.player.resume(play)
        self.s.x.send_close_request(play.wid)
        self.s.wait_gone(play, what="the play window to close during play")
        start = self.s.wait_start_window()
        self.s.check(self.s.proc.poll() is None, "the program ended instead of showing the start window")

        # The program carries on: another game starts.
        if self.s.dialogs():  # a lucky run of bricks may have entered the table
            self.close_high_score_box()
            self.s.press("Return")
        play = self.player.play_to_paused(start)
        self.player.quit(play)


if __name__ == "__main__":
    unittest.main()
