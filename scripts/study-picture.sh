#!/usr/bin/env bash
# The README's picture of The Study, docs/study.png, taken by replaying
# examples/study/picture.replay with the engine in BUILD (default build/).
#   bash scripts/study-picture.sh [BUILD]           takes it and writes docs/study.png
#   bash scripts/study-picture.sh [BUILD] --check   fails when it differs from docs/study.png
# A change to how the study looks (its document, its images, how the engine
# draws) changes the picture: run the first form and commit the result.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
mode="${2:-}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp "$root/examples/study/picture.replay" "$work/"
run=("$build/adventure" "$build/examples/study" --save-dir "$work/saves" --replay "$work/picture.replay")
export ALSOFT_CONF="${ALSOFT_CONF:-$root/testkit/alsoft-null.conf}"
if [ -z "${DISPLAY:-}" ]; then
  xvfb-run -a -s "-screen 0 1920x1200x24 -noreset" "${run[@]}" < /dev/null > /dev/null
else
  "${run[@]}" < /dev/null > /dev/null
fi
if [ "$mode" = "--check" ]; then
  if ! cmp -s "$work/study.png" "$root/docs/study.png"; then
    echo "docs/study.png is not the study as the engine draws it now; refresh it with:" >&2
    echo "  bash scripts/study-picture.sh" >&2
    exit 1
  fi
else
  cp "$work/study.png" "$root/docs/study.png"
  echo "wrote $root/docs/study.png"
fi
