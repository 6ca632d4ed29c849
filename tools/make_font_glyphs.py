#!/usr/bin/env python3
"""Writes the font combo box's three glyphs as 16x16, 16-colour bitmaps.

Fuchsia is the transparent colour. Run from the tree's root:
    python3 tools/make_font_glyphs.py
"""
import struct

# The standard 16-colour palette (index 13 is fuchsia).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
    (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
    (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
KEY = {'.': 13, 'k': 0, 'g': 8, 's': 7, 'w': 15, 'b': 4, 'r': 1, 'n': 12}

TTF = [  # two overlapping T letters, the TrueType sign
    "................",
    "................",
    "gggggggg........",
    "gg.gg.gg........",
    "g..gg..g........",
    "...gg...........",
    "...gg.kkkkkkkk..",
    "...gg.kk.kk.kk..",
    "..gggbk..kk..k..",
    ".........kk.....",
    ".........kk.....",
    ".........kk.....",
    ".........kk.....",
    "........kkkk....",
    "................",
    "................",
]
FIX = [  # a stepped A, the raster sign
    "................",
    "................",
    "................",
    "......kk........",
    "......kk........",
    ".....k..k.......",
    ".....k..k.......",
    "....k....k......",
    "....kkkkkk......",
    "...k......k.....",
    "...k......k.....",
    "..kkk....kkk....",
    "................",
    "................",
    "................",
    "................",
]
PRN = [  # a small printer, the device sign
    "................",
    "................",
    "....wwwwwww.....",
    "....w.....w.....",
    "....w.kkk.w.....",
    "....w.....w.....",
    "..kkkkkkkkkkk...",
    ".kssssssssssgk..",
    ".kssssssssnsgk..",
    ".kgggggggggggk..",
    ".kkkkkkkkkkkkk..",
    "...kwwwwwwwk....",
    "...kkkkkkkkk....",
    "................",
    "................",
    "................",
]


def bitmap(rows):
    width, height = 16, 16
    pixels = b''
    for row in reversed(rows):  # bottom-up
        indices = [KEY[c] for c in row]
        pixels += bytes((indices[i] << 4) | indices[i + 1] for i in range(0, width, 2))
    palette = b''.join(bytes((b, g, r, 0)) for r, g, b in PALETTE)
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 4, 0, len(pixels), 0, 0, 16, 0)
    dib = info + palette + pixels
    header = struct.pack('<2sIHHI', b'BM', 14 + len(dib), 0, 0, 14 + len(info) + len(palette))
    return header + dib


for name, rows in (('VxFontComboBoxTTF', TTF), ('VxFontComboBoxFIX', FIX), ('VxFontComboBoxPRN', PRN)):
    assert len(rows) == 16 and all(len(r) == 16 for r in rows), name
    with open(f'resources/{name}.bmp', 'wb') as f:
        f.write(bitmap(rows))
