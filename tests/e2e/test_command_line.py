"""The command line as a terminal user meets it: --help and --version answer
without a display, mistakes are refused before a window, and no display ends
the program with one line and status 1 instead of Qt's abort, touching no file.
--fullscreen and --zoom shape the windows on a real X server."""

import os
import re
import shutil
import subprocess
import unittest

import e2e_case
import harness
import playfield

USAGE = r"Usage: tilebash \[options\]\n.+\n\nOptions:\n(  .+\n)+"
HELP = USAGE.replace(r"(  .+\n)+", r"(  .+\n)*  --fullscreen .+\n  --zoom <N> .+\n")
ZOOM_REFUSED = r"tilebash: .*--zoom.*\n"
NO_DISPLAY = r"tilebash: cannot open a display .*set DISPLAY or WAYLAND_DISPLAY.*\n"


def refusing_display():
    """A display number nothing listens on."""
    n = 99
    while os.path.exists("/tmp/.X11-unix/X%d" % n):
        n += 1
    return ":%d" % n


# (arguments, environment beside no display at all, status, stdout, stderr): each output a
# regular expression that must match it whole. Without a display, a status of 2 also
# shows that the mistake was found before any window system was asked.
CASES = [
    (["--help"], {}, 0, HELP, ""),
    (["-h"], {}, 0, HELP, ""),
    (["--version"], {}, 0, r"tilebash VERSION\n", ""),
    (["-v"], {}, 0, r"tilebash VERSION\n", ""),
    (["-platform", "offscreen", "-v"], {}, 0, r"tilebash VERSION\n", ""),  # Qt's options still pass
    (["-session", "1234_abc"], {}, 1, "", NO_DISPLAY),  # a restored desktop session starts the game
    (["--zoom", "0"], {}, 2, "", ZOOM_REFUSED),
    (["--zoom", "9"], {}, 2, "", ZOOM_REFUSED),
    (["--zoom", "two"], {}, 2, "", ZOOM_REFUSED),
    (["--zoom"], {}, 2, "", ZOOM_REFUSED),
    (["--bounce"], {}, 2, "", r"tilebash: .*bounce.*\n" + USAGE),
    ([], {}, 1, "", NO_DISPLAY),
    ([], {"DISPLAY": refusing_display()}, 1, "", NO_DISPLAY),
    ([], {"WAYLAND_DISPLAY": "tilebash-no-such-socket"}, 1, "", NO_DISPLAY),
]


class CommandLine(e2e_case.E2ECase):
    window_manager = "openbox" if shutil.which("openbox") else None  # full screen is the manager's to grant

    def setUp(self):
        # Room for the start window at twice its size.
        self.s = harness.Session(self.id(), self.folder_name, screen_size=(1280, 1024),
                                 display=self.window_manager or "xvfb")
        self.addCleanup(self.s.close)

    def test_options_mistakes_and_a_missing_display_answer_on_the_terminal(self):
        version = re.escape("1.5.8")  # the version --version shows, written out: a release changes it here too
        data_home = os.path.join(self.s.root, "data")
        before = sorted(os.listdir(self.s.folder))
        for args, extra, status, out, err in CASES:
            with self.subTest(args=args, env=extra):
                env = {k: v for k, v in self.s.env.items()
                       if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}
                env.update(extra, XDG_DATA_HOME=data_home)
                ran = subprocess.run([self.s.exe, *args], cwd=self.s.root, env=env, stdin=subprocess.DEVNULL,
                                     capture_output=True, timeout=harness.WINDOW_TIMEOUT)
                stdout, stderr = ran.stdout.decode(), ran.stderr.decode()
                self.assertEqual(ran.returncode, status, stderr)
                self.assertRegex(stdout, r"\A%s\Z" % out.replace("VERSION", version))
                self.assertRegex(stderr, r"\A%s\Z" % err)
                self.assertEqual(sorted(os.listdir(self.s.folder)), before, "a file was written beside the program")
                self.assertFalse(os.path.exists(data_home), "the per-user data folder was made")

    def test_zoom_shows_the_start_window_that_many_times_larger(self):
        self.s.env["QT_SCALE_FACTOR"] = "3"  # set by hand, and replaced by --zoom
        self.s.launch(args=["--zoom", "2"])
        self.s.wait_window("Tilebash", (640, 800), what="the start window at 640x800")

    @unittest.skipUnless(window_manager, "openbox is needed to grant full screen")
    def test_fullscreen_opens_the_first_game_over_the_whole_screen(self):
        self.s.launch(args=["--fullscreen"])
        start = self.s.wait_start_window()
        self.s.click(start, *playfield.START_BUTTON)
        self.s.wait_window("Tilebash", (1280, 1024), what="the play window over the whole 1280x1024 screen")


if __name__ == "__main__":
    unittest.main()
