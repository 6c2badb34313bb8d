#!/usr/bin/env python3
"""Draws the sample pictures as uncompressed TGA files, the same bytes every run.

make_pictures.py SOURCES_DIR CHAIN_DIR
  SOURCES_DIR  one TGA file per sample texture; make_samples.sh packs them
  CHAIN_DIR    crate_A.tga, crate_A1.tga, crate_A2.tga: a mip chain, each
               level drawn at its own size, to replace a texture with

Every picture is worked out in whole numbers (even the sine), so the files
do not depend on the machine's floating point.
"""
import os
import struct
import sys

# TGA image types and the descriptor bit for 8 alpha bits.
COLOUR_MAPPED, TRUE_COLOUR, GREY = 1, 2, 3
ALPHA_BITS = 8


def write_tga(path, width, height, depth, rows, palette=None, grey=False):
    """rows: top row first; each pixel an int (an index, a 5-5-5 value) or an
    (r, g, b) or (r, g, b, a) tuple. Rows go out bottom first."""
    if depth == 8 and not grey:
        header = struct.pack("<BBBHHBHHHHBB", 0, 1, COLOUR_MAPPED, 0, 256, 24, 0, 0,
                             width, height, 8, 0)
        cmap = b"".join(bytes((b, g, r)) for r, g, b in palette)
        cmap += bytes(3 * (256 - len(palette)))
    else:
        kind = GREY if grey else TRUE_COLOUR
        descriptor = ALPHA_BITS if depth == 32 else 0
        header = struct.pack("<BBBHHBHHHHBB", 0, 0, kind, 0, 0, 0, 0, 0,
                             width, height, depth, descriptor)
        cmap = b""
    out = bytearray(header + cmap)
    for row in reversed(rows):
        for p in row:
            if depth == 8:
                out.append(p)
            elif depth == 16:
                out += struct.pack("<H", p)
            elif depth == 24:
                out += bytes((p[2], p[1], p[0]))
            else:
                out += bytes((p[2], p[1], p[0], p[3]))
    with open(path, "wb") as f:
        f.write(out)


def clamp(v):
    return max(0, min(255, v))


def isin(angle):
    """Sine of angle/256 of a turn, times 127, in whole numbers (Bhaskara's
    approximation, off by at most 1)."""
    a = angle % 256
    if a >= 128:
        return -isin(a - 128)
    s = a * (128 - a)
    return 127 * 16 * s // (5 * 128 * 128 - 4 * s)


def rgb555(r, g, b):
    return (r >> 3) << 10 | (g >> 3) << 5 | (b >> 3)


# A wooden crate: planks, a frame and a diagonal brace, eight browns.
WOOD = [(60, 36, 18), (92, 58, 30), (120, 80, 42), (146, 100, 56),
        (168, 120, 70), (196, 150, 92), (40, 24, 12), (210, 200, 190)]
# The same crate in steel, for the replacement chain.
STEEL = [(40, 44, 50), (70, 76, 84), (100, 108, 118), (130, 138, 148),
         (160, 168, 178), (190, 196, 204), (20, 22, 26), (230, 200, 60)]


def crate(size):
    frame = max(1, size // 8)
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            edge = min(x, y, size - 1 - x, size - 1 - y)
            if edge < frame:
                c = 6 if edge == 0 else 3
            elif abs(x - y) < frame or abs(x + y - size + 1) < frame:
                c = 4
            else:
                plank = (y - frame) * 4 // max(1, size - 2 * frame)
                c = 1 + (plank % 2) + ((x * 7 + y * 3 + plank * 5) % 11 == 0)
            row.append(c)
        rows.append(row)
    if size >= 16:  # a nail in each corner
        for nx, ny in ((frame // 2, frame // 2), (size - 1 - frame // 2, frame // 2),
                       (frame // 2, size - 1 - frame // 2), (size - 1 - frame // 2, size - 1 - frame // 2)):
            rows[ny][nx] = 7
    return rows


def marble(size):
    return [[clamp(150 + 64 * isin((x + 2 * y) * 8 + 120 * isin(y * 6) // 127) // 127 + (x * y) % 7)
             for x in range(size)] for y in range(size)]


def bricks(width, height):
    rows = []
    for y in range(height):
        course = y // 8
        row = []
        for x in range(width):
            shifted = x + (8 if course % 2 else 0)
            mortar = y % 8 == 7 or shifted % 16 == 15
            if mortar:
                row.append(rgb555(200, 196, 184))
            else:
                shade = (shifted // 16 * 37 + course * 23) % 48
                row.append(rgb555(150 + shade, 60 + shade // 2, 40))
        rows.append(row)
    return rows


def floor_tiles(size):
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            if x % 8 == 0 or y % 8 == 0:
                row.append(rgb555(40, 48, 40))
            elif (x // 8 + y // 8) % 2:
                row.append(rgb555(72, 160, 88))
            else:
                row.append(rgb555(200, 232, 176))
        rows.append(row)
    return rows


def sky(width, height):
    rows = []
    for y in range(height):
        row = []
        for x in range(width):
            cloud = isin(x * 9 // 2) + isin(x * 10 + y * 8) + isin(y * 14 - x * 3)
            white = max(0, cloud - 152) * 120 // 127
            base = (60 + y * 2, 110 + y * 2, 220)
            row.append(tuple(clamp(c + white) for c in base))
        rows.append(row)
    return rows


def glass(size):
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            frame = min(x, y, size - 1 - x, size - 1 - y) < 3 or abs(x - size // 2) < 1 or abs(y - size // 2) < 1
            if frame:
                row.append((90, 70, 50, 255))
            else:
                shine = 80 if 0 <= (x - y) - 6 < 4 else 0
                row.append((clamp(150 + shine), clamp(200 + shine), 230, 96 + shine))
        rows.append(row)
    return rows


# 5 x 7 capitals, one string of five bits per row.
FONT = {
    "Q": ["01110", "10001", "10001", "10001", "10101", "10010", "01101"],
    "U": ["10001", "10001", "10001", "10001", "10001", "10001", "01110"],
    "O": ["01110", "10001", "10001", "10001", "10001", "10001", "01110"],
    "R": ["11110", "10001", "10001", "11110", "10100", "10010", "10001"],
    "E": ["11111", "10000", "10000", "11110", "10000", "10000", "11111"],
    "L": ["10000", "10000", "10000", "10000", "10000", "10000", "11111"],
}


def banner(width, height, text="QUORREL", scale=3):
    rows = [[(20, 20, 60, 255) if (x + y) % 16 < 8 else (30, 30, 80, 255) for x in range(width)]
            for y in range(height)]
    left = (width - len(text) * 6 * scale) // 2
    top = (height - 7 * scale) // 2
    for i, letter in enumerate(text):
        for gy, bits in enumerate(FONT[letter]):
            for gx, bit in enumerate(bits):
                if bit == "1":
                    for dy in range(scale):
                        for dx in range(scale):
                            rows[top + gy * scale + dy][left + (i * 6 + gx) * scale + dx] = (250, 210, 60, 255)
    return rows


# Eight tile colours and their grout.
TILE_COLOURS = [(200, 60, 50), (230, 160, 40), (240, 220, 120), (80, 160, 90),
                (60, 120, 200), (120, 80, 170), (230, 230, 220), (50, 50, 60), (30, 30, 30)]


def tiles(size):
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            if x % 32 < 2 or y % 32 < 2:
                row.append(8)
            else:
                tx, ty = x // 32, y // 32
                ring = max(abs(x % 32 - 16), abs(y % 32 - 16)) // 5
                row.append((tx * 3 + ty * 5 + ring) % 8)
        rows.append(row)
    return rows


def rail(width, height):
    return [[clamp(90 + 120 * ((x // 4) % 2) - 30 * y) for x in range(width)] for y in range(height)]


def main(sources, chain):
    os.makedirs(sources, exist_ok=True)
    os.makedirs(chain, exist_ok=True)
    grey = list((i, i, i) for i in range(256))
    pictures = [
        ("crate_A.tga", 64, 64, 8, crate(64), WOOD, False),
        ("marble_Z.tga", 32, 32, 8, marble(32), grey, True),
        ("bricks_E.tga", 64, 32, 16, bricks(64, 32), None, False),
        ("floor_V.tga", 32, 32, 16, floor_tiles(32), None, False),
        ("sky_EZ.tga", 128, 64, 24, sky(128, 64), None, False),
        ("glass_AD.tga", 32, 32, 32, glass(32), None, False),
        ("banner_U.tga", 256, 32, 32, banner(256, 32), None, False),
        ("tiles_F.tga", 512, 512, 8, tiles(512), TILE_COLOURS, False),
        ("rail.tga", 64, 4, 8, rail(64, 4), grey, True),
    ]
    for name, width, height, depth, rows, palette, is_grey in pictures:
        write_tga(os.path.join(sources, name), width, height, depth, rows, palette, is_grey)
    for name, size in (("crate_A.tga", 64), ("crate_A1.tga", 32), ("crate_A2.tga", 16)):
        write_tga(os.path.join(chain, name), size, size, 8, crate(size), STEEL)


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2])
