#!/usr/bin/env bash
# The guide as a packager installs it: the manual page of the format gzipped,
# the guide in Markdown and HTML under share/doc/velmora/guide, and the
# installed velmora-tool explains a kind with no guide beside it.
#   check_installed_guide.sh BUILD_DIR
set -euo pipefail
build=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

DESTDIR="$tmp/root" cmake --install "$build" --prefix /usr > "$tmp/log" 2>&1 || fail "install: $(cat "$tmp/log")"
usr=$tmp/root/usr
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
echo "ok: the guide and its manual page install"
