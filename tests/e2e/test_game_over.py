"""A game left to lose its four balls ends with the "Game Over" box."""

import time
import unittest

import e2e_case
import playfield
from e2e_case import table_bytes


class GameOver(e2e_case.E2ECase):

    def test_losing_four_balls_ends_the_game_with_the_game_over_box(self):
        # Rows nobody reaches, so the game ends without a name entry.
        self.s.write_highscores(table_bytes([("Max", "9999999")] * 5))
        start = self.launch_to_start_window()
        play = self.player.play_to_paused(start)
        pauses = 0
        deadline = time.monotonic() + 150
        game_over = None
        self.s.key_down("Left")  # the paddle hides at the left wall and lets most balls through
        try:
            while game_over is None:
                self.player.resume(play)
                while True:
                    self.s.check(time.monotonic() < deadline, "the game did not end within 150 s (%d balls lost)"
                                 % pauses)
                    box = [w for w in self.s.dialogs() if w.name == "Game Over"]
                    if box:
                        game_over = box[0]
                        break
                    shot = self.s.screenshot(play)
                    if playfield.frame_shown(shot) and playfield.paused_notice(shot):
                        pauses += 1
                        break
                    time.sleep(0.1)
        finally:
            self.s.key_up("Left")
        self.assertEqual(pauses, 3, "a game has four balls: three lost balls pause it, the fourth ends it")
        self.assert_dialog(game_over)
        self.close_message_box(game_over)
        self.s.wait_gone(play.wid, what="the play window to close after Game Over")
        self.s.wait_start_window()
        self.assert_no_dialog_for(1.0, "the score does not reach the table")



if __name__ == "__main__":
    unittest.main()
