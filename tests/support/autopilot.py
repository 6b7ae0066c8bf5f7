"""Finds the ball, the paddle, brick captions and a falling bonus item on the
play field by their colours in the sprite sheet, and steers the paddle
under the ball with the arrow keys: enough to keep a scripted game going
for the screenshots. The camera shows it the field at its own size, in a
window or in full screen."""

import collections
import contextlib
import os

from PIL import Image as Pillow

import facts
import harness
import playfield
import screen
import x11

CAPTION_RED = (255, 30, 30)


def sprite_colours(sheet, image, mask):
    """Colours of a sprite's solid pixels (black in its mask), most frequent
    first; image and mask are the sheet's rectangles (x, y, width, height)."""
    pixels = zip(*(sheet.crop((x, y, x + w, y + h)).getdata() for x, y, w, h in (image, mask)))
    return [c for c, _ in collections.Counter(c for c, m in pixels if m == (0, 0, 0)).most_common()]


def _pick(colours, excluded, limit):
    return [bytes(c) for c in colours if c not in excluded][:limit]


class Field:
    """Byte searches for a few colours that only one kind of thing has, so a
    look at the field takes milliseconds, not a pixel-by-pixel walk.

    Smoothed (the sharp fit) the colours are still matched exactly, since the
    background holds colours within 1 to 5 of the ball's; the tolerance is in
    the counts. On 1366x768 a field pixel keeps its exact colour unless it
    lies on one of the few mixed lines next to another colour: the ball keeps
    at least 20 of its 31 search pixels (4 needed), the paddle 330 of 410 (10
    needed), an item 25 of 37 (26 needed; only the windowed demo looks)."""

    def __init__(self, program_folder):
        with Pillow.open(os.path.join(program_folder, "Images", "bitmaps.bmp")) as bmp:
            sheet = bmp.convert("RGB")
        background = set(playfield.background().pixels())
        x, y, w, h = facts.brick_sprites()
        bricks = set(sheet.crop((x, y, x + w, y + h)).getdata())
        ball = sprite_colours(sheet, facts.sheet_rect("kBallSprite"), facts.sheet_rect("kBallMask"))
        paddle = sprite_colours(sheet, facts.sheet_rect("kPaddleSprite"), facts.sheet_rect("kPaddleMask"))
        mask = facts.sheet_rect("kSpecialMask")
        tokens = []
        for corner in facts.special_sprites():
            tokens += sprite_colours(sheet, corner + mask[2:], mask)[:6]
        common = background | bricks | {(0, 0, 0), (255, 255, 255)}
        self.ball = _pick(ball, common | set(paddle) | set(tokens), 12)
        self.paddle = _pick(paddle, common | set(ball) | set(tokens), 12)
        self.tokens = _pick(tokens, common | set(ball) | set(paddle), 30)

    @staticmethod
    def _points(shot, colours, rect):
        part = shot.crop(*rect)
        return [(rect[0] + i % part.width, rect[1] + i // part.width)
                for c in colours for i in screen.pixels_at(part.rgb, c)]

    def ball_at(self, shot):
        pts = self._points(shot, self.ball, playfield.PLAY_AREA)
        if len(pts) < 4:
            return None
        return sum(p[0] for p in pts) / len(pts), sum(p[1] for p in pts) / len(pts)

    def paddle_x(self, shot):
        pts = self._points(shot, self.paddle, (10, 385, 520, 25))
        if len(pts) < 10:
            return None
        return sum(p[0] for p in pts) / len(pts)

    def captions(self, shot):
        """Pixels of the red streak captions over broken bricks."""
        return len(self._points(shot, [bytes(CAPTION_RED)], playfield.PLAY_AREA))

    def item_falling(self, shot):
        return len(self._points(shot, self.tokens, playfield.PLAY_AREA)) > 25


class Pilot:
    """Holds Left or Right so the paddle's middle follows the ball."""

    def __init__(self, session, field):
        self.s, self.field = session, field
        self.held = None
        self.last_ball = None

    def hold(self, key):
        if key == self.held:
            return
        if self.held:
            self.s.key_up(self.held)
        if key:
            self.s.key_down(key)
        self.held = key

    def steer(self, shot):
        ball = self.field.ball_at(shot)
        paddle = self.field.paddle_x(shot)
        if ball is None or paddle is None:
            self.last_ball = ball
            self.hold(None)
            return
        target = ball[0]
        if self.last_ball is not None:
            target += (ball[0] - self.last_ball[0])  # lead the ball a little
        self.last_ball = ball
        if target > paddle + 14:
            self.hold("Right")
        elif target < paddle - 14:
            self.hold("Left")
        else:
            self.hold(None)


class Camera(contextlib.AbstractContextManager):
    """The play field as a picture at its own size, read from the X server.
    Its place (offset, whole scale, or smoothed to fill the screen) is found
    from one look at the whole window, again when the window's size changes;
    then only the field's rows are read, one in every scale, or in the sharp
    fit the device rows and pixels nearest the field pixels' centres."""

    def __init__(self, session):
        self.s = session
        self.d = x11.Display(session.server.display)
        self.window = None
        self.place = None  # (x, y, scale) of the field in the window
        self.smoothed = None  # in the sharp fit instead: (x, y, exact), see playfield.smoothed_field_in

    def __exit__(self, *exc):
        self.close()

    def close(self):
        self.d.close()

    @property
    def scale(self):
        return self.place[2] if self.place else None

    def _find(self, window):
        shot = self.d.picture(window.wid, (0, 0) + window.size)
        self.place = playfield.field_in(shot)
        self.smoothed = None if self.place else playfield.smoothed_field_in(shot)
        return self.place or self.smoothed

    def look(self, window):
        if (window.wid, window.size) != self.window:
            self.s.wait_for(lambda: self._find(window), harness.WINDOW_TIMEOUT,
                            "the play field at a whole scale or smoothed to fill %r" % (window,))
            self.window = (window.wid, window.size)
        field = playfield.background()
        if self.smoothed:
            x, y, exact = self.smoothed
            width = playfield.nearest_lines(field.width, exact)[-1] + 1  # to the last column picked
            data = b"".join(self.d.pixels(window.wid, (x, y + row, width, 1))
                            for row in playfield.nearest_lines(field.height, exact))
            rows = screen.Image(Pillow.frombytes("RGB", (width, field.height), data, "raw", "BGRX"))
            return playfield.field_of_smoothed(rows, exact)
        x, y, scale = self.place
        return self.d.picture(window.wid, (x, y, field.width * scale, field.height * scale), scale)
