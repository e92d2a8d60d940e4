#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build-fuzz/ and feeds them for
# the given number of seconds in all (default 60): game documents for three
# quarters of it, in a virtual X display when there is none, then replay
# scripts and save files for a quarter each. A crash, hang or sanitizer
# report fails the run and leaves the input in build-fuzz/fuzz-artifacts/.
# FUZZ_RSS_MB caps its memory (default 6144). Each input's game is released,
# elements and all, so an input that leaks fails the run too.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-60}"
ADVENTURE_WITH_FUZZER=1 "$root/scripts/setup-debian.sh"

build="$root/build-fuzz"
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DADVENTURE_FUZZ=ON -DADVENTURE_TESTS=OFF -DADVENTURE_BENCH=OFF > /dev/null
cmake --build "$build" --target fuzz_game fuzz_replay_script fuzz_save_file
scriptSeconds=$(( seconds / 4 > 0 ? seconds / 4 : 1 ))
gameSeconds=$(( seconds - scriptSeconds > 0 ? seconds - scriptSeconds : 1 ))

corpus="$build/fuzz-corpus"
artifacts="$build/fuzz-artifacts"
mkdir -p "$corpus" "$artifacts"
cp "$root/examples/study/game.xml" "$corpus/study.xml"

export ALSOFT_CONF="$root/testkit/alsoft-null.conf"
# As in the sanitizer suite: the leak check can fault on llvmpipe's dynamic TLS.
export GALLIUM_DRIVER="${GALLIUM_DRIVER:-softpipe}"
run=("$build/fuzz/fuzz_game" "-max_total_time=$gameSeconds" -timeout=10 "-rss_limit_mb=${FUZZ_RSS_MB:-6144}"
  -close_fd_mask=3 -print_final_stats=1 "-dict=$root/fuzz/game.dict"
  "-artifact_prefix=$artifacts/" "$corpus" "$root/fuzz/seeds")
if [ -n "${DISPLAY:-}" ]; then
  "${run[@]}"
else
  xvfb-run -a -s "-screen 0 1920x1200x24 -noreset" "${run[@]}"
fi

scripts="$build/fuzz-replay-corpus"
mkdir -p "$scripts"
"$build/fuzz/fuzz_replay_script" "-max_total_time=$scriptSeconds" -timeout=10 -print_final_stats=1 \
  "-dict=$root/fuzz/replay.dict" "-artifact_prefix=$artifacts/" "$scripts" "$root/fuzz/replay-seeds"

saves="$build/fuzz-save-corpus"
mkdir -p "$saves"
"$build/fuzz/fuzz_save_file" "-max_total_time=$scriptSeconds" -timeout=10 -print_final_stats=1 \
  "-artifact_prefix=$artifacts/" "$saves" "$root/fuzz/save-seeds"
