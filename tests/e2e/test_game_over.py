"""A game left to lose its four balls ends with the "Game Over" box."""

import unittest

import e2e_case
from e2e_case import table_bytes


class GameOver(e2e_case.E2ECase):

    def test_losing_four_balls_ends_the_game_with_the_game_over_box(self):
        # Rows nobody reaches, so the game ends without a name entry.
        self.s.write_highscores(table_bytes([("Max", "9999999")] * 5))
        start = self.launch_to_start_window()
        play = self.player.play_to_paused(start)
        game_over, pauses = self.lose_every_ball(play)
        self.assertEqual(pauses, 3, "a game has four balls: three lost balls pause it, the fourth ends it")
        self.assert_dialog(game_over)
        self.close_message_box(game_over)
        self.s.wait_gone(play, what="the play window to close after Game Over")
        self.s.wait_start_window()
        self.assert_no_dialog_for(1.0, "the score does not reach the table")



if __name__ == "__main__":
    unittest.main()
