"""What the program needs before the preloader: the window icon, the cursor (hot spot 2, 2), the
logos file and the first scene.

- assets/icon.png: a house under a sun on a teal tile (64 x 64);
- assets/scenes/images/Cursor.png: the arrow cursor (32 x 32), its tip at (2, 2);
- assets/logos/Logos.xml: the logos shown at start-up (their pictures and the first scene, the
  logos scene, are made by the start screens' module).
"""
from PIL import Image

from .common import Output, asset
from .registry import Module

CURSOR_HOT_SPOT = (2, 2)

LOGOS = [  # image, milliseconds, skippable
    ("logos/images/Quorvane.png", 3000, True),
    ("logos/images/Oskel.png", 2000, True),
]


def pixels(width, height, pixel):
    image = Image.new("RGBA", (width, height))
    image.putdata([pixel(x, y) for y in range(height) for x in range(width)])
    return image


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
    # An arrow with its tip at the hot spot: white inside a black outline.
    dx, dy = x - CURSOR_HOT_SPOT[0], y - CURSOR_HOT_SPOT[1]
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


def logos_text():
    lines = ["<Logos>"]
    for image, time, skippable in LOGOS:
        lines.append('\t<Logo Image="%s" Time="%d" Skippable="%s" />'
                     % (image, time, "true" if skippable else "false"))
    lines.append("</Logos>")
    return "\n".join(lines) + "\n"


def build():
    out = Output()
    out.add_png(asset("icon.png"), pixels(64, 64, icon_pixel))
    out.add_png(asset("scenes/images/Cursor.png"), pixels(32, 32, cursor_pixel))
    out.add_xml(asset("logos/Logos.xml"), logos_text())
    return out


MODULE = Module("startup", build, __file__,
                outputs=[asset("icon.png"), asset("scenes/images/Cursor.png"),
                         asset("logos/Logos.xml")])
