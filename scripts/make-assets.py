#!/usr/bin/env python3
"""Writes the program's own pictures: the hand pointer HAND-M.CUR and the window icon
tabrivel.ico, 32 x 32 with an alpha channel, into app/assets/; and the menu icon for
the desktop's icon theme into packaging/icons/hicolor/: the same drawing as a scalable
SVG and as PNGs of every size the theme asks for; and the macOS bundle's icon
packaging/macos/tabrivel.icns: all drawn from the one shape list.

Run it again after changing a picture; the outputs are committed so that a build needs
no Python. Only the standard library is used.
"""
import os
import struct
import sys
import zlib

HAND = [
    "      XX        ",
    "     XooX       ",
    "     XooX       ",
    "     XooX       ",
    "     XooX       ",
    "     XooXXX     ",
    "     XooXooXXX  ",
    "     XooXooXooXX",
    " XX  XooXooXooXoX",
    "XooX XooXooXooXoX",
    "XoooXXoooooooooX",
    " XoooXooooooooooX",
    "  XooXoooooooooX",
    "  XooooooooooooX",
    "   XoooooooooooX",
    "   XooooooooooX",
    "    XoooooooooX",
    "    XoooooooooX",
    "     XooooooooX",
    "     XXXXXXXXXX",
]
HAND_HOTSPOT = (6, 0)  # the tip of the raised finger
HAND_OFFSET = (2, 2)  # where the drawing sits inside the 32 x 32 picture

BLACK = (0, 0, 0, 255)
WHITE = (255, 255, 255, 255)
CLEAR = (0, 0, 0, 0)


def hand_pixels():
    pixels = [[CLEAR] * 32 for _ in range(32)]
    ox, oy = HAND_OFFSET
    for y, row in enumerate(HAND):
        for x, ch in enumerate(row):
            if ch == "X":
                pixels[oy + y][ox + x] = BLACK
            elif ch == "o":
                pixels[oy + y][ox + x] = WHITE
    return pixels


def icon_pixels():
    """A small table: dark frame, blue heading row, ruled rows, and an orange arrow."""
    frame, heading, paper, rule = (32, 48, 96, 255), (52, 101, 164, 255), WHITE, (170, 180, 200, 255)
    arrow = (230, 120, 20, 255)
    pixels = [[CLEAR] * 32 for _ in range(32)]
    for y in range(3, 27):
        for x in range(2, 26):
            edge = x in (2, 25) or y in (3, 26)
            if edge:
                pixels[y][x] = frame
            elif y < 9:
                pixels[y][x] = heading
            elif (y - 9) % 4 == 3 or x == 11:
                pixels[y][x] = rule
            else:
                pixels[y][x] = paper
    for y in range(16, 31):  # arrow pointing right, bottom right
        half = 7 - abs(y - 23)
        for x in range(20, 31):
            shaft = 21 <= y <= 25 and x < 25
            head = 25 <= x <= 25 + half
            if shaft or head:
                pixels[y][x] = arrow
    return pixels


# The menu icon's drawing on a 32 x 32 grid: (colour, polygon) in painting order.
FRAME, HEADING, RULE, ARROW = (32, 48, 96, 255), (52, 101, 164, 255), (170, 180, 200, 255), \
    (230, 120, 20, 255)


def rect(x0, y0, x1, y1):
    return [(x0, y0), (x1, y0), (x1, y1), (x0, y1)]


SHAPES = [
    (FRAME, rect(2, 3, 26, 27)),
    (WHITE, rect(3, 4, 25, 26)),
    (HEADING, rect(3, 4, 25, 9)),
    (RULE, rect(11, 9, 12, 26)),
] + [(RULE, rect(3, y, 25, y + 1)) for y in (12, 16, 20, 24)] + [
    (ARROW, rect(20, 21, 25.5, 26)),
    (ARROW, [(25, 16), (32, 23.5), (25, 31)]),
]
THEME_SIZES = (16, 24, 32, 48, 64, 128, 256)


def inside(polygon, x, y):
    """Even-odd rule: does the point lie inside the polygon?"""
    hit = False
    for (x0, y0), (x1, y1) in zip(polygon, polygon[1:] + polygon[:1]):
        if (y0 > y) != (y1 > y) and x < x0 + (y - y0) * (x1 - x0) / (y1 - y0):
            hit = not hit
    return hit


def rendered_icon(size, samples=4):
    """The drawing at size x size pixels, each pixel the mean of samples^2 points."""
    scale = 32.0 / size
    pixels = []
    for py in range(size):
        row = []
        for px in range(size):
            total = [0, 0, 0, 0]
            for sy in range(samples):
                for sx in range(samples):
                    x = (px + (sx + 0.5) / samples) * scale
                    y = (py + (sy + 0.5) / samples) * scale
                    colour = CLEAR
                    for fill, polygon in SHAPES:
                        if inside(polygon, x, y):
                            colour = fill
                    alpha = colour[3]
                    for k in range(3):
                        total[k] += colour[k] * alpha
                    total[3] += alpha
            count = samples * samples
            alpha = total[3]
            row.append(tuple(round(total[k] / alpha) if alpha else 0 for k in range(3)) +
                       (round(alpha / count),))
        pixels.append(row)
    return pixels


def svg_file():
    body = []
    for (r, g, b, _), polygon in SHAPES:
        points = " ".join("%g,%g" % point for point in polygon)
        body.append('  <polygon fill="#%02x%02x%02x" points="%s"/>' % (r, g, b, points))
    return ('<svg xmlns="http://www.w3.org/2000/svg" width="32" height="32" '
            'viewBox="0 0 32 32">\n' + "\n".join(body) + "\n</svg>\n")


def dib(pixels):
    """A 32-bit bottom-up bitmap followed by its one-bit AND mask, as .ico/.cur hold them."""
    size = len(pixels)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = b"".join(
        bytes((b, g, r, a)) for row in reversed(pixels) for (r, g, b, a) in row
    )
    mask_row_bytes = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(pixels):
        bits = bytearray(mask_row_bytes)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + colour + bytes(mask)


def icon_file(pixels, kind, hotspot=(0, 0)):
    """kind 1 = icon, 2 = cursor (whose planes/bit-count fields carry the hotspot)."""
    image = dib(pixels)
    size = len(pixels)
    if kind == 1:
        field1, field2 = 1, 32
    else:
        field1, field2 = hotspot
    directory = struct.pack("<HHH", 0, kind, 1)
    entry = struct.pack("<BBBBHHII", size, size, 0, 0, field1, field2, len(image), 6 + 16)
    return directory + entry + image


def png_file(pixels):
    """An 8-bit RGBA PNG, unfiltered, as the desktop's icon themes read it."""
    size = len(pixels)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    raw = b"".join(b"\x00" + b"".join(bytes(p) for p in row) for row in pixels)
    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


# The macOS bundle's icon: each size as a PNG, under the type codes Finder reads (the
# second group is the Retina form of the size half as large).
ICNS_TYPES = [(b"icp4", 16), (b"icp5", 32), (b"icp6", 64), (b"ic07", 128), (b"ic08", 256),
              (b"ic09", 512), (b"ic11", 32), (b"ic12", 64), (b"ic13", 256), (b"ic14", 512)]


def icns_file():
    """An Apple icon family (.icns) of the drawing, as a bundle's Resources hold it."""
    pngs = {}
    entries = b""
    for kind, size in ICNS_TYPES:
        if size not in pngs:
            pngs[size] = png_file(rendered_icon(size, 2 if size > 128 else 4))
        entries += kind + struct.pack(">I", 8 + len(pngs[size])) + pngs[size]
    return b"icns" + struct.pack(">I", 8 + len(entries)) + entries


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    out = os.path.join(root, "app", "assets")
    os.makedirs(out, exist_ok=True)
    hot = (HAND_HOTSPOT[0] + HAND_OFFSET[0], HAND_HOTSPOT[1] + HAND_OFFSET[1])
    with open(os.path.join(out, "HAND-M.CUR"), "wb") as f:
        f.write(icon_file(hand_pixels(), 2, hot))
    with open(os.path.join(out, "tabrivel.ico"), "wb") as f:
        f.write(icon_file(icon_pixels(), 1))
    theme = os.path.join(root, "packaging", "icons", "hicolor")
    scalable = os.path.join(theme, "scalable", "apps")
    os.makedirs(scalable, exist_ok=True)
    with open(os.path.join(scalable, "tabrivel.svg"), "w") as f:
        f.write(svg_file())
    for size in THEME_SIZES:
        folder = os.path.join(theme, "%dx%d" % (size, size), "apps")
        os.makedirs(folder, exist_ok=True)
        with open(os.path.join(folder, "tabrivel.png"), "wb") as f:
            f.write(png_file(rendered_icon(size)))
    bundle = os.path.join(root, "packaging", "macos")
    os.makedirs(bundle, exist_ok=True)
    with open(os.path.join(bundle, "tabrivel.icns"), "wb") as f:
        f.write(icns_file())
    return 0


if __name__ == "__main__":
    sys.exit(main())
