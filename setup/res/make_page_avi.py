#!/usr/bin/env python3
"""Writes pages.avi: the animation at the top of the setup pages, a debug pod
whose lamp runs along its front in eight steps. 48 x 32, uncompressed 8-bit
frames, no sound: the form the system's media window plays. The AVI writing
is the busy clock's (make_clock_avi.py)."""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from make_clock_avi import write_avi  # noqa: E402

W, H = 48, 32
FRAMES = 8


def frame(step):
    pixels = bytearray(W * H)  # colour 0: background
    for y in range(8, 24):  # rows count from the bottom
        for x in range(4, 44):
            edge = y in (8, 23) or x in (4, 43)
            pixels[y * W + x] = 1 if edge else 2  # frame, body
    for x in range(10, 39, 4):  # the cable at the right, the pins below
        for y in range(4, 8):
            pixels[y * W + x] = 1
    for y in range(14, 18):
        for x in range(44, 48):
            pixels[y * W + x] = 1
    lamp = 8 + step * 4
    for y in range(13, 19):
        for x in range(lamp, lamp + 4):
            pixels[y * W + x] = 3
    return bytes(pixels)


def main(path):
    colours = [(255, 255, 255, 0),  # white (BGR0)
               (96, 48, 0, 0),      # dark blue frame
               (200, 200, 200, 0),  # grey body
               (0, 176, 0, 0)]      # green lamp
    write_avi(path, W, H, colours, [frame(i) for i in range(FRAMES)])


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "pages.avi")
