#!/usr/bin/env bash
# Builds every step of the tutorial from the guide's own text and plays it:
# each step is the step before with the files its blocks give, saved as the
# guide says an editor may save them (UTF-8, LF), and once more as its twin
# in code page 1251 made by `velmora-tool convert`; in both `check --strict`
# must pass, a walkthrough must win, and one marked expect=death:N must end
# in death N as `check --walk --expect death N` sees it.
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
      # The game's files as the guide's text holds them: UTF-8, LF.
      *) cp "$f" "$project/$name" ;;
    esac
  done
  # The twin an author who keeps 1251 files would have.
  twin="$tmp/twins/$step"
  mkdir -p "$twin"
  cp -R "$project/." "$twin/"
  if ! "$tool" convert --to 1251 "$twin" > "$tmp/out" 2>&1; then
    echo "FAIL $step: convert --to 1251"; cat "$tmp/out"; failed=1
  elif iconv -f UTF-8 -t UTF-8 "$twin/map1.ini" > /dev/null 2>&1; then
    echo "FAIL $step: convert --to 1251 left map1.ini in UTF-8"; failed=1
  fi
  walks=$(grep "^$step/" "$tmp/expect" || true)
  [ -n "$walks" ] || { echo "FAIL $step: no walkthrough"; failed=1; }
  for dir in "$project" "$twin"; do
    if ! "$tool" check --strict --allow no-picture --allow no-music "$dir" > "$tmp/out" 2>&1; then
      echo "FAIL $dir: check --strict"; cat "$tmp/out"; failed=1
    fi
    while read -r path expect; do
      [ -n "$path" ] || continue
      keys="$tmp/${path/\//-}"
      case "$expect" in
        win) args=(--expect win); heard='^walk: .*дошёл до конца игры' ;;
        death:[0-9]*) args=(--expect death "${expect#death:}"); heard='^walk: .*кончился, как ожидалось: смерть '"${expect#death:}"'\b' ;;
        *) echo "FAIL $path: unknown expect=$expect"; failed=1; continue ;;
      esac
      status=0
      "$tool" check --allow no-picture --allow no-music --walk "$keys" "${args[@]}" "$dir" > "$tmp/out" 2>&1 || status=$?
      if [ "$status" != 0 ] || ! grep -q "$heard" "$tmp/out"; then
        echo "FAIL $path in $dir: does not end as expect=$expect"; cat "$tmp/out"; failed=1
      fi
    done <<< "$walks"
  done
  echo "step $step: checked"
  previous=$step
done
# The tutorial promises eight steps.
[ "$count" -ge 8 ] || { echo "FAIL: only $count steps"; failed=1; }
exit $failed
