#!/usr/bin/env bash
# Builds the engine and runs every test, in a virtual X display.
# ADVENTURE_SANITIZE=1 builds and tests with AddressSanitizer and UBSan
# instead; ADVENTURE_TSAN=1 builds with ThreadSanitizer and runs the
# tests of what runs on more than one thread;
# ADVENTURE_WERROR=1 (CI) fails the build on any compiler warning.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup-debian.sh"

# Every test unless a build below runs a part.
selection=()
# The sanitizer builds optimise less and keep only line tables: they compile
# in half the time, and a report still names every frame's file and line.
# The benchmarks measure nothing under a sanitizer: the Release run keeps
# them building.
sanitizerFlags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g1 -DNDEBUG"
  "-DCMAKE_C_FLAGS_RELWITHDEBINFO=-O1 -g1 -DNDEBUG" -DADVENTURE_BENCH=OFF)
if [ "${ADVENTURE_SANITIZE:-0}" = 1 ]; then
  build="$root/build-asan"
  options=("${sanitizerFlags[@]}" -DADVENTURE_SANITIZE=ON)
  # Memory errors, leaks and undefined behaviour. The leak check walks every
  # thread's dynamic TLS, and the records the sanitizer keeps of llvmpipe's
  # (LLVM's thread-locals) are now and then garbage it faults on; softpipe,
  # Mesa's other software renderer, runs no LLVM code.
  export GALLIUM_DRIVER="${GALLIUM_DRIVER:-softpipe}"
elif [ "${ADVENTURE_TSAN:-0}" = 1 ]; then
  build="$root/build-tsan"
  options=("${sanitizerFlags[@]}" -DADVENTURE_TSAN=ON)
  # The start-up prefetch, the audio library's threads and the error-stream
  # router, under load, play and reload. Not the tests that listen to the
  # engine's sound in real time: the sanitizer slows it past their deadlines,
  # and the in-process audio tests drive the same threads. And the speech
  # thread, with the commands it runs.
  selection=(-R 'Prefetch|Audio|Reload|Load|Watch|LibraryErrors|Startup|SpeechCommand' -E '^e2e[.]Audio[.]')
  export TSAN_OPTIONS="${TSAN_OPTIONS:-halt_on_error=1 suppressions=$root/tools/tsan.supp}"
else
  build="$root/build"
  options=(-DCMAKE_BUILD_TYPE=Release)
fi
options+=("-DADVENTURE_WERROR=$([ "${ADVENTURE_WERROR:-0}" = 1 ] && echo ON || echo OFF)")
cmake -S "$root" -B "$build" -G Ninja "${options[@]}" > /dev/null
cmake --build "$build"
cd "$build"
# Tests that open windows share the display's mouse pointer, so one display
# runs one test at a time. Two displays run two halves at once, the end-to-end
# tests (their fixtures among them) and the rest: the second core is busy
# too, and the suite takes much less time. Each half's display is looked
# for from a number of its own, so the two never take the same one.
# -noreset: the X server must not restart between two test programs.
half() {
  local name=$1 from=$2
  shift 2
  xvfb-run -a -n "$from" -s "-screen 0 1920x1200x24 -noreset" \
    ctest --output-on-failure --timeout 300 "${selection[@]}" "$@" < /dev/null > "ctest-$name.log" 2>&1
}
# The test programs list their tests when ctest first reads them after a
# build: once, here, and not by both halves at once into the same files.
ctest -N > /dev/null
half e2e 99 -L e2e &
e2e=$!
status=0
half rest 199 -LE 'e2e|alone' || status=$?
wait "$e2e" || status=$?
# What measures the process's own memory runs with the machine to itself,
# when the build's selection holds any: a ctest that finds no test says so
# and passes, which would read as a run that tested nothing.
logs=(ctest-rest.log ctest-e2e.log)
if ctest -N "${selection[@]}" -L alone | grep -q '^ *Test *#'; then
  half alone 99 -L alone || status=$?
  logs+=(ctest-alone.log)
fi
cat "${logs[@]}"
exit "$status"
