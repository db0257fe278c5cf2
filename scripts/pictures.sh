#!/usr/bin/env bash
# Regenerates the pictures in docs/ and the icon in packaging/: each drawn by the program
# itself with the command line the README shows beside it. The icon is cut from a frame
# with ImageMagick's convert.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh xvfb
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)" --target ray-box-collision

# Every picture on one virtual display with room for the window at (500, 500).
xvfb-run -a -s "-screen 0 1280x1024x24" bash -s <<'PICTURES'
set -euo pipefail
while read -r name options; do
  # shellcheck disable=SC2086 # the options are words on purpose
  build/ray-box-collision $options --snapshot "docs/$name.png"
done <<'SCENES'
hit
miss --dir -0.5 1
inside --start 10 20
crossed --box 15 10 5 25 --start 0 12 --dir 1 0
teach-hit --explain
teach-inside --explain --start 10 20
teach-tie --explain --start 0 5 --dir 1 1
teach-crossed --explain --box 15 10 5 25 --start 0 12 --dir 1 0
teach-behind --explain --start 20 28 --dir 1 1
teach-zero --explain --start 2 5 --dir 0 0
teach-beside --explain --start 2 3.5 --dir 1 0.2
SCENES
build/ray-box-collision --start 0.5 13 --dir 1 -0.3 --snapshot build/icon-frame.png
PICTURES
convert build/icon-frame.png -crop 250x250+0+75 +repage -resize 128x128 \
  packaging/ray-box-collision.png
