#!/usr/bin/env python3
"""Writes the button tests' bitmaps beside this script (8-bit BMP with a
colour table, as button bitmaps are, so that their greys can be mapped to
the system's button colours): a strip
of three 16 x 16 images (red, green, blue from the top), three separate
20 x 14 images (normal yellow, pressed cyan, hot magenta) and a 16 x 16
image with a light-grey (0xC0C0C0) margin around a dark red centre."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def write(name, width, height, pixel):
    colours = sorted({pixel(x, y) for y in range(height) for x in range(width)})
    table = b"".join(bytes((b, g, r, 0)) for r, g, b in colours)
    stride = (width + 3) // 4 * 4
    rows = b""
    for y in range(height - 1, -1, -1):  # bottom-up
        row = bytes(colours.index(pixel(x, y)) for x in range(width))
        rows += row + b"\0" * (stride - width)
    header = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 8, 0, len(rows), 0, 0, len(colours), 0)
    offset = 14 + len(header) + len(table)
    data = b"BM" + struct.pack("<IHHI", offset + len(rows), 0, 0, offset) + header + table + rows
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(data)


STRIP = [(255, 0, 0), (0, 255, 0), (0, 0, 255)]
write("button_strip.bmp", 16, 48, lambda x, y: STRIP[y // 16])
write("button_normal.bmp", 20, 14, lambda x, y: (255, 255, 0))
write("button_pressed.bmp", 20, 14, lambda x, y: (0, 255, 255))
write("button_hot.bmp", 20, 14, lambda x, y: (255, 0, 255))
write("button_image.bmp", 16, 16,
      lambda x, y: (200, 0, 0) if 3 <= x < 13 and 3 <= y < 13 else (0xC0, 0xC0, 0xC0))
