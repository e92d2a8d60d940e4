#!/usr/bin/env bash
# Builds the engine and plays the example game in this desktop session.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup-debian.sh"
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=Release > /dev/null
cmake --build "$root/build"
cd "$root/build/examples/study"
exec ../../adventure
