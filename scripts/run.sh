#!/usr/bin/env bash
# Builds the demo (Release) and starts it. Without a display it runs the demo on a
# virtual one, saves the first frame as a PNG and prints the file's path.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)" --target ray-box-collision ray-box-snapshot

if [ -n "${DISPLAY:-}" ]; then
  exec build/ray-box-collision "$@"
fi
build/ray-box-snapshot build/ray-box-collision "$PWD/build/first-frame.png"
