#!/usr/bin/env python3
"""Draws the application icon: 256 x 256 pixels, 8 bits per pixel.

A rounded blue tile with a white waste bin, stored as a PNG image inside the
.ico (palette of 8 bits per pixel, one palette entry transparent), which
Windows reads since Vista. Run it to rewrite app.ico:
    python3 res/make_icon.py res/app.ico
The output is the same bytes on every run.
"""
import struct
import sys
import zlib

SIZE = 256
BACKGROUND = (219, 91, 59)  # BGR of #3B5BDB
WHITE = (255, 255, 255)
LEVELS = 64  # blends of the tile colour towards white
TRANSPARENT = LEVELS  # the palette entry outside the tile


def inside_rounded(x, y, left, top, right, bottom, radius):
    cx = min(max(x, left + radius), right - radius)
    cy = min(max(y, top + radius), bottom - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def coverage(test, x, y):
    """Share of 4 x 4 sub-samples of pixel (x, y) for which test holds."""
    hits = sum(test(x + (i + 0.5) / 4, y + (j + 0.5) / 4) for i in range(4) for j in range(4))
    return hits / 16


def tile(x, y):
    return inside_rounded(x, y, 8, 8, 248, 248, 48)


def bin_glyph(x, y):
    lid = inside_rounded(x, y, 64, 64, 192, 84, 6)
    handle = inside_rounded(x, y, 104, 48, 152, 70, 8) and not inside_rounded(x, y, 114, 58, 142, 70, 2)
    body = inside_rounded(x, y, 80, 92, 176, 212, 12)
    slots = any(inside_rounded(x, y, sx, 110, sx + 10, 194, 5) for sx in (99, 123, 147))
    return lid or handle or (body and not slots)


def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


def main(path):
    palette = bytearray()
    for level in range(LEVELS):
        t = level / (LEVELS - 1)
        b, g, r = (round(c + (w - c) * t) for c, w in zip(BACKGROUND, WHITE))
        palette += bytes((r, g, b))
    palette += bytes(3)  # the transparent entry

    rows = bytearray()
    for y in range(SIZE):  # top-down rows, each after filter type 0
        rows.append(0)
        for x in range(SIZE):
            if coverage(tile, x, y) < 0.5:
                rows.append(TRANSPARENT)
            else:
                rows.append(round(coverage(bin_glyph, x, y) * (LEVELS - 1)))

    header = struct.pack(">IIBBBBB", SIZE, SIZE, 8, 3, 0, 0, 0)  # 8-bit palette, no interlace
    alpha = bytes([255] * LEVELS + [0])
    image = (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"PLTE", bytes(palette)) +
             chunk(b"tRNS", alpha) + chunk(b"IDAT", zlib.compress(bytes(rows), 9)) + chunk(b"IEND", b""))
    # One entry: 0 for width and height means 256; 8 bits per pixel.
    directory = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", 0, 0, 0, 0, 1, 8, len(image), 22)
    with open(path, "wb") as out:
        out.write(directory + image)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "app.ico")
