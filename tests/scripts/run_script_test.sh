#!/usr/bin/env bash
# scripts/run.sh passes the user's words on, in the user's folder, and adds a snapshot only
# where a window would be drawn without a screen. A copy runs beside stand-ins that only
# say how they were called, and where.
set -euo pipefail
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
mkdir -p "$tree/scripts" "$tree/build" "$tree/bin" "$tree/docs"
cp "$1" "$tree/scripts/run.sh"
printf '#!/bin/sh\necho "$(basename "$0") $* in $(basename "$PWD")"\n' |
  tee "$tree/bin/xvfb-run" >"$tree/build/ray-box-collision"
printf '#!/bin/sh\n' | tee "$tree/bin/cmake" >"$tree/scripts/install-deps.sh"
chmod +x "$tree"/build/* "$tree"/bin/* "$tree"/scripts/*

xvfb="xvfb-run -a -s -screen 0 1280x1024x24 $tree/build/ray-box-collision"
cases=0
failed=0
# The display, the folder run from, the words given, and what was run there.
while IFS='|' read -r display folder words expected; do
  cases=$((cases + 1))
  # shellcheck disable=SC2086 # the words are split as a shell would split them
  got=$(cd "$tree/$folder" && DISPLAY=$display PATH="$tree/bin:$PATH" ../scripts/run.sh $words)
  [ "$got" = "$expected" ] || { echo "run.sh $words in $folder: ran '$got'" && failed=$((failed + 1)); }
done <<CASES
|docs|--print --explain|ray-box-collision --print --explain in docs
|docs|--help --snapshot x.png|ray-box-collision --help --snapshot x.png in docs
|docs|--version|ray-box-collision --version in docs
|docs|--snapshot my.png --explain|$xvfb --snapshot my.png --explain in docs
|docs|--start 1 2 -iconic|$xvfb --snapshot ../build/first-frame.png --start 1 2 -iconic in docs
|build|--start 1|$xvfb --snapshot first-frame.png --start 1 in build
|docs|--explain --step|$xvfb --snapshot ../build/first-frame.png --explain --step in docs
|docs|-geometry|$xvfb --snapshot ../build/first-frame.png -geometry in docs
:9|docs|--start 1 2|ray-box-collision --start 1 2 in docs
CASES
echo "$((cases - failed)) passed, $failed failed"
[ "$failed" -eq 0 ]
