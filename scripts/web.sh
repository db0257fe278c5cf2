#!/usr/bin/env bash
# Builds the web edition with Emscripten: build-web/ray-box-collision.html, one file with
# the program inside, which a browser opens from disk. Prints that path.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh web
# Emscripten's own tools load their node modules from Debian's folder.
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}
emcmake cmake -S . -B build-web -DCMAKE_BUILD_TYPE=MinSizeRel -DBUILD_TESTING=OFF \
  -DRAYBOX_BUILD_BENCH=OFF >/dev/null
cmake --build build-web -j"$(nproc)" --target ray-box-collision-web >&2
echo build-web/ray-box-collision.html
