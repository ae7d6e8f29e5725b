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

# No window, no terminal (a new session has no controlling terminal): it says so.
unset DISPLAY WAYLAND_DISPLAY
status=0
setsid -w "$velmora" --root "$tmp/root" < /dev/null > "$tmp/out" 2>&1 || status=$?
[ "$status" = 2 ] || fail "without a terminal the status is $status, not 2"
grep -q 'no window and no terminal' "$tmp/out" || fail "without a terminal: $(cat "$tmp/out")"

# The help names the choices and the terminal's own keys.
"$velmora" --help > "$tmp/help"
for word in '--speech auto|speechd|espeak|print|none' '--sound auto|sdl|players|none' \
            '--transcript' 'F9' 'Caps Lock'; do
  grep -qF -- "$word" "$tmp/help" || fail "--help does not mention $word"
done

# Bad arguments are refused with status 2.
for args in "--speech loud" "--sound loud" "--frontend paper" "--keys"; do
  status=0
  # shellcheck disable=SC2086
  "$velmora" $args > "$tmp/out" 2>&1 || status=$?
  [ "$status" = 2 ] || fail "'$args' gave status $status"
done

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
echo PASS
