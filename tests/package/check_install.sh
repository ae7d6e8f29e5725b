#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The build installed into a scratch DESTDIR as a packager does: the programs
# in games/, the manual pages and the changelog gzipped, the icons of every
# size, the metadata; the installed program finds the installed game from
# games/ and keeps the player's files out of it.
#   check_install.sh BUILD_DIR
set -euo pipefail
build=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

DESTDIR="$tmp/root" cmake --install "$build" --prefix /usr > "$tmp/log" 2>&1 || fail "install: $(cat "$tmp/log")"
usr=$tmp/root/usr
for f in games/velmora games/velmora-tool share/velmora/Projects/Default/game.ini \
         share/man/man6/velmora.6.gz share/man/man1/velmora-tool.1.gz share/doc/velmora/changelog.gz \
         share/doc/velmora/copyright share/metainfo/velmora.metainfo.xml share/applications/velmora.desktop \
         share/icons/hicolor/scalable/apps/velmora.svg share/lintian/overrides/velmora \
         share/icons/hicolor/{16x16,22x22,24x24,32x32,48x48,64x64,128x128,256x256}/apps/velmora.png; do
  [ -e "$usr/$f" ] || fail "the install lacks $f"
done
[ ! -e "$usr/bin" ] || fail "programs installed in bin/ beside games/: $(ls "$usr/bin")"
for gz in share/man/man6/velmora.6.gz share/man/man1/velmora-tool.1.gz share/doc/velmora/changelog.gz; do
  gzip -t "$usr/$gz" || fail "$gz is not gzip"
done
# The manual page as man reads it: its name line comes through.
gzip -dc "$usr/share/man/man6/velmora.6.gz" > "$tmp/page"
grep -q '^\.SH NAME' "$tmp/page" || fail "velmora.6.gz holds no manual page"

export HOME="$tmp/home" XDG_DATA_HOME="$tmp/home/data"
printf '1\nwait 100\nCtrl+NumPlus\n' > "$tmp/keys"
"$usr/games/velmora" --keys "$tmp/keys" -nomenu > "$tmp/heard" 2> "$tmp/err" \
  || fail "the installed game failed: $(cat "$tmp/err")"
grep -q '^view: game' "$tmp/heard" || fail "the installed game shows no game view: $(head -3 "$tmp/heard")"
[ -f "$XDG_DATA_HOME/velmora/main.ini" ] || fail "the player's settings are not in the user's data folder"
[ ! -e "$usr/share/velmora/main.ini" ] || fail "the installed game folder was written"
echo "ok: installed in games/, plays from there"
