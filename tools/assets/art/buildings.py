"""Buildings: the level world's building lots and their icons.

- levels/common/Buildings/<Name>_Summer.png and <Name>_Winter.png: every building type of the catalogue
  (tools/assets/buildings.py) on its lot, in summer and under snow. A lot's footprint is 135 x 60
  on the screen; a picture is 150 x 140 and its ground slab covers the footprint when the sprite
  stands at (LOT_OFFSET) from the lot. Hotels grow a floor per level; the aqua park has a ruin
  overlay (AquaPark_Ruin.png) that covers it until it is restored.
- The parts a lot shows: repair, dirt and phone icons, the feature icon (an empty frame and its
  filled face, 28 x 26 together), the price tag, the clock's face and hand, the serve area's
  panel (a nine-grid), the focus selector and the coins of a money burst.
- levels/common/Stars/FilledStar.png, EmptyStar.png and levels/common/Smiles/Red.png, Green.png,
  Blue.png.
"""
import math

from .. import buildings as catalogue
from .kit import Canvas, Category, Palette, Picture, Style, rgb, shade

BUILDINGS = "levels/common/Buildings/"
STARS = "levels/common/Stars/"
SMILES = "levels/common/Smiles/"
FOLDERS = [BUILDINGS, STARS, SMILES]

SIZE = (150, 140)
# Where a building picture stands relative to its lot, and the lot's footprint on the screen.
LOT_OFFSET = (-8, -78)
FOOTPRINT = (135, 60)
# The ground slab inside the picture (the footprint seen from above).
GROUND = (8, 84, 135, 52)
FEATURE_ICON = (28, 26)
CLOCK = 30
SERVE_GRID = 16

WALL = rgb("#F6EAD2")
WALL_WINTER = rgb("#EFE9E0")
WINDOW = rgb("#8CD3F5")
DOOR = rgb("#8A5A3B")
TRUNK = rgb("#8A5A3B")
LEAVES = rgb("#4E9A3A")
POOL = rgb("#4AA8D8")
STONE = rgb("#B9BDC4")

FAMILY_ROOFS = {family: Palette.ROOFS[i % len(Palette.ROOFS)]
                for i, family in enumerate(catalogue.HOTEL_FAMILIES)}


def type_names():
    """Every building type of the catalogue, in its order."""
    return [t["Name"] for t in catalogue.catalogue()]


# --- The lot and its ground -----------------------------------------------------------------

def _ground(canvas, winter, paved=True):
    x, y, w, h = GROUND
    canvas.rounded_rect(x + 3, y + 4, w, h, 14)
    canvas.fill(Palette.BLACK, alpha=Style.SHADOW_ALPHA, preserve=False)
    canvas.rounded_rect(x, y, w, h, 14)
    grass = Palette.SNOW if winter else Palette.GRASS
    canvas.lit_fill(grass, (x, y, w, h))
    canvas.outline(Style.OUTLINE)
    if paved:
        canvas.rounded_rect(x + 10, y + 8, w - 20, h - 16, 8)
        canvas.fill(Palette.SNOW_SHADE if winter else Palette.SAND, preserve=True)
        canvas.outline(1.2)


def _box(canvas, left, right, top, bottom, depth, wall, roof, winter, roof_style="flat"):
    """A building: front face from (left, top) to (right, bottom), its right side going back by
    `depth`, and its roof."""
    ctx = canvas.ctx
    d = depth
    rise = depth * 0.6
    # side
    canvas.polygon([(right, top), (right + d, top - rise), (right + d, bottom - rise),
                    (right, bottom)])
    canvas.fill(shade(wall, -0.15), preserve=True)
    canvas.outline(1.5)
    # front
    canvas.polygon([(left, top), (right, top), (right, bottom), (left, bottom)])
    canvas.lit_fill(wall, (left, top, right - left, bottom - top))
    canvas.outline(1.5)
    # roof
    colour = Palette.SNOW if winter else roof
    if roof_style == "pitched":
        peak = top - 18
        canvas.polygon([(left - 4, top), (right + 4, top), (right + d + 4, top - rise),
                        ((left + right) / 2.0 + d, peak - rise), ((left + right) / 2.0, peak)])
        canvas.lit_fill(colour, (left, peak - rise, right - left + d, top - peak + rise))
        canvas.outline(1.5)
        canvas.polygon([(left - 4, top), ((left + right) / 2.0, peak), (right + 4, top)])
        canvas.fill(shade(colour, -0.1), preserve=True)
        canvas.outline(1.5)
    else:
        canvas.polygon([(left - 3, top), (right + 3, top), (right + d + 3, top - rise),
                        (left + d - 3, top - rise)])
        canvas.lit_fill(colour, (left, top - rise, right - left + d, rise))
        canvas.outline(1.5)
    ctx.new_path()


def _windows(canvas, left, right, top, bottom, rows, lit=False):
    cols = max(2, int((right - left) / 18))
    gap_x = (right - left) / cols
    gap_y = (bottom - top - 14) / max(rows, 1)
    for r in range(rows):
        for c in range(cols):
            x = left + gap_x * c + gap_x * 0.25
            y = top + 5 + gap_y * r
            canvas.rounded_rect(x, y, gap_x * 0.5, min(gap_y * 0.6, 11), 2)
            canvas.fill(Palette.GOLD_HIGHLIGHT if lit else WINDOW, preserve=True)
            canvas.outline(1.0)


def _door(canvas, x, bottom, w=12, h=16):
    canvas.rounded_rect(x - w / 2.0, bottom - h, w, h, 3, corners=(True, True, False, False))
    canvas.fill(DOOR, preserve=True)
    canvas.outline(1.2)


def _tree(canvas, x, y, size, winter):
    canvas.stroke_line([(x, y), (x, y - size * 0.6)], 3, TRUNK)
    canvas.circle(x, y - size * 0.9, size * 0.5)
    canvas.lit_fill(Palette.SNOW if winter else LEAVES, (x - size / 2, y - size * 1.4, size, size))
    canvas.outline(1.2)


def _sign(canvas, x, y, w, h, colour):
    canvas.rounded_rect(x, y, w, h, 3)
    canvas.lit_fill(colour, (x, y, w, h))
    canvas.outline(1.2)
    canvas.rounded_rect(x + 4, y + h / 2.0 - 1.5, w - 8, 3, 1.5)
    canvas.fill(Palette.WHITE, alpha=0.85, preserve=False)


# --- The types ------------------------------------------------------------------------------

def _place(canvas, winter):
    _ground(canvas, winter, paved=False)
    x, y, w, h = GROUND
    # the marked-out plot with a small sign
    canvas.ctx.set_dash([6, 4])
    canvas.rounded_rect(x + 14, y + 10, w - 28, h - 20, 6)
    canvas.ctx.set_source_rgba(*Palette.OUTLINE, 0.55)
    canvas.ctx.set_line_width(1.6)
    canvas.ctx.stroke()
    canvas.ctx.set_dash([])
    canvas.stroke_line([(x + 24, y + 26), (x + 24, y + 6)], 2.5, TRUNK)
    _sign(canvas, x + 12, y - 6, 26, 14, Palette.SECONDARY["normal"])


def _camping(canvas, level, winter):
    _ground(canvas, winter, paved=False)
    colours = [Palette.ROOFS[0], Palette.ROOFS[1], Palette.ROOFS[2]]
    for i in range(level + 1):
        cx = 32 + i * 25
        base = 118 - (i % 2) * 12
        size = 24 + level * 2
        canvas.polygon([(cx - size / 2.0, base), (cx, base - size), (cx + size / 2.0, base)])
        colour = Palette.SNOW if winter else colours[i % len(colours)]
        canvas.lit_fill(colour, (cx - size / 2.0, base - size, size, size))
        canvas.outline(1.5)
        canvas.polygon([(cx - 4, base), (cx, base - 12), (cx + 4, base)])
        canvas.fill(Palette.OUTLINE, preserve=False)
    _tree(canvas, 131, 112, 18, winter)


def _hotel(canvas, family, level, winter):
    _ground(canvas, winter)
    rank = catalogue.HOTEL_FAMILIES.index(family)
    floors = 1 + rank // 2 + level
    floor_h = 14 if floors < 5 else 11
    bottom = 120
    top = bottom - floors * floor_h - 10
    left = 28 + min(rank, 3) * -3
    right = 100 + min(rank, 3) * 3
    wall = WALL_WINTER if winter else WALL
    _box(canvas, left, right, top, bottom, 24, wall, FAMILY_ROOFS[family], winter,
         "pitched" if rank < 2 else "flat")
    _windows(canvas, left + 2, right - 2, top, bottom - 10, floors, lit=winter)
    _door(canvas, (left + right) / 2.0, bottom)
    if rank >= 3:
        _sign(canvas, left + 10, top + 2, right - left - 20, 10, FAMILY_ROOFS[family])
    for star in range(level):
        cx = left + 8 + star * 10
        canvas.circle(cx, bottom - 6, 3)
        canvas.fill(Palette.GOLD, preserve=True)
        canvas.outline(1.0)


def _office(canvas, winter, roof, sign_colour, tall):
    _ground(canvas, winter)
    bottom, top = 120, 120 - (62 if tall else 44)
    wall = WALL_WINTER if winter else WALL
    _box(canvas, 34, 100, top, bottom, 22, wall, roof, winter)
    _windows(canvas, 36, 98, top + 12, bottom - 8, 3 if tall else 2, lit=winter)
    _sign(canvas, 40, top + 2, 54, 11, sign_colour)
    _door(canvas, 67, bottom)


def _mall(canvas, winter):
    _ground(canvas, winter)
    wall = WALL_WINTER if winter else WALL
    _box(canvas, 18, 116, 78, 120, 20, wall, Palette.ROOFS[3], winter)
    _windows(canvas, 22, 112, 90, 112, 1, lit=winter)
    _sign(canvas, 40, 81, 54, 10, Palette.DANGER)
    for x in (46, 88):
        _door(canvas, x, 120, 16, 14)


def _truck_station(canvas, winter):
    _ground(canvas, winter)
    wall = WALL_WINTER if winter else rgb("#D9D2C3")
    _box(canvas, 20, 86, 72, 120, 20, wall, Palette.ROOFS[5], winter)
    canvas.rounded_rect(30, 92, 40, 28, 2, corners=(True, True, False, False))
    canvas.fill(STONE, preserve=True)
    canvas.outline(1.2)
    for y in range(96, 120, 5):
        canvas.stroke_line([(32, y), (68, y)], 1.0, shade(STONE, -0.3))
    # a truck beside the depot
    canvas.rounded_rect(94, 100, 34, 18, 3)
    canvas.lit_fill(Palette.SECONDARY["normal"], (94, 100, 34, 18))
    canvas.outline(1.2)
    canvas.rounded_rect(120, 104, 14, 14, 3)
    canvas.lit_fill(Palette.PRIMARY["normal"], (120, 104, 14, 14))
    canvas.outline(1.2)
    for x in (100, 126):
        canvas.circle(x, 120, 4)
        canvas.fill(Palette.OUTLINE, preserve=False)


def _cafe(canvas, winter):
    _ground(canvas, winter)
    wall = WALL_WINTER if winter else WALL
    _box(canvas, 40, 96, 82, 118, 18, wall, Palette.ROOFS[6], winter)
    # a striped awning
    for i in range(7):
        x = 38 + i * 8.6
        canvas.polygon([(x, 84), (x + 8.6, 84), (x + 8.6 + 2, 94), (x + 2, 94)])
        canvas.fill(Palette.DANGER if i % 2 == 0 else Palette.WHITE, preserve=True)
        canvas.outline(0.8)
    _windows(canvas, 42, 94, 96, 116, 1, lit=winter)
    for x in (24, 116):  # tables with parasols
        canvas.stroke_line([(x, 122), (x, 104)], 1.6, Palette.OUTLINE)
        canvas.polygon([(x - 10, 106), (x, 98), (x + 10, 106)])
        canvas.fill(Palette.SNOW if winter else Palette.GOLD, preserve=True)
        canvas.outline(1.0)
        canvas.rounded_rect(x - 6, 116, 12, 4, 2)
        canvas.fill(Palette.WHITE, preserve=True)
        canvas.outline(1.0)


def _statue(canvas, winter):
    _ground(canvas, winter)
    canvas.rounded_rect(58, 104, 30, 16, 3)
    canvas.lit_fill(STONE, (58, 104, 30, 16))
    canvas.outline(1.5)
    canvas.rounded_rect(66, 72, 14, 34, 6)
    canvas.lit_fill(rgb("#C9A24A"), (66, 72, 14, 34))
    canvas.outline(1.5)
    canvas.circle(73, 66, 7)
    canvas.lit_fill(rgb("#C9A24A"), (66, 59, 14, 14))
    canvas.outline(1.5)
    for x in (30, 116):
        _tree(canvas, x, 118, 16, winter)


def _garden(canvas, winter):
    _ground(canvas, winter, paved=False)
    for i, (x, y) in enumerate(((36, 110), (60, 100), (90, 104), (114, 114), (72, 122))):
        _tree(canvas, x, y, 18 + (i % 2) * 6, winter)
    if not winter:
        for i in range(9):
            x = 26 + i * 11
            y = 126 - (i % 3) * 3
            canvas.circle(x, y, 3)
            canvas.fill(Palette.ROOFS[i % len(Palette.ROOFS)], preserve=True)
            canvas.outline(0.8)


def _memorial(canvas, winter):
    _ground(canvas, winter)
    canvas.rounded_rect(52, 108, 44, 14, 3)
    canvas.lit_fill(STONE, (52, 108, 44, 14))
    canvas.outline(1.5)
    canvas.polygon([(64, 108), (84, 108), (78, 44), (74, 36), (70, 44)])
    canvas.lit_fill(shade(STONE, 0.1), (64, 36, 20, 72))
    canvas.outline(1.5)
    for x in (28, 120):
        _tree(canvas, x, 120, 16, winter)


def _aqua_park(canvas, winter):
    _ground(canvas, winter)
    canvas.rounded_rect(22, 96, 80, 26, 12)
    canvas.fill(Palette.SNOW_SHADE if winter else POOL, preserve=True)
    canvas.outline(1.5)
    canvas.highlight_band(26, 98, 72, 8, 4, alpha=0.35)
    # a tower with two slides
    canvas.rounded_rect(104, 58, 16, 62, 3)
    canvas.lit_fill(Palette.SECONDARY["normal"], (104, 58, 16, 62))
    canvas.outline(1.5)
    for colour, bend in ((Palette.DANGER, 0), (Palette.PRIMARY["normal"], 10)):
        points = [(106, 64 + bend)]
        for i in range(1, 9):
            t = i / 8.0
            points.append((106 - 50 * t, 64 + bend + 36 * t + 8 * math.sin(t * math.pi * 2)))
        canvas.stroke_line(points, 6.5, Palette.OUTLINE)
        canvas.stroke_line(points, 4.0, colour)


def _aqua_ruin():
    """Broken concrete, weeds and a fence over the park's place, drawn to cover it."""
    canvas = Canvas(*SIZE)
    x, y, w, h = GROUND
    canvas.rounded_rect(x, y, w, h, 14)
    canvas.fill(rgb("#9A8F80"), preserve=True)
    canvas.outline(Style.OUTLINE)
    for cx, cy, r in ((40, 104, 12), (78, 112, 16), (112, 100, 10), (56, 122, 8)):
        canvas.polygon([(cx - r, cy), (cx - r * 0.3, cy - r * 0.8), (cx + r, cy - r * 0.4),
                        (cx + r * 0.6, cy + r * 0.5)])
        canvas.lit_fill(STONE, (cx - r, cy - r, 2 * r, 2 * r))
        canvas.outline(1.2)
    for px in range(16, 140, 14):
        canvas.stroke_line([(px, 132), (px, 114)], 2.0, TRUNK)
    canvas.stroke_line([(14, 118), (140, 118)], 1.6, TRUNK)
    canvas.stroke_line([(14, 126), (140, 126)], 1.6, TRUNK)
    return canvas.image()


def building(name, winter):
    canvas = Canvas(*SIZE)
    types = {t["Name"]: t for t in catalogue.catalogue()}
    t = types[name]
    if t.get("place"):
        _place(canvas, winter)
    elif "family" in t:
        if t["family"] == "Camping":
            _camping(canvas, t["Level"], winter)
        else:
            _hotel(canvas, t["family"], t["Level"], winter)
    elif name == "CityMall":
        _mall(canvas, winter)
    elif name == "TruckStation":
        _truck_station(canvas, winter)
    elif name == "REAgency":
        _office(canvas, winter, Palette.ROOFS[1], Palette.PRIMARY["normal"], tall=False)
    elif name == "PRAgency":
        _office(canvas, winter, Palette.ROOFS[4], Palette.ROOFS[5], tall=True)
    elif name == "Cafe":
        _cafe(canvas, winter)
    elif name == "Statue":
        _statue(canvas, winter)
    elif name == "Garden":
        _garden(canvas, winter)
    elif name == "Memorial":
        _memorial(canvas, winter)
    elif name == "AquaPark":
        _aqua_park(canvas, winter)
    else:
        raise KeyError("no drawing for building type " + name)
    return canvas.image()


# --- Icons and parts ------------------------------------------------------------------------

def _badge(size, colour):
    canvas = Canvas(size, size)
    r = size / 2.0 - 2
    canvas.circle(size / 2.0 + 1, size / 2.0 + 1, r)
    canvas.fill(Palette.BLACK, alpha=Style.SHADOW_ALPHA, preserve=False)
    canvas.circle(size / 2.0 - 0.5, size / 2.0 - 0.5, r)
    canvas.lit_fill(colour, (0, 0, size, size))
    canvas.outline(Style.OUTLINE_SMALL)
    return canvas


def repair_icon():
    canvas = _badge(32, Palette.DANGER)
    # a wrench
    canvas.stroke_line([(10, 22), (20, 12)], 4.5, Palette.OUTLINE)
    canvas.stroke_line([(10, 22), (20, 12)], 2.5, Palette.WHITE)
    canvas.circle(21, 11, 4.5)
    canvas.fill(Palette.WHITE, preserve=True)
    canvas.outline(1.2)
    canvas.circle(23, 9, 2)
    canvas.fill(Palette.DANGER, preserve=False)
    return canvas.image()


def dirty_icon():
    canvas = _badge(32, rgb("#A9822F"))
    for cx, cy, r in ((12, 18, 4), (19, 13, 5), (21, 21, 3.5)):
        canvas.circle(cx, cy, r)
        canvas.fill(rgb("#5A4632"), preserve=True)
        canvas.outline(1.0)
    return canvas.image()


def phone_icon():
    canvas = _badge(32, Palette.PRIMARY["normal"])
    canvas.rounded_rect(9, 14, 14, 9, 3)
    canvas.fill(Palette.WHITE, preserve=True)
    canvas.outline(1.2)
    canvas.stroke_line([(8, 12), (12, 9), (20, 9), (24, 12)], 3.0, Palette.WHITE)
    canvas.circle(16, 18.5, 2.2)
    canvas.fill(Palette.PRIMARY["press"], preserve=False)
    return canvas.image()


def feature_icon(filled):
    w, h = FEATURE_ICON
    canvas = Canvas(w, h)
    canvas.rounded_rect(1, 1, w - 2, h - 2, 6)
    colour = Palette.GOLD if filled else Palette.PRIMARY["disabled"]
    canvas.lit_fill(colour, (0, 0, w, h))
    canvas.outline(Style.OUTLINE_SMALL)
    # a lightning bolt
    bolt = [(15, 4), (8, 14), (13, 14), (11, 22), (20, 11), (15, 11), (17, 4)]
    canvas.polygon(bolt)
    canvas.fill(Palette.WHITE if filled else shade(Palette.PRIMARY["disabled"], 0.35),
                preserve=True)
    canvas.outline(1.0)
    return canvas.image()


def price_tag():
    canvas = Canvas(96, 30)
    canvas.rounded_rect(3, 3, 92, 26, 8)
    canvas.fill(Palette.BLACK, alpha=Style.SHADOW_ALPHA, preserve=False)
    canvas.polygon([(1, 14), (12, 1), (92, 1), (92, 26), (12, 26)])
    canvas.lit_fill(Palette.PANEL, (1, 1, 92, 26))
    canvas.outline(Style.OUTLINE_SMALL)
    canvas.circle(10, 13.5, 2.5)
    canvas.fill(Palette.OUTLINE, preserve=False)
    return canvas.image()


def clock_face():
    canvas = Canvas(CLOCK, CLOCK)
    c = CLOCK / 2.0
    canvas.circle(c, c, c - 1)
    canvas.fill(Palette.WHITE, preserve=True)
    canvas.outline(Style.OUTLINE_SMALL)
    for i in range(12):
        a = i * math.pi / 6
        canvas.stroke_line([(c + math.sin(a) * (c - 5), c - math.cos(a) * (c - 5)),
                            (c + math.sin(a) * (c - 3), c - math.cos(a) * (c - 3))], 1.0)
    return canvas.image()


def clock_back():
    canvas = Canvas(CLOCK + 6, CLOCK + 6)
    canvas.circle(CLOCK / 2.0 + 4, CLOCK / 2.0 + 4, CLOCK / 2.0 + 1)
    canvas.fill(Palette.BLACK, alpha=Style.SHADOW_ALPHA, preserve=False)
    canvas.circle(CLOCK / 2.0 + 3, CLOCK / 2.0 + 3, CLOCK / 2.0 + 2)
    canvas.lit_fill(Palette.PANEL_EDGE, (0, 0, CLOCK + 6, CLOCK + 6))
    canvas.outline(Style.OUTLINE_SMALL)
    return canvas.image()


def clock_hand():
    canvas = Canvas(CLOCK, CLOCK)
    c = CLOCK / 2.0
    canvas.stroke_line([(c, c), (c, 4)], 2.6, Palette.OUTLINE)
    canvas.circle(c, c, 2.5)
    canvas.fill(Palette.OUTLINE, preserve=False)
    return canvas.image()


def serve_area():
    size = SERVE_GRID * 3
    canvas = Canvas(size, size)
    canvas.rounded_rect(2, 2, size - 4, size - 4, 12)
    canvas.fill(Palette.WHITE, alpha=0.35, preserve=True)
    canvas.outline(2.0, Palette.WHITE)
    return canvas.image()


def selector():
    canvas = Canvas(150, 70)
    canvas.ctx.save()
    canvas.ctx.translate(75, 35)
    canvas.ctx.scale(70, 30)
    canvas.circle(0, 0, 1)
    canvas.ctx.restore()
    canvas.fill(Palette.GOLD_HIGHLIGHT, alpha=0.35, preserve=True)
    canvas.ctx.set_line_width(4)
    canvas.ctx.set_source_rgba(*Palette.GOLD, 1.0)
    canvas.ctx.stroke()
    return canvas.image()


def coins():
    canvas = Canvas(44, 40)
    for cx, cy in ((14, 26), (28, 28), (21, 16)):
        canvas.ctx.save()
        canvas.ctx.translate(cx, cy)
        canvas.ctx.scale(10, 8)
        canvas.circle(0, 0, 1)
        canvas.ctx.restore()
        canvas.lit_fill(Palette.GOLD, (cx - 10, cy - 8, 20, 16))
        canvas.outline(Style.OUTLINE_SMALL)
        canvas.stroke_line([(cx - 3, cy), (cx + 3, cy)], 1.4, shade(Palette.GOLD, -0.35))
    return canvas.image()


def star(filled):
    canvas = Canvas(16, 16)
    points = []
    for i in range(10):
        a = -math.pi / 2 + i * math.pi / 5
        r = 7.2 if i % 2 == 0 else 3.2
        points.append((8 + math.cos(a) * r, 8.5 + math.sin(a) * r))
    canvas.polygon(points)
    canvas.lit_fill(Palette.GOLD if filled else Palette.PRIMARY["disabled"], (0, 0, 16, 16))
    canvas.outline(1.0)
    return canvas.image()


SMILE_COLOURS = {"Red": Palette.DANGER, "Green": Palette.PRIMARY["normal"],
                 "Blue": rgb("#3F7FD0")}


def smile(kind):
    canvas = Canvas(20, 20)
    canvas.circle(10, 10, 9)
    canvas.lit_fill(SMILE_COLOURS[kind], (0, 0, 20, 20))
    canvas.outline(Style.OUTLINE_SMALL)
    for x in (7, 13):
        canvas.circle(x, 8, 1.4)
        canvas.fill(Palette.WHITE, preserve=False)
    ctx = canvas.ctx
    ctx.new_path()
    if kind == "Red":
        ctx.arc(10, 16, 4, math.pi * 1.15, math.pi * 1.85)
    else:
        ctx.arc(10, 10, 5, math.pi * 0.15, math.pi * 0.85)
    ctx.set_line_width(1.6)
    ctx.set_source_rgb(*Palette.WHITE)
    ctx.stroke()
    return canvas.image()


# The parts' pictures by file name under levels/common/Buildings/.
PARTS = {
    "RepairIcon.png": repair_icon,
    "DirtyIcon.png": dirty_icon,
    "PhoneIcon.png": phone_icon,
    "FeatureEmpty.png": lambda: feature_icon(False),
    "FeatureFull.png": lambda: feature_icon(True),
    "PriceTag.png": price_tag,
    "ClockFace.png": clock_face,
    "ClockBack.png": clock_back,
    "ClockHand.png": clock_hand,
    "Selector.png": selector,
    "Coins.png": coins,
}
SERVE_AREA = "ServeArea.png"


def draw():
    pictures = []
    for name in type_names():
        pictures.append(Picture("%s%s_Summer.png" % (BUILDINGS, name), building(name, False),
                                sample=name in ("BuildingPlace", "Hostel2", "AquaPark"),
                                trim=False))
        pictures.append(Picture("%s%s_Winter.png" % (BUILDINGS, name), building(name, True),
                                sample=name == "Hostel2", trim=False))
    pictures.append(Picture(BUILDINGS + "AquaPark_Ruin.png", _aqua_ruin(), trim=False))
    for file, make in PARTS.items():
        pictures.append(Picture(BUILDINGS + file, make(), trim=False))
    g = SERVE_GRID
    pictures.append(Picture(BUILDINGS + SERVE_AREA, serve_area(), grid=(g, g, g, g)))
    for filled, file in ((True, "FilledStar.png"), (False, "EmptyStar.png")):
        pictures.append(Picture(STARS + file, star(filled), trim=False))
    for kind in SMILE_COLOURS:
        pictures.append(Picture("%s%s.png" % (SMILES, kind), smile(kind), trim=False))
    return pictures


CATEGORY = Category("buildings", FOLDERS, draw, __file__)
