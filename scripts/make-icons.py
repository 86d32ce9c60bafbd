#!/usr/bin/env python3
"""Draws the program's icons and writes them as .ico files under ui/icons/.

courierfix.ico: an envelope with a wrench, in eight images (32x32 and 16x16 in 16 colours;
48x48, 32x32 and 16x16 in 256 colours and in 32-bit colour). about.ico: the envelope with a
check mark, one 16x16 image in 256 colours. The pictures are drawn from simple shapes in unit
coordinates, so every size comes from the same drawing. Standard library only; the build uses
the committed .ico files and does not need Python.
"""

import math
import os
import struct
import sys

PAPER = (250, 248, 236)
INK = (24, 52, 120)
STEEL = (150, 158, 170)
STEEL_EDGE = (48, 52, 60)
BADGE = (30, 140, 60)
BADGE_EDGE = (14, 80, 30)
WHITE = (255, 255, 255)

# The 16 colours of the classic Windows palette.
VGA16 = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]


def palette256():
    """The 16 classic colours, our own colours, then a colour cube and greys up to 256."""
    colours = list(VGA16)
    for own in (PAPER, INK, STEEL, STEEL_EDGE, BADGE, BADGE_EDGE):
        if own not in colours:
            colours.append(own)
    for r in range(6):
        for g in range(6):
            for b in range(6):
                if len(colours) < 256:
                    colours.append((r * 51, g * 51, b * 51))
    grey = 8
    while len(colours) < 256:
        colours.append((grey, grey, grey))
        grey += 10
    return colours[:256]


def segment_distance(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)
    t = max(0.0, min(1.0, t))
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy))


class Envelope:
    left, top, right, bottom = 0.04, 0.18, 0.96, 0.80

    def colour(self, x, y, edge, line):
        if not (self.left <= x <= self.right and self.top <= y <= self.bottom):
            return None
        if (x - self.left < edge or self.right - x < edge or y - self.top < edge
                or self.bottom - y < edge):
            return INK
        middle = (0.5, 0.54)
        if (segment_distance(x, y, self.left, self.top, *middle) < line
                or segment_distance(x, y, self.right, self.top, *middle) < line):
            return INK
        return PAPER


class Wrench:
    head = (0.58, 0.58)
    radius = 0.17
    end = (0.94, 0.94)
    half_width = 0.07

    def distance(self, x, y):
        hx, hy = self.head
        # The jaw opens away from the handle.
        jaw = (hx - 0.12, hy - 0.12)
        head = max(math.hypot(x - hx, y - hy) - self.radius,
                   0.10 - math.hypot(x - jaw[0], y - jaw[1]))
        handle = segment_distance(x, y, hx, hy, *self.end) - self.half_width
        return min(head, handle)

    def colour(self, x, y, edge, line):
        d = self.distance(x, y)
        if d < 0:
            return STEEL
        if d < edge:
            return STEEL_EDGE
        return None


class CheckBadge:
    centre = (0.70, 0.70)
    radius = 0.28

    def colour(self, x, y, edge, line):
        d = math.hypot(x - self.centre[0], y - self.centre[1]) - self.radius
        if d >= edge:
            return None
        if d >= 0:
            return BADGE_EDGE
        stroke = max(line * 1.6, 0.06)
        if (segment_distance(x, y, 0.56, 0.70, 0.66, 0.81) < stroke
                or segment_distance(x, y, 0.66, 0.81, 0.84, 0.58) < stroke):
            return WHITE
        return BADGE


def sample(shapes, x, y, size):
    edge = max(1.0 / size, 0.045)
    line = max(0.55 / size, 0.025)
    for shape in reversed(shapes):  # the last shape lies on top
        colour = shape.colour(x, y, edge, line)
        if colour is not None:
            return colour
    return None


def render(shapes, size, samples):
    """Rows of (r, g, b, a), top row first; samples x samples points per pixel."""
    rows = []
    for row in range(size):
        pixels = []
        for column in range(size):
            r = g = b = covered = 0
            for sy in range(samples):
                for sx in range(samples):
                    x = (column + (sx + 0.5) / samples) / size
                    y = (row + (sy + 0.5) / samples) / size
                    colour = sample(shapes, x, y, size)
                    if colour is not None:
                        r += colour[0]
                        g += colour[1]
                        b += colour[2]
                        covered += 1
            if covered:
                pixels.append((r // covered, g // covered, b // covered,
                               255 * covered // (samples * samples)))
            else:
                pixels.append((0, 0, 0, 0))
        rows.append(pixels)
    return rows


def nearest(palette, colour):
    return min(range(len(palette)),
               key=lambda i: sum((palette[i][k] - colour[k]) ** 2 for k in range(3)))


def padded(row_bytes):
    return row_bytes + b"\0" * (-len(row_bytes) % 4)


def and_mask(rows):
    size = len(rows)
    out = b""
    for pixels in reversed(rows):
        bits = bytearray((size + 7) // 8)
        for column, pixel in enumerate(pixels):
            if pixel[3] < 128:
                bits[column // 8] |= 0x80 >> (column % 8)
        out += padded(bytes(bits))
    return out


def dib(rows, bits):
    """The image as an icon DIB: header, palette, colour bitmap and transparency mask."""
    size = len(rows)
    palette = VGA16 if bits == 4 else palette256() if bits == 8 else []
    colour = b""
    for pixels in reversed(rows):  # DIBs are stored bottom row first
        if bits == 32:
            line = b"".join(struct.pack("BBBB", p[2], p[1], p[0], p[3]) for p in pixels)
        else:
            indexes = [nearest(palette, p) if p[3] >= 128 else 0 for p in pixels]
            if bits == 4:
                line = bytes((indexes[i] << 4) | indexes[i + 1] for i in range(0, size, 2))
            else:
                line = bytes(indexes)
        colour += padded(line)
    mask = and_mask(rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bits, 0,
                         len(colour) + len(mask), 0, 0, 0, 0)
    table = b"".join(struct.pack("BBBB", c[2], c[1], c[0], 0) for c in palette)
    return header + table + colour + mask


def write_icon(path, shapes, formats):
    images = []
    for size, bits in formats:
        rows = render(shapes, size, 4 if bits == 32 else 1)
        images.append((size, bits, dib(rows, bits)))
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = len(directory) + 16 * len(images)
    entries = b""
    for size, bits, data in images:
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, 16 if bits == 4 else 0, 0,
                               1, bits, len(data), offset)
        offset += len(data)
    with open(path, "wb") as out:
        out.write(directory + entries + b"".join(data for _, _, data in images))


def main():
    folder = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "ui", "icons")
    os.makedirs(folder, exist_ok=True)
    write_icon(os.path.join(folder, "courierfix.ico"), [Envelope(), Wrench()],
               [(32, 4), (16, 4), (48, 8), (32, 8), (16, 8), (48, 32), (32, 32), (16, 32)])
    write_icon(os.path.join(folder, "about.ico"), [Envelope(), CheckBadge()], [(16, 8)])
    return 0


if __name__ == "__main__":
    sys.exit(main())
