#!/usr/bin/env bash
# The shipped adventure saved as today's editors save it: converted to UTF-8
# with velmora-tool (scrambled, and plain with a byte-order mark), it plays
# every walkthrough to the same transcript as the 1251 original, and the
# checker says the same of it; converted back, it is the original byte for byte.
#   check_utf8_twin.sh VELMORA TOOL GAME_DIR
set -euo pipefail
velmora=$1
tool=$2
game=$3
here=$(cd "$(dirname "$0")" && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
export HOME="$tmp/home" XDG_DATA_HOME="$tmp/data"
mkdir -p "$HOME" "$XDG_DATA_HOME"
fail() { echo "FAIL: $*" >&2; exit 1; }

# twin NAME: the game folder with its project made by the function `make_NAME`.
twin() {
  rm -rf "$tmp/$1"
  cp -R "$game" "$tmp/$1"
  "make_$1" "$tmp/$1/Projects/Default"
}
make_original() { :; }
make_utf8() { "$tool" convert --to utf8 "$1" > /dev/null; }
make_bom() {
  local f
  for f in "$1"/game.ini "$1"/map*.ini; do
    "$tool" unscramble "$f" > "$f.plain"
    mv "$f.plain" "$f"
  done
  "$tool" convert --to utf8 "$1" > /dev/null
  for f in "$1"/game.ini "$1"/map*.ini "$1"/*.txt; do
    { printf '\357\273\277'; cat "$f"; } > "$f.bom"
    mv "$f.bom" "$f"
  done
}

# play NAME KEYS: the walkthrough on the twin, played where every twin is
# played (the transcript names the folder), into NAME-KEYS.tr.
play() {
  rm -rf "$tmp/root"
  cp -R "$tmp/$1" "$tmp/root"
  "$velmora" --root "$tmp/root" --keys "$here/$2.keys" -nomenu \
      --transcript "$tmp/$1-$2.tr" > /dev/null 2> "$tmp/$1-$2.err" || fail "$1 $2: velmora failed"
  [ ! -s "$tmp/$1-$2.err" ] || fail "$1 $2: complaints: $(cat "$tmp/$1-$2.err")"
  rm -rf "$tmp/check"
  cp -R "$tmp/$1/Projects/Default" "$tmp/check"
  "$tool" check --strict "$tmp/check" > "$tmp/$1.check" || fail "$1: check: $(cat "$tmp/$1.check")"
}

for name in original utf8 bom; do
  twin "$name"
  for keys in win die tired; do play "$name" "$keys"; done
done
grep -q '^say: Победа!' "$tmp/original-win.tr" || fail "the original walkthrough does not win"
for name in utf8 bom; do
  # The twin really is UTF-8: a Russian word of the map in its bytes.
  if [ "$name" = bom ]; then
    head -c 3 "$tmp/$name/Projects/Default/map1.ini" | cmp -s - <(printf '\357\273\277') ||
      fail "$name: no byte-order mark"
  fi
  map=$tmp/$name/Projects/Default/map1.ini
  # Read whole first: grep -q stopping early would fail the pipe.
  if [ "$name" = bom ]; then text=$(cat "$map"); else text=$("$tool" unscramble "$map"); fi
  grep -q 'маяк' <<<"$text" || fail "$name: map1.ini is not UTF-8"
  for keys in win die tired; do
    diff -u "$tmp/original-$keys.tr" "$tmp/$name-$keys.tr" > "$tmp/diff" ||
      fail "$name $keys: the transcript differs: $(head -n 20 "$tmp/diff")"
  done
  diff -u "$tmp/original.check" "$tmp/$name.check" || fail "$name: the checker differs"
done
# Back to 1251: the scrambled twin is the original again.
"$tool" convert --to 1251 "$tmp/utf8/Projects/Default" > /dev/null
diff -r "$game/Projects/Default" "$tmp/utf8/Projects/Default" || fail "converted back, not the original"
echo PASS
