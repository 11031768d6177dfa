#!/usr/bin/env bash
# Regenerates the GIF, BMP and JPEG fixtures of the image tests with ImageMagick and giflib's
# tools (apt-get install imagemagick giflib-tools). Nothing at build or test time runs this:
# the outputs are committed. Sources are drawn by a small deterministic Python program; the
# expected pixels are the sources themselves (PNG) or, for animations, ImageMagick's own
# coalesced frames.
set -euo pipefail
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

python3 - "$tmp" <<'PY'
import sys
out = sys.argv[1]
def ppm(name, w, h, f):
    with open(f"{out}/{name}.ppm", "wb") as fh:
        fh.write(f"P6 {w} {h} 255\n".encode())
        for y in range(h):
            for x in range(w):
                fh.write(bytes(f(x, y)))
def pam(name, w, h, f):
    with open(f"{out}/{name}.pam", "wb") as fh:
        fh.write(f"P7\nWIDTH {w}\nHEIGHT {h}\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n".encode())
        for y in range(h):
            for x in range(w):
                fh.write(bytes(f(x, y)))
# 16 colours in stripes and a diagonal: rows matter, so interlacing mistakes show.
pal16 = [((i * 53) % 256, (i * 97 + 40) % 256, (i * 151 + 90) % 256) for i in range(16)]
ppm("stripes", 37, 23, lambda x, y: pal16[(y + (x // 5)) % 16])
# Two colours (minimum code size 2), five colours (3), 32 colours (5) and 256 colours (8).
ppm("two", 19, 7, lambda x, y: (255, 255, 255) if (x * 3 + y) % 4 == 0 else (10, 20, 30))
ppm("five", 21, 9, lambda x, y: [(200, 0, 0), (0, 200, 0), (0, 0, 200), (200, 200, 0), (9, 9, 9)][(x + 2 * y) % 5])
ppm("c32", 33, 17, lambda x, y: ((x * 8) % 256, ((x + y) * 8) % 256, 128))
# 256 colours in a pseudo-random order: the code table fills and is cleared.
def noise(x, y):
    i = ((x * 7919 + y * 104729) ^ (x * y * 31)) % 256
    return (i, (i * 3) % 256, (255 - i))
ppm("noise", 120, 90, noise)
# A transparent hole in a small picture.
pam("holes", 24, 16, lambda x, y: (0, 0, 0, 0) if (x - 12) ** 2 + (y - 8) ** 2 < 30
    else ((x * 10) % 256, (y * 16) % 256, 60, 255))
# Frames for the animations: a backdrop and three small coloured boxes.
ppm("back", 40, 30, lambda x, y: (30, 60 + x * 4, 90 + y * 3) if (x + y) % 2 else (200, 180, 40))
for i, c in enumerate([(255, 0, 0), (0, 255, 0), (0, 0, 255)]):
    pam(f"box{i}", 12, 10, lambda x, y, c=c: (0, 0, 0, 0) if (x + y) % 3 == 0 else c + (255,))
# A smooth picture for the JPEG.
ppm("smooth", 48, 32, lambda x, y: (x * 5, y * 7, (x + y) * 3))
PY

# Stills: the expected pixels are ImageMagick's own reading of the file it wrote (it may
# requantise colours on the way in); the interlaced file is compared with the plain one.
convert "$tmp/stripes.ppm" -interlace none stripes.gif
convert "$tmp/stripes.ppm" -interlace GIF stripes-interlaced.gif
convert stripes.gif stripes.png
for n in two five c32 noise; do
    convert "$tmp/$n.ppm" "$n.gif"
    convert "$n.gif" "$n.png"
done
convert "$tmp/holes.pam" holes.gif
convert holes.gif holes.png

# Animations with each disposal method: a backdrop that stays, then three boxes at offsets.
for d in none background previous undefined; do
    convert -loop 0 -delay 10 -dispose none "$tmp/back.ppm" \
        -delay 20 -dispose "$d" -page +3+4 "$tmp/box0.pam" \
        -delay 30 -dispose "$d" -page +20+12 "$tmp/box1.pam" \
        -delay 40 -dispose "$d" -page +10+18 "$tmp/box2.pam" \
        -set page 40x30 "anim-$d.gif"
    convert "anim-$d.gif" -coalesce "anim-$d-%d.png"
done
# A transparent animation with local colour tables (every frame its own palette). ImageMagick
# stores repeats in the looping extension: -loop 3 is written as 2.
convert -loop 3 -dispose background -delay 5 "$tmp/box0.pam" "$tmp/box1.pam" "$tmp/box2.pam" \
    -set page 12x10 anim-local.gif
convert anim-local.gif -coalesce "anim-local-%d.png"

# BMP variants of the stripes picture.
convert "$tmp/stripes.ppm" -type Palette BMP3:stripes-4.bmp
convert "$tmp/stripes.ppm" -type TrueColor BMP3:stripes-24.bmp
convert "$tmp/stripes.ppm" -type TrueColorAlpha -alpha on BMP:stripes-32.bmp
convert "$tmp/stripes.ppm" -type Palette -colors 16 -compress RLE BMP3:stripes-rle8.bmp
convert "$tmp/noise.ppm" -type Palette -compress None BMP3:noise-8.bmp
convert "$tmp/two.ppm" -type Bilevel BMP3:two-1.bmp
convert two-1.bmp two-1.png
convert noise-8.bmp noise-8.png

# JPEG (JFIF) of a smooth picture, and the source to compare with.
convert "$tmp/smooth.ppm" -quality 95 smooth.jpg
convert "$tmp/smooth.ppm" smooth.png
