#!/usr/bin/env python3
"""Draws the pictures of the resource library: the program icon, the
secure-connection icon, the progress window's status images and the
toolbar button strips (16 and 24 pixels; 24-bit, 256 and 16 colours;
normal, hot and disabled). Only the standard library is used; the outputs
are committed, so this runs only when the pictures change:
python3 tools/make_images.py"""
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


# ---------------------------------------------------------------------------
# Toolbar button strips.
#
# Every glyph is a short list of filled outlines (polygons, given in a
# 16-unit design grid and scaled to 16 or 24 pixels). A shape with a line
# colour is drawn twice: once whole in the line colour, then shrunk by one
# pixel in its fill, which leaves a crisp one-pixel rim. Rectangles snap to
# whole pixels so that straight rims stay sharp at both sizes; round and
# slanted edges are smoothed by coverage: each pixel row is sampled SS times
# vertically and the horizontal coverage of each span is exact.
#
# Small details of the 16-pixel glyphs (gear, sparkle, ticks, pencils) are
# drawn pixel by pixel instead, as smoothing would blur them.
#
# The strips are keyed on magenta. A pixel covered by the glyph for KEEP or
# more is blended against the toolbar face colour, anything less becomes
# magenta, so no pink fringe shows whatever the face is. The 16-colour
# strips are drawn again without smoothing or blends, in the flat colour
# each paint names; their disabled state is the embossed grey of old.

TB_GLYPHS = ("connect", "disconnect", "up", "sync", "sites", "mode_auto",
             "refresh", "delete", "upload", "download", "new_folder",
             "mode_text", "properties", "new_file", "back", "forward",
             "rename", "mode_binary", "tool", "editor")
SS = 8
FACE = (238, 236, 228)
KEEP = 0.45  # least coverage for a pixel to be part of the glyph

VGA = ((0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
       (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
       (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
       (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255))
V_BLACK, V_MAROON, V_GREEN, V_OLIVE, V_NAVY, V_PURPLE, V_TEAL, V_SILVER, \
    V_GREY, V_RED, V_LIME, V_YELLOW, V_BLUE, V_MAGENTA, V_CYAN, V_WHITE = VGA
# In 16 colours the hot state lights up the fills of a glyph.
VGA_HOT = {V_MAROON: V_RED, V_GREEN: V_LIME, V_OLIVE: V_YELLOW,
           V_NAVY: V_BLUE, V_TEAL: V_CYAN, V_GREY: V_SILVER,
           V_SILVER: V_WHITE}


def _mix(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def _nearest(c, palette):
    return min(palette, key=lambda p: sum((p[i] - c[i]) ** 2 for i in range(3)))


class Paint:
    """A flat colour, or a blend from c0 at p0 to c1 at p1 (linear, or
    radial around p0), plus the flat colour used in 16 colours."""

    def __init__(self, c0, c1=None, p0=(0, 0), p1=(0, 1), radial=False, vga=None):
        self.c0, self.c1, self.p0, self.p1, self.radial = c0, c1, p0, p1, radial
        mid = c0 if c1 is None else _mix(c0, c1, 0.5)
        self.vga = vga or _nearest(mid, [v for v in VGA if v != V_MAGENTA])

    def at(self, x, y):
        if self.c1 is None:
            return self.c0
        (x0, y0), (x1, y1) = self.p0, self.p1
        dx, dy = x1 - x0, y1 - y0
        if self.radial:
            t = math.hypot(x - x0, y - y0) / math.hypot(dx, dy)
        else:
            t = ((x - x0) * dx + (y - y0) * dy) / (dx * dx + dy * dy)
        return _mix(self.c0, self.c1, min(max(t, 0.0), 1.0))


def _area(c):
    return sum(c[i - 1][0] * c[i][1] - c[i][0] * c[i - 1][1] for i in range(len(c))) / 2


def _inset(contours, d):
    """Moves every edge d pixels into the filled side (holes run the other
    way round, so they widen) and joins the moved edges at their crossings."""
    main = max(contours, key=lambda c: abs(_area(c)))
    sign = 1 if _area(main) > 0 else -1
    out = []
    for c in contours:
        lines = []
        m = len(c)
        for i in range(m):
            (x0, y0), (x1, y1) = c[i], c[(i + 1) % m]
            dx, dy = x1 - x0, y1 - y0
            length = math.hypot(dx, dy)
            if length < 1e-9:
                continue
            nx, ny = -dy / length * sign, dx / length * sign
            lines.append((x0 + nx * d, y0 + ny * d, dx, dy))
        pts = []
        for i in range(len(lines)):
            ax, ay, adx, ady = lines[i - 1]
            bx, by, bdx, bdy = lines[i]
            den = adx * bdy - ady * bdx
            if abs(den) < 1e-6 * math.hypot(adx, ady) * math.hypot(bdx, bdy):
                pts.append((bx, by))
            else:
                t = ((bx - ax) * bdy - (by - ay) * bdx) / den
                pts.append((ax + t * adx, ay + t * ady))
        out.append(pts)
    return out


def _coverage(contours, n):
    """Fraction of each pixel covered (non-zero rule), as {index: cover}."""
    edges = []
    for c in contours:
        for i in range(len(c)):
            (x0, y0), (x1, y1) = c[i - 1], c[i]
            if y0 != y1:
                edges.append((x0, y0, x1, y1, 1 if y1 > y0 else -1))
    cov = {}
    if not edges:
        return cov
    top = max(0, int(math.floor(min(min(e[1], e[3]) for e in edges))))
    bottom = min(n, int(math.ceil(max(max(e[1], e[3]) for e in edges))))
    w = 1.0 / SS
    for sy in range(top * SS, bottom * SS):
        y = (sy + 0.5) * w
        xs = []
        for x0, y0, x1, y1, d in edges:
            if y0 <= y < y1 or y1 <= y < y0:
                xs.append((x0 + (y - y0) * (x1 - x0) / (y1 - y0), d))
        xs.sort()
        row = (sy // SS) * n
        wind = 0
        start = 0.0
        for x, d in xs:
            before = wind
            wind += d
            if before == 0 and wind != 0:
                start = x
            elif before != 0 and wind == 0:
                a, b = max(start, 0.0), min(x, float(n))
                px = int(a)
                while px < b:
                    part = min(b, px + 1) - max(a, px)
                    if part > 0:
                        cov[row + px] = cov.get(row + px, 0.0) + part * w
                    px += 1
    return cov


class Glyph:
    """Collects the shapes of one glyph at n pixels; coordinates passed in
    are in the 16-unit design grid unless a method says pixels."""

    def __init__(self, n):
        self.n, self.k = n, n / 16.0
        self.ops = []

    # Coordinates.
    def snap(self, v):
        return math.floor(v * self.k + 0.5)

    def pt(self, p, snap=True):
        if snap:
            return (self.snap(p[0]), self.snap(p[1]))
        return (p[0] * self.k, p[1] * self.k)

    def poly(self, pts, snap=True):
        return [self.pt(p, snap) for p in pts]

    def rect(self, x0, y0, x1, y1):
        return self.poly([(x0, y0), (x1, y0), (x1, y1), (x0, y1)])

    def ellipse(self, cx, cy, rx, ry=None, a0=0.0, a1=360.0, steps=72):
        ry = rx if ry is None else ry
        count = max(3, int(steps * abs(a1 - a0) / 360))
        pts = []
        for i in range(count + (0 if a1 - a0 >= 360 else 1)):
            a = math.radians(a0 + (a1 - a0) * i / count)
            pts.append(((cx + rx * math.cos(a)) * self.k, (cy + ry * math.sin(a)) * self.k))
        return pts

    def local(self, pts, ox, oy, angle):
        """Points given along an axis turned by angle degrees (clockwise on
        screen) about (ox, oy)."""
        a = math.radians(angle)
        ca, sa = math.cos(a), math.sin(a)
        return [((ox + x * ca - y * sa) * self.k, (oy + x * sa + y * ca) * self.k) for x, y in pts]

    # Paints, with their ends in design units.
    def lin(self, c0, c1, p0, p1, vga=None):
        return Paint(c0, c1, self.pt(p0, False), self.pt(p1, False), vga=vga)

    def rad(self, c0, c1, centre, radius, vga=None):
        cx, cy = self.pt(centre, False)
        return Paint(c0, c1, (cx, cy), (cx + radius * self.k, cy), True, vga)

    # Drawing.
    def fill(self, contours, paint, line=None, width=1.0):
        if contours and isinstance(contours[0], tuple):
            contours = [contours]
        if line is not None:
            self.ops.append((contours, line, True))
            contours = _inset(contours, width)
        self.ops.append((contours, paint, False))

    def pixels(self, rows, x, y, paint):
        """A little bitmap ('#' set) with its top left at pixel (x, y)."""
        contours = []
        for j, row in enumerate(rows):
            i = 0
            while i < len(row):
                if row[i] == "#":
                    e = i
                    while e < len(row) and row[e] == "#":
                        e += 1
                    contours.append([(x + i, y + j), (x + e, y + j), (x + e, y + j + 1), (x + i, y + j + 1)])
                    i = e
                else:
                    i += 1
        self.ops.append((contours, paint, False))

    def art(self, rows, x, y, paints):
        """A little drawing in several colours, one character per pixel.
        '#' pixels take paints['o'] where they border the outside and
        paints['#'] within; other characters take their own paint."""
        mask = set((i, j) for j, row in enumerate(rows) for i, ch in enumerate(row) if ch != ".")

        def edge(i, j):
            return any((i + a, j + b) not in mask for a, b in ((1, 0), (-1, 0), (0, 1), (0, -1)))

        for ch, paint in paints.items():
            if ch == "o":
                continue
            pick = []
            for j, row in enumerate(rows):
                line = ""
                for i, c in enumerate(row):
                    if ch == "#":
                        hit = c == "#" and not ("o" in paints and edge(i, j))
                    else:
                        hit = c == ch
                    line += "#" if hit else "."
                pick.append(line)
            self.pixels(pick, x, y, paint)
        if "o" in paints:
            self.pixels(["".join("#" if c == "#" and edge(i, j) else "." for i, c in enumerate(row))
                         for j, row in enumerate(rows)], x, y, paints["o"])

    def pxrect(self, x0, y0, x1, y1, paint):
        self.ops.append(([[(x0, y0), (x1, y0), (x1, y1), (x0, y1)]], paint, False))

    def render(self, flat=False, hot=False):
        """Premultiplied RGBA pixels. flat: 16-colour drawing, no blends."""
        n = self.n
        px = [[0.0, 0.0, 0.0, 0.0] for _ in range(n * n)]
        for contours, paint, is_line in self.ops:
            for i, c in _coverage(contours, n).items():
                if flat:
                    if c < 0.5:
                        continue
                    c = 1.0
                    col = paint.vga
                    if hot and not is_line:
                        col = VGA_HOT.get(col, col)
                else:
                    c = min(c, 1.0)
                    col = paint.at(i % n + 0.5, i // n + 0.5)
                p = px[i]
                for j in range(3):
                    p[j] = col[j] * c + p[j] * (1 - c)
                p[3] = c + p[3] * (1 - c)
        return px


# Colours shared by the glyphs: (light, dark, rim, 16-colour fill, 16-colour rim).
C_FOLDER = ((255, 232, 140), (236, 182, 52), (150, 104, 18), V_YELLOW, V_OLIVE)
C_FOLDER_BACK = ((236, 190, 70), (214, 158, 36), (150, 104, 18), V_YELLOW, V_OLIVE)
C_SHEET = ((255, 255, 255), (218, 225, 236), (108, 118, 136), V_WHITE, V_GREY)
C_GREEN = ((140, 222, 100), (34, 146, 40), (22, 92, 26), V_LIME, V_GREEN)
C_BLUE = ((120, 180, 250), (28, 92, 206), (18, 52, 132), V_BLUE, V_NAVY)
C_RED = ((252, 120, 96), (202, 30, 30), (120, 14, 14), V_RED, V_MAROON)
C_METAL = ((246, 248, 250), (150, 160, 174), (72, 80, 94), V_SILVER, V_BLACK)
C_STAR = ((255, 250, 170), (255, 200, 30), (186, 120, 0), V_YELLOW, V_OLIVE)
TEXT = (40, 70, 140)
LINES = (150, 160, 178)


def _body(g, scheme, p0, p1):
    light, dark, rim, v_fill, v_rim = scheme
    return g.lin(light, dark, p0, p1, v_fill), Paint(rim, vga=v_rim)


def draw_folder(g, x0, y0, x1, y1):
    """A closed folder: a back with a tab and a front panel."""
    tab = max(4, (x1 - x0) * 0.4)
    fill, rim = _body(g, C_FOLDER_BACK, (x0, y0), (x0, y1))
    g.fill(g.poly([(x0, y0), (x0 + tab, y0), (x0 + tab + 1, y0 + 1), (x1 - 1, y0 + 1),
                   (x1 - 1, y1), (x0, y1)]), fill, rim)
    fill, rim = _body(g, C_FOLDER, (x0, y0 + 3), (x1, y1))
    g.fill(g.rect(x0, y0 + 3, x1, y1), fill, rim)
    # A light line under the front's top rim.
    a, b = g.snap(x0) + 1, g.snap(x1) - 1
    y = g.snap(y0 + 3) + 1
    g.pxrect(a, y, b, y + 1, Paint((255, 246, 200), vga=V_YELLOW))


def draw_sheet(g, x0, y0, x1, y1, fold=4, lines=0, line_from=None):
    """A sheet of paper with its top right corner folded; lines of text."""
    fill, rim = _body(g, C_SHEET, (x0, y0), (x1, y1))
    f = g.snap(fold) / g.k
    g.fill(g.poly([(x0, y0), (x1 - f, y0), (x1, y0 + f), (x1, y1), (x0, y1)]), fill, rim)
    g.fill(g.poly([(x1 - f, y0), (x1, y0 + f), (x1 - f, y0 + f)]),
           g.lin((255, 255, 255), (196, 204, 220), (x1 - f, y0 + f), (x1 - f / 2, y0 + f / 2), V_WHITE),
           rim)
    if lines:
        step = 2 if g.n == 16 else 3
        left, right = g.snap(x0) + 2, g.snap(x1) - 2
        y = g.snap(y0 if line_from is None else line_from) + (3 if line_from is None else 0)
        ink = Paint(LINES, vga=V_GREY)
        for i in range(lines):
            r = right if y > g.snap(y0 + f) else g.snap(x1 - f) - 1
            if i % 3 == 2:
                r = left + (r - left) * 2 // 3
            g.pxrect(left, y, r, y + 1, ink)
            y += step


def draw_arrow(g, scheme, tip, direction, length, head_w, head_l, shaft_w):
    """A straight arrow; direction in degrees (0 right, 90 down)."""
    tx, ty = tip
    hw, sw = head_w / 2, shaft_w / 2
    pts = [(0, 0), (head_l, -hw), (head_l, -sw), (length, -sw), (length, sw), (head_l, sw), (head_l, hw)]
    a = math.radians(direction + 180)
    ca, sa = math.cos(a), math.sin(a)
    world = [(tx + x * ca - y * sa, ty + x * sa + y * ca) for x, y in pts]
    if direction % 90 == 0:
        shape = g.poly(world)
    else:
        shape = g.poly(world, False)
    # Lit across its width, from the upper or left side.
    p0, p1 = sorted([(tx - sa * hw, ty + ca * hw), (tx + sa * hw, ty - ca * hw)], key=lambda p: p[0] + p[1])
    fill, rim = _body(g, scheme, p0, p1)
    g.fill(shape, fill, rim)


def arc_arrow(g, cx, cy, r_in, r_out, a0, a1, head=1.6, head_len=40):
    """An arrow bent round a circle, from angle a0 to a1 (degrees, clockwise
    on screen when a1 > a0), with its head at a1."""
    sgn = 1 if a1 > a0 else -1
    pts = []
    steps = max(6, int(abs(a1 - a0) / 5))
    for i in range(steps + 1):
        a = math.radians(a0 + (a1 - a0) * i / steps)
        pts.append((cx + r_out * math.cos(a), cy + r_out * math.sin(a)))
    mid = (r_in + r_out) / 2
    half = (r_out - r_in) / 2 * head
    e = math.radians(a1)
    t = math.radians(a1 + sgn * head_len)
    pts.append((cx + (mid + half) * math.cos(e), cy + (mid + half) * math.sin(e)))
    pts.append((cx + mid * math.cos(t), cy + mid * math.sin(t)))
    pts.append((cx + (mid - half) * math.cos(e), cy + (mid - half) * math.sin(e)))
    for i in range(steps, -1, -1):
        a = math.radians(a0 + (a1 - a0) * i / steps)
        pts.append((cx + r_in * math.cos(a), cy + r_in * math.sin(a)))
    return g.poly(pts, False)


def draw_globe(g, cx, cy, r):
    # Centre it on a pixel so that the equator and meridian fall on whole
    # pixels.
    cx = (math.floor(cx * g.k) + 0.5) / g.k
    cy = (math.floor(cy * g.k) + 0.5) / g.k
    sea = g.rad((170, 215, 255), (24, 84, 186), (cx - r * 0.4, cy - r * 0.45), r * 1.5, V_BLUE)
    g.fill(g.ellipse(cx, cy, r), sea, Paint((16, 50, 128), vga=V_NAVY))
    grid = Paint((196, 226, 255), vga=V_CYAN)
    w = 0.5 / g.k
    # Meridian and equator as thin light bands.
    g.fill([g.ellipse(cx, cy, r * 0.45 + w, r - 0.6), list(reversed(g.ellipse(cx, cy, r * 0.45 - w, r - 0.6 - 2 * w)))], grid)
    g.fill(g.poly([(cx - r + 0.8, cy - w), (cx + r - 0.8, cy - w), (cx + r - 0.8, cy + w), (cx - r + 0.8, cy + w)], False), grid)
    g.fill(g.poly([(cx - w, cy - r + 0.8), (cx + w, cy - r + 0.8), (cx + w, cy + r - 0.8), (cx - w, cy + r - 0.8)], False), grid)


def draw_badge(g, cx, cy, r, scheme):
    fill = g.rad(scheme[0], scheme[1], (cx - r * 0.4, cy - r * 0.4), r * 1.6, scheme[3])
    g.fill(g.ellipse(cx, cy, r), fill, Paint(scheme[2], vga=scheme[4]))


def draw_check(g, x, y, s, scheme):
    """A tick whose lower corner is at (x, y), s design units across."""
    pts = [(x - 0.45 * s, y - 0.45 * s), (x - 0.2 * s, y - 0.7 * s), (x, y - 0.45 * s),
           (x + 0.5 * s, y - s), (x + 0.75 * s, y - 0.75 * s), (x, y)]
    fill, rim = _body(g, scheme, (x, y - s), (x, y))
    g.fill(g.poly(pts, False), fill, rim)


def draw_star(g, cx, cy, r):
    if g.n == 16:
        g.art(("...r...", "...r...", "..ryr..", "rryWyrr", "..ryr..", "...r...", "...r..."),
              int(cx) - 3, int(cy) - 3,
              {"r": Paint((236, 150, 0), vga=V_OLIVE), "y": Paint((255, 214, 40), vga=V_YELLOW),
               "W": Paint((255, 255, 210), vga=V_WHITE)})
        return
    pts = []
    for i in range(8):
        rr = r if i % 2 == 0 else r * 0.38
        a = math.radians(i * 45 - 90)
        pts.append((cx + rr * math.cos(a), cy + rr * math.sin(a)))
    fill = g.rad(C_STAR[0], C_STAR[1], (cx, cy), r, C_STAR[3])
    g.fill(g.poly(pts, False), fill, Paint(C_STAR[2], vga=C_STAR[4]), 0.9)


def draw_gear(g, cx, cy, r, teeth=8):
    pts = []
    for i in range(teeth):
        base = 360.0 * i / teeth + 180.0 / teeth
        for da, rr in ((-0.34, 0.70), (-0.16, 1.0), (0.16, 1.0), (0.34, 0.70)):
            a = math.radians(base + da * 360.0 / teeth)
            pts.append((cx + r * rr * math.cos(a), cy + r * rr * math.sin(a)))
    fill, rim = _body(g, C_METAL, (cx - r, cy - r), (cx + r, cy + r))
    g.fill(g.poly(pts, False), fill, rim)
    g.fill(g.ellipse(cx, cy, r * 0.3), Paint((238, 236, 228), vga=V_WHITE), rim)


PENCIL = ((255, 214, 80), (222, 150, 20), (140, 84, 0), V_YELLOW, V_OLIVE)


def draw_pencil(g, tipx, tipy, length, width, angle, body=PENCIL, end=(224, 96, 96)):
    """A pencil lying along angle (degrees, clockwise on screen from +x),
    with its point at (tipx, tipy) and its end towards angle."""
    h = width / 2
    lead = length * 0.14
    wood = length * 0.3
    fill = g.lin(body[0], body[1], g_local_pt(tipx, tipy, angle, 0, -h), g_local_pt(tipx, tipy, angle, 0, h), body[3])
    rim = Paint(body[2], vga=body[4])
    g.fill(g.local([(wood - 0.3, -h), (length, -h), (length, h), (wood - 0.3, h)], tipx, tipy, angle), fill, rim)
    g.fill(g.local([(length - length * 0.16, -h), (length, -h), (length, h), (length - length * 0.16, h)], tipx, tipy, angle),
           Paint(end, vga=V_RED), rim)
    g.fill(g.local([(0, 0), (wood, -h), (wood, h)], tipx, tipy, angle),
           Paint((246, 214, 170), vga=V_WHITE), Paint((120, 84, 40), vga=V_OLIVE))
    g.fill(g.local([(-0.2, 0), (lead, -h * lead / wood - 0.1), (lead, h * lead / wood + 0.1)], tipx, tipy, angle),
           Paint((50, 50, 56), vga=V_BLACK))


def pixel_pencil(g, x, y, size, body, end, wood=((236, 200, 150), (176, 128, 72))):
    """A pencil drawn pixel by pixel at 45 degrees in a size-by-size box
    with its top left at (x, y): point at bottom left, end at top right."""
    rows = []
    axis = size - 1
    for j in range(size):
        row = ""
        for i in range(size):
            across = i + j - axis  # -1 .. 2 from the upper rim to the lower
            along = i - j + axis  # 0 at the point
            if across < -1 or across > 2 or abs(across - 0.5) > 0.5 + along * 0.5:
                row += "."
            elif along <= 1:
                row += "k"
            elif along <= 4:
                row += "W" if across in (-1, 2) or abs(across - 0.5) > along * 0.5 - 0.5 else "w"
            elif across in (-1, 2):
                row += "d"
            elif along >= 2 * axis - 3:
                row += "e"
            else:
                row += "y" if across == 0 else "Y"
        rows.append(row)
    light, dark, rim, v_fill, v_rim = body
    g.art(rows, x, y, {"k": Paint((40, 40, 46), vga=V_BLACK), "w": Paint(wood[0], vga=V_WHITE),
                       "W": Paint(wood[1], vga=V_OLIVE),
                       "d": Paint(rim, vga=v_rim), "y": Paint(light, vga=v_fill), "Y": Paint(dark, vga=v_fill),
                       "e": Paint(end, vga=V_SILVER)})


def g_local_pt(ox, oy, angle, x, y):
    a = math.radians(angle)
    return (ox + x * math.cos(a) - y * math.sin(a), oy + x * math.sin(a) + y * math.cos(a))


# Little fonts for the letters on the glyphs, one set per size.
FONT = {
    16: {
        "0": ("###", "#.#", "#.#", "#.#", "###"),
        "1": (".#.", "##.", ".#.", ".#.", "###"),
        "a": ("...", "##.", "..#", "###", "#.#", "###"),
        "b": ("#..", "#..", "###", "#.#", "#.#", "###"),
        "A": ("...###...", "...###...", "..##.##..", "..##.##..", ".##...##.", ".#######.", ".#######.",
              "##.....##", "##.....##", "##.....##"),
    },
    24: {
        "0": (".###.", "##.##", "##.##", "##.##", "##.##", "##.##", ".###."),
        "1": ("..##.", ".###.", "..##.", "..##.", "..##.", "..##.", ".####"),
        "a": (".....", ".....", ".###.", "...##", ".####", "##.##", "##.##", ".####"),
        "b": ("##...", "##...", "####.", "##.##", "##.##", "##.##", "##.##", "####."),
        "A": (".....###.....", ".....###.....", "....#####....", "....#####....", "...###.###...",
              "...###.###...", "..###...###..", "..###...###..", ".###########.", ".###########.",
              "###.......###", "###.......###", "###.......###"),
    },
}


def text(g, s, x, y, paint, gap=1):
    font = FONT[g.n]
    for ch in s:
        rows = font[ch]
        g.pixels(rows, x, y + (max(len(font[c]) for c in s) - len(rows)), paint)
        x += len(rows[0]) + gap


# The glyphs, in the order of the strip.
WHITE_INK = Paint((255, 255, 255), vga=V_WHITE)


def tb_connect(g):
    draw_globe(g, 7, 7, 6.5)
    draw_badge(g, 12, 12, 3.9, C_GREEN)
    if g.n == 16:
        g.art(("....##", "#..##.", "####..", ".##..."), 9, 10, {"#": WHITE_INK})
    else:
        g.art(("......##", ".....##.", "##..##..", ".####...", "..##...."), 14, 16, {"#": WHITE_INK})


def tb_disconnect(g):
    draw_globe(g, 7, 7, 6.5)
    draw_badge(g, 12, 12, 3.9, C_RED)
    if g.n == 16:
        g.art(("#..#", ".##.", ".##.", "#..#"), 10, 10, {"#": WHITE_INK})
    else:
        g.art(("##..##", ".####.", "..##..", "..##..", ".####.", "##..##"), 15, 15, {"#": WHITE_INK})


def tb_up(g):
    draw_folder(g, 0, 4, 14, 15)
    draw_arrow(g, C_GREEN, (11.5, 0), 270, 10, 8, 4, 4)


def tb_sync(g):
    draw_folder(g, 0, 0, 8, 7)
    draw_folder(g, 8, 9, 16, 16)
    green_fill = g.lin(C_GREEN[0], C_GREEN[1], (8, 2), (14, 8), C_GREEN[3])
    blue_fill = g.lin(C_BLUE[0], C_BLUE[1], (2, 8), (8, 15), C_BLUE[3])
    g.fill(arc_arrow(g, 8, 8, 4.4, 7.0, -95, -5, 1.8, 45), green_fill, Paint(C_GREEN[2], vga=C_GREEN[4]))
    g.fill(arc_arrow(g, 8, 8, 4.4, 7.0, 85, 175, 1.8, 45), blue_fill, Paint(C_BLUE[2], vga=C_BLUE[4]))


def draw_server(g, x0, y0, x1, y1):
    fill, rim = _body(g, C_METAL, (x0, y0), (x0, y1))
    g.fill(g.rect(x0, y0, x1, y1), fill, rim)
    a, b = g.snap(x0) + 2, g.snap(x1) - 2
    top, bottom = g.snap(y0), g.snap(y1)
    mid = (top + bottom) // 2
    g.pxrect(a, mid, a + (b - a) // 2, mid + 1, Paint((92, 100, 114), vga=V_GREY))
    g.pxrect(b - 2, mid - (1 if g.n == 24 else 0), b, mid + 1, Paint((60, 220, 60), vga=V_LIME))


def tb_sites(g):
    draw_server(g, 1, 1, 13, 5)
    draw_server(g, 1, 5, 13, 9)
    draw_server(g, 1, 9, 13, 13)
    draw_globe(g, 11.5, 11.5, 4.3)


def tb_mode_auto(g):
    ink = g.lin((70, 110, 200), (16, 40, 120), (0, 1), (0, 12), V_NAVY)
    text(g, "A", 0, g.snap(1), ink)
    if g.n == 16:
        g.art(("...###...", ".#.###.#.", "..#####..", "####.####", "###...###", "####.####",
               "..#####..", ".#.###.#.", "...###..."), 7, 7,
              {"#": g.lin((176, 184, 196), (84, 92, 108), (7, 7), (16, 16), V_GREY)})
    else:
        draw_gear(g, 11.7, 11.7, 4.3, 8)


def tb_refresh(g):
    fill = g.lin(C_GREEN[0], C_GREEN[1], (3, 2), (13, 14), C_GREEN[3])
    g.fill(arc_arrow(g, 8, 8, 3.6, 7.0, 0, 250, 1.75, 50), fill, Paint(C_GREEN[2], vga=C_GREEN[4]))


def tb_delete(g):
    w = 2.1
    fill, rim = _body(g, C_RED, (2, 2), (14, 14))
    bars = []
    for sx in (1, -1):
        a, b = (8 - 6 * sx, 2), (8 + 6 * sx, 14)
        dx, dy = b[0] - a[0], b[1] - a[1]
        ln = math.hypot(dx, dy)
        nx, ny = -dy / ln * w, dx / ln * w
        pts = [(a[0] + nx, a[1] + ny), (b[0] + nx, b[1] + ny), (b[0] - nx, b[1] - ny), (a[0] - nx, a[1] - ny)]
        if _area(pts) < 0:
            pts.reverse()
        bars.append(g.poly(pts, False))
    g.fill(bars, fill, rim)


def tb_upload(g):
    draw_sheet(g, 1, 0, 11, 15, 4, 5)
    draw_arrow(g, C_BLUE, (12, 1), 270, 14, 8, 4, 4)


def tb_download(g):
    draw_arrow(g, C_GREEN, (8, 12.5), 90, 12.5, 10, 5, 4)
    # An in-tray seen from the front: a floor and two low walls.
    fill = g.lin((220, 228, 240), (128, 142, 166), (0, 9), (0, 16), V_SILVER)
    rim = Paint((52, 62, 82), vga=V_BLACK)
    g.fill(g.poly([(0, 9), (3, 9), (3, 12), (13, 12), (13, 9), (16, 9), (16, 16), (0, 16)]), fill, rim)


def tb_new_folder(g):
    draw_folder(g, 0, 4, 14, 15)
    draw_star(g, 12.3, 3.7, 3.7)


def tb_mode_text(g):
    draw_sheet(g, 2, 0, 14, 16, 4, 0)
    y = g.snap(2.5)
    text(g, "ab", g.snap(2) + 2, y, Paint(TEXT, vga=V_NAVY))
    draw_sheet_lines(g, 2, 14, 9.5, 3)


def draw_sheet_lines(g, x0, x1, y, count):
    step = 2 if g.n == 16 else 3
    left, right = g.snap(x0) + 2, g.snap(x1) - 2
    yy = g.snap(y)
    ink = Paint(LINES, vga=V_GREY)
    for i in range(count):
        r = right if i % 3 != 2 else left + (right - left) * 2 // 3
        g.pxrect(left, yy, r, yy + 1, ink)
        yy += step


def tb_properties(g):
    draw_sheet(g, 1, 0, 13, 16, 4, 6)
    if g.n == 16:
        g.art((".......###", "......###.", ".....###..", "###.###...", ".#####....", "..###.....", "...#......"),
              6, 9, {"#": g.lin((60, 180, 50), (20, 110, 24), (6, 9), (6, 16), V_GREEN)})
        return
    draw_check(g, 11, 15, 6.5, C_GREEN)


def tb_new_file(g):
    draw_sheet(g, 2, 1, 13, 16, 4, 0)
    draw_star(g, 12.3, 3.7, 3.7)


def tb_back(g):
    draw_arrow(g, C_BLUE, (1, 8), 180, 14, 12, 6, 6)


def tb_forward(g):
    draw_arrow(g, C_BLUE, (15, 8), 0, 14, 12, 6, 6)


def tb_rename(g):
    rim = Paint((100, 110, 128), vga=V_GREY)
    g.fill(g.rect(0, 4, 12, 13), g.lin((255, 255, 255), (226, 232, 242), (0, 4), (0, 13), V_WHITE), rim)
    top, bottom = g.snap(4) + 2, g.snap(13) - 2
    left = g.snap(0) + 2
    font_h = 6 if g.n == 16 else 8
    text(g, "ab", left, top + (bottom - top - font_h) // 2, Paint(TEXT, vga=V_NAVY))
    x = left + (8 if g.n == 16 else 12)
    g.pxrect(x, top - 1, x + 1, bottom + 1, Paint((0, 0, 0), vga=V_BLACK))
    if g.n == 16:
        pixel_pencil(g, 8, 3, 9, PENCIL, (232, 120, 110))
    else:
        draw_pencil(g, 10, 11, 8.5, 3.4, -45)


def tb_mode_binary(g):
    draw_sheet(g, 2, 0, 14, 16, 4, 0)
    ink = Paint((20, 110, 40), vga=V_GREEN)
    x = g.snap(2) + 2
    y = g.snap(3)
    text(g, "01", x, y, ink)
    text(g, "10", x, y + (6 if g.n == 16 else 9), ink)


def tb_tool(g):
    fill = g.lin(C_METAL[0], C_METAL[1], (4, 4), (12, 12), C_METAL[3])
    rim = Paint(C_METAL[2], vga=C_METAL[4])
    # The wrench lies from its handle's end at bottom left to its open jaw
    # at top right; drawn along +x, then turned.
    head_r, slot, handle = 4.0, 1.35, 1.75
    pts = []
    a0 = math.degrees(math.asin(slot / head_r))
    for i in range(41):
        a = math.radians(a0 + (360 - 2 * a0) * i / 40)
        pts.append((head_r * math.cos(a), head_r * math.sin(a)))
    pts += [(-0.6, -slot), (-0.6, slot)]
    pts.reverse()
    head = g.local(pts, 11.3, 4.7, -45)
    body = g.local([(-12.2, -handle), (-2.5, -handle), (-2.5, handle), (-12.2, handle)], 11.3, 4.7, -45)
    end = g.local([(-12.2 + handle * math.cos(math.radians(a)), handle * math.sin(math.radians(a)))
                   for a in range(90, 271, 10)], 11.3, 4.7, -45)
    shapes = []
    for s in (head, body, end):
        shapes.append(s if _area(s) > 0 else list(reversed(s)))
    if g.n == 16:
        g.fill(shapes, g.lin((182, 190, 204), (72, 80, 96), (5, 5), (11, 11), V_GREY))
    else:
        g.fill(shapes, fill, rim)


def tb_editor(g):
    pad = g.lin((255, 252, 214), (240, 226, 150), (1, 2), (12, 15), V_WHITE)
    rim = Paint((128, 112, 60), vga=V_OLIVE)
    g.fill(g.rect(1, 2, 12, 16), pad, rim)
    # Ruled lines and the bound top edge.
    left, right = g.snap(1) + 2, g.snap(12) - 2
    step = 2 if g.n == 16 else 3
    y = g.snap(2) + 4
    while y < g.snap(16) - 2:
        g.pxrect(left, y, right, y + 1, Paint((150, 170, 210), vga=V_BLUE))
        y += step
    g.fill(g.rect(1, 1, 12, 4), g.lin((90, 140, 220), (30, 70, 160), (0, 1), (0, 4), V_BLUE), Paint((18, 44, 110), vga=V_NAVY))
    pen = ((110, 160, 240), (30, 70, 170), (16, 36, 96), V_BLUE, V_NAVY)
    if g.n == 16:
        pixel_pencil(g, 5, 3, 11, pen, (200, 200, 210), ((214, 218, 226), (120, 126, 140)))
    else:
        draw_pencil(g, 6.5, 12.5, 11, 3.4, -45, pen, (200, 200, 210))


DRAWERS = [globals()["tb_" + name] for name in TB_GLYPHS]


# ---------------------------------------------------------------------------
# States and colour depths.

def _lum(c):
    return 0.30 * c[0] + 0.59 * c[1] + 0.11 * c[2]


def finish(px, state):
    """Turns premultiplied pixels into RGB, or None where transparent."""
    out = []
    for r, g, b, a in px:
        if a < KEEP:
            out.append(None)
            continue
        c = [r / a, g / a, b / a]
        if state == "hot":
            c = _brighten(c)
        elif state == "disabled":
            y = _lum(c)
            grey = 96 + y * 0.56
            c = [grey, grey, grey]
        # Edge pixels are blended against the toolbar face, never magenta.
        t = min(1.0, (a - KEEP) / (1 - KEEP) * 1.35)
        t = 0.35 + 0.65 * t if a < 1 else 1.0
        face = FACE if state != "disabled" else (FACE[0],) * 3
        c = tuple(int(round(c[i] * t + face[i] * (1 - t))) for i in range(3))
        out.append(c if c != MAGENTA else (254, 0, 254))
    return out


def _brighten(c):
    import colorsys
    h, s, v = colorsys.rgb_to_hsv(*(x / 255.0 for x in c))
    s = min(1.0, s * 1.18)
    v = min(1.0, v * 1.12 + 0.03)
    return [x * 255 for x in colorsys.hsv_to_rgb(h, s, v)]


def emboss(px, n):
    """The 16-colour disabled look: the glyph's darker parts in grey over a
    white copy one pixel down and right; its light parts vanish."""
    dark = [p is not None and _lum(p) < 170 for p in px]
    out = []
    for i in range(n * n):
        x, y = i % n, i // n
        if dark[i]:
            out.append(V_GREY)
        elif x > 0 and y > 0 and dark[i - n - 1]:
            out.append(V_WHITE)
        else:
            out.append(None)
    return out


def palette256():
    """A fixed palette: the 6x6x6 colour cube, a ramp of greys, and a few
    tints common in the glyphs."""
    pal = [(r * 51, g * 51, b * 51) for r in range(6) for g in range(6) for b in range(6)]
    pal += [(v, v, v) for v in range(16, 256, 16) if v % 51]
    extra = [FACE]
    for scheme in (C_FOLDER, C_GREEN, C_BLUE, C_RED, C_METAL, C_SHEET):
        extra += [tuple(int(round(v)) for v in _mix(scheme[0], scheme[1], t)) for t in (0, 0.5, 1)]
        extra.append(scheme[2])
    for c in extra:
        if len(pal) < 256 and c not in pal:
            pal.append(c)
    while len(pal) < 256:
        pal.append((0, 0, 0))
    return pal


PAL256 = palette256()
PAL16 = list(VGA)


def _purplish(c, by=40):
    return min(c[0], c[2]) - c[1] > by


def quantise(rgb, pal, cache):
    """Index of the nearest colour; magenta is kept for the background, and
    purples are only used for colours that are purple themselves."""
    if rgb is None:
        return pal.index(MAGENTA)
    if rgb not in cache:
        best, bi = None, 0
        for i, p in enumerate(pal):
            if p == MAGENTA or (_purplish(p) and not _purplish(rgb, 30)):
                continue
            d = 2 * (p[0] - rgb[0]) ** 2 + 4 * (p[1] - rgb[1]) ** 2 + 3 * (p[2] - rgb[2]) ** 2
            if best is None or d < best:
                best, bi = d, i
        cache[rgb] = bi
    return cache[rgb]


def write_bmp(path, width, height, pixels, bits, palette=None):
    """Bottom-up BMP with a BITMAPINFOHEADER; pixels are RGB tuples (24 bit)
    or palette indexes (4 and 8 bit), top row first."""
    stride = ((width * bits + 31) // 32) * 4
    data = bytearray()
    for y in reversed(range(height)):
        row = pixels[y * width:(y + 1) * width]
        if bits == 24:
            line = bytearray()
            for r, g, b in row:
                line += bytes((b, g, r))
        elif bits == 8:
            line = bytearray(row)
        else:
            line = bytearray()
            for i in range(0, width, 2):
                hi = row[i]
                lo = row[i + 1] if i + 1 < width else 0
                line.append(hi << 4 | lo)
        data += line + bytes(stride - len(line))
    colours = b""
    if palette:
        colours = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    offset = 14 + 40 + len(colours)
    header = struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, len(data), 2835, 2835,
                       len(palette) if palette else 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + colours + bytes(data))


def write_toolbar(n):
    drawn = []
    for draw in DRAWERS:
        g = Glyph(n)
        draw(g)
        drawn.append(g)
    for state in ("normal", "hot", "disabled"):
        full = [finish(g.render(), state) for g in drawn]
        if state == "disabled":
            flat = [emboss(finish(g.render(flat=True), "normal"), n) for g in drawn]
        else:
            flat = []
            for g in drawn:
                px = g.render(flat=True, hot=state == "hot")
                flat.append([None if p[3] < 0.5 else tuple(int(v) for v in p[:3]) for p in px])
        width = n * len(drawn)

        def strip(glyphs):
            rows = []
            for y in range(n):
                for gl in glyphs:
                    rows.extend(gl[y * n:(y + 1) * n])
            return rows

        rgb = strip(full)
        base = os.path.join(OUT, "tb%d_%%s_%s.bmp" % (n, state))
        write_bmp(base % "c24", width, n, [MAGENTA if p is None else p for p in rgb], 24)
        cache = {}
        write_bmp(base % "c8", width, n, [quantise(p, PAL256, cache) for p in rgb], 8, PAL256)
        cache = {}
        write_bmp(base % "c4", width, n, [quantise(p, PAL16, cache) for p in strip(flat)], 4, PAL16)


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
    write_bitmap(os.path.join(OUT, "status16.bmp"), 5, status_glyph)
    for size in (16, 24):
        write_toolbar(size)
