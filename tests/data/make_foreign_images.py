#!/usr/bin/python3
"""Writes the PNG and JPEG files of tests/data/foreign/ with PIL and ImageMagick, each beside the
BMP file PIL makes of its decoded pixels (NAME.expected.bmp): MORO must read each file as that.

Run from the repository root: /usr/bin/python3 tests/data/make_foreign_images.py
The files are committed; run this again only to add cases.
"""
import os
import random
import subprocess

from PIL import Image

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "foreign")
W, H = 13, 7  # odd sizes: rows need padding in a BMP
rng = random.Random(1234)


def noise(mode, bands):
    img = Image.new(mode, (W, H))
    img.putdata([tuple(rng.randrange(256) for _ in range(bands)) if bands > 1 else rng.randrange(256)
                 for _ in range(W * H)])
    return img


def expected(name, img):
    img.save(os.path.join(OUT, name + ".expected.bmp"))


def write(name, img, **options):
    path = os.path.join(OUT, name)
    img.save(path, **options)
    decoded = Image.open(path)
    decoded.load()
    return decoded


os.makedirs(OUT, exist_ok=True)
grey = noise("L", 1)
rgb = noise("RGB", 3)
rgba = noise("RGBA", 4)

expected("grey.png", write("grey.png", grey))
expected("rgb.png", write("rgb.png", rgb))
expected("rgba.png", write("rgba.png", rgba).convert("RGB"))
expected("grey-alpha.png", write("grey-alpha.png", Image.merge("LA", (grey, grey.point(lambda v: 255 - v)))).convert("L"))
palette = rgb.quantize(colors=16)
expected("palette.png", write("palette.png", palette).convert("RGB"))
grey_palette = grey.convert("P")  # a palette of grey levels only
expected("grey-palette.png", write("grey-palette.png", grey_palette).convert("L"))
expected("bilevel.png", write("bilevel.png", grey.point(lambda v: 255 if v > 127 else 0).convert("1")).convert("L"))
sixteen = Image.new("I;16", (W, H))
sixteen.putdata([v * 256 + (v ^ 0x5A) for v in grey.getdata()])
write("grey16.png", sixteen)
expected("grey16.png", grey)  # the high byte of every sample
# Interlaced and 16-bit RGB files come from ImageMagick, which PIL does not write.
subprocess.run(["convert", os.path.join(OUT, "rgb.png"), "-interlace", "PNG", "PNG24:" + os.path.join(OUT, "interlaced.png")], check=True)
expected("interlaced.png", rgb)
subprocess.run(["convert", os.path.join(OUT, "rgb.png"), "-depth", "16", "PNG48:" + os.path.join(OUT, "rgb48.png")], check=True)
expected("rgb48.png", rgb)  # each sample v is stored as v * 257: its high byte is v

expected("grey.jpg", write("grey.jpg", grey, quality=90))
expected("rgb.jpg", write("rgb.jpg", rgb, quality=90))
expected("progressive.jpg", write("progressive.jpg", rgb, quality=85, progressive=True))
cmyk = write("cmyk.jpg", rgb.convert("CMYK"), quality=95)
expected("cmyk.jpg", cmyk.convert("RGB"))
