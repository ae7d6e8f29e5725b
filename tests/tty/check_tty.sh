#!/usr/bin/env bash
# Plays the game in a real terminal under tmux: what is spoken appears as
# lines on the screen, keys reach the game, the game's own exit ends it, and
# the terminal is back in its usual mode afterwards, also after SIGTERM. Once
# with tmux's own terminal type and once with TERM=linux, as on the console.
# Then the shipped game with --speech print: each text on the screen once, and
# no English line (a cue or a rate) for the screen reader to read out. Last,
# with --speech none, no key is lost: not after Escape ends the introduction,
# not in the instructions however fast the arrows come. Then the terminal
# stays the player's: a project's escape sequences are printed as text,
# Ctrl+Z and fg stop and resume the game, and a terminal that is not UTF-8
# gets its own character set or a word of what the game needs, and one
# whose keys cannot be looked up is told which keys may be lost.
#   check_tty.sh VELMORA GAME_ROOT SHIPPED_GAME
# Exit status 77 (skipped) when tmux is missing.
set -euo pipefail
velmora=$(realpath "$1")
game=$2
shipped=$3
if ! command -v tmux > /dev/null; then
  echo "tmux is not installed: skipped"
  exit 77
fi
tmp=$(mktemp -d)
socket="$tmp/tmux.socket"
tm() { tmux -S "$socket" -f /dev/null "$@"; }
cleanup() {
  tm kill-server 2> /dev/null || true
  rm -rf "$tmp"
}
trap cleanup EXIT
export LC_ALL=C.UTF-8

screen_of() { tm capture-pane -p -S -500 -t "$1"; }

fail() {
  echo "FAIL: $1"
  echo "---- the screen of $2 ----"
  screen_of "$2" || true
  exit 1
}

# Waits until a line of the screen is the text (an extended regular
# expression), up to 20 seconds.
wait_for() {
  local session=$1 line=$2
  for _ in $(seq 200); do
    if screen_of "$session" | grep -qxE -- "$line"; then return 0; fi
    sleep 0.1
  done
  fail "no line '$line' on the screen" "$session"
}

# Waits until the command succeeds, up to 20 seconds; fails with what was
# on the screen.
wait_until() {
  local session=$1 what=$2
  shift 2
  for _ in $(seq 200); do
    if "$@"; then return 0; fi
    sleep 0.1
  done
  fail "$what" "$session"
}

# A shell in a new session; the game (GAME_ROOT unless named) runs in it as
# the player would start it.
start_shell() {
  local session=$1 from=${2:-$game}
  rm -rf "$tmp/root"
  cp -R "$from" "$tmp/root"
  tm new-session -d -s "$session" -x 200 -y 50 "env PS1='$ ' sh"
  wait_for "$session" '\$'
}

start_game() {
  local session=$1 term=$2
  local command="$velmora --frontend tty --root $tmp/root --speech none --sound none; echo EXIT=\$?"
  if [ -n "$term" ]; then command="TERM=$term $command"; fi
  tm send-keys -t "$session" "$command" Enter
}

# The mode of the pane's terminal, once the game is over.
check_restored() {
  local session=$1
  tm send-keys -t "$session" "stty -a | tr ' ;' '\n\n' | grep -x -e icanon -e echo | sort | tr '\n' ' '; echo MODE" Enter
  wait_for "$session" "echo icanon MODE"
}

play() {
  local session=$1 term=$2
  start_shell "$session"
  start_game "$session" "$term"
  # The introduction's first page waits for a key: the console's reader may still read it.
  wait_for "$session" "Давным-давно жил хранитель."
  tm send-keys -t "$session" Escape
  wait_for "$session" "Главное меню: Новая игра, Загрузить игру, Инструкция, Вступление, Об авторах, Выход, Настройки"
  tm send-keys -t "$session" Down
  wait_for "$session" "Загрузить игру"
  tm send-keys -t "$session" Down Down
  wait_for "$session" "Вступление"
  tm send-keys -t "$session" Down Down
  wait_for "$session" "Выход"
  # The last entry, "Выход", chosen with Enter: the game leaves by its own exit.
  tm send-keys -t "$session" Enter
  wait_for "$session" "EXIT=0"
  check_restored "$session"
  tm kill-session -t "$session"

  # SIGTERM ends a game in the middle as its own exit does, and the terminal
  # is restored all the same.
  start_shell "$session"
  start_game "$session" "$term"
  wait_for "$session" "Давным-давно жил хранитель."
  local shell_pid game_pid
  shell_pid=$(tm display-message -p -t "$session" '#{pane_pid}')
  game_pid=$(pgrep -P "$shell_pid" | head -n 1)
  [ -n "$game_pid" ] || fail "the game's process is not found" "$session"
  kill -TERM "$game_pid"
  wait_for "$session" "EXIT=0"
  check_restored "$session"
  tm kill-session -t "$session"
  echo "ok: TERM=${term:-tmux default}"
}

# How many lines of the screen are exactly the text.
count_lines() { screen_of "$1" | grep -cxF -- "$2" || true; }
# Whether COUNT lines of the screen are exactly the text.
lines_are() { [ "$(count_lines "$1" "$2")" = "$3" ]; }
# Whether COUNT lines of the screen begin with the text.
lines_begin() { [ "$(screen_of "$1" | grep -c -- "^$2")" = "$3" ]; }

printed() {
  local session=print
  local intro="Над озером Вельмой стоит старый маяк. Много лет его зажигал дед Матвей, а ты, внук, был ему помощником."
  local house="Сторожка маяка. Ты один: дед Матвей не вернулся с острова, а с озера ползёт серый морок. На столе белеет дедова записка, в углу стоит сундук, на гвозде висит фонарь. Дверь на восток ведёт на берег."
  start_shell "$session" "$shipped"
  tm send-keys -t "$session" "$velmora --frontend tty --root $tmp/root --speech print --sound none; echo EXIT=\$?" Enter
  wait_for "$session" "$intro"
  tm send-keys -t "$session" Escape
  wait_for "$session" "Главное меню: Новая игра, Загрузить игру, Инструкция, Вступление, Об авторах, Выход, Настройки"
  # The speech rate: a cue, the rate set on the print output, and the rate
  # said in words.
  tm send-keys -t "$session" F5 F6
  wait_for "$session" "Скорость речи [0-9]+"
  tm send-keys -t "$session" Down
  wait_for "$session" "Загрузить игру"
  tm send-keys -t "$session" Up
  wait_for "$session" "Новая игра"
  tm send-keys -t "$session" Enter
  wait_for "$session" "$house"
  tm send-keys -t "$session" Down
  wait_for "$session" "Идти."
  tm send-keys -t "$session" Down
  wait_for "$session" "Отдыхать."
  tm send-keys -t "$session" C-c
  wait_for "$session" "EXIT=0"
  for text in "$intro" "$house" "Загрузить игру" "Идти." "Отдыхать."; do
    [ "$(count_lines "$session" "$text")" = 1 ] || fail "not once on the screen: $text" "$session"
  done
  [ "$(screen_of "$session" | grep -c 'Главное меню')" = 1 ] || fail "the main menu is printed twice" "$session"
  if screen_of "$session" | grep -qE '\[(cue|rate)'; then fail "a cue or a rate printed" "$session"; fi
  # The game's own lines are Russian: the screen reader reads no English word.
  if screen_of "$session" | grep -vF -e "$velmora" -e "EXIT=" | grep -qE '[A-Za-z]'; then
    fail "English on the screen" "$session"
  fi
  tm kill-session -t "$session"

  # A key script in real time, its lines on standard output: each once too.
  printf 'Escape\nwait 300\nDown\nwait 300\n' > "$tmp/menu.keys"
  rm -rf "$tmp/root"
  cp -R "$shipped" "$tmp/root"
  "$velmora" --frontend tty --root "$tmp/root" --keys "$tmp/menu.keys" --speech print --sound none \
    > "$tmp/out" 2> "$tmp/err" || { cat "$tmp/err"; echo "FAIL: the key script did not play"; exit 1; }
  [ "$(grep -cxF -- "$intro" "$tmp/out")" = 1 ] && [ "$(grep -c 'Главное меню' "$tmp/out")" = 1 ] &&
    ! grep -qE '\[(cue|rate)' "$tmp/out" || { cat "$tmp/out"; echo "FAIL: the key script's lines"; exit 1; }
  echo "ok: --speech print"
}

# The last line of the screen that holds text.
last_line() { screen_of "$1" | grep -v '^$' | tail -n 1; }
# The lines holding text after the last line that is exactly the text.
lines_after() {
  screen_of "$1" | grep -v '^$' | awk -v line="$2" '$0 == line { n = 0; next } { after[++n] = $0 }
    END { for (i = 1; i <= n; i++) print after[i] }'
}
# Whether COUNT lines holding text follow the last line that is exactly the text.
lines_after_are() { [ "$(lines_after "$1" "$2" | wc -l)" = "$3" ]; }

# With no sound at all, what a cue or the beep marks is printed as a word:
# Escape at the top of the menu, the speech rate at its limit; the music key
# says that nothing can play, every time.
boundaries_printed() {
  local session=words
  start_shell "$session"
  tm send-keys -t "$session" "$velmora --frontend tty --root $tmp/root --speech none --sound none -nomenu; echo EXIT=\$?" Enter
  wait_for "$session" "Ты стоишь у ворот старого замка\."
  tm send-keys -t "$session" Escape
  wait_for "$session" "\(стоп\)"
  for rate in 70 80 90 100 110 120; do
    tm send-keys -t "$session" F6
    wait_for "$session" "Скорость речи $rate"
  done
  tm send-keys -t "$session" F6
  wait_for "$session" "Скорость речи 120, быстрее нельзя"
  tm send-keys -t "$session" F9
  wait_until "$session" "the music key's first answer" lines_are "$session" "Музыка не играет: звука нет" 1
  tm send-keys -t "$session" F9
  wait_until "$session" "the music key's answer" lines_are "$session" "Музыка не играет: звука нет" 2
  tm send-keys -t "$session" C-c
  wait_for "$session" "EXIT=0"
  tm kill-session -t "$session"
  echo "ok: boundaries printed as words"
}

no_key_lost() {
  local session=keys
  start_shell "$session" "$shipped"
  tm send-keys -t "$session" "$velmora --frontend tty --root $tmp/root --speech none --sound none; echo EXIT=\$?" Enter
  wait_for "$session" "Над озером Вельмой стоит старый маяк.*"
  tm send-keys -t "$session" Escape
  wait_for "$session" "Главное меню: .*"
  # Five Downs at once after the menu: the page's pause must not eat one.
  for _ in 1 2 3 4 5; do tm send-keys -t "$session" Down; sleep 0.3; done
  wait_for "$session" "Выход"
  # Instructions: Down, Down, Up as fast as they come land on the second line.
  tm send-keys -t "$session" Home
  wait_for "$session" "Новая игра"
  tm send-keys -t "$session" 3
  wait_for "$session" "Вельмора. Инструкция игрока."
  tm send-keys -t "$session" Down Down Up
  # Three lines after the title, the last the same as the first.
  wait_until "$session" "no three lines after the instructions' title" \
    lines_after_are "$session" "Вельмора. Инструкция игрока." 3
  local after
  after=$(lines_after "$session" "Вельмора. Инструкция игрока.")
  [ "$(sed -n 3p <<< "$after")" = "$(sed -n 1p <<< "$after")" ] ||
    fail "Up did not come back to the line before" "$session"
  # (A key within the escape timeout after Escape would make one Alt+key.)
  tm send-keys -t "$session" Escape
  wait_until "$session" "Escape did not leave the instructions" lines_begin "$session" "Главное меню" 2
  # The chooser is left with Escape.
  tm send-keys -t "$session" 2
  wait_for "$session" "Выберите отгрузку: .*"
  tm send-keys -t "$session" Escape
  wait_until "$session" "Escape did not leave the chooser" lines_begin "$session" "Главное меню" 3
  tm send-keys -t "$session" 1
  wait_for "$session" "Сторожка маяка. Ты один.*"
  # A text heard again is printed again, marked for the braille reader.
  tm send-keys -t "$session" F11
  wait_for "$session" "\(повтор\) Главное меню: .*"
  tm send-keys -t "$session" F4
  wait_for "$session" "Экран: Сторожка\. .*Можно идти: .*"
  tm send-keys -t "$session" C-c
  wait_for "$session" "EXIT=0"
  tm kill-session -t "$session"
  echo "ok: no key lost"
}

# A screen title holding escape sequences that would rename the pane, clear
# it, switch to the alternate screen and make the terminal type a reply.
escapes_printed() {
  local session=escapes title
  start_shell "$session"
  cp "$game/../overlays/terminal-escapes/Projects/Default/map1.ini" "$tmp/root/Projects/Default/map1.ini"
  title=$(tm display-message -p -t "$session" '#{pane_title}')
  tm send-keys -t "$session" "$velmora --frontend tty --root $tmp/root --speech print --sound none -nomenu; echo EXIT=\$?" Enter
  wait_for "$session" "Ты стоишь у ворот старого замка\."
  tm send-keys -t "$session" 1
  wait_for "$session" "Идти, 2 направления"
  tm send-keys -t "$session" 1
  wait_for "$session" 'Экран: Двор ]0;title  \[2J \[\?1049h \[6n\. Пустой двор\.'
  # A reply the terminal typed would reach the game before a key sent now,
  # and whatever it printed would come before that key's answer.
  tm send-keys -t "$session" F2
  wait_for "$session" "Здоровье - 10, нагрузка - 0, опыт - 0"
  [ "$(tm display-message -p -t "$session" '#{pane_title}')" = "$title" ] || fail "the pane's title changed" "$session"
  [ "$(tm display-message -p -t "$session" '#{alternate_on}')" = 0 ] || fail "the alternate screen is on" "$session"
  [ "$(count_lines "$session" "Ты стоишь у ворот старого замка.")" = 1 ] || fail "the screen was cleared" "$session"
  # Nothing came between the title and the key's answer: no cursor report
  # typed into the game.
  screen_of "$session" | grep -v '^$' | tail -n 2 | head -n 1 | grep -q '^Экран: Двор' ||
    fail "something answered the title" "$session"
  tm send-keys -t "$session" C-c
  wait_for "$session" "EXIT=0"
  # The window with --speech print writes each text to standard output: the pane.
  printf '1\n1\nwait 300\n' > "$tmp/yard.keys"
  # Leak checking is off for the window alone: the offscreen driver's graphics
  # libraries and fontconfig keep what they allocate, as in the window's tests.
  tm send-keys -t "$session" "ASAN_OPTIONS=\${ASAN_OPTIONS:-}:detect_leaks=0 SDL_VIDEODRIVER=offscreen $velmora --frontend window --root $tmp/root --keys $tmp/yard.keys --speech print --sound none -nomenu; echo DONE=\$?" Enter
  wait_for "$session" "DONE=0"
  screen_of "$session" | grep -qxE 'Экран: Двор\?]0;title\?\?\[2J\?\[\?1049h\?\[6n\. Пустой двор\.' ||
    fail "the window's printed title" "$session"
  [ "$(tm display-message -p -t "$session" '#{pane_title}')" = "$title" ] || fail "the pane's title changed" "$session"
  [ "$(tm display-message -p -t "$session" '#{alternate_on}')" = 0 ] || fail "the alternate screen is on" "$session"
  if screen_of "$session" | grep -qE '[0-9]+;[0-9]+R'; then fail "the terminal typed a reply" "$session"; fi
  tm kill-session -t "$session"
  echo "ok: escape sequences printed as text"
}

# Whether the terminal (a device) is out of line mode.
raw_again() { stty -F "$1" -a | tr ' ;' '\n\n' | grep -qx -- -icanon; }

# Ctrl+Z gives the shell its terminal in line mode; after fg an arrow acts at
# once (raw mode again: no ^[OB waiting for Enter).
stop_and_resume() {
  local session=stop
  start_shell "$session"
  tm send-keys -t "$session" "$velmora --frontend tty --root $tmp/root --speech none --sound none" Enter
  wait_for "$session" "Давным-давно жил хранитель."
  tm send-keys -t "$session" Escape
  wait_for "$session" "Главное меню: .*"
  tm send-keys -t "$session" C-z
  wait_for "$session" ".*Stopped.*"
  check_restored "$session"
  tm send-keys -t "$session" "fg" Enter
  wait_for "$session" "$velmora --frontend tty .*"
  # The arrow is sent once the game has its terminal in raw mode again.
  wait_until "$session" "the terminal is not raw again after fg" raw_again "$(tm display-message -p -t "$session" '#{pane_tty}')"
  tm send-keys -t "$session" Down
  wait_for "$session" "Загрузить игру"
  if screen_of "$session" | grep -qF '^[O'; then fail "an arrow was echoed" "$session"; fi
  tm send-keys -t "$session" C-c
  # No EXIT line after fg: the game is over when the shell has the pane again.
  for _ in $(seq 200); do
    [ "$(tm display-message -p -t "$session" '#{pane_current_command}')" != velmora ] && break
    sleep 0.1
  done
  # Line mode again, after the game's end too.
  check_restored "$session"
  for _ in $(seq 200); do
    [ "$(count_lines "$session" "echo icanon MODE")" = 2 ] && break
    sleep 0.1
  done
  [ "$(count_lines "$session" "echo icanon MODE")" = 2 ] || fail "not in line mode after the game" "$session"
  tm kill-session -t "$session"
  echo "ok: Ctrl+Z and fg"
}

# LANG=C: a word on standard error, once, and the lines still in UTF-8. A
# KOI8-R terminal (when its locale can be made here) gets KOI8-R.
not_utf8() {
  local session=ascii
  start_shell "$session"
  tm send-keys -t "$session" "env -u LC_ALL -u LC_CTYPE LANG=C $velmora --frontend tty --root $tmp/root --speech none --sound none; echo EXIT=\$?" Enter
  wait_for "$session" "velmora: the terminal's character set ANSI_X3.4-1968 has no Russian letters.*"
  wait_for "$session" "Давным-давно жил хранитель."
  tm send-keys -t "$session" C-c
  wait_for "$session" "EXIT=0"
  [ "$(screen_of "$session" | grep -c 'needs a UTF-8 terminal')" = 1 ] || fail "not said once" "$session"
  tm kill-session -t "$session"
  echo "ok: LANG=C"

  mkdir -p "$tmp/loc"
  if ! command -v localedef > /dev/null || ! command -v script > /dev/null ||
     ! localedef -i ru_RU -f KOI8-R "$tmp/loc/ru_RU.KOI8-R" > /dev/null 2>&1; then
    echo "no KOI8-R locale can be made here: that part skipped"
    return
  fi
  session=koi8
  start_shell "$session"
  # script(1) keeps the bytes the game wrote, which the pane would show as UTF-8.
  tm send-keys -t "$session" "LOCPATH=$tmp/loc LC_ALL=ru_RU.KOI8-R script -qfc '$velmora --frontend tty --root $tmp/root --speech none --sound none' $tmp/koi8.out; echo EXIT=\$?" Enter
  for _ in $(seq 200); do
    if iconv -f KOI8-R -t UTF-8 "$tmp/koi8.out" 2> /dev/null | grep -q "Давным-давно жил хранитель."; then break; fi
    sleep 0.1
  done
  tm send-keys -t "$session" C-c
  wait_for "$session" "EXIT=0"
  iconv -f KOI8-R -t UTF-8 "$tmp/koi8.out" | grep -q "Давным-давно жил хранитель." ||
    fail "no KOI8-R line" "$session"
  if grep -q "needs a UTF-8 terminal" "$tmp/koi8.out"; then fail "KOI8-R was refused" "$session"; fi
  tm kill-session -t "$session"
  echo "ok: KOI8-R"
}

# A terminal whose keys the game cannot look up (TERM dumb, unknown or
# unset) still plays, and the player is told which keys may be lost.
unknown_terms() {
  local session=terms
  for how in "TERM=dumb" "TERM=no-such-terminal" "-u TERM"; do
    start_shell "$session"
    tm send-keys -t "$session" "env $how $velmora --frontend tty --root $tmp/root --speech none --sound none; echo EXIT=\$?" Enter
    case $how in
      TERM=dumb) why='TERM=dumb names no keys' ;;
      TERM=no-such-terminal) why='no terminfo entry for TERM=no-such-terminal' ;;
      *) why='TERM is not set' ;;
    esac
    wait_for "$session" "velmora: $why: keys are read as xterm and the linux console send them; .*"
    wait_for "$session" "Давным-давно жил хранитель."
    tm send-keys -t "$session" Escape
    wait_for "$session" "Главное меню: Новая игра, Загрузить игру, Инструкция, Вступление, Об авторах, Выход, Настройки"
    tm send-keys -t "$session" C-c
    wait_for "$session" "EXIT=0"
    tm kill-session -t "$session"
    echo "ok: env $how"
  done
}

play default ""
play console linux
printed
no_key_lost
boundaries_printed
escapes_printed
stop_and_resume
not_utf8
unknown_terms
