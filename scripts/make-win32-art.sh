#!/usr/bin/env bash
# Renders the artwork of resources/art/*.svg as the PNGs the native Windows build compiles in:
# each picture at 100 %, 150 % and 200 % of its size, so that it is drawn pixel for pixel at
# those scales instead of being stretched; the program's icon at the sizes Windows asks for; and
# the resource script that lists them. The output is checked in, so that building the .exe
# needs neither this script nor its tools. Run it again after changing a picture.
#
#   scripts/make-win32-art.sh
#
# Needs rsvg-convert (Debian: librsvg2-bin), ImageMagick's convert, zopflipng (Debian: zopfli)
# and python3.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
art=$root/resources/art
out=$root/resources/win32
for tool in rsvg-convert convert zopflipng python3; do
  command -v "$tool" >/dev/null ||
    { echo "missing $tool (Debian: librsvg2-bin, imagemagick, zopfli, python3)" >&2; exit 2; }
done

# The pictures are most of the .exe: zopfli packs them a sixth smaller than ImageMagick does,
# without changing a pixel (it may pick a palette or drop an alpha channel that is all opaque).
shrink_png() {
  zopflipng -y -m "$1" "$1" >/dev/null
}

rm -rf "$out/art"
mkdir -p "$out/art"
scales=(100 150 200)
rc=$out/art.rc
{
  echo "// Made by scripts/make-win32-art.sh from resources/art/*.svg; do not edit."
  echo "// Each picture at 100, 150 and 200 percent, named <PICTURE>_<PERCENT>."
} >"$rc"
for svg in "$art"/*.svg; do
  name=$(basename "$svg" .svg)
  [ "$name" = app_icon ] && continue
  for scale in "${scales[@]}"; do
    png=$out/art/${name}_${scale}.png
    zoom=$(awk -v s="$scale" 'BEGIN { printf "%.2f", s / 100 }')
    rsvg-convert --zoom "$zoom" --format png "$svg" -o "$png.tmp"
    # 8-bit RGBA without the text chunks that would change with every run.
    convert "$png.tmp" -strip -define png:color-type=6 -define png:bit-depth=8 "PNG32:$png"
    rm -f "$png.tmp"
    shrink_png "$png"
    upper=$(echo "${name}_${scale}" | tr '[:lower:]' '[:upper:]')
    printf '%-18s RCDATA "art/%s"\n' "$upper" "$(basename "$png")" >>"$rc"
  done
done

# The icon: from 16 to 256 pixels, each size rendered on its own rather than scaled down.
icon_parts=()
for size in 16 20 24 32 40 48 64 256; do
  rsvg-convert --width "$size" --height "$size" --format png "$art/app_icon.svg" -o "$out/icon_$size.png"
  convert "$out/icon_$size.png" -strip -define png:color-type=6 "PNG32:$out/icon_$size.png"
  shrink_png "$out/icon_$size.png"
  icon_parts+=("$out/icon_$size.png")
done
# Every size stored as PNG, which Windows reads in icons since Vista: a third of the bitmaps
# that ImageMagick writes below 256 pixels.
python3 - "$out/quorvane-config.ico" "${icon_parts[@]}" <<'PY'
import struct, sys
parts = [open(p, "rb").read() for p in sys.argv[2:]]
head = struct.pack("<HHH", 0, 1, len(parts))
offset = len(head) + 16 * len(parts)
entries = b""
for png in parts:
    width, height = struct.unpack(">II", png[16:24])
    entries += struct.pack("<BBBBHHII", width % 256, height % 256, 0, 0, 1, 32, len(png), offset)
    offset += len(png)
open(sys.argv[1], "wb").write(head + entries + b"".join(parts))
PY
rm -f "${icon_parts[@]}"
echo "wrote $out/art/, $rc and $out/quorvane-config.ico"
