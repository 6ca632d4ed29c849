"""Writes the program's small glyphs as 16-colour bitmap files, from rows of letters.

Each letter names a colour of the standard 16-colour palette (KEY); rows run from
the top. Fuchsia ('.') is the see-through colour: the controls take the glyph's
bottom-left pixel, or fuchsia by name, as the colour not to draw.
"""
import struct

# The standard 16-colour palette (index 13 is fuchsia).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
    (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
    (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
KEY = {'.': 13, 'k': 0, 'g': 8, 's': 7, 'w': 15, 'b': 4, 'r': 1, 'n': 12}


def bitmap(rows):
    """The bytes of a bitmap file (4 bits a pixel) holding rows."""
    height, width = len(rows), len(rows[0])
    assert width % 2 == 0 and all(len(r) == width for r in rows), rows
    stride = (width // 2 + 3) // 4 * 4  # each row padded to whole 32-bit words
    pixels = b''
    for row in reversed(rows):  # bottom-up
        indices = [KEY[c] for c in row]
        packed = bytes((indices[i] << 4) | indices[i + 1] for i in range(0, width, 2))
        pixels += packed.ljust(stride, b'\0')
    palette = b''.join(bytes((b, g, r, 0)) for r, g, b in PALETTE)
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 4, 0, len(pixels), 0, 0, 16, 0)
    dib = info + palette + pixels
    header = struct.pack('<2sIHHI', b'BM', 14 + len(dib), 0, 0, 14 + len(info) + len(palette))
    return header + dib


def write(name, rows, size):
    """Writes resources/<name>.bmp; every glyph of a set has the same size."""
    assert len(rows) == size and all(len(r) == size for r in rows), name
    with open(f'resources/{name}.bmp', 'wb') as f:
        f.write(bitmap(rows))
