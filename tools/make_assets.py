#!/usr/bin/env python3
"""Writes the game's start-up assets into assets/ (run from anywhere; the output is committed).

Everything is drawn here from numbers, so the same script always writes the same bytes:
- assets/icon.png: the window icon, a house under a sun on a teal tile (64 x 64);
- assets/scenes/images/Cursor.png: the game's arrow cursor (32 x 32, hot spot at 2, 2);
- assets/logos/Logos.xml: the logos shown at start-up;
- assets/scenes/LogosScene.oscn: the first scene.
"""
import os
import struct
import zlib

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
ASSETS = os.path.join(ROOT, "assets")


def png(width, height, pixel):
    """A PNG of 8-bit RGBA pixels; pixel(x, y) gives (r, g, b, a)."""
    rows = bytearray()
    for y in range(height):
        rows.append(0)  # no filter
        for x in range(width):
            rows.extend(pixel(x, y))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(bytes(rows), 9)) + chunk(b"IEND", b""))


def icon_pixel(x, y):
    size = 64
    # A rounded teal tile.
    corner = 10
    cx = min(max(x, corner), size - 1 - corner)
    cy = min(max(y, corner), size - 1 - corner)
    if (x - cx) ** 2 + (y - cy) ** 2 > corner ** 2:
        return (0, 0, 0, 0)
    # The sun, top right.
    if (x - 46) ** 2 + (y - 16) ** 2 <= 49:
        return (255, 206, 64, 255)
    # The roof: a triangle over the walls.
    if 14 <= y < 32 and abs(x - 28) <= (y - 14) * 16 // 18 + 1:
        return (196, 64, 48, 255)
    # The walls with a door.
    if 32 <= y < 52 and 14 <= x < 43:
        if 24 <= x < 33 and y >= 40:
            return (92, 56, 32, 255)
        return (244, 232, 208, 255)
    # Grass below, sky above.
    if y >= 52:
        return (72, 160, 72, 255)
    return (36, 132, 140, 255)


def cursor_pixel(x, y):
    # An arrow with its tip at (2, 2): white inside a black outline.
    dx, dy = x - 2, y - 2
    if dx < 0 or dy < 0:
        return (0, 0, 0, 0)

    def inside(px, py):
        # The head: a triangle 16 rows high; the tail: a slanted bar below its middle.
        if px < 0 or py < 0:
            return False
        if py < 16:
            return px <= py * 3 // 4
        return py < 24 and (py - 16) // 2 + 4 <= px <= (py - 16) // 2 + 7

    if inside(dx, dy):
        near_edge = not all(inside(dx + ox, dy + oy) for ox, oy in ((-1, 0), (1, 0), (0, -1), (0, 1)))
        return (0, 0, 0, 255) if near_edge or dx == 0 else (255, 255, 255, 255)
    return (0, 0, 0, 0)


LOGOS_XML = """<?xml version="1.0" encoding="utf-8"?>
<Logos>
\t<Logo Image="logos/images/Quorvane.png" Time="3000" Skippable="true"/>
\t<Logo Image="logos/images/Oskel.png" Time="2000" Skippable="true"/>
</Logos>
"""

LOGOS_SCENE = """<?xml version="1.0" encoding="utf-8"?>
<SceneNode Type="SceneNode" ClassOverride="GLogosScene">
\t<Properties>
\t\t<string Name="Name" Value="LogosScene"/>
\t</Properties>
</SceneNode>
"""


def write(relative, data):
    path = os.path.join(ASSETS, relative)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as out:
        out.write(data)


def main():
    write("icon.png", png(64, 64, icon_pixel))
    write("scenes/images/Cursor.png", png(32, 32, cursor_pixel))
    write("logos/Logos.xml", LOGOS_XML.encode("utf-8"))
    write("scenes/LogosScene.oscn", LOGOS_SCENE.encode("utf-8"))


if __name__ == "__main__":
    main()
