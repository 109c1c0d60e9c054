#!/usr/bin/env python3
"""Writes app/files/HAND-M.CUR, the program's hand pointer: a 32x32 cursor drawn below
('#' outline, '.' fill, blank transparent), 32-bit colour with an AND mask, hot spot at the
tip of the index finger."""
import struct
import sys

HAND = [
    "      ##                        ",
    "     #..#                       ",
    "     #..#                       ",
    "     #..#                       ",
    "     #..#                       ",
    "     #..###                     ",
    "     #..#..###                  ",
    "     #..#..#..##                ",
    "     #..#..#..#.#               ",
    " ### #..#..#..#..#              ",
    " #..##........#..#              ",
    " #...#...........#              ",
    "  #..#...........#              ",
    "   #.............#              ",
    "   #.............#              ",
    "    #............#              ",
    "    #...........#               ",
    "     #..........#               ",
    "     #.........#                ",
    "      #........#                ",
    "      #........#                ",
    "      ##########                ",
] + [" " * 32] * 10
HOT_X, HOT_Y = 6, 0
SIZE = 32


def pixels():
    rows = []
    for line in HAND:
        row = []
        for ch in line.ljust(SIZE)[:SIZE]:
            if ch == "#":
                row.append((0, 0, 0, 255))
            elif ch == ".":
                row.append((255, 255, 255, 255))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def cursor_bytes():
    rows = pixels()
    xor = bytearray()
    mask = bytearray()
    for row in reversed(rows):  # DIB rows run bottom-up
        for b, g, r, a in [(p[2], p[1], p[0], p[3]) for p in row]:
            xor += bytes((b, g, r, a))
        bits = 0
        line = bytearray()
        for x, p in enumerate(row):
            bits = (bits << 1) | (0 if p[3] else 1)
            if x % 8 == 7:
                line.append(bits)
                bits = 0
        mask += line  # 32 pixels = 4 bytes, already a multiple of 4
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 32, 0, len(xor) + len(mask),
                         0, 0, 0, 0)
    image = header + bytes(xor) + bytes(mask)
    directory = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, HOT_X, HOT_Y, len(image), 6 + 16)
    return directory + entry + image


if __name__ == "__main__":
    out = sys.argv[1] if len(sys.argv) > 1 else "app/files/HAND-M.CUR"
    with open(out, "wb") as f:
        f.write(cursor_bytes())
