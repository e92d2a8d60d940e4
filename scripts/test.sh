#!/usr/bin/env bash
# Builds the engine and runs every test, in a virtual X display.
# ADVENTURE_SANITIZE=1 builds and tests with AddressSanitizer and UBSan instead;
# ADVENTURE_WERROR=1 (CI) fails the build on any compiler warning.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup-debian.sh"

if [ "${ADVENTURE_SANITIZE:-0}" = 1 ]; then
  build="$root/build-asan"
  options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DADVENTURE_SANITIZE=ON)
  # Memory errors and undefined behaviour here; leaks are checked under
  # valgrind (scripts/memcheck.sh), where the GL driver's own can be suppressed.
  export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=0}"
else
  build="$root/build"
  options=(-DCMAKE_BUILD_TYPE=Release)
fi
options+=("-DADVENTURE_WERROR=$([ "${ADVENTURE_WERROR:-0}" = 1 ] && echo ON || echo OFF)")
cmake -S "$root" -B "$build" -G Ninja "${options[@]}" > /dev/null
cmake --build "$build"
cd "$build"
# -noreset: the X server must not restart between two test programs. One
# test at a time: they share the mouse pointer.
xvfb-run -a -s "-screen 0 1920x1200x24 -noreset" \
  ctest --output-on-failure --timeout 300 < /dev/null
