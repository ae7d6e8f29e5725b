#!/usr/bin/env bash
# The shipped project is made from the adventure's sources: every file of
# adventure/Default is in game/Projects/Default as scripts/build-adventure
# makes it (maps scrambled, the rest as they are). Fails when a source was
# edited and the project not rebuilt, or the project edited by hand.
#   check_built.sh VELMORA-TOOL SOURCE_DIR PROJECT_DIR
set -euo pipefail
tool=$1
src=$2
dest=$3
status=0
for file in "$src"/*; do
  name=$(basename "$file")
  if [ ! -f "$dest/$name" ]; then
    echo "FAIL: $name is not in $dest"; status=1; continue
  fi
  case "$name" in
    map*.ini) same=$("$tool" unscramble "$dest/$name" | cmp -s - "$file" && echo yes || echo no) ;;
    *) same=$(cmp -s "$dest/$name" "$file" && echo yes || echo no) ;;
  esac
  if [ "$same" != yes ]; then
    echo "FAIL: $dest/$name differs from $file (run scripts/build-adventure)"; status=1
  fi
done
[ "$status" = 0 ] && echo PASS
exit "$status"
