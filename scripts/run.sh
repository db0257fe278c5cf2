#!/usr/bin/env bash
# Builds the demo (Release) and starts it with the given options, in the caller's folder.
# Without a display, a window is drawn on a virtual one: its first frame is saved as
# build/first-frame.png and that path printed, unless the options already ask for a
# snapshot or for no window.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)

# A virtual display is only needed where there is no screen.
if [ -n "${DISPLAY:-}" ]; then
  "$here/scripts/install-deps.sh" build
else
  "$here/scripts/install-deps.sh" xvfb
fi
cmake -S "$here" -B "$here/build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$here/build" -j"$(nproc)" --target ray-box-collision >&2

program=$here/build/ray-box-collision
# The picture's path as it opens from the caller's folder. It goes before the user's
# words, so that a refusal names only words the user typed.
snapshot=(--snapshot "$(realpath -m --relative-to=. "$here/build/first-frame.png")")
for word in "$@"; do
  case "$word" in
    --print | --help | --version) exec "$program" "$@" ;;
    --snapshot) snapshot=() ;;
  esac
done
if [ -n "${DISPLAY:-}" ]; then
  exec "$program" "$@"
fi
# A 24-bit screen with room for the 640 x 480 window at (500, 500).
exec xvfb-run -a -s "-screen 0 1280x1024x24" "$program" "${snapshot[@]}" "$@"
