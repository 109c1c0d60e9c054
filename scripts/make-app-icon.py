#!/usr/bin/env python3
"""Draws the menu icon of the desktop program into packaging/icons/hicolor/: a table sheet with a
green header row (the window icon's motif) in front of which stands a database drum. One list of
shapes gives both the scalable SVG and the PNG sizes, so they never differ; the PNGs are
rasterised here with 4x4 samples per pixel. The Windows program's icon (packaging/windows/
quillmere.ico) holds the same PNGs. Run it again after changing a shape."""
import math
import os
import struct
import sys
import zlib

CANVAS = 256  # the shapes' coordinate space, also the SVG's view box
PNG_SIZES = (16, 22, 24, 32, 48, 64, 128, 256)
ICO_SIZES = (16, 24, 32, 48, 64, 256)  # the sizes Explorer and the title bar ask for
SAMPLES = 4  # per pixel and axis

INK = (40, 40, 40)
PAPER = (255, 255, 255)
HEADER = (46, 125, 50)
GRID = (120, 120, 120)
DRUM = (164, 55, 58)
DRUM_TOP = (214, 108, 110)


class RoundedRect:
    def __init__(self, x0, y0, x1, y1, r, below=None):
        self.x0, self.y0, self.x1, self.y1, self.r = x0, y0, x1, y1, r
        self.below = below  # keep only the part above this line (the header row)

    def bounds(self):
        return self.x0, self.y0, self.x1, self.below or self.y1

    def contains(self, x, y):
        if not (self.x0 <= x <= self.x1 and self.y0 <= y <= self.y1):
            return False
        if self.below is not None and y > self.below:
            return False
        cx = min(max(x, self.x0 + self.r), self.x1 - self.r)
        cy = min(max(y, self.y0 + self.r), self.y1 - self.r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= self.r ** 2

    def svg(self):
        if self.below is None:
            return (f'<rect x="{self.x0}" y="{self.y0}" width="{self.x1 - self.x0}" '
                    f'height="{self.y1 - self.y0}" rx="{self.r}"')
        x0, y0, x1, y1, r = self.x0, self.y0, self.x1, self.below, self.r
        return (f'<path d="M{x0},{y1} V{y0 + r} A{r},{r} 0 0 1 {x0 + r},{y0} H{x1 - r} '
                f'A{r},{r} 0 0 1 {x1},{y0 + r} V{y1} Z"')


class Ellipse:
    def __init__(self, cx, cy, rx, ry):
        self.cx, self.cy, self.rx, self.ry = cx, cy, rx, ry

    def bounds(self):
        return self.cx - self.rx, self.cy - self.ry, self.cx + self.rx, self.cy + self.ry

    def contains(self, x, y):
        return ((x - self.cx) / self.rx) ** 2 + ((y - self.cy) / self.ry) ** 2 <= 1.0

    def svg(self):
        return f'<ellipse cx="{self.cx}" cy="{self.cy}" rx="{self.rx}" ry="{self.ry}"'


class Drum:
    """A cylinder standing upright: a body from the top ellipse's centre line down to a bottom
    ellipse of the same radii."""

    def __init__(self, cx, top, bottom, rx, ry):
        self.cx, self.top, self.bottom, self.rx, self.ry = cx, top, bottom, rx, ry

    def bounds(self):
        return self.cx - self.rx, self.top - self.ry, self.cx + self.rx, self.bottom + self.ry

    def contains(self, x, y):
        if abs(x - self.cx) > self.rx:
            return False
        if self.top <= y <= self.bottom:
            return True
        centre = self.top if y < self.top else self.bottom
        return ((x - self.cx) / self.rx) ** 2 + ((y - centre) / self.ry) ** 2 <= 1.0

    def svg(self):
        cx, t, b, rx, ry = self.cx, self.top, self.bottom, self.rx, self.ry
        return (f'<path d="M{cx - rx},{t} A{rx},{ry} 0 0 1 {cx + rx},{t} V{b} '
                f'A{rx},{ry} 0 0 1 {cx - rx},{b} Z"')


def rect(x0, y0, x1, y1):
    return RoundedRect(x0, y0, x1, y1, 0)


# Painted in this order, each over the ones before. Outlines are the same shape drawn larger in
# ink first, so the SVG needs no strokes and matches the raster exactly.
SHAPES = [
    (RoundedRect(16, 28, 204, 212, 22), INK),
    (RoundedRect(26, 38, 194, 202, 12), PAPER),
    (RoundedRect(26, 38, 194, 202, 12, below=88), HEADER),
    (rect(26, 88, 194, 96), INK),
    (rect(26, 129, 194, 135), GRID),
    (rect(26, 166, 194, 172), GRID),
    (rect(80, 96, 86, 202), GRID),
    (rect(137, 96, 143, 202), GRID),
    (Drum(186, 158, 222, 56, 22), INK),
    (Drum(186, 158, 222, 47, 15), DRUM),
    (Ellipse(186, 192, 47, 15), INK),
    (Ellipse(186, 186, 47, 15), DRUM),
    (Drum(186, 158, 186, 47, 15), DRUM),
    (Ellipse(186, 158, 47, 15), DRUM_TOP),
]


def svg_text():
    lines = [
        '<?xml version="1.0" encoding="UTF-8"?>',
        f'<svg xmlns="http://www.w3.org/2000/svg" width="{CANVAS}" height="{CANVAS}" '
        f'viewBox="0 0 {CANVAS} {CANVAS}">',
    ]
    for shape, colour in SHAPES:
        lines.append(f'  {shape.svg()} fill="#{colour[0]:02x}{colour[1]:02x}{colour[2]:02x}"/>')
    lines.append("</svg>")
    return "\n".join(lines) + "\n"


def raster(size):
    """RGBA rows of the icon at size x size: each shape's coverage of a pixel is the share of
    its sample points inside it, painted over what lies below."""
    scale = CANVAS / size
    pixels = [[[0.0, 0.0, 0.0, 0.0] for _ in range(size)] for _ in range(size)]
    offsets = [(i + 0.5) / SAMPLES for i in range(SAMPLES)]
    for shape, colour in SHAPES:
        x0, y0, x1, y1 = shape.bounds()
        for py in range(max(0, int(y0 / scale)), min(size, math.ceil(y1 / scale) + 1)):
            for px in range(max(0, int(x0 / scale)), min(size, math.ceil(x1 / scale) + 1)):
                hits = sum(
                    shape.contains((px + ox) * scale, (py + oy) * scale)
                    for oy in offsets
                    for ox in offsets
                )
                if hits == 0:
                    continue
                a = hits / (SAMPLES * SAMPLES)
                p = pixels[py][px]
                # Premultiplied "over": colour * a + below * (1 - a).
                for c in range(3):
                    p[c] = colour[c] * a + p[c] * (1 - a)
                p[3] = a + p[3] * (1 - a)
    rows = []
    for row in pixels:
        out = bytearray()
        for r, g, b, a in row:
            if a <= 0:
                out += b"\0\0\0\0"
            else:
                out += bytes(min(255, round(v / a)) for v in (r, g, b)) + bytes((round(a * 255),))
        rows.append(bytes(out))
    return rows


def png_bytes(size):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    raw = b"".join(b"\0" + row for row in raster(size))  # filter type 0 on every row
    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)  # 8-bit RGBA
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def ico_bytes(sizes):
    # An icon directory whose images are PNG streams (Windows Vista and later read them); a
    # width or height of 256 is written as 0.
    images = [png_bytes(size) for size in sizes]
    offset = 6 + 16 * len(images)
    directory = struct.pack("<HHH", 0, 1, len(images))
    for size, image in zip(sizes, images):
        side = size % 256
        directory += struct.pack("<BBBBHHII", side, side, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    return directory + b"".join(images)


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)
    print(path)


def main():
    root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
    hicolor = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "packaging/icons/hicolor")
    write(os.path.join(hicolor, "scalable/apps/quillmere.svg"), svg_text().encode())
    for size in PNG_SIZES:
        write(os.path.join(hicolor, f"{size}x{size}/apps/quillmere.png"), png_bytes(size))
    if len(sys.argv) <= 1:
        write(os.path.join(root, "packaging/windows/quillmere.ico"), ico_bytes(ICO_SIZES))


if __name__ == "__main__":
    main()
