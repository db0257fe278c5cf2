#!/usr/bin/env bash
# Hardening checks: formatting, clang-tidy, cppcheck, every test under AddressSanitizer and
# UndefinedBehaviorSanitizer with leak checking, both fuzz targets for a bounded time; then
# the build as others use it: embedded in a parent project, without the test libraries,
# and as a Debian package that is installed, used and removed.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
fuzz_seconds=${FUZZ_SECONDS:-30}

scripts/install-deps.sh check
jobs=$(nproc)
mapfile -t sources < <(git ls-files '*.cpp' '*.h')
own_code=(core app files oracle desktop bench)

echo "== formatting"
clang-format-14 --dry-run --Werror "${sources[@]}"

echo "== clang-tidy"
cmake -S . -B build-tidy -DCMAKE_EXPORT_COMPILE_COMMANDS=ON -DBUILD_TESTING=OFF >/dev/null
mapfile -t tidy_sources < <(git ls-files "${own_code[@]/%//*.cpp}")
clang-tidy-14 -p build-tidy --quiet "${tidy_sources[@]}"

echo "== cppcheck"
cppcheck --quiet --enable=warning,style,performance,portability --std=c++17 --inline-suppr \
  --error-exitcode=1 --suppress=missingIncludeSystem \
  -I . "${own_code[@]}"

echo "== sanitizers"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRAYBOX_SANITIZE=ON \
  -DRAYBOX_BUILD_BENCH=OFF -DRAYBOX_WARNINGS_AS_ERRORS=ON >/dev/null
cmake --build build-asan -j"$jobs"
# Mesa unloads its GL driver when a display closes, before the leak check runs, and would
# leave its own leaks to an unknown module; loaded from the start, the driver keeps its name.
dri=$(dpkg -L libgl1-mesa-dri | grep '/swrast_dri.so$')
(
  cd build-asan
  env -u DISPLAY LD_PRELOAD="$dri" \
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:verify_asan_link_order=0 \
    LSAN_OPTIONS="suppressions=$root/tests/sanitizers/lsan.supp:print_suppressions=0" \
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --output-on-failure -j"$jobs"
)

echo "== fuzzing, ${fuzz_seconds} s a target"
CXX=clang++-14 cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRAYBOX_FUZZ=ON \
  -DBUILD_TESTING=OFF -DRAYBOX_BUILD_BENCH=OFF >/dev/null
cmake --build build-fuzz -j"$jobs" --target fuzz_console fuzz_raybox
for target in console raybox; do
  work=$(mktemp -d)
  # New inputs go to the scratch corpus first; the seeds in the repository stay as they are.
  (cd "$work" && "$root/build-fuzz/tests/fuzz/fuzz_$target" -max_total_time="$fuzz_seconds" \
    -timeout=5 -artifact_prefix="$root/build-fuzz/" -print_final_stats=1 "$work" "$root/tests/fuzz/corpus/$target" 2>&1 | tail -n 12)
  rm -rf "$work"
done
echo "== embedded in a project with a 'console' target of its own"
parent=$(mktemp -d)
cat >"$parent/CMakeLists.txt" <<CMAKE
cmake_minimum_required(VERSION 3.21)
project(parent CXX)
add_library(console STATIC console.cpp)
add_subdirectory("$root" ray-box-collision)
add_executable(parent main.cpp)
target_link_libraries(parent PRIVATE console raybox::core)
CMAKE
echo 'int parentConsole() { return 0; }' >"$parent/console.cpp"
cat >"$parent/main.cpp" <<'CPP'
#include "core/ray_box.h"
int parentConsole();
int main() {
    const float lo[3] = {5, 10, 0}, hi[3] = {15, 25, 0}, from[3] = {-1, 0.5f, 0}, dir[3] = {0.5f, 1, 0};
    float hit[3];
    return rayBoxIntersect(lo, hi, from, dir, hit) == RAY_HIT ? parentConsole() : 1;
}
CPP
cmake -S "$parent" -B "$parent/build" >/dev/null
cmake --build "$parent/build" -j"$jobs" --target parent ray-box-collision >/dev/null
"$parent/build/parent"
rm -rf "$parent"

echo "== without GoogleTest and Google Benchmark"
cmake -S . -B build-minimal -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON \
  -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON | grep 'ray-box-collision:'
cmake --build build-minimal -j"$jobs" >/dev/null
build-minimal/ray-box-collision --version | head -n 1

echo "== package"
desktop-file-validate packaging/ray-box-collision.desktop
warnings=$(man --warnings -l docs/ray-box-collision.1 2>&1 >/dev/null)
[ -z "$warnings" ] || { echo "$warnings"; exit 1; }
cmake --build build-minimal --target package >/dev/null
deb=$(ls build-minimal/ray-box-collision_*.deb)
lintian --fail-on error "$deb"
dpkg-deb -f "$deb" Depends
DEBIAN_FRONTEND=noninteractive apt-get install -y "$root/$deb" >/dev/null
installed=$(dpkg -L ray-box-collision)
# Every picture the installed README shows is installed beside it.
for picture in $(grep -o 'docs/[a-z-]*\.\(png\|gif\)' README.md | sort -u); do
  [ -f "/usr/share/doc/ray-box-collision/$picture" ] || { echo "not installed: $picture"; exit 1; }
done
(
  cd /
  ray-box-collision --version | head -n 1
  ray-box-collision --print --explain | tail -n 1
  man -w ray-box-collision
)
DEBIAN_FRONTEND=noninteractive apt-get purge -y ray-box-collision >/dev/null
for file in $installed; do
  if [ -e "$file" ] && [ ! -d "$file" ]; then
    echo "left behind: $file"
    exit 1
  fi
done
echo "all checks passed"
