#!/usr/bin/env bash
# Runs the built engine (build/adventure) on one bad game.xml after another,
# each in a fresh folder, and prints a markdown table of what each gets: the
# exit status and what the engine wrote on standard error. A game that plays
# is clicked three times and closed with its close button after two seconds
# (and has two minutes to end after that, since it may still be loading);
# one that neither ends nor shows a window in time is killed and reported.
# Needs an X display of its own (run it under xvfb-run), xdotool and a C++ compiler.
# Usage: tools/bad_inputs.sh [ENGINE]   (docs/bad-inputs.md holds its output)
# ONLY=REGEX runs only the cases whose function (c_...) matches.
set -uo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
ENGINE="$(realpath "${1:-$ROOT/build/adventure}")"
ASSETS="$ROOT/build/examples/study/assets"
FONT=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf
source "$ROOT/tools/drive.sh"
CLOSE="$(close_window_tool)"
export ALSOFT_CONF="${ALSOFT_CONF:-$ROOT/testkit/alsoft-null.conf}"
WORK="$(mktemp -d /tmp/adventure-bad-XXXXXX)"
trap 'rm -rf "$WORK"' EXIT

# game ASSETS CHILDREN [SCENE-ATTRIBUTES] [ROOT-ATTRIBUTES]: writes game.xml.
game() {
  local root="${4:-entryScene=\"1\" width=\"400\" height=\"300\" title=\"Bad\" fps=\"30\"}"
  printf '<game %s>\n<assets path="a">\n%s\n</assets>\n<scenes>\n<scene sceneId="1" %s>\n%s\n</scene>\n</scenes>\n</game>\n' \
    "$root" "$1" "${3:-}" "$2" > game.xml
}
# A sprite, a player and a click sound and text, with one attribute set as given.
playable() {
  game "<sprite id=\"box\" src=\"box.png\" position=\"100, 100\" origin=\"0, 0\" scale=\"10, 10\"/>
<audio id=\"knock\" src=\"knock.wav\"/><audio id=\"tune\" src=\"music.ogg\"/>
<text id=\"note\" src=\"f.ttf\">A note</text>
<player src=\"box.png\" position=\"500, 500\" $2/>" \
    "<player/><box onClickAudio=\"knock\" onClickText=\"note\" $1/>" "music=\"tune\" $3"
}

cell() {
  # One table cell: | and newlines would break the row.
  sed -e 's/|/\\|/g' | tr '\n' ' ' | sed -e 's/  */ /g' -e 's/ $//'
}

# What the engine wrote: its own lines first, then the libraries' lines in the
# order they first came, each once with a count, the labels of the audio
# library's reports left out, each cut short when long.
summary() {
  {
    grep -a 'game\.xml:' "$1" | head -n 3
    grep -av -e 'game\.xml:' -e '^\s*$' -e '^Setting vertical sync not supported' \
      -e '^Expression:$' -e '^Error description:$' "$1" | sed -E 's/^\s+//' |
      awk '!($0 in count) { order[n++] = $0 } { count[$0]++ }
           END { for (i = 0; i < n && i < 4; i++) print order[i] (count[order[i]] > 1 ? " (×" count[order[i]] ")" : "") }'
  } | cut -c1-160 | sed 's/$/;/' | cell
}

# Every file of the case's folder with its checksum, for the cases that must
# write nothing over what they read.
checksums() { (cd "$1" && find . -type f ! -name out ! -name err -print0 | sort -z | xargs -0r md5sum); }

# run_case NAME SETUP [ENV-PREFIX] [ARGUMENTS]: ARGUMENTS go to the engine
# (split at blanks); with them, any file of the folder that changes is named.
run_case() {
  local name="$1" setup="$2" env_prefix="${3:-}" arguments="${4:-}"
  local dir="$WORK/case" status result start took id before=''
  # shellcheck disable=SC2206
  local argv=($arguments)
  if [ -n "${ONLY:-}" ] && ! [[ $setup =~ $ONLY ]]; then
    return
  fi
  rm -rf "$dir"
  mkdir -p "$dir/a"
  cp "$ASSETS/door.png" "$dir/a/box.png"
  cp "$ASSETS/knock.wav" "$ASSETS/music.ogg" "$dir/a/"
  cp "$FONT" "$dir/a/f.ttf"
  # A 16 x 16 image, for the cases that load very many.
  printf '\x89PNG\r\n\x1a\n\x00\x00\x00\x0dIHDR\x00\x00\x00\x10\x00\x00\x00\x10\x08\x06\x00\x00\x00\x1f\xf3\xff\x61' > "$dir/a/tiny.png"
  printf '\x00\x00\x00\x19IDAT\x78\xda\x63\x38\xa1\xa1\xf1\x9f\x12\xcc\x30\x6a\xc0\xa8\x01\xa3\x06\x0c\x17\x03\x00\xa9\x32\x17\x1f' >> "$dir/a/tiny.png"
  printf '\x4c\x00\xf5\x0f\x00\x00\x00\x00IEND\xae\x42\x60\x82' >> "$dir/a/tiny.png"
  printf '\n' > "$dir/enter"
  (cd "$dir" && $setup)
  [ -n "$arguments" ] && before="$(checksums "$dir")"
  start=$SECONDS
  (cd "$dir" && exec env $env_prefix "$ENGINE" "${argv[@]}" < enter > out 2> err) &
  local pid=$!
  if id=$(wait_for_window "$pid" 30); then
    sleep 1
    click "$id" 20 20
    click "$id" 60 60
    click "$id" 200 150
    sleep 1
    "$CLOSE" "$id"
    status=0
    wait_for_exit "$pid" 120 || status=$?
    result="plays; closed: status $status"
  else
    status=0
    wait_for_exit "$pid" 10 || status=$?
    result="status $status"
  fi
  if [ "$status" = 124 ]; then
    kill -KILL "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    result="**did not end** (killed)"
  elif [ "$status" -gt 128 ]; then
    result="**killed by signal $((status - 128))**"
  fi
  took=$((SECONDS - start))
  if [ -n "$arguments" ]; then
    local changed
    changed="$(diff <(echo "$before") <(checksums "$dir") | sed -n 's/^< [0-9a-f]*  \.\///p' | tr '\n' ' ')"
    result+="${changed:+; **overwritten: $changed**}"
  fi
  printf '| %s | %s | %s | %s |\n' "$name" "$result" "${took}" "$(summary "$dir/err")"
}

# --- the cases: each function writes the game folder's files ---------------
c_empty() { : > game.xml; }
c_truncated() { game '<sprite id="box" src="box.png"/>' '<box/>'; head -c 60 game.xml > t && mv t game.xml; }
c_not_xml() { printf 'This is not a game.\n' > game.xml; }
c_binary() { head -c 4096 "$ASSETS/door.png" | tr '\0' 'x' > game.xml; }
c_100mb() {
  { printf '<game entryScene="1" width="400" height="300" title="Bad" fps="30"><!--'
    head -c 104857600 /dev/zero | tr '\0' 'x'
    printf -- '--><assets path="a"/><scenes><s sceneId="1"/></scenes></game>'; } > game.xml
}
c_100mb_text() {
  { printf '<game entryScene="1" width="400" height="300" title="Bad" fps="30"><assets path="a"><text id="t" src="f.ttf" size="8">'
    head -c 104857600 /dev/zero | tr '\0' 'x'
    printf '</text></assets><scenes><s sceneId="1"><t/></s></scenes></game>'; } > game.xml
}
c_300mb() { truncate -s 300M game.xml; }
c_deep() { { printf '<game>'; for _ in $(seq 1000); do printf '%0.s<a>' $(seq 100); done; } > game.xml; }
c_laughs() {
  {
    printf '<?xml version="1.0"?>\n<!DOCTYPE game [\n <!ENTITY lol "lol">\n'
    printf ' <!ENTITY lol1 "&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;">\n'
    for i in 2 3 4 5 6 7 8 9; do
      printf ' <!ENTITY lol%d "' "$i"; for _ in $(seq 10); do printf '&lol%d;' $((i - 1)); done; printf '">\n'
    done
    printf ']>\n<game entryScene="1" width="400" height="300" title="&lol9;" fps="30"><assets path="a">'
    printf '<text id="t" src="f.ttf">&lol9;</text></assets><scenes><s sceneId="1"><t/></s></scenes></game>\n'
  } > game.xml
}
c_bom() { game '<sprite id="box" src="box.png"/>' '<box/>'; { printf '\xef\xbb\xbf'; cat game.xml; } > t && mv t game.xml; }
c_crlf() { playable '' '' ''; sed -i 's/$/\r/' game.xml; }
c_utf16() { game '' ''; iconv -f UTF-8 -t UTF-16 game.xml > t && mv t game.xml; }
c_nul() { game '' ''; printf '\0' >> game.xml; }
c_entity_nul() { game '<text id="t" src="f.ttf" size="40">be&#0;fore</text>' '<t/>' '' 'entryScene="1" width="40&#0;0" height="300" title="Bad&#0;Title" fps="30"'; }
c_bad_entity() { game '' '' '' 'entryScene="1" width="400" height="300" title="&#x110000;" fps="30"'; }
c_no_root() { printf '<?xml version="1.0"?>\n<!-- nothing -->\n' > game.xml; }
c_no_assets() { game '' ''; sed -i '/assets/d' game.xml; }
c_no_scenes() { game '' ''; sed -i '/scenes>/d; /scene /d; /<\/scene>/d' game.xml; }
root_without() {
  local attrs='entryScene="1" width="400" height="300" title="Bad" fps="30"'
  game '' '' '' "$(sed -E "s/$1=\"[^\"]*\" ?//" <<< "$attrs")"
}
c_no_entry() { root_without entryScene; }
c_no_width() { root_without width; }
c_no_height() { root_without height; }
c_no_title() { root_without title; }
c_no_fps() { root_without fps; }
c_no_path() { game '' ''; sed -i 's/<assets path="a">/<assets>/' game.xml; }
c_no_scene_id() { game '' ''; sed -i 's/<scene sceneId="1"/<scene/' game.xml; }
c_no_entry_scene() { game '' '' '' 'entryScene="7" width="400" height="300" title="Bad" fps="30"'; }
c_no_ids() { game '<sprite src="box.png"/><audio src="knock.wav"/><text src="f.ttf">x</text>' '<player/>'; }
c_garbage_numbers() { game '<sprite id="box" src="box.png" position="1e2xyz, abc" scale="2,2" rotation="45deg"/>' '<box/>' 'leftLevelLimit="--3"' 'entryScene="1abc" width="400px" height="3e2" title="Bad" fps="sixty"'; }
c_width_word() { game '' '' '' 'entryScene="1" width="wide" height="300" title="Bad" fps="30"'; }
c_width_zero() { game '' '' '' 'entryScene="1" width="0" height="300" title="Bad" fps="30"'; }
c_width_negative() { game '' '' '' 'entryScene="1" width="-400" height="300" title="Bad" fps="30"'; }
c_height_huge() { game '' '' '' 'entryScene="1" width="400" height="99999999999999999999" title="Bad" fps="30"'; }
c_size_max() { game '' '' '' 'entryScene="1" width="8192" height="8192" title="Bad" fps="30"'; }
c_size_over() { game '' '' '' 'entryScene="1" width="8193" height="300" title="Bad" fps="30"'; }
c_fps_negative() { game '' '' '' 'entryScene="1" width="400" height="300" title="Bad" fps="-1"'; }
c_fps_huge() { playable '' '' '' ; sed -i 's/fps="30"/fps="2147483647"/' game.xml; }
c_fps_overflow() { playable '' '' '' ; sed -i 's/fps="30"/fps="-99999999999"/' game.xml; }
c_limits() { playable '' '' 'leftLevelLimit="-2147483648" upperLevelLimit="99999999999" rightLevelLimit="-5" lowerLevelLimit="nan"'; }
c_speed_negative() { playable '' 'speed="-5"' ''; }
c_speed_zero() { playable '' 'speed="0"' ''; }
c_speed_huge() { playable '' 'speed="2000000000"' 'leftLevelLimit="2000000000" rightLevelLimit="2000000000"'; }
c_volume_bad() { playable 'volume="-50" pitch="-1"' '' 'volume="nan" pitch="nan"'; }
c_volume_huge() { playable 'volume="1e39" pitch="1e39"' '' 'volume="-1e39" pitch="0"'; }
c_nan_transform() { playable 'position="nan, inf" scale="inf, -inf" origin="nan, nan" rotation="99999999999"' 'position="inf, nan" scale="nan, 0"' ''; }
c_text_size() { game '<text id="t" src="f.ttf" size="-1">neg</text><text id="u" src="f.ttf" size="5000">huge</text><text id="v" src="f.ttf" size="1024">W</text>' '<t/><u size="99999999999"/><v/>'; }
c_color() { game '<text id="t" src="f.ttf" color="999, -1, abc, 1e99, 5, 6">c</text><text id="u" src="f.ttf" color=",,,,">c</text>' '<t/><u/>'; }
c_missing_files() { playable '' '' ''; sed -i 's/box.png/none.png/g; s/knock.wav/none.wav/; s/music.ogg/none.ogg/; s/f.ttf/none.ttf/' game.xml; }
c_undecodable() {
  playable '' '' ''
  head -c 3000 /dev/urandom > a/box.png; head -c 3000 /dev/urandom > a/f.ttf
  head -c 3000 /dev/urandom > a/knock.wav; head -c 3000 /dev/urandom > a/music.ogg
}
c_empty_files() { playable '' '' ''; : > a/box.png; : > a/f.ttf; : > a/knock.wav; : > a/music.ogg; }
c_huge_png() {
  playable '' '' ''
  # A PNG whose header claims 30000 x 30000 pixels, followed by almost no data.
  printf '\x89PNG\r\n\x1a\n\x00\x00\x00\x0dIHDR\x00\x00\x75\x30\x00\x00\x75\x30\x08\x06\x00\x00\x00\x00\x00\x00\x00' > a/box.png
  printf '\x00\x00\x00\x04IDAT\x78\x9c\x03\x00\x00\x00\x00\x00\x00\x00\x00\x00IEND\xae\x42\x60\x82' >> a/box.png
}
c_big_png_header() {
  playable '' '' ''
  # 20000 x 20000: small enough for the decoder to try, far too big for a texture.
  printf '\x89PNG\r\n\x1a\n\x00\x00\x00\x0dIHDR\x00\x00\x4e\x20\x00\x00\x4e\x20\x08\x06\x00\x00\x00\x00\x00\x00\x00' > a/box.png
  printf '\x00\x00\x00\x04IDAT\x78\x9c\x03\x00\x00\x00\x00\x00\x00\x00\x00\x00IEND\xae\x42\x60\x82' >> a/box.png
}
c_lying_wav() {
  playable '' '' ''
  # 16-bit mono 44.1 kHz; the header claims 2 GB of samples, the file holds 200 bytes.
  { printf 'RIFF\xf0\xff\xff\x7fWAVEfmt \x10\x00\x00\x00\x01\x00\x01\x00\x44\xac\x00\x00\x88\x58\x01\x00\x02\x00\x10\x00'
    printf 'data\xd0\xff\xff\x7f'; head -c 200 /dev/urandom; } > a/knock.wav
  cp a/knock.wav a/music.ogg
}
c_src_dir() { playable '' '' ''; rm a/box.png a/knock.wav a/f.ttf a/music.ogg; mkdir a/box.png a/knock.wav a/f.ttf a/music.ogg; }
c_src_pipe() { playable '' '' ''; rm a/box.png a/knock.wav a/f.ttf a/music.ogg; mkfifo a/box.png a/knock.wav a/f.ttf a/music.ogg; }
c_src_device() { playable '' '' ''; sed -i 's|src="box.png"|src="../../../../../../dev/zero"|; s|src="knock.wav"|src="../../../../../../dev/urandom"|' game.xml; }
c_gamexml_dir() { mkdir game.xml; }
c_gamexml_pipe() { mkfifo game.xml; }
c_gamexml_missing() { :; }
c_gamexml_unreadable() { game '' ''; chmod 000 game.xml; }
c_duplicates() {
  game '<sprite id="box" src="box.png"/><sprite id="box" src="box.png" position="50, 50"/>
<audio id="knock" src="knock.wav"/><audio id="knock" src="knock.wav"/>
<text id="t" src="f.ttf">one</text><text id="t" src="f.ttf">two</text>
<player src="box.png"/><player src="box.png" position="100, 100"/>' \
    '<box onClickAudio="knock" onClickText="t"/><box onClickAudio="knock" onClickText="t"/><t/><t/><player/><player/>'
  sed -i 's|</scenes>|<scene sceneId="1"><box/></scene></scenes>|' game.xml
}
c_motion_slips() {
  game '<sprite id="box" src="box.png" frameSize="0, 16" frames="0, -1" delay="0"/><player src="box.png" facing="north"/>' \
    '<box/><player/>' 'walkArea="0, 0, 100, x"'
}
c_bad_condition() {
  playable 'if="lamp, , i/"' '' ''
}
c_door_cycle() {
  printf '<game entryScene="1" width="400" height="300" title="Bad" fps="30"><assets path="a">
<sprite id="box" src="box.png" position="0, 0" origin="0, 0" scale="100, 100"/></assets><scenes>
<scene sceneId="1"><box onClickScene="2"/></scene><scene sceneId="2"><box onClickScene="1"/></scene>
</scenes></game>\n' > game.xml
}
c_use_without_item() {
  playable '' '' '' && sed -i 's|<box onClickAudio|<box><use onClickText="note"/></box><box onClickAudio|' game.xml
}
c_icon_nothing() {
  game '<sprite id="box" src="box.png"/>' '<box/>' '' \
    'entryScene="1" width="400" height="300" title="Bad" fps="30"><state><item id="key" icon="nothing" held="true"/></state><inventory slotSize="50, 50"/'
}
c_motion_corners() {
  game '<player src="box.png"/>' '<player/>' "walkArea=\"$(seq -s ', ' 1 2002)\""
}
c_motion_knots() {
  game '<player src="box.png" position="500, 500"/>' '<player/>' \
    'walkArea="0, 0, 400, 400, 400, 0, 0, 400" walkHoles="1, 1; 10, 10, 900, 10, 900, 20"'
}
many_assets() {
  {
    printf '<game entryScene="1" width="400" height="300" title="Bad" fps="30"><assets path="a">\n'
    for i in $(seq 0 $((${4:-100000} - 1))); do
      case $1 in
        sprite) printf '<sprite id="s%d" src="%s" position="%d, %d"/>\n' "$i" "$3" $((i % 1000)) $((i / 100)) ;;
        mixed) case $((i % 3)) in
            0) printf '<sprite id="s%d" src="%s"/>\n' "$i" "$3" ;;
            1) printf '<audio id="s%d" src="knock.wav"/>\n' "$i" ;;
            2) printf '<text id="s%d" src="f.ttf">t</text>\n' "$i" ;;
          esac ;;
      esac
    done
    printf '</assets><scenes><scene sceneId="1">\n'
    for i in $(seq 0 $2); do printf '<s%d onClickAudio="s%d"/>\n' "$i" $(((i / 3) * 3 + 1)); done
    printf '</scene></scenes></game>\n'
  } > game.xml
}
c_many_sprites() { many_assets sprite 99999 tiny.png; }
c_many_big_sprites() { many_assets sprite 19999 box.png 20000; }
c_many_mixed() { many_assets mixed 2999 tiny.png; }
c_huge_title() {
  { printf '<game entryScene="1" width="400" height="300" fps="30" title="'
    head -c 33554432 /dev/zero | tr '\0' 'T'
    printf '"><assets path="a"/><scenes><s sceneId="1"/></scenes></game>'; } > game.xml
}
c_long_text() {
  { printf '<game entryScene="1" width="400" height="300" title="Bad" fps="30"><assets path="a"><text id="t" src="f.ttf" size="8">'
    head -c 1048576 /dev/zero | tr '\0' 'x'
    printf '</text></assets><scenes><s sceneId="1"><t/></s></scenes></game>'; } > game.xml
}
c_no_display() { game '' ''; }
# Replay scripts and command lines that would write over what the run reads.
shot_script() { playable '' '' ''; printf 'at 1 shot %b\nat 2 close\n' "$1" > play.replay; }
c_shot_nul() { shot_script '../case/game.xml\0.png'; }
c_shot_up() { shot_script '../outside.png'; }
c_shot_absolute() { shot_script "$WORK/case/a/box.png"; }
c_shot_asset() { shot_script 'a/box.png'; }
c_shot_link() { shot_script 'shots/x.png'; ln -s "$WORK" shots; }
c_shot_twice() { playable '' '' ''; printf 'at 1 shot s.png\nat 2 shot ./s.png\nat 3 close\n' > play.replay; }
c_replay() { playable '' '' ''; printf 'at 1 click 100 100\nat 20 close\n' > play.replay; }
c_replay_expect() { c_replay; printf '{"frame": 0, "event": "music", "id": "tune"}\n' > expected.trace; }
c_move_no_point() { playable '' '' ''; printf 'at 1 move 100\nat 2 close\n' > play.replay; }
c_move_word() { playable '' '' ''; printf 'at 1 move 100 here\nat 2 close\n' > play.replay; }
c_click_outside() { playable '' '' ''; printf 'at 1 click 550 -0.5\nat 2 close\n' > play.replay; }
# The pointer rules, on a labelled box in a game played with the keyboard.
pointer_game() {
  game '<sprite id="box" src="box.png" position="100, 100" origin="0, 0" scale="10, 10"/>
<text id="note" src="f.ttf">A note</text>' "<box $1/>" '' "entryScene=\"1\" width=\"400\" height=\"300\" title=\"Bad\" fps=\"30\" $2"
}
c_keyboard_play_yes() { pointer_game 'hoverText="note"' 'keyboardPlay="yes"'; }
c_save_name_nul() { pointer_game '' 'saveName="ab&#0;cd"'; }
c_pointer_names_unknown() { pointer_game 'hoverText="nothing" hoverCursor="nobody"' 'cursor="none" keyboardPlay="true"'; }
c_scene_leading_zero() { game '<sprite id="box" src="box.png"/>' '<box/>' '' 'entryScene="1" width="400" height="300" title="Bad" fps="30"'; sed -i 's/sceneId="1"/sceneId="10"/' game.xml; }

echo '| Bad input | What it gets | s | Standard error (engine lines first; library lines with a count) |'
echo '|---|---|---|---|'
run_case 'empty file' c_empty
run_case 'truncated document' c_truncated
run_case 'not XML: a sentence' c_not_xml
run_case 'not XML: binary (an image)' c_binary
run_case '100 MB document (a 100 MB comment)' c_100mb
run_case '100 MB document (one 100 MB text)' c_100mb_text
run_case '300 MB document' c_300mb
run_case 'nesting 100,000 levels deep' c_deep
run_case 'billion-laughs entities in title and text' c_laughs
run_case 'UTF-8 byte order mark' c_bom
run_case 'CR LF line ends' c_crlf
run_case 'UTF-16 document' c_utf16
run_case 'NUL byte' c_nul
run_case '`&#0;` inside values (width, title, text)' c_entity_nul
run_case '`&#x110000;` (no such character)' c_bad_entity
run_case 'no root element' c_no_root
run_case 'no `<assets>`' c_no_assets
run_case 'no `<scenes>`' c_no_scenes
run_case 'no `entryScene`' c_no_entry
run_case 'no `width`' c_no_width
run_case 'no `height`' c_no_height
run_case 'no `title`' c_no_title
run_case 'no `fps`' c_no_fps
run_case 'no `path` on `<assets>`' c_no_path
run_case 'scene without `sceneId`' c_no_scene_id
run_case 'no scene has the `entryScene`' c_no_entry_scene
run_case 'assets without `id`' c_no_ids
run_case 'numbers with garbage (`400px`, `1abc`, `sixty`, `45deg`)' c_garbage_numbers
run_case '`width="wide"`' c_width_word
run_case '`width="0"`' c_width_zero
run_case '`width="-400"`' c_width_negative
run_case '`height` of 20 digits' c_height_huge
run_case '8192 x 8192 window' c_size_max
run_case '`width="8193"`' c_size_over
run_case '`fps="-1"`' c_fps_negative
run_case '`fps="2147483647"`' c_fps_huge
run_case '`fps="-99999999999"`' c_fps_overflow
run_case 'level limits huge, negative, inverted, `nan`' c_limits
run_case 'player `speed="-5"`' c_speed_negative
run_case 'player `speed="0"`' c_speed_zero
run_case 'player `speed="2000000000"`, target 2·10⁹ away' c_speed_huge
run_case 'volume and pitch negative and `nan`' c_volume_bad
run_case 'volume and pitch `1e39`, `-1e39`, 0' c_volume_huge
run_case 'position, scale, origin `nan`/`inf`, rotation 11 digits' c_nan_transform
run_case 'text size -1, 5000, 99999999999' c_text_size
run_case 'colour with garbage, too many and too few parts' c_color
run_case 'missing image, font, sound and music files' c_missing_files
run_case 'undecodable image, font, sound and music (random bytes)' c_undecodable
run_case 'empty image, font, sound and music files' c_empty_files
run_case 'PNG header claiming 30000 x 30000' c_huge_png
run_case 'PNG header claiming 20000 x 20000' c_big_png_header
run_case 'WAV header claiming 2 GB of samples, 200 bytes held' c_lying_wav
run_case 'every `src` names a directory' c_src_dir
run_case 'every `src` names a pipe' c_src_pipe
run_case '`src` naming /dev/zero and /dev/urandom' c_src_device
run_case 'game.xml is a directory' c_gamexml_dir
run_case 'game.xml is a pipe' c_gamexml_pipe
run_case 'no game.xml' c_gamexml_missing
run_case 'game.xml unreadable (mode 000; root reads it anyway)' c_gamexml_unreadable
run_case 'duplicate ids, players and scenes' c_duplicates
run_case '100,000 sprites of a 16 x 16 image, all placed' c_many_sprites
run_case '20,000 sprites of a 220 x 460 image (8 GB of textures), all placed' c_many_big_sprites
run_case '100,000 assets: sprites, sounds, texts; 3,000 placed with click sounds' c_many_mixed
run_case '32 MB title' c_huge_title
run_case 'one text of 1 MB' c_long_text
run_case 'no X display' c_no_display '-u DISPLAY'
run_case 'replay: `shot ../game.xml\0.png` (a NUL hides the name)' c_shot_nul '' '--replay play.replay'
run_case 'replay: `shot ../outside.png`' c_shot_up '' '--replay play.replay'
run_case 'replay: `shot` of an absolute path (the game'"'"'s image)' c_shot_absolute '' '--replay play.replay'
run_case 'replay: `shot a/box.png` (the game'"'"'s image)' c_shot_asset '' '--replay play.replay'
run_case 'replay: `shot shots/x.png`, shots a symbolic link out of the folder' c_shot_link '' '--replay play.replay'
run_case 'replay: two shots to one file' c_shot_twice '' '--replay play.replay'
run_case '`--record game.xml`' c_replay '' '--record game.xml'
run_case '`--record a/box.png` (a file the game names)' c_replay '' '--record a/box.png'
run_case '`--record r --trace ./r`' c_replay '' '--record r --trace ./r'
run_case '`--trace` onto the replay script' c_replay '' '--replay play.replay --trace play.replay'
run_case '`--trace` onto the expected trace' c_replay_expect '' '--replay play.replay --expect expected.trace --trace expected.trace'
run_case '`--record /dev/full` in play' c_replay '' '--record /dev/full'
run_case '`--trace /dev/full` in play' c_replay '' '--trace /dev/full'
run_case '`--trace /dev/full` in a replay' c_replay '' '--replay play.replay --trace /dev/full'
run_case 'replay: `move 100` (no y)' c_move_no_point '' '--replay play.replay'
run_case 'replay: `move 100 here`' c_move_word '' '--replay play.replay'
run_case 'replay: `click 550 -0.5` (outside the world)' c_click_outside '' '--replay play.replay'
run_case '`keyboardPlay="yes"`' c_keyboard_play_yes
run_case '`saveName="ab&#0;cd"` (a NUL)' c_save_name_nul
run_case '`hoverText`, `hoverCursor` and `cursor` naming nothing' c_pointer_names_unknown
run_case '`--text-scale 5`' c_replay '' '--text-scale 5'
run_case '`--music-volume 101`' c_replay '' '--music-volume 101'
run_case '`--scene 010` with a scene 10 only' c_scene_leading_zero '' '--scene 010'
run_case 'motion slips: a word in `walkArea`, cells below 0, `delay` 0, `facing` north' c_motion_slips
run_case '`walkArea` of 1,001 corners' c_motion_corners
run_case 'a condition with an empty term and an `i/` without a name' c_bad_condition
run_case 'two doors leading to each other, clicked three times' c_door_cycle
run_case 'a `<use>` without `item`' c_use_without_item
run_case 'an item held at start whose icon names nothing' c_icon_nothing
run_case 'a crossed `walkArea`, a hole of one point, a hole outside, the player outside' c_motion_knots
