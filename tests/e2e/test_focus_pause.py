"""A play window that loses the keyboard focus to another window pauses a
running game, so no ball is lost while the keys cannot reach it; P resumes
once the focus is back."""

import time
import unittest

import e2e_case
import playfield


class FocusPause(e2e_case.E2ECase):

    def test_focus_taken_by_another_window_pauses_running_play_and_p_resumes_it(self):
        start = self.launch_to_start_window()
        play = self.player.play_to_paused(start)
        other = self.other_window()
        self.player.resume(play)
        before = self.s.screenshot(play)

        self.s.move_to(other, other.width // 2, other.height // 2)
        self.s.x.set_focus(other.wid)
        paused = self.player.wait_paused(play, timeout=5, what="\"Paused\" after the focus went elsewhere")
        time.sleep(1.5)
        later = self.s.screenshot(play)
        self.s.check(paused.same_area(later, playfield.PLAY_AREA), "the play field moved while paused")
        self.s.check(playfield.paused_notice(later), "the game did not stay paused without the focus")
        self.s.check(before.same_area(later, playfield.LIVES_AREA), "a ball was lost: the lives shown changed")

        # Back in the play window, P plays on from where it stopped.
        self.s.point_at(play)
        self.s.x.set_focus(play.wid)
        self.player.resume(play)
        self.player.quit(play)


if __name__ == "__main__":
    unittest.main()
