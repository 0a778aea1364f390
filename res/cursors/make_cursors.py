#!/usr/bin/env python3
"""Draws the chart's four 32 x 32 two-colour cursors (black outline, white body, transparent
elsewhere) and writes them as PNG files next to this script: a hand for panning and a magnifier
for each zoom mode. Standard library only."""
import math
import os
import struct
import zlib

SIZE = 32


def write_png(path, rows):
    raw = b"".join(b"\x00" + bytes(v for px in row for v in px) for row in rows)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    header = struct.pack(">IIBBBBB", SIZE, SIZE, 8, 6, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
                chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def render(body, ink=lambda x, y: False):
    """body(x, y): inside the white shape; its border and ink(x, y) are black."""
    black, white, clear = (0, 0, 0, 255), (255, 255, 255, 255), (0, 0, 0, 0)
    rows = []
    for y in range(SIZE):
        row = []
        for x in range(SIZE):
            if not body(x, y):
                row.append(clear)
                continue
            edge = any(not body(x + dx, y + dy) for dx in (-1, 0, 1) for dy in (-1, 0, 1))
            row.append(black if edge or ink(x, y) else white)
        rows.append(row)
    return rows


def inside(x, y):
    return 0 <= x < SIZE and 0 <= y < SIZE


def hand(x, y):
    if not inside(x, y):
        return False
    fingers = [(8, 6), (12, 3), (16, 3), (20, 5)]  # left column, top row; each 4 wide
    if any(fx <= x < fx + 4 and top <= y <= 16 for fx, top in fingers):
        return True
    if 8 <= x <= 23 and 14 <= y <= 27 and not (x in (8, 23) and y == 27):
        return True
    return 3 <= x <= 8 and 13 <= y <= 21 and x - 3 >= (y - 13) // 2  # thumb


def hand_ink(x, y):
    return y in range(8, 15) and x in (11, 15, 19)  # the gaps between the fingers


LENS_X, LENS_Y, LENS_R = 12, 12, 10


def magnifier(x, y):
    if not inside(x, y):
        return False
    if math.hypot(x - LENS_X, y - LENS_Y) <= LENS_R:
        return True
    # handle: a bar 5 pixels thick from the lens down to the bottom right corner
    t = ((x - 19) + (y - 19)) / 2
    d = abs((x - 19) - (y - 19)) / math.sqrt(2)
    return 0 <= t <= 11 and d <= 2.6


def ring(x, y):
    r = math.hypot(x - LENS_X, y - LENS_Y)
    return 7.5 <= r <= LENS_R or (r > LENS_R and magnifier(x, y))


def zoom_window(x, y):  # a dotted window in the lens
    on_frame = (x in (8, 16) and 8 <= y <= 16) or (y in (8, 16) and 8 <= x <= 16)
    return ring(x, y) or (on_frame and (x + y) % 2 == 0)


def zoom_drag(x, y):  # plus and minus: drag to zoom in or out
    plus = (y == 9 and 9 <= x <= 15) or (x == 12 and 6 <= y <= 12)
    minus = y == 15 and 9 <= x <= 15
    return ring(x, y) or plus or minus


def zoom_positive(x, y):  # a solid window in the lens: the axes keep their direction
    frame = (x in (8, 16) and 8 <= y <= 16) or (y in (8, 16) and 8 <= x <= 16)
    arrow = (y == 12 and 10 <= x <= 14) or (x == 13 and abs(y - 12) == 1)
    return ring(x, y) or frame or arrow


if __name__ == "__main__":
    here = os.path.dirname(os.path.abspath(__file__))
    pictures = {
        "curhand": render(hand, hand_ink),
        "curzoomw": render(magnifier, zoom_window),
        "curzoomd": render(magnifier, zoom_drag),
        "curzoomp": render(magnifier, zoom_positive),
    }
    for name, rows in pictures.items():
        write_png(os.path.join(here, name + ".png"), rows)
