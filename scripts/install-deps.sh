#!/usr/bin/env bash
# Installs the Debian packages the project needs, if any are missing.
# With "check" it also installs the sanitizer, fuzzing and static-analysis tools.
set -euo pipefail

packages=(
  g++ cmake make
  freeglut3-dev libglu1-mesa-dev libgl1-mesa-dev libgl1-mesa-dri
  libx11-dev libxdo-dev libpng-dev xvfb xauth
  libgtest-dev libbenchmark-dev
)
if [ "${1:-}" = "check" ]; then
  packages+=(clang-14 libclang-rt-14-dev clang-tidy-14 clang-format-14 cppcheck)
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
