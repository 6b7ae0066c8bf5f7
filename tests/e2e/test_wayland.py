"""The real program on Wayland, under a private headless Weston with Qt's
Wayland platform plugin and no X display to fall back on: the start window
comes up showing its picture, SIGTERM ends the program as it does under X, and
Qt says nothing about its platform; started with --fullscreen, the game covers
the output at the largest whole-number scale."""

import os
import re
import shutil
import signal
import subprocess
import tempfile
import time
import unittest

import atspi
import harness
import playfield
import screen
import weston

# Parts of the start window where only its picture shows: above the buttons,
# and below the version label.
PICTURE_ABOVE_BUTTONS = (0, 0, 320, 128)
PICTURE_AT_THE_BOTTOM = (0, 340, 320, 60)
# What Qt prints about its platform plugin or the compositor.
PLATFORM_WARNING = re.compile(r"qt\.qpa|wayland|platform plugin|xcb|could not|failed", re.I)
# An output for full screen, and where the field must land on it: (x, y, scale),
# the largest whole scale that fits, centred.
FULL_SCREEN_OUTPUT = (1920, 1080)
FULL_SCREEN_FIELD = (320, 120, 2)
LEFT_OF_THE_OUTLINE = (0, 0, 8, 420)  # nothing is drawn there: the background shows


class Wayland(unittest.TestCase):

    def setUp(self):
        self.compositor = None
        self.root = tempfile.mkdtemp(prefix="tilebash-wayland-")
        self.addCleanup(shutil.rmtree, self.root, True)
        self.folder = os.path.join(self.root, "tilebash")
        shutil.copytree(harness.program_dir(), self.folder, ignore=shutil.ignore_patterns("highscore.txt"))
        self.splash = screen.load(os.path.join(harness.source_dir(), "windows", "pictures", "splash.png"))
        self.proc = None

    def tearDown(self):
        if self.proc is not None and self.proc.poll() is None:
            os.killpg(self.proc.pid, signal.SIGKILL)
            self.proc.wait(10)

    def start_compositor(self, size=(weston.SCREEN_W, weston.SCREEN_H)):
        self.compositor = weston.Weston(size)
        self.addCleanup(self.compositor.stop)
        return self.compositor.env()

    def launch(self, env, *args):
        with open(os.path.join(self.root, "stderr.txt"), "wb") as err:
            self.proc = subprocess.Popen([os.path.join(self.folder, harness.EXE_NAME), *args], cwd=self.root,
                                         env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=err,
                                         start_new_session=True)

    def wait_until(self, condition, what):
        """condition's first true answer, asked while the program runs."""
        return harness.wait_while_running(self.proc, condition, what, self.fail_with)

    def fail_with(self, message, shot=None):
        path = os.path.join(harness.artifacts_dir(), "%s-failure.png" % self.id())
        try:
            (shot or self.compositor.screenshot()).save_png(path)
        except Exception as error:  # the message matters more than the picture
            path = "(no screenshot: %s)" % error
        self.fail("%s\n  screenshot: %s\n  program stderr:\n%s\n  weston log:\n%s"
                  % (message, path, self.stderr(), self.compositor.log()))

    def stderr(self):
        with open(os.path.join(self.root, "stderr.txt"), "rb") as f:
            return f.read().decode("utf-8", "replace")

    def find_start_window(self, shot):
        return weston.find_picture(shot, self.splash, PICTURE_ABOVE_BUTTONS)

    def test_start_window_shows_its_picture_and_sigterm_ends_the_program_without_platform_warnings(self):
        # As a Wayland session without X starts it: no platform named, the program finds Wayland.
        env = self.start_compositor()
        del env["QT_QPA_PLATFORM"]
        self.launch(env)

        def start_window():
            shot = self.compositor.screenshot()
            origin = self.find_start_window(shot)
            return (shot, origin) if origin is not None else None
        shot, origin = self.wait_until(start_window, "the start window's picture on the screen")

        # The compositor placed it; all of it is on the screen, drawn 1:1.
        x, y = origin
        if not (0 <= x and 0 <= y and x + 320 <= shot.width and y + 400 <= shot.height):
            self.fail_with("the start window at %r is not wholly on the screen" % (origin,), shot)
        window = shot.crop(x, y, 320, 400)
        if not window.same_area(self.splash, PICTURE_AT_THE_BOTTOM):
            self.fail_with("the bottom of the start window at %r is not its picture (%d pixels differ)"
                           % (origin, window.count_different(self.splash, PICTURE_AT_THE_BOTTOM)), shot)
        for row in range(5):
            for rect in (playfield.name_box(row), playfield.score_box(row)):
                navy, white = window.count(screen.is_navy, rect), window.count(screen.is_white, rect)
                if not (navy > rect[2] * rect[3] // 2 and white >= 8):
                    self.fail_with("table box %r of row %d is not white text on navy (%d navy, %d white)"
                                   % (rect, row, navy, white), shot)

        self.proc.send_signal(signal.SIGTERM)
        try:
            status = self.proc.wait(harness.WINDOW_TIMEOUT)
        except subprocess.TimeoutExpired:
            self.fail_with("the program did not end within %.0f s of SIGTERM" % harness.WINDOW_TIMEOUT)
        # As under X (docs/GUARANTEES.md): the default action, nothing left behind.
        if status not in (0, -signal.SIGTERM):
            self.fail_with("the program ended with status %s after SIGTERM" % status)
        gone = time.monotonic() + 10
        while self.find_start_window(self.compositor.screenshot()) is not None:
            if time.monotonic() > gone:
                self.fail_with("the start window is still on the screen after the program ended")
            time.sleep(0.2)
        left = sorted(os.listdir(self.folder))
        self.assertEqual(left, sorted(set(os.listdir(harness.program_dir())) | {"highscore.txt"}),
                         "files left beside the program")

        warnings = [line for line in self.stderr().splitlines() if PLATFORM_WARNING.search(line)]
        self.assertEqual(warnings, [], "Qt warned about its platform:\n%s" % self.stderr())

    def test_started_with_fullscreen_the_game_covers_the_output_at_the_largest_whole_scale(self):
        reason = atspi.missing()
        if reason:
            self.skipTest(reason)
        env = self.start_compositor(FULL_SCREEN_OUTPUT)
        bus = atspi.AccessibilityBus(self.root, env)
        self.addCleanup(bus.stop)
        self.launch(env, "--fullscreen")
        # Nothing types or clicks into a headless Weston: Start is pressed as a
        # switch device presses it, through the accessibility bus.
        self.wait_until(lambda: bus.press("Start"), "the Start button on the accessibility bus")
        x, y, scale = FULL_SCREEN_FIELD
        w, h = playfield.background().width * scale, playfield.background().height * scale

        def paused():
            shot = self.compositor.screenshot()
            # Found only with every pixel around the field black.
            if playfield.field_in(shot) != FULL_SCREEN_FIELD:
                return None
            frame = shot.crop(x, y, w, h).reduced(scale)
            return shot if playfield.frame_shown(frame) and playfield.paused_notice(frame) else None
        shot = self.wait_until(paused, "the paused game at (x, y, scale) %r on black" % (FULL_SCREEN_FIELD,))
        path = os.path.join(harness.artifacts_dir(), "wayland-full-screen.png")
        shot.save_png(path)
        field = shot.crop(x, y, w, h)
        off = field.blocks_off(playfield.background(), scale, LEFT_OF_THE_OUTLINE)
        if off:
            self.fail_with("%d pixels left of the field's outline are not exact %dx%d blocks of the background, "
                           "as at %r" % (len(off), scale, scale, off[:5]), shot)


if __name__ == "__main__":
    unittest.main()
