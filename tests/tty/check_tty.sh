#!/usr/bin/env bash
# Plays the game in a real terminal under tmux: what is spoken appears as
# lines on the screen, keys reach the game, the game's own exit ends it, and
# the terminal is back in its usual mode afterwards, also after SIGTERM. Once
# with tmux's own terminal type and once with TERM=linux, as on the console.
#   check_tty.sh VELMORA GAME_ROOT
# Exit status 77 (skipped) when tmux is missing.
set -euo pipefail
velmora=$(realpath "$1")
game=$2
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

# A shell in a new session; the game runs in it as the player would start it.
start_shell() {
  local session=$1
  rm -rf "$tmp/root"
  cp -R "$game" "$tmp/root"
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
  wait_for "$session" "Главное меню: Новая игра, Загрузить игру, Инструкция, Вступление, Об авторах, Выход"
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

play default ""
play console linux
