#!/usr/bin/env bash
# Builds the benchmarks in Release in build-bench/ and runs them all, printing
# one table of engine against bare. --quick runs every case once with small
# sizes. Other arguments go to bench_runner (e.g. --only load,click).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build-bench"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DADVENTURE_TESTS=OFF -DADVENTURE_BENCH=ON > /dev/null
cmake --build "$build" --target bench_runner
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1920x1200x24 -noreset" "$build/bench/bench_runner" "$@"
fi
exec "$build/bench/bench_runner" "$@"
