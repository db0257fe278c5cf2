#!/usr/bin/env bash
# Builds everything and runs every test headless; the tests start their own virtual displays.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh test
werror=OFF
[ "${CI:-}" = "true" ] && werror=ON
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DRAYBOX_WARNINGS_AS_ERRORS="$werror" >/dev/null
cmake --build build -j"$(nproc)"
cd build
env -u DISPLAY ctest --output-on-failure -j"$(nproc)"
