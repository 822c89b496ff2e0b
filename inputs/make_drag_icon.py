#!/usr/bin/env python3
"""Writes drag.ico, the pointer shown while a row of the input list is dragged.

A 32x32 icon: a white up-and-down arrow with a black outline on a transparent
ground, centred, because an icon used as a pointer points with its centre.
Run it from this folder to rewrite the committed drag.ico:  python3 make_drag_icon.py
"""
import struct
import sys

SIZE = 32
CENTRE = SIZE / 2


def in_arrow(x, y):
    cx, cy = x + 0.5, y + 0.5
    dx = abs(cx - CENTRE)
    if 1 <= cy < 10:  # upper head, apex at the top
        return dx <= (cy - 1) * 0.8
    if 10 <= cy <= 22:  # shaft
        return dx <= 2
    if 22 < cy <= 31:  # lower head, apex at the bottom
        return dx <= (31 - cy) * 0.8
    return False


def pixel(x, y):
    """BGRA of one pixel: white inside, black on the rim around it, clear elsewhere."""
    if in_arrow(x, y):
        return (255, 255, 255, 255)
    for nx in (x - 1, x, x + 1):
        for ny in (y - 1, y, y + 1):
            if 0 <= nx < SIZE and 0 <= ny < SIZE and in_arrow(nx, ny):
                return (0, 0, 0, 255)
    return (0, 0, 0, 0)


def icon_bytes():
    rows = range(SIZE - 1, -1, -1)  # bitmaps are stored bottom-up
    colour = b"".join(bytes(pixel(x, y)) for y in rows for x in range(SIZE))
    mask = bytearray()
    for y in rows:
        bits = 0
        for x in range(SIZE):
            if pixel(x, y)[3] == 0:
                bits |= 1 << (SIZE - 1 - x)
        mask += struct.pack(">I", bits)  # 32 pixels make one padded row
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 32, 0,
                         len(colour) + len(mask), 0, 0, 0, 0)
    image = header + colour + bytes(mask)
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 32, len(image), 6 + 16)
    return directory + entry + image


if __name__ == "__main__":
    target = sys.argv[1] if len(sys.argv) > 1 else "drag.ico"
    with open(target, "wb") as out:
        out.write(icon_bytes())
