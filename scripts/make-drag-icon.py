#!/usr/bin/env python3
"""Draws the file list's drag cursor (app/files/drag.ico): a white up-and-down arrow with a
black outline, 32x32, 32-bit colour with an alpha channel. Run it again after changing the shape."""
import struct
import sys

SIZE = 32


def inside_shape(x, y):
    """The filled arrow: a shaft with an arrow head at the top and at the bottom."""
    dx = abs(x - 15.5)
    if 2 <= y <= 9:  # upper head, widening downwards
        return dx <= (y - 2) + 0.5
    if 22 <= y <= 29:  # lower head, narrowing downwards
        return dx <= (29 - y) + 0.5
    if 10 <= y <= 21:  # shaft
        return dx <= 2.5
    return False


def pixels():
    filled = [[inside_shape(x, y) for x in range(SIZE)] for y in range(SIZE)]
    rows = []
    for y in range(SIZE):
        row = []
        for x in range(SIZE):
            if filled[y][x]:
                edge = any(
                    not (0 <= x + ox < SIZE and 0 <= y + oy < SIZE and filled[y + oy][x + ox])
                    for ox, oy in ((1, 0), (-1, 0), (0, 1), (0, -1)))
                row.append((0, 0, 0, 255) if edge else (255, 255, 255, 255))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def ico_bytes():
    rows = pixels()
    colour = b"".join(
        bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
    mask_row_bytes = 4  # 32 pixels, one bit each, rows padded to 32 bits
    mask = bytearray()
    for row in reversed(rows):
        bits = 0
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits |= 1 << (31 - x)
        mask += bits.to_bytes(mask_row_bytes, "big")
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 32, 0,
                         len(colour) + len(mask), 0, 0, 0, 0)
    image = header + colour + bytes(mask)
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 32, len(image), 6 + 16)
    return directory + entry + image


if __name__ == "__main__":
    target = sys.argv[1] if len(sys.argv) > 1 else "app/files/drag.ico"
    with open(target, "wb") as out:
        out.write(ico_bytes())
