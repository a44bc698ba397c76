"""The shop's own pictures under scenes/images/Shop/: the market-hall backdrop, the faces of the
shop buttons in every condition (normal, hover, pressed, not affordable, locked, bought), the
"bought" ribbon, the glow that marks an upgrade on offer at the current location, the points
board and one icon per upgrade (Icons/<Name>Icon.png, 64 x 64), drawn for every upgrade name the
upgrades table offers. A name without a drawing of its own gets a lettered sign.
"""
import math
import os
import tomllib

import cairo
from PIL import ImageDraw, ImageFont

from .. import upgrades
from ..common import REPO
from .kit import (DESIGN_SIZE, Canvas, Category, Palette, Picture, Style, compose, rgb, shade,
                  soft_shadow)

FOLDER = "scenes/images/Shop/"
# Where the faces of the interface's type are found.
FONTS_DESCRIPTION = "tools/assets/fonts.toml"
ICON_FOLDER = FOLDER + "Icons/"

# The shop button: a card with the upgrade's icon and name and, below it, its price.
BUTTON_SIZE = (136, 150)
# How far the glow reaches past the card on every side.
GLOW_MARGIN = 12
# Button face pictures by condition (name suffix -> colour of the card's header band).
FACES = ("", "Hover", "Press", "Disabled", "Locked", "Bought")
BOARD_SIZE = (300, 64)


def name(base):
    return FOLDER + base + ".png"


def icon_name(upgrade):
    """An upgrade's icon (named so that the digits some upgrade names end in are not taken for a
    frame number)."""
    return ICON_FOLDER + upgrade + "Icon.png"


def upgrade_names():
    """The upgrade names whose icons are drawn, in the table's order."""
    return list(upgrades.UPGRADE_NAMES)


# --- The backdrop ---------------------------------------------------------------------------

def backdrop():
    """A market hall: warm wall boards, a striped awning along the top, shelves in the back and
    a tiled floor at the bottom."""
    w, h = DESIGN_SIZE
    canvas = Canvas(w, h)
    ctx = canvas.ctx
    wall = rgb("#F6E3BE")
    gradient = cairo.LinearGradient(0, 0, 0, h)
    gradient.add_color_stop_rgb(0.0, *shade(wall, 0.08))
    gradient.add_color_stop_rgb(1.0, *shade(wall, -0.08))
    ctx.rectangle(0, 0, w, h)
    ctx.set_source(gradient)
    ctx.fill()
    # wall boards
    for x in range(0, w, 64):
        ctx.rectangle(x, 96, 2, h - 96)
        ctx.set_source_rgba(*shade(wall, -0.18), 1.0)
        ctx.fill()
    # shelves in the back: three long boards with crates and jars on them
    crate_colours = [Palette.ROOFS[i] for i in (0, 1, 2, 4, 5, 6)]
    for row, y in enumerate((250, 420, 590)):
        canvas.rounded_rect(24, y, w - 48, 14, 4)
        canvas.lit_fill(rgb("#B5651D"), (24, y, w - 48, 14), preserve=True)
        canvas.outline(1.5)
        x = 40 + row * 23
        index = row
        while x < w - 80:
            colour = shade(crate_colours[index % len(crate_colours)], 0.35)
            bw = 34 + (index * 7) % 18
            bh = 22 + (index * 5) % 14
            canvas.rounded_rect(x, y - bh, bw, bh, 4)
            canvas.lit_fill(colour, (x, y - bh, bw, bh), preserve=True)
            canvas.outline(1.5, shade(Palette.OUTLINE, 0.35))
            x += bw + 26 + (index * 11) % 30
            index += 1
    # the floor
    floor_top = h - 70
    ctx.rectangle(0, floor_top, w, h - floor_top)
    ctx.set_source_rgb(*rgb("#D9B98A"))
    ctx.fill()
    for x in range(0, w + 48, 48):
        ctx.move_to(x, floor_top)
        ctx.line_to(x - 30, h)
    ctx.move_to(0, floor_top + 30)
    ctx.line_to(w, floor_top + 30)
    ctx.set_line_width(1.5)
    ctx.set_source_rgba(*shade(rgb("#D9B98A"), -0.2), 1.0)
    ctx.stroke()
    ctx.rectangle(0, floor_top - 3, w, 3)
    ctx.set_source_rgb(*Palette.OUTLINE)
    ctx.fill()
    # a soft veil, so that the cards stand out from the shelves
    ctx.rectangle(0, 0, w, h)
    ctx.set_source_rgba(*Palette.PANEL, 0.35)
    ctx.fill()
    # the awning: red and cream stripes with a scalloped edge
    stripe = 64
    for i, x in enumerate(range(0, w, stripe)):
        colour = Palette.DANGER if i % 2 == 0 else Palette.PANEL
        ctx.new_path()
        ctx.move_to(x, 0)
        ctx.line_to(x + stripe, 0)
        ctx.line_to(x + stripe, 80)
        ctx.arc(x + stripe / 2.0, 80, stripe / 2.0, 0, math.pi)
        ctx.close_path()
        canvas.lit_fill(colour, (x, 0, stripe, 112), preserve=True)
        ctx.set_source_rgb(*Palette.OUTLINE)
        ctx.set_line_width(2)
        ctx.stroke()
    ctx.rectangle(0, 0, w, 14)
    ctx.set_source_rgb(*shade(Palette.DANGER, -0.25))
    ctx.fill()
    return canvas.image()


# --- The shop button ------------------------------------------------------------------------

def _card(header, body, ink=Palette.OUTLINE, size=BUTTON_SIZE, dy=0):
    """A card: a coloured header band behind the icon, a light body below for the name and the
    price, rounded corners, the outline and a soft shadow."""
    w, h = size
    canvas = Canvas(w, h)
    r = Style.PANEL_RADIUS
    inner_h = h - Style.SHADOW_OFFSET[1] - 2
    inner_w = w - Style.SHADOW_OFFSET[0] - 2
    y0 = 1 + dy
    canvas.rounded_rect(1, y0, inner_w, inner_h, r)
    canvas.lit_fill(body, (1, y0, inner_w, inner_h), preserve=False)
    ctx = canvas.ctx
    ctx.save()
    canvas.rounded_rect(1, y0, inner_w, inner_h, r)
    ctx.clip()
    band = inner_h * 0.58
    ctx.rectangle(1, y0, inner_w, band)
    canvas.lit_fill(header, (1, y0, inner_w, band), preserve=False)
    ctx.rectangle(1, y0 + band - 2, inner_w, 2)
    canvas.fill(shade(header, -0.3), preserve=False)
    ctx.restore()
    canvas.highlight_band(4, y0 + 3, inner_w - 6, 24, r - 3, alpha=0.22)
    canvas.rounded_rect(1, y0, inner_w, inner_h, r)
    canvas.outline(Style.OUTLINE, ink)
    shape = canvas.image()
    shadow = soft_shadow(shape, offset=Style.SHADOW_OFFSET)
    return compose(shadow, shape)


def button_face(condition):
    body = Palette.PANEL
    if condition == "":
        return _card(Palette.WATER, body)
    if condition == "Hover":
        return _card(shade(Palette.WATER, 0.15), shade(body, 0.3))
    if condition == "Press":
        return _card(shade(Palette.WATER, -0.10), shade(body, -0.05), dy=1)
    if condition == "Disabled":  # on offer, but the points do not reach yet
        return _card(shade(Palette.WATER, 0.45), shade(body, -0.04),
                     ink=shade(Palette.OUTLINE, 0.35))
    if condition == "Locked":
        grey = Palette.PRIMARY["disabled"]
        return _card(grey, shade(grey, 0.45), ink=shade(Palette.OUTLINE, 0.25))
    if condition == "Bought":
        return _card(Palette.PRIMARY["normal"], shade(Palette.PRIMARY["hover"], 0.7))
    raise KeyError(condition)


def bought_ribbon():
    """A green ribbon with a tick, laid across the card's lower corner once it is bought."""
    w, h = 72, 36
    canvas = Canvas(w, h)
    canvas.polygon([(6, 2), (w - 2, 2), (w - 12, h / 2.0), (w - 2, h - 2), (6, h - 2)])
    canvas.lit_fill(Palette.PRIMARY["normal"], (0, 0, w, h))
    canvas.outline()
    tick = [(18, h / 2.0), (27, h / 2.0 + 8), (42, h / 2.0 - 8)]
    canvas.stroke_line(tick, 8, Palette.OUTLINE)
    canvas.stroke_line(tick, 4, Palette.WHITE)
    return canvas.image()


def lock_badge():
    """The padlock shown over a locked card's icon."""
    size = 40
    canvas = Canvas(size, size)
    c = size / 2.0
    ctx = canvas.ctx
    ctx.new_path()
    ctx.arc(c, 18, 8, math.pi, 2 * math.pi)
    ctx.set_line_width(7)
    ctx.set_source_rgb(*Palette.OUTLINE)
    ctx.stroke()
    ctx.new_path()
    ctx.arc(c, 18, 8, math.pi, 2 * math.pi)
    ctx.set_line_width(3)
    ctx.set_source_rgb(*Palette.KERB)
    ctx.stroke()
    canvas.rounded_rect(7, 17, 26, 20, 4)
    canvas.lit_fill(Palette.GOLD, (7, 17, 26, 20))
    canvas.outline(Style.OUTLINE_SMALL)
    canvas.circle(c, 26, 3)
    canvas.fill(Palette.OUTLINE, preserve=False)
    return canvas.image()


def glow():
    """A golden ring of light around a card (hollow, so that the card shows through)."""
    w, h = BUTTON_SIZE[0] + 2 * GLOW_MARGIN, BUTTON_SIZE[1] + 2 * GLOW_MARGIN
    canvas = Canvas(w, h)
    ctx = canvas.ctx
    m = GLOW_MARGIN
    for width, alpha in ((16, 0.18), (10, 0.35), (5, 0.8)):
        canvas.rounded_rect(m - 3, m - 3, BUTTON_SIZE[0] - 2, BUTTON_SIZE[1] - 2,
                            Style.PANEL_RADIUS + 3)
        ctx.set_line_width(width)
        ctx.set_source_rgba(*Palette.GOLD_HIGHLIGHT, alpha)
        ctx.stroke()
    canvas.rounded_rect(m - 3, m - 3, BUTTON_SIZE[0] - 2, BUTTON_SIZE[1] - 2,
                        Style.PANEL_RADIUS + 3)
    ctx.set_line_width(2)
    ctx.set_source_rgba(*Palette.GOLD, 1.0)
    ctx.stroke()
    return canvas.image()


def points_board():
    """The board the points are written on: a wooden sign with a gold coin at its left."""
    w, h = BOARD_SIZE
    canvas = Canvas(w, h)
    wood = rgb("#B5651D")
    canvas.rounded_rect(1, 1, w - 6, h - 6, Style.PANEL_RADIUS)
    canvas.lit_fill(shade(wood, 0.15), (0, 0, w, h))
    canvas.outline()
    canvas.rounded_rect(8, 8, w - 20, h - 20, 8)
    canvas.fill(shade(wood, 0.45), preserve=False)
    canvas.circle(34, h / 2.0 - 2, 18)
    canvas.lit_fill(Palette.GOLD, (16, 10, 36, 36))
    canvas.outline()
    canvas.circle(34, h / 2.0 - 2, 11)
    canvas.ctx.set_line_width(2)
    canvas.ctx.set_source_rgb(*shade(Palette.GOLD, -0.2))
    canvas.ctx.stroke()
    shape = canvas.image()
    return compose(soft_shadow(shape, offset=Style.SHADOW_OFFSET), shape)


# --- Upgrade icons (64 x 64, 4 px padding) --------------------------------------------------

class _Icon:
    """Drawing helpers inside one 64 x 64 icon."""

    def __init__(self):
        self.canvas = Canvas(Style.ICON_SIZE, Style.ICON_SIZE)
        self.ctx = self.canvas.ctx
        self.letters = None  # written over the middle of the icon

    def shape(self, colour, path, box=(4, 4, 56, 56), outline=Style.OUTLINE):
        path()
        self.canvas.lit_fill(colour, box)
        self.canvas.outline(outline)

    def rect(self, x, y, w, h, colour, r=3):
        self.shape(colour, lambda: self.canvas.rounded_rect(x, y, w, h, r), (x, y, w, h))

    def poly(self, points, colour):
        xs = [p[0] for p in points]
        ys = [p[1] for p in points]
        box = (min(xs), min(ys), max(xs) - min(xs), max(ys) - min(ys))
        self.shape(colour, lambda: self.canvas.polygon(points), box)

    def circle(self, x, y, r, colour):
        self.shape(colour, lambda: self.canvas.circle(x, y, r), (x - r, y - r, 2 * r, 2 * r))

    def windows(self, x0, y0, cols, rows, dx, dy, size=(6, 7)):
        glass = shade(Palette.SKY_TOP, -0.05)
        for r in range(rows):
            for c in range(cols):
                self.canvas.rounded_rect(x0 + c * dx, y0 + r * dy, size[0], size[1], 1.5)
                self.canvas.fill(glass, preserve=True)
                self.canvas.outline(1.0)

    def stars(self, count, y=10, size=4.5):
        total = count * size * 2.2
        x0 = 32 - total / 2.0 + size * 1.1
        for i in range(count):
            cx = x0 + i * size * 2.2
            points = []
            for k in range(10):
                r = size if k % 2 == 0 else size * 0.45
                a = math.radians(-90 + 36 * k)
                points.append((cx + r * math.cos(a), y + r * math.sin(a)))
            self.canvas.polygon(points)
            self.canvas.fill(Palette.GOLD, preserve=True)
            self.canvas.outline(1.0)

    def plus_badge(self):
        """The second stage of an upgrade: a green plus in the lower right corner."""
        self.circle(49, 49, 11, Palette.PRIMARY["normal"])
        for line in (((43, 49), (55, 49)), ((49, 43), (49, 55))):
            self.canvas.stroke_line(line, 7, Palette.OUTLINE)
        for line in (((43, 49), (55, 49)), ((49, 43), (49, 55))):
            self.canvas.stroke_line(line, 3.5, Palette.WHITE)

    def image(self):
        shape = self.canvas.image()
        if self.letters:
            with open(os.path.join(REPO, FONTS_DESCRIPTION), "rb") as description:
                folder = tomllib.load(description)["folder"]
            font = ImageFont.truetype(os.path.join(folder, "DejaVuSans-Bold.ttf"), 18)
            ImageDraw.Draw(shape).text((32, 32), self.letters, font=font, anchor="mm",
                                       fill=(255, 255, 255, 255), stroke_width=2,
                                       stroke_fill=(0x3A, 0x2A, 0x1E, 255))
        return compose(soft_shadow(shape, blur=1.5, offset=(2, 2)), shape)


def _ground(icon, colour=Palette.GRASS):
    icon.shape(colour, lambda: _ellipse(icon.ctx, 32, 52, 27, 7), (5, 45, 54, 14))


def _ellipse(ctx, cx, cy, rx, ry):
    ctx.new_path()
    ctx.save()
    ctx.translate(cx, cy)
    ctx.scale(rx, ry)
    ctx.arc(0, 0, 1, 0, 2 * math.pi)
    ctx.restore()
    ctx.close_path()


def _house(icon, x, y, w, h, wall, roof):
    icon.rect(x, y, w, h, wall, 2)
    icon.poly([(x - 4, y + 2), (x + w / 2.0, y - h * 0.55), (x + w + 4, y + 2)], roof)


def _draw_camping(icon):
    _ground(icon)
    icon.poly([(8, 50), (30, 12), (52, 50)], Palette.SECONDARY["normal"])
    icon.poly([(30, 12), (24, 50), (36, 50)], shade(Palette.SECONDARY["normal"], -0.3))
    icon.canvas.stroke_line([(30, 12), (30, 6)], 2)
    icon.poly([(30, 6), (40, 9), (30, 12)], Palette.DANGER)


def _draw_hostel(icon):
    _ground(icon)
    _house(icon, 14, 26, 36, 24, rgb("#F2D49B"), Palette.ROOFS[1])
    icon.windows(18, 30, 3, 2, 10, 9)


def _draw_guest_house(icon):
    _ground(icon)
    _house(icon, 12, 28, 40, 22, Palette.PANEL, Palette.ROOFS[0])
    icon.rect(28, 38, 8, 12, rgb("#B5651D"), 2)
    icon.windows(16, 32, 1, 1, 0, 0, (7, 7))
    icon.windows(41, 32, 1, 1, 0, 0, (7, 7))


def _draw_business_hotel(icon):
    _ground(icon)
    icon.rect(18, 10, 28, 42, rgb("#9FB7C9"), 2)
    icon.windows(22, 14, 3, 4, 8, 9, (5, 6))
    icon.rect(8, 34, 16, 18, shade(rgb("#9FB7C9"), -0.1), 2)
    icon.rect(40, 40, 18, 12, rgb("#B5651D"), 3)  # a briefcase
    icon.canvas.stroke_line([(45, 40), (45, 37), (53, 37), (53, 40)], 2)


def _draw_hotel(icon, stars, colour):
    _ground(icon)
    icon.rect(12, 20, 40, 32, colour, 2)
    icon.windows(16, 24, 4, 2, 9, 9, (5, 6))
    icon.rect(27, 42, 10, 10, rgb("#B5651D"), 2)
    icon.stars(stars, y=11, size=3.6 if stars > 5 else 4.2)


def _draw_cafe(icon):
    icon.shape(Palette.WHITE, lambda: _cup(icon.ctx), (12, 22, 34, 30))
    icon.ctx.new_path()
    icon.ctx.arc(46, 34, 7, -math.pi / 2, math.pi / 2)
    icon.ctx.set_line_width(7)
    icon.ctx.set_source_rgb(*Palette.OUTLINE)
    icon.ctx.stroke()
    icon.ctx.new_path()
    icon.ctx.arc(46, 34, 7, -math.pi / 2, math.pi / 2)
    icon.ctx.set_line_width(3)
    icon.ctx.set_source_rgb(*Palette.WHITE)
    icon.ctx.stroke()
    icon.shape(rgb("#B5651D"), lambda: _ellipse(icon.ctx, 29, 24, 15, 4), (14, 20, 30, 8), 1.5)
    for x in (22, 30, 38):
        icon.canvas.stroke_line([(x, 16), (x - 3, 11), (x, 6)], 2.5, shade(Palette.KERB, -0.1))
    icon.shape(Palette.KERB, lambda: _ellipse(icon.ctx, 30, 53, 24, 5), (6, 48, 48, 10), 1.5)


def _cup(ctx):
    ctx.new_path()
    ctx.move_to(13, 24)
    ctx.line_to(45, 24)
    ctx.line_to(41, 48)
    ctx.curve_to(40, 52, 18, 52, 17, 48)
    ctx.close_path()


def _draw_city_mall(icon):
    icon.poly([(12, 24), (52, 24), (56, 54), (8, 54)], Palette.ROOFS[5])
    for x in (22, 42):
        icon.ctx.new_path()
        icon.ctx.arc(x, 24, 6, math.pi, 2 * math.pi)
        icon.ctx.set_line_width(6)
        icon.ctx.set_source_rgb(*Palette.OUTLINE)
        icon.ctx.stroke()
        icon.ctx.new_path()
        icon.ctx.arc(x, 24, 6, math.pi, 2 * math.pi)
        icon.ctx.set_line_width(2.5)
        icon.ctx.set_source_rgb(*Palette.WHITE)
        icon.ctx.stroke()
    icon.rect(20, 34, 24, 10, Palette.GOLD_HIGHLIGHT, 4)


def _waves(icon, y, colour=Palette.WATER):
    icon.ctx.new_path()
    icon.ctx.move_to(6, y)
    for i in range(5):
        x = 6 + i * 11
        icon.ctx.curve_to(x + 3, y - 5, x + 8, y - 5, x + 11, y)
    icon.ctx.line_to(58, 56)
    icon.ctx.line_to(6, 56)
    icon.ctx.close_path()
    icon.canvas.lit_fill(colour, (6, y - 5, 52, 56 - y + 5))
    icon.canvas.outline()


def _draw_aqua_park(icon):
    icon.rect(38, 10, 8, 34, Palette.KERB, 2)
    icon.ctx.new_path()
    icon.ctx.move_to(42, 12)
    icon.ctx.curve_to(10, 14, 48, 34, 12, 44)
    icon.ctx.set_line_width(10)
    icon.ctx.set_source_rgb(*Palette.OUTLINE)
    icon.ctx.stroke()
    icon.ctx.new_path()
    icon.ctx.move_to(42, 12)
    icon.ctx.curve_to(10, 14, 48, 34, 12, 44)
    icon.ctx.set_line_width(6)
    icon.ctx.set_source_rgb(*Palette.SECONDARY["normal"])
    icon.ctx.stroke()
    _waves(icon, 44)


def _draw_statue(icon):
    icon.rect(16, 44, 32, 10, Palette.KERB, 2)
    icon.rect(22, 36, 20, 9, shade(Palette.KERB, -0.1), 2)
    bronze = rgb("#2FAF9A")
    icon.circle(32, 14, 6, bronze)
    icon.poly([(25, 36), (27, 21), (37, 21), (39, 36)], bronze)
    icon.canvas.stroke_line([(37, 23), (46, 10)], 7, Palette.OUTLINE)
    icon.canvas.stroke_line([(37, 23), (46, 10)], 3.5, bronze)


def _draw_garden(icon):
    _ground(icon)
    icon.rect(29, 32, 6, 18, rgb("#B5651D"), 2)
    icon.circle(32, 24, 15, Palette.GRASS_SHADE)
    for x, y, colour in ((14, 48, Palette.DANGER), (50, 47, Palette.GOLD),
                         (22, 52, Palette.ROOFS[5])):
        icon.circle(x, y, 4, colour)


def _draw_memorial(icon):
    icon.rect(12, 46, 40, 8, Palette.KERB, 2)
    icon.poly([(26, 46), (28, 12), (32, 6), (36, 12), (38, 46)], shade(Palette.KERB, 0.25))
    icon.circle(32, 30, 4, Palette.GOLD)


def _draw_truck_station(icon):
    _ground(icon, Palette.ROAD)
    icon.rect(8, 20, 32, 24, Palette.ROOFS[0], 3)
    icon.poly([(40, 26), (50, 26), (56, 34), (56, 44), (40, 44)], Palette.ROOFS[1])
    icon.rect(44, 29, 7, 6, shade(Palette.SKY_TOP, -0.05), 1.5)
    for x in (16, 32, 48):
        icon.circle(x, 46, 5.5, Palette.OUTLINE)
        icon.circle(x, 46, 2.5, Palette.KERB)


def _draw_re_agency(icon):
    _ground(icon)
    _house(icon, 8, 30, 26, 20, Palette.PANEL, Palette.ROOFS[3])
    icon.rect(44, 18, 4, 34, rgb("#B5651D"), 1.5)
    icon.rect(36, 20, 22, 14, Palette.WHITE, 2)
    icon.canvas.stroke_line([(41, 27), (53, 27)], 3, Palette.DANGER)


def _draw_pr_agency(icon):
    icon.poly([(12, 26), (22, 26), (46, 12), (46, 50), (22, 38), (12, 38)], Palette.DANGER)
    icon.rect(16, 38, 8, 12, shade(Palette.KERB, -0.1), 2)
    for r in (8, 15):
        icon.ctx.new_path()
        icon.ctx.arc(48, 31, r, -0.8, 0.8)
        icon.ctx.set_line_width(3)
        icon.ctx.set_line_cap(cairo.LINE_CAP_ROUND)
        icon.ctx.set_source_rgb(*Palette.OUTLINE)
        icon.ctx.stroke()


def _draw_lettered(icon, upgrade):
    """A sign with the upgrade's capital letters, for names without a drawing of their own."""
    icon.rect(8, 12, 48, 40, Palette.SECONDARY["normal"], 8)
    icon.letters = "".join(c for c in upgrade if c.isupper())[:3] or upgrade[:2]


DRAWINGS = {
    "Camping": _draw_camping,
    "Hostel": _draw_hostel,
    "GuestHouse": _draw_guest_house,
    "BusinessHotel": _draw_business_hotel,
    "HotelN5": lambda icon: _draw_hotel(icon, 5, Palette.ROOFS[4]),
    "HotelN6": lambda icon: _draw_hotel(icon, 6, Palette.ROOFS[3]),
    "Cafe": _draw_cafe,
    "CityMall": _draw_city_mall,
    "AquaPark": _draw_aqua_park,
    "Statue": _draw_statue,
    "Garden": _draw_garden,
    "Memorial": _draw_memorial,
    "TruckStation": _draw_truck_station,
    "REAgency": _draw_re_agency,
    "PRAgency": _draw_pr_agency,
}
SECOND_STAGE = "Feature2"


def upgrade_icon(upgrade):
    icon = _Icon()
    base = upgrade[:-len(SECOND_STAGE)] if upgrade.endswith(SECOND_STAGE) else upgrade
    drawing = DRAWINGS.get(base)
    if drawing:
        drawing(icon)
    else:
        _draw_lettered(icon, upgrade)
    if base != upgrade:
        icon.plus_badge()
    return icon.image()


# --- The category ---------------------------------------------------------------------------

def draw():
    pictures = [Picture(name("Backdrop"), backdrop(), trim=False)]
    for condition in FACES:
        pictures.append(Picture(name("Card" + condition), button_face(condition), trim=False))
    pictures.append(Picture(name("BoughtRibbon"), bought_ribbon()))
    pictures.append(Picture(name("Lock"), lock_badge()))
    pictures.append(Picture(name("Glow"), glow(), trim=False))
    pictures.append(Picture(name("PointsBoard"), points_board(), trim=False))
    for upgrade in upgrade_names():
        pictures.append(Picture(icon_name(upgrade), upgrade_icon(upgrade)))
    return pictures


CATEGORY = Category("shop", [FOLDER], draw, __file__)
