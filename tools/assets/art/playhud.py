"""The play screen's pictures under scenes/images/GameMenu/ (packed into the GameMenu atlas):

- Play/: the top bar and its money, rating and time panels (each with a round socket at its
  left, centre (30, 30), for the panel's icon), the goals panel, the bottom panel and the tab
  page, the bars, the rating stars, the clock face and its hand, the HUD icons, the money-burst
  coin, the round menu, help and goals buttons and the four tab buttons in every button state,
  the hint window with the guide, the goal check box and the info panel (nine-grid, INFO_GRID).
- Buttons/: the action cards (an icon in the card's coloured header, the light lower part left
  free for the caption the scene writes), the material and worker offers, the build-entry faces
  (the building as it stands in the town), their lock images (greyed, with a padlock) and, per
  type with two features, the padlock badge that overlays the locked second feature's face.
- Features/: per feature button of the buildings catalogue, its face and its recharge fill.

Every card is 119 x 101 and drawn like the shop's cards. The names of every picture are listed by
`picture_sizes()`; `feature_pictures()`, `lock_pictures()` and `feature2_lock_pictures()` give the
groups the scenes and their lint check.
"""
import math

import cairo
from PIL import Image, ImageOps

from .. import buildings as catalogue
from ..buildingnames import HOTEL_FAMILIES, OTHER_BUILDINGS, hotel_name
from . import buildings as town
from . import shop, skin
from .kit import Canvas, Category, Palette, Picture, Style, compose, rgb, shade, soft_shadow

FOLDER = "scenes/images/GameMenu/"
PLAY = FOLDER + "Play/"
BUTTONS = FOLDER + "Buttons/"
FEATURES = FOLDER + "Features/"

BUTTON_STATES = skin.BUTTON_STATES  # "", "Hover", "Press", "Disabled"
STATE_KEYS = skin.STATE_KEYS

CARD = (119, 101)
ROUND_BUTTON = (48, 48)
TAB = (96, 40)
HUD_ICON = (32, 32)
STAR = (24, 24)
CLOCK_FACE = (56, 56)
CLOCK_HAND = (6, 26)
MONEY_STAR = (40, 40)
GOAL_BOX = (22, 22)

# Panels and bars by name, with their sizes.
PANELS = {
    "TopBar": (1024, 72),
    "MoneyPanel": (250, 64),
    "RatingPanel": (250, 64),
    "TimePanel": (150, 64),
    "GoalsPanel": (330, 150),
    "BottomPanel": (1024, 128),
    "PageBack": (760, 112),
    "BarBack": (150, 16),
    "BarFill": (150, 16),
    "HintWindow": (420, 150),
    "Guide": (110, 140),
    "InfoPanel": (240, 110),
}
INFO_GRID = (22, 22, 22, 22)
TOP_BAR_DEPTH = 56  # the strip's height; below it only its shadow

ROUND_BUTTONS = ("MenuButton", "HelpButton", "GoalsButton")
TABS = ("TabBuild", "TabMaterials", "TabWorkers", "TabStatus")
HUD_ICONS = ("Money", "Income", "Materials", "Workers", "Guests", "Time")

# Action cards by name, with the colour of their header.
GOOD, TRADE, BAD, GROUP = "good", "trade", "bad", "group"
ACTIONS = {
    "Upgrade": GOOD, "Destroy": BAD, "Sell": TRADE, "UnSell": TRADE, "Repair": GOOD,
    "Clean": GOOD, "Abort": BAD, "Buy": GOOD, "AcceptOffer": GOOD, "DeclineOffer": BAD,
    "Restore": GOOD, "CafeOrder": GOOD, "CustomServe": GOOD, "Hotels": GROUP, "Joys": GROUP,
    "Factories": GROUP, "BackToBuild": TRADE, "FeatureU": "feature",
}
HEADERS = {GOOD: Palette.PRIMARY["normal"], TRADE: Palette.SECONDARY["normal"],
           BAD: Palette.DANGER, GROUP: Palette.ROOFS[1], "feature": Palette.ROOFS[3],
           "offer": shade(Palette.WATER, 0.25), "entry": shade(Palette.SKY_TOP, 0.15)}
OFFER_KINDS = ("Materials", "Workers")
OFFER_COUNT = 5


def name(folder, base):
    return folder + base + ".png"


# --- The names ------------------------------------------------------------------------------

def build_types():
    """The types of the three build tables: the hotel families, then every other type."""
    return list(HOTEL_FAMILIES) + list(OTHER_BUILDINGS)


def _town_type(base):
    """The catalogue type drawn for a build entry (a hotel family's first level)."""
    return hotel_name(base, 1) if base in HOTEL_FAMILIES else base


def lock_pictures():
    return [name(BUTTONS, t + "ButtonLock") for t in build_types()]


def features():
    """(type name, feature base name) of every feature button of the catalogue, in its order;
    the base name is the button's name without "Game_" and "Button"."""
    found = []
    for b in catalogue.catalogue():
        for index, _ in enumerate(b.get("features", [])):
            button = catalogue.feature_button_name(b["Name"], index + 1)
            found.append((b["Name"], button[len("Game_"):-len("Button")]))
    return found


def feature_pictures():
    pictures = []
    for _, base in features():
        pictures += [name(FEATURES, base), name(FEATURES, base + "Fill")]
    return pictures


def two_feature_types():
    return [b["Name"] for b in catalogue.catalogue() if len(b.get("features", [])) == 2]


def feature2_lock_pictures():
    return [name(BUTTONS, t + "Feature2ButtonLock") for t in two_feature_types()]


def stated(folder, base):
    return [name(folder, base + state) for state in BUTTON_STATES]


def picture_sizes():
    """Every picture of the play screen with its size."""
    sizes = {name(PLAY, base): size for base, size in PANELS.items()}
    for base in ("StarFull", "StarEmpty"):
        sizes[name(PLAY, base)] = STAR
    sizes[name(PLAY, "ClockFace")] = CLOCK_FACE
    sizes[name(PLAY, "ClockHand")] = CLOCK_HAND
    for icon in HUD_ICONS:
        sizes[name(PLAY, "Icon" + icon)] = HUD_ICON
    sizes[name(PLAY, "MoneyStar")] = MONEY_STAR
    for base in ("GoalBox", "GoalTick"):
        sizes[name(PLAY, base)] = GOAL_BOX
    for base in ROUND_BUTTONS:
        sizes.update((n, ROUND_BUTTON) for n in stated(PLAY, base))
    for base in TABS:
        sizes.update((n, TAB) for n in stated(PLAY, base))
    cards = list(ACTIONS) + ["%s%d" % (k, n) for k in OFFER_KINDS
                             for n in range(1, OFFER_COUNT + 1)]
    cards += [t + "Button" for t in build_types()]
    for base in cards:
        sizes.update((n, CARD) for n in stated(BUTTONS, base))
    for n in lock_pictures() + feature_pictures() + feature2_lock_pictures():
        sizes[n] = CARD
    return sizes


# --- Helpers --------------------------------------------------------------------------------

def _scaled(image, size):
    """A straight-alpha image resized with its colours weighted by their alpha."""
    return image.convert("RGBa").resize(size, Image.LANCZOS).convert("RGBA")


def _place(base, image, x, y):
    out = base.copy()
    out.alpha_composite(image, (int(round(x)), int(round(y))))
    return out


def _greyed(image, lighten=0.3):
    """The image without colour, washed lighter (alpha kept)."""
    alpha = image.getchannel("A")
    grey = ImageOps.grayscale(image.convert("RGB")).convert("RGB")
    white = Image.new("RGB", image.size, (255, 255, 255))
    out = Image.blend(grey, white, lighten)
    out.putalpha(alpha)
    return out


def _tinted(image, colour, alpha_scale):
    """The image's shape in one colour (its lightness kept as shading), at a fraction of its
    alpha."""
    grey = ImageOps.grayscale(image.convert("RGB"))
    tint = tuple(int(round(c * 255)) for c in colour)
    coloured = ImageOps.colorize(grey, black=tuple(int(c * 0.35) for c in tint), white=(255,) * 3,
                                 mid=tint)
    alpha = image.getchannel("A").point(lambda v: int(round(v * alpha_scale)))
    coloured.putalpha(alpha)
    return coloured


def _nudge(image, dy=1):
    out = Image.new("RGBA", image.size, (0, 0, 0, 0))
    out.paste(image.crop((0, 0, image.size[0], image.size[1] - dy)), (0, dy))
    return out


def _fit(image, box):
    """The image cropped to its visible part and scaled to fit the box (x, y, w, h), standing
    on its bottom edge, centred; returns the image and its top-left corner."""
    image = image.crop(image.getchannel("A").getbbox())
    x, y, w, h = box
    scale = min(w / image.width, h / image.height)
    size = (max(1, int(round(image.width * scale))), max(1, int(round(image.height * scale))))
    return _scaled(image, size), (x + (w - size[0]) / 2.0, y + h - size[1])


class _Glyph(shop._Icon):
    """A drawing on the shop icons' 64 x 64 grid, with its outline width `line`."""

    def __init__(self, line=Style.OUTLINE):
        super().__init__()
        self.line = line

    def shape(self, colour, path, box=(4, 4, 56, 56), outline=None):
        super().shape(colour, path, box, self.line if outline is None else outline)

    def stroke(self, points, width, colour):
        self.canvas.stroke_line(points, width + 2 * self.line, Palette.OUTLINE)
        self.canvas.stroke_line(points, width, colour)

    def arc(self, cx, cy, r, a0, a1, width, colour):
        ctx = self.ctx
        for w, c in ((width + 2 * self.line, Palette.OUTLINE), (width, colour)):
            ctx.new_path()
            ctx.arc(cx, cy, r, a0, a1)
            ctx.set_line_width(w)
            ctx.set_line_cap(cairo.LINE_CAP_ROUND)
            ctx.set_source_rgb(*c)
            ctx.stroke()


def _fitted(drawing, size, pad=0):
    """A drawing on the 64 grid scaled so that its visible part fills `size` (w, h) but for
    `pad` pixels on every side, centred, its outlines ending at the style's width for that
    size."""
    w, h = size[0] - 2 * pad, size[1] - 2 * pad
    probe = _Glyph()
    drawing(probe)
    box = probe.image().getchannel("A").getbbox()
    scale = min(w / float(box[2] - box[0]), h / float(box[3] - box[1]))
    g = _Glyph(Style.outline_for(min(w, h)) / scale)
    drawing(g)
    image = g.image()
    image = image.crop(image.getchannel("A").getbbox())
    image = _scaled(image, (max(1, int(round(image.width * scale))),
                            max(1, int(round(image.height * scale)))))
    out = Image.new("RGBA", size, (0, 0, 0, 0))
    out.alpha_composite(image, ((size[0] - image.width) // 2, (size[1] - image.height) // 2))
    return out


def _star_points(cx, cy, outer, inner, count=5, turn=-math.pi / 2):
    points = []
    for k in range(count * 2):
        r = outer if k % 2 == 0 else inner
        a = turn + k * math.pi / count
        points.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    return points


# --- Glyphs (drawn on a 64 x 64 grid) -------------------------------------------------------

BRICK = rgb("#C0623F")
PLANK = rgb("#D9A866")
SKIN_TONES = [rgb("#F2C7A5"), rgb("#C98E62"), rgb("#E8B48A"), rgb("#8D5A3B"), rgb("#F5D3B8")]
VESTS = [Palette.SECONDARY["normal"], Palette.ROOFS[1], Palette.PRIMARY["normal"],
         Palette.DANGER, Palette.ROOFS[3]]


def _coin(g, x, y, r):
    g.circle(x, y, r, Palette.GOLD)
    g.ctx.new_path()
    g.ctx.arc(x, y, r * 0.62, 0, 2 * math.pi)
    g.ctx.set_line_width(max(1.5, r * 0.12))
    g.ctx.set_source_rgb(*shade(Palette.GOLD, -0.2))
    g.ctx.stroke()


def _coin_stack(g, x, base, count, rx=13, ry=5):
    for i in range(count):
        y = base - i * 6
        g.shape(Palette.GOLD, lambda y=y: _ellipse_path(g.ctx, x, y, rx, ry),
                (x - rx, y - ry, 2 * rx, 2 * ry))
    g.shape(Palette.GOLD_HIGHLIGHT, lambda: _ellipse_path(g.ctx, x, base - (count - 1) * 6 - 1,
                                                          rx * 0.55, ry * 0.5),
            (x - rx, base - count * 6, 2 * rx, ry), outline=1.0)


def _ellipse_path(ctx, cx, cy, rx, ry):
    shop._ellipse(ctx, cx, cy, rx, ry)


def _arrow_up(g, x, top, bottom, width, colour):
    half = width / 2.0
    head = width * 0.95
    g.poly([(x - half * 0.55, bottom), (x - half * 0.55, top + head), (x - half, top + head),
            (x, top), (x + half, top + head), (x + half * 0.55, top + head),
            (x + half * 0.55, bottom)], colour)


def _bricks(g, x, y, cols, rows, w=14, h=8):
    for r in range(rows):
        offset = (w / 2.0) if r % 2 else 0
        for c in range(cols - (1 if r % 2 else 0)):
            g.rect(x + offset + c * w, y - (r + 1) * h, w, h, BRICK, 1.5)


def _hard_hat(g, cx, cy, r, colour=Palette.GOLD):
    g.shape(colour, lambda: _dome(g.ctx, cx, cy, r), (cx - r, cy - r, 2 * r, r))
    g.rect(cx - r * 1.25, cy - r * 0.12, r * 2.5, r * 0.32, shade(colour, -0.1), 1.5)
    g.canvas.stroke_line([(cx, cy - r + 1), (cx, cy - 2)], max(1.5, r * 0.16),
                         shade(colour, -0.25))


def _dome(ctx, cx, cy, r):
    ctx.new_path()
    ctx.arc(cx, cy, r, math.pi, 2 * math.pi)
    ctx.close_path()


def _person(g, cx, base, height, skin_tone, shirt, hat=None):
    """A figure from the waist up: shoulders, head and, for a worker, a hard hat."""
    head = height * 0.22
    body_top = base - height * 0.5
    g.shape(shirt, lambda: g.canvas.rounded_rect(cx - height * 0.3, body_top, height * 0.6,
                                                 base - body_top, height * 0.18),
            (cx - height * 0.3, body_top, height * 0.6, base - body_top))
    hy = body_top - head * 0.75
    g.circle(cx, hy, head, skin_tone)
    if hat:
        _hard_hat(g, cx, hy - head * 0.25, head * 1.05, hat)
    else:
        g.shape(rgb("#6B4226"), lambda: _dome(g.ctx, cx, hy - head * 0.1, head * 1.02),
                (cx - head, hy - head, 2 * head, head))
    for dx in (-head * 0.35, head * 0.35):
        g.canvas.circle(cx + dx, hy + head * 0.2, max(1.0, head * 0.1))
        g.canvas.fill(Palette.OUTLINE, preserve=False)


def _house(g, x, y, w, h, wall, roof):
    shop._house(g, x, y, w, h, wall, roof)


def _key(g, x, y, colour=Palette.GOLD):
    g.stroke([(x + 10, y), (x + 34, y)], 6, colour)
    g.stroke([(x + 28, y), (x + 28, y + 8)], 5, colour)
    g.stroke([(x + 34, y), (x + 34, y + 6)], 5, colour)
    g.circle(x + 4, y, 9, colour)
    g.canvas.circle(x + 2, y, 3.5)
    g.canvas.fill(Palette.OUTLINE, preserve=False)


def _rings(g, cx, cy, colour=Palette.WHITE):
    for r in (22, 29):
        g.arc(cx, cy, r, -2.4, -0.7, 3, colour)


def _sparkle(g, x, y, r, colour=Palette.GOLD_HIGHLIGHT):
    g.poly(_star_points(x, y, r, r * 0.35, 4, 0), colour)


def _sign(g, colour=Palette.WHITE):
    g.rect(29, 26, 6, 30, rgb("#B5651D"), 2)
    g.rect(10, 8, 44, 26, colour, 4)


def _paper(g):
    g.poly([(14, 6), (42, 6), (52, 16), (52, 58), (14, 58)], Palette.WHITE)
    for y in (20, 28, 36):
        g.canvas.stroke_line([(20, y), (44, y)], 2.5, Palette.KERB)


def _glyph(kind, g):
    """Draws one glyph: actions, HUD icons, tab symbols, features' symbols."""
    white = Palette.WHITE
    if kind == "Upgrade":
        _house(g, 8, 34, 28, 22, Palette.PANEL, Palette.ROOFS[0])
        _arrow_up(g, 46, 6, 50, 22, Palette.GOLD)
    elif kind == "Destroy":
        _bricks(g, 26, 58, 3, 3, 11, 8)
        g.poly([(36, 34), (44, 28), (50, 33)], Palette.OUTLINE)
        g.stroke([(6, 4), (20, 24)], 2, Palette.KERB)
        g.circle(22, 30, 11, shade(Palette.ROAD, -0.35))
        g.circle(18, 26, 3, shade(Palette.ROAD, 0.3))
    elif kind == "Sell":
        _sign(g)
        _coin(g, 32, 21, 9)
    elif kind == "UnSell":
        _sign(g)
        _coin(g, 32, 21, 9)
        g.stroke([(10, 8), (54, 48)], 6, Palette.DANGER)
    elif kind == "Repair":
        g.stroke([(14, 50), (40, 24)], 9, Palette.KERB)
        g.arc(44, 20, 10, 0.9, 5.3, 7, Palette.KERB)
        g.stroke([(48, 50), (24, 26)], 7, rgb("#B5651D"))
        g.rect(12, 12, 22, 12, shade(Palette.ROAD, -0.2), 3)
    elif kind == "Clean":
        g.stroke([(44, 6), (30, 36)], 5, rgb("#B5651D"))
        g.poly([(22, 32), (40, 40), (34, 58), (10, 50)], Palette.GOLD)
        for x, y, r in ((48, 42, 6), (54, 28, 4), (44, 54, 4)):
            g.circle(x, y, r, Palette.FOAM)
    elif kind == "Abort":
        g.poly([(32 + 26 * math.cos(a), 32 + 26 * math.sin(a))
                for a in (math.pi / 8 + k * math.pi / 4 for k in range(8))], white)
        g.stroke([(22, 22), (42, 42)], 7, Palette.DANGER)
        g.stroke([(42, 22), (22, 42)], 7, Palette.DANGER)
    elif kind == "Buy":
        _house(g, 10, 30, 32, 26, Palette.PANEL, Palette.ROOFS[2])
        _key(g, 24, 50)
    elif kind == "AcceptOffer":
        _paper(g)
        g.stroke([(22, 44), (32, 53), (56, 26)], 6, Palette.PRIMARY["hover"])
    elif kind == "DeclineOffer":
        _paper(g)
        g.stroke([(28, 32), (52, 56)], 6, Palette.DANGER)
        g.stroke([(52, 32), (28, 56)], 6, Palette.DANGER)
    elif kind == "Restore":
        _house(g, 12, 30, 34, 26, shade(Palette.PANEL, -0.1), Palette.ROOFS[7])
        _sparkle(g, 50, 14, 9)
        _sparkle(g, 10, 16, 6)
        _sparkle(g, 54, 40, 5)
    elif kind == "CafeOrder":
        shop._draw_cafe(g)
        _paper_note(g)
    elif kind == "CustomServe":
        g.shape(Palette.KERB, lambda: _dome(g.ctx, 32, 42, 22), (10, 20, 44, 22))
        g.circle(32, 18, 4, Palette.KERB)
        g.rect(4, 42, 56, 7, shade(Palette.KERB, -0.1), 3)
        g.canvas.highlight_band(18, 26, 10, 12, 4, alpha=0.6)
        _sparkle(g, 52, 14, 6)
    elif kind == "Hotels":
        shop.DRAWINGS["HotelN5"](g)
    elif kind == "Joys":
        for x, y, colour in ((20, 20, Palette.DANGER), (44, 16, Palette.ROOFS[1]),
                             (32, 28, Palette.GOLD)):
            g.canvas.stroke_line([(x, y + 12), (32, 58)], 1.5, Palette.OUTLINE)
            g.shape(colour, lambda x=x, y=y: _ellipse_path(g.ctx, x, y, 10, 12),
                    (x - 10, y - 12, 20, 24))
            g.circle(x - 3, y - 4, 2.5, shade(colour, 0.5))
    elif kind == "Factories":
        g.rect(40, 8, 9, 30, BRICK, 2)
        g.poly([(6, 58), (6, 30), (20, 20), (20, 30), (34, 20), (34, 30), (48, 20), (48, 30),
                (58, 30), (58, 58)], Palette.ROOFS[6])
        g.windows(12, 40, 4, 1, 11, 0, (7, 8))
        for x, y, r in ((46, 4, 4), (54, 2, 3)):
            g.circle(x, y + 2, r, Palette.SNOW)
    elif kind == "BackToBuild":
        g.poly([(6, 32), (28, 10), (28, 22), (56, 22), (56, 42), (28, 42), (28, 54)], white)
    elif kind == "Money":
        _coin_stack(g, 26, 54, 4)
        _coin(g, 42, 26, 15)
    elif kind == "Income":
        _coin(g, 26, 36, 20)
        _arrow_up(g, 48, 6, 52, 18, Palette.PRIMARY["hover"])
    elif kind == "Materials":
        _bricks(g, 6, 58, 4, 3, 13, 9)
        g.rect(8, 20, 48, 8, PLANK, 2)
        g.rect(14, 12, 40, 8, shade(PLANK, 0.1), 2)
    elif kind == "Workers":
        _person(g, 32, 62, 56, SKIN_TONES[0], VESTS[0], Palette.GOLD)
    elif kind == "Guests":
        _person(g, 22, 60, 44, SKIN_TONES[2], Palette.ROOFS[1])
        _person(g, 42, 62, 52, SKIN_TONES[1], Palette.ROOFS[5])
    elif kind == "Time":
        g.circle(32, 32, 26, Palette.WHITE)
        for k in range(12):
            a = k * math.pi / 6
            g.canvas.stroke_line([(32 + 20 * math.cos(a), 32 + 20 * math.sin(a)),
                                  (32 + 23 * math.cos(a), 32 + 23 * math.sin(a))], 2.5)
        g.canvas.stroke_line([(32, 32), (32, 14)], 5)
        g.canvas.stroke_line([(32, 32), (45, 38)], 5, Palette.DANGER)
        g.circle(32, 32, 4, Palette.OUTLINE)
    elif kind == "Build":  # a hammer over a brick
        g.rect(6, 44, 30, 14, BRICK, 2)
        g.stroke([(22, 52), (44, 18)], 7, rgb("#B5651D"))
        g.shape(shade(Palette.ROAD, -0.1), lambda: g.canvas.polygon(
            [(30, 8), (56, 22), (50, 32), (24, 18)]), (24, 8, 32, 24))
    elif kind == "Status":
        for i, (h, colour) in enumerate(((20, Palette.DANGER), (32, Palette.GOLD),
                                         (46, Palette.PRIMARY["hover"]))):
            g.rect(8 + i * 17, 58 - h, 14, h, colour, 2)
    else:
        raise KeyError(kind)


def _paper_note(g):
    g.rect(40, 4, 20, 24, Palette.WHITE, 2)
    for y in (11, 17, 23):
        g.canvas.stroke_line([(44, y), (56, y)], 2, Palette.KERB)


def glyph(kind, size, pad=0):
    return _fitted(lambda g: _glyph(kind, g), size, pad)


# --- Feature symbols ------------------------------------------------------------------------

def _feature_glyph(base, g):
    """The symbol of a feature: what it does, drawn over its building's sign."""
    if base == "CafeFeature1":
        shop._draw_cafe(g)
        _coin(g, 50, 16, 10)
    elif base == "CityMallFeature1":
        shop._draw_city_mall(g)
        _rings(g, 32, 40, Palette.GOLD_HIGHLIGHT)
    elif base == "TruckStationFeature1":
        shop._draw_truck_station(g)
        for y in (18, 28, 38):
            g.stroke([(0, y), (8, y)], 2.5, Palette.WHITE)
    elif base == "TruckStationFeature2":
        _bricks(g, 4, 58, 3, 3, 13, 9)
        g.poly([(30, 8), (56, 8), (56, 32), (30, 32), (24, 20)], Palette.GOLD)
        g.canvas.circle(30, 20, 2.5)
        g.canvas.fill(Palette.OUTLINE, preserve=False)
        g.stroke([(42, 13), (42, 26)], 3, Palette.DANGER)
        g.stroke([(37, 22), (42, 27), (47, 22)], 3, Palette.DANGER)
    elif base == "REAgencyFeature1":
        _house(g, 6, 30, 32, 26, Palette.PANEL, Palette.ROOFS[3])
        _arrow_up(g, 48, 14, 56, 16, Palette.PRIMARY["hover"])
        _coin(g, 48, 12, 9)
    elif base == "REAgencyFeature2":
        _house(g, 18, 28, 34, 28, Palette.PANEL, Palette.ROOFS[4])
        _key(g, 8, 52)
        _sparkle(g, 10, 14, 7)
    elif base == "PRAgencyFeature1":
        shop._draw_pr_agency(g)
        _sparkle(g, 56, 12, 6)
        _sparkle(g, 58, 50, 5)
    elif base == "AquaParkFeature1":
        shop._waves(g, 44)
        for x, y in ((20, 24), (40, 18), (32, 36)):
            _coin(g, x, y, 9)
    elif base == "AquaParkFeature2":
        g.circle(32, 34, 16, Palette.WHITE)
        g.shape(Palette.DANGER, lambda: _segment(g.ctx, 32, 34, 16, -math.pi / 2, math.pi / 6),
                (16, 18, 32, 32))
        g.shape(Palette.ROOFS[1], lambda: _segment(g.ctx, 32, 34, 16, 5 * math.pi / 6,
                                                   3 * math.pi / 2), (16, 18, 32, 32))
        _rings(g, 32, 34, Palette.WATER)
    else:
        # a type's sign with a lightning bolt, for a feature without a drawing of its own
        type_name = base.split("Feature")[0]
        shop.DRAWINGS.get(type_name, lambda icon: shop._draw_lettered(icon, type_name))(g)
        g.poly([(50, 4), (40, 22), (48, 22), (44, 36), (58, 16), (50, 16), (54, 4)],
               Palette.GOLD)


def _segment(ctx, cx, cy, r, a0, a1):
    ctx.new_path()
    ctx.move_to(cx, cy)
    ctx.arc(cx, cy, r, a0, a1)
    ctx.close_path()


def feature_glyph(base, size):
    return _fitted(lambda g: _feature_glyph(base, g), size)


# --- Cards ----------------------------------------------------------------------------------

GLYPH = (70, 48)  # the box a card's symbol fills
HEADER_CENTRE = (57, 29)  # the middle of the card's header band


def card(header, state):
    """The empty card in a button state, coloured by its header."""
    body = Palette.PANEL
    if state == "":
        return shop._card(header, body, size=CARD)
    if state == "Hover":
        return shop._card(shade(header, 0.10), shade(body, 0.3), size=CARD)
    if state == "Press":
        return shop._card(shade(header, -0.10), shade(body, -0.05), size=CARD, dy=1)
    if state == "Disabled":
        grey = Palette.PRIMARY["disabled"]
        return shop._card(grey, shade(grey, 0.45), ink=shade(Palette.OUTLINE, 0.25), size=CARD)
    raise KeyError(state)


def _with_symbol(face, symbol, state, centre=HEADER_CENTRE):
    if state == "Disabled":
        symbol = _greyed(symbol)
    dy = 1 if state == "Press" else 0
    return _place(face, symbol, centre[0] - symbol.width / 2.0,
                  centre[1] - symbol.height / 2.0 + dy)


def action_card(base, state):
    face = card(HEADERS[ACTIONS[base]], state)
    if base == "FeatureU":
        return _with_symbol(face, _empty_slot(), state)
    return _with_symbol(face, glyph(base, GLYPH), state)


def _empty_slot():
    """The socket a locked feature's symbol goes in."""
    size = GLYPH[1]
    canvas = Canvas(size, size)
    c = size / 2.0
    canvas.circle(c, c, c - 4)
    canvas.fill(Palette.WHITE, alpha=0.25, preserve=True)
    canvas.ctx.set_dash([5, 4])
    canvas.ctx.set_line_width(2.5)
    canvas.ctx.set_source_rgba(*Palette.WHITE, 0.85)
    canvas.ctx.stroke()
    return canvas.image()


def _pile(count):
    """A pile of bricks growing with the offer, planks in front from the third offer on."""
    w, h = 108, 58
    g = _Glyph(64)
    g.canvas = Canvas(w, h)
    g.ctx = g.canvas.ctx
    g.line = Style.OUTLINE_SMALL
    rows = count + 1
    bw = min(16.0, 90.0 / rows)
    bh = min(9.0, 44.0 / rows)
    base = h - 4 - (6 if count >= 3 else 0)
    left = w / 2.0 - rows * bw / 2.0
    for r in range(rows):
        for c in range(rows - r):
            x = left + r * bw / 2.0 + c * bw
            g.rect(x, base - (r + 1) * bh, bw, bh, shade(BRICK, 0.06 * ((r + c) % 2)), 1.5)
    if count >= 3:
        planks = count - 2
        for i in range(planks):
            pw = 70 - i * 8
            g.rect(w / 2.0 - pw / 2.0 + (i % 2) * 6 - 3, h - 9 - i * 6, pw, 7,
                   shade(PLANK, 0.05 * (i % 2)), 2)
    image = g.canvas.image()
    return compose(soft_shadow(image, blur=1.5, offset=(2, 2)), image)


def _crew(count):
    """A group of workers in hard hats growing with the offer."""
    w, h = 108, 60
    g = _Glyph(64)
    g.canvas = Canvas(w, h)
    g.ctx = g.canvas.ctx
    g.line = Style.OUTLINE_SMALL
    back = count // 2
    front = count - back
    height = 44 if count < 4 else 38
    step = 22 if count < 4 else 20
    for row, n, base, size in ((0, back, h - 12, height * 0.9), (1, front, h - 1, height)):
        start = w / 2.0 - (n - 1) * step / 2.0
        for i in range(n):
            k = (i * 2 + row) % len(VESTS)
            _person(g, start + i * step, base, size, SKIN_TONES[(k + row) % len(SKIN_TONES)],
                    VESTS[k], Palette.GOLD)
    image = g.canvas.image()
    return compose(soft_shadow(image, blur=1.5, offset=(2, 2)), image)


def offer_card(kind, count, state):
    face = card(HEADERS["offer"], state)
    symbol = _pile(count) if kind == "Materials" else _crew(count)
    return _with_symbol(face, symbol, state, (57, 29))


ENTRY_BOX = (6, 3, 102, 58)


def _building(type_name):
    image, (x, y) = _fit(town.building(_town_type(type_name), False), ENTRY_BOX)
    return image, x, y


def entry_card(type_name, state):
    face = card(HEADERS["entry"], state)
    image, x, y = _building(type_name)
    if state == "Disabled":
        image = _greyed(image)
    return _place(face, image, x, y + (1 if state == "Press" else 0))


def lock_card(type_name):
    """A build entry not yet allowed: the card and its building in grey, a padlock over it."""
    grey = Palette.PRIMARY["disabled"]
    face = _greyed(shop._card(grey, shade(grey, 0.45), ink=shade(Palette.OUTLINE, 0.25),
                              size=CARD), 0.15)
    image, x, y = _building(type_name)
    face = _place(face, _greyed(image, 0.45), x, y)
    return _place(face, _padlock(), 74, 28)


def _padlock():
    """The shop's gold padlock (the one bright thing on a locked card)."""
    return shop.lock_badge()


def feature_face(base):
    face = card(Palette.GOLD, "")
    return _with_symbol(face, feature_glyph(base, GLYPH), "")


def feature_fill(base):
    """The recharge fill: the same card in a cool, translucent blue."""
    return _tinted(feature_face(base), Palette.WATER, 0.6)


def feature2_lock(type_name):
    """The padlock badge over a type's second feature, on a transparent card (it lies over the
    locked feature's face)."""
    symbol = _greyed(feature_glyph(type_name + "Feature2", (44, 36)), 0.2)
    out = Image.new("RGBA", CARD, (0, 0, 0, 0))
    out = _place(out, symbol, HEADER_CENTRE[0] - 22, HEADER_CENTRE[1] - 18)
    return _place(out, _padlock(), HEADER_CENTRE[0] + 6, HEADER_CENTRE[1] - 6)


# --- HUD parts ------------------------------------------------------------------------------

def top_bar():
    w, h = PANELS["TopBar"]
    depth = TOP_BAR_DEPTH
    canvas = Canvas(w, h)
    canvas.ctx.rectangle(0, 0, w, depth)
    canvas.lit_fill(Palette.PANEL_EDGE, (0, 0, w, depth), preserve=False)
    canvas.ctx.rectangle(0, 0, w, depth - 8)
    canvas.lit_fill(Palette.PANEL, (0, 0, w, depth - 8), preserve=False)
    canvas.highlight_band(0, 0, w, 14, 0, alpha=0.35)
    canvas.stroke_line([(0, depth - 8), (w, depth - 8)], 1.0, shade(Palette.PANEL_EDGE, -0.2))
    canvas.ctx.rectangle(0, depth - 2, w, 2)
    canvas.fill(Palette.OUTLINE, preserve=False)
    strip = canvas.image()
    shadow = Canvas(w, h)
    gradient = cairo.LinearGradient(0, depth, 0, depth + 10)
    gradient.add_color_stop_rgba(0, 0, 0, 0, Style.SHADOW_ALPHA)
    gradient.add_color_stop_rgba(1, 0, 0, 0, 0)
    shadow.ctx.rectangle(0, depth, w, 10)
    shadow.ctx.set_source(gradient)
    shadow.ctx.fill()
    return compose(shadow.image(), strip)


def hud_panel(size, socket):
    w, h = size
    canvas = Canvas(w, h)
    iw, ih = w - 4, h - 4
    canvas.rounded_rect(1, 1, iw, ih, Style.PANEL_RADIUS)
    canvas.fill(Palette.PANEL_EDGE, preserve=False)
    canvas.rounded_rect(5, 5, iw - 8, ih - 8, Style.PANEL_RADIUS - 4)
    canvas.lit_fill(Palette.PANEL, (1, 1, iw, ih), preserve=False)
    canvas.highlight_band(4, 4, iw - 6, 14, 8, alpha=0.35)
    if socket:
        canvas.circle(30, 30, 23)
        canvas.fill(socket, preserve=True)
        canvas.outline(1.5, shade(Palette.PANEL_EDGE, -0.25))
    canvas.rounded_rect(1, 1, iw, ih, Style.PANEL_RADIUS)
    canvas.outline()
    shape = canvas.image()
    return compose(soft_shadow(shape, offset=(2, 2), blur=1.5), shape)


def paper_panel(size, alpha=0.86):
    w, h = size
    canvas = Canvas(w, h)
    iw, ih = w - 4, h - 4
    canvas.rounded_rect(1, 1, iw, ih, Style.PANEL_RADIUS)
    canvas.lit_fill(Palette.PANEL, (1, 1, iw, ih), alpha=alpha, preserve=False)
    canvas.rounded_rect(6, 6, iw - 10, ih - 10, Style.PANEL_RADIUS - 5)
    canvas.ctx.set_line_width(1.5)
    canvas.ctx.set_dash([6, 4])
    canvas.ctx.set_source_rgba(*Palette.PANEL_EDGE, 0.9)
    canvas.ctx.stroke()
    canvas.ctx.set_dash([])
    canvas.rounded_rect(1, 1, iw, ih, Style.PANEL_RADIUS)
    canvas.ctx.save()
    canvas.ctx.clip_preserve()
    canvas.ctx.set_line_width(2 * Style.OUTLINE)
    canvas.ctx.set_source_rgba(*Palette.OUTLINE, 0.75)
    canvas.ctx.stroke()
    canvas.ctx.restore()
    shape = canvas.image()
    return compose(soft_shadow(shape, offset=(2, 2), blur=1.5, alpha=0.15), shape)


def bottom_panel():
    w, h = PANELS["BottomPanel"]
    canvas = Canvas(w, h)
    canvas.ctx.rectangle(0, 0, w, h)
    canvas.lit_fill(Palette.PANEL_EDGE, (0, 0, w, h), preserve=False)
    canvas.rounded_rect(8, 10, w - 16, h - 16, Style.PANEL_RADIUS)
    canvas.lit_fill(shade(Palette.PANEL, -0.02), (0, 0, w, h), preserve=True)
    canvas.outline(1.5, shade(Palette.PANEL_EDGE, -0.3))
    canvas.highlight_band(0, 0, w, 8, 0, alpha=0.35)
    canvas.ctx.rectangle(0, 0, w, 2)
    canvas.fill(Palette.OUTLINE, preserve=False)
    # rivets along the frame
    for x in range(24, w, 96):
        canvas.circle(x, 5, 1.6)
        canvas.fill(shade(Palette.PANEL_EDGE, -0.35), preserve=False)
    return canvas.image()


def page_back():
    return skin.inset(PANELS["PageBack"], shade(Palette.PANEL_EDGE, 0.55), Style.PANEL_RADIUS,
                      outline=1.5)


def bar_back():
    return skin.inset(PANELS["BarBack"], shade(Palette.PANEL_EDGE, -0.15), 8, outline=1.5)


def bar_fill():
    return skin.bar(PANELS["BarFill"], Palette.PRIMARY["hover"], 8)


def star(full):
    w, h = STAR
    canvas = Canvas(w, h)
    canvas.polygon(_star_points(w / 2.0, h / 2.0 + 1, 11, 4.8))
    colour = Palette.GOLD if full else shade(Palette.PANEL_EDGE, -0.12)
    canvas.lit_fill(colour, (0, 0, w, h))
    canvas.outline(Style.OUTLINE_SMALL,
                   Palette.OUTLINE if full else shade(Palette.OUTLINE, 0.2))
    if full:
        canvas.circle(9.5, 10, 1.8)
        canvas.fill(Palette.WHITE, alpha=0.7, preserve=False)
    return canvas.image()


def clock_face():
    w, h = CLOCK_FACE
    canvas = Canvas(w, h)
    c = 27.0
    canvas.circle(c, c, 26)
    canvas.lit_fill(Palette.PANEL_EDGE, (0, 0, w, h))
    canvas.outline()
    canvas.circle(c, c, 21)
    canvas.lit_fill(Palette.WHITE, (6, 6, 42, 42))
    canvas.outline(1.0, shade(Palette.PANEL_EDGE, -0.3))
    for k in range(12):
        a = k * math.pi / 6
        inner = 14.5 if k % 3 == 0 else 16.5
        canvas.stroke_line([(c + inner * math.cos(a), c + inner * math.sin(a)),
                            (c + 19 * math.cos(a), c + 19 * math.sin(a))],
                           2.2 if k % 3 == 0 else 1.2)
    canvas.circle(c, c, 3)
    canvas.fill(Palette.OUTLINE, preserve=False)
    shape = canvas.image()
    return compose(soft_shadow(shape, offset=(2, 2), blur=1.0), shape)


def clock_hand():
    w, h = CLOCK_HAND
    canvas = Canvas(w, h)
    canvas.polygon([(w / 2.0, 0.5), (w - 0.8, 6), (w / 2.0 + 1.2, h - 3), (w / 2.0 - 1.2, h - 3),
                    (0.8, 6)])
    canvas.fill(Palette.DANGER, preserve=True)
    canvas.outline(1.0)
    canvas.circle(w / 2.0, h - 3, 2.8)
    canvas.fill(Palette.OUTLINE, preserve=False)
    return canvas.image()


def money_star():
    w, h = MONEY_STAR
    canvas = Canvas(w, h)
    c = 19.0
    canvas.circle(c, c, 18)
    canvas.lit_fill(Palette.GOLD, (1, 1, 36, 36))
    canvas.outline()
    canvas.circle(c, c, 13.5)
    canvas.ctx.set_line_width(1.5)
    canvas.ctx.set_source_rgb(*shade(Palette.GOLD, -0.2))
    canvas.ctx.stroke()
    canvas.polygon(_star_points(c, c + 0.5, 10, 4.2))
    canvas.lit_fill(Palette.GOLD_HIGHLIGHT, (9, 9, 20, 20))
    canvas.outline(1.2, shade(Palette.GOLD, -0.4))
    canvas.highlight_band(8, 3, 22, 10, 5, alpha=0.35)
    shape = canvas.image()
    return compose(soft_shadow(shape, offset=(2, 2), blur=1.0), shape)


ROUND_GLYPHS = {"MenuButton": "Menu", "HelpButton": "Help", "GoalsButton": "Goals"}


def round_button(base, state):
    w, h = ROUND_BUTTON
    colour = Palette.SECONDARY[STATE_KEYS[state]]
    canvas = Canvas(w, h)
    c = 22.0
    canvas.circle(c, c, 21)
    canvas.lit_fill(colour, (1, 1, 42, 42))
    canvas.highlight_band(11, 4, 22, 14, 7, alpha=0.22)
    canvas.circle(c, c, 21)
    canvas.outline()
    ink = Palette.WHITE if state != "Disabled" else shade(Palette.WHITE, -0.12)
    kind = ROUND_GLYPHS[base]
    if kind == "Menu":
        for y in (14, 22, 30):
            canvas.stroke_line([(13, y), (31, y)], 8, Palette.OUTLINE)
        for y in (14, 22, 30):
            canvas.stroke_line([(13, y), (31, y)], 4, ink)
    elif kind == "Help":
        ctx = canvas.ctx
        for width, colour_ in ((8.5, Palette.OUTLINE), (4.5, ink)):
            ctx.new_path()
            ctx.arc(c, 16, 7, math.pi * 1.05, math.pi * 2.35)
            ctx.line_to(c, 27)
            ctx.set_line_width(width)
            ctx.set_line_cap(cairo.LINE_CAP_ROUND)
            ctx.set_line_join(cairo.LINE_JOIN_ROUND)
            ctx.set_source_rgb(*colour_)
            ctx.stroke()
        canvas.circle(c, 33.5, 3.6)
        canvas.fill(ink, preserve=True)
        canvas.outline(1.5)
    else:  # a clipboard with ticked rows
        canvas.rounded_rect(12, 10, 20, 25, 3)
        canvas.fill(ink, preserve=True)
        canvas.outline(1.5)
        canvas.rounded_rect(17, 7, 10, 6, 2)
        canvas.fill(shade(Palette.PANEL_EDGE, -0.2), preserve=True)
        canvas.outline(1.2)
        for y in (18, 25):
            canvas.stroke_line([(15, y), (17.5, y + 2.5), (21, y - 2)], 2.0,
                               Palette.PRIMARY["press"])
            canvas.stroke_line([(23, y), (29, y)], 1.6, Palette.KERB)
        canvas.stroke_line([(15, 31), (29, 31)], 1.6, Palette.KERB)
    shape = canvas.image()
    image = compose(soft_shadow(shape, offset=(3, 3), blur=1.0), shape)
    return _nudge(image) if state == "Press" else image


TAB_GLYPHS = {"TabBuild": "Build", "TabMaterials": "Materials", "TabWorkers": "Workers",
              "TabStatus": "Status"}


def tab_button(base, state):
    """A tab: its symbol at the left, room for an amount or a caption at its right."""
    colour = {"": Palette.PANEL_EDGE, "Hover": shade(Palette.PANEL_EDGE, 0.10),
              "Press": shade(Palette.PANEL_EDGE, -0.10),
              "Disabled": shade(Palette.PRIMARY["disabled"], 0.2)}[state]
    face = skin.button_face(colour, TAB, corners=(True, True, False, False), lip=0)
    symbol = glyph(TAB_GLYPHS[base], (28, 26))
    if state == "Disabled":
        symbol = _greyed(symbol)
    face = _place(face, symbol, 7, 6)
    return _nudge(face) if state == "Press" else face


def hint_window():
    """A speech bubble whose tail points left, to the guide."""
    w, h = PANELS["HintWindow"]
    canvas = Canvas(w, h)
    left, top, right, bottom = 16.0, 1.0, w - 5.0, h - 5.0
    r = Style.PANEL_RADIUS + 4
    tail_top, tail_bottom, tip = bottom - 70, bottom - 36, (1.0, bottom - 14)

    def bubble():
        ctx = canvas.ctx
        ctx.new_path()
        ctx.move_to(left + r, top)
        ctx.line_to(right - r, top)
        ctx.arc(right - r, top + r, r, -math.pi / 2, 0)
        ctx.line_to(right, bottom - r)
        ctx.arc(right - r, bottom - r, r, 0, math.pi / 2)
        ctx.line_to(left + r, bottom)
        ctx.arc(left + r, bottom - r, r, math.pi / 2, math.pi)
        ctx.line_to(left, tail_bottom)
        ctx.line_to(*tip)
        ctx.line_to(left, tail_top)
        ctx.line_to(left, top + r)
        ctx.arc(left + r, top + r, r, math.pi, 3 * math.pi / 2)
        ctx.close_path()

    bubble()
    canvas.lit_fill(shade(Palette.PANEL, 0.6), (0, 0, w, h), preserve=False)
    canvas.highlight_band(left + 6, top + 4, right - left - 12, 20, r - 6, alpha=0.5)
    canvas.ctx.save()
    bubble()
    canvas.ctx.clip()
    canvas.ctx.rectangle(0, bottom - 10, w, 10)
    canvas.fill(shade(Palette.PANEL, -0.03), preserve=False)
    canvas.ctx.restore()
    bubble()
    canvas.outline()
    shape = canvas.image()
    return compose(soft_shadow(shape, offset=Style.SHADOW_OFFSET), shape)


def guide():
    """A friendly town planner from the chest up: yellow hard hat, glasses, a rolled plan."""
    w, h = PANELS["Guide"]
    canvas = Canvas(w, h)
    ctx = canvas.ctx
    skin_tone = rgb("#F2C7A5")
    jacket = Palette.ROOFS[1]
    cx = 53.0
    # shoulders and jacket
    ctx.new_path()
    ctx.move_to(8, h - 5)
    ctx.curve_to(8, 96, 26, 88, cx, 88)
    ctx.curve_to(80, 88, 98, 96, 98, h - 5)
    ctx.close_path()
    canvas.lit_fill(jacket, (8, 88, 90, h - 93))
    canvas.outline()
    # shirt and tie
    canvas.polygon([(cx - 14, 89), (cx + 14, 89), (cx, h - 8)])
    canvas.fill(Palette.WHITE, preserve=True)
    canvas.outline(1.5)
    canvas.polygon([(cx - 4, 92), (cx + 4, 92), (cx + 6, 118), (cx, 126), (cx - 6, 118)])
    canvas.lit_fill(Palette.DANGER, (cx - 6, 92, 12, 34))
    canvas.outline(1.5)
    # neck
    canvas.rounded_rect(cx - 9, 74, 18, 17, 5)
    canvas.fill(shade(skin_tone, -0.12), preserve=True)
    canvas.outline(1.5)
    # head
    canvas.ctx.new_path()
    canvas.ctx.save()
    canvas.ctx.translate(cx, 55)
    canvas.ctx.scale(25, 27)
    canvas.ctx.arc(0, 0, 1, 0, 2 * math.pi)
    canvas.ctx.restore()
    canvas.lit_fill(skin_tone, (cx - 25, 28, 50, 54))
    canvas.outline()
    # ears
    for side in (-1, 1):
        canvas.circle(cx + side * 25, 58, 5)
        canvas.fill(skin_tone, preserve=True)
        canvas.outline(1.5)
    # hair at the sides
    for side in (-1, 1):
        canvas.polygon([(cx + side * 25, 44), (cx + side * 19, 36), (cx + side * 16, 50)])
        canvas.fill(rgb("#6B4226"), preserve=False)
    # glasses, eyes and smile
    for side in (-1, 1):
        canvas.circle(cx + side * 10, 56, 7)
        canvas.fill(Palette.WHITE, alpha=0.5, preserve=True)
        canvas.outline(1.5)
        canvas.circle(cx + side * 10, 56.5, 2.3)
        canvas.fill(Palette.OUTLINE, preserve=False)
    canvas.stroke_line([(cx - 3, 55), (cx + 3, 55)], 1.8)
    ctx.new_path()
    ctx.arc(cx, 64, 9, 0.35, math.pi - 0.35)
    ctx.set_line_width(2.2)
    ctx.set_line_cap(cairo.LINE_CAP_ROUND)
    ctx.set_source_rgb(*Palette.OUTLINE)
    ctx.stroke()
    for side in (-1, 1):
        canvas.circle(cx + side * 16, 67, 3.5)
        canvas.fill(Palette.DANGER, alpha=0.3, preserve=False)
    # hard hat
    canvas.ctx.new_path()
    canvas.ctx.arc(cx, 42, 25, math.pi, 2 * math.pi)
    canvas.ctx.close_path()
    canvas.lit_fill(Palette.GOLD, (cx - 25, 17, 50, 25))
    canvas.outline()
    canvas.rounded_rect(cx - 31, 38, 62, 8, 4)
    canvas.lit_fill(shade(Palette.GOLD, -0.08), (cx - 31, 38, 62, 8))
    canvas.outline(1.5)
    canvas.rounded_rect(cx - 4, 18, 8, 21, 3)
    canvas.fill(Palette.GOLD_HIGHLIGHT, preserve=True)
    canvas.outline(1.2)
    # a rolled plan under the arm
    ctx.save()
    ctx.translate(84, 112)
    ctx.rotate(-0.5)
    canvas.rounded_rect(-20, -7, 40, 14, 7)
    canvas.lit_fill(Palette.SKY_HORIZON, (-20, -7, 40, 14))
    canvas.outline(1.5)
    canvas.circle(20 - 7, 0, 5)
    canvas.fill(shade(Palette.SKY_TOP, -0.1), preserve=True)
    canvas.outline(1.2)
    ctx.restore()
    shape = canvas.image()
    return compose(soft_shadow(shape, offset=(3, 3), blur=2.0), shape)


def goal_box():
    return skin.inset(GOAL_BOX, Palette.WHITE, 5, outline=Style.OUTLINE_SMALL)


def goal_tick():
    return skin.check_mark(Palette.PRIMARY["normal"], size=GOAL_BOX[0])


def info_panel():
    return skin.panel(PANELS["InfoPanel"])


# --- The category ---------------------------------------------------------------------------

def draw():
    pictures = [
        Picture(name(PLAY, "TopBar"), top_bar(), trim=False),
        Picture(name(PLAY, "MoneyPanel"), hud_panel(PANELS["MoneyPanel"],
                                                    shade(Palette.GOLD, 0.55)), trim=False),
        Picture(name(PLAY, "RatingPanel"), hud_panel(PANELS["RatingPanel"],
                                                     shade(Palette.GOLD, 0.55)), trim=False),
        Picture(name(PLAY, "TimePanel"), hud_panel(PANELS["TimePanel"],
                                                   shade(Palette.SKY_TOP, 0.45)), trim=False),
        Picture(name(PLAY, "GoalsPanel"), paper_panel(PANELS["GoalsPanel"]), trim=False),
        Picture(name(PLAY, "BottomPanel"), bottom_panel(), trim=False),
        Picture(name(PLAY, "PageBack"), page_back(), trim=False),
        Picture(name(PLAY, "BarBack"), bar_back(), trim=False),
        Picture(name(PLAY, "BarFill"), bar_fill(), trim=False),
        Picture(name(PLAY, "StarFull"), star(True), trim=False),
        Picture(name(PLAY, "StarEmpty"), star(False), trim=False),
        Picture(name(PLAY, "ClockFace"), clock_face(), trim=False),
        Picture(name(PLAY, "ClockHand"), clock_hand(), trim=False),
        Picture(name(PLAY, "MoneyStar"), money_star(), trim=False),
        Picture(name(PLAY, "HintWindow"), hint_window(), trim=False),
        Picture(name(PLAY, "Guide"), guide(), trim=False),
        Picture(name(PLAY, "GoalBox"), goal_box(), trim=False),
        Picture(name(PLAY, "GoalTick"), goal_tick(), trim=False),
        Picture(name(PLAY, "InfoPanel"), info_panel(), grid=INFO_GRID),
    ]
    for icon in HUD_ICONS:
        pictures.append(Picture(name(PLAY, "Icon" + icon),
                                glyph(icon, HUD_ICON, pad=1), trim=False))
    for state in BUTTON_STATES:
        for base in ROUND_BUTTONS:
            pictures.append(Picture(name(PLAY, base + state), round_button(base, state),
                                    trim=False))
        for base in TABS:
            pictures.append(Picture(name(PLAY, base + state), tab_button(base, state),
                                    trim=False))
        for base in ACTIONS:
            pictures.append(Picture(name(BUTTONS, base + state), action_card(base, state),
                                    trim=False))
        for kind in OFFER_KINDS:
            for count in range(1, OFFER_COUNT + 1):
                pictures.append(Picture(name(BUTTONS, "%s%d%s" % (kind, count, state)),
                                        offer_card(kind, count, state), trim=False))
        for type_name in build_types():
            pictures.append(Picture(name(BUTTONS, type_name + "Button" + state),
                                    entry_card(type_name, state), trim=False))
    for type_name in build_types():
        pictures.append(Picture(name(BUTTONS, type_name + "ButtonLock"), lock_card(type_name),
                                trim=False))
    for _, base in features():
        pictures.append(Picture(name(FEATURES, base), feature_face(base), trim=False))
        pictures.append(Picture(name(FEATURES, base + "Fill"), feature_fill(base), trim=False))
    for type_name in two_feature_types():
        pictures.append(Picture(name(BUTTONS, type_name + "Feature2ButtonLock"),
                                feature2_lock(type_name), trim=False))
    return pictures


CATEGORY = Category("playhud", [PLAY, BUTTONS, FEATURES], draw, __file__)
