#!/usr/bin/env bash
# Remakes the bitmap loader's test pictures with ImageMagick (Debian's
# imagemagick package; 6.9.11 made the committed files). The tests read
# the committed files and never run this.
#
# Three 7 x 5 sources, written as plain PPM so that every pixel is known:
#   many: pixel (x, y) = R 0x10 + 0x20 x, G 0x10 + 0x30 y, B 0xA5 (35 colours)
#   few:  pixel (x, y) = R 0x11 (x + y), G 0x80, B 0xFF - 0x11 (x + y) (11 colours)
#   two:  black where x + y is even, white where it is odd
set -euo pipefail
cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

ppm() {  # name, then a Python expression of x and y giving (r, g, b)
  python3 -c "
w, h = 7, 5
print('P3', w, h, 255)
for y in range(h):
    print(' '.join('%d %d %d' % ($2) for x in range(w)))" >"$work/$1.ppm"
}
ppm many '(0x10 + 0x20 * x, 0x10 + 0x30 * y, 0xA5)'
ppm few '(0x11 * (x + y), 0x80, 0xFF - 0x11 * (x + y))'
ppm two '(255, 255, 255) if (x + y) % 2 else (0, 0, 0)'

# Uncompressed pictures with a 40-byte header, one per depth.
convert "$work/two.ppm" -type Palette BMP3:depth1.bmp
convert "$work/few.ppm" -type Palette BMP3:depth4.bmp
convert "$work/many.ppm" -type Palette -compress None BMP3:depth8.bmp
convert "$work/many.ppm" -type TrueColor BMP3:depth24.bmp
convert "$work/many.ppm" -alpha on -define bmp3:alpha=true BMP3:depth32.bmp

# Run-length encoded, 8 bits per pixel.
convert "$work/many.ppm" -type Palette -compress RLE BMP3:rle8.bmp

# The 12-byte core header of the older format, 24 bits per pixel.
convert "$work/many.ppm" -type TrueColor BMP2:core24.bmp

# Top-down: the picture written upside down, then its height made
# negative (-5 at offset 22), so that the rows run from the top.
convert "$work/many.ppm" -flip -type TrueColor BMP3:topdown24.bmp
printf '\373\377\377\377' | dd of=topdown24.bmp bs=1 seek=22 conv=notrunc status=none

# Cut off 46 bytes into the pixels: the bottom row (24 bytes) and all
# seven pixels of the row above it.
head -c 100 depth24.bmp >truncated24.bmp
