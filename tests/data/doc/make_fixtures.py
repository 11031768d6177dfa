#!/usr/bin/env python3
# Regenerates the pictures of the text section tests (nothing runs this at build or test time;
# the outputs are committed):
#   wide-200x50.bmp  a one-bit 200 x 50 BMP, left half black, right half white;
#   two-frames.gif   an 8 x 6 GIF89a of two frames (red, then blue), looping, 100 ms each,
#                    its pixel data written as literal codes with a clear code before each.
import struct

w, h = 200, 50
row = ((w + 31) // 32) * 4
pixels = bytearray()
for y in range(h):
    r = bytearray(row)
    for x in range(100, w):
        r[x // 8] |= 0x80 >> (x % 8)
    pixels += r
pal = b"\x00\x00\x00\x00" + b"\xff\xff\xff\x00"
off = 14 + 40 + len(pal)
hdr = b"BM" + struct.pack("<IHHI", off + len(pixels), 0, 0, off)
info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 1, 0, len(pixels), 0, 0, 2, 0)
open("wide-200x50.bmp", "wb").write(hdr + info + pal + bytes(pixels))


def literal_lzw(values, min_code_size=2):
    clear, end, size = 1 << min_code_size, (1 << min_code_size) + 1, min_code_size + 1
    codes = []
    for v in values:
        codes += [clear, v]
    codes.append(end)
    out, acc, n = bytearray(), 0, 0
    for c in codes:
        acc |= c << n
        n += size
        while n >= 8:
            out.append(acc & 0xFF)
            acc >>= 8
            n -= 8
    if n:
        out.append(acc & 0xFF)
    return out


def sub_blocks(data):
    b = bytearray()
    for i in range(0, len(data), 255):
        chunk = data[i:i + 255]
        b.append(len(chunk))
        b += chunk
    b.append(0)
    return bytes(b)


W, H = 8, 6
g = bytearray(b"GIF89a" + struct.pack("<HH", W, H) + bytes([0xF1, 0, 0]))
g += bytes([255, 0, 0, 0, 0, 255, 0, 255, 0, 255, 255, 255])
g += b"\x21\xff\x0bNETSCAPE2.0\x03\x01\x00\x00\x00"
for colour in (0, 1):
    g += b"\x21\xf9\x04\x00\x0a\x00\x00\x00"
    g += b"\x2c" + struct.pack("<HHHH", 0, 0, W, H) + b"\x00"
    g += bytes([2]) + sub_blocks(literal_lzw([colour] * (W * H)))
g += b"\x3b"
open("two-frames.gif", "wb").write(bytes(g))
