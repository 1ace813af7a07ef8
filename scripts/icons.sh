#!/usr/bin/env bash
# Renders the program's icon data/icons/rudozuzurivaz.svg into the PNG sizes the
# desktop's icon theme uses (data/icons/NNxNN/rudozuzurivaz.png). Run it after
# changing the drawing and commit the pictures it makes. Needs rsvg-convert
# (Debian librsvg2-bin).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
icons="$root/data/icons"
for size in 16 22 24 32 48 64 128 256; do
  mkdir -p "$icons/${size}x${size}"
  rsvg-convert --width "$size" --height "$size" --output "$icons/${size}x${size}/rudozuzurivaz.png" \
    "$icons/rudozuzurivaz.svg"
done
echo "icone create in $icons"
