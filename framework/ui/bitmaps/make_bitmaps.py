#!/usr/bin/env python3
"""Draws the framework's browse-button bitmaps (16 x 16, 24-bit, light grey
0xC0C0C0 where the button shows through) and writes them beside this script:
browse_folder.bmp (bitmap 10500, folder and file browse) and browse_inet.bmp
(bitmap 14195, internet address browse)."""
import math
import os
import struct

GREY = (192, 192, 192)
SIZE = 16


def write_bmp(path, pixels):
    stride = (SIZE * 3 + 3) // 4 * 4
    rows = b""
    for y in reversed(range(SIZE)):  # bottom-up
        row = b"".join(bytes((b, g, r)) for (r, g, b) in pixels[y])
        rows += row + b"\0" * (stride - len(row))
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE, 1, 24, 0, len(rows), 2835, 2835, 0, 0)
    file_header = struct.pack("<2sIHHI", b"BM", 14 + len(header) + len(rows), 0, 0, 14 + len(header))
    with open(path, "wb") as f:
        f.write(file_header + header + rows)


def folder():
    px = [[GREY] * SIZE for _ in range(SIZE)]
    dark, body, light = (128, 96, 0), (240, 200, 64), (255, 232, 128)
    for x in range(1, 7):
        px[3][x] = dark
    for x in range(1, 7):
        px[4][x] = light
    for y in range(4, 14):
        for x in range(1, 15):
            edge = y in (4, 13) and x > 6 or y == 13 or x in (1, 14)
            px[y][x] = dark if edge else body
    for x in range(2, 14):
        px[6][x] = light
    return px


def globe():
    px = [[GREY] * SIZE for _ in range(SIZE)]
    sea, land, line = (32, 96, 208), (48, 160, 64), (16, 32, 96)
    c = 7.5
    for y in range(SIZE):
        for x in range(SIZE):
            d = math.hypot(x - c, y - c)
            if d > 7.2:
                continue
            if d > 6.2:
                px[y][x] = line
            elif abs(x - c) < 0.6 or abs(y - c) < 0.6 or abs(math.hypot((x - c) * 2.2, y - c) - 6.5) < 0.8:
                px[y][x] = line
            elif (x + 2 * y) % 7 < 3 and d < 5.5:
                px[y][x] = land
            else:
                px[y][x] = sea
    return px


here = os.path.dirname(os.path.abspath(__file__))
write_bmp(os.path.join(here, "browse_folder.bmp"), folder())
write_bmp(os.path.join(here, "browse_inet.bmp"), globe())
