#!/usr/bin/python3
# Writes the PNGs of every colour type and bit depth that the PNG tests open,
# with Pillow and ImageMagick, into this folder. Colours of the palette and
# grey images are colours of Korvel's standard 8-bit table (cube steps of
# 0x33, grey steps of 0x11), so a document made from them is exact; 16-bit
# samples are k * 257, so that every reader's reduction to 8 bits agrees.
# Run: /usr/bin/python3 tests/data/png/make-png.py
import os
import subprocess

from PIL import Image

HERE = os.path.dirname(os.path.abspath(__file__))
W, H = 13, 7  # odd sizes exercise packed rows and partial interlace passes

CUBE = [0x00, 0x33, 0x66, 0x99, 0xCC, 0xFF]
PALETTE = [(CUBE[i % 6], CUBE[(i // 6) % 6], CUBE[(i // 36) % 6]) for i in range(216)]


def path(name):
    return os.path.join(HERE, name)


def palette_image(colors, bits=8):
    im = Image.new("P", (W, H))
    flat = [c for rgb in PALETTE[:colors] for c in rgb]
    im.putpalette(flat)
    im.putdata([(x * 3 + y * 5) % colors for y in range(H) for x in range(W)])
    return im


def grey_image(levels, scale):
    im = Image.new("L", (W, H))
    im.putdata([((x + 2 * y) % levels) * scale for y in range(H) for x in range(W)])
    return im


def rgb_image():
    im = Image.new("RGB", (W, H))
    im.putdata([(x * 19 % 256, y * 37 % 256, (x * y * 11) % 256) for y in range(H) for x in range(W)])
    return im


def alpha_values():
    return [(0, 60, 127, 128, 200, 255)[(x + y) % 6] for y in range(H) for x in range(W)]


def magick(source, target, *options):
    subprocess.run(["convert", path(source), *options, path(target)], check=True)


def main():
    palette_image(200).save(path("pillow-p8.png"))
    im = palette_image(200)
    im.info["transparency"] = bytes([0, 255, 200] + [255] * 5)
    im.save(path("pillow-p8-trns.png"), transparency=bytes([0, 255, 200] + [255] * 5))
    palette_image(16).save(path("pillow-p4.png"), bits=4)
    palette_image(4).save(path("pillow-p2.png"), bits=2)
    palette_image(2).save(path("pillow-p1.png"), bits=1)
    grey_image(2, 255).convert("1").save(path("pillow-grey1.png"))
    grey_image(16, 0x11).save(path("pillow-grey8.png"))
    grey_image(16, 0x11).save(path("pillow-grey8-trns.png"), transparency=0x33)
    grey16 = Image.new("I;16", (W, H))
    grey16.putdata([((x + 2 * y) % 16) * 0x11 * 257 for y in range(H) for x in range(W)])
    grey16.save(path("pillow-grey16.png"))
    la = Image.merge("LA", (grey_image(16, 0x11), Image.frombytes("L", (W, H), bytes(alpha_values()))))
    la.save(path("pillow-greyalpha.png"))
    rgb_image().save(path("pillow-rgb.png"))
    rgb_image().save(path("pillow-rgb-trns.png"), transparency=(0, 37, 0))
    rgba = rgb_image().copy()
    rgba.putalpha(Image.frombytes("L", (W, H), bytes(alpha_values())))
    rgba.save(path("pillow-rgba.png"))

    magick("pillow-grey8.png", "magick-grey2.png", "-define", "png:color-type=0", "-define", "png:bit-depth=2",
           "-fx", "round(u*3)/3")
    magick("pillow-grey8.png", "magick-grey4.png", "-fx", "round(u*15)/15", "-define", "png:bit-depth=4",
           "-define", "png:color-type=0")
    subprocess.run(["convert", path("pillow-rgb.png"), "-depth", "16", "PNG48:" + path("magick-rgb16.png")],
                   check=True)
    subprocess.run(["convert", path("pillow-rgba.png"), "-depth", "16", "-interlace", "PNG",
                    "PNG64:" + path("magick-rgba16-interlaced.png")], check=True)
    magick("pillow-rgb.png", "magick-rgb-interlaced.png", "-interlace", "PNG", "-define", "png:color-type=2")
    magick("pillow-p8.png", "magick-p8-interlaced.png", "-interlace", "PNG", "-define", "png:color-type=3")


if __name__ == "__main__":
    main()
