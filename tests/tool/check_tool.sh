#!/usr/bin/env bash
# velmora-tool on the small projects beside this script.
#   check_tool.sh TOOL
set -euo pipefail
tool=$1
here=$(cd "$(dirname "$0")" && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# info: title and author of the first map, then every map in order.
"$tool" info "$here/castle" > "$tmp/info"
cat > "$tmp/want" <<'WANT'
title: Старый замок
author: Мастер Игр
map 1: screens 3, objects 2, commands 1, grid 2 x 2
map 2: screens 1, objects 0, commands 0, grid 4 x 1
WANT
diff -u "$tmp/want" "$tmp/info" || fail "info output"

# unscramble gives the plain bytes; a plain file comes out unchanged.
"$tool" unscramble "$here/castle/MAP1.INI" > "$tmp/plain"
cmp "$tmp/plain" "$here/castle/map1.plain" || fail "unscramble"
"$tool" unscramble "$here/castle/map2.ini" | cmp - "$here/castle/map2.ini" || fail "unscramble plain"
# scramble and unscramble are exact inverses.
"$tool" scramble "$here/castle/map1.plain" > "$tmp/scrambled"
cmp "$tmp/scrambled" "$here/castle/MAP1.INI" || fail "scramble"
"$tool" scramble "$here/castle/MAP1.INI" | cmp - "$here/castle/MAP1.INI" || fail "scramble scrambled"

# A damaged project: the file and the problem on standard error, exit 1.
set +e
"$tool" info "$here/damaged" > "$tmp/out" 2> "$tmp/err"
status=$?
set -e
[ "$status" -eq 1 ] || fail "damaged project exit status $status"
grep -q '^error: .*damaged/map1.ini: .*Scr0DescrCnt' "$tmp/err" || fail "damaged project message: $(cat "$tmp/err")"
[ ! -s "$tmp/out" ] || fail "damaged project printed: $(cat "$tmp/out")"

# No project at all, and a file that is not there.
"$tool" info "$tmp" 2> "$tmp/err" && fail "info on an empty folder succeeded"
grep -q '^error: .*game.ini' "$tmp/err" || fail "empty folder message: $(cat "$tmp/err")"
"$tool" unscramble "$tmp/none.ini" 2> "$tmp/err" && fail "unscramble of a missing file succeeded"
grep -q '^error: .*none.ini: не открывается' "$tmp/err" || fail "missing file message"
echo "velmora-tool: all checks passed"
