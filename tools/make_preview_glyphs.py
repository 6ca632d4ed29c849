#!/usr/bin/env python3
"""Writes the print preview's page buttons' glyphs as 16x16, 16-colour bitmaps:
first, previous, next and last page.

Fuchsia is the transparent colour. Run from the tree's root:
    python3 tools/make_preview_glyphs.py
"""
import bitmaps

PRIOR = [  # a triangle pointing left
    "................",
    "................",
    "................",
    ".........k......",
    "........kk......",
    ".......kkk......",
    "......kkkk......",
    ".....kkkkk......",
    "......kkkk......",
    ".......kkk......",
    "........kk......",
    ".........k......",
    "................",
    "................",
    "................",
    "................",
]
# A bar before the triangle, which moves two to the right: back to the first page.
FIRST = [row[:3] + ('kk' if 'k' in row else '..') + row[3:14] for row in PRIOR]


def mirrored(rows):
    # Flipped left to right, keeping the see-through column at the right edge.
    return [row[-2::-1] + row[-1] for row in rows]


for name, rows in (('PreviewFirst', FIRST), ('PreviewPrior', PRIOR),
                   ('PreviewNext', mirrored(PRIOR)), ('PreviewLast', mirrored(FIRST))):
    bitmaps.write(name, rows, 16)
