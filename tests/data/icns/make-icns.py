#!/usr/bin/python3
"""Writes the icon families in this folder from a picture drawn here, with
the writers other programs use: png2icns (icnsutils) and Pillow. Run it from
anywhere with Debian's python3 (it has Pillow); it rewrites the .icns files
beside it.

  png2icns.icns  png2icns: packed 32-bit members and 8-bit masks at 16, 32,
                 48 and 128 pixels, and a JPEG 2000 member at 256
  pillow.icns    Pillow: a table of contents and PNG members only
  classic.icns   the 1-, 4- and 8-bit members of old icon editors, followed
                 by png2icns's 16, 32 and 128 pixel members
"""
import os
import struct
import subprocess
import tempfile

from PIL import Image, ImageDraw

HERE = os.path.dirname(os.path.abspath(__file__))


def drawing(edge, noise=True):
    """A lens over a bar: flat areas for runs, soft edges and a patch of noise
    for literals, and transparent corners for the masks."""
    im = Image.new("RGBA", (edge, edge), (0, 0, 0, 0))
    d = ImageDraw.Draw(im)
    e = edge
    d.rectangle((e // 8, e * 5 // 8, e * 7 // 8, e * 7 // 8), fill=(40, 90, 200, 255))
    d.ellipse((e // 6, e // 8, e * 5 // 6, e * 3 // 4), fill=(230, 180, 40, 230), outline=(90, 40, 10, 255),
              width=max(1, e // 16))
    for y in range(e // 4, e // 2 if noise else 0):
        for x in range(e // 3, e // 2):
            im.putpixel((x, y), ((x * 37 + y * 11) % 256, (x * 5) % 256, (y * 29) % 256, 255))
    return im


def elements(path):
    data = open(path, "rb").read()
    out, at = [], 8
    while at < len(data):
        kind, length = struct.unpack(">4sI", data[at:at + 8])
        out.append((kind, data[at + 8:at + length]))
        at += length
    return out


def family(members):
    body = b"".join(kind + struct.pack(">I", len(data) + 8) + data for kind, data in members)
    return b"icns" + struct.pack(">I", len(body) + 8) + body


def bits(im, on):
    """Rows of 1-bit pixels, most significant bit first."""
    out = bytearray()
    for y in range(im.height):
        for x0 in range(0, im.width, 8):
            out.append(sum(0x80 >> i for i in range(8) if on(im.getpixel((x0 + i, y)))))
    return bytes(out)


# The 16 colours of the 4-bit system table, in order.
SIXTEEN = [(255, 255, 255), (252, 243, 5), (255, 100, 2), (221, 8, 6), (242, 8, 132), (70, 0, 165), (0, 0, 212),
           (2, 171, 234), (31, 183, 20), (0, 100, 17), (86, 44, 5), (144, 113, 58), (192, 192, 192),
           (128, 128, 128), (64, 64, 64), (0, 0, 0)]


def four_bit(im):
    def index(p):
        if p[3] < 128:
            return 0
        return min(range(16), key=lambda i: sum((a - b) ** 2 for a, b in zip(SIXTEEN[i], p[:3])))
    out = bytearray()
    for y in range(im.height):
        for x in range(0, im.width, 2):
            out.append(index(im.getpixel((x, y))) << 4 | index(im.getpixel((x + 1, y))))
    return bytes(out)


def eight_bit(im):
    """The 6 x 6 x 6 colour cube of the 8-bit system table (white first),
    black at 255."""
    out = bytearray()
    for y in range(im.height):
        for x in range(im.width):
            r, g, b, a = im.getpixel((x, y))
            if a < 128:
                out.append(0)
                continue
            i = (5 - round(r / 51)) * 36 + (5 - round(g / 51)) * 6 + (5 - round(b / 51))
            out.append(255 if i == 215 else i)
    return bytes(out)


def classic(edge):
    im = drawing(edge)
    opaque = bits(im, lambda p: p[3] >= 128)
    dark = bits(im, lambda p: p[3] >= 128 and sum(p[:3]) < 384)
    prefix = b"ICN#" if edge == 32 else b"ics#"
    small = edge == 16
    return [(prefix, dark + opaque), (b"ics4" if small else b"icl4", four_bit(im)),
            (b"ics8" if small else b"icl8", eight_bit(im))]


def main():
    with tempfile.TemporaryDirectory() as tmp:
        pngs = {}
        for edge in (16, 32, 48, 128, 256):
            pngs[edge] = os.path.join(tmp, "icon%d.png" % edge)
            drawing(edge).save(pngs[edge])
        tool = os.path.join(HERE, "png2icns.icns")
        subprocess.run(["png2icns", tool] + [pngs[e] for e in (16, 32, 48, 128, 256)], check=True,
                       stdout=subprocess.DEVNULL)
        # Pillow writes every size up to 1024 from one picture; a flat one keeps the file small.
        drawing(1024, noise=False).save(os.path.join(HERE, "pillow.icns"))

        small = os.path.join(tmp, "small.icns")
        subprocess.run(["png2icns", small, pngs[16], pngs[32], pngs[128]], check=True, stdout=subprocess.DEVNULL)
        members = classic(16) + classic(32) + elements(small)
        with open(os.path.join(HERE, "classic.icns"), "wb") as f:
            f.write(family(members))


if __name__ == "__main__":
    main()
