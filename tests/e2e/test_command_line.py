"""The command line as a terminal user meets it: --help and --version answer
without a display, mistakes are refused before a window, and no display ends
the program with one line and status 1 instead of Qt's abort, touching no file.
--zoom, --fullscreen and --windowed shape the windows on a real X server, and
the full-screen choice the player makes with the keys is kept for the next run."""

import contextlib
import os
import pathlib
import re
import shutil
import socket
import subprocess
import unittest

import e2e_case
import harness
import playfield

USAGE = r"Usage: tilebash \[options\]\n.+\n\nOptions:\n(  .+\n)+"
HELP = USAGE.replace(r"(  .+\n)+", r"(  .+\n)*  --fullscreen .+\n  --windowed .+\n"
                     r"  --scaling <MODE> .+integer keeps whole numbers\s+everywhere, sharp allows the fit\s+"
                     r"\(the default\)\.\n  --zoom <N> .+\n")
ZOOM_REFUSED = r"tilebash: .*--zoom.*\n"
SCALING_REFUSED = r"tilebash: .*--scaling.*\n"
NO_DISPLAY = r"tilebash: cannot open a display .*set DISPLAY or WAYLAND_DISPLAY.*\n"
STARTS = (1, "", NO_DISPLAY)  # taken: without a display, the start fails only for the want of one
# The file the full-screen choice is kept in, under XDG_CONFIG_HOME, as written.
SETTING = ("tilebash", "tilebash.conf")
FULL_SCREEN_KEPT, WINDOW_KEPT = b"[window]\nfullScreen=true\n", b"[window]\nfullScreen=false\n"


def refusing_display():
    """A display number nothing listens on: neither its socket file nor the abstract socket an X
    server also binds, which a server outside a chroot offers inside it too, takes a connection."""
    def answers(n):
        for address in ("/tmp/.X11-unix/X%d" % n, "\0/tmp/.X11-unix/X%d" % n):
            with socket.socket(socket.AF_UNIX) as s, contextlib.suppress(OSError):
                s.connect(address)
                return True
        return False
    n = 99
    while answers(n):
        n += 1
    return ":%d" % n


# (arguments, environment beside no display at all, status, stdout, stderr): each output a
# regular expression that must match it whole. Without a display, a status of 2 also
# shows that the mistake was found before any window system was asked. SESSION stands
# for the session's own running display.
CASES = [
    (["--help"], {}, 0, HELP, ""),
    (["-h"], {}, 0, HELP, ""),
    (["--version"], {}, 0, r"tilebash VERSION\n", ""),
    (["-v"], {}, 0, r"tilebash VERSION\n", ""),
    (["--fullscreen"], {}) + STARTS,
    (["--windowed"], {}) + STARTS,
    (["--windowed", "--fullscreen"], {}) + STARTS,  # the last one wins: a scenario below
    (["--scaling", "integer"], {}) + STARTS,
    (["--scaling", "sharp"], {}) + STARTS,
    # A value other than those two, in any case, or none.
    *[(["--scaling", *value], {}, 2, "", SCALING_REFUSED) for value in (["Sharp"], ["smooth"], [""], [])],
    (["--zoom", "1"], {}) + STARTS,
    (["--zoom", "4"], {}) + STARTS,
    *[(["--zoom", *value], {}, 2, "", ZOOM_REFUSED) for value in (["0"], ["5"], ["two"], [])],
    (["--bounce"], {}, 2, "", r"tilebash: .*bounce.*\n" + USAGE),
    # Qt's own options that the program takes, and one it does not.
    (["-platform", "offscreen", "-v"], {}, 0, r"tilebash VERSION\n", ""),
    (["-platform"], {}, 2, "", r"tilebash: .*platform.*\n"),
    # A plugin that fails for a reason of its own is not blamed on the display: Qt's word is shown.
    (["-platform", "nosuch"], {}, 1, "", r'[\s\S]*"nosuch"[\s\S]*\ntilebash: the window system could not be used.*\n'),
    (["-display", refusing_display()], {"DISPLAY": "SESSION"}) + STARTS,  # it, not DISPLAY, is opened
    (["-session", "1234_abc"], {}) + STARTS,  # a restored desktop session starts the game
    (["-session"], {}, 2, "", r"tilebash: .*session.*\n"),
    (["-style", "fusion"], {}, 2, "", r"tilebash: .*style.*\n" + USAGE),
    ([], {}) + STARTS,
    ([], {"DISPLAY": refusing_display()}) + STARTS,
    ([], {"WAYLAND_DISPLAY": "tilebash-no-such-socket"}) + STARTS,
]


class CommandLine(e2e_case.E2ECase):
    window_manager = "openbox" if shutil.which("openbox") else None  # full screen is the manager's to grant

    def setUp(self):
        # Room for the start window at twice its size.
        self.s = harness.Session(self.id(), self.folder_name, screen_size=(1280, 1024),
                                 display=self.window_manager or "xvfb")
        self.addCleanup(self.s.close)
        self.config_home = self.s.env["XDG_CONFIG_HOME"]  # the session's own

    def test_options_mistakes_and_a_missing_display_answer_on_the_terminal(self):
        version = re.escape("1.5.8")  # the version --version shows, written out: a release changes it here too
        data_home = os.path.join(self.s.root, "data")
        before = sorted(os.listdir(self.s.folder))
        for args, extra, status, out, err in CASES:
            with self.subTest(args=args, env=extra):
                env = {k: v for k, v in self.s.env.items()
                       if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}
                env.update(extra, XDG_DATA_HOME=data_home)
                env.update({k: self.s.env[k] for k, v in extra.items() if v == "SESSION"})
                ran = subprocess.run([self.s.exe, *args], cwd=self.s.root, env=env, stdin=subprocess.DEVNULL,
                                     capture_output=True, timeout=harness.WINDOW_TIMEOUT)
                stdout, stderr = ran.stdout.decode(), ran.stderr.decode()
                self.assertEqual(ran.returncode, status, stderr)
                self.assertRegex(stdout, r"\A%s\Z" % out.replace("VERSION", version))
                self.assertRegex(stderr, r"\A%s\Z" % err)
                self.assertEqual(sorted(os.listdir(self.s.folder)), before, "a file was written beside the program")
                self.assertFalse(os.path.exists(data_home), "the per-user data folder was made")
                self.assertFalse(os.path.exists(os.path.join(self.config_home, SETTING[0])),
                                 "the program's configuration folder was made")

    def test_zoom_shows_the_start_window_that_many_times_larger(self):
        self.s.env["QT_SCALE_FACTOR"] = "3"  # set by hand, and replaced by --zoom
        self.s.launch(args=["--zoom", "2"])
        self.s.wait_window("Tilebash", (640, 800), what="the start window at 640x800")

    @unittest.skipUnless(window_manager, "openbox is needed to grant full screen")
    def test_full_screen_covers_the_pointers_screen_and_the_players_choice_is_kept(self):
        # Two monitors side by side, 480 and 800 wide, the pointer on the right-hand one.
        self.s.x.set_monitor("left", (0, 0, 480, 1024), (127, 271), output="screen")
        self.s.x.set_monitor("right", (480, 0, 800, 1024), (212, 271))
        self.s.x.warp(1000, 500)
        full, window = (480, 0, 800, 1024), (480 + (800 - 640) // 2, (1024 - 420) // 2, 640, 420)
        setting = pathlib.Path(self.config_home, *SETTING)
        self.start_game(["--windowed", "--fullscreen"], full, "full screen on the pointer's screen")
        self.assertFalse(setting.exists(), "--fullscreen alone keeps nothing")
        # The window manager may resize the window before the program has written the choice.
        kept = lambda data: lambda: setting.exists() and setting.read_bytes() == data  # noqa: E731
        self.s.press("Escape")
        self.wait_play_window(window, "the window where a window opens, on the pointer's screen")
        self.s.wait_for(kept(WINDOW_KEPT), 10, "the window kept as the choice")
        self.s.press("F11")
        self.wait_play_window(full, "full screen again")
        self.s.wait_for(kept(FULL_SCREEN_KEPT), 10, "full screen kept as the choice")
        self.s.end_program()
        self.start_game([], full, "full screen, as the player left it")
        self.s.end_program()
        self.start_game(["--fullscreen", "--windowed"], window, "a window for this run")
        self.assertEqual(setting.read_bytes(), FULL_SCREEN_KEPT, "--windowed keeps nothing")

    def start_game(self, args, geometry, what):
        self.s.launch(args=args)
        self.s.click(self.s.wait_start_window(), *playfield.START_BUTTON)
        return self.wait_play_window(geometry, what)

    def wait_play_window(self, geometry, what):
        """The program's window at (x, y, width, height) of the screen."""
        return self.s.wait_for(lambda: next((w for w in self.s.windows() if (w.x, w.y) + w.size == geometry), None),
                               10, "%s: the play window at %r" % (what, geometry))


if __name__ == "__main__":
    unittest.main()
