"""Pictures of the screen as plain RGB bytes, read pixel by pixel.

Grabs come from ImageMagick's `import` as binary PPM; saving writes PNG with
zlib alone, so nothing beyond the standard library is needed to look at them.
"""

import struct
import zlib


class Image:
    """An RGB picture; (x, y) from the top-left corner, y downwards."""

    def __init__(self, width, height, rgb):
        if len(rgb) != width * height * 3:
            raise ValueError("picture data does not match %dx%d" % (width, height))
        self.width = width
        self.height = height
        self.rgb = bytes(rgb)

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return self.rgb[i], self.rgb[i + 1], self.rgb[i + 2]

    def crop(self, x, y, w, h):
        x0, y0 = max(0, x), max(0, y)
        x1, y1 = min(self.width, x + w), min(self.height, y + h)
        rows = [self.rgb[(r * self.width + x0) * 3:(r * self.width + x1) * 3] for r in range(y0, y1)]
        return Image(max(0, x1 - x0), max(0, y1 - y0), b"".join(rows))

    def row(self, y, x0=0, x1=None):
        x1 = self.width if x1 is None else x1
        return self.rgb[(y * self.width + x0) * 3:(y * self.width + x1) * 3]

    def pixels(self, rect=None):
        """Yields (x, y, (r, g, b)) over rect = (x, y, w, h), or the whole picture."""
        rx, ry, rw, rh = rect if rect else (0, 0, self.width, self.height)
        for y in range(max(0, ry), min(self.height, ry + rh)):
            line = self.row(y)
            for x in range(max(0, rx), min(self.width, rx + rw)):
                i = x * 3
                yield x, y, (line[i], line[i + 1], line[i + 2])

    def count(self, predicate, rect=None):
        return sum(1 for _, _, c in self.pixels(rect) if predicate(c))

    def same_area(self, other, rect):
        """True when both pictures hold the same bytes in rect."""
        x, y, w, h = rect
        return all(self.row(r, x, x + w) == other.row(r, x, x + w) for r in range(y, y + h))

    def reduced(self, factor):
        """A picture shown in factor x factor blocks, back at its own size: the
        top-left pixel of each block."""
        w, h, step = self.width // factor, self.height // factor, 3 * factor
        rows = []
        for y in range(h):
            line, out = self.row(y * factor, 0, w * factor), bytearray(w * 3)
            for c in range(3):
                out[c::3] = line[c::step]
            rows.append(bytes(out))
        return Image(w, h, b"".join(rows))

    def blocks_off(self, original, factor, area=None):
        """The pixels (x, y) of original's area that this picture, original
        enlarged factor times, does not show as one exact block of their colour."""
        ax, ay, aw, ah = area or (0, 0, original.width, original.height)
        n = 3 * factor
        off = []
        for y in range(ay, ay + ah):
            line = original.row(y, ax, ax + aw)
            want = b"".join(line[i:i + 3] * factor for i in range(0, len(line), 3))
            rows = [self.row(y * factor + d, ax * factor, (ax + aw) * factor) for d in range(factor)]
            if any(r != want for r in rows):
                off += [(ax + i, y) for i in range(aw) if any(r[i * n:i * n + n] != want[i * n:i * n + n]
                                                              for r in rows)]
        return off

    def mixed_blocks(self, area, factor):
        """How many factor x factor blocks over area (given in blocks) hold more
        than one colour: drawn at the finer scale rather than enlarged."""
        x, y, w, h = area
        n = 3 * factor
        mixed = 0
        for by in range(y, y + h):
            rows = [self.row(by * factor + d, x * factor, (x + w) * factor) for d in range(factor)]
            for i in range(0, w * n, n):
                first = rows[0][i:i + 3]
                if any(r[i:i + n] != first * factor for r in rows):
                    mixed += 1
        return mixed

    def mean(self, rect):
        """The mean (r, g, b) over rect, as floats."""
        x, y, w, h = rect
        sums = [0, 0, 0]
        for r in range(y, y + h):
            line = self.row(r, x, x + w)
            for c in range(3):
                sums[c] += sum(line[c::3])
        return tuple(s / (w * h) for s in sums)

    def count_different(self, other, rect=None, tolerance=0):
        rx, ry, rw, rh = rect if rect else (0, 0, self.width, self.height)
        n = 0
        for y in range(ry, ry + rh):
            a, b = self.row(y, rx, rx + rw), other.row(y, rx, rx + rw)
            if a == b:
                continue
            for x in range(rw):
                i = x * 3
                if max(abs(a[i] - b[i]), abs(a[i + 1] - b[i + 1]), abs(a[i + 2] - b[i + 2])) > tolerance:
                    n += 1
        return n

    def save_png(self, path):
        raw = b"".join(b"\x00" + self.row(y) for y in range(self.height))

        def chunk(kind, data):
            body = kind + data
            return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

        header = struct.pack(">IIBBBBB", self.width, self.height, 8, 2, 0, 0, 0)
        with open(path, "wb") as f:
            f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 6))
                    + chunk(b"IEND", b""))


def parse_ppm(data):
    """Reads a binary PPM (P6, maxval 255) as produced by ImageMagick."""
    fields = []
    pos = 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] == b"#":
            pos = data.index(b"\n", pos) + 1
            continue
        end = pos
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[pos:end])
        pos = end
    pos += 1  # the single blank after maxval
    if fields[0] != b"P6" or int(fields[3]) != 255:
        raise ValueError("not an 8-bit binary PPM")
    width, height = int(fields[1]), int(fields[2])
    return Image(width, height, data[pos:pos + width * height * 3])


def load_png(path):
    """An 8-bit, non-interlaced RGB or RGBA PNG (the kind our artwork tool writes)."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError("%s is not a PNG file" % path)
    pos, idat, header = 8, [], None
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat.append(body)
        pos += 12 + length
    width, height, depth, colour, _, _, interlace = header
    channels = {2: 3, 6: 4}.get(colour)
    if depth != 8 or channels is None or interlace:
        raise ValueError("%s: only 8-bit non-interlaced RGB(A) PNGs are read" % path)
    raw = zlib.decompress(b"".join(idat))
    stride = width * channels
    prev = bytearray(stride)
    rows = []
    for y in range(height):
        start = y * (stride + 1)
        kind, line = raw[start], bytearray(raw[start + 1:start + 1 + stride])
        for i in range(stride):
            left = line[i - channels] if i >= channels else 0
            up = prev[i]
            if kind == 1:
                line[i] = (line[i] + left) & 0xFF
            elif kind == 2:
                line[i] = (line[i] + up) & 0xFF
            elif kind == 3:
                line[i] = (line[i] + ((left + up) >> 1)) & 0xFF
            elif kind == 4:
                corner = prev[i - channels] if i >= channels else 0
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                line[i] = (line[i] + (left if pa <= pb and pa <= pc else up if pb <= pc else corner)) & 0xFF
        rows.append(bytes(line) if channels == 3 else bytes(b for j, b in enumerate(line) if j % 4 != 3))
        prev = line
    return Image(width, height, b"".join(rows))


def is_dark(c, limit=60):
    return c[0] < limit and c[1] < limit and c[2] < limit


def is_white(c, limit=200):
    return c[0] >= limit and c[1] >= limit and c[2] >= limit


def is_navy(c):
    return c[0] < 20 and c[1] < 20 and 108 <= c[2] <= 148
