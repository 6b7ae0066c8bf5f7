"""Where the high scores are kept: beside the program while it may write
there, otherwise (a read-only folder, or one marked as installed) in the
player's data folder, $XDG_DATA_HOME/tilebash."""

import os
import shutil
import subprocess
import unittest

import e2e_case
import playfield
from e2e_case import DEFAULT_TABLE, table_bytes

# Rows every score beats, so the game ends in a name entry.
LOW_TABLE = table_bytes([("Ann", "-1"), ("Bob", "-2"), ("Cid", "-3"), ("Dee", "-4"), ("Eve", "-5")])


class ScoreFolder(e2e_case.E2ECase):

    def setUp(self):
        super().setUp()
        self.data_home = os.path.join(self.s.root, "xdg-data")
        self.s.env["XDG_DATA_HOME"] = self.data_home
        self.user_table = os.path.join(self.data_home, "tilebash", "highscore.txt")

    def read(self, path):
        with open(path, "rb") as f:
            return f.read()

    def launch_read_only(self):
        """Starts the program with its folder read-only: for root, whom file
        modes do not stop, a read-only bind mount in a mount namespace of the
        program's own (gone with it); for others, the folder's modes."""
        if os.geteuid() != 0:
            os.chmod(self.s.folder, 0o555)
            self.addCleanup(os.chmod, self.s.folder, 0o755)
            return self.launch_to_start_window()
        if shutil.which("unshare") is None:
            self.skipTest("unshare is needed to mount the folder read-only")
        if subprocess.run(["unshare", "-m", "true"], capture_output=True).returncode != 0:
            self.skipTest("mount namespaces are not allowed here")
        script = ('mount --bind "$1" "$1" && mount -o remount,bind,ro "$1" && exec "$2"')
        s = self.s
        # exec keeps the process id, by which the harness finds the windows.
        s.launch_argv(["unshare", "-m", "--propagation", "private", "sh", "-c", script, "sh", s.folder, s.exe], s.root)
        start = s.wait_start_window()
        with open("/proc/%d/mountinfo" % s.proc.pid) as f:
            mounts = [line.split() for line in f]
        s.check(any(m[4] == s.folder and "ro" in m[5].split(",") for m in mounts),
                "the program does not see its folder mounted read-only")
        return start

    def test_a_read_only_program_folder_keeps_the_new_high_score_in_the_data_folder(self):
        self.s.write_highscores(LOW_TABLE)
        entries = sorted(os.listdir(self.s.folder))
        start = self.launch_read_only()
        self.s.check(self.read(self.user_table) == LOW_TABLE,
                     "the data folder should start from a copy of the program folder's table")

        play = self.player.play_to_paused(start)
        start = self.player.quit(play)
        self.close_high_score_box()
        self.s.check(not self.s.dialogs(), "a message box reported a failure: %r" % self.s.dialogs())
        self.s.type_text("Ro")
        self.s.press("Return")

        def saved():
            data = self.read(self.user_table)
            return data if data.startswith(b"Ro\r\n") else None
        data = self.s.wait_for(saved, 20, "the new name in %s" % self.user_table)
        self.assertTrue(data.endswith(table_bytes([("Ann", "-1"), ("Bob", "-2"), ("Cid", "-3"),
                                                   ("Dee", "-4")])), data)
        self.s.check(not self.s.dialogs(), "saving reported a failure: %r" % self.s.dialogs())
        self.s.click(start, *playfield.EXIT_BUTTON)
        self.assert_exit_status(0)
        self.assertEqual(self.s.read_highscores(), LOW_TABLE, "the program folder's table is left alone")
        self.assertEqual(sorted(os.listdir(self.s.folder)), entries, "nothing was written beside the program")

    def test_an_installed_marker_sends_the_table_to_the_data_folder_even_when_writable(self):
        open(os.path.join(self.s.folder, "installed"), "wb").close()
        self.s.write_highscores(LOW_TABLE)
        # Two first starts at once: one seeds the data folder from the program's table, the other hands over.
        self.s.launch()
        starts = [self.s.proc, subprocess.Popen([self.s.exe], cwd=self.s.root, env=self.s.env,
                                                stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                                stderr=subprocess.DEVNULL)]
        self.s.wait_for(lambda: any(p.poll() is not None for p in starts), 30, "one of the two starts to hand over")
        ended = next(p for p in starts if p.poll() is not None)
        self.assertEqual(ended.returncode, 0, "the start that lost the race did not hand over")
        self.s.proc = next(p for p in starts if p is not ended)  # the windows are found by its process
        start = self.s.wait_start_window()
        self.assertEqual(self.read(self.user_table), LOW_TABLE)
        self.assertEqual(self.read(self.s.highscore_path), LOW_TABLE, "the program's own table changed")
        left = [n for n in os.listdir(os.path.dirname(self.user_table)) if n not in ("highscore.txt", "tilebash.lock")]
        self.assertEqual(left, [], "a temporary file was left in the data folder")
        self.s.click(start, *playfield.EXIT_BUTTON)
        self.assert_exit_status(0)

    def test_a_writable_program_folder_keeps_its_table_and_leaves_the_data_folder_alone(self):
        start = self.launch_to_start_window()
        self.assertEqual(self.s.read_highscores(), DEFAULT_TABLE)
        self.assertFalse(os.path.exists(self.data_home), "the data folder was created for a portable copy")
        self.s.click(start, *playfield.EXIT_BUTTON)
        self.assert_exit_status(0)


if __name__ == "__main__":
    unittest.main()
