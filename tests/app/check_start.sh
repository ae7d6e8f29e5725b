#!/usr/bin/env bash
# How the program starts: the front end it picks, its help, bad arguments, and
# an output that cannot start, reported once while the next one is tried.
#   check_start.sh VELMORA CASTLE
set -euo pipefail
velmora=$1
castle=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cp -R "$castle" "$tmp/root"
export HOME="$tmp" XDG_DATA_HOME="$tmp/data"
fail() { echo "FAIL: $*"; exit 1; }

# SDL's start of X11 (and of its audio) leaves libdbus's allocations behind, which the leak
# checker of a sanitizer build would take for ours.
export LSAN_OPTIONS="${LSAN_OPTIONS:+$LSAN_OPTIONS:}suppressions=$(cd "$(dirname "$0")" && pwd)/lsan.supp:print_suppressions=0"
# No window, no terminal (a new session has no controlling terminal): it says so.
unset DISPLAY WAYLAND_DISPLAY
status=0
# Nobody reads stderr there (a desktop menu's launch): the voice says it as well.
SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$tmp/last-word.raw" \
  setsid -w "$velmora" --root "$tmp/root" --speech espeak < /dev/null > "$tmp/out" 2>&1 || status=$?
[ "$status" = 2 ] || fail "without a terminal the status is $status, not 2"
grep -q '^velmora: no window and no terminal to play in: no display (DISPLAY unset, WAYLAND_DISPLAY unset)$' "$tmp/out" ||
  fail "without a terminal: $(cat "$tmp/out")"
spoken=$(python3 "$(dirname "$0")/audio_measure.py" "$tmp/last-word.raw" 44100 2 f32)
python3 -c "import sys; sys.exit(0 if float(sys.argv[1]) > 1.0 else 1)" "$spoken" ||
  fail "without a terminal the voice said nothing: $spoken s"

# A display that does not open (no server there, a Wayland socket that is not
# there): SDL would fall back to its offscreen driver, a window nobody sees
# and no keys. Without a terminal the game says so and ends with status 2; the
# timeout only guards against the old endless silence.
display=99
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
for broken in "DISPLAY=:$display" "WAYLAND_DISPLAY=bogus-0"; do
  status=0
  env -u SDL_VIDEODRIVER "$broken" timeout 30 setsid -w "$velmora" --root "$tmp/root" --speech none \
    < /dev/null > "$tmp/out" 2>&1 || status=$?
  [ "$status" = 2 ] || fail "$broken without a terminal: status $status: $(cat "$tmp/out")"
  grep -q '^velmora: no window and no terminal to play in: no display' "$tmp/out" ||
    fail "$broken without a terminal: $(cat "$tmp/out")"
  status=0
  env -u SDL_VIDEODRIVER "$broken" timeout 30 "$velmora" --frontend window --root "$tmp/root" \
    < /dev/null > "$tmp/out" 2>&1 || status=$?
  [ "$status" = 2 ] && [ "$(grep -c . "$tmp/out")" = 1 ] && grep -q '^velmora: --frontend window: no display' "$tmp/out" ||
    fail "$broken --frontend window: status $status: $(cat "$tmp/out")"
done
# With a terminal the game plays in it, and says why there is no window.
if command -v tmux > /dev/null; then
  tm() { tmux -S "$tmp/tmux.socket" -f /dev/null "$@"; }
  tm new-session -d -s start -x 200 -y 50 \
    "env -u SDL_VIDEODRIVER DISPLAY=:$display '$velmora' --root '$tmp/root' -nomenu --speech none --sound none; sleep 60"
  played=no
  for _ in $(seq 200); do
    if tm capture-pane -p -t start | grep -q 'Ты стоишь у ворот'; then played=yes; break; fi
    sleep 0.1
  done
  pane=$(tm capture-pane -p -t start)
  tm kill-server
  [ "$played" = yes ] || fail "a broken display in a terminal: $pane"
  grep -q "velmora: no display opens (DISPLAY=:$display.*playing in the terminal" <<< "$pane" ||
    fail "the terminal was not told why: $pane"
fi

# The help names the choices and the terminal's own keys; -h is --help.
"$velmora" --help > "$tmp/help"
for word in '--speech auto|speechd|espeak|print|none' '--sound auto|sdl|players|none' \
            '--transcript' 'F9' 'Caps Lock' '--voice NAME' '--list-voices' '-h, --help'; do
  grep -qF -- "$word" "$tmp/help" || fail "--help does not mention $word"
done
"$velmora" -h | cmp -s - "$tmp/help" || fail "-h is not --help"

# Bad arguments are refused with status 2 and one line naming the option.
while IFS='|' read -r args said; do
  status=0
  # shellcheck disable=SC2086
  "$velmora" $args > "$tmp/out" 2>&1 || status=$?
  [ "$status" = 2 ] || fail "'$args' gave status $status"
  [ "$(cat "$tmp/out")" = "velmora: $said; try 'velmora --help'" ] || fail "'$args' said: $(cat "$tmp/out")"
done <<'ARGS'
--x|unknown option --x
--speech loud|unknown speech output 'loud'
--sound loud|unknown sound output 'loud'
--frontend paper|unknown front end 'paper'
--keys|--keys needs a file
--voice|--voice needs a name (see --list-voices)
ARGS
"$velmora" --version | grep -qx 'velmora [0-9][0-9.]*' || fail "--version"

# The voices on offer: engine and name, one a line, status 0.
"$velmora" --list-voices > "$tmp/voices" || fail "--list-voices failed"
if grep -v -E $'^(espeak-ng|speech-dispatcher)\t[^\t]+(\t.*)?$' "$tmp/voices"; then
  fail "--list-voices lines: $(cat "$tmp/voices")"
fi
# --voice is used and remembered in main.ini (code page 1251), and '' forgets it.
mkdir -p "$tmp/voice"
cp -R "$castle" "$tmp/voice/root"
printf 'wait 200\n' > "$tmp/keys"
"$velmora" --root "$tmp/voice/root" --voice 'Ирина' --keys "$tmp/keys" -nomenu > /dev/null ||
  fail "--voice did not play"
grep -q $'^Voice=\xc8\xf0\xe8\xed\xe0\r$' "$tmp/voice/root/main.ini" || fail "--voice kept: $(cat -v "$tmp/voice/root/main.ini")"
"$velmora" --root "$tmp/voice/root" --voice '' --keys "$tmp/keys" -nomenu > /dev/null
grep -q $'^Voice=\r$' "$tmp/voice/root/main.ini" || fail "--voice '' did not forget: $(cat -v "$tmp/voice/root/main.ini")"
status=0
"$velmora" --root "$tmp/voice/root" --voice '声' --keys "$tmp/keys" > "$tmp/out" 2>&1 || status=$?
[ "$status" = 2 ] && grep -q 'code page 1251' "$tmp/out" || fail "a voice main.ini cannot keep: $status $(cat "$tmp/out")"

# SDL_mixer cannot open a device that does not exist: said once, and the
# game goes on with the next driver; a key script still plays to its end.
printf 'wait 200\n' > "$tmp/keys"
SDL_AUDIODRIVER=nosuchdevice "$velmora" --frontend tty --root "$tmp/root" --keys "$tmp/keys" \
  -nomenu --speech none --sound sdl > "$tmp/out" 2> "$tmp/err" || fail "velmora failed: $(cat "$tmp/err")"
[ "$(grep -c 'SDL_mixer cannot start' "$tmp/err")" = 1 ] || fail "the failed driver: $(cat "$tmp/err")"
grep -q 'Ты стоишь у ворот' "$tmp/out" || fail "the game did not go on: $(cat "$tmp/out")"

# With a key script and no front end named, the game plays headless.
"$velmora" --root "$tmp/root" --keys "$tmp/keys" -nomenu > "$tmp/out"
grep -q '^say: Ты стоишь у ворот' "$tmp/out" || fail "a key script did not play headless"
# No game where it is looked for: said, with the folders tried, status 2.
mkdir -p "$tmp/nogame"
status=0
"$velmora" --root "$tmp/nogame" --keys "$tmp/keys" > "$tmp/out" 2>&1 || status=$?
[ "$status" = 2 ] || fail "a root without a game gave status $status"
grep -q "no game found" "$tmp/out" && grep -qF "$tmp/nogame" "$tmp/out" || fail "no game: $(cat "$tmp/out")"

# --project: a folder an author is writing (any name), or a name under the
# player's own Projects (offered first) or the game's; an unknown one is
# refused with the folders looked in.
mkdir -p "$tmp/author" "$tmp/data/velmora/Projects"
cp -R "$castle/Projects/Default" "$tmp/author/Моя игра"
cp -R "$castle/Projects/Default" "$tmp/data/velmora/Projects/Mine"
"$velmora" --root "$tmp/root" --list-projects > "$tmp/out"
[ "$(cut -f1 "$tmp/out" | tr '\n' ' ')" = "Mine Default " ] || fail "offered projects: $(cat "$tmp/out")"
"$velmora" --root "$tmp/root" --project "$tmp/author/Моя игра" --keys "$tmp/keys" -nomenu > "$tmp/out"
grep -qF "picture: Image1 $tmp/author/Моя игра/gif/0.gif" "$tmp/out" || fail "--project DIR: $(cat "$tmp/out")"
"$velmora" --root "$tmp/root" --project Mine --keys "$tmp/keys" -nomenu > "$tmp/out"
grep -qF "picture: Image1 $tmp/data/velmora/Projects/Mine/gif/0.gif" "$tmp/out" || fail "--project NAME: $(cat "$tmp/out")"
# Its saved games are kept apart from the game's own project's slots.
printf '0\n2\n1\nwait 100\n' > "$tmp/save-keys"
"$velmora" --root "$tmp/root" --project Mine --keys "$tmp/save-keys" -nomenu > "$tmp/out"
[ -f "$tmp/root/ProjectSaves/Mine/Saves/1-game.ini" ] || fail "--project's save: $(find "$tmp/root" -name '1-*')"
[ ! -e "$tmp/root/Saves/1-game.ini" ] || fail "--project saved over the game's own slot 1"
"$velmora" --root "$tmp/root" --project "$tmp/author/Моя игра/" --keys "$tmp/save-keys" -nomenu > "$tmp/out"
[ -f "$tmp/root/ProjectSaves/Моя игра/Saves/1-game.ini" ] || fail "a folder given with its slash: $(find "$tmp/root" -name '1-*')"
status=0
"$velmora" --root "$tmp/root" --project Nope --keys "$tmp/keys" > "$tmp/out" 2>&1 || status=$?
[ "$status" = 2 ] && grep -qF "$tmp/data/velmora/Projects/Nope" "$tmp/out" || fail "--project Nope: $status $(cat "$tmp/out")"

# Installed: bin/velmora finds ../share/velmora, and the player's files go to
# the user's data folder, never into the installed folder, even when it is
# writable (as for root).
mkdir -p "$tmp/prefix/bin" "$tmp/prefix/share"
cp "$velmora" "$tmp/prefix/bin/velmora"
cp -R "$castle" "$tmp/prefix/share/velmora"
(cd "$tmp/prefix/share/velmora" && find . | sort) > "$tmp/before"
printf 'Ctrl+NumPlus\nwait 100\n' > "$tmp/keys2"
XDG_DATA_HOME="$tmp/installed-data" "$tmp/prefix/bin/velmora" --keys "$tmp/keys2" -nomenu > "$tmp/out" \
  || fail "the installed program failed: $(cat "$tmp/out")"
grep -q '^say: Ты стоишь у ворот' "$tmp/out" || fail "the installed program did not play: $(cat "$tmp/out")"
(cd "$tmp/prefix/share/velmora" && find . | sort) > "$tmp/after"
cmp -s "$tmp/before" "$tmp/after" || fail "the installed folder changed: $(diff "$tmp/before" "$tmp/after")"
[ -f "$tmp/installed-data/velmora/main.ini" ] || fail "the speed was not kept in the user's data folder"
# Named with --root, however spelled (itself, through a link, with ".."), and
# with the program in games/ as the package puts it: still never written.
mkdir -p "$tmp/prefix/games"
cp "$velmora" "$tmp/prefix/games/velmora"
ln -s "$tmp/prefix/share/velmora" "$tmp/share-link"
printf '0\n2\n1\nCtrl+NumPlus\nwait 100\n' > "$tmp/keys3"
n=0
for program in bin games; do
  for given in "$tmp/prefix/share/velmora" "$tmp/share-link" "$tmp/prefix/$program/../share/velmora/"; do
    n=$((n + 1))
    XDG_DATA_HOME="$tmp/given-data$n" "$tmp/prefix/$program/velmora" --root "$given" --keys "$tmp/keys3" \
      -nomenu > "$tmp/out" || fail "--root $given failed: $(cat "$tmp/out")"
    (cd "$tmp/prefix/share/velmora" && find . | sort) > "$tmp/after"
    cmp -s "$tmp/before" "$tmp/after" || fail "--root $given changed it: $(diff "$tmp/before" "$tmp/after")"
    [ -f "$tmp/given-data$n/velmora/main.ini" ] && [ -f "$tmp/given-data$n/velmora/Saves/1-game.ini" ] ||
      fail "--root $given: the player's files are not in the data folder: $(find "$tmp/given-data$n")"
  done
done
# Whatever the machine's sound, the terminal gets the game's own words about
# it, not alsa-lib's (on a machine with no card it printed eight English lines).
printf 'wait 100\n' > "$tmp/keys4"
env -u SDL_AUDIODRIVER "$velmora" --frontend tty --root "$tmp/root" --keys "$tmp/keys4" -nomenu \
  --speech none --sound sdl > "$tmp/out" 2> "$tmp/err" || fail "a short play failed: $(cat "$tmp/err")"
if grep -q '^ALSA lib' "$tmp/err"; then fail "alsa-lib's own lines: $(cat "$tmp/err")"; fi
echo PASS
