#!/usr/bin/env bash
# Peak memory of `adventure --check` on a generated 50 MB document of many
# assets, each with slips the check reports (a pair without its blank, a
# misspelt attribute, a missing file), in text and in JSON. Prints the
# maximum resident set of each run, in MiB; the target is under 300.
# Usage: bench/check-memory.sh [ADVENTURE_BINARY]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
engine="${1:-$root/build/adventure}"
work="$(mktemp -d /tmp/adventure-check-memory-XXXXXX)"
trap 'rm -rf "$work"' EXIT

awk 'BEGIN {
  print "<game entryScene=\"1\" width=\"800\" height=\"600\" title=\"Big\" fps=\"60\">"
  print "<assets path=\"assets/\">"
  for (i = 0; i < 620000; ++i)
    printf "<sprite id=\"s%d\" src=\"missing%d.png\" position=\"%d,%d\" postion=\"1, 2\"/>\n", i, i % 100, i % 1100, i % 700
  print "</assets>"
  print "<scenes><scene sceneId=\"1\">"
  for (i = 0; i < 620000; ++i)
    printf "<s%d/>\n", i
  print "</scene></scenes>"
  print "</game>"
}' > "$work/game.xml"
echo "document: $(($(stat -c %s "$work/game.xml") / 1024 / 1024)) MiB"

for format in text json; do
  /usr/bin/time -v "$engine" --check --format "$format" "$work/game.xml" > "$work/out" 2> "$work/time" || true
  peak=$(awk '/Maximum resident set size/ { print $NF }' "$work/time")
  echo "$format: peak $((peak / 1024)) MiB, $(wc -l < "$work/out") lines of output"
done
