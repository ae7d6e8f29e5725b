#!/usr/bin/env bash
# velmora-tool new, pack and web as an author uses them.
#   author_tools.sh TOOL
set -euo pipefail
tool=$1
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/../.." && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
cd "$tmp"

# new: the starter, its walkthrough printed and written, then checked and won.
"$tool" new "$tmp/Клад" > new.out || fail "new: $(cat new.out)"
grep -q '^type сунд$' new.out || fail "new printed no walkthrough: $(cat new.out)"
cmp <(sed -n '/^# args: -nomenu$/,$p' new.out) Клад/walkthrough.keys || fail "printed and written walkthroughs differ"
"$tool" check --strict Клад > check.out || fail "starter fails --strict: $(cat check.out)"
[ "$(cat check.out)" = "check: 0 errors, 0 warnings" ] || fail "starter findings: $(cat check.out)"
"$tool" check --strict --walk Клад/walkthrough.keys Клад > walk.out || fail "walkthrough: $(cat walk.out)"
grep -q 'дошёл до конца игры' walk.out || fail "walkthrough did not win: $(cat walk.out)"

# Its key-line and menu files as the shipped adventure keeps them: code page
# 1251 (not UTF-8), CR LF on every line, the comments in Russian.
for f in game.ini map1.ini menu.txt gmenu.txt; do
    iconv -f utf-8 -t utf-8 "Клад/$f" > /dev/null 2>&1 && fail "$f is UTF-8"
    iconv -f cp1251 -t utf-8 "Клад/$f" > "$f.utf8" || fail "$f is not 1251"
    [ "$(grep -c $'\r$' "$f.utf8")" = "$(wc -l < "$f.utf8")" ] || fail "$f: a line without CR LF"
done
for key in GameInitHealth GameIntros MapFirstMessage Scr0North Obj0Takable Cmd0cObj1 'Cmd0list->Text'; do
    file=game.ini.utf8
    case $key in Game*) ;; *) file=map1.ini.utf8 ;; esac
    grep -q "^; $key" "$file" || grep -q "^; .*$key" "$file" || fail "no comment on $key"
done
# A comment is a line that begins with «;»; any other line without «=» is
# still a line the game skips, and said.
cp -r Клад commented
printf '  ; отступ перед пояснением\r\nпросто строка\r\n' | iconv -f utf-8 -t cp1251 >> commented/game.ini
lines=$(wc -l < commented/game.ini)
"$tool" check commented > out || fail "check of a commented copy: $(cat out)"
grep -q "game.ini: строка $lines без знака «=»" out || fail "a stray line was not said: $(cat out)"
for f in gif/0.gif gif/1.gif gif/intro.gif gif/win.gif; do
    [ "$(head -c 6 "Клад/$f")" = GIF89a ] || fail "$f is no GIF"
done
for f in menu.mid map1.mid intro.mid win.mid; do
    [ "$(head -c 4 "Клад/$f")" = MThd ] || fail "$f is no MIDI file"
done

# new refuses a folder with something in it, and a file, and leaves both.
mkdir taken; echo mine > taken/notes.txt; echo file > plain
mkdir empty
while read -r target want; do
    set +e; "$tool" new "$target" > out 2> err; status=$?; set -e
    [ "$status" -eq "$want" ] || fail "new $target: status $status, want $want: $(cat err)"
done <<'CASES'
taken 2
plain 2
empty 0
CASES
[ "$(ls taken)" = notes.txt ] && [ "$(cat taken/notes.txt)" = mine ] || fail "new touched a taken folder"
grep -q 'not empty' <("$tool" new taken 2>&1) || fail "new's refusal says why"

# pack: two packs (and a pack after a touch) are the same bytes; one top
# folder; every file of the project in it, the same bytes; dot files and
# links are left out.
mkdir Клад/.git; echo x > Клад/.git/HEAD; ln -s /etc/passwd Клад/link.txt
"$tool" pack Клад > pack.out 2> pack.err || fail "pack: $(cat pack.err)"
[ -f Клад.zip ] || fail "pack wrote no Клад.zip"
grep -q 'link.txt: a link, not packed' pack.err || fail "pack said nothing of the link: $(cat pack.err)"
touch Клад/game.ini
"$tool" pack Клад again.zip > /dev/null 2>&1
cmp Клад.zip again.zip || fail "two packs differ"
python3 - Клад.zip Клад <<'PY' || fail "the zip's content"
import os, sys, zipfile
z = zipfile.ZipFile(sys.argv[1])
assert z.testzip() is None
names = z.namelist()
assert names == sorted(names), names
assert all(n.startswith('Клад/') for n in names), names
want = sorted(os.path.relpath(os.path.join(d, f), '.') for d, ds, fs in os.walk(sys.argv[2])
              for f in fs if '.git' not in d and not os.path.islink(os.path.join(d, f)))
assert names == want, (names, want)
for n in names:
    assert z.read(n) == open(n, 'rb').read(), n
    assert z.getinfo(n).date_time == (1980, 1, 1, 0, 0, 0)
PY
rm Клад/link.txt
# The zip unpacked is the project again: it passes and wins as the folder does.
mkdir unpacked && (cd unpacked && python3 -c "import zipfile; zipfile.ZipFile('../Клад.zip').extractall()")
"$tool" check --strict --walk unpacked/Клад/walkthrough.keys unpacked/Клад > /dev/null || fail "unpacked zip"

# A project with an error is not packed: the checker's line, status 1, no zip.
cp -r Клад broken
printf 'MapScrCount=1\r\nScr0no=0\r\nScr0North=3\r\n' > broken/map1.ini
set +e; "$tool" pack broken > out 2> err; status=$?; set -e
[ "$status" -eq 1 ] || fail "pack of a broken project: status $status"
grep -q '^error: .*map1.ini:Scr0North' err || fail "pack gave no checker line: $(cat err)"
[ ! -e broken.zip ] || fail "a broken project was packed"
# And a folder that is no project is a wrong command line.
mkdir nothing
set +e; "$tool" pack nothing > /dev/null 2>&1; status=$?; set -e
[ "$status" -eq 2 ] || fail "pack of no project: status $status"

# web with a page of its own: the game's zip beside index.html, named in it;
# the page's shipped music and service worker not copied.
mkdir -p page/js page/music
for f in velmora.js velmora.wasm velmora.data js/page.js; do echo "$f" > "page/$f"; done
echo 'shipped' > page/music/lighthouse.mp3
# The page's worker as a build leaves it: the shipped site's list of files.
sed 's|^const kSite = .*;$|const kSite = {"version":"0123456789abcdef","files":{"music/lighthouse.mp3":"sha256-x"}};|' \
    "$repo/web/sw.js" > page/sw.js
printf '<!DOCTYPE html>\n<html lang="ru">\n<head></head></html>\n' > page/index.html
"$tool" web --page page Клад site > web.out 2> web.err || fail "web: $(cat web.err)"
cmp site/Клад.zip Клад.zip 2>/dev/null && fail "the zip keeps a name the page refuses"
zip=$(sed -n 's/.*data-game="\([^"]*\)".*/\1/p' site/index.html)
[ -n "$zip" ] && [ -f "site/$zip" ] || fail "index.html names no zip of the site: $(cat site/index.html)"
[[ $zip =~ ^[A-Za-z0-9_-]+\.zip$ ]] || fail "the zip's name $zip is not one the page takes"
# Its worker keeps this site's files, as the build's own script lists them.
grep -q lighthouse site/sw.js && fail "the worker keeps the shipped site's files"
grep -q "\"$zip\":\"sha256-" site/sw.js || fail "the worker does not keep the game's zip"
if command -v node > /dev/null; then
    cp -r site site.node
    node "$repo/scripts/web-offline" site.node > /dev/null
    cmp site/sw.js site.node/sw.js || fail "the worker's list differs from scripts/web-offline's"
fi
[ ! -e site/music/lighthouse.mp3 ] || fail "the shipped music was copied"
cmp site/velmora.wasm page/velmora.wasm || fail "the page's program was not copied"
if command -v fluidsynth > /dev/null && command -v lame > /dev/null && ls /usr/share/sounds/sf2/*.sf2 > /dev/null 2>&1; then
    for t in menu map1 intro win; do
        [ "$(stat -c %s "site/music/$t.mp3")" -gt 2000 ] || fail "$t.mp3 not rendered"
    done
    grep -q 'data-music="rendered"' site/index.html || fail "rendered music not named in index.html"
fi
# Without the renderers the site still plays, its MIDI by the page's synthesizer.
PATH=/nonexistent "$tool" web --page page Клад site2 > /dev/null 2> err || fail "web without lame: $(cat err)"
grep -q 'fluidsynth, lame' err || fail "web said nothing of the missing renderers: $(cat err)"
grep -q 'data-music' site2/index.html && fail "music named that was not rendered"
# Written again over its own site; refused over a folder of something else,
# inside the project, and from a folder that is no page.
"$tool" web --page page Клад site > /dev/null 2>&1 || fail "web over its own site"
while read -r page out want; do
    set +e; "$tool" web --page "$page" Клад "$out" > /dev/null 2> err; status=$?; set -e
    [ "$status" -eq "$want" ] || fail "web --page $page $out: status $status, want $want: $(cat err)"
done <<'CASES'
page taken 2
page Клад/site 2
nothing fresh 2
CASES
[ ! -e fresh ] || fail "web wrote a site without a page"
echo "author tools: ok"
