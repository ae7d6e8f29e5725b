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
(cd "$tmp/root" && find . -type f | sort) > "$tmp/before"
# The first line of the key script may give arguments: "# args: -nomenu".
args=$(sed -n '1s/^# args: //p' "$here/$name.keys")
# shellcheck disable=SC2086
"$velmora" --root "$tmp/root" --keys "$here/$name.keys" $args > "$tmp/out" 2> "$tmp/err" || {
  echo "velmora failed ($?):"; cat "$tmp/err"; exit 1; }
{
  cat "$tmp/out"
  echo "== files written =="
  (cd "$tmp/root" && find . -type f | sort) | comm -13 "$tmp/before" - 
  if [ -f "$tmp/root/main.ini" ]; then echo "== main.ini =="; tr -d '\r' < "$tmp/root/main.ini"; fi
} > "$tmp/got"
if [ "${3:-}" = "--update" ]; then
  cp "$tmp/got" "$here/$name.expected"
  exit 0
fi
diff -u "$here/$name.expected" "$tmp/got"
