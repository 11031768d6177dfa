#!/usr/bin/env python3
"""Writes the icon fixtures of the reader services test. Each picture's pixel (x, y) has a
colour that says where it is, so a test can tell rows, columns and entries apart:
red = x * 4, green = y * 4, blue = the entry's side. The mask makes the top-left quarter
transparent."""
import struct


def entry_bmp(side, bits, alpha=False):
    colours = []
    if bits <= 8:
        # A palette that holds the colour of every pixel whose x and y are below 4 (and the
        # blue of the entry): index = (y % 4) * 4 + (x % 4).
        n = 1 << bits
        for i in range(n):
            x, y = i % 4, (i // 4) % 4
            colours.append(bytes([side & 0xFF, y * 4, x * 4, 0]))
    header = struct.pack('<IiiHHIIiiII', 40, side, side * 2, 1, bits, 0, 0, 0, 0,
                         len(colours), 0)
    rows = []
    for y in reversed(range(side)):
        row = bytearray()
        if bits <= 8:
            acc, nbits = 0, 0
            for x in range(side):
                index = ((y % 4) * 4 + (x % 4)) % (1 << bits)
                acc = (acc << bits) | index
                nbits += bits
                if nbits == 8:
                    row.append(acc)
                    acc, nbits = 0, 0
            if nbits:
                row.append(acc << (8 - nbits))
        else:
            for x in range(side):
                row += bytes([side & 0xFF, (y * 4) & 0xFF, (x * 4) & 0xFF])
                if bits == 32:
                    a = 0 if (x < side // 2 and y < side // 2) else 255
                    row.append(a if alpha else 0)
        while len(row) % 4:
            row.append(0)
        rows.append(bytes(row))
    mask = []
    for y in reversed(range(side)):
        row = bytearray((side + 7) // 8)
        for x in range(side):
            if x < side // 2 and y < side // 2:
                row[x // 8] |= 0x80 >> (x % 8)
        while len(row) % 4:
            row.append(0)
        mask.append(bytes(row))
    return header + b''.join(colours) + b''.join(rows) + b''.join(mask)


def icon(entries):
    head = struct.pack('<HHH', 0, 1, len(entries))
    offset = 6 + 16 * len(entries)
    directory, data = b'', b''
    for side, bits, blob in entries:
        directory += struct.pack('<BBBBHHII', side & 0xFF, side & 0xFF, 0, 0, 1, bits,
                                 len(blob), offset + len(data))
        data += blob
    return head + directory + data


png = b'\x89PNG\r\n\x1a\n' + b'\0' * 40
with open('four_sizes.ico', 'wb') as f:
    f.write(icon([(16, 4, entry_bmp(16, 4)), (32, 8, entry_bmp(32, 8)),
                  (48, 32, entry_bmp(48, 32, alpha=True)), (64, 24, entry_bmp(64, 24))]))
with open('one_bit.ico', 'wb') as f:
    f.write(icon([(16, 1, entry_bmp(16, 1))]))
with open('png_and_24.ico', 'wb') as f:
    f.write(icon([(256, 32, png), (20, 24, entry_bmp(20, 24))]))
with open('png_only.ico', 'wb') as f:
    f.write(icon([(256, 32, png)]))
with open('old_32.ico', 'wb') as f:
    f.write(icon([(32, 32, entry_bmp(32, 32, alpha=False))]))
