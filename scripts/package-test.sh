#!/usr/bin/env bash
# Builds the Debian package and plays what it installs as a player would:
# lintian must find no error in it; the installed example game, copied
# read-only, must replay its walkthrough exactly from the working directory /;
# its bundle must hold exactly its files, play.sh and a valid launcher, and
# replay the same once unpacked elsewhere; a game missing a file must not be
# bundled.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build"
"$root/scripts/setup-debian.sh"
cmake -S "$root" -B "$build" -G Ninja > /dev/null
cmake --build "$build" --target package

version="$("$build/adventure" --version | cut -d' ' -f2)"
deb="$build/adventure_${version}-1_$(dpkg --print-architecture).deb"
echo "== lintian $deb"
lintian --fail-on error --display-level '>=warning' "$deb"

scratch="$(mktemp -d)"
trap 'chmod -R u+w "$scratch"; rm -rf "$scratch"' EXIT
dpkg-deb -x "$deb" "$scratch/root"
engine="$scratch/root/usr/games/adventure"
for installed in usr/share/man/man6/adventure.6.gz usr/share/doc/adventure/game.xsd; do
  [ -f "$scratch/root/$installed" ] || { echo "the package lacks /$installed" >&2; exit 1; }
done
game="$scratch/study"
# The example's fonts link to the fonts package, a dependency: the scratch
# root finds it where an installed system has it, and the copy holds the fonts.
ln -s /usr/share/fonts "$scratch/root/usr/share/fonts"
cp -rL "$scratch/root/usr/share/games/adventure/examples/study" "$game"
chmod -R a-w "$game"
# Root writes through a-w, so whether the engine wrote anything is told by
# the folder itself.
snapshot() { (cd "$game" && find . -printf '%p %y %s %T@\n' | sort); }
before="$(snapshot)"

# From /, with every path absolute: nothing may depend on where it is started.
replay() {
  (cd / && ALSOFT_CONF="$root/testkit/alsoft-null.conf" xvfb-run -a -s "-screen 0 1920x1200x24" "$@" \
    --replay "$root/examples/study/walkthrough.replay" --expect "$root/examples/study/walkthrough.trace" \
    --save-dir "$scratch/saves" \
    < /dev/null > /dev/null)
}
echo "== the installed example game, read-only, from /"
replay "$engine" "$game"
[ "$(snapshot)" = "$before" ] || { echo "the engine changed the game's folder" >&2; exit 1; }

echo "== its bundle"
archive="$scratch/study.tar.gz"
(cd / && "$engine" --bundle "$archive" "$game")
[ "$(snapshot)" = "$before" ] || { echo "bundling changed the game's folder" >&2; exit 1; }
# Exactly the document and the files it names (its assets under its asset path, "assets",
# its translations from the game's folder): the installed folder also holds images only the
# older example named.
expected="$( (echo game.xml
  grep -v '<language ' "$game/game.xml" | grep -o 'src="[^"]*"' | sed 's|^src="|assets/|; s|"$||'
  grep '<language ' "$game/game.xml" | grep -o 'src="[^"]*"' | sed 's|^src="||; s|"$||'
  printf '%s\n' play.sh the-study.desktop) | sort -u)"
diff -u <(echo "$expected") <(tar -tzf "$archive" | sort)
listing="$(tar -tvzf "$archive")"
grep -q '^-rwxr-xr-x .* play\.sh$' <<< "$listing" || { echo "play.sh lost its exec bits" >&2; exit 1; }
unpacked="$scratch/unpacked"
mkdir "$unpacked"
tar -xzf "$archive" -C "$unpacked"
desktop-file-validate "$unpacked/the-study.desktop"
PATH="$scratch/root/usr/games:$PATH" replay "$unpacked/play.sh"

echo "== a game missing a file is not bundled"
broken="$scratch/broken"
cp -r "$unpacked" "$broken"
missing="$(cd "$broken" && find assets -name '*.png' | sort | head -n 1)"
rm "$broken/$missing"
status=0
"$engine" --bundle "$scratch/broken.tar.gz" "$broken" 2> "$scratch/refusal" || status=$?
cat "$scratch/refusal"
[ "$status" = 1 ] || { echo "expected status 1, got $status" >&2; exit 1; }
grep -q "^$broken/game.xml:[0-9]*:[0-9]*: warning: \"src\" names \"$missing\", which does not exist \[missing-file\]$" \
  "$scratch/refusal"
[ ! -e "$scratch/broken.tar.gz" ] || { echo "a refused bundle was written" >&2; exit 1; }
echo "package-test: passed"
