#!/usr/bin/env python3
"""Draws the program icon (a playlist sheet with a note) as icon16.png and
icon32.png next to this script. Standard library only."""
import os
import struct
import zlib

PAPER = (250, 250, 245, 255)
EDGE = (60, 70, 90, 255)
LINE = (120, 140, 170, 255)
NOTE = (200, 40, 40, 255)
CLEAR = (0, 0, 0, 0)


def draw(n):
    """Pixels of an n x n icon, drawn on a 32 x 32 grid and scaled down."""
    def at(x, y):
        # x, y in the 32 x 32 grid
        if not (4 <= x <= 27 and 2 <= y <= 29):
            return CLEAR
        if x in (4, 27) or y in (2, 29):
            return EDGE
        # the note: a head and a stem in the lower right
        if (x - 19) ** 2 + (y - 23) ** 2 <= 9:
            return NOTE
        if x in (21, 22) and 11 <= y <= 23:
            return NOTE
        if 21 <= x <= 25 and y in (11, 12):
            return NOTE
        # the list lines on the left
        if y in (7, 11, 15, 19) and 8 <= x <= (17 if y > 10 else 23):
            return LINE
        return PAPER
    step = 32 // n
    return [[at(x * step + step // 2, y * step + step // 2) for x in range(n)]
            for y in range(n)]


def png(rows):
    h, w = len(rows), len(rows[0])
    raw = b"".join(b"\0" + b"".join(bytes(p) for p in row) for row in rows)

    def chunk(tag, data):
        body = tag + data
        return (struct.pack(">I", len(data)) + body
                + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF))
    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b""))


if __name__ == "__main__":
    here = os.path.dirname(os.path.abspath(__file__))
    for n in (16, 32):
        with open(os.path.join(here, "icon%d.png" % n), "wb") as f:
            f.write(png(draw(n)))
