#!/usr/bin/env bash
# Builds the demo (Release) and starts it with the given options. Without a display, a
# window is drawn on a virtual one: its first frame is saved as build/first-frame.png and
# that path printed, unless the options already ask for a snapshot or for no window.
set -euo pipefail
cd "$(dirname "$0")/.."

# A virtual display is only needed where there is no screen.
if [ -n "${DISPLAY:-}" ]; then
  scripts/install-deps.sh build
else
  scripts/install-deps.sh xvfb
fi
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)" --target ray-box-collision >&2

snapshot=(--snapshot build/first-frame.png)
for word in "$@"; do
  case "$word" in
    --print | --help | --version) exec build/ray-box-collision "$@" ;;
    --snapshot) snapshot=() ;;
  esac
done
if [ -n "${DISPLAY:-}" ]; then
  exec build/ray-box-collision "$@"
fi
# A 24-bit screen with room for the 640 x 480 window at (500, 500).
exec xvfb-run -a -s "-screen 0 1280x1024x24" build/ray-box-collision "$@" "${snapshot[@]}"
