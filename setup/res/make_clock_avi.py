#!/usr/bin/env python3
"""Writes clock.avi: the setup's busy animation, a clock face whose hand
turns in eight steps. 32 x 32, uncompressed 8-bit frames, no sound: the form
the system's animation control plays."""
import math
import struct
import sys

W = H = 32
FRAMES = 8


def chunk(tag, data):
    pad = b"\0" if len(data) % 2 else b""
    return tag + struct.pack("<I", len(data)) + data + pad


def lst(kind, data):
    return chunk(b"LIST", kind + data)


def frame(step):
    pixels = bytearray(W * H)  # colour 0: background
    cx = cy = (W - 1) / 2
    for y in range(H):
        for x in range(W):
            d = math.hypot(x - cx, y - cy)
            if 13 <= d <= 15:
                pixels[y * W + x] = 1  # rim
    angle = 2 * math.pi * step / FRAMES
    for r in range(0, 12):
        x = int(round(cx + r * math.sin(angle)))
        y = int(round(cy + r * math.cos(angle)))  # bottom-up rows
        for dx in (0, 1):
            if 0 <= x + dx < W:
                pixels[y * W + x + dx] = 2  # hand
    return bytes(pixels)


def write_avi(path, width, height, colours, frames, usec=125000):
    """An uncompressed 8-bit AVI of `frames` (bottom-up rows of palette
    indexes), `colours` the palette's first entries as BGR0 bytes."""
    palette = bytearray(256 * 4)
    for i, colour in enumerate(colours):
        palette[i * 4:i * 4 + 4] = bytes(colour)
    size = width * height
    count = len(frames)
    bih = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 8, 0, size, 0, 0, 256, 0) + bytes(palette)
    avih = struct.pack("<IIIIIIIIII4I", usec, size * 8, 0, 0x10, count, 0, 1, size, width, height, 0, 0, 0, 0)
    strh = struct.pack("<4s4sIHHIIIIIIIIhhhh", b"vids", b"DIB ", 0, 0, 0, 0, 1, 8, 0, count, size, 0xFFFFFFFF, 0,
                       0, 0, width, height)
    hdrl = lst(b"hdrl", chunk(b"avih", avih) + lst(b"strl", chunk(b"strh", strh) + chunk(b"strf", bih)))
    movi_body = b""
    index = b""
    offset = 4
    for data in frames:
        index += struct.pack("<4sIII", b"00db", 0x10, offset, len(data))
        c = chunk(b"00db", data)
        movi_body += c
        offset += len(c)
    body = b"AVI " + hdrl + lst(b"movi", movi_body) + chunk(b"idx1", index)
    with open(path, "wb") as f:
        f.write(b"RIFF" + struct.pack("<I", len(body)) + body)


def main(path):
    colours = [(255, 255, 255, 0),  # white (BGR0)
               (128, 64, 0, 0),     # dark blue rim
               (0, 0, 192, 0)]      # red hand
    write_avi(path, W, H, colours, [frame(i) for i in range(FRAMES)])


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "clock.avi")
