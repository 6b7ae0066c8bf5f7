"""At home under a real window manager, which decides focus, stacking and
decoration: the windows stay undecorated and centred and become active when
shown, the play window takes the keys without the test focusing it, another
program's window pauses the game, and a second start brings the play window
back so that the very first P plays on; a minimised window is restored by
a second start."""

import time
import unittest

import e2e_case
import harness
import playfield

CORNER = (harness.SCREEN_W - 4, harness.SCREEN_H - 4)  # over no window of ours


class WindowManagerScenario:
    """One game's visit to every window-manager decision; a subclass names
    the manager."""

    def park_pointer(self):
        """Away from every window, so only the manager's focus routes the keys."""
        self.s.x.warp(*CORNER)
        self.s.wait_for(lambda: self.s.x.pointer() == CORNER, 10, "the pointer in the corner")

    def one_p_plays(self, play, what):
        """A single P, held as a finger holds it, sets the game running. A ball
        frozen on its way down may be lost within a few frames, and the next
        serve shows "Paused" again before a slow screenshot sees play: a life
        fewer, which only play can cost, counts as running too."""
        before = self.s.screenshot(play)
        self.s.press("p")
        deadline = time.monotonic() + 5
        while True:
            running = self.s.screenshot(play)
            if not before.same_area(running, playfield.LIVES_AREA):
                return
            if playfield.frame_shown(running) and not playfield.paused_notice(running):
                break
            self.s.check(time.monotonic() < deadline, "%s did not start play" % what)
            time.sleep(0.05)
        time.sleep(0.15)
        moved = running.count_different(self.s.screenshot(play), playfield.PLAY_AREA)
        self.s.check(moved > 20, "nothing moved after %s (%d pixels changed)" % (what, moved))

    def test_focus_stacking_and_a_second_start(self):
        start = self.launch_to_start_window()
        self.assert_frameless_and_centred(start, (320, 400))
        self.wait_active(start, "the start window")

        play = self.player.play_to_paused(start)
        self.assert_frameless_and_centred(play, (640, 420))
        self.wait_active(play, "the play window")
        self.park_pointer()
        time.sleep(1.0)  # P counts from a stage's 11th frame
        self.one_p_plays(play, "P typed after Start")

        self.bring_other_window_forward()
        self.player.wait_paused(play, timeout=5, what="\"Paused\" once another window is active")

        status = self.s.start_again()
        self.s.check(status == 0, "the second start on one table ended with status %s" % status)
        self.wait_active(play, "the play window, after the second start")
        self.park_pointer()
        self.one_p_plays(play, "the first P after the second start")

        start = self.player.quit(play)
        self.wait_active(start, "the start window, after Q")
        # Minimised, the running copy's window comes back on a second start.
        self.s.x.minimize(start.wid)
        self.s.wait_for(lambda: self.s.current(start) is None, 10, "the start window minimised")
        self.s.check(self.s.start_again() == 0, "the second start over a minimised window did not end with 0")
        self.s.wait_for(lambda: self.s.current(start), 10, "the start window restored")
        self.wait_active(start, "the start window, restored by a second start")
        self.s.click(start, *playfield.EXIT_BUTTON)
        self.assert_exit_status(0)


class UnderOpenbox(WindowManagerScenario, e2e_case.E2ECase):
    window_manager = "openbox"


class UnderXfwm4(WindowManagerScenario, e2e_case.E2ECase):
    window_manager = "xfwm4"


if __name__ == "__main__":
    unittest.main()
