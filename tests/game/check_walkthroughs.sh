#!/usr/bin/env bash
# Plays the shipped adventure headless through its walkthroughs, on a copy of
# the game folder, and checks the lines a player must hear and see: the
# winning one crosses to the island, plays the interlude and the ending and
# comes back to the main menu; the dying one drowns and reaches the game over;
# the tired one rests until the hero dies, warned on the way.
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

# The first line holding TEXT ends with the prompt for a key: a wait for a key
# (a death, the bell) is never silent.
prompted() {
  local line
  line=$(grep -F -m1 -- "$1" "$tmp/$name.tr" || true)
  case "$line" in
    *" Нажми любую клавишу.") ;;
    *) fail "no prompt for the key after: $1" ;;
  esac
}

# Every arrival reads well: the description does not begin with the screen's
# title again («Экран: Берег Берег Вельмы», «Экран: Кузница Кузница»).
no_doubled_titles() {
  local doubled
  if [ -z "$(line_of "say: Экран: ")" ]; then fail "no arrival heard"; fi
  doubled=$(LC_ALL=C.UTF-8 grep -iE '^say: Экран: ([^ .,:]+)[^ .,:][.,:]? \1' "$tmp/$name.tr" || true)
  if [ -n "$doubled" ]; then fail "the title again after it: $doubled"; fi
}

# Every spoken line is good Russian for the ear and for braille: no number
# glued to a word («Осмотреть3»), every count agreeing with its number
# («1 предмет», «3 предмета», «5 предметов»), no English word, no line that
# ends in a comma.
reads_well() {
  local bad
  bad=$(python3 - "$tmp/$name.tr" <<'PY'
import re, sys
forms = {"предмет": ("предмет", "предмета", "предметов"),
         "направлени": ("направление", "направления", "направлений"),
         "действи": ("действие", "действия", "действий"),
         "отгруз": ("отгрузка", "отгрузки", "отгрузок"),
         "пункт": ("пункт", "пункта", "пунктов")}
def form(n, three):
    if 11 <= n % 100 <= 14: return three[2]
    return three[0] if n % 10 == 1 else three[1] if 2 <= n % 10 <= 4 else three[2]
for line in open(sys.argv[1], encoding="utf-8"):
    if not line.startswith("say: "): continue
    text = line[5:].rstrip("\n").replace("\\n", " ")  # the transcript's line breaks
    why = None
    if re.search(r"[^\W\d_]\d", text): why = "a number glued to a word"
    elif re.search(r"[A-Za-z]", text): why = "an English word"
    elif text.rstrip().endswith(","): why = "a comma at the end"
    for n, word in re.findall(r"(\d+) ([а-яё]+)", text):
        for stem, three in forms.items():
            if word.startswith(stem) and word != form(int(n), three):
                why = "«%s %s» does not agree" % (n, word)
    if why: print("%s: %s" % (why, text))
PY
)
  if [ -n "$bad" ]; then fail "spoken badly: $bad"; fi
}

play() {
  name=$1
  rm -rf "$tmp/root"
  cp -R "$game" "$tmp/root"
  if ! "$velmora" --root "$tmp/root" --keys "$here/$name.keys" -nomenu \
      --transcript "$tmp/$name.tr" > "$tmp/$name.out" 2> "$tmp/$name.err"; then
    fail "velmora failed"; cat "$tmp/$name.err" >&2; return
  fi
  if [ -s "$tmp/$name.err" ]; then fail "complaints on stderr:"; cat "$tmp/$name.err" >&2; fi
  reads_well
}

play win
if [ -f "$tmp/win.tr" ]; then
  no_doubled_titles
  at=$(expect "say: Сторожка маяка. Ты один")
  at=$(expect "say: Ты откидываешь тяжёлую крышку. На дне сундука лежит огниво." "$at")
  # The weight is told by ear: the hammer is heavy, and the oar taken with it
  # is refused with the reason.
  at=$(expect "say: Тяжёлый кузнечный молот: с ним в руках много не унесёшь." "$at")
  at=$(expect "say: Слишком тяжело: тяжёлый кузнечный молот и так оттягивает руки." "$at")
  at=$(expect "say: Крепкое весло, застрявшее в камышах. То самое, дедово: длинное и увесистое, вместе с тяжёлой ношей его не унести." "$at")
  # The lantern's fire lights the lamp; before the oil it says what is
  # missing, after the lighting the flint finds it burning.
  at=$(expect "say: Чаша светильника пуста, гореть нечему. Нужно масло." "$at")
  at=$(expect "say: Ты выливаешь масло в чашу светильника" "$at")
  at=$(expect "say: Ты открываешь дверцу фонаря и подносишь огонёк к чаше. Масло вспыхивает с гулом" "$at")
  at=$(expect "say: Светильник уже пылает." "$at")
  at=$(expect "say: В луче маяка туман редеет" "$at")
  # The pier once the beam lies on the water: no fog too thick to see through.
  at=$(expect "say: Луч маяка режет туман: по воде до самого острова легла светлая дорога." "$at")
  absent "say: Туман так густ"
  at=$(expect "say: Ты бьёшь молотом по замку." "$at")
  at=$(expect "say: Ты вставляешь весло в уключину и отталкиваешься от причала. С собой у тебя только зажжённый фонарь" "$at")
  at=$(expect "say: Лодка идёт к острову Безмолвного колокола." "$at")
  # The island's pictures only, from its first moment: the shore's picture of
  # the same number never shows.
  if sed -n "$at,\$p" "$tmp/win.tr" | grep -qE '^picture: Image1 .*/gif/[0-9]+\.gif$'; then
    fail "a picture of the shore on the island"
  fi
  at=$(expect "view: page" "$at")
  at=$(expect "say: Экран: Пристань. " "$at")
  at=$(expect "say: Дед Матвей открывает глаза." "$at")
  at=$(expect "say: Едва язык колокола оказывается у тебя в руках" "$at")
  at=$(expect "say: Ты поднимаешь фонарь высоко над головой." "$at")
  # The chapel after its fresco crumbled does not tell of it any more.
  chapel=$(grep -n "^say: Экран: Часовня" "$tmp/win.tr" | tail -n 1 | cut -d: -f1)
  if sed -n "$chapel,$((chapel + 2))p" "$tmp/win.tr" | grep -q "фреска"; then fail "the crumbled fresco told of"; fi
  at=$(expect "say: Ты замираешь, затаив дыхание." "$at")
  at=$(expect "say: Экран: Колокольня. " "$at")
  at=$(expect "say: Экран: Рассвет. " "$at")
  at=$(expect "say: Звон плывёт над Вельмой" "$at")
  prompted "say: Ты налегаешь на верёвку."
  at=$(expect "say: Победа! Колокол снова звонит над Вельмой" "$at")
  at=$(expect "view: picture" "$at")
  expect "say: Главное меню: Новая игра" "$at" > /dev/null
  absent "Твоя игра окончена"
  absent "Силы оставили тебя"
fi

play die
if [ -f "$tmp/die.tr" ]; then
  no_doubled_titles
  at=$(expect "say: Ты бьёшь молотом по замку.")
  at=$(expect "say: Ты отталкиваешься от причала и гребёшь в туман" "$at")
  at=$(expect "say: Туман смыкается над лодкой." "$at")
  prompted "say: Туман смыкается над лодкой."
  at=$(expect "view: page" "$at")
  at=$(expect "picture: Image2 gif/gameover.gif" "$at")
  at=$(expect "say: Твоя игра окончена, хранитель!" "$at")
  at=$(expect "view: picture" "$at")
  expect "say: Главное меню: Новая игра" "$at" > /dev/null
  absent "Победа"
  absent "Экран: Пристань"
fi

play tired
if [ -f "$tmp/tired.tr" ]; then
  # Each rest after the first costs strength, and the warnings grow, the
  # sharpest one before the death.
  at=$(expect "say: Ты садишься у остывшего очага")
  at=$(expect "say: Сколько можно сидеть?" "$at")
  at=$(expect "say: Ты всё сидишь, и холод пробирает до костей." "$at")
  at=$(expect "say: В глазах темнеет, руки не слушаются." "$at")
  at=$(expect "say: Силы оставили тебя." "$at")
  prompted "say: Силы оставили тебя."
  at=$(expect "say: Твоя игра окончена" "$at")
  expect "say: Главное меню: Новая игра" "$at" > /dev/null
fi

if [ -e "$tmp/failed" ]; then exit 1; fi
echo PASS
