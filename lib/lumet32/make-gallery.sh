#!/usr/bin/env bash
# Renders a gallery of gauges (every bevel style, several percentages, captions,
# colours and fonts) as PNG files into the folder given as first argument.
# The renderer is the second argument, or $LUMET32_RENDER, or the first
# build*/lib/lumet32/lumet32-render of this checkout, or lumet32-render on PATH.
# With ImageMagick's montage installed, index.png shows them all on one sheet.
set -euo pipefail

out=${1:?usage: make-gallery.sh OUTDIR [LUMET32_RENDER]}
root=$(cd "$(dirname "$0")/../.." && pwd)
render=${2:-${LUMET32_RENDER:-}}
if [ -z "$render" ]; then
  for candidate in "$root"/build*/lib/lumet32/lumet32-render; do
    [ -x "$candidate" ] && { render=$candidate; break; }
  done
fi
[ -n "$render" ] || render=$(command -v lumet32-render || true)
if [ -z "$render" ] || [ ! -x "$render" ]; then
  echo "make-gallery.sh: lumet32-render not found; build it or pass its path" >&2
  exit 1
fi

mkdir -p "$out"
styles=(none raised inset lowered solid)

g() { # name width height properties...
  local name=$1 w=$2 h=$3
  shift 3
  "$render" "$out/$name.png" "$w" "$h" "$@"
}

for p in 0 1 25 50 75 99 100; do
  g "percent-$(printf %03d "$p")" 200 24 Percent=$p
done
for s in 0 1 2 3 4; do
  g "outer-$s-${styles[$s]}" 200 28 Percent=60 BevelOuter=$s BevelWidthOuter=2
  g "inner-$s-${styles[$s]}" 200 28 Percent=60 BevelInner=$s BevelWidthInner=2
  g "bar-$s-${styles[$s]}" 200 28 Percent=60 BevelBar=$s BevelWidthBar=2
done
g caption 240 24 Percent=35 Caption="Loading cards..."
g colours 200 24 Percent=50 ForeColor=0x00008000 BackColor=0x00E0FFFF TextBackColor=0x00FFFFFF TextForeColor=0x00008000
g system-colours 200 24 Percent=40 ForeColor=0x8000000D BackColor=0x80000005 TextBackColor=0x8000000E TextForeColor=0x80000008
g font-serif-bold 240 36 Percent=66 FontName="DejaVu Serif" FontSize=14 FontBold=True FontItalic=True
g thick-frame 220 48 Percent=80 BorderWidth=4 BevelWidthOuter=3 BevelWidthInner=3 BevelBar=1 BevelWidthBar=3
g no-frame 200 20 Percent=45 BevelOuter=0 BevelInner=0 BorderWidth=0
g tiny 40 12 Percent=50

if command -v montage >/dev/null 2>&1; then
  # Every tile the size of the largest gauge, so each label sits under its own
  # gauge rather than under the next row's.
  (cd "$out" && montage -label '%t' -pointsize 11 -geometry '240x48>+8+6' -tile 3x -background '#dddddd' \
     $(ls ./*.png | grep -v '^./index.png$') index.png)
fi
echo "gallery written to $out"
