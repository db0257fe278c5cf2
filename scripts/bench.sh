#!/usr/bin/env bash
# Builds (Release) and runs the benchmarks; each prints its figures and ratios. Then the
# web edition's figures in headless Chromium.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh test
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)" --target raybox_bench frame_bench startup_bench
for bench in raybox_bench frame_bench startup_bench; do
  # Each on a virtual display of its own, never on the user's.
  xvfb-run -a "build/bench/$bench" --benchmark_enable_random_interleaving=true "$@"
done
[ -f build-web/ray-box-collision.html ] || scripts/web.sh >/dev/null
[ -d tests/web/node_modules ] || (cd tests/web && npm ci --no-audit --no-fund --loglevel=error)
node bench/web_bench.mjs build-web/ray-box-collision.html
