#!/usr/bin/env python3
"""Writes pages.avi: the animation at the top of the setup pages, a debug pod
whose lamp runs along its front in eight steps. 48 x 32, uncompressed 8-bit
frames, no sound: the form the system's media window plays. The RIFF writing
is the busy clock's (make_clock_avi.py)."""
import os
import struct
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from make_clock_avi import chunk, lst  # noqa: E402

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
    palette = bytearray(256 * 4)
    palette[0:4] = bytes((255, 255, 255, 0))   # white (BGR0)
    palette[4:8] = bytes((96, 48, 0, 0))       # dark blue frame
    palette[8:12] = bytes((200, 200, 200, 0))  # grey body
    palette[12:16] = bytes((0, 176, 0, 0))     # green lamp
    bih = struct.pack("<IiiHHIIiiII", 40, W, H, 1, 8, 0, W * H, 0, 0, 256, 0) + bytes(palette)
    usec = 125000
    avih = struct.pack("<IIIIIIIIII4I", usec, W * H * 8, 0, 0x10, FRAMES, 0, 1, W * H, W, H, 0, 0, 0, 0)
    strh = struct.pack("<4s4sIHHIIIIIIIIhhhh", b"vids", b"DIB ", 0, 0, 0, 0, 1, 8, 0, FRAMES, W * H, 0xFFFFFFFF, 0,
                       0, 0, W, H)
    hdrl = lst(b"hdrl", chunk(b"avih", avih) + lst(b"strl", chunk(b"strh", strh) + chunk(b"strf", bih)))
    movi_body = b""
    index = b""
    offset = 4
    for i in range(FRAMES):
        data = frame(i)
        index += struct.pack("<4sIII", b"00db", 0x10, offset, len(data))
        c = chunk(b"00db", data)
        movi_body += c
        offset += len(c)
    body = b"AVI " + hdrl + lst(b"movi", movi_body) + chunk(b"idx1", index)
    with open(path, "wb") as f:
        f.write(b"RIFF" + struct.pack("<I", len(body)) + body)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "pages.avi")
