#!/usr/bin/env python3
"""Draws the application icon: writes data/icons/korvo-<size>.png for the window and the
desktop menu. A PLC module (grey housing, status LEDs, terminal row) with "IL" on its front.
Standard library only; shapes are supersampled 4x for smooth edges.

Run from anywhere: python3 scripts/make_icon.py
"""
import os
import struct
import zlib

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data", "icons")
SIZES = (16, 32, 48, 64, 128, 256)
SS = 4  # supersampling factor


def rounded(x, y, x0, y0, x1, y1, r):
    """True when (x, y) lies in the rectangle [x0,x1)x[y0,y1) with corner radius r."""
    if not (x0 <= x < x1 and y0 <= y < y1):
        return False
    cx = min(max(x, x0 + r), x1 - r)
    cy = min(max(y, y0 + r), y1 - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def shapes():
    """Back to front: (test(x, y) on a 0..1 square, RGB)."""
    s = []
    s.append((lambda x, y: rounded(x, y, 0.04, 0.04, 0.96, 0.96, 0.16), (32, 64, 112)))   # tile
    s.append((lambda x, y: rounded(x, y, 0.18, 0.14, 0.82, 0.88, 0.05), (206, 210, 216)))  # housing
    s.append((lambda x, y: rounded(x, y, 0.18, 0.14, 0.82, 0.26, 0.04), (150, 156, 166)))  # top rail
    for i, col in enumerate(((60, 200, 80), (60, 200, 80), (230, 60, 50), (240, 190, 40))):
        cx = 0.29 + i * 0.14
        s.append((lambda x, y, cx=cx: (x - cx) ** 2 + (y - 0.20) ** 2 <= 0.035 ** 2, col))  # LEDs
    dark = (28, 44, 80)
    # "I"
    s.append((lambda x, y: 0.30 <= x < 0.46 and 0.36 <= y < 0.43, dark))
    s.append((lambda x, y: 0.345 <= x < 0.415 and 0.36 <= y < 0.72, dark))
    s.append((lambda x, y: 0.30 <= x < 0.46 and 0.65 <= y < 0.72, dark))
    # "L"
    s.append((lambda x, y: 0.52 <= x < 0.59 and 0.36 <= y < 0.72, dark))
    s.append((lambda x, y: 0.52 <= x < 0.72 and 0.65 <= y < 0.72, dark))
    # terminal row
    for i in range(5):
        x0 = 0.24 + i * 0.11
        s.append((lambda x, y, x0=x0: x0 <= x < x0 + 0.07 and 0.78 <= y < 0.84, (90, 96, 106)))
    return s


def render(size):
    sh = shapes()
    n = size * SS
    rows = []
    for py in range(size):
        row = bytearray()
        for px in range(size):
            acc = [0, 0, 0, 0]
            for sy in range(SS):
                for sx in range(SS):
                    x = (px * SS + sx + 0.5) / n
                    y = (py * SS + sy + 0.5) / n
                    col = None
                    for test, c in sh:
                        if test(x, y):
                            col = c
                    if col is not None:
                        acc[0] += col[0]
                        acc[1] += col[1]
                        acc[2] += col[2]
                        acc[3] += 1
            k = acc[3]
            if k:
                row += bytes((acc[0] // k, acc[1] // k, acc[2] // k, k * 255 // (SS * SS)))
            else:
                row += b"\0\0\0\0"
        rows.append(bytes(row))
    return rows


def png(size, rows):
    def chunk(tag, data):
        return struct.pack(">I", len(data)) + tag + data + struct.pack(">I", zlib.crc32(tag + data))

    raw = b"".join(b"\0" + r for r in rows)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def main():
    os.makedirs(OUT, exist_ok=True)
    for size in SIZES:
        with open(os.path.join(OUT, "korvo-%d.png" % size), "wb") as f:
            f.write(png(size, render(size)))


if __name__ == "__main__":
    main()
