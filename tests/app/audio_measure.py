#!/usr/bin/env python3
"""Seconds of sound (not silence) in raw audio as SDL's disk audio driver
writes it, signed 16-bit (s16, the mixer) or 32-bit float (f32, the voice):
windows of 10 ms whose RMS is above a threshold (300 of 32768).

usage: audio_measure.py FILE RATE CHANNELS [s16|f32]
"""
import array
import math
import sys


def samples_of(data: bytes, fmt: str) -> array.array:
    samples = array.array("h" if fmt == "s16" else "f")
    samples.frombytes(data[: len(data) - len(data) % samples.itemsize])
    if sys.byteorder != "little":
        samples.byteswap()
    if fmt == "f32":
        samples = array.array("d", (s * 32768.0 for s in samples))
    return samples


def sounding_seconds(data: bytes, rate: int, channels: int, fmt: str = "s16",
                     threshold: float = 300.0) -> float:
    samples = samples_of(data, fmt)
    window = max(1, rate * channels // 100)
    loud = 0
    for start in range(0, len(samples) - window + 1, window):
        chunk = samples[start : start + window]
        rms = math.sqrt(sum(s * s for s in chunk) / window)
        if rms > threshold:
            loud += 1
    return loud / 100.0


def main() -> int:
    if len(sys.argv) not in (4, 5) or (len(sys.argv) == 5 and sys.argv[4] not in ("s16", "f32")):
        print(__doc__, file=sys.stderr)
        return 2
    with open(sys.argv[1], "rb") as f:
        data = f.read()
    fmt = sys.argv[4] if len(sys.argv) == 5 else "s16"
    print(f"{sounding_seconds(data, int(sys.argv[2]), int(sys.argv[3]), fmt):.2f}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
