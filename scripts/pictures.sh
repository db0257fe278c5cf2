#!/usr/bin/env bash
# Regenerates the pictures in docs/: the demo's first frame in its main situations, each
# drawn by the program itself with the command line the README shows beside it.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh xvfb
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)" --target ray-box-collision

mkdir -p docs
while read -r name options; do
  # shellcheck disable=SC2086 # the options are words on purpose
  xvfb-run -a -s "-screen 0 1280x1024x24" \
    build/ray-box-collision $options --snapshot "docs/$name.png"
done <<'SCENES'
hit
miss --dir -0.5 1
inside --start 10 20
crossed --box 15 10 5 25 --start 0 12 --dir 1 0
SCENES
