#!/usr/bin/env python3
"""Draws ethnic.png, the picture of a generic Ethernet NIC that ETHCFG shows:
a green board with one controller, an RJ-45 port on its bracket and gold
contacts. Run it only after changing the drawing; the PNG is kept in the
repository. The top-left pixel (light grey) is the transparent colour."""
import struct
import zlib

W, H = 160, 96
BACKGROUND = (0xC0, 0xC0, 0xC0)
pixels = [[BACKGROUND] * W for _ in range(H)]


def fill(x, y, w, h, colour):
    for row in range(max(0, y), min(H, y + h)):
        for col in range(max(0, x), min(W, x + w)):
            pixels[row][col] = colour


# board with a darker edge
fill(18, 14, 134, 60, (0x1E, 0x5E, 0x2E))
fill(20, 16, 130, 56, (0x2E, 0x8B, 0x45))
# bracket on the left, with the port and two link lights
fill(6, 8, 10, 78, (0xA8, 0xA8, 0xB0))
fill(8, 8, 6, 78, (0xD0, 0xD0, 0xD8))
fill(14, 30, 16, 22, (0x30, 0x30, 0x30))
fill(16, 33, 12, 16, (0x10, 0x10, 0x10))
fill(18, 40, 8, 8, (0xB0, 0x90, 0x40))
fill(16, 24, 4, 4, (0x40, 0xE0, 0x40))
fill(24, 24, 4, 4, (0xF0, 0xB0, 0x20))
# controller chip with its pins, a crystal, a few small parts
fill(70, 26, 32, 32, (0x20, 0x20, 0x24))
for i in range(6):
    fill(74 + i * 5, 23, 2, 3, (0xC8, 0xC8, 0xC8))
    fill(74 + i * 5, 58, 2, 3, (0xC8, 0xC8, 0xC8))
    fill(67, 30 + i * 5, 3, 2, (0xC8, 0xC8, 0xC8))
    fill(102, 30 + i * 5, 3, 2, (0xC8, 0xC8, 0xC8))
fill(112, 30, 10, 6, (0xD8, 0xD8, 0xE0))
fill(40, 24, 18, 10, (0x18, 0x18, 0x18))
for i in range(4):
    fill(118 + i * 7, 48, 4, 8, (0x70, 0x50, 0x30))
# gold edge contacts below the board
fill(44, 74, 96, 8, (0x2E, 0x8B, 0x45))
for i in range(24):
    fill(46 + i * 4, 75, 2, 7, (0xE0, 0xB8, 0x40))

raw = b"".join(b"\x00" + bytes(c for p in row for c in p) for row in pixels)


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))


png = (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", W, H, 8, 2, 0, 0, 0))
       + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))
with open(__file__.rsplit("/", 1)[0] + "/ethnic.png" if "/" in __file__ else "ethnic.png", "wb") as out:
    out.write(png)
