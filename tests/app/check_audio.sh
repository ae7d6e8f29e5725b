#!/usr/bin/env bash
# Real speech and sound from the program, written by SDL's disk audio driver
# and measured: espeak-ng speaks (more for more text), and a cue and an effect
# are heard through SDL_mixer (the voice plays 44.1 kHz float stereo, the mixer
# 44.1 kHz 16-bit stereo). Voice and mixer are two audio devices that would
# share the one disk file, so each run opens only one of them.
#   check_audio.sh VELMORA CASTLE MEDIA
set -euo pipefail
velmora=$1
castle=$2
media=$3
here=$(cd "$(dirname "$0")" && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cp -R "$castle" "$tmp/root"
export SDL_AUDIODRIVER=disk HOME="$tmp/home"
fail() { echo "FAIL: $*"; exit 1; }

# run NAME KEYS ARGS...: plays the keys in real time in the terminal front end.
run() {
  local name=$1 keys=$2
  shift 2
  XDG_DATA_HOME="$tmp/data-$name" SDL_DISKAUDIOFILE="$tmp/$name.raw" \
    "$velmora" --frontend tty --root "$tmp/root" --keys "$keys" -nomenu \
    --transcript "$tmp/$name.transcript" "$@" > "$tmp/$name.out" 2> "$tmp/$name.err" ||
    fail "$name: velmora failed: $(cat "$tmp/$name.err")"
  [ -f "$tmp/$name.raw" ] || : > "$tmp/$name.raw"
}
seconds() { python3 "$here/audio_measure.py" "$tmp/$1.raw" "${@:2}"; }
more() { python3 -c "import sys; sys.exit(0 if float(sys.argv[1]) > float(sys.argv[2]) + float(sys.argv[3]) else 1)" "$@"; }

# The voice: the first screen's sentence, then four menu entries more.
printf 'wait 3000\n' > "$tmp/short.keys"
printf 'wait 3000\nDown\nwait 1500\nDown\nwait 1500\nDown\nwait 1500\nUp\nwait 1500\n' > "$tmp/long.keys"
run short "$tmp/short.keys" --speech espeak --sound none
run long "$tmp/long.keys" --speech espeak --sound none
short=$(seconds short 44100 2 f32)
long=$(seconds long 44100 2 f32)
echo "espeak-ng: $short s of speech for one sentence, $long s with four menu entries more"
more "$short" 0.5 0 || fail "no speech heard: $short s"
more "$long" "$short" 0.5 || fail "no more speech for more text: $long s against $short s"
grep -q 'Ты стоишь у ворот' "$tmp/short.out" || fail "the spoken line was not printed"
grep -q '^say: Ты стоишь у ворот' "$tmp/short.transcript" || fail "the transcript lacks the spoken text"

# The mixer, no voice: Escape at the top of the menu (cue 13; with no voice a
# cue is the beep), then a walk, a take, a use, and effect 0 (the chimes, from
# the media folder when it is there).
{ printf 'Escape\nwait 400\n'; grep -v '^#' "$here/../scenario/actions.keys" | sed 's/$/\nwait 400/'; } > "$tmp/fx.keys"
echo 'wait 1500' >> "$tmp/fx.keys"
run cues "$tmp/fx.keys" --speech none --sound sdl
cp -R "$media" "$tmp/root/Media"
run effects "$tmp/fx.keys" --speech none --sound sdl
run silent "$tmp/fx.keys" --speech none --sound none
cues=$(seconds cues 44100 2)
effects=$(seconds effects 44100 2)
silent=$(seconds silent 44100 2)
echo "SDL_mixer: $cues s with the cues alone, $effects s with the effect files, $silent s with --sound none"
more "$cues" 0.1 0 || fail "no cue heard: $cues s"
more "$effects" "$cues" 0.3 || fail "no effect heard: $effects s against $cues s"
more 0.01 "$silent" 0 || fail "--sound none made sound: $silent s"
grep -q '^effect: 0' "$tmp/effects.transcript" || fail "the transcript lacks the effect"
grep -q '^cue: 13' "$tmp/effects.transcript" || fail "the transcript lacks the cue"

# Music: a short tune as the map's music, through SDL_mixer and its synthesizer.
python3 - "$tmp/root/Projects/Default/map1.mid" <<'PY'
import struct, sys
events = b""
for note in (60, 64, 67, 72):  # a rising chord, a quarter of a second a note
    events += bytes([0x00, 0x90, note, 100]) + bytes([0x83, 0x60, 0x80, note, 0])
events += bytes([0x00, 0xFF, 0x2F, 0x00])
data = b"MThd" + struct.pack(">IHHH", 6, 0, 1, 960) + b"MTrk" + struct.pack(">I", len(events)) + events
open(sys.argv[1], "wb").write(data)
PY
printf 'wait 3000\n' > "$tmp/music.keys"
run music "$tmp/music.keys" --speech none --sound sdl
music=$(seconds music 44100 2)
echo "SDL_mixer: $music s of music from a one-second tune"
more "$music" 0.5 0 || fail "no music heard: $music s"
echo PASS
