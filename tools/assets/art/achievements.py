"""The achievements' pictures under scenes/images/Achievements/: the twelve icons Icon1.png to
Icon12.png (64 x 64 medals: a ribbon, a rim of bronze, silver or gold by how hard the achievement
is, and a sign of what it counts), and the dimmer the achievement pop-up lays over the screen.

  1 every lodging upgrade (a tent)     5-7 buildings finished (a hammer: bronze, silver, gold)
  2 the leisure upgrades (a cup)       8-10 money held (a coin bag: bronze, silver, gold)
  3 the decorations (a tree)           11 levels completed (a flag)
  4 the businesses (a truck)           12 expert scores (a star)
"""
import math

import cairo

from .kit import Canvas, Category, Palette, Picture, Style, compose, rgb, shade, soft_shadow

FOLDER = "scenes/images/Achievements/"
COUNT = 12
DIMMER_SIZE = 24
# The nine-grid deltas of the dimmer (it is stretched over the whole screen).
DIMMER_GRID = (8, 8, 8, 8)

BRONZE, SILVER, GOLD = rgb("#CD8B4A"), rgb("#C9D3DC"), Palette.GOLD
# Per achievement: the rim's metal and the sign in its middle.
MEDALS = (
    (GOLD, "tent"), (SILVER, "cup"), (SILVER, "tree"), (SILVER, "truck"),
    (BRONZE, "hammer"), (SILVER, "hammer"), (GOLD, "hammer"),
    (BRONZE, "bag"), (SILVER, "bag"), (GOLD, "bag"),
    (GOLD, "flag"), (GOLD, "star"),
)
RIBBONS = (Palette.DANGER, Palette.WATER)


def name(base):
    return FOLDER + base + ".png"


def icon_name(number):
    """The icon of achievement `number` (1 to 12)."""
    return name("Icon%d" % number)


def _sign(canvas, kind, c, ink):
    ctx = canvas.ctx

    def fill(colour, box):
        canvas.lit_fill(colour, box)
        canvas.outline(Style.OUTLINE_SMALL)

    if kind == "tent":
        canvas.polygon([(c - 11, c + 9), (c, c - 11), (c + 11, c + 9)])
        fill(Palette.SECONDARY["normal"], (c - 11, c - 11, 22, 20))
        canvas.polygon([(c, c - 11), (c - 3, c + 9), (c + 3, c + 9)])
        canvas.fill(ink, preserve=False)
    elif kind == "cup":
        ctx.new_path()
        ctx.move_to(c - 10, c - 6)
        ctx.line_to(c + 8, c - 6)
        ctx.line_to(c + 5, c + 8)
        ctx.line_to(c - 7, c + 8)
        ctx.close_path()
        fill(Palette.WHITE, (c - 10, c - 6, 18, 14))
        ctx.new_path()
        ctx.arc(c + 8, c, 4, -math.pi / 2, math.pi / 2)
        ctx.set_line_width(2.5)
        ctx.set_source_rgb(*ink)
        ctx.stroke()
        for x in (-4, 2):
            canvas.stroke_line([(c + x, c - 9), (c + x - 2, c - 13)], 1.8, ink)
    elif kind == "tree":
        canvas.rounded_rect(c - 2, c + 1, 4, 10, 1)
        fill(rgb("#B5651D"), (c - 2, c + 1, 4, 10))
        canvas.circle(c, c - 3, 9)
        fill(Palette.GRASS_SHADE, (c - 9, c - 12, 18, 18))
    elif kind == "truck":
        canvas.rounded_rect(c - 12, c - 7, 15, 12, 2)
        fill(Palette.ROOFS[0], (c - 12, c - 7, 15, 12))
        canvas.polygon([(c + 3, c - 3), (c + 9, c - 3), (c + 12, c + 1), (c + 12, c + 5),
                        (c + 3, c + 5)])
        fill(Palette.ROOFS[1], (c + 3, c - 3, 9, 8))
        for x in (-7, 7):
            canvas.circle(c + x, c + 7, 3)
            canvas.fill(ink, preserve=False)
    elif kind == "hammer":
        canvas.stroke_line([(c - 8, c + 10), (c + 4, c - 4)], 6, ink)
        canvas.stroke_line([(c - 8, c + 10), (c + 4, c - 4)], 3, rgb("#B5651D"))
        canvas.polygon([(c - 1, c - 11), (c + 7, c - 3), (c + 11, c - 7), (c + 3, c - 15)])
        fill(Palette.KERB, (c - 1, c - 15, 12, 12))
    elif kind == "bag":
        ctx.new_path()
        ctx.move_to(c - 4, c - 9)
        ctx.curve_to(c - 14, c - 2, c - 13, c + 11, c, c + 11)
        ctx.curve_to(c + 13, c + 11, c + 14, c - 2, c + 4, c - 9)
        ctx.close_path()
        fill(rgb("#C9A24A"), (c - 13, c - 9, 26, 20))
        canvas.rounded_rect(c - 5, c - 13, 10, 5, 2)
        fill(rgb("#A9822F"), (c - 5, c - 13, 10, 5))
        # the dollar sign: an S with a stroke through it
        ctx.new_path()
        ctx.move_to(c + 4, c - 2)
        ctx.curve_to(c + 2, c - 5, c - 5, c - 4, c - 4, c)
        ctx.curve_to(c - 3, c + 3, c + 5, c + 2, c + 4, c + 6)
        ctx.curve_to(c + 3, c + 9, c - 3, c + 9, c - 5, c + 6)
        ctx.set_line_width(2)
        ctx.set_line_cap(cairo.LINE_CAP_ROUND)
        ctx.set_source_rgb(*ink)
        ctx.stroke()
        canvas.stroke_line([(c, c - 7), (c, c + 11)], 1.6, ink)
    elif kind == "flag":
        canvas.stroke_line([(c - 8, c + 12), (c - 8, c - 12)], 3, ink)
        canvas.polygon([(c - 7, c - 12), (c + 11, c - 7), (c - 7, c - 1)])
        fill(Palette.DANGER, (c - 7, c - 12, 18, 11))
    elif kind == "star":
        points = []
        for i in range(10):
            r = 12 if i % 2 == 0 else 5
            a = math.radians(-90 + 36 * i)
            points.append((c + r * math.cos(a), c + 1 + r * math.sin(a)))
        canvas.polygon(points)
        fill(Palette.GOLD_HIGHLIGHT, (c - 12, c - 11, 24, 24))
    else:
        raise KeyError(kind)


def medal(index):
    """The icon of the achievement with the index (0 to 11)."""
    metal, kind = MEDALS[index]
    size = Style.ICON_SIZE
    canvas = Canvas(size, size)
    ink = Palette.OUTLINE
    c = size / 2.0
    # the ribbon behind the medal
    ribbon = RIBBONS[index % len(RIBBONS)]
    for points in ([(14, 4), (26, 4), (32, 22), (24, 26)], [(50, 4), (38, 4), (32, 22), (40, 26)]):
        canvas.polygon(points)
        canvas.lit_fill(ribbon, (14, 4, 36, 22))
        canvas.outline(Style.OUTLINE_SMALL)
    cy = 37
    canvas.circle(c, cy, 22)
    canvas.lit_fill(metal, (c - 22, cy - 22, 44, 44))
    canvas.outline()
    canvas.circle(c, cy, 16)
    canvas.fill(shade(metal, 0.35), preserve=True)
    canvas.ctx.set_line_width(1.5)
    canvas.ctx.set_source_rgb(*shade(metal, -0.35))
    canvas.ctx.stroke()
    canvas.ctx.save()
    canvas.ctx.translate(0, cy - c)
    _sign(canvas, kind, c, ink)
    canvas.ctx.restore()
    shape = canvas.image()
    return compose(soft_shadow(shape, blur=1.5, offset=(2, 2)), shape)


def dimmer():
    """Plain black: the pop-up tints it to half transparency over the screen."""
    canvas = Canvas(DIMMER_SIZE, DIMMER_SIZE)
    canvas.ctx.rectangle(0, 0, DIMMER_SIZE, DIMMER_SIZE)
    canvas.fill(Palette.BLACK, preserve=False)
    return canvas.image()


def draw():
    pictures = [Picture(icon_name(i + 1), medal(i)) for i in range(COUNT)]
    pictures.append(Picture(name("Dimmer"), dimmer(), grid=DIMMER_GRID))
    return pictures


CATEGORY = Category("achievements", [FOLDER], draw, __file__)
