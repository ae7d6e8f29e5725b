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

# The authors' guide: the format's manual page gzipped, the guide in Markdown
# and HTML under share/doc/velmora/guide, and the installed velmora-tool
# explains a kind with no guide beside it.
for f in share/man/man5/velmora-project.5.gz \
         share/doc/velmora/guide/tutorial.md share/doc/velmora/guide/reference.md \
         share/doc/velmora/guide/tutorial.html share/doc/velmora/guide/reference.html; do
  [ -s "$usr/$f" ] || fail "the install lacks $f"
done
gzip -dc "$usr/share/man/man5/velmora-project.5.gz" | grep -q '^\.TH VELMORA-PROJECT 5' \
  || fail "velmora-project.5.gz holds no manual page of section 5"
gzip -dc "$usr/share/man/man5/velmora-project.5.gz" | grep -q 'share/doc/velmora/guide' \
  || fail "the manual page does not point to the guide"
# The HTML holds the reference's tables and links to its other page as HTML.
grep -q '<table>' "$usr/share/doc/velmora/guide/reference.html" || fail "reference.html has no tables"
grep -q 'href="reference.html"' "$usr/share/doc/velmora/guide/tutorial.html" \
  || fail "tutorial.html does not link reference.html"
# The same text in both forms: a heading of the Markdown is a heading of the page.
grep -q '<h3>keys — ключевые строки</h3>' "$usr/share/doc/velmora/guide/reference.html" \
  || fail "reference.html lacks the section on keys"
# The installed tool carries the guide: moved away from the source, it still explains.
"$usr/games/velmora-tool" check --explain dead-end > "$tmp/explained" || fail "installed --explain failed"
grep -q '^### dead-end' "$tmp/explained" || fail "installed --explain printed: $(head -3 "$tmp/explained")"

export HOME="$tmp/home" XDG_DATA_HOME="$tmp/home/data"
printf '1\nwait 100\nCtrl+NumPlus\n' > "$tmp/keys"
"$usr/games/velmora" --keys "$tmp/keys" -nomenu > "$tmp/heard" 2> "$tmp/err" \
  || fail "the installed game failed: $(cat "$tmp/err")"
grep -q '^view: game' "$tmp/heard" || fail "the installed game shows no game view: $(head -3 "$tmp/heard")"
[ -f "$XDG_DATA_HOME/velmora/main.ini" ] || fail "the player's settings are not in the user's data folder"
[ ! -e "$usr/share/velmora/main.ini" ] || fail "the installed game folder was written"
echo "ok: installed in games/, plays from there, with the authors' guide"
