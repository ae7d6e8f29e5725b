#!/usr/bin/env bash
# Where PipeWire serves the sound (Debian 12's desktop), the voice goes through
# SDL's own PipeWire driver with a short period, not through PipeWire's pulse
# layer, which SDL would pick by itself and which made every answer ~15 ms
# later; a driver the player names in SDL_AUDIODRIVER is kept. Skipped (77)
# where no PipeWire server can be started.
#   check_pipewire_choice.sh VELMORA CASTLE WITH_PIPEWIRE
set -euo pipefail
if [ "${1:-}" != --inside ]; then
  for tool in pipewire wireplumber pipewire-pulse pw-dump script; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is missing"; exit 77; }
  done
  "$3" true 2>/dev/null || { echo "SKIP: no PipeWire server starts here"; exit 77; }
  exec "$3" "$0" --inside "$@"
fi
shift
velmora=$1
castle=$2
tmp=$(mktemp -d)
trap 'pkill -f -- "$tmp/pause-" 2>/dev/null || true; wait 2>/dev/null || true; rm -rf "$tmp"' EXIT
printf 'wait 20000\n' > "$tmp/pause.keys"
fail() { echo "FAIL: $*"; exit 1; }

# stream NAME DRIVER: how the voice of a velmora speaking through DRIVER (''
# leaves the choice to velmora) reaches the server: "pipewire-pulse" or
# "pipewire", and its period. Only that process's stream counts: one of an
# earlier run may still be closing.
stream() {
  local name=$1 driver=$2 keys="$tmp/pause-$1.keys" found=""
  cp "$tmp/pause.keys" "$keys"
  env XDG_DATA_HOME="$tmp/data-$name" HOME="$tmp" TERM=xterm ${driver:+SDL_AUDIODRIVER=$driver} \
    script -qec "'$velmora' --frontend tty --speech espeak --sound none --root '$castle' -nomenu \
      --keys '$keys'" /dev/null > /dev/null 2>&1 &
  local pid=$!
  for _ in $(seq 100); do
    found=$(pw-dump 2>/dev/null | python3 -c '
import json, sys
for o in json.load(sys.stdin):
    p = o.get("info", {}).get("props", {})
    if p.get("media.class") != "Stream/Output/Audio": continue
    try:
        cmdline = open("/proc/%d/cmdline" % p["application.process.id"], "rb").read()
    except (KeyError, OSError):
        continue
    if sys.argv[1].encode() in cmdline:
        print(p.get("client.api", "pipewire"), p.get("node.latency"))
' "$keys" || true)
    [ -n "$found" ] && break
    sleep 0.1
  done
  pkill -f -- "$keys" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  echo "$found"
}

chosen=$(stream chosen "")
[ "$chosen" = "pipewire 128/44100" ] ||
  fail "the voice did not go through SDL's PipeWire driver with a 128-frame period: '$chosen'"
named=$(stream named pulseaudio)
[[ "$named" == pipewire-pulse* ]] || fail "SDL_AUDIODRIVER=pulseaudio was not kept: '$named'"
echo "PASS"
