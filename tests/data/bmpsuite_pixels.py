#!/usr/bin/python3
"""Writes bmpsuite_pixels.txt: for every file of the BMP test suite that MORO must read (an
uncompressed bottom-up image with a Windows info header of 40 bytes or more at 1, 2, 4, 8 or 24
bits, among the good and questionable files), its size and the CRC-32 of the RGB pixels that
PIL shows, rows top-down.  PIL reads no 2-bit file and refuses palettes longer than 256 entries;
those few are decoded by the small reader below (the last column says which source was used).

Run from anywhere: /usr/bin/python3 tests/data/bmpsuite_pixels.py
"""
import os
import struct
import sys
import zlib

from PIL import Image

HERE = os.path.dirname(os.path.abspath(__file__))
SUITE = os.path.normpath(os.path.join(HERE, "..", "..", "..", "shared", "testdata", "bmpsuite"))


def must_read(path):
    with open(path, "rb") as f:
        head = f.read(54)
    if len(head) < 54 or head[:2] != b"BM":
        return False
    size, width, height, planes, bits, compression = struct.unpack("<IiiHHI", head[14:34])
    return size >= 40 and bits in (1, 2, 4, 8, 24) and compression == 0 and width > 0 and height > 0


def decode_palette_image(path):
    """Palette images only, uncompressed and bottom-up: returns (width, height, RGB bytes)."""
    with open(path, "rb") as f:
        data = f.read()
    off_bits, = struct.unpack("<I", data[10:14])
    size, width, height, _, bits, _, _, _, _, used = struct.unpack("<IiiHHIIiiI", data[14:50])
    colors = used or (1 << bits)
    palette = [data[14 + size + 4 * i:14 + size + 4 * i + 3] for i in range(colors)]
    row_bytes = (width * bits + 31) // 32 * 4
    rgb = bytearray()
    for y in range(height - 1, -1, -1):
        row = data[off_bits + y * row_bytes:off_bits + (y + 1) * row_bytes]
        for x in range(width):
            bit = x * bits
            index = (row[bit // 8] >> (8 - bits - bit % 8)) & ((1 << bits) - 1)
            b, g, r = palette[index] if index < colors else (0, 0, 0)
            rgb += bytes((r, g, b))
    return width, height, bytes(rgb)


def main():
    lines = []
    for folder in ("g", "q"):
        for name in sorted(os.listdir(os.path.join(SUITE, folder))):
            path = os.path.join(SUITE, folder, name)
            if not name.endswith(".bmp") or not must_read(path):
                continue
            try:
                image = Image.open(path).convert("RGB")
                width, height, rgb, source = image.width, image.height, image.tobytes(), "pil"
            except Exception as e:
                print(f"PIL cannot read {folder}/{name} ({e}); decoding it here", file=sys.stderr)
                (width, height, rgb), source = decode_palette_image(path), "own"
            crc = zlib.crc32(rgb) & 0xFFFFFFFF
            lines.append(f"{folder}/{name} {width} {height} {crc:08x} {source}")
    with open(os.path.join(HERE, "bmpsuite_pixels.txt"), "w") as out:
        out.write("# file width height crc32-of-RGB-rows-top-down source\n")
        out.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
