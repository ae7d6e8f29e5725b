#!/usr/bin/env bash
# The guide against the program: its generated tables equal the tables the
# game reads with, and every kind of the checker's findings has a section
# that `velmora-tool check --explain` prints.
#   check_guide.sh VELMORA-TOOL VELMORA-GUIDE-REFERENCE doc/guide
set -euo pipefail
tool=$1
generator=$2
guide=$3
failed=0
"$generator" --check "$guide/reference-notes.txt" "$guide/reference.md" || failed=1

kinds=$("$tool" check --explain) || { echo "FAIL: check --explain lists a kind without a section"; failed=1; }
[ "$(printf '%s\n' "$kinds" | grep -c .)" -ge 12 ] || { echo "FAIL: too few kinds: $kinds"; failed=1; }
while read -r kind _; do
  [ -n "$kind" ] || continue
  text=$("$tool" check --explain "$kind") || { echo "FAIL: --explain $kind"; failed=1; continue; }
  # The heading, then the section's own words.
  first=$(printf '%s\n' "$text" | head -1)
  body=$(printf '%s\n' "$text" | tail -n +2 | grep -c '[^[:space:]]' || true)
  if [ "$first" != "### $kind — ${first#"### $kind — "}" ] || [ "$body" -lt 1 ]; then
    echo "FAIL: --explain $kind printed:"; printf '%s\n' "$text"; failed=1
  fi
  # No other section runs on into this one.
  if [ "$(printf '%s\n' "$text" | grep -c '^#')" != 1 ]; then
    echo "FAIL: --explain $kind printed more than its section"; failed=1
  fi
done <<< "$kinds"

status=0
"$tool" check --explain no-such-kind > /dev/null 2>&1 || status=$?
[ "$status" = 2 ] || { echo "FAIL: an unknown kind gave status $status, not 2"; failed=1; }
# Read whole first: grep -q ending the pipe early would fail it under pipefail.
help=$("$tool" --help)
grep -q -- '--explain' <<< "$help" || { echo "FAIL: --help does not name --explain"; failed=1; }
# Every kind --allow takes is in the help's list of them.
allowList=$(sed -n '/^ *--allow KIND  /,/fails anyway/p' <<< "$help")
while read -r kind _; do
  case "$kind" in ''|error) continue ;; esac
  grep -q -- "$kind" <<< "$allowList" || { echo "FAIL: --help leaves $kind out of the --allow kinds"; failed=1; }
done <<< "$kinds"
exit $failed
