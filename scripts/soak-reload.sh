#!/usr/bin/env bash
# Plays a copy of the example game with --watch and saves its document again
# and again (a new file renamed over the old one, as editors save), each time
# with the other of two titles, waiting for the window to show the new one:
# every save is a whole reload. Prints the engine's resident memory after 10
# and after all reloads (default 500) and fails if it grew by more than 10%,
# or if the engine died or did not end with status 0.
# Usage: scripts/soak-reload.sh [RELOADS]
set -eu
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
reloads="${1:-500}"
"$ROOT/scripts/setup-debian.sh"
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1920x1200x24 -noreset" bash "$0" "$@"
fi
cmake -S "$ROOT" -B "$ROOT/build" -G Ninja -DCMAKE_BUILD_TYPE=Release > /dev/null
cmake --build "$ROOT/build" --target adventure study
source "$ROOT/tools/drive.sh"
CLOSE="$(close_window_tool)"

work="$(mktemp -d /tmp/adventure-reload-XXXXXX)"
trap 'rm -rf "$work"' EXIT
cp -r "$ROOT/build/examples/study" "$work/game"
printf '\n' > "$work/enter"
(exec env ALSOFT_CONF="$ROOT/testkit/alsoft-null.conf" "$ROOT/build/adventure" --watch "$work/game" \
  < "$work/enter" > "$work/out" 2> "$work/err") &
pid=$!
wait_for_window "$pid" 30 "The Study" > /dev/null

rss() { awk '/^VmRSS/ { print $2 }' "/proc/$pid/status"; }
start=$SECONDS
for ((i = 1; i <= reloads; i++)); do
  title="Reload $i"
  save_retitled "$ROOT/build/examples/study/game.xml" "$work/game/game.xml" "$title"
  if ! wait_for_window "$pid" 10 "$title" > /dev/null; then
    echo "soak-reload: reload $i did not show its title" >&2
    kill "$pid" 2> /dev/null || true
    exit 1
  fi
  if [ "$i" = 10 ]; then after10=$(rss); fi
  if [ $((i % 100)) = 0 ]; then echo "VmRSS after $i reloads: $(rss) kB"; fi
done
atEnd=$(rss)
"$CLOSE" "$(engine_window "Reload $reloads")"
status=0
wait_for_exit "$pid" 30 || status=$?

echo "reloads: $reloads in $((SECONDS - start)) s"
echo "VmRSS after 10 reloads: ${after10:-?} kB"
echo "VmRSS after $reloads reloads: $atEnd kB"
echo "exit status: $status"
[ "$status" = 0 ] || { echo "soak-reload: exit status $status" >&2; exit 1; }
if [ -n "${after10:-}" ] && [ "$atEnd" -gt $((after10 * 110 / 100)) ]; then
  echo "soak-reload: resident memory grew by more than 10%" >&2
  exit 1
fi
echo "soak-reload: no growth beyond 10%"
