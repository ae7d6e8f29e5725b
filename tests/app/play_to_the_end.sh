#!/usr/bin/env bash
# The bundled castle played to its win by ear: the terminal front end, keys in
# real time, espeak-ng speaking into SDL's disk audio file. The game must reach
# the win and the file must hold the speech of the whole game.
#   play_to_the_end.sh VELMORA CASTLE
set -euo pipefail
velmora=$1
castle=$2
here=$(cd "$(dirname "$0")" && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cp -R "$castle" "$tmp/root"
# The win scenario's keys, a second apart: time for each answer to be spoken.
grep -v '^#' "$here/../scenario/win.keys" | sed 's/$/\nwait 1000/' > "$tmp/win.keys"
echo 'wait 3000' >> "$tmp/win.keys"
HOME="$tmp" XDG_DATA_HOME="$tmp/data" SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$tmp/win.raw" \
  "$velmora" --frontend tty --root "$tmp/root" --keys "$tmp/win.keys" -nomenu \
  --speech espeak --sound none --transcript "$tmp/win.transcript" > "$tmp/out" 2>&1 ||
  { echo "velmora failed:"; cat "$tmp/out"; exit 1; }
heard=$(python3 "$here/audio_measure.py" "$tmp/win.raw" 44100 2 f32)
echo "$(grep -c '^say:' "$tmp/win.transcript") texts, $heard s of speech"
grep -q 'Победа' "$tmp/out" || { echo "FAIL: the win was not reached"; cat "$tmp/out"; exit 1; }
python3 -c "import sys; sys.exit(0 if float(sys.argv[1]) > 10 else 1)" "$heard" ||
  { echo "FAIL: only $heard s of speech for a whole game"; exit 1; }
echo PASS
