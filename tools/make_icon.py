#!/usr/bin/env python3
"""Draws Ventaro's application icon and writes it as a Windows .ico file.

The picture: a case fan with five swept blades inside a glowing colour ring
(the controller's lights) on a dark rounded square. Drawn procedurally with
supersampling, so no imaging library is needed.

    make_icon.py OUT.ico [SIZE ...]      default sizes 16 24 32 48 64 256
"""
import math
import struct
import sys
import zlib

BLADES = 5


def lerp(a, b, t):
    return a + (b - a) * t


def ring_colour(angle):
    # Cyan -> blue -> magenta -> back, like a light theme running round.
    stops = [(0.00, (0, 229, 255)), (0.33, (64, 96, 255)), (0.66, (236, 64, 200)), (1.00, (0, 229, 255))]
    t = (angle / (2 * math.pi)) % 1.0
    for (t0, c0), (t1, c1) in zip(stops, stops[1:]):
        if t <= t1:
            f = (t - t0) / (t1 - t0)
            return tuple(lerp(c0[i], c1[i], f) for i in range(3))
    return stops[-1][1]


def sample(x, y):
    """Colour (r, g, b, a) at a point of the square [-1, 1] x [-1, 1]."""
    # Rounded square background.
    half, radius = 0.96, 0.34
    qx, qy = max(abs(x) - (half - radius), 0.0), max(abs(y) - (half - radius), 0.0)
    if math.hypot(qx, qy) > radius:
        return (0, 0, 0, 0)
    shade = (y + 1) / 2
    colour = (lerp(40, 14, shade), lerp(46, 17, shade), lerp(66, 28, shade))
    r = math.hypot(x, y)
    angle = math.atan2(y, x)
    if 0.70 <= r <= 0.82:
        glow = 1.0 - abs(r - 0.76) / 0.06
        ring = ring_colour(angle)
        colour = tuple(lerp(colour[i], ring[i], 0.55 + 0.45 * glow) for i in range(3))
    elif 0.18 <= r <= 0.64:
        # Blades sweep backwards as they leave the hub.
        sector = 2 * math.pi / BLADES
        offset = (angle - 1.4 * r) % sector
        width = sector * (0.30 + 0.28 * (r - 0.18) / 0.46)
        if offset < width:
            edge = offset / width
            colour = (lerp(235, 170, edge), lerp(242, 190, edge), 255)
    elif r < 0.18:
        colour = (120, 138, 180) if r > 0.08 else (0, 229, 255)
    return (colour[0], colour[1], colour[2], 255)


def render(size, grid=4):
    pixels = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(grid):
                for sx in range(grid):
                    x = ((px + (sx + 0.5) / grid) / size) * 2 - 1
                    y = ((py + (sy + 0.5) / grid) / size) * 2 - 1
                    c = sample(x, y)
                    a = c[3] / 255.0
                    acc[0] += c[0] * a
                    acc[1] += c[1] * a
                    acc[2] += c[2] * a
                    acc[3] += a
            n = grid * grid
            alpha = acc[3] / n
            if alpha > 0:
                rgb = [min(255, int(round(acc[i] / acc[3]))) for i in range(3)]
            else:
                rgb = [0, 0, 0]
            row.append((rgb[0], rgb[1], rgb[2], int(round(alpha * 255))))
        pixels.append(row)
    return pixels


def dib(pixels):
    size = len(pixels)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = bytearray()
    for row in reversed(pixels):  # bottom-up
        for r, g, b, a in row:
            colour += bytes((b, g, r, a))
    stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(pixels):
        bits = bytearray(stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + bytes(colour) + bytes(mask)


def png(pixels):
    size = len(pixels)
    raw = bytearray()
    for row in pixels:
        raw.append(0)
        for r, g, b, a in row:
            raw += bytes((r, g, b, a))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    ihdr = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b"")


def write_ico(path, sizes):
    images = []
    for size in sizes:
        pixels = render(size, grid=4 if size <= 64 else 2)
        images.append((size, png(pixels) if size >= 256 else dib(pixels)))
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for size, data in images:
        dim = 0 if size >= 256 else size
        out += struct.pack("<BBBBHHII", dim, dim, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for _, data in images:
        out += data
    with open(path, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    sizes = [int(s) for s in sys.argv[2:]] or [16, 24, 32, 48, 64, 256]
    write_ico(sys.argv[1], sizes)
