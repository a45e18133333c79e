#!/usr/bin/env python3
"""Draws the game's icon, packaging/orvantis.png: the hero's used ship
flying right past a ringed planet, in the title screen's block-glyph colours.
Pure Python (no image library), so it regenerates on any machine:
    python3 packaging/make_icon.py
"""
import pathlib
import struct
import zlib

SIZE = 64
SPACE = (8, 8, 24, 255)
STAR = (200, 200, 255, 255)
HULL = (170, 170, 170, 255)
HULL_DARK = (90, 90, 100, 255)
WINDOW = (0, 220, 255, 255)
FLAME = (255, 170, 0, 255)
FLAME_CORE = (255, 255, 120, 255)
PLANET = (200, 80, 40, 255)
PLANET_DARK = (120, 40, 20, 255)
RING = (230, 200, 120, 255)


def draw():
    pixels = [[SPACE] * SIZE for _ in range(SIZE)]

    def put(x, y, colour):
        if 0 <= x < SIZE and 0 <= y < SIZE:
            pixels[y][x] = colour

    def rect(x0, y0, x1, y1, colour):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                put(x, y, colour)

    # A rounded frame, so the icon reads as a tile in a launcher.
    for y in range(SIZE):
        for x in range(SIZE):
            dx = max(6 - x, x - (SIZE - 7), 0)
            dy = max(6 - y, y - (SIZE - 7), 0)
            if dx * dx + dy * dy > 36:
                pixels[y][x] = (0, 0, 0, 0)

    for x, y in [(9, 10), (22, 6), (37, 14), (54, 9), (12, 50), (30, 56), (50, 52), (5, 30), (58, 30)]:
        put(x, y, STAR)

    # The planet, top right, shaded on its far side, with a ring across it.
    cx, cy, r = 46, 20, 11
    for y in range(cy - r, cy + r + 1):
        for x in range(cx - r, cx + r + 1):
            if (x - cx) ** 2 + (y - cy) ** 2 <= r * r:
                put(x, y, PLANET_DARK if x - cx + (y - cy) // 2 > 4 else PLANET)
    for x in range(cx - 17, cx + 18):
        y = cy + (x - cx) // 5
        if abs(x - cx) > 6 or x < cx:
            put(x, y, RING)

    # The ship: a blunt hull, a cockpit, a fin and a sputtering engine.
    rect(14, 34, 40, 43, HULL)
    rect(14, 42, 40, 43, HULL_DARK)
    for i in range(6):  # the pointed nose
        rect(41 + i, 35 + i // 2, 41 + i, 42 - i // 2, HULL)
    rect(30, 36, 35, 38, WINDOW)
    for i in range(7):  # the tail fin
        rect(16 + i, 27 + i, 20 + i // 2, 34, HULL_DARK)
    rect(20, 44, 30, 46, HULL_DARK)  # the landing skid, dented
    rect(6, 36, 13, 41, FLAME)
    rect(9, 37, 13, 40, FLAME_CORE)
    put(4, 38, FLAME)
    put(3, 39, FLAME)
    return pixels


def png(pixels):
    raw = b"".join(b"\x00" + bytes(v for px in row for v in px) for row in pixels)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", SIZE, SIZE, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b""))


if __name__ == "__main__":
    target = pathlib.Path(__file__).with_name("orvantis.png")
    target.write_bytes(png(draw()))
    print(target)
