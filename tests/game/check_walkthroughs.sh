#!/usr/bin/env bash
# Plays the shipped adventure headless through its two walkthroughs, on a copy
# of the game folder, and checks the lines a player must hear and see: the
# winning one crosses to the island, plays the interlude and the ending and
# comes back to the main menu; the dying one drowns and reaches the game over.
#   check_walkthroughs.sh VELMORA GAME_DIR
set -euo pipefail
velmora=$1
game=$2
here=$(cd "$(dirname "$0")" && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
export HOME="$tmp/home" XDG_DATA_HOME="$tmp/data"
mkdir -p "$HOME" "$XDG_DATA_HOME"
# Checks run in command substitutions too: a failure is a file, not a variable.
fail() { echo "FAIL ($name): $*" >&2; touch "$tmp/failed"; }

# The number of the first transcript line holding TEXT (0 when none).
line_of() { grep -n -F -m1 -- "$1" "$tmp/$name.tr" | cut -d: -f1 || true; }

# TEXT must be in the transcript, after the line numbered AFTER (0: anywhere).
expect() {
  local at
  at=$(line_of "$1")
  if [ -z "$at" ]; then fail "never heard or seen: $1"; echo 0; return; fi
  if [ "$at" -le "${2:-0}" ]; then fail "out of order: $1"; fi
  echo "$at"
}

absent() { if [ -n "$(line_of "$1")" ]; then fail "should not happen: $1"; fi; }

play() {
  name=$1
  rm -rf "$tmp/root"
  cp -R "$game" "$tmp/root"
  if ! "$velmora" --root "$tmp/root" --keys "$here/$name.keys" -nomenu \
      --transcript "$tmp/$name.tr" > "$tmp/$name.out" 2> "$tmp/$name.err"; then
    fail "velmora failed"; cat "$tmp/$name.err" >&2; return
  fi
  if [ -s "$tmp/$name.err" ]; then fail "complaints on stderr:"; cat "$tmp/$name.err" >&2; fi
}

play win
if [ -f "$tmp/win.tr" ]; then
  at=$(expect "say: Сторожка маяка. Ты один")
  at=$(expect "say: Ты откидываешь тяжёлую крышку. На дне сундука лежит огниво." "$at")
  at=$(expect "say: Масло вспыхивает с гулом" "$at")
  at=$(expect "say: Ты бьёшь молотом по замку." "$at")
  at=$(expect "say: Лодка идёт к острову Безмолвного колокола." "$at")
  at=$(expect "view: page" "$at")
  at=$(expect "say: Экран: Пристань " "$at")
  at=$(expect "say: Дед Матвей открывает глаза." "$at")
  at=$(expect "say: Едва язык колокола оказывается у тебя в руках" "$at")
  at=$(expect "say: Ты поднимаешь фонарь высоко над головой." "$at")
  at=$(expect "say: Ты замираешь, затаив дыхание." "$at")
  at=$(expect "say: Экран: Колокольня " "$at")
  at=$(expect "say: Экран: Рассвет " "$at")
  at=$(expect "say: Звон плывёт над Вельмой" "$at")
  at=$(expect "say: Победа! Колокол снова звонит над Вельмой" "$at")
  at=$(expect "view: picture" "$at")
  expect "say: Главное меню: Новая игра" "$at" > /dev/null
  absent "Твоя игра окончена"
  absent "Силы оставили тебя"
fi

play die
if [ -f "$tmp/die.tr" ]; then
  at=$(expect "say: Ты бьёшь молотом по замку.")
  at=$(expect "say: Ты отталкиваешься от причала и гребёшь в туман" "$at")
  at=$(expect "say: Туман смыкается над лодкой." "$at")
  at=$(expect "view: page" "$at")
  at=$(expect "picture: Image2 gif/gameover.gif" "$at")
  at=$(expect "say: Твоя игра окончена, хранитель!" "$at")
  at=$(expect "view: picture" "$at")
  expect "say: Главное меню: Новая игра" "$at" > /dev/null
  absent "Победа"
  absent "Экран: Пристань"
fi

if [ -e "$tmp/failed" ]; then exit 1; fi
echo PASS
