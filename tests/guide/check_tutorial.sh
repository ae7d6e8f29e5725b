#!/usr/bin/env bash
# Builds every step of the tutorial from the guide's own text and plays it:
# each step is the step before with the files its blocks give, converted to
# code page 1251 with CR LF as the game reads them; `check --strict` must
# pass, a walkthrough must win, one marked expect=death must end in a death.
#   check_tutorial.sh VELMORA-TOOL doc/guide/tutorial.md
set -euo pipefail
tool=$1
guide=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# Every fenced block marked file=PATH into $tmp/raw/PATH; the expectations beside.
awk -v out="$tmp/raw" -v walks="$tmp/expect" '
  /^```[a-z]+ file=/ {
    path = $2; sub(/^file=/, "", path)
    if (path !~ /^step[0-9]+\/[^\/]+$/) { print "bad block name: " path > "/dev/stderr"; exit 1 }
    file = out "/" path
    split(path, part, "/"); system("mkdir -p \"" out "/" part[1] "\"")
    printf "" > file
    e = "win"; if ($3 ~ /^expect=/) { e = $3; sub(/^expect=/, "", e) }
    if (part[2] ~ /\.keys$/) print path " " e >> walks
    next
  }
  /^```/ && file != "" { close(file); file = ""; next }
  file != "" { print >> file }
' "$guide"

steps=$(cd "$tmp/raw" && ls -d step* | sort -V)
[ -n "$steps" ] || { echo "no steps in $guide"; exit 1; }
failed=0
previous=""
count=0
for step in $steps; do
  count=$((count + 1))
  project="$tmp/projects/$step"
  mkdir -p "$project"
  if [ -n "$previous" ]; then cp -R "$tmp/projects/$previous/." "$project/"; fi
  for f in "$tmp/raw/$step"/*; do
    name=$(basename "$f")
    case "$name" in
      *.keys) cp "$f" "$tmp/$step-$name" ;;
      # The game's files: code page 1251, each line ended by CR LF.
      *) iconv -f UTF-8 -t CP1251 "$f" | sed 's/$/\r/' > "$project/$name" ;;
    esac
  done
  if ! "$tool" check --strict --allow no-picture --allow no-music "$project" > "$tmp/out" 2>&1; then
    echo "FAIL $step: check --strict"; cat "$tmp/out"; failed=1
  fi
  walks=$(grep "^$step/" "$tmp/expect" || true)
  [ -n "$walks" ] || { echo "FAIL $step: no walkthrough"; failed=1; }
  while read -r path expect; do
    [ -n "$path" ] || continue
    keys="$tmp/${path/\//-}"
    status=0
    "$tool" check --allow no-picture --allow no-music --walk "$keys" "$project" > "$tmp/out" 2>&1 || status=$?
    case "$expect" in
      win)
        if [ "$status" != 0 ] || ! grep -q '^walk: .*дошёл до конца игры' "$tmp/out"; then
          echo "FAIL $path: does not win"; cat "$tmp/out"; failed=1
        fi ;;
      death)
        if ! grep -q 'прохождение не дошло до конца игры.*герой погиб' "$tmp/out" \
           || [ "$(grep -c '^error:' "$tmp/out")" != 1 ]; then
          echo "FAIL $path: does not end in the hero's death alone"; cat "$tmp/out"; failed=1
        fi ;;
      *) echo "FAIL $path: unknown expect=$expect"; failed=1 ;;
    esac
  done <<< "$walks"
  echo "step $step: checked"
  previous=$step
done
# The tutorial promises eight steps.
[ "$count" -ge 8 ] || { echo "FAIL: only $count steps"; failed=1; }
exit $failed
