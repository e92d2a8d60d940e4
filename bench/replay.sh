#!/usr/bin/env bash
# Times a replay of FRAMES frames (default 10,000) of the example game: a
# click every 70 frames round the room's objects and the floor, traced to a
# file, in a virtual X display when DISPLAY is unset. The target is 30 s for
# 10,000 frames. Uses the Release build in build/ (builds adventure and the
# example game there when needed).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
frames="${1:-10000}"
build="$root/build"
[ -f "$build/build.ninja" ] || cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release > /dev/null
cmake --build "$build" --target adventure study > /dev/null

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
points=("900 450" "700 950" "520 400" "520 400" "520 880" "300 1000" "340 600" "200 200")
for ((frame = 10, i = 0; frame < frames - 1; frame += 70, i++)); do
  echo "at $frame click ${points[i % ${#points[@]}]}"
done > "$work/long.replay"
echo "at $((frames - 1)) close" >> "$work/long.replay"

run=("$build/adventure" "$build/examples/study" --replay "$work/long.replay" --trace "$work/long.trace")
export ALSOFT_CONF="$root/testkit/alsoft-null.conf"
start=$(date +%s%N)
if [ -n "${DISPLAY:-}" ]; then
  "${run[@]}" > /dev/null
else
  xvfb-run -a -s "-screen 0 1920x1200x24 -noreset" "${run[@]}" > /dev/null
fi
end=$(date +%s%N)
ms=$(((end - start) / 1000000))
echo "replay of $frames frames: $((ms / 1000)).$(printf %03d $((ms % 1000))) s, $(wc -l < "$work/long.trace") trace lines"
