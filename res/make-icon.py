#!/usr/bin/env python3
"""Draws askbox's application icon (a question in a speech bubble) and writes askbox.ico."""

# Pure standard library on purpose: the icon can be redrawn on any machine with Python 3,
# and the same script always writes the same bytes, so a diff of askbox.ico means a real change.

import argparse
import math
import struct
import sys
import zlib

SIZES = (16, 32, 48)
SUPERSAMPLE = 8  # subsamples per pixel side, for smooth edges at 16 px

# Colours as (R, G, B).
BUBBLE = (0x2E, 0x7D, 0xE0)
OUTLINE = (0x14, 0x3F, 0x8A)
MARK = (0xFF, 0xFF, 0xFF)
ACCENT = (0xFF, 0xB3, 0x00)


def in_rounded_rect(x, y, left, top, right, bottom, radius):
    if x < left or x > right or y < top or y > bottom:
        return False
    cx = min(max(x, left + radius), right - radius)
    cy = min(max(y, top + radius), bottom - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius * radius


def in_triangle(x, y, a, b, c):
    def side(p, q):
        return (q[0] - p[0]) * (y - p[1]) - (q[1] - p[1]) * (x - p[0])

    s1, s2, s3 = side(a, b), side(b, c), side(c, a)
    return (s1 >= 0 and s2 >= 0 and s3 >= 0) or (s1 <= 0 and s2 <= 0 and s3 <= 0)


def bubble(x, y, grow):
    """The speech bubble's body and tail, widened by grow (used to draw the outline)."""
    body = in_rounded_rect(x, y, 0.04 - grow, 0.06 - grow, 0.96 + grow, 0.74 + grow, 0.18 + grow)
    tail = in_triangle(x, y, (0.20 - grow, 0.66), (0.48 + grow, 0.66), (0.12 - grow, 0.97 + grow))
    return body or tail


def question_mark(x, y):
    cx, cy = 0.50, 0.28
    outer, inner = 0.175, 0.085
    d = math.hypot(x - cx, y - cy)
    # The hook: the upper half of a ring plus its lower-right quarter, ending straight below
    # the centre where the stem takes over.
    if inner <= d <= outer and (y <= cy or x >= cx):
        return True
    stem_half = (outer - inner) / 2
    if abs(x - cx) <= stem_half and cy + inner <= y <= 0.53:
        return True
    return math.hypot(x - cx, y - 0.625) <= 0.062


def accent_dot(x, y):
    """A small amber light in the bubble's corner, so the icon stays distinctive at 16 px."""
    return math.hypot(x - 0.83, y - 0.19) <= 0.075


def colour_at(x, y, size):
    # Keep the outline at least one pixel wide whatever the size.
    line = max(0.045, 1.0 / size)
    if not bubble(x, y, line):
        return None
    if not bubble(x, y, 0.0):
        return OUTLINE
    if question_mark(x, y):
        return MARK
    if accent_dot(x, y):
        return ACCENT
    return BUBBLE


def render(size):
    """Returns rows top to bottom of (R, G, B, A) with coverage-weighted alpha."""
    rows = []
    n = SUPERSAMPLE
    for py in range(size):
        row = []
        for px in range(size):
            r = g = b = hits = 0
            for sy in range(n):
                for sx in range(n):
                    x = (px + (sx + 0.5) / n) / size
                    y = (py + (sy + 0.5) / n) / size
                    c = colour_at(x, y, size)
                    if c is not None:
                        r, g, b, hits = r + c[0], g + c[1], b + c[2], hits + 1
            if hits == 0:
                row.append((0, 0, 0, 0))
            else:
                row.append((round(r / hits), round(g / hits), round(b / hits),
                            round(255 * hits / (n * n))))
        rows.append(row)
    return rows


def dib(rows):
    """A 32-bit icon image: header, bottom-up BGRA pixels, then the 1-bit AND mask."""
    size = len(rows)
    pixels = bytearray()
    for row in reversed(rows):
        for r, g, b, a in row:
            pixels += bytes((b, g, r, a))
    stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        line = bytearray(stride)
        for i, (_, _, _, a) in enumerate(row):
            if a == 0:
                line[i // 8] |= 0x80 >> (i % 8)
        mask += line
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0,
                         len(pixels) + len(mask), 0, 0, 0, 0)
    return header + bytes(pixels) + bytes(mask)


def ico(images):
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for size, data in images:
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for _, data in images:
        out += data
    return bytes(out)


def png(rows):
    """A preview for people: the 48 px image scaled up, to look at without a Windows box."""
    raw = bytearray()
    for row in rows:
        raw.append(0)
        for pixel in row:
            raw += bytes(pixel)
    size = len(rows)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("-o", "--output", default="askbox.ico")
    parser.add_argument("--preview", help="also write a 192 px PNG of the icon here")
    args = parser.parse_args(argv)

    images = [(size, dib(render(size))) for size in SIZES]
    with open(args.output, "wb") as f:
        f.write(ico(images))
    if args.preview:
        with open(args.preview, "wb") as f:
            f.write(png(render(192)))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
