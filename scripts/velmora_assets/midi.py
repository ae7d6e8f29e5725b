"""Standard MIDI File writer and a small composer: per mood a looping tune of
30-60 seconds, a melody over chords and a bass line, General MIDI instruments."""
import math
import random
import struct

MOODS = ("calm", "mystery", "tense", "bright", "sad")
DIVISION = 480  # ticks per quarter note

MAJOR = (0, 2, 4, 5, 7, 9, 11)
MINOR = (0, 2, 3, 5, 7, 8, 10)
HARMONIC_MINOR = (0, 2, 3, 5, 7, 8, 11)

# tempo, tonic, scale, progressions (scale degrees, 0-based), melody / chord /
# bass programs, chord style, melody rhythms (eighths per note, a bar is 8).
STYLES = {
    "calm": dict(tempo=76, tonic=65, scale=MAJOR, progs=[(0, 5, 3, 4), (0, 3, 4, 0)],
                 lead=73, pad=48, bass=32, chords="arp", drums=False,
                 rhythms=[(4, 2, 2), (2, 2, 4), (6, 2), (3, 1, 4), (8,)]),
    "mystery": dict(tempo=70, tonic=62, scale=HARMONIC_MINOR, progs=[(0, 5, 3, 4), (0, 1, 4, 0)],
                    lead=11, pad=89, bass=42, chords="pad", drums=False,
                    rhythms=[(3, 1, 4), (2, 2, 2, 2), (6, 2), (4, 4), (1, 1, 2, 4)]),
    "tense": dict(tempo=118, tonic=64, scale=HARMONIC_MINOR, progs=[(0, 0, 5, 4), (0, 1, 0, 4)],
                  lead=71, pad=44, bass=42, chords="pulse", drums=True,
                  rhythms=[(2, 2, 2, 2), (1, 1, 2, 4), (3, 3, 2), (2, 1, 1, 4)]),
    "bright": dict(tempo=128, tonic=67, scale=MAJOR, progs=[(0, 4, 5, 3), (0, 3, 4, 4)],
                   lead=74, pad=24, bass=33, chords="strum", drums=True,
                   rhythms=[(2, 2, 2, 2), (1, 1, 2, 2, 2), (2, 2, 4), (3, 1, 2, 2)]),
    "sad": dict(tempo=66, tonic=57, scale=MINOR, progs=[(0, 3, 6, 2), (0, 5, 3, 4)],
                lead=68, pad=0, bass=42, chords="arp", drums=False,
                rhythms=[(6, 2), (4, 2, 2), (8,), (3, 1, 4)]),
}


def vlq(n):
    out = [n & 0x7F]
    n >>= 7
    while n:
        out.append(0x80 | (n & 0x7F))
        n >>= 7
    return bytes(reversed(out))


def track(events, end=0):
    """events: (tick, order, bytes); written in time order as one MTrk chunk
    whose end-of-track falls at `end` or after the last event."""
    data = bytearray()
    now = 0
    for tick, _, body in sorted(events, key=lambda e: (e[0], e[1])):
        data += vlq(tick - now) + body
        now = tick
    data += vlq(max(0, end - now)) + b"\xFF\x2F\x00"
    return b"MTrk" + struct.pack(">I", len(data)) + bytes(data)


def smf(tracks, division=DIVISION):
    fmt = 0 if len(tracks) == 1 else 1
    return b"MThd" + struct.pack(">IHHH", 6, fmt, len(tracks), division) + b"".join(tracks)


class Part:
    """One instrument on one channel."""

    def __init__(self, channel, program=None, name=b"", volume=100, pan=64):
        self.ch = channel
        self.events = []
        if name:
            self.events.append((0, 0, b"\xFF\x03" + vlq(len(name)) + name))
        if program is not None:
            self.events.append((0, 1, bytes([0xC0 | channel, program])))
        self.events.append((0, 1, bytes([0xB0 | channel, 7, volume])))
        self.events.append((0, 1, bytes([0xB0 | channel, 10, pan])))

    def note(self, start, length, pitch, velocity):
        pitch = max(0, min(127, pitch))
        # Note-offs sort before note-ons at the same tick, so repeated notes sound.
        self.events.append((start, 3, bytes([0x90 | self.ch, pitch, max(1, min(127, velocity))])))
        self.events.append((start + max(1, length), 2, bytes([0x80 | self.ch, pitch, 0])))


def degree_pitch(style, degree, octave=0):
    scale = style["scale"]
    o, d = divmod(degree, 7)
    return style["tonic"] + scale[d] + 12 * (o + octave)


def chord(style, root):
    return [degree_pitch(style, root + k) for k in (0, 2, 4)]


def make_motif(rng, style, bars=2):
    """A short phrase: a rhythm per bar and small steps over the scale, so
    that repeating it over other chords still sounds like the same tune."""
    motif = []
    for _ in range(bars):
        rhythm = style["rhythms"][int(rng.random() * len(style["rhythms"]))]
        notes = []
        for length in rhythm:
            r = rng.random()
            step = -1 if r < 0.3 else 1 if r < 0.6 else -2 if r < 0.72 else 2 if r < 0.84 else 0 if r < 0.94 else 3
            notes.append((length, step))
        motif.append(notes)
    return motif


# The melody keeps to this span of scale degrees above the tonic.
LOW_DEGREE, HIGH_DEGREE = 3, 13


def next_degree(cur, step, root, strong):
    """Where the tune goes from `cur`: the motif's step, turned back at the
    edges of its span, and on a strong beat the chord tone nearest to it
    that still moves when the motif moves."""
    d = cur + step
    if d > HIGH_DEGREE:
        d = cur - max(1, abs(step))
    elif d < LOW_DEGREE:
        d = cur + max(1, abs(step))
    if not strong:
        return d
    tones = {(root + k) % 7 for k in (0, 2, 4)}
    way = 1 if d >= cur else -1
    for dist in (0, way, -way, 2 * way, -2 * way, 3 * way, -3 * way):
        c = d + dist
        if c % 7 in tones and (c != cur or step == 0) and LOW_DEGREE <= c <= HIGH_DEGREE + 1:
            return c
    return d




def compose(mood, seed):
    """The piece as SMF bytes."""
    style = STYLES[mood]
    rng = random.Random(seed)
    tempo = style["tempo"]
    bar = DIVISION * 4
    eighth = DIVISION // 2
    section_seconds = 16 * 60.0 / tempo
    sections = max(2, min(int(58 // section_seconds), math.ceil(34 / section_seconds)))
    form = ["A", "A", "B", "A", "B", "A", "A", "B"][:sections]
    if form[-1] != "A":
        form[-1] = "A"
    motifs = {"A": make_motif(rng, style), "B": make_motif(rng, style)}
    progs = {"A": style["progs"][0], "B": style["progs"][1]}

    conductor = [(0, 0, b"\xFF\x03\x05Tempo"),
                 (0, 1, b"\xFF\x51\x03" + struct.pack(">I", 60000000 // tempo)[1:]),
                 (0, 1, b"\xFF\x58\x04\x04\x02\x18\x08")]
    lead = Part(0, style["lead"], b"Melody", 105, 70)
    pad = Part(1, style["pad"], b"Chords", 78, 50)
    bass = Part(2, style["bass"], b"Bass", 90, 64)
    drums = Part(9, None, b"Drums", 70, 64) if style["drums"] else None
    timp = Part(3, 47, b"Timpani", 80, 64) if mood == "tense" else None

    t = 0
    cur = 7
    for s_index, name in enumerate(form):
        prog = progs[name]
        motif = motifs[name]
        last_section = s_index == len(form) - 1
        for b_index, root in enumerate(prog):
            start = t
            tones = chord(style, root)
            # The melody: the motif's steps from where the tune is, pulled onto
            # the chord on strong beats, ending each piece on the tonic.
            notes = motif[b_index % 2]
            at = start
            final = last_section and b_index == len(prog) - 1
            if final:
                notes = [(8, 0)]
            for k, (length, step) in enumerate(notes):
                if final:
                    degree = 7 if cur < 11 else 14
                else:
                    degree = next_degree(cur, step, root, (at - start) % DIVISION == 0)
                cur = degree
                dur = length * eighth
                vel = 88 + (8 if k == 0 else 0) + int(rng.random() * 10)
                lead.note(at, int(dur * (0.6 if mood in ("bright", "tense") else 0.94)),
                          degree_pitch(style, degree), vel)
                at += dur
            # Chords in the mood's manner.
            low = [p - 12 for p in tones]
            style_kind = style["chords"]
            if style_kind == "pad":
                for p in low:
                    pad.note(start, bar - 10, p, 62)
            elif style_kind == "arp":
                order = [0, 1, 2, 1, 2, 0, 1, 2] if mood == "calm" else [0, 2, 1, 2, 0, 2, 1, 2]
                for k, j in enumerate(order):
                    pad.note(start + k * eighth, eighth * 2, low[j] + (12 if k in (4, 6) else 0), 60)
            elif style_kind == "strum":
                for k, beat in enumerate((0, 2, 3, 4, 6)):
                    for j, p in enumerate(low):
                        pad.note(start + beat * eighth + j * 12, eighth * 2 - 20, p + 12, 66 if k == 0 else 54)
            else:  # pulse: restless repeated eighths
                for k in range(8):
                    for p in low[:2]:
                        pad.note(start + k * eighth, eighth - 30, p, 70 if k % 4 == 0 else 52)
            broot = degree_pitch(style, root, -2 if style["tonic"] >= 60 else -1)
            if mood == "tense":
                for k in range(8):
                    bass.note(start + k * eighth, eighth - 40, broot + (12 if k % 4 == 3 else 0), 80)
                timp.note(start, DIVISION, broot, 90)
            elif mood == "bright":
                for beat, p in ((0, broot), (2, broot + 7), (4, broot + 12), (6, broot + 7)):
                    bass.note(start + beat * eighth, eighth * 2 - 30, p, 84)
            else:
                bass.note(start, bar // 2 - 20, broot, 80)
                bass.note(start + bar // 2, bar // 2 - 20, broot + (7 if mood != "sad" else 0), 70)
            if drums:
                for k in range(8):
                    if mood == "bright":
                        if k in (0, 4):
                            drums.note(start + k * eighth, 60, 36, 80)
                        if k in (2, 6):
                            drums.note(start + k * eighth, 60, 54, 60)
                    elif k in (0, 3, 6):
                        drums.note(start + k * eighth, 60, 45 if k else 41, 70)
            t += bar
    end = t
    # Every part lasts to the end of the last bar, so a loop keeps its beat.
    parts = [p for p in (lead, pad, bass, timp, drums) if p is not None]
    return smf([track(conductor, end)] + [track(p.events, end) for p in parts])


def duration_seconds(mood):
    """How long compose(mood, ...) plays."""
    tempo = STYLES[mood]["tempo"]
    section_seconds = 16 * 60.0 / tempo
    sections = max(2, min(int(58 // section_seconds), math.ceil(34 / section_seconds)))
    return sections * section_seconds
