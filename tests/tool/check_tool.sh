#!/usr/bin/env bash
# velmora-tool on the small projects beside this script and the scenario castle.
#   check_tool.sh TOOL [VELMORA]
set -euo pipefail
tool=$1
velmora=${2:-}
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
grep -q '^velmora-tool: .*damaged/map1.ini: .*Scr0DescrCnt' "$tmp/err" || fail "damaged project message: $(cat "$tmp/err")"
[ ! -s "$tmp/out" ] || fail "damaged project printed: $(cat "$tmp/out")"

# No project at all, and a file that is not there: a wrong command line, status 2.
set +e
"$tool" info "$tmp" 2> "$tmp/err"; status=$?
[ "$status" -eq 2 ] || fail "info on an empty folder: status $status"
grep -q '^velmora-tool: .*: no game.ini here' "$tmp/err" || fail "empty folder message: $(cat "$tmp/err")"
"$tool" unscramble "$tmp/none.ini" 2> "$tmp/err"; status=$?
set -e
[ "$status" -eq 2 ] || fail "unscramble of a missing file: status $status"
grep -q '^velmora-tool: .*none.ini: не открывается' "$tmp/err" || fail "missing file message: $(cat "$tmp/err")"

# The scenario castle's cellar shows the pictures of the first map's screens
# at the same places in the list: each is told, naming the screen it belongs to.
castle=$here/../scenario/castle/Projects/Default
"$tool" check "$castle" > "$tmp/out" || fail "check of the castle: $(cat "$tmp/out")"
grep -q '^warning: .*map2.ini:Scr0Title: у экрана «Лестница» нет своей картинки: игра покажет gif/0.gif, картинку экрана «Ворота» карты .*map1.ini на том же месте.* \[no-picture\]$' "$tmp/out" ||
  fail "a borrowed picture: $(cat "$tmp/out")"
tail -n 1 "$tmp/out" | grep -q '^check: 0 errors, 2 warnings$' || fail "borrowed pictures: $(cat "$tmp/out")"
# With frames of their own (frame 1 as the first line on entry) they are clean;
# that copy is the castle from here on.
cp -r "$castle" "$tmp/castle"
castle=$tmp/castle
sed -i 's/^Scr1OnEnter=/Scr1OnEnter=frame 1\\n/' "$castle/map2.ini"
printf 'Scr0OnEnter=frame 1\r\n' >> "$castle/map2.ini"
cp "$castle/gif/0.gif" "$castle/gif/0-1.gif"
cp "$castle/gif/1.gif" "$castle/gif/1-1.gif"

# check: the castle is clean; the summary is the last line, exit 0.
"$tool" check "$castle" > "$tmp/out" || fail "check of the castle: $(cat "$tmp/out")"
[ "$(cat "$tmp/out")" = "check: 0 errors, 0 warnings" ] || fail "castle findings: $(cat "$tmp/out")"

# A warning alone passes, and fails with --strict.
cp -r "$castle" "$tmp/warned"
rm "$tmp/warned/menu.mid"
"$tool" check "$tmp/warned" > "$tmp/out" || fail "a warning failed the check"
grep -q '^warning: .*menu.mid: ' "$tmp/out" || fail "warning line: $(cat "$tmp/out")"
tail -n 1 "$tmp/out" | grep -q '^check: 0 errors, 1 warning$' || fail "summary: $(cat "$tmp/out")"
"$tool" check --strict "$tmp/warned" > /dev/null && fail "--strict passed a warning"
grep -q '\[no-music\]$' "$tmp/out" || fail "warning kind: $(cat "$tmp/out")"
# A kind of warning allowed passes --strict; another kind still fails it.
"$tool" check --strict --allow no-music "$tmp/warned" > /dev/null || fail "--allow no-music"
"$tool" check --strict --allow no-picture "$tmp/warned" > /dev/null && fail "--allow of another kind"
set +e
"$tool" check --strict --allow no-musik "$tmp/warned" > /dev/null 2>&1; [ $? -eq 2 ] || fail "--allow of no kind"
set -e
# A failure under --strict says why after the summary: a kind not allowed,
# or a warning the checker proves, which no --allow passes.
"$tool" check --strict "$tmp/warned" > "$tmp/out" || true
tail -n 1 "$tmp/out" | grep -q '^check: fails under --strict: warnings of kinds not allowed: no-music$' ||
  fail "strict verdict: $(cat "$tmp/out")"
cp -r "$castle" "$tmp/misspelled"
{ "$tool" unscramble "$castle/map1.ini"; printf 'Obj0Wieght=2\r\n'; } > "$tmp/misspelled/map1.ini"
"$tool" check --strict --allow keys "$tmp/misspelled" > "$tmp/out" && fail "--allow keys passed a misspelled key"
tail -n 1 "$tmp/out" | grep -q '^check: fails under --strict: 1 warning proves ' ||
  fail "proven verdict: $(cat "$tmp/out")"
"$tool" check --strict --allow no-music "$tmp/warned" > "$tmp/out"
tail -n 1 "$tmp/out" | grep -q '^check: 0 errors, 1 warning$' || fail "a pass says no verdict: $(cat "$tmp/out")"
# A file with a byte-order mark is plain to the game whatever its first line.
cp -r "$castle" "$tmp/bomcomment"
{ printf '\357\273\277; a comment first\r\n'; iconv -f CP1251 -t UTF-8 "$castle/game.ini"; } \
  > "$tmp/bomcomment/game.ini"
"$tool" check "$tmp/bomcomment" > "$tmp/out" || fail "a BOM file led by a comment: $(cat "$tmp/out")"

# An error: its line names file and key, exit 1.
mkdir "$tmp/broken"
printf 'GameInitHealth=5\r\n' > "$tmp/broken/game.ini"
printf 'MapScrCount=1\r\nScr0no=0\r\nScr0North=3\r\nScr0OnEnter=sya\r\n' > "$tmp/broken/map1.ini"
set +e
"$tool" check "$tmp/broken" > "$tmp/out"
status=$?
set -e
[ "$status" -eq 1 ] || fail "broken project exit status $status"
grep -q '^error: .*broken/map1.ini:Scr0North: ' "$tmp/out" || fail "exit line: $(cat "$tmp/out")"
grep -q '^warning: .*broken/map1.ini:Scr0OnEnter: строка 1 «sya»: .*(может быть, «say»?)' "$tmp/out" || fail "script line: $(cat "$tmp/out")"

# Damaged and missing projects are reported, not crashed on.
"$tool" check "$here/damaged" > "$tmp/out" && fail "damaged project passed"
grep -q 'Scr0DescrCnt' "$tmp/out" || fail "damaged check: $(cat "$tmp/out")"
# A folder that is not a project is a wrong command line: status 2 and a hint.
set +e
"$tool" check "$tmp/none" > "$tmp/out" 2> "$tmp/err"; status=$?
[ "$status" -eq 2 ] || fail "missing folder exit status $status"
[ "$(cat "$tmp/err")" = "velmora-tool: $tmp/none: no such folder" ] || fail "missing folder: $(cat "$tmp/err")"
mkdir "$tmp/empty"
"$tool" check "$tmp/empty" > "$tmp/out" 2> "$tmp/err"; status=$?
set -e
[ "$status" -eq 2 ] || fail "not a project exit status $status"
grep -q 'no game.ini here; a project is a folder under Projects/ of a game' "$tmp/err" ||
  fail "not a project: $(cat "$tmp/err")"

# Hostile files end within seconds with the file named: a named pipe, a device,
# a count that claims more than the file holds.
for file in game.ini map1.ini map2.ini menu.txt gif/0.gif; do
  rm -rf "$tmp/hostile"; cp -r "$castle" "$tmp/hostile"
  rm -f "$tmp/hostile/$file"; mkfifo "$tmp/hostile/$file"
  set +e
  timeout 10 "$tool" check "$tmp/hostile" > "$tmp/out"; status=$?
  set -e
  [ "$status" -eq 1 ] || fail "pipe as $file: exit status $status"
  grep -q "^error: .*hostile/$file: это именованный канал" "$tmp/out" || fail "pipe as $file: $(cat "$tmp/out")"
  rm -f "$tmp/hostile/$file"; ln -s /dev/zero "$tmp/hostile/$file"
  set +e
  timeout 10 "$tool" check "$tmp/hostile" > "$tmp/out"; status=$?
  set -e
  [ "$status" -eq 1 ] || fail "/dev/zero as $file: exit status $status"
  grep -q "^error: .*hostile/$file: это устройство" "$tmp/out" || fail "/dev/zero as $file: $(cat "$tmp/out")"
done

# Usage, help and version; a wrong command line is one line naming the problem.
set +e
"$tool" check > /dev/null 2>&1; [ $? -eq 2 ] || fail "check without a folder"
"$tool" check --bogus "$castle" > /dev/null 2> "$tmp/err"; [ $? -eq 2 ] || fail "check with an unknown switch"
[ "$(cat "$tmp/err")" = "velmora-tool: unknown option --bogus; try 'velmora-tool --help'" ] ||
  fail "unknown switch: $(cat "$tmp/err")"
"$tool" frobnicate "$castle" > /dev/null 2>&1; [ $? -eq 2 ] || fail "an unknown command"
set -e
"$tool" --version > "$tmp/out" || fail "--version failed"
grep -qx 'velmora-tool [0-9][0-9.]*' "$tmp/out" || fail "--version: $(cat "$tmp/out")"
"$tool" --help | grep 'velmora-tool check \[--strict\]' > /dev/null || fail "help lacks check"
{ "$tool" 2>&1 || true; } | grep "velmora-tool check" > /dev/null || fail "usage lacks check"
# A walkthrough that stops short of the ending fails the check; one that ends
# the game passes and says so.
printf '# args: -nomenu\n1\n' > "$tmp/short.keys"
"$tool" check --walk "$tmp/short.keys" "$castle" > "$tmp/out" && fail "a short walk passed"
grep -q '^error: .*short.keys: прохождение не дошло до конца игры' "$tmp/out" || fail "short walk: $(cat "$tmp/out")"
"$tool" check --walk "$here/../scenario/win.keys" "$castle" > "$tmp/out" || fail "the castle's win: $(cat "$tmp/out")"
grep -q '^walk: .*win.keys: дошёл до конца игры' "$tmp/out" || fail "the castle's win: $(cat "$tmp/out")"

# The shipped walkthrough wins, and the refusal it hears on the way is told.
"$tool" check --walk "$here/../game/win.keys" "$here/../../game/Projects/Default" > "$tmp/out" ||
  fail "the shipped walkthrough: $(cat "$tmp/out")"
grep -q '^warning: .*win.keys:GameTooHavy: игрок услышал отказ игры: «Слишком тяжело' "$tmp/out" ||
  fail "the shipped walkthrough's refusal: $(cat "$tmp/out")"

# A refusal holding escape sequences is quoted as text: no control byte of
# the project reaches the terminal the report is read on.
cp -r "$castle" "$tmp/escapes"
LC_ALL=C sed -i 's/^GameIHaveNot0=.*$/GameIHaveNot0=Empty\x1b]0;pwned\x07\x1b[2J \\\\ \x1b[6n.\r/' "$tmp/escapes/game.ini"
printf '# args: -nomenu\n4\n' > "$tmp/inventory.keys"
"$tool" check --walk "$tmp/inventory.keys" "$tmp/escapes" > "$tmp/out" || true
grep -qF 'GameIHaveNot: игрок услышал отказ игры: «Empty\e]0;pwned\x07\e[2J \\ \e[6n.»' "$tmp/out" ||
  fail "the escaped refusal: $(cat -A "$tmp/out")"
[ "$(tr -d '\000-\010\013-\037\177' < "$tmp/out" | wc -c)" = "$(wc -c < "$tmp/out")" ] ||
  fail "a control byte in the report: $(cat -A "$tmp/out")"

# convert: the castle (a scrambled map, plain files) to UTF-8 and back is the
# castle again, byte for byte; the UTF-8 twin checks clean.
cp -r "$castle" "$tmp/twin"
mkdir -p "$tmp/twin/Saves"; printf 'Hero=\xc7\r\n' > "$tmp/twin/Saves/1-game.ini"
"$tool" convert --to utf8 "$tmp/twin" > "$tmp/out" || fail "convert to UTF-8: $(cat "$tmp/out")"
tail -n 1 "$tmp/out" | grep -q '^convert: [1-9][0-9]* files\? in UTF-8' || fail "convert summary: $(cat "$tmp/out")"
grep -q 'Старый замок' "$tmp/twin/map1.ini" || "$tool" unscramble "$tmp/twin/map1.ini" | grep -q 'Старый замок' ||
  fail "map1.ini not in UTF-8"
"$tool" check --strict "$tmp/twin" > "$tmp/out" || fail "the UTF-8 twin: $(cat "$tmp/out")"
"$tool" convert --to 1251 "$tmp/twin" > /dev/null || fail "convert back"
[ "$(printf 'Hero=\xc7\r\n')" = "$(cat "$tmp/twin/Saves/1-game.ini")" ] || fail "a save was converted"
rm -r "$tmp/twin/Saves"
diff -r "$castle" "$tmp/twin" || fail "converted back, not the castle"
# A file that cannot convert leaves every file as it was, exit 1, the line named.
cp -r "$castle" "$tmp/unfit"
"$tool" convert --to utf8 "$tmp/unfit" > /dev/null
printf 'Scr0Title=\xe2\x9c\x93\r\n' >> "$tmp/unfit/map2.ini"
cp -r "$tmp/unfit" "$tmp/unfit.before"
set +e
"$tool" convert --to 1251 "$tmp/unfit" > "$tmp/out" 2> "$tmp/err"; status=$?
set -e
[ "$status" -eq 1 ] || fail "convert of a sign 1251 lacks: status $status"
grep -q 'map2.ini: строка [0-9]*: знак «✓» (U+2713) нельзя записать в кодировке 1251' "$tmp/err" ||
  fail "convert's refusal: $(cat "$tmp/err")"
diff -r "$tmp/unfit.before" "$tmp/unfit" || fail "a refused convert changed files"
cp -r "$castle" "$tmp/x98"
printf 'Text \x98\r\n' >> "$tmp/x98/menu.txt"
set +e
"$tool" convert --to utf8 "$tmp/x98" > /dev/null 2> "$tmp/err"; status=$?
"$tool" convert --to koi8 "$tmp/x98" 2> /dev/null; usage=$?
set -e
[ "$status" -eq 1 ] && grep -q 'menu.txt: строка 7: байт 0x98' "$tmp/err" || fail "0x98: $status $(cat "$tmp/err")"
[ "$usage" -eq 2 ] || fail "convert --to koi8: status $usage"
[ -z "$(ls "$tmp/x98" | grep tmp-)" ] || fail "temporary files left"

# A project in the program folder itself: the checker finds its sounds in its
# own Media, and the game plays it from --root without main.ini or Projects/.
mkdir "$tmp/flat"
cp "$castle"/game.ini "$castle"/map1.ini "$castle"/map2.ini "$castle"/menu.txt "$castle"/gmenu.txt "$tmp/flat/"
mkdir "$tmp/flat/Media"; : > "$tmp/flat/Media/gong.wav"
sed 's/^Scr0OnEnter=.*$//' "$castle/map2.ini" > "$tmp/flat/map2.ini"
printf 'Scr0OnEnter=snd gong.wav\r\n' >> "$tmp/flat/map2.ini"
"$tool" check "$tmp/flat" > "$tmp/out" || fail "flat project: $(cat "$tmp/out")"
grep -q 'gong.wav' "$tmp/out" && fail "flat project's Media: $(cat "$tmp/out")"
if [ -n "$velmora" ]; then
  printf '1\n' > "$tmp/go.keys"
  "$velmora" --root "$tmp/flat" --keys "$tmp/go.keys" -nomenu > "$tmp/out" 2>&1 ||
    fail "velmora --root on a project folder: $(cat "$tmp/out")"
  grep -q '^say: Можно идти' "$tmp/out" || fail "velmora --root played: $(cat "$tmp/out")"
  set +e
  "$velmora" --root "$tmp/empty" --keys "$tmp/go.keys" > "$tmp/out" 2>&1; status=$?
  set -e
  [ "$status" -eq 2 ] || fail "velmora --root on an empty folder: status $status"
fi

# --expect: the shipped adventure's losing walkthrough passes as death 2 (its
# fog), fails as a win or another death naming the ending that came.
game=$here/../../game/Projects/Default
if [ -n "$velmora" ]; then
  "$tool" check --walk "$here/../game/die.keys" --expect death 2 "$game" > "$tmp/out" ||
    fail "--expect death 2: $(cat "$tmp/out")"
  grep -q '^walk: .*die.keys: кончился, как ожидалось: смерть 2' "$tmp/out" || fail "death walk: $(cat "$tmp/out")"
  for expect in win "death 1"; do
    set +e
    "$tool" check --walk "$here/../game/die.keys" --expect $expect "$game" > "$tmp/out"; status=$?
    set -e
    [ "$status" -eq 1 ] || fail "--expect $expect on a death: status $status"
    grep -q '^error: .*die.keys: .*смерть 2 (строка Death номер 2)' "$tmp/out" ||
      fail "--expect $expect: $(cat "$tmp/out")"
  done
  # A project's own game-over text (death.txt), and a death line that does
  # not ask for the key itself (the game's prompt follows it): the ending is
  # still death 2, and a win expected names it.
  mkdir "$tmp/own"; cp -r "$game" "$tmp/own/death"
  own=$tmp/own/death
  printf 'Конец пути, путник.\r\n' > "$own/death.txt"
  "$tool" unscramble "$game/game.ini" > "$own/game.plain"
  cp "$own/game.plain" "$own/game.ini"
  for variant in "its own game over" "a death line with no key asked"; do
    if [ "$variant" = "a death line with no key asked" ]; then
      LC_ALL=C sed "s/^\(GameDeath1=.*\) $(printf 'Нажми любую клавишу.' | iconv -f utf-8 -t cp1251)/\1/" \
        "$own/game.plain" > "$own/game.ini"
      cmp -s "$own/game.ini" "$own/game.plain" && fail "$variant: the death line was not changed"
    fi
    "$tool" check --walk "$here/../game/die.keys" --expect death 2 "$own" > "$tmp/out" ||
      fail "$variant: --expect death 2: $(cat "$tmp/out")"
    grep -q '^walk: .*die.keys: кончился, как ожидалось: смерть 2' "$tmp/out" || fail "$variant: $(cat "$tmp/out")"
    set +e
    "$tool" check --walk "$here/../game/die.keys" --expect win "$own" > "$tmp/out"; status=$?
    set -e
    [ "$status" -eq 1 ] || fail "$variant: --expect win on a death: status $status"
    grep -q '^error: .*die.keys: прохождение не дошло до конца игры (до exit концовки): герой погиб, смерть 2 (строка Death номер 2)' "$tmp/out" ||
      fail "$variant: --expect win: $(cat "$tmp/out")"
  done
  set +e
  "$tool" check --walk "$here/../game/die.keys" --expect death x "$game" 2> /dev/null; status=$?
  set -e
  [ "$status" -eq 2 ] || fail "--expect death x: status $status"
fi
echo "velmora-tool: all checks passed"
