"""The world map's pictures under scenes/images/Map/: the land with the road that joins the 39
locations, the platforms a location stands on (plain, grey, red, green), the silver and gold
stars, the selector ring, the panels and arrows of the level hints, the signs of an obligatory
upgrade ("O" bought, "N" missing) and one icon per upgrade the shop sells.

The locations' centres are fixed here: the scene generator places the location buttons on them,
so the road always runs through the buttons.
"""
import math
import random

import cairo

from .kit import DESIGN_SIZE, Canvas, Category, Palette, Picture, Style, compose, rgb, shade, \
    soft_shadow

FOLDER = "scenes/images/Map/"
ICON_FOLDER = FOLDER + "Icons/"

LOCATION_COUNT = 39
# Rows of the road, top to bottom, each crossed alternately left to right and back.
ROWS = (150, 262, 374, 486, 598)
ROW_LEFT, ROW_RIGHT = 80, 944
PER_ROW = 8
# Every eighth location holds a mini-game.
MINI_GAME_LOCATIONS = (7, 15, 23, 31)

BUTTON_SIZE = (76, 76)
PLATFORM_SIZE = (68, 34)
STAR_SIZE = (34, 34)
SELECTOR_SIZE = (76, 42)
# The level hints: a small panel (no obligatory upgrade) and a large one, with arrows whose tips
# lie on the hint's pivot points.
HINT_WIDTH = 184
HINT_SMALL_HEIGHT = 86
HINT_LARGE_HEIGHT = 162
ARROW_DOWN_SMALL = (40, 49)   # from the small panel's bottom to the tip at y = 133
ARROW_DOWN_LARGE = (40, 59)   # from the large panel's bottom to the tip at y = 219
ARROW_SIDE = (54, 40)         # from a panel's side to the tip 52 px out
SIGN_SIZE = (28, 28)
ICON_SIZE = 40


def name(base):
    return FOLDER + base + ".png"


def location_centres():
    """The centre of each location on the 1024 x 768 map, in road order."""
    rng = random.Random(6110)
    centres = []
    step = (ROW_RIGHT - ROW_LEFT) / float(PER_ROW - 1)
    for index in range(LOCATION_COUNT):
        row, column = divmod(index, PER_ROW)
        if row % 2:
            column = PER_ROW - 1 - column
        x = ROW_LEFT + column * step
        y = ROWS[row] + rng.choice((-10, -4, 4, 10))
        centres.append((round(x), round(y)))
    return centres


# --- The land -------------------------------------------------------------------------------

def _road_points(centres):
    """A smooth road through the centres: straight runs along a row, a round bend between rows."""
    points = [(centres[0][0] - 60, centres[0][1])]
    points += centres
    last = centres[-1]
    points.append((last[0] + (60 if (LOCATION_COUNT - 1) // PER_ROW % 2 == 0 else -60), last[1]))
    return points


def _smooth_path(ctx, points):
    ctx.new_path()
    ctx.move_to(*points[0])
    for i in range(1, len(points)):
        x0, y0 = points[i - 1]
        x1, y1 = points[i]
        if abs(y1 - y0) > 40:  # the bend into the next row, out past the row's end
            out = 70 if x1 > 512 else -70
            ctx.curve_to(x0 + out, y0, x1 + out, y1, x1, y1)
        else:
            mx = (x0 + x1) / 2.0
            ctx.curve_to(mx, y0, mx, y1, x1, y1)


def _tree(canvas, x, y, size, colour):
    canvas.circle(x + 3, y + size * 0.55, size * 0.45)
    canvas.fill(Palette.BLACK, alpha=Style.SHADOW_ALPHA, preserve=False)
    canvas.rounded_rect(x - 2, y, 4, size * 0.5, 1.5)
    canvas.fill(rgb("#8B5A2B"), preserve=True)
    canvas.outline(1.2)
    canvas.circle(x, y - size * 0.1, size * 0.5)
    canvas.lit_fill(colour, (x - size * 0.5, y - size * 0.6, size, size))
    canvas.outline(1.5)


def _lake(canvas, cx, cy, rx, ry):
    ctx = canvas.ctx
    ctx.save()
    ctx.translate(cx, cy)
    ctx.scale(rx, ry)
    ctx.new_path()
    ctx.arc(0, 0, 1, 0, 2 * math.pi)
    ctx.restore()
    canvas.fill(Palette.SAND, preserve=True)
    canvas.outline(1.5)
    ctx.save()
    ctx.translate(cx, cy)
    ctx.scale(rx - 8, ry - 6)
    ctx.new_path()
    ctx.arc(0, 0, 1, 0, 2 * math.pi)
    ctx.restore()
    canvas.lit_fill(Palette.WATER, (cx - rx, cy - ry, 2 * rx, 2 * ry))
    canvas.outline(1.5)
    for i in range(3):
        wx = cx - rx * 0.4 + i * rx * 0.35
        wy = cy - ry * 0.2 + (i % 2) * ry * 0.35
        canvas.stroke_line([(wx - 8, wy), (wx - 3, wy - 3), (wx + 3, wy), (wx + 8, wy - 3)], 1.5,
                           Palette.FOAM)


def _house(canvas, x, y, roof):
    canvas.rounded_rect(x, y, 22, 16, 2)
    canvas.lit_fill(Palette.PANEL, (x, y, 22, 16))
    canvas.outline(1.2)
    canvas.polygon([(x - 3, y + 1), (x + 11, y - 11), (x + 25, y + 1)])
    canvas.lit_fill(roof, (x - 3, y - 11, 28, 12))
    canvas.outline(1.2)


def land(centres):
    rng = random.Random(6111)
    w, h = DESIGN_SIZE
    canvas = Canvas(w, h)
    ctx = canvas.ctx
    gradient = cairo.LinearGradient(0, 0, w * 0.3, h)
    gradient.add_color_stop_rgb(0.0, *shade(Palette.GRASS, 0.08))
    gradient.add_color_stop_rgb(1.0, *shade(Palette.GRASS, -0.08))
    ctx.rectangle(0, 0, w, h)
    ctx.set_source(gradient)
    ctx.fill()
    # the sea along the top, the seaside sand below it
    ctx.new_path()
    ctx.move_to(0, 0)
    for x in range(0, w + 16, 16):
        ctx.line_to(x, 62 + 10 * math.sin(x / 90.0))
    ctx.line_to(w, 0)
    ctx.close_path()
    canvas.fill(Palette.SAND, preserve=False)
    ctx.new_path()
    ctx.move_to(0, 0)
    for x in range(0, w + 16, 16):
        ctx.line_to(x, 46 + 10 * math.sin(x / 90.0))
    ctx.line_to(w, 0)
    ctx.close_path()
    canvas.lit_fill(Palette.WATER, (0, 0, w, 60), preserve=True)
    canvas.outline(1.5)
    for i in range(9):
        x = 40 + i * 115
        canvas.stroke_line([(x, 20), (x + 8, 15), (x + 16, 20)], 1.5, Palette.FOAM)
    # autumn fields bottom right, snow bottom left: the settings the campaign passes through
    for colour, points in ((Palette.AUTUMN, [(640, h), (700, 660), (860, 640), (w, 650), (w, h)]),
                           (Palette.SNOW, [(0, 650), (150, 640), (300, 670), (360, h), (0, h)])):
        canvas.polygon(points)
        canvas.lit_fill(colour, (0, 600, w, 168))
        canvas.outline(1.5)
    _lake(canvas, 512, 318, 62, 26)
    _lake(canvas, 200, 430, 44, 18)
    # the road: kerb, tarmac, then dashes down the middle
    points = _road_points(centres)
    for width, colour in ((30, Palette.OUTLINE), (26, Palette.KERB), (20, Palette.ROAD)):
        _smooth_path(ctx, points)
        ctx.set_line_width(width)
        ctx.set_line_cap(cairo.LINE_CAP_ROUND)
        ctx.set_line_join(cairo.LINE_JOIN_ROUND)
        ctx.set_source_rgb(*colour)
        ctx.stroke()
    _smooth_path(ctx, points)
    ctx.set_dash([10, 10])
    ctx.set_line_width(2.5)
    ctx.set_source_rgb(*Palette.MARKING)
    ctx.stroke()
    ctx.set_dash([])
    # trees and houses between the rows, clear of the road and the locations
    def clear(x, y, margin):
        return all(abs(x - cx) > margin or abs(y - cy) > margin for cx, cy in centres) and \
            all(abs(y - row) > 34 for row in ROWS) and 70 < y < 660
    placed = 0
    while placed < 60:
        x, y = rng.uniform(20, w - 20), rng.uniform(70, 660)
        if not clear(x, y, 50):
            continue
        if rng.random() < 0.25:
            _house(canvas, x - 11, y - 8, rng.choice(Palette.ROOFS))
        else:
            _tree(canvas, x, y, rng.uniform(14, 22),
                  shade(Palette.GRASS_SHADE, rng.uniform(-0.1, 0.05)))
        placed += 1
    return canvas.image().convert("RGB").convert("RGBA")


# --- Locations ------------------------------------------------------------------------------

def platform(colour):
    w, h = PLATFORM_SIZE
    pad = 4
    canvas = Canvas(w + pad, h + pad)
    ctx = canvas.ctx
    # a round stone base: a darker side band under a lit top
    for dy, tone in ((8, shade(colour, -0.25)), (0, colour)):
        ctx.save()
        ctx.translate(w / 2.0, (h - 8) / 2.0 + dy + 1)
        ctx.scale(w / 2.0 - 1, (h - 8) / 2.0)
        ctx.new_path()
        ctx.arc(0, 0, 1, 0, 2 * math.pi)
        ctx.restore()
        canvas.lit_fill(tone, (0, dy, w, h - 8))
        canvas.outline(Style.OUTLINE)
    ctx.save()
    ctx.translate(w / 2.0, (h - 8) / 2.0)
    ctx.scale(w / 2.0 - 12, (h - 8) / 2.0 - 6)
    ctx.new_path()
    ctx.arc(0, 0, 1, 0, 2 * math.pi)
    ctx.restore()
    canvas.fill(Palette.WHITE, alpha=0.22, preserve=False)
    return compose(soft_shadow(canvas.image(), offset=(3, 3)), canvas.image())


def star(colour):
    w, h = STAR_SIZE
    canvas = Canvas(w, h)
    cx, cy, outer, inner = w / 2.0, h / 2.0 + 1, w / 2.0 - 2, w / 5.0
    points = []
    for i in range(10):
        a = -math.pi / 2 + i * math.pi / 5
        r = outer if i % 2 == 0 else inner
        points.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    canvas.polygon(points)
    canvas.lit_fill(colour, (0, 0, w, h))
    canvas.outline(Style.OUTLINE_SMALL)
    canvas.circle(cx - 4, cy - 5, 3)
    canvas.fill(Palette.WHITE, alpha=0.6, preserve=False)
    return canvas.image()


def selector():
    w, h = SELECTOR_SIZE
    canvas = Canvas(w, h)
    ctx = canvas.ctx
    for width, colour in ((7, Palette.OUTLINE), (4, Palette.GOLD_HIGHLIGHT)):
        ctx.save()
        ctx.translate(w / 2.0, h / 2.0)
        ctx.scale(w / 2.0 - 4, h / 2.0 - 4)
        ctx.new_path()
        ctx.arc(0, 0, 1, 0, 2 * math.pi)
        ctx.restore()
        ctx.set_line_width(width)
        ctx.set_source_rgb(*colour)
        ctx.stroke()
    return canvas.image()


def hover_glow():
    w, h = SELECTOR_SIZE
    canvas = Canvas(w, h)
    ctx = canvas.ctx
    ctx.save()
    ctx.translate(w / 2.0, h / 2.0)
    ctx.scale(w / 2.0 - 2, h / 2.0 - 2)
    ctx.new_path()
    ctx.arc(0, 0, 1, 0, 2 * math.pi)
    ctx.restore()
    canvas.fill(Palette.WHITE, alpha=0.45, preserve=False)
    return canvas.image()


# --- Level hints ----------------------------------------------------------------------------

def hint_panel(height):
    w = HINT_WIDTH
    canvas = Canvas(w, height)
    canvas.rounded_rect(1, 1, w - 2, height - 2, Style.PANEL_RADIUS)
    canvas.lit_fill(Palette.PANEL, (0, 0, w, height))
    canvas.outline()
    canvas.rounded_rect(6, 6, w - 12, height - 12, Style.PANEL_RADIUS - 4)
    canvas.outline(1.0, Palette.PANEL_EDGE)
    return canvas.image()


def arrow(size, direction):
    """A panel-coloured arrow whose tip touches the far edge of its box."""
    w, h = size
    canvas = Canvas(w, h)
    if direction == "down":
        points = [(2, 0), (w - 2, 0), (w / 2.0, h - 1)]
    elif direction == "left":
        points = [(w, 2), (w, h - 2), (1, h / 2.0)]
    else:
        points = [(0, 2), (0, h - 2), (w - 1, h / 2.0)]
    canvas.polygon(points)
    canvas.lit_fill(Palette.PANEL, (0, 0, w, h))
    canvas.outline(Style.OUTLINE_SMALL)
    return canvas.image()


def sign(bought):
    w, h = SIGN_SIZE
    canvas = Canvas(w, h)
    colour = Palette.PRIMARY["normal"] if bought else Palette.DANGER
    canvas.circle(w / 2.0, h / 2.0, w / 2.0 - 1)
    canvas.lit_fill(colour, (0, 0, w, h))
    canvas.outline(Style.OUTLINE_SMALL)
    ctx = canvas.ctx
    ctx.set_line_cap(cairo.LINE_CAP_ROUND)
    ctx.set_line_width(3.5)
    ctx.set_source_rgb(*Palette.WHITE)
    if bought:  # a tick
        ctx.move_to(8, 14.5)
        ctx.line_to(12.5, 19)
        ctx.line_to(20, 9)
    else:  # a cross
        ctx.move_to(9, 9)
        ctx.line_to(19, 19)
        ctx.move_to(19, 9)
        ctx.line_to(9, 19)
    ctx.stroke()
    return canvas.image()


# --- Upgrade icons --------------------------------------------------------------------------

def _glyph(canvas, upgrade, box):
    """A small picture of what the upgrade brings: a tent, a cup, a truck, a pool's waves, a
    tree, a house with a sign, or a house."""
    x, y, w, h = box
    key = upgrade.lower()
    ctx = canvas.ctx
    if "camping" in key:
        canvas.polygon([(x + 4, y + h - 4), (x + w / 2.0, y + 5), (x + w - 4, y + h - 4)])
        canvas.lit_fill(Palette.SECONDARY["normal"], box)
        canvas.outline(1.5)
        canvas.polygon([(x + w / 2.0 - 4, y + h - 4), (x + w / 2.0, y + h - 14),
                        (x + w / 2.0 + 4, y + h - 4)])
        canvas.fill(Palette.OUTLINE, preserve=False)
    elif "cafe" in key:
        canvas.rounded_rect(x + 6, y + 10, w - 16, h - 16, 4, (False, False, True, True))
        canvas.lit_fill(Palette.WHITE, box)
        canvas.outline(1.5)
        ctx.new_path()
        ctx.arc(x + w - 9, y + h / 2.0, 5, -math.pi / 2, math.pi / 2)
        ctx.set_line_width(2.5)
        ctx.set_source_rgb(*Palette.OUTLINE)
        ctx.stroke()
        for dx in (0, 6):
            canvas.stroke_line([(x + 13 + dx, y + 7), (x + 15 + dx, y + 2)], 1.5, Palette.KERB)
    elif "truck" in key:
        canvas.rounded_rect(x + 3, y + 9, w - 16, h - 18, 2)
        canvas.lit_fill(Palette.ROOFS[1], box)
        canvas.outline(1.5)
        canvas.rounded_rect(x + w - 14, y + 14, 11, h - 23, 3, (False, True, False, False))
        canvas.lit_fill(Palette.DANGER, box)
        canvas.outline(1.5)
        for wx in (x + 10, x + w - 9):
            canvas.circle(wx, y + h - 8, 4)
            canvas.fill(Palette.OUTLINE, preserve=False)
    elif "aqua" in key or "pool" in key:
        canvas.rounded_rect(x + 3, y + 8, w - 6, h - 14, 6)
        canvas.lit_fill(Palette.WATER, box)
        canvas.outline(1.5)
        for row in (0, 1):
            yy = y + 16 + row * 9
            canvas.stroke_line([(x + 8, yy), (x + 14, yy - 3), (x + 20, yy), (x + 26, yy - 3)], 2.0,
                               Palette.FOAM)
    elif "garden" in key or "park" in key or "statue" in key or "memorial" in key:
        canvas.circle(x + w / 2.0, y + h / 2.0 - 3, w / 2.0 - 6)
        canvas.lit_fill(Palette.GRASS_SHADE, box)
        canvas.outline(1.5)
        canvas.rounded_rect(x + w / 2.0 - 2.5, y + h - 12, 5, 9, 1.5)
        canvas.fill(rgb("#8B5A2B"), preserve=True)
        canvas.outline(1.0)
    else:
        roof = Palette.ROOFS[sum(ord(c) for c in upgrade) % len(Palette.ROOFS)]
        canvas.rounded_rect(x + 6, y + h / 2.0, w - 12, h / 2.0 - 3, 2)
        canvas.lit_fill(Palette.PANEL, box)
        canvas.outline(1.5)
        canvas.polygon([(x + 3, y + h / 2.0 + 1), (x + w / 2.0, y + 5), (x + w - 3, y + h / 2.0 + 1)])
        canvas.lit_fill(roof, box)
        canvas.outline(1.5)
        if "agency" in key:
            canvas.rounded_rect(x + w / 2.0 - 7, y + h / 2.0 + 3, 14, 8, 2)
            canvas.fill(Palette.GOLD, preserve=True)
            canvas.outline(1.0)


def upgrade_icon(upgrade):
    size = ICON_SIZE
    canvas = Canvas(size, size)
    canvas.rounded_rect(1, 1, size - 2, size - 2, 8)
    canvas.lit_fill(shade(Palette.SKY_HORIZON, -0.02), (0, 0, size, size))
    canvas.outline(Style.OUTLINE)
    _glyph(canvas, upgrade, (4, 4, size - 8, size - 8))
    if "feature" in upgrade.lower():  # a gold badge: a building's extra feature
        canvas.circle(size - 10, 10, 7)
        canvas.lit_fill(Palette.GOLD, (size - 17, 3, 14, 14))
        canvas.outline(Style.OUTLINE_SMALL)
    return canvas.image()


def upgrade_names():
    """The names of the upgrades the shop sells (the upgrades table's own list)."""
    from .. import upgrades
    return list(upgrades.UPGRADE_NAMES)


def draw():
    centres = location_centres()
    pictures = [Picture(name("Land"), land(centres), trim=False)]
    for suffix, colour in (("", rgb("#D9D2C3")), ("(Grey)", Palette.PRIMARY["disabled"]),
                           ("(Red)", Palette.DANGER), ("(Green)", Palette.PRIMARY["normal"])):
        pictures.append(Picture(name("Platform" + suffix), platform(colour)))
    pictures.append(Picture(name("SilverStar"), star(rgb("#D9DEE6"))))
    pictures.append(Picture(name("GoldStar"), star(Palette.GOLD)))
    pictures.append(Picture(name("Selector"), selector()))
    pictures.append(Picture(name("Hover"), hover_glow()))
    pictures.append(Picture(name("HintSmall"), hint_panel(HINT_SMALL_HEIGHT), trim=False))
    pictures.append(Picture(name("HintLarge"), hint_panel(HINT_LARGE_HEIGHT), trim=False))
    pictures.append(Picture(name("HintArrowShort"), arrow(ARROW_DOWN_SMALL, "down"), trim=False))
    pictures.append(Picture(name("HintArrowLong"), arrow(ARROW_DOWN_LARGE, "down"), trim=False))
    pictures.append(Picture(name("HintArrowLeft"), arrow(ARROW_SIDE, "left"), trim=False))
    pictures.append(Picture(name("HintArrowRight"), arrow(ARROW_SIDE, "right"), trim=False))
    pictures.append(Picture(name("O"), sign(True)))
    pictures.append(Picture(name("N"), sign(False)))
    for upgrade in upgrade_names():
        pictures.append(Picture(ICON_FOLDER + upgrade + ".png", upgrade_icon(upgrade)))
    return pictures


CATEGORY = Category("map", [FOLDER], draw, __file__)
