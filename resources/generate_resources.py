#!/usr/bin/env python3
"""Regenerates the table's texture and sounds; the outputs are committed.

Only the standard library is used, and the random generator is seeded, so a
run reproduces the committed files byte for byte.
"""
import math
import random
import struct
import wave
import zlib
from pathlib import Path

HERE = Path(__file__).resolve().parent
TILE = 128
RATE = 44100


def periodic_noise(rng, size, cells):
    """Smooth value noise that wraps around, so the tile repeats seamlessly."""
    lattice = [[rng.random() for _ in range(cells)] for _ in range(cells)]

    def smooth(t):
        return t * t * (3 - 2 * t)

    def at(x, y):
        fx, fy = x * cells / size, y * cells / size
        x0, y0 = int(fx), int(fy)
        tx, ty = smooth(fx - x0), smooth(fy - y0)
        x1, y1 = (x0 + 1) % cells, (y0 + 1) % cells
        top = lattice[y0][x0] * (1 - tx) + lattice[y0][x1] * tx
        bottom = lattice[y1][x0] * (1 - tx) + lattice[y1][x1] * tx
        return top * (1 - ty) + bottom * ty

    return at


def texture_rows():
    """A light, warm paper: coarse clouds plus fine grain, fully opaque."""
    rng = random.Random(20240611)
    clouds = periodic_noise(rng, TILE, 4)
    fibres = periodic_noise(rng, TILE, 32)
    rows = []
    for y in range(TILE):
        row = bytearray([0])  # PNG filter type: none
        for x in range(TILE):
            shade = 0.6 * clouds(x, y) + 0.3 * fibres(x, y) + 0.1 * rng.random()
            offset = int((shade - 0.5) * 22)
            row += bytes((232 + offset, 226 + offset, 208 + offset))
        rows.append(bytes(row))
    return b"".join(rows)


def png_chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))


def write_png(path, width, height, raw_rgb_rows):
    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    path.write_bytes(b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", header) +
                     png_chunk(b"IDAT", zlib.compress(raw_rgb_rows, 9)) +
                     png_chunk(b"IEND", b""))


def write_wav(path, samples):
    with wave.open(str(path), "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(RATE)
        out.writeframes(b"".join(struct.pack("<h", int(max(-1, min(1, s)) * 32767 * 0.8))
                                 for s in samples))


def cards_dealt():
    """A quick riffle: twelve short bursts of filtered noise."""
    rng = random.Random(7)
    samples = [0.0] * int(RATE * 0.45)
    for card in range(12):
        start = int(RATE * (0.02 + card * 0.03))
        previous = 0.0
        for i in range(int(RATE * 0.018)):
            previous = 0.55 * previous + 0.45 * rng.uniform(-1, 1)
            samples[start + i] += previous * math.exp(-i / (RATE * 0.004))
    return samples


def election_accepted():
    """A soft rising two-note chime."""
    samples = []
    for note, start in ((880.0, 0.0), (1318.5, 0.12)):
        offset = int(RATE * start)
        for i in range(int(RATE * 0.3)):
            t = i / RATE
            value = 0.5 * math.sin(2 * math.pi * note * t) * math.exp(-t * 12)
            index = offset + i
            if index >= len(samples):
                samples.append(0.0)
            samples[index] += value
    return samples


def main():
    write_png(HERE / "texture_background.png", TILE, TILE, texture_rows())
    write_wav(HERE / "sounds" / "cards_dealt.wav", cards_dealt())
    write_wav(HERE / "sounds" / "election_accepted.wav", election_accepted())


if __name__ == "__main__":
    main()
