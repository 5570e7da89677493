#!/usr/bin/env python3
"""Draws the stub program's icon: a rounded accent square with a light
"play" triangle, so a game-mode tile or shortcut made from a stub shows a
recognisable picture.   make_stub_icon.py OUT.ico SIZE...   (32-bit BMP images)"""
import struct
import sys


def pixel(x, y, n):
    # Coordinates in 0..1 at the pixel centre, 4x4 supersampled.
    acc = [0.0, 0.0, 0.0, 0.0]
    for sy in range(4):
        for sx in range(4):
            u = (x + (sx + 0.5) / 4) / n
            v = (y + (sy + 0.5) / 4) / n
            r = 0.18
            dx = max(abs(u - 0.5) - (0.5 - r - 0.04), 0)
            dy = max(abs(v - 0.5) - (0.5 - r - 0.04), 0)
            if dx * dx + dy * dy > r * r:
                continue
            # The triangle: points (0.38,0.28), (0.38,0.72), (0.74,0.5).
            inside = u >= 0.38 and abs(v - 0.5) <= (0.74 - u) * (0.22 / 0.36)
            c = (0xF2, 0xEC, 0xE8) if inside else (0xFF, 0x6A, 0x00)
            acc[0] += c[0]
            acc[1] += c[1]
            acc[2] += c[2]
            acc[3] += 255
    if acc[3] == 0:
        return (0, 0, 0, 0)
    k = acc[3] / 255
    return (int(acc[0] / k), int(acc[1] / k), int(acc[2] / k), int(acc[3] / 16))


def image(n):
    rows = []
    for y in range(n - 1, -1, -1):  # bottom-up
        row = b""
        for x in range(n):
            r, g, b, a = pixel(x, y, n)
            row += struct.pack("BBBB", b, g, r, a)
        rows.append(row)
    mask_row = ((n + 31) // 32) * 4
    header = struct.pack("<IiiHHIIiiII", 40, n, 2 * n, 1, 32, 0, 0, 0, 0, 0, 0)
    return header + b"".join(rows) + b"\0" * (mask_row * n)


def main():
    out, sizes = sys.argv[1], [int(s) for s in sys.argv[2:]] or [16, 32, 48, 64]
    images = [image(n) for n in sizes]
    data = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for n, img in zip(sizes, images):
        data += struct.pack("<BBBBHHII", n % 256, n % 256, 0, 0, 1, 32, len(img), offset)
        offset += len(img)
    with open(out, "wb") as f:
        f.write(data + b"".join(images))


if __name__ == "__main__":
    main()
