#!/usr/bin/env bash
# A player with no home (HOME and XDG_DATA_HOME unset, a user database entry
# whose home does not exist) never gets their files written into a folder
# of the shared temporary folder that someone else made first: not the old
# /tmp/.local/share/velmora, whose Saves another user had linked to a folder
# of the player's, and not /tmp/velmora-UID when another user holds it.
#   check_no_home.sh VELMORA CASTLE
# Run as root: the player is an unprivileged user made for the test (and
# removed again). Exit status 77 (skipped) when that cannot be done.
set -euo pipefail
velmora=$(realpath "$1")
castle=$2
user=velmora-nohome
if [ "$(id -u)" != 0 ] || ! command -v useradd > /dev/null || ! command -v runuser > /dev/null; then
  echo "not root, or no useradd or runuser: skipped"
  exit 77
fi
made_user=no
if ! id "$user" > /dev/null 2>&1; then
  useradd --system --no-create-home --home-dir /nonexistent --shell /usr/sbin/nologin "$user"
  made_user=yes
fi
uid=$(id -u "$user")
tmp=$(mktemp -d)
chmod 755 "$tmp"
shared=/tmp  # the game is run with TMPDIR unset
planted_local=no
cleanup() {
  rm -rf "$tmp" "$shared/velmora-$uid" "$shared/velmora-$uid"-*
  if [ "$planted_local" = yes ]; then rm -rf /tmp/.local; fi
  if [ "$made_user" = yes ]; then userdel "$user" 2> /dev/null || true; fi
}
trap cleanup EXIT
fail() {
  echo "FAIL: $1"
  if [ -n "${2:-}" ] && [ -f "$2" ]; then echo "---- $2 ----"; cat "$2"; fi
  exit 1
}
if [ -e "$shared/velmora-$uid" ]; then
  echo "$shared/velmora-$uid is there already: skipped"
  exit 77
fi

# The game's folder is root's: the player cannot write there, so the game
# keeps their files in their data folder.
cp -R "$castle" "$tmp/root"
# A folder of the player's with a file the old start removed.
mkdir "$tmp/letters"
echo "Дорогой друг" > "$tmp/letters/letter.txt.new"
chown -R "$user" "$tmp/letters"
# Another user's trap where the old start looked, when it is free to set.
if [ ! -e /tmp/.local ]; then
  planted_local=yes
  mkdir -p /tmp/.local/share/velmora
  ln -s "$tmp/letters" /tmp/.local/share/velmora/Saves
fi
play() {  # play NAME: walks north (an autosave) and leaves by the game's exit
  printf '1\n1\n0\n4\n' | runuser -u "$user" -- env -u HOME -u XDG_DATA_HOME -u TMPDIR \
    "$velmora" --root "$tmp/root" --keys - -nomenu > "$tmp/$1" 2> "$tmp/$1.err" ||
    fail "$1: velmora failed" "$tmp/$1.err"
}
untouched() {
  [ "$(ls -A "$tmp/letters")" = letter.txt.new ] || fail "$1: the player's folder was written: $(ls -A "$tmp/letters")"
}

# No home: a folder only the player owns, said on standard error.
play private
untouched private
own="/tmp/velmora-$uid"
grep -qF "velmora: no home folder" "$tmp/private.err" || fail "no home: not said" "$tmp/private.err"
grep -qF "$own" "$tmp/private.err" || fail "no home: the folder is not named" "$tmp/private.err"
[ -d "$own" ] && [ ! -L "$own" ] || fail "no home: $own was not made"
[ "$(stat -c '%u %a' "$own")" = "$uid 700" ] || fail "no home: $own is $(stat -c '%U %a' "$own")"
[ -f "$own/velmora/Saves/autosave.sav" ] || fail "no home: the game was not kept in $own"
# The next start finds it there and offers it.
printf 'Enter\nF3\n' | runuser -u "$user" -- env -u HOME -u XDG_DATA_HOME -u TMPDIR \
  "$velmora" --root "$tmp/root" --keys - > "$tmp/again" 2>&1
grep -qF 'say: Продолжить прошлую игру? Энтэр — да, Эскейп — нет.' "$tmp/again" ||
  fail "no home: the kept game is not offered" "$tmp/again"

# Someone else took the name first (a link to the player's folder): it is
# not used; the game says so and keeps this run's files apart.
rm -rf "$own"
ln -s "$tmp/letters" "$own"
play planted
untouched planted
grep -qF "is not yours: saved games last only for this run" "$tmp/planted.err" ||
  fail "planted: not said" "$tmp/planted.err"
grep -qF 'say: Ты стоишь у ворот старого замка.' "$tmp/planted" || fail "planted: no game" "$tmp/planted"
echo "no home: all checks passed"
