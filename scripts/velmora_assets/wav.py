"""Sound effects synthesised from oscillators and filtered noise: 22050 Hz,
mono, 16-bit. Each kind is a short recipe of envelopes, filters and sweeps."""
import math
import random
import struct

RATE = 22050
TAU = 2 * math.pi

# Seconds per kind; every effect fits 0.2-2 s. The kinds that may serve as
# the program's own cues (chime, magic, thud, pickup) stay under a second.
LENGTHS = {"door": 1.3, "steps": 1.2, "splash": 1.1, "bell": 2.0, "death": 2.0, "chime": 0.95,
           "creak": 1.1, "fire": 2.0, "wind": 2.0, "magic": 0.95, "pickup": 0.35, "thud": 0.5,
           "water": 2.0, "bird": 1.3}
KINDS = tuple(LENGTHS)


def samples(seconds):
    return int(round(RATE * seconds))


def silence(n):
    return [0.0] * n


def mix_into(into, sound, at, gain=1.0):
    start = int(at)
    for i, v in enumerate(sound):
        j = start + i
        if 0 <= j < len(into):
            into[j] += v * gain
    return into


def noise(n, rng):
    return [rng.random() * 2 - 1 for _ in range(n)]


def lowpass(x, cutoff):
    """One-pole low-pass; cutoff in Hz, a number or a function of the sample index."""
    out, y = [], 0.0
    fixed = not callable(cutoff)
    a = 1 - math.exp(-TAU * cutoff / RATE) if fixed else 0.0
    for i, v in enumerate(x):
        if not fixed:
            a = 1 - math.exp(-TAU * max(5.0, cutoff(i)) / RATE)
        y += a * (v - y)
        out.append(y)
    return out


def bandpass(x, freq, q=4.0):
    """State-variable band-pass; freq a number or a function of the sample index."""
    out = []
    low = band = 0.0
    damp = 1.0 / q
    fixed = not callable(freq)
    f = 2 * math.sin(math.pi * min(freq, RATE / 6) / RATE) if fixed else 0.0
    for i, v in enumerate(x):
        if not fixed:
            f = 2 * math.sin(math.pi * min(max(20.0, freq(i)), RATE / 6) / RATE)
        high = v - low - damp * band
        band += f * high
        low += f * band
        out.append(band)
    return out


def tone(freq, n, shape="sine", partials=((1.0, 1.0),), decay=0.0):
    """Oscillator; freq a number or a function of the sample index."""
    out = []
    phases = [0.0] * len(partials)
    fixed = not callable(freq)
    for i in range(n):
        f = freq if fixed else freq(i)
        v = 0.0
        for k, (ratio, level) in enumerate(partials):
            phases[k] += TAU * f * ratio / RATE
            p = phases[k]
            if shape == "sine":
                w = math.sin(p)
            elif shape == "saw":
                w = 2 * ((p / TAU) % 1.0) - 1
            else:
                w = 1.0 if math.sin(p) >= 0 else -1.0
            if decay:
                w *= math.exp(-decay * ratio * i / RATE)
            v += level * w
        out.append(v)
    return out


def envelope(x, attack=0.005, release=0.05, decay=0.0, hold=None):
    """Raised-cosine attack and release, optional exponential decay between."""
    n = len(x)
    a, r = max(1, samples(attack)), max(1, samples(release))
    out = []
    for i, v in enumerate(x):
        e = 1.0
        if i < a:
            e *= 0.5 - 0.5 * math.cos(math.pi * i / a)
        left = n - 1 - i
        if left < r:
            e *= 0.5 - 0.5 * math.cos(math.pi * left / r)
        if decay:
            e *= math.exp(-decay * i / RATE)
        out.append(v * e)
    return out


def normalise(x, peak=1.0):
    top = max((abs(v) for v in x), default=0.0) or 1.0
    return [v * peak / top for v in x]


def multiply(x, f):
    return [v * f(i) for i, v in enumerate(x)]


# --- kinds -----------------------------------------------------------------

def creak_sound(rng, n, base=55.0, spread=25.0):
    """Stick-slip: a train of clicks whose rate wanders, through wood resonances."""
    out = silence(n)
    t = 0.0
    ph = rng.random() * TAU
    while t < n:
        i = int(t)
        rate = base + spread * math.sin(TAU * 0.9 * i / RATE + ph) + spread * 0.5 * math.sin(TAU * 2.3 * i / RATE)
        out[i] = 1.0 if rng.random() < 0.85 else -0.6
        t += RATE / max(20.0, rate)
    body = [a + b * 0.6 for a, b in zip(bandpass(out, 420, 6), bandpass(out, 1150, 8))]
    return envelope(body, 0.04, 0.15)


def k_door(rng):
    n = samples(LENGTHS["door"])
    out = silence(n)
    # The hinge as loud as the slam's body, so the creak is heard before it.
    mix_into(out, normalise(creak_sound(rng, samples(0.8), 45, 20), 0.6), 0, 1.0)
    mix_into(out, normalise(k_thud_at(rng, samples(0.45), 75)), samples(0.82), 1.0)
    # The latch.
    click = envelope(bandpass(noise(samples(0.05), rng), 2500, 3), 0.001, 0.03, decay=60)
    mix_into(out, normalise(click, 0.4), samples(0.86))
    return out


def k_thud_at(rng, n, freq):
    body = tone(lambda i: freq * (0.55 + 0.45 * math.exp(-i / (RATE * 0.05))), n)
    knock = lowpass(noise(n, rng), 600)
    return envelope([b + 1.5 * k for b, k in zip(body, knock)], 0.002, 0.08, decay=9)


def k_thud(rng):
    return k_thud_at(rng, samples(LENGTHS["thud"]), 85)


def k_steps(rng):
    n = samples(LENGTHS["steps"])
    out = silence(n)
    for k in range(4):
        m = samples(0.16)
        step = bandpass(noise(m, rng), 260 + 60 * rng.random(), 1.5)
        grit = bandpass(noise(m, rng), 2200, 2)
        s = envelope([a + 0.25 * b for a, b in zip(step, grit)], 0.004, 0.06, decay=22)
        mix_into(out, s, samples(0.05 + 0.27 * k + 0.02 * rng.random()), 1.0 if k % 2 else 0.8)
    return out


def k_splash(rng):
    n = samples(LENGTHS["splash"])
    burst = lowpass(noise(n, rng), lambda i: 5000 * math.exp(-i / (RATE * 0.18)) + 300)
    out = envelope(burst, 0.005, 0.2, decay=4.5)
    for _ in range(8):
        at = samples(0.1 + 0.6 * rng.random())
        mix_into(out, bubble(rng, 500 + 900 * rng.random()), at, 0.25)
    return out


def bubble(rng, freq):
    m = samples(0.06)
    return envelope(tone(lambda i: freq * (1 + 1.5 * i / m), m), 0.002, 0.02, decay=30)


def bell_tone(freq, n, decay):
    partials = ((0.5, 0.4), (1.0, 1.0), (1.19, 0.45), (1.56, 0.35), (2.0, 0.3), (2.74, 0.2), (3.76, 0.1))
    return envelope(tone(freq, n, partials=partials, decay=decay), 0.002, 0.3)


# Two files of one kind should not be the same sound: each picks its pitch.
BELL_PITCHES = (220.0, 261.6, 293.7, 329.6)
CHIME_RUNS = ((1318.5, 1568.0, 2093.0, 2637.0), (1046.5, 1318.5, 1568.0, 2093.0),
              (1568.0, 1318.5, 1975.5, 2637.0), (1174.7, 1480.0, 1760.0, 2349.3))


def k_bell(rng):
    pitch = BELL_PITCHES[int(rng.random() * len(BELL_PITCHES))] * (0.97 + 0.06 * rng.random())
    return bell_tone(pitch, samples(LENGTHS["bell"]), 1.6)


def k_chime(rng):
    n = samples(LENGTHS["chime"])
    out = silence(n)
    run = CHIME_RUNS[int(rng.random() * len(CHIME_RUNS))]
    tune = 0.97 + 0.06 * rng.random()
    for k, f in enumerate(f * tune for f in run):
        mix_into(out, bell_tone(f, n - samples(0.07 * k), 4.5), samples(0.07 * k), 0.7)
    return out


def k_death(rng):
    """Dark and falling: a low minor cluster sliding down under a rumble."""
    n = samples(LENGTHS["death"])
    out = silence(n)
    for ratio in (1.0, 1.19, 1.5):
        fall = tone(lambda i, r=ratio: 196.0 * r * 2 ** (-2.2 * i / n), n, shape="saw")
        mix_into(out, lowpass(fall, lambda i: 1800 * 2 ** (-3 * i / n) + 150), 0, 0.5)
    rumble = lowpass(noise(n, rng), 120)
    mix_into(out, rumble, 0, 3.0)
    out = multiply(out, lambda i: 1 - 0.35 * (0.5 + 0.5 * math.sin(TAU * 5 * i / RATE)) * i / n)
    return envelope(out, 0.02, 0.6)


def k_creak(rng):
    return creak_sound(rng, samples(LENGTHS["creak"]))


def k_fire(rng):
    n = samples(LENGTHS["fire"])
    roar = lowpass(lowpass(noise(n, rng), 300), 500)
    out = multiply(roar, lambda i: 3.0 * (0.8 + 0.2 * math.sin(TAU * 1.3 * i / RATE)))
    for _ in range(45):
        at = int(rng.random() * (n - samples(0.02)))
        m = samples(0.004 + 0.01 * rng.random())
        crack = envelope(bandpass(noise(m, rng), 1500 + 3000 * rng.random(), 2), 0.0005, 0.003)
        mix_into(out, crack, at, 0.4 + 0.8 * rng.random())
    return envelope(out, 0.15, 0.3)


def k_wind(rng):
    n = samples(LENGTHS["wind"])
    ph = rng.random() * TAU
    gust = lambda i: 0.5 + 0.5 * math.sin(TAU * 0.6 * i / RATE + ph)
    howl = bandpass(noise(n, rng), lambda i: 350 + 500 * gust(i), 7)
    out = [h * (0.4 + 0.6 * gust(i)) for i, h in enumerate(howl)]
    return envelope(out, 0.4, 0.5)


def k_magic(rng):
    n = samples(LENGTHS["magic"])
    out = silence(n)
    notes = (523.3, 659.3, 784.0, 1046.5, 1318.5, 1568.0)
    for k, f in enumerate(notes):
        m = n - samples(0.07 * k)
        t = tone(lambda i, f=f: f * (1 + 0.01 * math.sin(TAU * 6 * i / RATE)), m,
                 partials=((1.0, 1.0), (2.0, 0.3), (3.0, 0.1)))
        mix_into(out, envelope(t, 0.01, 0.25, decay=3.5), samples(0.07 * k), 0.4)
    sparkle = bandpass(noise(n, rng), lambda i: 4000 + 3000 * i / n, 10)
    mix_into(out, envelope(multiply(sparkle, lambda i: 0.5 + 0.5 * math.sin(TAU * 13 * i / RATE)), 0.15, 0.3), 0, 1.2)
    return envelope(out, 0.01, 0.25)


def k_pickup(rng):
    n = samples(LENGTHS["pickup"])
    half = n // 2
    a = envelope(tone(880.0, half, shape="square", partials=((1.0, 1.0),)), 0.003, 0.02)
    b = envelope(tone(1318.5, n - half, shape="square", partials=((1.0, 1.0),)), 0.003, 0.1, decay=6)
    return lowpass(a + b, 4000)


def k_water(rng):
    """A trickle: soft hiss and drops at random moments."""
    n = samples(LENGTHS["water"])
    out = [0.15 * v for v in bandpass(noise(n, rng), 1800, 1.2)]
    for _ in range(22):
        at = samples(0.05 + 1.8 * rng.random())
        mix_into(out, bubble(rng, 400 + 1200 * rng.random()), at, 0.6)
    return envelope(out, 0.2, 0.3)


def k_bird(rng):
    n = samples(LENGTHS["bird"])
    out = silence(n)
    base = 2600 + 800 * rng.random()
    at = 0.05
    while at < LENGTHS["bird"] - 0.2:
        m = samples(0.06 + 0.05 * rng.random())
        up = rng.random() < 0.6
        chirp = tone(lambda i: base * (1 + (0.5 if up else -0.3) * i / m + 0.05 * math.sin(TAU * 40 * i / RATE)), m)
        mix_into(out, envelope(chirp, 0.005, 0.02), samples(at), 0.8)
        at += 0.1 + 0.12 * rng.random() + (0.25 if rng.random() < 0.2 else 0)
    return out


RECIPES = {"door": k_door, "steps": k_steps, "splash": k_splash, "bell": k_bell, "death": k_death,
           "chime": k_chime, "creak": k_creak, "fire": k_fire, "wind": k_wind, "magic": k_magic,
           "pickup": k_pickup, "thud": k_thud, "water": k_water, "bird": k_bird}


def synthesise(kind, seed):
    out = RECIPES[kind](random.Random(seed))
    n = samples(LENGTHS[kind])
    out = (out + silence(n))[:n]
    # No click at either end, whatever the recipe left there.
    edge = samples(0.005)
    for i in range(edge):
        k = i / edge
        out[i] *= k
        out[n - 1 - i] *= k
    return out


def encode(samples_, peak=0.7):
    """16-bit mono WAV bytes, scaled so the loudest sample is `peak` of full scale."""
    top = max(abs(s) for s in samples_) or 1.0
    k = 32767 * peak / top
    frames = struct.pack("<%dh" % len(samples_), *(int(round(s * k)) for s in samples_))
    header = b"RIFF" + struct.pack("<I", 36 + len(frames)) + b"WAVE"
    header += b"fmt " + struct.pack("<IHHIIHH", 16, 1, 1, RATE, RATE * 2, 2, 16)
    header += b"data" + struct.pack("<I", len(frames))
    return header + frames
