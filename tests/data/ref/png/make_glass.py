#!/usr/bin/env python3
"""Writes glass.png, a picture whose alpha runs from clear to solid, and glass-on-RRGGBB.bmp:
the same picture already laid over each plain colour the reference pages put under it
(rounded as (picture x alpha + colour x (255 - alpha) + 127) / 255). A page that shows
glass.png over a colour must paint exactly what the page with the opaque BMP paints.
Nothing at build or test time runs this: the outputs are committed."""
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
W, H = 40, 24
UNDER = [(0xC0, 0x40, 0x20), (0x20, 0x60, 0xA0), (0x30, 0xA0, 0x50)]


def pixel(x, y):
    r, g, b = (x * 6) % 256, 255 - y * 10, 128 if (x // 4 + y // 4) % 2 else 40
    if x < 5:
        a = 0
    elif x >= 35:
        a = 255
    else:
        a = min(255, (x - 5) * 255 // 30 + (y % 3) * 7)
    return r, g, b, a


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def write_png(path):
    raw = b"".join(b"\0" + b"".join(bytes(pixel(x, y)) for x in range(W)) for y in range(H))
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", W, H, 8, 6, 0, 0, 0))
                + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def write_bmp(path, under):
    row = (W * 3 + 3) // 4 * 4
    data = bytearray()
    for y in reversed(range(H)):
        line = bytearray()
        for x in range(W):
            r, g, b, a = pixel(x, y)
            mix = [(p * a + u * (255 - a) + 127) // 255 for p, u in zip((r, g, b), under)]
            line += bytes((mix[2], mix[1], mix[0]))
        data += line + bytes(row - len(line))
    head = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, W, H, 1, 24, 0, len(data), 0, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(head + info + data)


write_png(os.path.join(HERE, "glass.png"))
for under in UNDER:
    write_bmp(os.path.join(HERE, "glass-on-%02x%02x%02x.bmp" % under), under)
