"""However the program ends, nothing of it stays behind: no process, no
window, and beside highscore.txt no temporary or half-written file."""

import os
import signal
import time
import unittest

import e2e_case
import harness
import playfield
from e2e_case import table_bytes

# Rows every score beats, so each game ends in a name entry.
LOW_TABLE = table_bytes([("Ann", "-1"), ("Bob", "-2"), ("Cid", "-3"), ("Dee", "-4"), ("Eve", "-5")])


class Cleanup(e2e_case.E2ECase):

    def setUp(self):
        super().setUp()
        self.entries = sorted(os.listdir(self.s.folder)) + ["highscore.txt"]

    def running_copies(self):
        """Processes still running this session's executable."""
        found = []
        for pid in os.listdir("/proc"):
            if not pid.isdigit():
                continue
            try:
                if os.readlink("/proc/%s/exe" % pid) == self.s.exe:
                    found.append(int(pid))
            except OSError:
                pass
        return found

    def assert_left_nothing(self, windows=True):
        self.s.check(not self.running_copies(), "processes of the program still run: %r" % self.running_copies())
        left = sorted(set(os.listdir(self.s.folder)) | {"highscore.txt"})
        self.s.check(left == sorted(set(self.entries)),
                     "files left beside the program: %r" % sorted(set(left) - set(self.entries)))
        for dirpath, _, files in os.walk(self.s.folder):
            stray = [f for f in files if f.startswith("highscore.txt") and f != "highscore.txt"]
            self.s.check(not stray, "temporary files left in %s: %r" % (dirpath, stray))
        if windows:
            self.assert_no_window_left()

    def assert_ten_crlf_lines(self, data):
        lines = data.split(b"\r\n")
        self.assertEqual(len(lines), 11, data[:300])
        self.assertEqual(lines[-1], b"", data[:300])

    def enter_name(self, start, name):
        self.close_high_score_box()
        self.s.type_text(name)
        self.s.press("Return")
        self.s.wait_for(lambda: name.encode() in self.s.read_highscores().split(b"\r\n"), 20,
                        "highscore.txt to be written with %r" % name)

    def lose_every_ball(self, play):
        """Keeps the paddle at the left wall and resumes after every lost ball
        until the "Game Over" box shows; returns the box."""
        deadline = time.monotonic() + 150
        self.s.key_down("Left")
        try:
            while True:
                self.player.resume(play)
                while True:
                    self.s.check(time.monotonic() < deadline, "the game did not end within 150 s")
                    boxes = [w for w in self.s.dialogs() if w.name == "Game Over"]
                    if boxes:
                        return boxes[0]
                    shot = self.s.screenshot(play)
                    if playfield.frame_shown(shot) and playfield.paused_notice(shot):
                        break
                    time.sleep(0.1)
        finally:
            self.s.key_up("Left")

    def test_exit_after_saving_a_high_score_leaves_only_the_table(self):
        self.s.write_highscores(LOW_TABLE)
        start = self.launch_to_start_window()
        play = self.player.play_to_paused(start)
        start = self.player.quit(play)
        self.enter_name(start, "Kim")
        # A second save over the first, as the next game's name would make.
        play = self.player.play_to_paused(start)
        start = self.player.quit(play)
        self.enter_name(start, "Lou")
        self.s.click(start, *playfield.EXIT_BUTTON)
        self.assert_exit_status(0)
        data = self.s.read_highscores()
        self.assert_ten_crlf_lines(data)
        # Both games scored 0: the later one goes below the earlier.
        self.assertEqual(data, table_bytes([("Kim", "0"), ("Lou", "0"), ("Ann", "-1"), ("Bob", "-2"), ("Cid", "-3")]))
        self.assert_left_nothing()

    def test_game_over_then_exit_ends_the_program_and_leaves_nothing(self):
        self.s.write_highscores(table_bytes([("Max", "9999999")] * 5))
        start = self.launch_to_start_window()
        play = self.player.play_to_paused(start)
        box = self.lose_every_ball(play)
        self.close_message_box(box)
        start = self.s.wait_start_window()
        self.s.click(start, *playfield.EXIT_BUTTON)
        self.assert_exit_status(0)
        self.assertEqual(self.s.read_highscores(), table_bytes([("Max", "9999999")] * 5))
        self.assert_left_nothing()

    def test_closing_the_start_window_during_a_name_entry_saves_the_row_and_leaves_nothing_else(self):
        # The score earned its row: the close-down saves it with the name typed so far.
        self.s.write_highscores(LOW_TABLE)
        start = self.launch_to_start_window()
        play = self.player.play_to_paused(start)
        start = self.player.quit(play)
        self.close_high_score_box()
        self.s.type_text("Half")
        self.s.x.send_close_request(start.wid)
        self.assert_exit_status(0)
        self.assertEqual(self.s.read_highscores(),
                         table_bytes([("Half", "0"), ("Ann", "-1"), ("Bob", "-2"), ("Cid", "-3"), ("Dee", "-4")]))
        self.assert_left_nothing()

    def running_game(self):
        """A game started from the start window and running past its first serve."""
        play = self.player.play_to_paused(self.launch_to_start_window())
        self.player.resume(play)
        return play

    def test_a_close_request_to_the_play_window_and_then_exit_leave_nothing(self):
        play = self.running_game()
        self.s.x.send_close_request(play.wid)
        self.s.wait_gone(play, what="the play window to close during play")
        start = self.s.wait_start_window()
        if self.s.dialogs():  # a lucky run of bricks may have entered the table
            self.close_high_score_box()
            self.s.press("Return")
        self.s.click(start, *playfield.EXIT_BUTTON)
        self.assert_exit_status(0)
        self.assert_left_nothing()

    def test_termination_during_a_game_leaves_no_process_window_or_file(self):
        self.running_game()
        self.s.proc.send_signal(signal.SIGTERM)
        status = self.s.wait_exit()
        self.s.check(status in (0, -signal.SIGTERM), "the program ended with status %s after SIGTERM" % status)
        self.s.wait_for(lambda: not self.s.windows() and not self.s.x.viewable(), 10,
                        "the windows to go with the program")
        self.assert_left_nothing()

    def test_losing_the_display_during_a_game_ends_the_program(self):
        start = self.launch_to_start_window()
        play = self.player.play_to_paused(start)
        self.player.resume(play)
        self.s.server.stop()
        try:
            status = self.s.proc.wait(harness.WINDOW_TIMEOUT)
        except Exception:
            self.fail("the program kept running %d s after its display went away"
                      % harness.WINDOW_TIMEOUT)
        self.assertGreater(status, 0, "the program should end with an error status, not %s:\n%s"
                           % (status, self.s.program_log()))
        self.assert_left_nothing(windows=False)


if __name__ == "__main__":
    unittest.main()
