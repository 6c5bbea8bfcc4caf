#!/usr/bin/env python3
"""Draws the program icon: a parchment scroll with a question mark on it.

Writes a Windows icon file with one 32 by 32 image in 16 colours (4 bits per
pixel, the standard 16-colour palette) and a transparency mask.
Usage: make_icon.py OUTPUT.ico
"""
import struct
import sys

SIZE = 32

# The standard 16-colour palette, as (red, green, blue).
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
BLACK, MAROON, OLIVE, NAVY, GRAY, YELLOW, WHITE = 0, 1, 3, 4, 8, 11, 15
TRANSPARENT = None

# The question mark, 10 columns by 15 rows; '#' is ink.
QUESTION_MARK = [
    "..######..",
    ".########.",
    "###....###",
    "##......##",
    "........##",
    ".......###",
    "......###.",
    ".....###..",
    "....###...",
    "....##....",
    "....##....",
    "..........",
    "....##....",
    "....##....",
    "....##....",
]


def draw():
    pixels = [[TRANSPARENT] * SIZE for _ in range(SIZE)]

    def fill(left, top, right, bottom, colour):
        for y in range(top, bottom + 1):
            for x in range(left, right + 1):
                pixels[y][x] = colour

    # The sheet between the two rolls, with a dark outline and a shaded right edge.
    fill(6, 5, 25, 26, BLACK)
    fill(7, 5, 24, 26, YELLOW)
    fill(23, 5, 24, 26, OLIVE)
    fill(7, 5, 8, 26, WHITE)
    # The two rolls, across the top and the bottom, shaded from light to dark.
    for top in (2, 26):
        fill(4, top, 27, top + 3, BLACK)
        fill(5, top + 1, 26, top + 1, WHITE)
        fill(5, top + 2, 26, top + 2, OLIVE)
        fill(3, top + 1, 4, top + 2, MAROON)
        fill(27, top + 1, 28, top + 2, MAROON)
    # The question mark in navy ink, with a gray shadow one pixel down and right.
    left, top = 11, 9
    for dy, row in enumerate(QUESTION_MARK):
        for dx, mark in enumerate(row):
            if mark == "#":
                shadow_y, shadow_x = top + dy + 1, left + dx + 1
                if pixels[shadow_y][shadow_x] == YELLOW:
                    pixels[shadow_y][shadow_x] = GRAY
    for dy, row in enumerate(QUESTION_MARK):
        for dx, mark in enumerate(row):
            if mark == "#":
                pixels[top + dy][left + dx] = NAVY
    return pixels


def icon_bytes(pixels):
    # Rows go bottom-up; colour rows are 16 bytes, mask rows 4 bytes (both 32-bit aligned).
    colour_rows = b""
    mask_rows = b""
    for row in reversed(pixels):
        nibbles = [0 if p is TRANSPARENT else p for p in row]
        colour_rows += bytes((nibbles[i] << 4) | nibbles[i + 1] for i in range(0, SIZE, 2))
        mask = 0
        for p in row:
            mask = (mask << 1) | (1 if p is TRANSPARENT else 0)
        mask_rows += struct.pack(">I", mask)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, 2 * SIZE, 1, 4, 0,
                         len(colour_rows) + len(mask_rows), 0, 0, 16, 0)
    image = header + palette + colour_rows + mask_rows
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 16, 0, 1, 4, len(image), 6 + 16)
    return directory + entry + image


def main():
    if len(sys.argv) != 2:
        sys.stderr.write(__doc__)
        return 64
    with open(sys.argv[1], "wb") as out:
        out.write(icon_bytes(draw()))
    return 0


if __name__ == "__main__":
    sys.exit(main())
