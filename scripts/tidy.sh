#!/usr/bin/env bash
# Runs clang-tidy (checks in .clang-tidy) over the engine's and the app's
# sources, from the compile commands of build/, and fails on any finding.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup-debian.sh"
build="$root/build-tidy"
# Only the compile commands are needed, and the layer views they include from.
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DADVENTURE_TESTS=OFF -DADVENTURE_BENCH=OFF \
  > /dev/null
# Tests, benchmarks and fuzz targets are left out: they take as long again
# and hold no code that ships.
run-clang-tidy -quiet -p "$build" -j "$(nproc)" "^$root/(app|check|core|elements|tools)/" > "$build/tidy.log" 2>&1 || {
  grep -E 'warning:|error:' "$build/tidy.log" | sort -u >&2
  echo "tidy: findings above; the whole output is $build/tidy.log" >&2
  exit 1
}
echo "tidy: clean"
