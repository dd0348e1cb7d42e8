#!/usr/bin/env python3
"""Packs raw pixel streams (as written by ImageMagick's rgb:/rgba: coders) into
the program's resource pictures: 24-bit uncompressed BMP files and ICO files
whose entries are DIBs with an AND mask, in 32-bit (alpha) or 8-bit (palette)
colour.

  art_pack.py bmp OUT.bmp WIDTH HEIGHT PIXELS.rgb
  art_pack.py ico OUT.ico ENTRY [ENTRY ...]

An ENTRY is SIZE:32:PIXELS.rgba for a 32-bit image, or
SIZE:8:PIXELS.rgba:QUANTISED.rgb for an 8-bit image; the quantised stream
holds at most 255 colours, its transparency comes from the alpha of the
RGBA stream.
"""
import struct
import sys

BMP_FILE_HEADER_SIZE = 14
DIB_HEADER_SIZE = 40
ICO_HEADER_SIZE = 6
ICO_ENTRY_SIZE = 16
PALETTE_SIZE = 256
ALPHA_OPAQUE_FROM = 128  # pixels at least this opaque are drawn by the AND mask
TRANSPARENT_INDEX = 0    # palette slot 0 stays black: masked pixels XOR nothing


def row_stride(width, bits):
    return ((width * bits + 31) // 32) * 4


def read_exact(path, length):
    with open(path, "rb") as f:
        data = f.read()
    if len(data) != length:
        sys.exit(f"{path}: expected {length} bytes, found {len(data)}")
    return data


def dib_header(width, height, bits, image_size, colours_used=0):
    return struct.pack("<IiiHHIIiiII", DIB_HEADER_SIZE, width, height, 1, bits,
                       0, image_size, 0, 0, colours_used, 0)


def and_mask(size, alpha):
    stride = row_stride(size, 1)
    rows = []
    for y in range(size - 1, -1, -1):  # bottom-up like the colour rows
        row = bytearray(stride)
        for x in range(size):
            if alpha[y * size + x] < ALPHA_OPAQUE_FROM:
                row[x // 8] |= 0x80 >> (x % 8)
        rows.append(bytes(row))
    return b"".join(rows)


def write_bmp(out, width, height, rgb_path):
    rgb = read_exact(rgb_path, width * height * 3)
    stride = row_stride(width, 24)
    pixels = bytearray()
    for y in range(height - 1, -1, -1):
        start = y * width * 3
        row = bytearray(stride)
        for x in range(width):
            r, g, b = rgb[start + 3 * x:start + 3 * x + 3]
            row[3 * x:3 * x + 3] = bytes((b, g, r))
        pixels += row
    offset = BMP_FILE_HEADER_SIZE + DIB_HEADER_SIZE
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    with open(out, "wb") as f:
        f.write(header + dib_header(width, height, 24, len(pixels)) + pixels)


def image_32(size, rgba_path):
    rgba = read_exact(rgba_path, size * size * 4)
    alpha = rgba[3::4]
    stride = row_stride(size, 32)
    pixels = bytearray()
    for y in range(size - 1, -1, -1):
        row = bytearray(stride)
        for x in range(size):
            r, g, b, a = rgba[(y * size + x) * 4:(y * size + x) * 4 + 4]
            if a == 0:
                r = g = b = 0
            row[4 * x:4 * x + 4] = bytes((b, g, r, a))
        pixels += row
    mask = and_mask(size, alpha)
    return dib_header(size, 2 * size, 32, len(pixels) + len(mask)) + pixels + mask


def image_8(size, rgba_path, quantised_path):
    alpha = read_exact(rgba_path, size * size * 4)[3::4]
    rgb = read_exact(quantised_path, size * size * 3)
    palette = [(0, 0, 0)]
    index_of = {}
    indices = []
    for i in range(size * size):
        if alpha[i] < ALPHA_OPAQUE_FROM:
            indices.append(TRANSPARENT_INDEX)
            continue
        colour = tuple(rgb[3 * i:3 * i + 3])
        if colour not in index_of:
            index_of[colour] = len(palette)
            palette.append(colour)
        indices.append(index_of[colour])
    if len(palette) > PALETTE_SIZE:
        sys.exit(f"{quantised_path}: {len(palette) - 1} colours do not fit a palette")
    palette += [(0, 0, 0)] * (PALETTE_SIZE - len(palette))
    table = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    stride = row_stride(size, 8)
    pixels = bytearray()
    for y in range(size - 1, -1, -1):
        row = bytearray(stride)
        row[:size] = bytes(indices[y * size:(y + 1) * size])
        pixels += row
    mask = and_mask(size, alpha)
    return (dib_header(size, 2 * size, 8, len(pixels) + len(mask), PALETTE_SIZE)
            + table + pixels + mask)


def write_ico(out, entries):
    images = []
    for entry in entries:
        parts = entry.split(":")
        size, bits = int(parts[0]), int(parts[1])
        if bits == 32 and len(parts) == 3:
            images.append((size, bits, image_32(size, parts[2])))
        elif bits == 8 and len(parts) == 4:
            images.append((size, bits, image_8(size, parts[2], parts[3])))
        else:
            sys.exit(f"bad icon entry {entry}")
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = ICO_HEADER_SIZE + ICO_ENTRY_SIZE * len(images)
    for size, bits, data in images:
        side = size if size < 256 else 0
        directory += struct.pack("<BBBBHHII", side, side, 0, 0, 1, bits, len(data), offset)
        offset += len(data)
    with open(out, "wb") as f:
        f.write(directory + b"".join(data for _, _, data in images))


def main(argv):
    if len(argv) == 6 and argv[1] == "bmp":
        write_bmp(argv[2], int(argv[3]), int(argv[4]), argv[5])
    elif len(argv) >= 4 and argv[1] == "ico":
        write_ico(argv[2], argv[3:])
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main(sys.argv)
