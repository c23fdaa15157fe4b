#!/usr/bin/env bash
# Redraws the icon theme's PNG renderings of the pennant from its SVG
# (res/icons/quillora.svg); run after changing the drawing and commit both.
set -euo pipefail
icons=$(cd "$(dirname "$0")/../res/icons" && pwd)
for size in 16 22 24 32 48 64 128 256; do
  mkdir -p "$icons/hicolor/${size}x${size}/apps"
  rsvg-convert -w "$size" -h "$size" "$icons/quillora.svg" -o "$icons/hicolor/${size}x${size}/apps/quillora.png"
done
