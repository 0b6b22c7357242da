#!/bin/sh
# Remakes the Windows icon files of this folder with three independent
# writers (icoutils' icotool, ImageMagick, Pillow) from small pictures drawn
# here. Colours of the 4- and 8-bit pictures are colours of the standard
# 4- and 8-bit tables, so that reading them involves no dithering.
# Usage: sh make-ico.sh (needs icotool, convert and /usr/bin/python3 with PIL).
set -e
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
/usr/bin/python3 - "$tmp" <<'PY'
import sys
from PIL import Image
out = sys.argv[1]
mac16 = [(0xFF,0xFF,0xFF),(0xFC,0xF3,0x05),(0xFF,0x64,0x02),(0xDD,0x08,0x06),(0xF2,0x08,0x84),(0x46,0x00,0xA5),
         (0x00,0x00,0xD4),(0x02,0xAB,0xEA),(0x1F,0xB7,0x14),(0x00,0x64,0x11),(0x56,0x2C,0x05),(0x90,0x71,0x3A),
         (0xC0,0xC0,0xC0),(0x80,0x80,0x80),(0x40,0x40,0x40),(0x00,0x00,0x00)]
def picture(size, colour):
    im = Image.new('RGBA', (size, size))
    im.putdata([colour(x, y) for y in range(size) for x in range(size)])
    return im
# 16 x 16, 15 colours of the 4-bit table and a transparent corner.
picture(16, lambda x, y: (0, 0, 0, 0) if x + y < 4 else mac16[(x * 3 + y) % 15] + (255,)).save(out + '/a16.png')
# 32 x 32, colours of the 8-bit cube and a transparent ring.
def cube(x, y):
    if 12 <= abs(x - 15.5) + abs(y - 15.5) <= 14: return (0, 0, 0, 0)
    return ((x % 6) * 0x33, (y % 6) * 0x33, ((x + y) // 6 % 6) * 0x33, 255)
picture(32, cube).save(out + '/b32.png')
# 32 x 32 and 128 x 128 with graded alpha.
picture(32, lambda x, y: (x * 8, y * 8, 255 - x * 4, (x + y) * 4)).save(out + '/c32.png')
picture(128, lambda x, y: (x * 2, y * 2, (x ^ y) & 255, 255 - x)).save(out + '/d128.png')
# Opaque: 32 x 32 of the 8-bit cube, 16 x 16 black and white.
picture(32, lambda x, y: cube(x, y)[:3] + (255,)).convert('RGB').save(out + '/e32.png')
picture(16, lambda x, y: (0, 0, 0, 255) if (x + y) % 3 else (255, 255, 255, 255)).convert('RGB').save(out + '/f16.png')
PY
# icotool: a 4-bit 16, an 8-bit 32 and a 32-bit 32 bitmap.
icotool -c -o icotool-4-8-32.ico "$tmp/a16.png" "$tmp/b32.png" "$tmp/c32.png"
# icotool: a PNG 128 entry, a 32-bit 32 bitmap and a 4-bit 16 bitmap.
icotool -c -o icotool-png-32-4.ico -r "$tmp/d128.png" "$tmp/c32.png" "$tmp/a16.png"
# ImageMagick: 32-bit bitmaps of the pictures with transparency, then an
# 8-bit 32 and a 1-bit 16 (its AND masks all opaque).
convert "$tmp/a16.png" "$tmp/b32.png" magick-32.ico
convert \( "$tmp/e32.png" -type Palette \) \( "$tmp/f16.png" -type Bilevel \) magick-8-1.ico
# Pillow: PNG entries of 16, 32, 48 and 128 pixels scaled from one picture.
/usr/bin/python3 -c "from PIL import Image; Image.open('$tmp/d128.png').save('pillow-png.ico', sizes=[(16,16),(32,32),(48,48),(128,128)])"
# Pillow: 32-bit bitmaps without AND masks.
/usr/bin/python3 -c "from PIL import Image; Image.open('$tmp/c32.png').save('pillow-bmp.ico', sizes=[(16,16),(32,32)], bitmap_format='bmp')"
