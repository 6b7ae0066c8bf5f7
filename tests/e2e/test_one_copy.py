"""One running copy per high-score table: a second start on the same folder
brings the running copy's window to the front and ends with status 0; a copy
in another folder runs beside it; a copy killed outright does not block the
next start."""

import os
import shutil
import signal
import subprocess
import unittest

import e2e_case
import harness
import playfield

LOCK_NAME = "tilebash.lock"


class OneCopyPerTable(e2e_case.E2ECase):

    def start_other_folder(self):
        """A second program folder, started; its start window is mapped last, so
        it lies on top and has the focus."""
        folder = os.path.join(self.s.root, "other")
        if not os.path.isdir(folder):
            shutil.copytree(harness.program_dir(), folder, ignore=shutil.ignore_patterns("highscore.txt"))
        proc = subprocess.Popen([os.path.join(folder, harness.EXE_NAME)], cwd=self.s.root, env=self.s.env,
                                stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                start_new_session=True)
        self.addCleanup(lambda: proc.poll() is None and (proc.kill(), proc.wait(10)))
        self.s.wait_for(lambda: [w for w in map(self.s.x.window_info, self.s.x.windows_of(proc.pid))
                                 if w and w.size == (320, 400)], harness.WINDOW_TIMEOUT,
                        "the other folder's start window")
        return proc

    def top_window(self):
        """The highest viewable window larger than 1x1."""
        return next((w for w in self.s.x.viewable() if w.width > 1 and w.height > 1), None)

    def test_a_second_start_raises_the_running_copys_window_and_a_copy_elsewhere_runs_beside_it(self):
        start = self.launch_to_start_window()

        def to_info():
            self.s.click(start, *playfield.INFO_BUTTON)
            return self.s.wait_info_window()

        def to_play():
            info = self.s.find_window(size=harness.INFO)
            self.s.click(info, *playfield.BACK_BUTTON)
            self.s.wait_start_window()
            return self.player.click_start(start)

        for name, show in (("start window", lambda: start), ("information window", to_info),
                           ("play window", to_play)):
            with self.subTest(window=name):
                current = show()
                other = self.start_other_folder()
                self.s.check(self.top_window().wid != current.wid and self.s.focused() != current,
                             "the other folder's copy should cover the %s" % name)
                status = self.s.start_again()
                self.s.check(status == 0, "the second start on one table ended with status %s" % status)
                self.s.wait_for(lambda: self.top_window().wid == current.wid, 10, "the %s on top" % name)
                self.s.wait_for(lambda: self.s.focused() == current, 10, "the %s to have the focus" % name)
                self.s.check(other.poll() is None, "the copy in another folder ended (status %s)" % other.poll())
                self.s.check(self.s.proc.poll() is None, "the first copy ended")
                other.kill()
                other.wait(10)

    def test_a_copy_killed_outright_does_not_block_the_next_start(self):
        self.launch_to_start_window()
        os.killpg(self.s.proc.pid, signal.SIGKILL)
        self.s.proc.wait(10)
        lock = os.path.join(self.s.folder, LOCK_NAME)
        self.s.check(os.path.exists(lock), "the killed copy should have left its lock behind")
        start = self.launch_to_start_window()
        # The new copy holds the table: a further start hands over to it.
        status = self.s.start_again()
        self.s.check(status == 0, "a start beside the new copy ended with status %s" % status)
        self.s.click(start, *playfield.EXIT_BUTTON)
        self.assert_exit_status(0)
        self.assertFalse(os.path.exists(lock), "the lock outlived the copy that ended normally")


if __name__ == "__main__":
    unittest.main()
