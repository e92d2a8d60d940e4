#!/usr/bin/env bash
# Plays the example game with 10,000 clicks spread over the floor and every
# object (each plays its sound and shows or puts away its note), then closes
# it. Prints the engine's resident memory after the first 100 clicks and at
# the end, and fails if the engine died, wrote anything to standard error
# beyond two library notices (the X server has no vertical sync; OpenAL's
# device is still open at exit), or did not end with status 0.
# Takes about three minutes. Usage: scripts/soak.sh [CLICKS]
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
clicks="${1:-10000}"
"$ROOT/scripts/setup-debian.sh"
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1920x1200x24 -noreset" bash "$0" "$@"
fi
cmake -S "$ROOT" -B "$ROOT/build" -G Ninja -DCMAKE_BUILD_TYPE=Release > /dev/null
cmake --build "$ROOT/build" --target adventure study
source "$ROOT/tools/drive.sh"
CLOSE="$(close_window_tool)"

work="$(mktemp -d /tmp/adventure-soak-XXXXXX)"
trap 'rm -rf "$work"' EXIT
printf '\n' > "$work/enter"
(cd "$ROOT/build/examples/study" && exec env ALSOFT_CONF="$ROOT/testkit/alsoft-null.conf" \
  "$ROOT/build/adventure" < "$work/enter" > "$work/out" 2> "$work/err") &
pid=$!
window=$(wait_for_window "$pid" 30 "The Study")
sleep 1

rss() { awk '/^VmRSS/ { print $2 " " $3 }' "/proc/$pid/status"; }
# Window pixels (0.8 per world unit): the floor and each object in turn.
points=("300 700" "690 280" "150 150" "400 300" "200 420" "150 560" "270 470" "510 670" "420 690" "560 800")
done_clicks=0
batch() {
  local point
  for point in "${points[@]}"; do
    # shellcheck disable=SC2086
    xdotool mousemove --window "$window" $point click --repeat "$1" --delay 8 1
    done_clicks=$((done_clicks + $1))
  done
}
batch 10
after100=$(rss)
start=$SECONDS
while [ "$done_clicks" -lt "$clicks" ]; do
  kill -0 "$pid" 2> /dev/null || { echo "soak: the engine died after $done_clicks clicks" >&2; exit 1; }
  batch 10
done
sleep 1
kill -0 "$pid" 2> /dev/null || { echo "soak: the engine died after $done_clicks clicks" >&2; exit 1; }
atEnd=$(rss)
"$CLOSE" "$window"
status=0
wait_for_exit "$pid" 30 || status=$?

echo "clicks: $done_clicks in $((SECONDS - start + 1)) s"
echo "VmRSS after 100 clicks: $after100"
echo "VmRSS after $done_clicks clicks: $atEnd"
echo "exit status: $status"
unexpected=$(grep -v -e '^Setting vertical sync not supported$' -e '^AL lib: (EE) alc_cleanup: 1 device not closed$' \
  "$work/err" || true)
if [ -n "$unexpected" ]; then
  echo "soak: the engine wrote to standard error:" >&2
  echo "$unexpected" | head -n 20 >&2
  exit 1
fi
[ "$status" = 0 ] || { echo "soak: exit status $status" >&2; exit 1; }
echo "soak: no errors"
