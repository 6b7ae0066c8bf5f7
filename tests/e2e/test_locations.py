"""The program finds its sheet and its table beside itself, wherever the folder
is and whatever the working directory."""

import os
import tempfile
import unittest

import e2e_case
import playfield
from e2e_case import DEFAULT_TABLE


class Locations(e2e_case.E2ECase):

    def run_from_elsewhere(self):
        elsewhere = tempfile.mkdtemp(prefix="tilebash-cwd-", dir=self.s.root)
        start = self.launch_to_start_window(cwd=elsewhere)
        self.assertEqual(self.s.read_highscores(), DEFAULT_TABLE)
        self.assertEqual(os.listdir(elsewhere), [], "the program wrote into its working directory")
        navy, white = self.table_text_pixels(self.s.screenshot(start), playfield.name_box(0))
        self.s.check(navy > 900 and white >= 8, "the table is not shown (%d navy, %d white)" % (navy, white))

        # The sheet is found: the first frame shows bricks, and no error box comes.
        play = self.player.play_to_paused(start)
        self.s.check(not self.s.dialogs(), "a message box appeared: %r" % self.s.dialogs())
        self.player.quit(play)
        start = self.s.wait_start_window()
        self.s.click(start, *playfield.EXIT_BUTTON)
        self.assert_exit_status(0)


class FromAnotherWorkingDirectory(Locations):
    def test_started_from_another_working_directory(self):
        self.run_from_elsewhere()


class FromAFolderWithSpacesAndNonAscii(Locations):
    folder_name = "Tile bash \u00fc \u00e9t\u00e9"

    def test_started_from_a_folder_with_spaces_and_non_ascii_characters(self):
        self.assertIn(" ", self.s.folder)
        self.run_from_elsewhere()


if __name__ == "__main__":
    unittest.main()
