#!/usr/bin/env bash
# Installs the Debian packages that a task needs, if any are missing. The task is one of:
#   build  build and run the program (the default)
#   xvfb   the same, on a virtual display when there is no screen
#   pictures  the same, and ImageMagick to put the README's pictures together
#   web    build the web edition and test it in a browser: Emscripten, Chromium, Node.js
#          and npm (a Node.js that brings its own npm counts)
#   test   build and run every test and benchmark
#   check  the tests, plus the sanitizer, fuzzing, static-analysis and packaging tools
# On a system without dpkg it names the packages and leaves it to CMake to find them.
set -euo pipefail

build=(g++ cmake make freeglut3-dev libglu1-mesa-dev libgl1-mesa-dev libgl1-mesa-dri libboost-dev
  libx11-dev libpng-dev)
xvfb=(xvfb xauth)
tests=(libxdo-dev libgtest-dev libbenchmark-dev)
check=(clang-14 libclang-rt-14-dev clang-tidy-14 clang-format-14 cppcheck dpkg-dev lintian
  desktop-file-utils man-db)
case "${1:-build}" in
  build) packages=("${build[@]}") ;;
  xvfb) packages=("${build[@]}" "${xvfb[@]}") ;;
  pictures) packages=("${build[@]}" "${xvfb[@]}" imagemagick) ;;
  web)
    packages=(cmake make emscripten chromium libboost-dev)
    command -v node >/dev/null || packages+=(nodejs)
    command -v npm >/dev/null || packages+=(npm)
    ;;
  test) packages=("${build[@]}" "${xvfb[@]}" "${tests[@]}") ;;
  check) packages=("${build[@]}" "${xvfb[@]}" "${tests[@]}" "${check[@]}") ;;
  *)
    echo "usage: $0 [build|xvfb|pictures|web|test|check]" >&2
    exit 2
    ;;
esac

if ! command -v dpkg-query >/dev/null; then
  echo "install-deps: no dpkg here; install these or their equivalents: ${packages[*]}" >&2
  exit 0
fi
missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
echo "installing: ${missing[*]}"
"${sudo[@]}" apt-get update
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y "${missing[@]}"
