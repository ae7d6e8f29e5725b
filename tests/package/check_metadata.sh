#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The desktop entry and the AppStream metadata pass their validators; the
# metainfo names the desktop entry that ships and both programs; the committed
# icons are exactly what scripts/make-game-assets makes, each PNG of the size
# its folder says and the SVG well-formed.
#   check_metadata.sh SOURCE_DIR          (exit 77 when a validator is missing)
set -euo pipefail
src=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
for tool in appstreamcli desktop-file-validate; do
  command -v "$tool" > /dev/null || { echo "skipped: $tool is missing"; exit 77; }
done
metainfo=$src/packaging/velmora.metainfo.xml

appstreamcli validate --pedantic --no-net "$metainfo" > "$tmp/out" 2>&1 || fail "appstreamcli: $(cat "$tmp/out")"
desktop-file-validate "$src/packaging/velmora.desktop" > "$tmp/out" 2>&1 || fail "desktop-file-validate: $(cat "$tmp/out")"

xml=$(cat "$metainfo")
for want in '<launchable type="desktop-id">velmora.desktop</launchable>' '<binary>velmora</binary>' \
            '<binary>velmora-tool</binary>' '<project_license>GPL-3.0-or-later</project_license>' \
            '<content_rating type="oars-1.1"' 'xml:lang="ru"'; do
  grep -qF "$want" <<< "$xml" || fail "the metainfo lacks $want"
done

python3 "$src/scripts/make-game-assets" --manifest /dev/null --out "$tmp/none" --icons "$tmp/icons" > /dev/null \
  || fail "make-game-assets cannot make the icons"
diff -r "$tmp/icons" "$src/packaging/icons" > "$tmp/diff" 2>&1 \
  || fail "packaging/icons is not what make-game-assets --icons makes: $(head -5 "$tmp/diff")"
python3 - "$src/packaging/icons" <<'PY' || failures=$((failures + 1))
import os, struct, sys, xml.dom.minidom
root, bad = sys.argv[1], []
for size in (16, 22, 24, 32, 48, 64, 128, 256):
    path = os.path.join(root, "%dx%d" % (size, size), "apps", "velmora.png")
    with open(path, "rb") as f:
        head = f.read(26)
    w, h, depth, colour = struct.unpack(">IIBB", head[16:26])
    if head[:8] != b"\x89PNG\r\n\x1a\n" or (w, h, depth, colour) != (size, size, 8, 6):
        bad.append("%s is %dx%d depth %d colour type %d, not %dx%d RGBA" % (path, w, h, depth, colour, size, size))
svg = xml.dom.minidom.parse(os.path.join(root, "scalable", "apps", "velmora.svg")).documentElement
if svg.tagName != "svg" or svg.getAttribute("viewBox") != "0 0 64 64":
    bad.append("the scalable icon is not a 64-unit SVG")
for b in bad:
    print("FAIL: " + b)
sys.exit(1 if bad else 0)
PY
[ "$failures" -eq 0 ] || exit 1
echo "ok: desktop entry, metainfo and icons"
