#!/usr/bin/env python3
"""Draws the application icon: 256 x 256 pixels, 8 bits per pixel.

A rounded blue tile with a white waste bin. Run it to rewrite app.ico:
    python3 res/make_icon.py res/app.ico
The output is the same bytes on every run.
"""
import struct
import sys

SIZE = 256
BACKGROUND = (219, 91, 59)  # BGR of #3B5BDB
WHITE = (255, 255, 255)
LEVELS = 64  # blends of the tile colour towards white


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


def main(path):
    palette = []
    for level in range(LEVELS):
        t = level / (LEVELS - 1)
        palette.append(tuple(round(b + (w - b) * t) for b, w in zip(BACKGROUND, WHITE)))
    palette += [(0, 0, 0)] * (256 - len(palette))

    pixels = bytearray()
    mask = bytearray()
    for y in range(SIZE - 1, -1, -1):  # bottom-up rows
        mask_row = 0
        for x in range(SIZE):
            if coverage(tile, x, y) < 0.5:
                pixels.append(0)
                mask_row |= 1 << (SIZE - 1 - x)
                continue
            white = coverage(bin_glyph, x, y)
            pixels.append(round(white * (LEVELS - 1)))
        mask += mask_row.to_bytes(SIZE // 8, "big")

    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 8, 0, len(pixels) + len(mask), 0, 0, 256, 0)
    colours = b"".join(struct.pack("<BBBB", b, g, r, 0) for b, g, r in palette)
    image = header + colours + bytes(pixels) + bytes(mask)
    directory = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", 0, 0, 0, 0, 1, 8, len(image), 22)
    with open(path, "wb") as out:
        out.write(directory + image)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "app.ico")
