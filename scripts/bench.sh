#!/usr/bin/env bash
# Builds (Release) and runs the benchmarks; each prints its figures and ratios. Then the
# oracle's on a file of ten million random rays, and the web edition's in headless Chromium.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh test
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)" --target raybox_bench frame_bench startup_bench rays_bench
for bench in raybox_bench frame_bench startup_bench; do
  # Each on a virtual display of its own, never on the user's.
  xvfb-run -a "build/bench/$bench" --benchmark_enable_random_interleaving=true "$@"
done
build/bench/rays_bench
[ -f build-web/ray-box-collision.html ] || scripts/web.sh >/dev/null
[ -d tests/web/node_modules ] || (cd tests/web && npm ci --no-audit --no-fund --loglevel=error)
node bench/web_bench.mjs build-web/ray-box-collision.html
