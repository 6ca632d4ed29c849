#!/usr/bin/env python3
"""Writes the file list header's sort arrows as 8x8, 16-colour bitmaps.

Fuchsia is the transparent colour: the list puts the header's fill colour in its
place. Run from the tree's root:
    python3 tools/make_sort_arrows.py
"""
import bitmaps

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

for name, rows in (('SortArrowUp', UP), ('SortArrowDown', DOWN)):
    bitmaps.write(name, rows, 8)
