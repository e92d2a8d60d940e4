#!/usr/bin/env bash
# Plays the example game under valgrind's memcheck in a virtual X display,
# with --watch: waits for its window, clicks on the floor and on every
# object, saves its document twice (each save reloads the whole game), closes
# it with its close button and answers Enter. Then loads and releases the
# game three times in one process. Fails on any invalid read
# or write, use of an uninitialised value, or leak, except the leaks named in
# tools/valgrind.supp: the GL driver's and the audio library's own. The logs
# are memcheck.log and release.log in the build folder.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
ADVENTURE_WITH_FUZZER=1 "$ROOT/scripts/setup-debian.sh"
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1920x1200x24 -noreset" bash "$0" "$@"
fi

# Debug information, so that inlined frames (newElement) show in the stacks.
# MEMCHECK_BUILD names a build folder already configured to use instead
# (CI passes the Release build it tested): the same errors and leaks are
# found, the stacks name functions without lines, and nothing is compiled
# again.
build="${MEMCHECK_BUILD:-$ROOT/build-memcheck}"
if [ -z "${MEMCHECK_BUILD:-}" ]; then
  cmake -S "$ROOT" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DADVENTURE_TESTS=OFF \
    -DADVENTURE_BENCH=OFF > /dev/null
fi
cmake --build "$build" --target adventure release_soak study
source "$ROOT/tools/drive.sh"
CLOSE="$(close_window_tool)"

log="$build/memcheck.log"
game="$build/watched-study"
rm -rf "$game"
cp -r "$build/examples/study" "$game"
printf '\n' > "$build/enter"
# softpipe: llvmpipe's compiled shaders are far slower under valgrind.
(cd "$game" && exec env ALSOFT_CONF="$ROOT/testkit/alsoft-null.conf" LIBGL_ALWAYS_SOFTWARE=1 GALLIUM_DRIVER=softpipe \
  valgrind --tool=memcheck --leak-check=full --error-exitcode=99 --num-callers=40 \
  --suppressions="$ROOT/tools/valgrind.supp" --log-file="$log" ${MEMCHECK_OPTIONS:-} \
  "$build/adventure" --watch < "$build/enter" > "$build/memcheck.out" 2> "$build/memcheck.err") &
pid=$!
if ! window=$(wait_for_window "$pid" 300 "The Study"); then
  echo "memcheck: the example game showed no window; see $log" >&2
  kill "$pid" 2> /dev/null || true
  exit 1
fi

# Window pixels of an 880 x 880 window over the 1100 x 1100 world: 0.8 each.
# The floor, then each object (its note appears), then the floor (it goes).
points=(
  "300 700" "700 760"
  "690 280" "150 150" "400 300" "200 420" "150 560" "270 470" "510 670" "420 690"
  "560 800" "100 830" "800 820"
)
for point in "${points[@]}"; do
  sleep 2
  # shellcheck disable=SC2086
  click "$window" $point
done
for save in 1 2; do
  save_retitled "$build/examples/study/game.xml" "$game/game.xml" "The Study $save"
  if ! wait_for_window "$pid" 300 "The Study $save" > /dev/null; then
    echo "memcheck: save $save did not reload the game; see $log" >&2
    kill "$pid" 2> /dev/null || true
    exit 1
  fi
done
sleep 5
"$CLOSE" "$window"
status=0
wait_for_exit "$pid" 600 || status=$?
if [ "$status" = 124 ]; then
  echo "memcheck: the engine did not end after its window was closed" >&2
  kill "$pid" 2> /dev/null || true
fi

grep -E "ERROR SUMMARY|definitely lost|indirectly lost|possibly lost|still reachable|suppressed:" "$log" | sed 's/^==[0-9]*== *//'
if [ "$status" != 0 ]; then
  echo "memcheck: status $status; see $log" >&2
  exit 1
fi

release_log="$build/release.log"
if ! (cd "$game" && env ALSOFT_CONF="$ROOT/testkit/alsoft-null.conf" LIBGL_ALWAYS_SOFTWARE=1 GALLIUM_DRIVER=softpipe \
  valgrind --tool=memcheck --leak-check=full --error-exitcode=99 --num-callers=40 \
  --suppressions="$ROOT/tools/valgrind.supp" --log-file="$release_log" ${MEMCHECK_OPTIONS:-} \
  "$build/release_soak" . 3 > /dev/null 2> "$build/release.err"); then
  echo "memcheck: loading and releasing the game is not clean; see $release_log" >&2
  exit 1
fi
grep -E "ERROR SUMMARY|definitely lost|indirectly lost|possibly lost" "$release_log" | sed 's/^==[0-9]*== *//'
echo "memcheck: no memory errors and no leaks besides the suppressed ones"
