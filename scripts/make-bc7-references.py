#!/usr/bin/python3
"""Makes the BC7 reference files of the texture tests: a DDS file of BC7
blocks (tests/texture/data/bc7-blocks.dds) and the pixels Pillow decodes from
it (bc7-blocks.rgba, 8-bit RGBA, rows top to bottom).

The blocks: every partition of three subsets (mode 0 for the first 16, mode 2
for the rest), every partition of two subsets (modes 1, 3 and 7 in turn),
modes 4 and 5 with every rotation and index selection, mode 6, each mode with
all its bits after the mode set, and blocks of no mode (first byte 0). Their
other bits are random, from a fixed seed, so the files come out the same.

Pillow decodes a block of no mode to opaque black; the format defines it as
transparent black (all zero), which the reference records instead.

Usage: scripts/make-bc7-references.py [project folder]   (needs python3-pil)
"""
import io
import os
import random
import struct
import sys

from PIL import Image

BLOCKS_PER_ROW = 8
DXGI_FORMAT_BC7_UNORM = 98


def with_mode(block, mode, fields=0, field_bits=0):
    """The block with its first bits set to `mode` and the `field_bits` bits
    after it (partition, or rotation and index selection) to `fields`."""
    value = int.from_bytes(block, "little")
    prefix_bits = mode + 1 + field_bits
    value &= ~((1 << prefix_bits) - 1)
    value |= (1 << mode) | (fields << (mode + 1))
    return value.to_bytes(16, "little")


def make_blocks(rng):
    def rand():
        return bytes(rng.getrandbits(8) for _ in range(16))

    blocks = [with_mode(rand(), 0, p, 4) for p in range(16)]
    blocks += [with_mode(rand(), 2, p, 6) for p in range(16, 64)]
    blocks += [with_mode(rand(), (1, 3, 7)[p % 3], p, 6) for p in range(64)]
    blocks += [with_mode(rand(), 4, rotation | selection << 2, 3) for selection in (0, 1) for rotation in range(4)]
    blocks += [with_mode(rand(), 5, rotation, 2) for rotation in range(4)]
    blocks += [with_mode(b"\xff" * 16, mode) for mode in range(8)]
    blocks += [bytes(16), b"\x00" + rand()[1:]]
    while len(blocks) % BLOCKS_PER_ROW:
        blocks.append(with_mode(rand(), 6))
    return blocks


def dds_file(blocks):
    width = 4 * BLOCKS_PER_ROW
    height = 4 * (len(blocks) // BLOCKS_PER_ROW)
    caps, flags_height, flags_width, flags_pixelformat, flags_linearsize = 0x1, 0x2, 0x4, 0x1000, 0x80000
    flags = caps | flags_height | flags_width | flags_pixelformat | flags_linearsize
    linear_size = 16 * len(blocks)
    header = struct.pack("<7I44x", 124, flags, height, width, linear_size, 0, 1)
    ddpf_fourcc = 0x4
    pixel_format = struct.pack("<2I4s5I", 32, ddpf_fourcc, b"DX10", 0, 0, 0, 0, 0)
    ddscaps_texture = 0x1000
    caps_and_rest = struct.pack("<5I", ddscaps_texture, 0, 0, 0, 0)
    texture2d = 3
    dx10 = struct.pack("<5I", DXGI_FORMAT_BC7_UNORM, texture2d, 0, 1, 0)
    data = b"DDS " + header + pixel_format + caps_and_rest + dx10
    assert len(data) == 4 + 124 + 20
    return data + b"".join(blocks), width, height


def pillow_rgba(dds, blocks, width):
    pixels = bytearray(Image.open(io.BytesIO(dds)).convert("RGBA").tobytes())
    row_bytes = width * 4
    for n, block in enumerate(blocks):
        if block[0] != 0:
            continue
        x, y = n % BLOCKS_PER_ROW * 4, n // BLOCKS_PER_ROW * 4
        for row in range(y, y + 4):
            start = row * row_bytes + x * 4
            pixels[start:start + 16] = bytes(16)
    return bytes(pixels)


def main():
    project = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..")
    blocks = make_blocks(random.Random(7))
    dds, width, _ = dds_file(blocks)
    folder = os.path.join(project, "tests", "texture", "data")
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "bc7-blocks.dds"), "wb") as f:
        f.write(dds)
    with open(os.path.join(folder, "bc7-blocks.rgba"), "wb") as f:
        f.write(pillow_rgba(dds, blocks, width))


main()
