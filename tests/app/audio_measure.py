#!/usr/bin/env python3
"""Seconds of sound (not silence) in raw signed 16-bit audio, as SDL's disk
audio driver writes it: windows of 10 ms whose RMS is above a threshold.

usage: audio_measure.py FILE RATE CHANNELS
"""
import array
import math
import sys


def sounding_seconds(data: bytes, rate: int, channels: int, threshold: float = 300.0) -> float:
    samples = array.array("h")
    samples.frombytes(data[: len(data) - len(data) % 2])
    if sys.byteorder != "little":
        samples.byteswap()
    window = max(1, rate * channels // 100)
    loud = 0
    for start in range(0, len(samples) - window + 1, window):
        chunk = samples[start : start + window]
        rms = math.sqrt(sum(s * s for s in chunk) / window)
        if rms > threshold:
            loud += 1
    return loud / 100.0


def main() -> int:
    if len(sys.argv) != 4:
        print(__doc__, file=sys.stderr)
        return 2
    with open(sys.argv[1], "rb") as f:
        data = f.read()
    print(f"{sounding_seconds(data, int(sys.argv[2]), int(sys.argv[3])):.2f}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
