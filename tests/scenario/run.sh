#!/usr/bin/env bash
# Plays one scenario headless on a fresh copy of the castle project and
# compares what the player heard and saw, and the files the game wrote.
#   run.sh VELMORA NAME            compare with NAME.expected
#   run.sh VELMORA NAME --update   write NAME.expected
set -euo pipefail
velmora=$1
name=$2
here=$(cd "$(dirname "$0")" && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cp -R "$here/castle" "$tmp/root"
# The player's own Projects folder (the adventure chooser lists it) is an
# empty one of the run's, whoever runs the tests.
export XDG_DATA_HOME="$tmp/data"
# The key script's first comment lines may set up the run:
#   "# args: -nomenu"            arguments of velmora
#   "# overlay: NAME"            overlays/NAME copied over the castle (changed
#                                project files, saved games already there)
#   "# file-size-limit: BLOCKS"  no file may grow beyond this (a full disk)
#   "# remove: PATH"             a file of the castle taken away
header() { sed -n "/^[^#]/q; s/^# $1: //p" "$here/$name.keys"; }
args=$(header args)
overlay=$(header overlay)
limit=$(header file-size-limit)
if [ -n "$overlay" ]; then cp -R "$here/overlays/$overlay/." "$tmp/root/"; fi
header remove | while read -r gone; do rm -f "$tmp/root/$gone"; done
(cd "$tmp/root" && find . -type f | sort) > "$tmp/before"
play() {
  # shellcheck disable=SC2086
  "$velmora" --root "$tmp/root" --keys "$here/$name.keys" $args
}
if [ -z "$limit" ]; then
  play > "$tmp/out" 2> "$tmp/err" || { echo "velmora failed ($?):"; cat "$tmp/err"; exit 1; }
else
  # The limit holds for files only: the transcript goes through a pipe.
  : > "$tmp/err"
  (ulimit -f "$limit"; play 2>&1) | cat > "$tmp/out" || { echo "velmora failed:"; cat "$tmp/out"; exit 1; }
fi
{
  # Errors name files by their full path: the temporary root is left out.
  sed "s|$tmp/root/||g" "$tmp/out"
  if [ -s "$tmp/err" ]; then echo "== stderr =="; sed "s|$tmp/root/||g" "$tmp/err"; fi
  echo "== files written =="
  (cd "$tmp/root" && find . -type f | sort) | comm -13 "$tmp/before" - 
  if [ -f "$tmp/root/main.ini" ]; then echo "== main.ini =="; tr -d '\r' < "$tmp/root/main.ini"; fi
} > "$tmp/got"
if [ "${3:-}" = "--update" ]; then
  cp "$tmp/got" "$here/$name.expected"
  exit 0
fi
diff -u "$here/$name.expected" "$tmp/got"
