#!/usr/bin/env python3
"""Writes the PNG fixtures of the image tests and, beside each, the pixels a decoder must give.

Every colour type at every bit depth PNG allows, plain and Adam7-interlaced, plus the tRNS
forms (palette alphas, a grey key, an RGB key). The PNGs are encoded here, with each of the
five row filters in turn, so they do not depend on the library under test. NAME.pam holds
the expected 8-bit RGBA pixels: small greys scaled up exactly, 16-bit samples rounded to
the nearest 8-bit value (v / 257), tRNS keys compared at the stored depth.

When ImageMagick is installed (apt-get install imagemagick) each file is also decoded by it
and must give the same pixels (16-bit files compared at 16 bits, since ImageMagick cuts rather
than rounds on the way to 8), a check of the encoder and of the expectations alike.
Nothing at build or test time runs this: the outputs are committed.
"""
import os
import shutil
import struct
import subprocess
import sys
import zlib

W, H = 19, 13  # odd sizes: partial bytes at low depths, uneven interlace passes
HERE = os.path.dirname(os.path.abspath(__file__))

CHANNELS = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def pack_row(samples, depth):
    """Samples of one row to bytes at the given depth (MSB first, padded to a byte)."""
    if depth == 16:
        return b"".join(struct.pack(">H", s) for s in samples)
    if depth == 8:
        return bytes(samples)
    out, acc, bits = bytearray(), 0, 0
    for s in samples:
        acc = (acc << depth) | s
        bits += depth
        if bits == 8:
            out.append(acc)
            acc, bits = 0, 0
    if bits:
        out.append(acc << (8 - bits))
    return bytes(out)


def paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


def filter_rows(rows, bpp):
    """Each row with a filter byte in front; the filter cycles through all five."""
    out = bytearray()
    prev = bytes(len(rows[0])) if rows else b""
    for i, row in enumerate(rows):
        f = i % 5
        out.append(f)
        for x, v in enumerate(row):
            a = row[x - bpp] if x >= bpp else 0
            b = prev[x]
            c = prev[x - bpp] if x >= bpp else 0
            pred = [0, a, b, (a + b) // 2, paeth(a, b, c)][f]
            out.append((v - pred) & 0xFF)
        prev = row
    return bytes(out)


ADAM7 = [(0, 0, 8, 8), (4, 0, 8, 8), (0, 4, 4, 8), (2, 0, 4, 4), (0, 2, 2, 4), (1, 0, 2, 2), (0, 1, 1, 2)]


def image_data(pixels, ctype, depth, interlaced):
    """pixels[y][x] is a tuple of samples; returns the zlib stream of IDAT."""
    bpp = max(1, CHANNELS[ctype] * depth // 8)
    flat = lambda row: [s for px in row for s in px]
    if not interlaced:
        raw = filter_rows([pack_row(flat(r), depth) for r in pixels], bpp)
    else:
        raw = b""
        for x0, y0, dx, dy in ADAM7:
            xs, ys = range(x0, W, dx), range(y0, H, dy)
            if not xs or not ys:
                continue
            raw += filter_rows([pack_row(flat([pixels[y][x] for x in xs]), depth) for y in ys], bpp)
    return zlib.compress(raw, 9)


def write_png(path, ctype, depth, interlaced, pixels, plte=None, trns=None):
    data = b"\x89PNG\r\n\x1a\n"
    data += chunk(b"IHDR", struct.pack(">IIBBBBB", W, H, depth, ctype, 0, 0, 1 if interlaced else 0))
    if plte is not None:
        data += chunk(b"PLTE", b"".join(bytes(c) for c in plte))
    if trns is not None:
        data += chunk(b"tRNS", trns)
    idat = image_data(pixels, ctype, depth, interlaced)
    # Two IDAT chunks: the data may be split anywhere.
    half = len(idat) // 2
    data += chunk(b"IDAT", idat[:half]) + chunk(b"IDAT", idat[half:]) + chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(data)


def write_pam(path, rgba):
    with open(path, "wb") as f:
        f.write(f"P7\nWIDTH {W}\nHEIGHT {H}\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n".encode())
        for row in rgba:
            for px in row:
                f.write(bytes(px))


def to8(v, depth):
    if depth == 16:
        return (2 * v + 257) // 514  # v / 257, rounded
    return v * 255 // ((1 << depth) - 1)


def sample(x, y, c, depth):
    """A deterministic sample that sweeps the whole range (low bytes too at 16 bits)."""
    top = (1 << depth) - 1
    if depth == 16:
        return (x * 3391 + y * 7919 + c * 21841 + x * y * 97) % 65536
    return (x + 2 * y + 3 * c + (x * y) // 3) % (top + 1)


def make(name, ctype, depth, interlaced, key=None, palette_alpha=False):
    n = CHANNELS[ctype]
    pixels = [[tuple(sample(x, y, c, depth) for c in range(n)) for x in range(W)] for y in range(H)]
    plte = trns = None
    if ctype == 3:
        count = 1 << depth
        plte = [((i * 53 + 17) % 256, (i * 97 + 40) % 256, (i * 151 + 90) % 256) for i in range(count)]
        if palette_alpha:
            # Fewer alphas than entries: the rest are opaque.
            alphas = [(i * 71) % 256 for i in range(max(1, count - 1))]
            alphas[0] = 0
            trns = bytes(alphas)
    if key is not None:
        if ctype == 0:
            trns = struct.pack(">H", key[0])
        else:
            trns = struct.pack(">HHH", *key)
        # Make sure the key occurs: a diagonal of it.
        for i in range(min(W, H)):
            pixels[i][i] = tuple(key)
    # The pixels at the file's own precision (16 bits or 8), then as a decoder gives them.
    wide = depth == 16
    full = 65535 if wide else 255
    exact = (lambda v: v) if wide else (lambda v: to8(v, depth))
    rgba_wide = []
    for row in pixels:
        out = []
        for px in row:
            if ctype == 0:
                g = exact(px[0])
                out.append((g, g, g, 0 if key is not None and px == tuple(key) else full))
            elif ctype == 2:
                a = 0 if key is not None and px == tuple(key) else full
                out.append(tuple(exact(s) for s in px) + (a,))
            elif ctype == 3:
                r, g, b = plte[px[0]]
                a = trns[px[0]] if trns is not None and px[0] < len(trns) else 255
                out.append((r, g, b, a))
            elif ctype == 4:
                g = exact(px[0])
                out.append((g, g, g, exact(px[1])))
            else:
                out.append(tuple(exact(s) for s in px))
        rgba_wide.append(out)
    rgba = [[tuple(to8(s, 16) for s in px) for px in row] for row in rgba_wide] if wide else rgba_wide
    write_png(os.path.join(HERE, name + ".png"), ctype, depth, interlaced, pixels, plte, trns)
    write_pam(os.path.join(HERE, name + ".pam"), rgba)
    return name, depth, rgba_wide


def imagemagick():
    for tool in ("/usr/bin/convert-im6.q16", "/usr/bin/magick"):
        if os.path.exists(tool):
            return tool
    return None


def main():
    made = []
    kinds = {0: (1, 2, 4, 8, 16), 2: (8, 16), 3: (1, 2, 4, 8), 4: (8, 16), 6: (8, 16)}
    for ctype, depths in kinds.items():
        for depth in depths:
            for interlaced in (False, True):
                made.append(make(f"t{ctype}-{depth}{'-i' if interlaced else ''}", ctype, depth, interlaced))
    made.append(make("trns-palette-8", 3, 8, False, palette_alpha=True))
    made.append(make("trns-palette-2-i", 3, 2, True, palette_alpha=True))
    made.append(make("trns-grey-8", 0, 8, False, key=(77,)))
    made.append(make("trns-grey-16-i", 0, 16, True, key=(40000,)))
    made.append(make("trns-rgb-8", 2, 8, False, key=(10, 200, 30)))
    made.append(make("trns-rgb-16", 2, 16, True, key=(1000, 20000, 65535)))
    with open(os.path.join(HERE, "cases.txt"), "w") as f:
        f.write("".join(name + "\n" for name, _, _ in made))
    tool = imagemagick()
    if tool is None:
        print("ImageMagick not found: the files were not cross-checked", file=sys.stderr)
        return
    bad = 0
    for name, depth, rgba in made:
        # 16-bit files are compared at 16 bits: the encoder and the samples, exactly.
        bits = 16 if depth == 16 else 8
        got = subprocess.run([tool, os.path.join(HERE, name + ".png"), "-depth", str(bits), "-endian", "MSB", "RGBA:-"],
                             check=True, capture_output=True).stdout
        fmt = ">4H" if bits == 16 else "4B"
        want = b"".join(struct.pack(fmt, *px) for row in rgba for px in row)
        if got != want:
            step = 8 if bits == 16 else 4
            diff = sum(1 for i in range(0, len(want), step) if got[i:i + step] != want[i:i + step])
            print(f"{name}: ImageMagick differs in {diff} pixels", file=sys.stderr)
            bad += 1
    print(f"{len(made)} files, {bad} differ from ImageMagick", file=sys.stderr)
    sys.exit(1 if bad else 0)


if __name__ == "__main__":
    main()
