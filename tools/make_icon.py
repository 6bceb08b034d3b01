#!/usr/bin/env python3
"""Writes the program icon: one 48 x 48 image, 32 bits per pixel (a green disc with a
white downward arrow), as a .ico file. Run once; the result is kept in the repository."""
import math
import struct
import sys

SIZE = 48


def pixel(x, y):
    cx = cy = (SIZE - 1) / 2
    distance = math.hypot(x - cx, y - cy)
    alpha = max(0.0, min(1.0, 22.5 - distance))
    if alpha == 0:
        return (0, 0, 0, 0)
    shaft = abs(x - cx) <= 4 and 9 <= y <= 27
    head = 26 <= y <= 38 and abs(x - cx) <= (38 - y)
    r, g, b = (255, 255, 255) if shaft or head else (26, 124, 49)
    return (b, g, r, round(alpha * 255))


def icon_bytes():
    rows = [b"".join(bytes(pixel(x, y)) for x in range(SIZE)) for y in range(SIZE)]
    xor = b"".join(reversed(rows))  # bottom-up
    and_mask = bytes(((SIZE + 31) // 32) * 4 * SIZE)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 32, 0, len(xor) + len(and_mask), 0, 0, 0, 0)
    image = header + xor + and_mask
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 32, len(image), 6 + 16)
    return directory + entry + image


if __name__ == "__main__":
    with open(sys.argv[1], "wb") as out:
        out.write(icon_bytes())
