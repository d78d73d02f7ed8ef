#!/usr/bin/env python3
"""Draws OrlixVantrel's artwork and writes it as Windows resource files into app/res/.

Everything is drawn here from plain shapes (no image libraries): the program icon and the four
tray icons (each with 16, 20, 24, 32, 48 and 256 pixel images, so every display scaling gets
an image drawn for it; the 256 pixel one is stored as PNG), the menu images (toolbar strips of
16, 20, 24, 32 and 48 pixel images on magenta, the colour the menu treats as transparent) and
the cursor over the separators between rate views. The generated files are committed; run
this again only to change the artwork:

    python3 scripts/make_artwork.py
"""
import math
import os
import struct
import zlib

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "app", "res")

# The rate view's own colours (RGB), so the icons look like the graph they stand for.
GRAPH_BG = (0xAD, 0xDB, 0xDE)
DOWN = (0xFF, 0x00, 0x00)
UP = (0x00, 0xCC, 0x00)
BOTH = (0xFF, 0xFF, 0x00)
BORDER = (0x33, 0x33, 0x33)
DIM = (0x90, 0x90, 0x90)
MAGENTA = (0xFF, 0x00, 0xFF)

# Icon sizes: 100%, 125%, 150%, 200% and 300% of 16 pixels (the small icons), the large icon
# and the size the shell shows in large views.
ICON_SIZES = [16, 20, 24, 32, 48, 256]
# Menu image sizes: the toolbar's own 16 and the larger strips.
MENU_SIZES = [16, 20, 24, 32, 48]


class Canvas:
    """RGBA pixels, top row first."""

    def __init__(self, w, h, fill=(0, 0, 0, 0)):
        self.w, self.h = w, h
        self.px = [[fill for _ in range(w)] for _ in range(h)]

    def set(self, x, y, rgb, a=255):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = (rgb[0], rgb[1], rgb[2], a)

    def rect(self, x0, y0, x1, y1, rgb, a=255):
        for y in range(y0, y1):
            for x in range(x0, x1):
                self.set(x, y, rgb, a)

    def shape(self, inside, rgb, ss=4):
        """Fills where inside(x, y) holds, anti-aliased by supersampling into the alpha."""
        for y in range(self.h):
            for x in range(self.w):
                hits = sum(
                    1
                    for sy in range(ss)
                    for sx in range(ss)
                    if inside(x + (sx + 0.5) / ss, y + (sy + 0.5) / ss)
                )
                if hits:
                    self.blend(x, y, rgb, hits / (ss * ss))

    def blend(self, x, y, rgb, cover):
        r, g, b, a = self.px[y][x]
        na = cover + (a / 255) * (1 - cover)
        if na <= 0:
            return
        mix = [
            (rgb[i] * cover + [r, g, b][i] * (a / 255) * (1 - cover)) / na for i in range(3)
        ]
        self.px[y][x] = (round(mix[0]), round(mix[1]), round(mix[2]), round(na * 255))


def rounded_square(size, radius, inset=0.5):
    def inside(x, y):
        lo, hi = inset, size - inset
        cx = min(max(x, lo + radius), hi - radius)
        cy = min(max(y, lo + radius), hi - radius)
        return lo <= x <= hi and lo <= y <= hi and (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2

    return inside


def supersampling(size):
    """Finer sampling for small images, where each pixel's coverage shows."""
    return 4 if size <= 48 else 2


def program_icon(size):
    """A small rate graph: download and upload columns over the graph background."""
    c = Canvas(size, size)
    s = size / 32.0
    ss = supersampling(size)
    c.shape(rounded_square(size, 5 * s), BORDER, ss)
    c.shape(rounded_square(size, 4 * s, inset=1.6 * s), GRAPH_BG, ss)
    heights = [(9, 5), (14, 8), (11, 12), (20, 9), (16, 15), (23, 11)]
    base = size - 4.5 * s
    width = 3.2 * s
    for i, (down, up) in enumerate(heights):
        x0 = 4.2 * s + i * 4.1 * s
        lo, hi = min(down, up) * s, max(down, up) * s
        top_colour = DOWN if down > up else UP
        c.shape(lambda x, y, x0=x0, hi=hi: x0 <= x <= x0 + width and base - hi <= y <= base, top_colour, ss)
        c.shape(lambda x, y, x0=x0, lo=lo: x0 <= x <= x0 + width and base - lo <= y <= base, BOTH, ss)
    return c


def arrow(c, x0, y0, w, h, up, rgb):
    """A filled arrow in the box (x0, y0, w, h), pointing up or down."""
    cx = x0 + w / 2.0
    head = h * 0.55
    stem = w * 0.22

    def inside(x, y):
        t = (y - y0) / h if up else (y0 + h - y) / h
        if t < 0 or t > 1:
            return False
        if t * h <= head:
            return abs(x - cx) <= (t * h / head) * (w / 2.0)
        return abs(x - cx) <= stem

    c.shape(inside, rgb, supersampling(c.w))


def tray_icon(size, up_on, down_on):
    c = Canvas(size, size)
    s = size / 16.0
    arrow(c, 0.5 * s, 1 * s, 7 * s, 14 * s, True, UP if up_on else DIM)
    arrow(c, 8.5 * s, 1 * s, 7 * s, 14 * s, False, DOWN if down_on else DIM)
    return c


def png_bytes(c):
    """A PNG of the RGBA pixels (the form icons keep their 256 pixel images in)."""

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    raw = bytearray()
    for row in c.px:
        raw += b"\0"  # no filter
        for r, g, b, a in row:
            raw += bytes((r, g, b, a))
    header = struct.pack(">IIBBBBB", c.w, c.h, 8, 6, 0, 0, 0)
    return (
        b"\x89PNG\r\n\x1a\n"
        + chunk(b"IHDR", header)
        + chunk(b"IDAT", zlib.compress(bytes(raw), 9))
        + chunk(b"IEND", b"")
    )


def ico_bytes(canvases, hotspots=None):
    """An .ico (or .cur with hotspots) of 32-bit images; those of 256 pixels as PNG."""
    images = []
    for c in canvases:
        if c.w >= 256 and not hotspots:
            images.append(png_bytes(c))
            continue
        xor = bytearray()
        for row in reversed(c.px):
            for r, g, b, a in row:
                xor += bytes((b, g, r, a))
        mask_stride = ((c.w + 31) // 32) * 4
        mask = bytearray()
        for row in reversed(c.px):
            bits = bytearray(mask_stride)
            for x, (_, _, _, a) in enumerate(row):
                if a == 0:
                    bits[x // 8] |= 0x80 >> (x % 8)
            mask += bits
        header = struct.pack("<IiiHHIIiiII", 40, c.w, c.h * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
        images.append(header + bytes(xor) + bytes(mask))
    kind = 2 if hotspots else 1
    out = bytearray(struct.pack("<HHH", 0, kind, len(canvases)))
    offset = 6 + 16 * len(canvases)
    for i, (c, data) in enumerate(zip(canvases, images)):
        a, b = (hotspots[i] if hotspots else (1, 32))
        out += struct.pack("<BBBBHHII", c.w % 256, c.h % 256, 0, 0, a, b, len(data), offset)
        offset += len(data)
    for data in images:
        out += data
    return bytes(out)


def bmp_bytes(c):
    """A 24-bit .bmp; transparent pixels become magenta."""
    stride = (c.w * 3 + 3) & ~3
    pixels = bytearray()
    for row in reversed(c.px):
        line = bytearray()
        for r, g, b, a in row:
            if a < 128:
                r, g, b = MAGENTA
            line += bytes((b, g, r))
        line += bytes(stride - len(line))
        pixels += line
    info = struct.pack("<IiiHHIIiiII", 40, c.w, c.h, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    head = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    return head + info + bytes(pixels)


def paste(dst, src, ox, oy):
    for y in range(src.h):
        for x in range(src.w):
            r, g, b, a = src.px[y][x]
            if a >= 128:
                dst.set(ox + x, oy + y, (r, g, b))


class Scaled:
    """A canvas of `size` pixels addressed in the 16 x 16 units the menu images are drawn in."""

    def __init__(self, size):
        self.c = Canvas(size, size)
        self.s = size / 16.0

    def at(self, v):
        return int(round(v * self.s))

    def rect(self, x0, y0, x1, y1, rgb):
        self.c.rect(self.at(x0), self.at(y0), max(self.at(x1), self.at(x0) + 1), max(self.at(y1), self.at(y0) + 1), rgb)

    def shape(self, inside, rgb, ss):
        s = self.s
        self.c.shape(lambda x, y: inside(x / s, y / s), rgb, ss)


def image_show(size):
    d = Scaled(size)
    d.rect(1, 2, 15, 14, BORDER)
    d.rect(2, 3, 14, 5, (0x2A, 0x5D, 0xB0))
    d.rect(2, 5, 14, 13, GRAPH_BG)
    for i, h in enumerate([3, 5, 4, 7, 6, 7]):
        d.rect(3 + 2 * i, 13 - h, 4 + 2 * i, 13, DOWN if i % 2 else UP)
    return d.c


def image_options(size):
    d = Scaled(size)

    def gear(x, y):
        dx, dy = x - 8, y - 8
        r = math.hypot(dx, dy)
        teeth = 7.4 if math.cos(6 * math.atan2(dy, dx)) > 0.2 else 5.4
        return 2.4 < r <= teeth

    d.shape(gear, (0x50, 0x50, 0x58), ss=4)
    return d.c


def image_stopwatch(size):
    d = Scaled(size)
    d.shape(lambda x, y: math.hypot(x - 8, y - 9) <= 6.4, BORDER, ss=3)
    d.shape(lambda x, y: math.hypot(x - 8, y - 9) <= 5.2, (0xFF, 0xFF, 0xFF), ss=3)
    d.rect(7, 0, 9, 3, BORDER)
    d.rect(8, 5, 9, 10, BORDER)
    d.rect(8, 9, 11, 10, DOWN)
    return d.c


def image_reports(size):
    d = Scaled(size)
    d.rect(1, 1, 15, 15, BORDER)
    d.rect(2, 2, 14, 14, (0xFF, 0xFF, 0xFF))
    d.rect(3, 8, 5, 13, (0x2A, 0x5D, 0xB0))
    d.rect(6, 4, 8, 13, UP)
    d.rect(9, 6, 11, 13, DOWN)
    d.rect(3, 13, 13, 14, BORDER)
    return d.c


def image_help(size):
    d = Scaled(size)
    d.shape(lambda x, y: math.hypot(x - 8, y - 8) <= 7.2, (0x2A, 0x5D, 0xB0), ss=3)
    mark = [
        "..####..",
        ".##..##.",
        ".....##.",
        "....##..",
        "...##...",
        "...##...",
        "........",
        "...##...",
    ]
    for y, row in enumerate(mark):
        for x, ch in enumerate(row):
            if ch == "#":
                d.rect(4 + x, 4 + y, 5 + x, 5 + y, (0xFF, 0xFF, 0xFF))
    return d.c


def vsplit_cursor():
    """Two vertical arrows around a double bar, black with a white outline; hotspot centre."""
    size = 32
    black = set()
    cx, cy = 16, 16
    for y in range(size):
        for x in range(size):
            dy = y - cy
            if abs(dy) <= 1 and abs(x - cx) <= 9 and dy != 0:
                black.add((x, y))  # the double bar: rows cy - 1 and cy + 1
            elif 3 <= abs(dy) <= 10 and abs(x - cx) <= 0:
                black.add((x, y))  # the stems
            elif 7 <= abs(dy) <= 11 and abs(x - cx) <= 11 - abs(dy):
                black.add((x, y))  # the heads
    white = set()
    for (x, y) in black:
        for ox in (-1, 0, 1):
            for oy in (-1, 0, 1):
                p = (x + ox, y + oy)
                if p not in black:
                    white.add(p)
    # 1-bit cursor: AND 1 / XOR 0 transparent, AND 0 / XOR 0 black, AND 0 / XOR 1 white.
    stride = 4
    xor_rows, and_rows = [], []
    for y in range(size):
        xr, ar = bytearray(stride), bytearray(stride)
        for x in range(size):
            bit = 0x80 >> (x % 8)
            if (x, y) in black:
                pass
            elif (x, y) in white:
                xr[x // 8] |= bit
            else:
                ar[x // 8] |= bit
        xor_rows.append(xr)
        and_rows.append(ar)
    bits = b"".join(reversed(xor_rows)) + b"".join(reversed(and_rows))
    palette = bytes((0, 0, 0, 0, 255, 255, 255, 0))
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 1, 0, len(bits), 0, 0, 2, 0)
    data = header + palette + bits
    out = struct.pack("<HHH", 0, 2, 1)
    out += struct.pack("<BBBBHHII", size, size, 2, 0, cx, cy, len(data), 22)
    return out + data


def write(name, data):
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(data)


def main():
    write("vantrel.ico", ico_bytes([program_icon(n) for n in ICON_SIZES]))
    for name, up_on, down_on in [
        ("tray_idle.ico", False, False),
        ("tray_up.ico", True, False),
        ("tray_down.ico", False, True),
        ("tray_both.ico", True, True),
    ]:
        write(name, ico_bytes([tray_icon(n, up_on, down_on) for n in ICON_SIZES]))
    # In the order of the toolbar resource: Show, Options, Stopwatch, Traffic Reports, Help.
    images = [image_show, image_options, image_stopwatch, image_reports, image_help]
    for n in MENU_SIZES:
        strip = Canvas(n * len(images), n, (255, 0, 255, 0))
        for i, draw in enumerate(images):
            paste(strip, draw(n), n * i, 0)
        write("menu_images.bmp" if n == 16 else "menu_images_%d.bmp" % n, bmp_bytes(strip))
    write("vsplit.cur", vsplit_cursor())


if __name__ == "__main__":
    main()
