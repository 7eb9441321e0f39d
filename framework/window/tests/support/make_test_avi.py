#!/usr/bin/env python3
"""Writes test_anim.avi beside this script: an uncompressed 32-bit AVI of
four 16 x 16 frames (red, green, blue, yellow) at 10 frames a second, for
the media window's tests. 32-bit frames, because Wine's AVI player draws
uncompressed 24-bit frames as if they had 32 bits a pixel: stripes."""
import os
import struct

W = H = 16
FRAMES = [(255, 0, 0), (0, 255, 0), (0, 0, 255), (255, 255, 0)]
RATE = 10


def chunk(tag, data):
    pad = b"\0" if len(data) % 2 else b""
    return tag + struct.pack("<I", len(data)) + data + pad


def riff_list(kind, tag, data):
    return kind + struct.pack("<I", len(data) + 4) + tag + data


frame_size = W * H * 4
avih = struct.pack("<IIIIIIIIIIIIII", 1000000 // RATE, frame_size * RATE, 0, 0x10, len(FRAMES), 0, 1, frame_size,
                   W, H, 0, 0, 0, 0)
strh = struct.pack("<4s4sIHHIIIIIIIIhhhh", b"vids", b"DIB ", 0, 0, 0, 0, 1, RATE, 0, len(FRAMES), frame_size,
                   0xFFFFFFFF, 0, 0, 0, W, H)
strf = struct.pack("<IiiHHIIiiII", 40, W, H, 1, 32, 0, frame_size, 0, 0, 0, 0)
hdrl = riff_list(b"LIST", b"hdrl", chunk(b"avih", avih) + riff_list(b"LIST", b"strl", chunk(b"strh", strh) + chunk(b"strf", strf)))

movi_data = b""
index = b""
for r, g, b in FRAMES:
    offset = len(movi_data) + 4  # from the "movi" tag
    pixels = bytes((b, g, r, 0)) * (W * H)
    movi_data += chunk(b"00db", pixels)
    index += struct.pack("<4sIII", b"00db", 0x10, offset, frame_size)
movi = riff_list(b"LIST", b"movi", movi_data)
body = hdrl + movi + chunk(b"idx1", index)
data = riff_list(b"RIFF", b"AVI ", body)
with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "test_anim.avi"), "wb") as f:
    f.write(data)
