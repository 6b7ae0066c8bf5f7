#!/usr/bin/python3
"""Writes the small seed corpus of the two fuzzers (committed; run again only
to change it). The game's values are packed byte by byte; the pictures are
written by Pillow."""
import io
import os
import struct

from PIL import Image

here = os.path.dirname(os.path.abspath(__file__))


def put(folder, name, data):
    path = os.path.join(here, 'corpus', folder)
    os.makedirs(path, exist_ok=True)
    with open(os.path.join(path, name), 'wb') as f:
        f.write(data)


# --- high-score file: [n][n x int32][name length][name][file] ---
def table_input(scores, name, file_bytes):
    head = bytes([len(scores)]) + b''.join(struct.pack('<i', s) for s in scores)
    return head + bytes([len(name)]) + name + file_bytes


default = (b'Tilebash\r\n30000\r\nTilebash\r\n20000\r\nTilebash\r\n15000\r\n'
           b'Tilebash\r\n10000\r\nTilebash\r\n5000\r\n')
put('highscore', 'default_table', table_input([5001, 30001, 20000], b'Ann', default))
put('highscore', 'damaged_table',
    table_input([-2147483648, 2147483647, 0], b'',
                b'A name much longer than ten\r12x\n\r\n+7\r\r\n  99  \xe9\xff\x00\r\n'))
put('highscore', 'lf_only_short', table_input([100], 'J\u00f6rg \u20ac'.encode('utf-8'),
                                              b'Bob\n300\nCy\n'))
put('highscore', 'empty_file', table_input([1, 2, 3, 4, 5, 6], b'\r\nX', b''))
put('highscore', 'extra_lines', table_input([], b'', default + b'more\r\nlines\r\n'))


# --- sprite sheet: 64 bytes of GameState values, then the file ---
def params(values):
    values = list(values) + [0] * (32 - len(values))
    return b''.join(struct.pack('<h', v) for v in values)


# The game's own places: ball, paddle, bonus item, wall at 10,50, flags.
game_like = params([263, 374, 15, 15, 52, 45, 52, 30,
                    230, 390, 80, 15, 0, 15, 0, 0,
                    100, 200, 25, 25, 50, 110, 52, 60,
                    10, 50, 0, 30, 0x3404, 0x7fff, 0x0105, 1000])
edges = params([-32768, 32767, 32767, -1, 32767, -32768, 79, 159,
                530, 410, 32767, 32767, -80, -160, 80, 160,
                -25, 409, 1, 1, 32767, 32767, -32768, -32768,
                -32768, 32767, 32767, 32767, -1, -1, -1, -1])


def bmp(mode, size, data, palette=None):
    """The picture as a BMP file, written by Pillow (bottom-up, rows padded)."""
    image = Image.frombytes(mode, size, data)
    if palette:
        image.putpalette(palette)
    out = io.BytesIO()
    image.save(out, 'BMP')
    return out.getvalue()


tiny24 = bmp('RGB', (4, 4), bytes([(x * 60) & 255 for x in range(4) for _ in range(3)]) * 4)
sheet_header = bmp('RGB', (80, 160), b'\xff' * 240 * 160)
put('sheet', 'tiny_24bit', game_like + tiny24)
put('sheet', 'truncated_80x160', game_like + sheet_header[:54 + 240 * 3 + 17])
put('sheet', 'palette_8bit', edges + bmp('P', (3, 2), bytes([0, 1, 2]) * 2, palette=[0, 0, 0, 255, 255, 255, 255, 0, 0]))
put('sheet', 'one_pixel_32bit', edges + bmp('RGBA', (1, 1), b'\x30\x20\x10\x00'))
put('sheet', 'not_a_bitmap', game_like + b'GIF89a this is not a bitmap')
