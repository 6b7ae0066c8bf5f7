"""Reading the windows' pictures and the play field from screenshots, and the
moves a player makes: start a game, wait out the title, resume, quit.

The play-field background is the committed picture the program is built
with (windows/pictures/playfield.png), so anything on screen that differs
from it was drawn by the game.
"""

import functools
import os
import time

from PIL import Image as Pillow

import harness
import screen

PLAY_AREA = (10, 10, 520, 400)         # inside the frame outline
BRICK_ROWS = (10, 50, 520, 140)        # stage 1: seven rows from y 50
TITLE_AREA = (196, 186, 240, 48)       # "Level: 1.1" at (200, 190), 32 px
TITLE_RIGHT = (318, 186, 110, 48)      # right of where "Paused" can reach
PAUSED_AREA = (222, 192, 120, 36)      # "Paused" at (226, 195), 18 pt
LIVES_AREA = (540, 142, 96, 22)        # "Lives: 3" at (544, 146)
START_BUTTON = (72, 148)               # middles of the buttons, client coordinates
INFO_BUTTON = (160, 148)
EXIT_BUTTON = (248, 148)
BACK_BUTTON = (72, 372)


def name_box(row):
    return (64, 192 + 24 * row, 97, 19)


def score_box(row):
    return (168, 192 + 24 * row, 97, 19)


@functools.cache
def background():
    return screen.load(os.path.join(harness.source_dir(), "windows", "pictures", "playfield.png"))


def drawn_pixels(shot, rect, tolerance=60):  # pixels clearly not the background's
    return shot.count_different(background(), rect, tolerance)


def outline_drawn(shot):
    """Each frame's black outline at x 9 and 530, which the level title's background lacks."""
    return all(shot.count(lambda c: screen.is_dark(c, 30), (x, 9, 1, 402)) > 380 for x in (9, 530))


def bricks_drawn(shot):
    x, y, w, h = BRICK_ROWS
    return drawn_pixels(shot, BRICK_ROWS) > w * h // 2


def title_shown(shot):
    return (not outline_drawn(shot) and not bricks_drawn(shot) and drawn_pixels(shot, TITLE_AREA) > 150
            and drawn_pixels(shot, TITLE_RIGHT) > 20)


def paused_notice(shot):
    """Dark text where "Paused" is printed, a spot the ball and bricks leave clear at a serve."""
    pairs = zip(shot.pixels(PAUSED_AREA), background().pixels(PAUSED_AREA))
    return sum(1 for c, bg in pairs if screen.is_dark(c) and not screen.is_dark(bg)) > 150


def frame_shown(shot):
    return outline_drawn(shot) and bricks_drawn(shot)


def field_in(shot):
    """(x, y, scale) of the play field filling a picture of its window, or on black at a whole scale;
    None while what is not black is no whole multiple of the field (a repaint under way)."""
    box = shot.picture.getbbox()
    if box is None:
        return None
    left, top, right, bottom = box
    width, height = right - left, bottom - top
    field = background()
    scale = width // field.width
    if scale < 1 or (width, height) != (field.width * scale, field.height * scale):
        return None
    return left, top, scale


def smoothed_field_in(shot):
    """(x, y, exact) of the play field smoothed down to fill the screen (the
    sharp fit): exact device pixels a field pixel (the limiting side's over
    the field's), the picture's size floored, centred on black at whole
    device pixels. None while what is not black is not that picture."""
    box = shot.picture.getbbox()
    field = background()
    exact = min(shot.width / field.width, shot.height / field.height)
    width, height = (int(side * exact + 1e-6) for side in (field.width, field.height))
    left, top = (shot.width - width) // 2, (shot.height - height) // 2
    if box != (left, top, left + width, top + height):
        return None
    return left, top, exact


def nearest_lines(count, exact):
    """The device pixels nearest the centres of count field pixels shown exact device pixels each."""
    return [int((i + 0.5) * exact) for i in range(count)]


def field_of_smoothed(rows, exact):
    """The play field at its own size from the smoothed picture's rows (one a
    field row, nearest_lines): each field pixel the device pixel nearest its centre."""
    field = background()
    picked = rows.picture.transform((field.width, rows.height), Pillow.Transform.AFFINE, (exact, 0, 0, 0, 1, 0),
                                    Pillow.Resampling.NEAREST)
    return screen.Image(picked)


class Player:
    """The moves of one game in one session; look(window) gives the play field at its own size."""

    def __init__(self, session, look=None):
        self.s = session
        self.look = look or session.screenshot

    def click_start(self, start_window):
        self.s.click(start_window, *START_BUTTON)
        return self.s.wait_play_window()

    def watch_title(self, play, timeout=harness.WINDOW_TIMEOUT):
        """(the looks that showed the level title, seconds until the first frame, that frame)."""
        seen_at = time.monotonic()
        titles = []

        def first_frame():
            shot = self.look(play)
            if title_shown(shot):  # never a frame: the title clears the outline
                titles.append(shot)
            return shot if frame_shown(shot) else None
        shot = self.s.wait_for(first_frame, timeout, "the first play-field frame after the level title", poll=0.05)
        return titles, time.monotonic() - seen_at, shot

    def frame(self, play, paused):  # a look showing a frame, paused or not as asked; else None
        shot = self.look(play)
        return shot if frame_shown(shot) and paused_notice(shot) == paused else None

    def wait_paused(self, play, timeout=harness.WINDOW_TIMEOUT, what="the paused play field"):
        return self.s.wait_for(lambda: self.frame(play, paused=True), timeout, what)

    def resume(self, play, attempts=4):
        """Presses P until "Paused" goes away. P counts only from a stage's 11th
        frame and 21 frames after the last honoured press, so an early press
        may need repeating."""
        self.s.point_at(play)
        return self.s.press_until("p", lambda: self.frame(play, paused=False), "P to start play", attempts, 1.5)

    def quit(self, play, attempts=3):
        """Presses Q until the play window closes. The game reads Q once a frame,
        so a press that comes and goes while a loaded machine holds the program
        back is not seen: a player presses again."""
        self.s.point_at(play)
        self.s.press_until("q", lambda: self.s.current(play) is None or self.s.dialogs(), "Q to end the game",
                           attempts, 5)
        self.s.wait_gone(play, what="the play window to close after Q")
        return self.s.wait_start_window()

    def play_to_paused(self, start_window):
        play = self.click_start(start_window)
        self.watch_title(play)
        self.wait_paused(play)
        return play
