#!/usr/bin/env bash
# Files that would hang the game or eat its memory, in the places a player's
# game folder holds them: each start ends within the timeout, under a memory
# limit far below what the old readers took, and says which file and why.
#   check_hostile_files.sh VELMORA TOOL CASTLE SANITIZED
# A sanitizer build (SANITIZED 1) reserves terabytes of address space, so
# the memory limit is left out there; the timeout stays.
set -euo pipefail
velmora=$1
tool=$2
castle=$3
sanitized=$4
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
export HOME="$tmp/home" XDG_DATA_HOME="$tmp/data" LC_ALL=C.UTF-8
fail() {
  echo "FAIL: $1"
  if [ -n "${2:-}" ] && [ -f "$2" ]; then echo "---- $2 ----"; head -c 4000 "$2"; fi
  exit 1
}
# limited COMMAND...: at most 60 s and 1 GiB of address space.
limited() {
  if [ "$sanitized" = 1 ]; then
    timeout 60 "$@"
  else
    (ulimit -v 1048576; exec timeout 60 "$@")
  fi
}
fresh() { rm -rf "$tmp/root"; cp -R "$castle" "$tmp/root"; }
# plant KIND FILE: a named pipe, a link to an endless device, or a sparse
# file of 2 GiB in place of FILE under the game folder.
plant() {
  local file="$tmp/root/$2"
  mkdir -p "$(dirname "$file")"
  rm -f "$file"
  case $1 in
    pipe) mkfifo "$file" ;;
    zero) ln -s /dev/zero "$file" ;;
    sparse) truncate -s 2G "$file" ;;
  esac
}
reason() {
  case $1 in
    pipe) echo 'это именованный канал, а не файл' ;;
    zero) echo 'это устройство, а не файл' ;;
    sparse) echo 'файл слишком велик (2048 МБ, можно не больше' ;;
  esac
}

# The game folder's own files: the settings, the colours, a save's journal
# and the autosave. The game starts, says why the file is not read, and plays.
for file in main.ini Settings/colors.ini Saves/1-pending Saves/autosave.sav; do
  for kind in pipe zero sparse; do
    fresh
    plant "$kind" "$file"
    args=-nomenu
    # The autosave is read where the game offers it: without -nomenu.
    [ "$file" = Saves/autosave.sav ] && args=
    status=0
    printf 'wait 300\nEscape\nwait 300\nEscape\n1\nF3\n' |
      limited "$velmora" --root "$tmp/root" --keys - $args > "$tmp/out" 2> "$tmp/err" || status=$?
    [ "$status" = 0 ] || fail "$kind as $file: status $status" "$tmp/err"
    grep -qF "Ошибка: $tmp/root/$file: $(reason "$kind")" "$tmp/out" || fail "$kind as $file: not said" "$tmp/out"
    grep -qF 'Ты стоишь у ворот старого замка.' "$tmp/out" || fail "$kind as $file: no game" "$tmp/out"
  done
done

# A screen script of blocks nested 640,000 deep (16.6 MB, under the cap of a
# project's text): the game enters the screen and the checker reads it
# within the memory limit; the checker names the line where the nest goes
# deeper than the game runs.
mkdir -p "$tmp/nest/Projects/Default"
python3 - "$tmp/nest/Projects/Default" <<'PY'
import sys
folder = sys.argv[1]
depth = 640000
def write(name, lines):
    with open(f"{folder}/{name}", "wb") as f:
        f.write("".join(line + "\r\n" for line in lines).encode("cp1251"))
write("game.ini", ["GameInitHealth=10"])
script = "if ostat камень 0\\n" * depth + "say глубоко\\n" + "endif\\n" * depth
# The hero starts at the top and walks north into the pit.
write("map1.ini", ["MapTitle=Гнездо", "MapScrCount=2", "Scr0no=0", "Scr0Title=Верх", "Scr0x=0",
                   "Scr0y=0", "Scr0North=1", "Scr1no=1", "Scr1Title=Яма", "Scr1x=0", "Scr1y=1", "Scr1DescrCnt=1",
                   "Scr1Descr0=Яма.", "Scr1OnEnter=" + script, "MapObjCount=1", "Obj0no=0",
                   "Obj0Title=камень", "Obj0ScrWhere=0", "Obj0Visible=1"])
PY
status=0
printf '1\n1\nF3\n' | limited "$velmora" --root "$tmp/nest" --keys - -nomenu > "$tmp/out" 2> "$tmp/err" || status=$?
[ "$status" = 0 ] || fail "the nested screen: status $status" "$tmp/err"
grep -qF 'say: Экран: Яма' "$tmp/out" || fail "the nested screen was not entered" "$tmp/out"
status=0
limited "$tool" check "$tmp/nest/Projects/Default" > "$tmp/out" 2> "$tmp/err" || status=$?
[ "$status" = 1 ] || fail "checking the nested screen: status $status" "$tmp/err"
grep -q '^error: .*map1.ini:Scr1OnEnter: строка 65 «if ostat камень 0»: блоки вложены глубже 64' "$tmp/out" ||
  fail "checking the nested screen: the line is not named" "$tmp/out"

# A picture of 43 bytes that claims 65535 × 65535 pixels, as the first
# screen's: refused before anything decodes it, and said, headless and in
# the window (offscreen).
fresh
python3 - "$tmp/root/Projects/Default/gif/0.gif" <<'PY'
import struct, sys
gif = (b"GIF89a" + struct.pack("<HHBBB", 65535, 65535, 0, 0, 0) +
       b"\x2c" + struct.pack("<HHHHB", 0, 0, 65535, 65535, 0) + b"\x02\x02\x4c\x01\x00\x3b")
open(sys.argv[1], "wb").write(gif)
PY
bomb="Ошибка: $tmp/root/Projects/Default/gif/0.gif: картинка слишком велика (65535 на 65535 точек;"
status=0
printf 'F3\n' | limited "$velmora" --root "$tmp/root" --keys - -nomenu > "$tmp/out" 2> "$tmp/err" || status=$?
[ "$status" = 0 ] || fail "the picture bomb headless: status $status" "$tmp/err"
grep -qF "say: $bomb" "$tmp/out" || fail "the picture bomb headless: not said" "$tmp/out"
if "$velmora" --help | grep -q -- '--frontend window'; then
  status=0
  printf 'wait 1000\nF3\nwait 300\n' > "$tmp/bomb.keys"
  ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0" SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy \
    limited "$velmora" --frontend window --root "$tmp/root" --keys "$tmp/bomb.keys" -nomenu \
    --speech print --sound none --transcript "$tmp/window" > /dev/null 2> "$tmp/err" || status=$?
  [ "$status" = 0 ] || fail "the picture bomb in the window: status $status" "$tmp/err"
  grep -qF "say: $bomb" "$tmp/window" || fail "the picture bomb in the window: not said" "$tmp/window"
fi

# Music and sounds the gate refuses: the checker gives the reason the game
# speaks, file by file (a song over its cap, a named pipe as the menu's
# music, a sound over its cap, a sound that links out of the project).
media="$tmp/media/Projects/Default"
mkdir -p "$media/Snd"
python3 - "$media" <<'PY'
import sys
folder = sys.argv[1]
def write(name, lines):
    with open(f"{folder}/{name}", "wb") as f:
        f.write("".join(line + "\r\n" for line in lines).encode("cp1251"))
write("game.ini", ["GameInitHealth=10"])
write("map1.ini", ["MapTitle=Звуки", "MapScrCount=2", "Scr0no=0", "Scr0Title=Верх", "Scr0North=1",
                   "Scr1no=1", "Scr1Title=Низ", "Scr1y=1", "Scr1OnEnter=snd x.wav\\nsnd y.wav"])
PY
mkfifo "$media/menu.mid"
truncate -s 17M "$media/Snd/x.wav"
ln -s /etc/passwd "$media/Snd/y.wav"
for song in 65M 4G; do
  rm -rf "$media/map1.mid" "$tmp/media/Saves"; truncate -s "$song" "$media/map1.mid"
  # The main menu plays menu.mid; the game map1.mid, and the walk north the sounds.
  : > "$tmp/out"
  for args in '' -nomenu; do
    status=0
    printf 'wait 300\n1\n1\nF3\n' |
      limited "$velmora" --root "$tmp/media" --keys - $args >> "$tmp/out" 2> "$tmp/err" || status=$?
    [ "$status" = 0 ] || fail "refused media: status $status" "$tmp/err"
  done
  sed -n 's/^say: Ошибка: \(.*\)$/\1/p' "$tmp/out" | sort > "$tmp/game"
  status=0
  limited "$tool" check "$media" > "$tmp/check" 2> "$tmp/err" || status=$?
  [ "$status" = 1 ] || fail "checking refused media: status $status" "$tmp/err"
  sed -n 's/^error: \(.*\): игра его не откроет$/\1/p' "$tmp/check" | sort > "$tmp/checker"
  for file in map1.mid menu.mid Snd/x.wav Snd/y.wav; do
    grep -F "$media/$file: " "$tmp/game" > "$tmp/said" || fail "$file ($song): the game said nothing" "$tmp/out"
    grep -F "$media/$file: " "$tmp/checker" > "$tmp/told" || fail "$file ($song): the checker told nothing" "$tmp/check"
    cmp -s "$tmp/said" "$tmp/told" || fail "$file ($song): the game said '$(cat "$tmp/said")', the checker '$(cat "$tmp/told")'"
  done
  ! grep -E 'нет такого файла|нет звукового файла' "$tmp/check" | grep -E 'map1.mid|menu.mid|x.wav|y.wav' ||
    fail "refused media ($song): the checker calls them missing" "$tmp/check"
done

# A project whose game.ini is a named pipe or a device: no project, and the
# player is told why, as the checker tells it.
for kind in pipe zero; do
  fresh
  cp -R "$tmp/root/Projects/Default" "$tmp/mine"
  rm -f "$tmp/mine/game.ini"
  case $kind in pipe) mkfifo "$tmp/mine/game.ini" ;; zero) ln -s /dev/zero "$tmp/mine/game.ini" ;; esac
  status=0
  limited "$velmora" --root "$tmp/root" --project "$tmp/mine" --keys - < /dev/null > "$tmp/out" 2> "$tmp/err" || status=$?
  [ "$status" = 2 ] || fail "$kind as game.ini: status $status" "$tmp/err"
  grep -qxF "  $tmp/mine ($tmp/mine/game.ini: $(reason "$kind"))" "$tmp/err" || fail "$kind as game.ini: not told" "$tmp/err"
  status=0
  limited "$tool" check "$tmp/mine" > "$tmp/check" 2>&1 || status=$?
  grep -qF "error: $tmp/mine/game.ini: $(reason "$kind")" "$tmp/check" || fail "$kind as game.ini: the checker" "$tmp/check"
  rm -rf "$tmp/mine"
done

echo "hostile files: all checks passed"
