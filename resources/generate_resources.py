#!/usr/bin/env python3
"""Regenerates the table's texture, sounds and the application icon; the
outputs are committed.

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


def write_png(path, width, height, raw_rows, colour_type=2):
    """Colour type 2 is RGB, 6 is RGBA; each row starts with its filter byte."""
    header = struct.pack(">IIBBBBB", width, height, 8, colour_type, 0, 0, 0)
    path.write_bytes(b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", header) +
                     png_chunk(b"IDAT", zlib.compress(raw_rows, 9)) +
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


# The icon: two fanned cards, the front one showing a red infinity sign, drawn
# on a 256 x 256 canvas. The SVG and the PNGs come from the same numbers.
ICON_CANVAS = 256
ICON_SIZES = (48, 128, 256)
CARD_RADIUS = 14
CARD_STROKE = 4
BACK_CARD = ((112, 136), (120, 164), -14, (47, 93, 138), (29, 61, 94))
FRONT_CARD = ((146, 122), (124, 168), 10, (251, 248, 239), (150, 150, 150))
INFINITY_HALF_WIDTH = 44
INFINITY_STROKE = 11
INFINITY_COLOUR = (214, 32, 32)


def infinity_points(steps=96):
    """A lemniscate of Bernoulli around the origin, as a closed polyline."""
    points = []
    for i in range(steps):
        t = 2 * math.pi * i / steps
        scale = INFINITY_HALF_WIDTH / (1 + math.sin(t) ** 2)
        points.append((scale * math.cos(t), scale * math.sin(t) * math.cos(t)))
    return points


def to_card(card, x, y):
    """A canvas point in the card's own frame: centred, unrotated."""
    (cx, cy), _, angle, _, _ = card
    a = math.radians(-angle)
    dx, dy = x - cx, y - cy
    return dx * math.cos(a) - dy * math.sin(a), dx * math.sin(a) + dy * math.cos(a)


def rounded_box_distance(x, y, size):
    """Signed distance to the card's outline: negative inside."""
    qx = abs(x) - (size[0] / 2 - CARD_RADIUS)
    qy = abs(y) - (size[1] / 2 - CARD_RADIUS)
    outside = math.hypot(max(qx, 0), max(qy, 0))
    return outside + min(max(qx, qy), 0) - CARD_RADIUS


def segment_distance(x, y, a, b):
    (ax, ay), (bx, by) = a, b
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(x - ax - t * dx, y - ay - t * dy)


def infinity_distance(x, y, segments):
    return min(segment_distance(x, y, a, b) for a, b in segments)


def card_colour(card, x, y):
    """The card's stroke or fill colour at the point, None off the card."""
    distance = rounded_box_distance(*to_card(card, x, y), card[1])
    if abs(distance) <= CARD_STROKE / 2:
        return card[4]
    return card[3] if distance <= 0 else None


def icon_colour(x, y, segments):
    """The topmost colour at a canvas point, None where it is transparent."""
    colour = card_colour(BACK_CARD, x, y) or None
    colour = card_colour(FRONT_CARD, x, y) or colour
    lx, ly = to_card(FRONT_CARD, x, y)
    # Only near the sign is the exact distance worth its cost.
    if abs(lx) < INFINITY_HALF_WIDTH + INFINITY_STROKE and abs(ly) < 2 * INFINITY_STROKE + 6:
        if infinity_distance(lx, ly, segments) <= INFINITY_STROKE / 2:
            colour = INFINITY_COLOUR
    return colour


def icon_rows(size, samples=4):
    """RGBA rows, each pixel the average of samples x samples points."""
    points = infinity_points()
    segments = list(zip(points, points[1:] + points[:1]))
    unit = ICON_CANVAS / size
    rows = []
    for py in range(size):
        row = bytearray([0])
        for px in range(size):
            covered, red, green, blue = 0, 0, 0, 0
            for sy in range(samples):
                for sx in range(samples):
                    colour = icon_colour((px + (sx + 0.5) / samples) * unit,
                                         (py + (sy + 0.5) / samples) * unit, segments)
                    if colour:
                        covered += 1
                        red, green, blue = red + colour[0], green + colour[1], blue + colour[2]
            if covered:
                row += bytes((red // covered, green // covered, blue // covered,
                              round(255 * covered / samples ** 2)))
            else:
                row += bytes(4)
        rows.append(bytes(row))
    return b"".join(rows)


def hex_colour(colour):
    return "#%02x%02x%02x" % colour


def svg_card(card, content=""):
    (cx, cy), (width, height), angle, fill, stroke = card
    return (f'  <g transform="translate({cx} {cy}) rotate({angle})">\n'
            f'    <rect x="{-width / 2:g}" y="{-height / 2:g}" width="{width}" height="{height}" '
            f'rx="{CARD_RADIUS}" fill="{hex_colour(fill)}" stroke="{hex_colour(stroke)}" '
            f'stroke-width="{CARD_STROKE}"/>\n{content}  </g>\n')


def icon_svg():
    path = " ".join(("M" if i == 0 else "L") + f"{x:.2f},{y:.2f}"
                    for i, (x, y) in enumerate(infinity_points())) + " Z"
    sign = (f'    <path d="{path}" fill="none" stroke="{hex_colour(INFINITY_COLOUR)}" '
            f'stroke-width="{INFINITY_STROKE}" stroke-linejoin="round"/>\n')
    return ('<svg xmlns="http://www.w3.org/2000/svg" width="256" height="256" '
            'viewBox="0 0 256 256">\n' + svg_card(BACK_CARD) + svg_card(FRONT_CARD, sign) +
            '</svg>\n')


def write_icons():
    icons = HERE / "icons"
    icons.mkdir(exist_ok=True)
    (icons / "tarvendo.svg").write_text(icon_svg())
    for size in ICON_SIZES:
        write_png(icons / f"tarvendo-{size}.png", size, size, icon_rows(size), colour_type=6)


def main():
    write_png(HERE / "texture_background.png", TILE, TILE, texture_rows())
    write_wav(HERE / "sounds" / "cards_dealt.wav", cards_dealt())
    write_wav(HERE / "sounds" / "election_accepted.wav", election_accepted())
    write_icons()


if __name__ == "__main__":
    main()
