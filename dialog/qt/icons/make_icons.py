#!/usr/bin/env python3
"""Draws the desktop icons of the Qt dialog from the program's 32 by 32 icon design.

The picture comes from dialog/resources/make_icon.py (the one the Windows icon is made
from); each PNG pixel takes the colour of the nearest design pixel, so the PNGs stay sharp.
Writes talvorix-<N>.png for N in SIZES and talvorix.svg into the output directory.
Usage: make_icons.py [OUTPUT_DIR]   (default: the directory of this script)
"""
import os
import struct
import sys
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "resources"))
import make_icon  # noqa: E402

SIZES = (32, 48, 64, 128, 256)


def png_bytes(pixels, size):
    n = len(pixels)
    rows = b""
    for y in range(size):
        line = b"\x00"  # filter type: none
        for x in range(size):  # nearest pixel of the design
            p = pixels[y * n // size][x * n // size]
            if p is make_icon.TRANSPARENT:
                line += bytes((0, 0, 0, 0))
            else:
                line += bytes(make_icon.PALETTE[p] + (255,))
        rows += line

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(rows, 9))
            + chunk(b"IEND", b""))


def svg_text(pixels):
    n = len(pixels)
    out = ['<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" viewBox="0 0 %d %d" '
           'shape-rendering="crispEdges">' % (n, n, n, n)]
    for y, row in enumerate(pixels):
        x = 0
        while x < n:  # one rectangle per run of equal colour
            p = row[x]
            end = x
            while end < n and row[end] == p:
                end += 1
            if p is not make_icon.TRANSPARENT:
                out.append('<rect x="%d" y="%d" width="%d" height="1" fill="#%02x%02x%02x"/>'
                           % ((x, y, end - x) + make_icon.PALETTE[p]))
            x = end
    out.append("</svg>")
    return "\n".join(out) + "\n"


def main():
    out_dir = sys.argv[1] if len(sys.argv) > 1 else HERE
    pixels = make_icon.draw()
    for size in SIZES:
        with open(os.path.join(out_dir, "talvorix-%d.png" % size), "wb") as out:
            out.write(png_bytes(pixels, size))
    with open(os.path.join(out_dir, "talvorix.svg"), "w") as out:
        out.write(svg_text(pixels))
    return 0


if __name__ == "__main__":
    sys.exit(main())
