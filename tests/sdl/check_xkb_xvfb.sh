#!/bin/sh
# Runs the X server layout test against a private Xvfb with layouts us,ru.
# Exit 77 (skipped) when Xvfb or setxkbmap is missing.
tests=$1
command -v Xvfb >/dev/null 2>&1 && command -v setxkbmap >/dev/null 2>&1 || exit 77
display=
for n in 91 92 93 94 95 96 97 98 99; do
  if [ ! -e /tmp/.X11-unix/X$n ] && [ ! -e /tmp/.X$n-lock ]; then display=:$n; break; fi
done
[ -n "$display" ] || exit 77
# -noreset: else the server drops the keymap when setxkbmap disconnects.
Xvfb "$display" -nolisten tcp -noreset >/dev/null 2>&1 &
server=$!
trap 'kill $server 2>/dev/null; wait $server 2>/dev/null' EXIT
i=0
until DISPLAY=$display setxkbmap -layout us,ru 2>/dev/null; do
  i=$((i + 1))
  [ $i -lt 50 ] || { echo "Xvfb did not start"; exit 1; }
  sleep 0.1
done
VELMORA_XKB_TEST_DISPLAY=$display "$tests" --gtest_filter='XkbLayoutXServer.*'
