#!/usr/bin/env python3
"""Writes the file list header's sort arrows as 8x8, 16-colour bitmaps.

Fuchsia is the transparent colour: the list puts the header's fill colour in its
place. Run from the tree's root:
    python3 tools/make_sort_arrows.py
"""
import struct

PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
    (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
    (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
KEY = {'.': 13, 'g': 8}

UP = [
    "........",
    "...g....",
    "..ggg...",
    ".ggggg..",
    "ggggggg.",
    "........",
    "........",
    "........",
]
DOWN = [
    "........",
    "ggggggg.",
    ".ggggg..",
    "..ggg...",
    "...g....",
    "........",
    "........",
    "........",
]


def bitmap(rows):
    width, height = 8, 8
    pixels = b''
    for row in reversed(rows):  # bottom-up; 4 bytes a row, already aligned
        indices = [KEY[c] for c in row]
        pixels += bytes((indices[i] << 4) | indices[i + 1] for i in range(0, width, 2))
    palette = b''.join(bytes((b, g, r, 0)) for r, g, b in PALETTE)
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 4, 0, len(pixels), 0, 0, 16, 0)
    dib = info + palette + pixels
    header = struct.pack('<2sIHHI', b'BM', 14 + len(dib), 0, 0, 14 + len(info) + len(palette))
    return header + dib


for name, rows in (('SortArrowUp', UP), ('SortArrowDown', DOWN)):
    assert len(rows) == 8 and all(len(r) == 8 for r in rows), name
    with open(f'resources/{name}.bmp', 'wb') as f:
        f.write(bitmap(rows))
