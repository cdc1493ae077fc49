#!/usr/bin/env python3
"""Draws the program icon and the 16-pixel toolbar strip of the resource
library. Only the standard library is used; the outputs are committed, so
this runs only when the pictures change: python3 tools/make_images.py"""
import math
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "res", "images")

BLUE = (32, 96, 200)
DARK = (16, 56, 130)
WHITE = (255, 255, 255)
MAGENTA = (255, 0, 255)


def icon_pixel(x, y, n):
    """RGBA of the program icon at (x, y) on an n-by-n grid: a rounded blue
    tile with an up arrow on the left and a down arrow on the right."""
    u, v = (x + 0.5) / n, (y + 0.5) / n
    r = 0.18
    cx = min(max(u, r), 1 - r)
    cy = min(max(v, r), 1 - r)
    if math.hypot(u - cx, v - cy) > r:
        return (0, 0, 0, 0)
    shade = BLUE if v < 0.5 else DARK
    # Up arrow centred at u=0.33, down arrow at u=0.67.
    for ax, up in ((0.33, True), (0.67, False)):
        dv = v if up else 1 - v
        if 0.18 <= dv <= 0.45 and abs(u - ax) <= (dv - 0.18) * 0.75:
            return WHITE + (255,)
        if 0.45 < dv <= 0.82 and abs(u - ax) <= 0.07:
            return WHITE + (255,)
    return shade + (255,)


def lock_pixel(x, y, n):
    """The secure-connection padlock: a gold body under a grey shackle."""
    u, v = (x + 0.5) / n, (y + 0.5) / n
    if 0.2 <= u <= 0.8 and 0.45 <= v <= 0.92:
        return (230, 180, 40, 255) if not (0.45 <= u <= 0.55 and 0.6 <= v <= 0.78) else (90, 60, 0, 255)
    r = math.hypot(u - 0.5, v - 0.45)
    if v <= 0.47 and 0.2 <= r <= 0.3:
        return (120, 120, 120, 255)
    return (0, 0, 0, 0)


def ico_entry(n, pixel=icon_pixel):
    rows = []
    mask_rows = []
    for y in reversed(range(n)):
        row = b""
        bits = []
        for x in range(n):
            r, g, b, a = pixel(x, y, n)
            row += bytes((b, g, r, a))
            bits.append(0 if a else 1)
        rows.append(row)
        mask = bytearray((n + 31) // 32 * 4)
        for x, bit in enumerate(bits):
            if bit:
                mask[x // 8] |= 0x80 >> (x % 8)
        mask_rows.append(bytes(mask))
    header = struct.pack("<IiiHHIIiiII", 40, n, 2 * n, 1, 32, 0, 0, 0, 0, 0, 0)
    return header + b"".join(rows) + b"".join(mask_rows)


def write_ico(path, sizes, pixel=icon_pixel):
    images = [ico_entry(n, pixel) for n in sizes]
    out = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for n, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", n % 256, n % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(path, "wb") as f:
        f.write(out + b"".join(images))


# Toolbar glyphs, 16x16 each, drawn from simple shapes. Order matches the
# image indexes the toolbar buttons use.
def glyph(i, x, y):
    cx, cy = x - 7.5, y - 7.5
    colours = [(0, 128, 0), (192, 0, 0), (0, 96, 192), (192, 128, 0), (96, 96, 96), (128, 0, 160)]
    c = colours[i % len(colours)]
    kind = i % 6
    if kind == 0:  # disc
        return c if math.hypot(cx, cy) <= 6 else None
    if kind == 1:  # cross
        return c if abs(abs(cx) - abs(cy)) <= 1.2 and abs(cx) <= 6 else None
    if kind == 2:  # up arrow
        return c if (cy <= 0 and abs(cx) <= (cy + 7) * 0.9) or (cy > 0 and abs(cx) <= 2 and cy <= 7) else None
    if kind == 3:  # down arrow
        return c if (cy >= 0 and abs(cx) <= (7 - cy) * 0.9) or (cy < 0 and abs(cx) <= 2 and cy >= -7) else None
    if kind == 4:  # folder
        return c if (-6 <= cx <= 6 and -3 <= cy <= 6) or (-6 <= cx <= -1 and -5 <= cy < -3) else None
    return c if abs(cx) <= 5 and abs(cy) <= 6 and not (abs(cx) <= 3 and abs(cy) <= 4) else None  # page


# Status images of the progress window's rows: 0 unused, 1 error,
# 2 busy, 3 closed, 4 idle.
def status_glyph(i, x, y):
    cx, cy = x - 7.5, y - 7.5
    r = math.hypot(cx, cy)
    if i == 1:  # red disc with a white cross
        if r > 7:
            return None
        return WHITE if abs(abs(cx) - abs(cy)) <= 1.0 and r <= 5 else (200, 30, 30)
    if i == 2:  # green right arrow
        return (20, 150, 40) if (cx <= 1 and abs(cy) <= 2 and cx >= -6) or (cx > 1 and abs(cy) <= 6 - cx) else None
    if i == 3:  # grey ring
        return (128, 128, 128) if 4 <= r <= 6.5 else None
    if i == 4:  # blue dot
        return (40, 90, 200) if r <= 4 else None
    return None


def write_bitmap(path, count, draw):
    width, height = 16 * count, 16
    stride = (width * 3 + 3) & ~3
    pixels = bytearray()
    for y in reversed(range(height)):
        row = bytearray()
        for x in range(width):
            c = draw(x // 16, x % 16, y) or MAGENTA
            row += bytes((c[2], c[1], c[0]))
        row += bytes(stride - len(row))
        pixels += row
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + pixels)


if __name__ == "__main__":
    os.makedirs(OUT, exist_ok=True)
    write_ico(os.path.join(OUT, "vorto.ico"), [16, 32, 48])
    write_ico(os.path.join(OUT, "secure.ico"), [16], lock_pixel)
    write_bitmap(os.path.join(OUT, "toolbar16.bmp"), 24, glyph)
    write_bitmap(os.path.join(OUT, "status16.bmp"), 5, status_glyph)
