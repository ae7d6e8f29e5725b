#!/usr/bin/env bash
# The shipped adventure won in a real terminal under tmux as a console screen
# reader's user plays it (--speech none --sound none): the winning
# walkthrough's keys typed at GAP seconds a key, as a player who knows the
# way presses them. No key may be eaten by the game's pauses: what the
# terminal printed is, line for line, what the same keys give headless when
# every pause is let run out before the next key. Every wait for a key says
# so, and the game is won.
#   check_tty_walkthrough.sh VELMORA SHIPPED_GAME KEYS [GAP]
# Exit status 77 (skipped) when tmux is missing.
set -euo pipefail
velmora=$(realpath "$1")
shipped=$2
keys=$3
gap=${4:-0.8}
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
export LC_ALL=C.UTF-8 HOME="$tmp/home" XDG_DATA_HOME="$tmp/data"
mkdir -p "$HOME" "$XDG_DATA_HOME"
session=walk

fail() {
  echo "FAIL: $1"
  echo "---- the end of the screen ----"
  tm capture-pane -p -S -40 -t "$session" 2> /dev/null || true
  exit 1
}

# Waits up to SECONDS for a line of the transcript matching the pattern.
wait_for_said() {
  local pattern=$1 seconds=${2:-30}
  for _ in $(seq $((seconds * 10))); do
    if grep -qE -- "$pattern" "$tmp/tty.tr" 2> /dev/null; then return 0; fi
    sleep 0.1
  done
  fail "never said: $pattern"
}

cp -R "$shipped" "$tmp/root"
tm new-session -d -s "$session" -x 200 -y 50 "env PS1='$ ' sh"
# The command is typed once the shell's prompt is there.
for _ in $(seq 200); do
  tm capture-pane -p -t "$session" | grep -qx '\$ *' && break
  sleep 0.1
done
tm send-keys -t "$session" "$velmora --frontend tty --root $tmp/root --speech none --sound none -nomenu --transcript $tmp/tty.tr; echo EXIT=\$?" Enter
wait_for_said '^say: Сторожка маяка'

# The key script's steps as a player types them: a key, then the gap; the
# script's own waits are the player listening to an interlude.
while IFS= read -r step; do
  case "$step" in
    '' | '#'*) continue ;;
    'type '*) tm send-keys -t "$session" -l "${step#type }" ;;
    'wait '*) sleep "$(awk -v ms="${step#wait }" 'BEGIN { print ms / 1000 }')"; continue ;;
    *) tm send-keys -t "$session" "$step" ;;
  esac
  sleep "$gap"
done < "$keys"
wait_for_said '^say: Победа!' 60
wait_for_said '^say: Главное меню: ' 30
tm send-keys -t "$session" C-c
for _ in $(seq 100); do
  tm capture-pane -p -t "$session" | grep -q '^EXIT=0$' && break
  sleep 0.1
done
tm capture-pane -p -t "$session" | grep -q '^EXIT=0$' || fail "the game did not end as its exit does"

# The same keys headless, each pause run out before the next key.
rm -rf "$tmp/root2"
cp -R "$shipped" "$tmp/root2"
XDG_DATA_HOME="$tmp/data2" "$velmora" --root "$tmp/root2" --keys "$keys" -nomenu --speech none \
  --transcript "$tmp/headless.tr" > /dev/null || fail "the headless game failed"
grep '^say: ' "$tmp/tty.tr" > "$tmp/tty.said"
grep '^say: ' "$tmp/headless.tr" > "$tmp/headless.said"
if ! diff -u "$tmp/headless.said" "$tmp/tty.said" > "$tmp/diff"; then
  head -40 "$tmp/diff"
  fail "the terminal's game parted from the headless one (a key eaten or out of its place)"
fi
# Every wait for a key asked for it: the bell's text asks itself.
grep -q '^say: Ты налегаешь на верёвку.*Нажми любую клавишу\.$' "$tmp/tty.said" ||
  fail "the bell's wait for a key is silent"
echo "PASS: won in the terminal at $gap s a key, $(grep -vc '^#' "$keys") steps, no key eaten"
