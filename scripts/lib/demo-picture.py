#!/usr/bin/env python3
"""Writes the demo's remote picture: a 24-bit BMP of a rocket-like launcher
badge, W x H pixels, drawn from a few shapes so that no file is shipped."""

import struct
import sys


def pixel(x, y, w, h):
    cx, cy = w / 2, h / 2
    dx, dy = (x - cx) / w, (y - cy) / h
    if dx * dx + dy * dy > 0.23:          # outside the disc: sky gradient
        t = y / h
        return (int(40 + 80 * t), int(90 + 100 * t), 200)
    if abs(dx) < 0.08 and -0.3 < dy < 0.2:  # body
        return (235, 235, 240)
    if -0.38 < dy <= -0.3 and abs(dx) < dy + 0.38:
        return (220, 40, 40)              # nose
    if 0.1 < dy < 0.28 and abs(dx) < 0.16 - (0.28 - dy) * 0.4:
        return (220, 40, 40)              # fins
    if 0.2 <= dy < 0.36 and abs(dx) < 0.05:
        return (255, 170, 0)              # flame
    return (250, 210, 80)                 # the disc


def main():
    path, w, h = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
    row = (w * 3 + 3) & ~3
    data = bytearray()
    for y in range(h - 1, -1, -1):        # bottom-up rows
        line = bytearray()
        for x in range(w):
            r, g, b = pixel(x, y, w, h)
            line += bytes((b, g, r))
        data += line + bytes(row - len(line))
    header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(data), 3780, 3780, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + data)


if __name__ == "__main__":
    main()
