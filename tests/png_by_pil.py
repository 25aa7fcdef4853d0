#!/usr/bin/python3
"""MORO's PNG files as another program reads them.

moro-cli converts BMP files of every depth (the sample images and the public BMP suite's) to
PNG; PIL must read each PNG with the pixels it reads from the BMP file itself.

usage: png_by_pil.py MORO_CLI SOURCE_DIR WORKDIR
"""
import glob
import os
import subprocess
import sys

from PIL import Image

cli, source, work = sys.argv[1:4]
suite = os.path.join(source, "..", "shared", "testdata", "bmpsuite", "g")
names = sorted(glob.glob(os.path.join(source, "samples", "*.bmp")))
names += [os.path.join(suite, n) for n in ("pal1.bmp", "pal4.bmp", "pal8.bmp", "pal8-0.bmp", "rgb24.bmp", "pal1wb.bmp")]
failures = 0
for name in names:
    out = os.path.join(work, "png_by_pil_" + os.path.basename(name) + ".png")
    subprocess.run([cli, "convert", name, out], check=True)
    want = Image.open(name).convert("RGB")
    got = Image.open(out).convert("RGB")
    if want.size != got.size or list(want.getdata()) != list(got.getdata()):
        print("differs:", name)
        failures += 1
print(len(names), "files,", failures, "different")
sys.exit(1 if failures else 0)
