#!/usr/bin/env bash
# Builds everything, the web edition too, and runs every test headless; the tests start
# their own virtual displays and browsers.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh test
# The web edition, and the driver its browser tests run Chromium with, pinned by the lock.
scripts/web.sh >/dev/null
(cd tests/web && npm ci --no-audit --no-fund --loglevel=error)
werror=OFF
[ "${CI:-}" = "true" ] && werror=ON
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DRAYBOX_WARNINGS_AS_ERRORS="$werror" \
  -DRAYBOX_REQUIRE_ALL_TESTS=ON >/dev/null
cmake --build build -j"$(nproc)"
cd build
env -u DISPLAY ctest --output-on-failure -j"$(nproc)"
