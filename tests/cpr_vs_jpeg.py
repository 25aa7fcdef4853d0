#!/usr/bin/python3
"""CPR code streams against an independent baseline decoder.

A CPR stream of an 8-bit image is baseline sequential coding of one component with the standard
luminance tables, one restart interval per row of blocks.  Wrapped in the markers a baseline
file needs (the quantiser table of the scale, the two Huffman tables, the frame and scan
headers), PIL's decoder must read it and give the samples MORO's own decoder gives.  MORO's
inverse transform runs over rows first and then columns; PIL's runs columns first, so the two
may round a sample differently by one, never by more, and only now and then.

usage: cpr_vs_jpeg.py MORO_CLI WORKDIR
"""
import os
import random
import struct
import subprocess
import sys

from PIL import Image

BASE = [16, 11, 10, 16, 24, 40, 51, 61, 12, 12, 14, 19, 26, 58, 60, 55,
        14, 13, 16, 24, 40, 57, 69, 56, 14, 17, 22, 29, 51, 87, 80, 62,
        18, 22, 37, 58, 68, 109, 103, 77, 24, 35, 55, 64, 81, 104, 113, 92,
        49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99]
ZIGZAG = [0, 1, 5, 6, 14, 15, 27, 28, 2, 4, 7, 13, 16, 26, 29, 42,
          3, 8, 12, 17, 25, 30, 41, 43, 9, 11, 18, 24, 31, 40, 44, 53,
          10, 19, 23, 32, 39, 45, 52, 54, 20, 22, 33, 38, 46, 51, 55, 60,
          21, 34, 37, 47, 50, 56, 59, 61, 35, 36, 48, 49, 57, 58, 62, 63]
DC_BITS = [0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0]
DC_VAL = list(range(12))
AC_BITS = [0, 2, 1, 3, 3, 2, 4, 3, 5, 5, 4, 4, 0, 0, 1, 0x7D]
AC_VAL = bytes.fromhex(
    "01020300041105122131410613516107227114328191a1082342b1c11552d1f02433627282090a161718191a25262728"
    "292a3435363738393a434445464748494a535455565758595a636465666768696a737475767778797a83848586878889"
    "8a92939495969798999aa2a3a4a5a6a7a8a9aab2b3b4b5b6b7b8b9bac2c3c4c5c6c7c8c9cad2d3d4d5d6d7d8d9dae1e2"
    "e3e4e5e6e7e8e9eaf1f2f3f4f5f6f7f8f9fa")


def segment(marker, payload):
    return bytes([0xFF, marker]) + struct.pack(">H", len(payload) + 2) + payload


def wrap(stream, width, height, scale):
    steps = [int((b * scale & 0xFFFF) / 50.0 + 0.5) for b in BASE]
    table = [0] * 64
    for n in range(64):
        table[ZIGZAG[n]] = steps[n]
    if max(table) > 255:
        return None
    out = b"\xFF\xD8"
    out += segment(0xDB, bytes([0]) + bytes(table))
    out += segment(0xC0, struct.pack(">BHHB", 8, height, width, 1) + bytes([1, 0x11, 0]))
    out += segment(0xC4, bytes([0x00]) + bytes(DC_BITS) + bytes(DC_VAL))
    out += segment(0xC4, bytes([0x10]) + bytes(AC_BITS) + AC_VAL)
    out += segment(0xDD, struct.pack(">H", width // 8))
    out += segment(0xDA, bytes([1, 1, 0x00, 0, 63, 0]))
    # The CPR stream ends with its last restart marker and FF D9; a baseline file ends after the
    # last interval's data, so that last marker goes.
    body = stream[:-4] + b"\xFF\xD9"
    return out + body


def main():
    cli, work = sys.argv[1], sys.argv[2]
    rng = random.Random(1)
    failures = 0
    for case in range(12):
        w, h = rng.choice([(16, 16), (64, 40), (120, 72), (8, 8)])
        scale = rng.choice([3, 10, 25, 50, 90, 127])
        pixels = bytes(max(0, min(255, int(128 + 100 * ((x * 7 + y * 3) % 50 - 25) / 25 * (case % 3) / 2
                                            + rng.randint(-30, 30) * (case % 2))))
                       for y in range(h) for x in range(w))
        src = os.path.join(work, "in%d.bmp" % case)
        Image.frombytes("L", (w, h), pixels).save(src)
        cpr = os.path.join(work, "c%d.cpr" % case)
        back = os.path.join(work, "back%d.bmp" % case)
        subprocess.run([cli, "convert", src, cpr, "--scale", str(scale)], check=True)
        subprocess.run([cli, "convert", cpr, back], check=True)
        data = open(cpr, "rb").read()
        length, = struct.unpack("<I", data[52:56])
        stream = data[56:56 + length]
        # The stream codes the rows as stored (bottom row first), so the picture it shows is
        # the BMP upside down; rows are 4-byte aligned, as wide as the width here.
        jpeg = wrap(stream, w, h, scale)
        if jpeg is None:
            continue
        theirs = Image.open(__import__("io").BytesIO(jpeg)).convert("L")
        ours = Image.open(back).convert("L").transpose(Image.FLIP_TOP_BOTTOM)
        pairs = list(zip(theirs.tobytes(), ours.tobytes()))
        worst = max(abs(a - b) for a, b in pairs)
        differ = sum(a != b for a, b in pairs)
        if worst > 1 or differ > len(pairs) // 20:
            print("case %d (%dx%d, scale %d): %d samples differ, by up to %d" % (case, w, h, scale, differ, worst))
            failures += 1
    if failures:
        sys.exit(1)
    print("all streams decode with PIL to the same samples, within the rounding of the transform order")


if __name__ == "__main__":
    main()
