#!/usr/bin/env bash
# scripts/run.sh passes the user's words on and adds a snapshot only where a window would be
# drawn without a screen. A copy runs beside stand-ins that only say how they were called.
set -euo pipefail
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
mkdir -p "$tree/scripts" "$tree/build" "$tree/bin"
cp "$1" "$tree/scripts/run.sh"
printf '#!/bin/sh\necho "$(basename "$0") $*"\n' | tee "$tree/bin/xvfb-run" >"$tree/build/ray-box-collision"
printf '#!/bin/sh\n' | tee "$tree/bin/cmake" >"$tree/scripts/install-deps.sh"
chmod +x "$tree"/build/* "$tree"/bin/* "$tree"/scripts/*

xvfb="xvfb-run -a -s -screen 0 1280x1024x24 build/ray-box-collision"
cases=0
failed=0
# The display, the words given, and what was run.
while IFS='|' read -r display words expected; do
  cases=$((cases + 1))
  # shellcheck disable=SC2086 # the words are split as a shell would split them
  got=$(DISPLAY=$display PATH="$tree/bin:$PATH" "$tree/scripts/run.sh" $words)
  [ "$got" = "$expected" ] || { echo "run.sh $words: ran '$got'" && failed=$((failed + 1)); }
done <<CASES
|--print --explain|ray-box-collision --print --explain
|--help --snapshot x.png|ray-box-collision --help --snapshot x.png
|--version|ray-box-collision --version
|--snapshot my.png --explain|$xvfb --snapshot my.png --explain
|--start 1 2 -iconic|$xvfb --start 1 2 -iconic --snapshot build/first-frame.png
:9|--start 1 2|ray-box-collision --start 1 2
CASES
echo "$((cases - failed)) passed, $failed failed"
[ "$failed" -eq 0 ]
