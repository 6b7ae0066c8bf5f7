"""Pictures of the screen, held as Pillow images in RGB, compared exactly
unless a tolerance is given."""

import functools

from PIL import Image as Pillow, ImageChops, ImageStat


def _differing(a, b, tolerance=0):
    """An L picture: 255 where a channel of a and b differs by more than tolerance, else 0."""
    r, g, b = ImageChops.difference(a, b).point(lambda v: 255 if v > tolerance else 0).split()
    return ImageChops.lighter(ImageChops.lighter(r, g), b)


def pixels_at(data, pixels):
    """Where (in pixels) the bytes pixels start on a pixel's boundary in data, both R, G, B bytes."""
    at = data.find(pixels)
    while at >= 0:
        if at % 3 == 0:
            yield at // 3
        at = data.find(pixels, at + 1)


class Image:
    """An RGB picture, a Pillow image in mode RGB; (x, y) from the top-left corner, y downwards."""

    def __init__(self, picture):
        self.picture = picture
        self.width, self.height = picture.size

    @functools.cached_property
    def rgb(self):  # R, G, B bytes row after row, for byte searches
        return self.picture.tobytes()

    def pixel(self, x, y):
        return self.picture.getpixel((x, y))

    def crop(self, x, y, w, h):  # the part of (x, y, w, h) inside the picture
        x0, y0 = max(0, x), max(0, y)
        return Image(self.picture.crop((x0, y0, max(x0, min(self.width, x + w)), max(y0, min(self.height, y + h)))))

    def pixels(self, rect=None):
        """The (r, g, b) of every pixel of rect = (x, y, w, h), or of the whole picture, row after row."""
        return (self.crop(*rect) if rect else self).picture.getdata()

    def count(self, predicate, rect=None):
        part = self.crop(*rect) if rect else self
        return sum(n for n, c in part.picture.getcolors(max(1, part.width * part.height)) or () if predicate(c))

    def same_area(self, other, rect):
        return self.crop(*rect).rgb == other.crop(*rect).rgb

    def count_different(self, other, rect=None, tolerance=0):
        """Pixels of rect where a channel differs from other's by more than tolerance."""
        rect = rect or (0, 0, self.width, self.height)
        return _differing(self.crop(*rect).picture, other.crop(*rect).picture, tolerance).histogram()[255]

    def reduced(self, fx, fy=None):
        """A picture shown in fx x fy blocks (fy = fx unless given) back at its size: each block's top-left pixel."""
        fy = fx if fy is None else fy
        # Each target pixel's centre maps to its block's corner plus half a pixel, exact in floating point.
        return Image(self.picture.transform((-(-self.width // fx), -(-self.height // fy)), Pillow.Transform.AFFINE,
                                            (fx, 0, 0.5 - fx / 2, 0, fy, 0.5 - fy / 2), Pillow.Resampling.NEAREST))

    def blocks_off(self, original, factor, area=None):
        """The pixels (x, y) of original's area this picture, original factor times larger, shows otherwise."""
        ax, ay, aw, ah = area or (0, 0, original.width, original.height)
        want = original.crop(ax, ay, aw, ah).picture.resize((aw * factor, ah * factor), Pillow.Resampling.NEAREST)
        off = _differing(self.crop(ax * factor, ay * factor, aw * factor, ah * factor).picture, want).reduce(factor)
        return [(ax + i % aw, ay + i // aw) for i, v in enumerate(off.getdata()) if v]

    def mixed_blocks(self, area, factor):
        """Blocks of factor x factor over area (in blocks) of more than one colour: drawn finer, not enlarged."""
        x, y, w, h = area
        part = self.crop(x * factor, y * factor, w * factor, h * factor)
        flat = part.reduced(factor).picture.resize(part.picture.size, Pillow.Resampling.NEAREST)
        return w * h - _differing(part.picture, flat).reduce(factor).histogram()[0]

    def mean(self, rect):  # (r, g, b) as floats
        return tuple(ImageStat.Stat(self.crop(*rect).picture).mean)

    def save_png(self, path):
        self.picture.save(path, "PNG")


def load(file):  # a PNG or PPM, named or open, any alpha dropped
    with Pillow.open(file) as picture:
        return Image(picture.convert("RGB"))


def is_dark(c, limit=60):
    return c[0] < limit and c[1] < limit and c[2] < limit


def is_white(c, limit=200):
    return c[0] >= limit and c[1] >= limit and c[2] >= limit


def is_navy(c):
    return c[0] < 20 and c[1] < 20 and 108 <= c[2] <= 148
