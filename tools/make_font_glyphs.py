#!/usr/bin/env python3
"""Writes the font combo box's three glyphs as 16x16, 16-colour bitmaps.

Fuchsia is the transparent colour. Run from the tree's root:
    python3 tools/make_font_glyphs.py
"""
import bitmaps

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

for name, rows in (('VxFontComboBoxTTF', TTF), ('VxFontComboBoxFIX', FIX), ('VxFontComboBoxPRN', PRN)):
    bitmaps.write(name, rows, 16)
