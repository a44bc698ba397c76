"""The mini-games' pictures.

- `backdrop()`: the picture each game is played on (a summer park, a beach, an autumn market, an
  auction hall), busy with the shapes and colours its items hide among; scenes.py writes it as
  levels/<folder>/Backdrop.jpg;
- levels/<folder>/Items/<name>.png: the hidden items, drawn whole in muted colours close to
  their surroundings, with a thin outline and no shadow;
- levels/minigame_hidden2/Preview/<name>.png: the items in their full colours on a card, for the
  preview of the item wanted now;
- levels/minigame_auction/Money/<n>.png and <n>over.png: the banknotes 1 to 6, each value in its
  own colour, and their lit look under the pointer;
- scenes/images/MiniGames/: what every game shares: the guide "Linet", her speech bubble, the
  found star, the hint trail's sparkle, the auction's dial and its hand.
"""
import math
import random

from PIL import Image, ImageDraw, ImageFilter, ImageFont

from ..art.kit import Canvas, Category, Palette, Picture, Style, compose, rgb, shade, soft_shadow
from ..common import stable_seed
from . import description

SHARED = "scenes/images/MiniGames/"
SCREEN = (1024, 768)
PREVIEW = (96, 96)
BANKNOTE = (200, 100)
GUIDE = (150, 220)
BUBBLE = (440, 120)
STAR = (22, 22)
SPARKLE = (28, 28)
DIAL = (96, 96)
HAND = (8, 40)
BOLD_FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"


def folder(game):
    return "levels/%s/" % game["folder"]


# --- Item shapes: each draws into a canvas of the item's size ------------------------------

def _box(c):
    return (0, 0, c.width, c.height)


def _finish(c, colour, line=Style.OUTLINE_SMALL):
    c.lit_fill(colour, _box(c))
    c.outline(line)


def key(c, colour):
    w, h = c.width, c.height
    r = h / 2.0 - 1
    c.circle(r + 1, h / 2.0, r)
    _finish(c, colour)
    c.circle(r + 1, h / 2.0, r * 0.4)
    c.fill(shade(colour, -0.35), preserve=False)
    c.rounded_rect(2 * r - 1, h / 2.0 - 3, w - 2 * r, 6, 2)
    _finish(c, colour)
    for x in (w - 6, w - 13):
        c.rounded_rect(x, h / 2.0 + 1, 4, h / 2.0 - 2, 1)
        _finish(c, colour)


def cup(c, colour):
    w, h = c.width, c.height
    c.ctx.new_path()
    c.rounded_rect(2, h - 7, w - 4, 6, 3)
    _finish(c, shade(colour, -0.05))
    c.polygon([(4, 3), (w - 12, 3), (w - 15, h - 8), (7, h - 8)])
    _finish(c, colour)
    c.ctx.new_path()
    c.ctx.arc(w - 10, h / 2.0 - 2, 5, -math.pi / 2, math.pi / 2)
    c.ctx.set_line_width(3)
    c.ctx.set_source_rgb(*Palette.OUTLINE)
    c.ctx.stroke()
    c.rounded_rect(6, 5, w - 20, 3, 1)
    c.fill(shade(colour, 0.3), preserve=False)


def book(c, colour):
    w, h = c.width, c.height
    c.rounded_rect(1, 1, w - 2, h - 2, 3)
    _finish(c, colour)
    c.rounded_rect(w - 8, 3, 5, h - 6, 1)
    c.fill(Palette.PANEL, preserve=False)
    c.stroke_line([(7, 4), (7, h - 4)], 1.2)
    c.stroke_line([(12, h / 2.0 - 3), (w - 12, h / 2.0 - 3)], 1.0, shade(colour, 0.4))


def hat(c, colour):
    w, h = c.width, c.height
    c.ctx.new_path()
    c.ctx.save()
    c.ctx.translate(w / 2.0, h - 6)
    c.ctx.scale(w / 2.0 - 1, 5)
    c.ctx.arc(0, 0, 1, 0, 2 * math.pi)
    c.ctx.restore()
    _finish(c, shade(colour, -0.05))
    c.rounded_rect(w * 0.25, 2, w * 0.5, h - 8, 6, (True, True, False, False))
    _finish(c, colour)
    c.rounded_rect(w * 0.25 + 1, h - 13, w * 0.5 - 2, 4, 0)
    c.fill(shade(colour, -0.3), preserve=False)


def apple(c, colour):
    w, h = c.width, c.height
    c.circle(w / 2.0, h / 2.0 + 2, min(w, h - 4) / 2.0 - 1)
    _finish(c, colour)
    c.stroke_line([(w / 2.0, 7), (w / 2.0 + 2, 1)], 2.0)
    c.polygon([(w / 2.0 + 2, 4), (w - 3, 1), (w - 6, 7)])
    _finish(c, Palette.GRASS_SHADE, 1.0)


def bell(c, colour):
    w, h = c.width, c.height
    c.ctx.new_path()
    c.ctx.move_to(3, h - 7)
    c.ctx.curve_to(6, h - 12, 5, 4, w / 2.0, 3)
    c.ctx.curve_to(w - 5, 4, w - 6, h - 12, w - 3, h - 7)
    c.ctx.close_path()
    _finish(c, colour)
    c.circle(w / 2.0, h - 4, 3)
    _finish(c, shade(colour, -0.2), 1.0)


def kite(c, colour):
    w, h = c.width, c.height
    top = h * 0.62
    c.polygon([(w / 2.0, 1), (w - 2, top * 0.45), (w / 2.0, top), (2, top * 0.45)])
    _finish(c, colour)
    c.stroke_line([(w / 2.0, 2), (w / 2.0, top - 1)], 1.0, shade(colour, -0.3))
    c.stroke_line([(3, top * 0.45), (w - 3, top * 0.45)], 1.0, shade(colour, -0.3))
    c.stroke_line([(w / 2.0, top), (w / 2.0 - 6, top + 8), (w / 2.0 + 4, h - 8),
                   (w / 2.0 - 2, h - 2)], 2.0)


def glasses(c, colour):
    w, h = c.width, c.height
    r = h / 2.0 - 1
    for cx in (r + 1, w - r - 1):
        c.circle(cx, h / 2.0, r)
        c.fill(rgb("#CFE6F0"), alpha=1.0)
        c.outline(2.5, colour)
    c.stroke_line([(2 * r, h / 2.0 - 2), (w - 2 * r, h / 2.0 - 2)], 2.5, colour)


def boot(c, colour):
    w, h = c.width, c.height
    c.polygon([(3, 1), (w * 0.55, 1), (w * 0.55, h * 0.55), (w - 2, h * 0.7), (w - 2, h - 2),
               (3, h - 2)])
    _finish(c, colour)
    c.rounded_rect(3, h - 6, w - 5, 4, 1)
    c.fill(shade(colour, -0.35), preserve=False)


def clock(c, colour):
    w, h = c.width, c.height
    r = min(w, h) / 2.0 - 1
    c.circle(w / 2.0, h / 2.0, r)
    _finish(c, colour)
    c.circle(w / 2.0, h / 2.0, r - 4)
    c.fill(shade(colour, 0.25), preserve=False)
    c.stroke_line([(w / 2.0, h / 2.0), (w / 2.0, 6)], 1.8)
    c.stroke_line([(w / 2.0, h / 2.0), (w - 8, h / 2.0 + 2)], 1.8)


def shell(c, colour):
    w, h = c.width, c.height
    c.ctx.new_path()
    c.ctx.move_to(w / 2.0, h - 2)
    c.ctx.line_to(2, h * 0.45)
    c.ctx.curve_to(4, 0, w - 4, 0, w - 2, h * 0.45)
    c.ctx.close_path()
    _finish(c, colour)
    for k in range(1, 5):
        x = w * k / 5.0
        c.stroke_line([(w / 2.0, h - 3), (x, 6)], 1.0, shade(colour, -0.25))


def star(c, colour):
    w, h = c.width, c.height
    cx, cy, outer, inner = w / 2.0, h / 2.0 + 1, min(w, h) / 2.0 - 1, min(w, h) / 4.5
    points = []
    for k in range(10):
        a = -math.pi / 2 + k * math.pi / 5
        r = outer if k % 2 == 0 else inner
        points.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    c.polygon(points)
    _finish(c, colour)


def fish(c, colour):
    w, h = c.width, c.height
    c.polygon([(w - 2, 2), (w - 2, h - 2), (w * 0.72, h / 2.0)])
    _finish(c, shade(colour, -0.1))
    c.ctx.new_path()
    c.ctx.save()
    c.ctx.translate(w * 0.4, h / 2.0)
    c.ctx.scale(w * 0.38, h / 2.0 - 1)
    c.ctx.arc(0, 0, 1, 0, 2 * math.pi)
    c.ctx.restore()
    _finish(c, colour)
    c.circle(w * 0.2, h / 2.0 - 2, 2)
    c.fill(Palette.OUTLINE, preserve=False)


def ball(c, colour):
    w, h = c.width, c.height
    r = min(w, h) / 2.0 - 1
    c.circle(w / 2.0, h / 2.0, r)
    _finish(c, colour)
    c.ctx.save()
    c.circle(w / 2.0, h / 2.0, r - 1)
    c.ctx.clip()
    c.rounded_rect(0, h / 2.0 - 3, w, 6, 0)
    c.fill(Palette.PANEL, preserve=False)
    c.ctx.restore()
    c.circle(w / 2.0, h / 2.0, r)
    c.outline(Style.OUTLINE_SMALL)


def mushroom(c, colour):
    w, h = c.width, c.height
    c.rounded_rect(w * 0.35, h * 0.45, w * 0.3, h * 0.55 - 1, 3)
    _finish(c, Palette.PANEL)
    c.ctx.new_path()
    c.ctx.move_to(1, h * 0.55)
    c.ctx.curve_to(1, -2, w - 1, -2, w - 1, h * 0.55)
    c.ctx.close_path()
    _finish(c, colour)
    for x, y in ((w * 0.3, h * 0.25), (w * 0.62, h * 0.3)):
        c.circle(x, y, 2.5)
        c.fill(shade(colour, 0.5), preserve=False)


def leaf(c, colour):
    w, h = c.width, c.height
    c.ctx.new_path()
    c.ctx.move_to(1, h / 2.0)
    c.ctx.curve_to(w * 0.3, -3, w * 0.8, 0, w - 1, h / 2.0)
    c.ctx.curve_to(w * 0.8, h, w * 0.3, h + 3, 1, h / 2.0)
    c.ctx.close_path()
    _finish(c, colour)
    c.stroke_line([(3, h / 2.0), (w - 4, h / 2.0)], 1.0, shade(colour, -0.3))


def candle(c, colour):
    w, h = c.width, c.height
    c.rounded_rect(2, h * 0.35, w - 4, h * 0.65 - 1, 2)
    _finish(c, colour)
    c.ctx.new_path()
    c.ctx.move_to(w / 2.0, 1)
    c.ctx.curve_to(w - 3, h * 0.2, w / 2.0 + 2, h * 0.32, w / 2.0, h * 0.32)
    c.ctx.curve_to(w / 2.0 - 2, h * 0.32, 3, h * 0.2, w / 2.0, 1)
    c.ctx.close_path()
    _finish(c, Palette.WARNING, 1.0)


def pencil(c, colour):
    w, h = c.width, c.height
    c.polygon([(1, h / 2.0), (10, 1), (10, h - 1)])
    _finish(c, Palette.PANEL, 1.0)
    c.rounded_rect(9, 1, w - 10, h - 2, 2, (False, True, True, False))
    _finish(c, colour)
    c.rounded_rect(w - 9, 1, 8, h - 2, 2, (False, True, True, False))
    _finish(c, rgb("#D98C8C"), 1.0)


SHAPES = {f.__name__: f for f in (key, cup, book, hat, apple, bell, kite, glasses, boot, clock,
                                  shell, star, fish, ball, mushroom, leaf, candle, pencil)}


def item_image(shape, size, colour):
    canvas = Canvas(*size)
    SHAPES[shape](canvas, colour)
    return canvas.image()


def saturated(colour):
    """An item's colour as the preview shows it: clearer and brighter than in hiding."""
    import colorsys
    h, l, s = colorsys.rgb_to_hls(*colour)
    return colorsys.hls_to_rgb(h, min(0.62, max(0.42, l)), min(1.0, s * 1.6 + 0.15))


def preview_image(item):
    w, h = PREVIEW
    canvas = Canvas(w, h)
    canvas.rounded_rect(2, 2, w - 6, h - 6, Style.PANEL_RADIUS)
    canvas.fill(Palette.PANEL)
    canvas.outline()
    bw, bh = item["box"][2], item["box"][3]
    scale = min((w - 26.0) / bw, (h - 26.0) / bh)
    big = item_image(item["shape"], (int(bw * scale), int(bh * scale)),
                     saturated(rgb(item["colour"])))
    base = canvas.image()
    base.alpha_composite(big, ((w - 4 - big.size[0]) // 2, (h - 4 - big.size[1]) // 2))
    return base


# --- Backdrops ------------------------------------------------------------------------------

THEMES = {
    "park": dict(sky=True, ground=Palette.GRASS, shade=Palette.GRASS_SHADE, horizon=230,
                 clutter=["#6FAE43", "#8DCB5A", "#B9A35A", "#8E6F4E", "#D9CDB8", "#A6473A",
                          "#7F8F5A", "#E2D7BE", "#C9A24A"]),
    "beach": dict(sky=True, ground=Palette.SAND, shade=rgb("#E2BF82"), horizon=250,
                  water=True,
                  clutter=["#E6C9A8", "#D9A066", "#5C9CC4", "#D98C6A", "#D8C48E", "#C9D8E3",
                           "#B89A63", "#4F5E6B", "#7A6A52", "#F2D49B"]),
    "market": dict(sky=True, ground=Palette.AUTUMN, shade=Palette.AUTUMN_SHADE, horizon=220,
                   clutter=["#B5651D", "#C9A24A", "#E8D9B0", "#A9822F", "#C98F3C", "#8A5A3A",
                            "#B59450", "#9C6B4A", "#D8CBA8", "#CDBB9A"]),
    "hall": dict(sky=False, ground=rgb("#B5651D"), shade=rgb("#8F4F17"), horizon=420,
                 clutter=[]),
}


def _sky(c, horizon):
    import cairo
    gradient = cairo.LinearGradient(0, 0, 0, horizon)
    gradient.add_color_stop_rgb(0, *Palette.SKY_TOP)
    gradient.add_color_stop_rgb(1, *Palette.SKY_HORIZON)
    c.ctx.rectangle(0, 0, c.width, horizon)
    c.ctx.set_source(gradient)
    c.ctx.fill()


def _tree(c, x, y, size, colour):
    c.rounded_rect(x - size * 0.1, y - size * 0.2, size * 0.2, size * 0.6, 3)
    c.lit_fill(rgb("#8E6F4E"), (x - size, y - size, 2 * size, 2 * size))
    c.outline()
    for dx, dy, r in ((0, -size * 0.55, size * 0.45), (-size * 0.3, -size * 0.35, size * 0.35),
                      (size * 0.3, -size * 0.35, size * 0.35)):
        c.circle(x + dx, y + dy, r)
        c.lit_fill(colour, (x - size, y - size * 1.1, 2 * size, 2 * size))
        c.outline()


def _house(c, x, y, w, h, wall, roof):
    c.rounded_rect(x, y, w, h, 4)
    c.lit_fill(wall, (x, y, w, h))
    c.outline()
    c.polygon([(x - 8, y + 2), (x + w / 2.0, y - h * 0.6), (x + w + 8, y + 2)])
    c.lit_fill(roof, (x, y - h, w, h))
    c.outline()
    for wx in (x + w * 0.18, x + w * 0.62):
        c.rounded_rect(wx, y + h * 0.25, w * 0.2, h * 0.25, 3)
        c.fill(Palette.SKY_HORIZON)
        c.outline(Style.OUTLINE_SMALL)
    c.rounded_rect(x + w * 0.4, y + h * 0.55, w * 0.2, h * 0.45, 3)
    c.lit_fill(shade(roof, -0.2), (x, y, w, h))
    c.outline(Style.OUTLINE_SMALL)


def _blob(c, rng, x, y, size, colour):
    """A piece of clutter: a pebble, a bush, a box or a flower patch."""
    kind = rng.randrange(4)
    if kind == 0:
        c.ctx.new_path()
        c.ctx.save()
        c.ctx.translate(x, y)
        c.ctx.scale(size, size * 0.6)
        c.ctx.arc(0, 0, 1, 0, 2 * math.pi)
        c.ctx.restore()
        c.lit_fill(colour, (x - size, y - size, 2 * size, 2 * size))
        c.outline(Style.OUTLINE_SMALL)
    elif kind == 1:
        for k in range(3):
            c.circle(x + (k - 1) * size * 0.6, y - (k % 2) * size * 0.3, size * 0.55)
            c.lit_fill(colour, (x - size, y - size, 2 * size, 2 * size))
            c.outline(Style.OUTLINE_SMALL)
    elif kind == 2:
        c.rounded_rect(x - size * 0.7, y - size * 0.5, size * 1.4, size, 3)
        c.lit_fill(colour, (x - size, y - size, 2 * size, 2 * size))
        c.outline(Style.OUTLINE_SMALL)
        c.stroke_line([(x - size * 0.7, y), (x + size * 0.7, y)], 1.0, shade(colour, -0.3))
    else:
        for k in range(5):
            a = k * 2 * math.pi / 5
            c.circle(x + math.cos(a) * size * 0.35, y + math.sin(a) * size * 0.35, size * 0.3)
            c.fill(colour, preserve=False)
        c.circle(x, y, size * 0.2)
        c.fill(Palette.GOLD_HIGHLIGHT, preserve=False)


def _stall(c, x, y, w, colour):
    c.rounded_rect(x, y, w, 70, 4)
    c.lit_fill(rgb("#C9A27A"), (x, y, w, 70))
    c.outline()
    stripes = 6
    for k in range(stripes):
        c.rounded_rect(x - 6 + k * (w + 12) / stripes, y - 34, (w + 12) / stripes, 30,
                       2, (False, False, True, True))
        c.fill(colour if k % 2 == 0 else Palette.PANEL)
        c.outline(Style.OUTLINE_SMALL)
    for px in (x + 4, x + w - 10):
        c.rounded_rect(px, y - 4, 6, 80, 1)
        c.fill(rgb("#8E6F4E"))
        c.outline(Style.OUTLINE_SMALL)


def backdrop(game):
    theme = THEMES[game["theme"]]
    w, h = SCREEN
    c = Canvas(w, h)
    rng = random.Random(stable_seed("minigame backdrop", game["folder"]))
    horizon = theme["horizon"]
    if theme["sky"]:
        _sky(c, horizon)
        for k in range(3):
            cx = 140 + k * 330 + rng.randrange(60)
            for dx, r in ((-26, 18), (0, 26), (26, 18)):
                c.circle(cx + dx, 70 + k % 2 * 30, r)
                c.fill(Palette.WHITE, alpha=0.9, preserve=False)
    c.rounded_rect(0, horizon, w, h - horizon, 0)
    c.fill(theme["ground"], preserve=False)
    if theme.get("water"):
        c.rounded_rect(0, horizon, w, 110, 0)
        c.fill(Palette.WATER, preserve=False)
        for k in range(14):
            x = rng.randrange(w)
            c.stroke_line([(x, horizon + 20 + k * 6), (x + 40, horizon + 20 + k * 6)], 2.0,
                          Palette.FOAM)
        c.rounded_rect(0, horizon + 104, w, 12, 0)
        c.fill(Palette.FOAM, preserve=False)
    if game["theme"] == "hall":
        # wood-panelled walls, a curtain and a stage with three podiums
        c.rounded_rect(0, 0, w, horizon, 0)
        c.fill(rgb("#E8C98F"), preserve=False)
        for x in range(0, w, 64):
            c.stroke_line([(x, 0), (x, horizon)], 2.0, rgb("#C9A26A"))
        c.rounded_rect(0, 0, w, 90, 0)
        c.fill(rgb("#B03A3A"), preserve=False)
        for x in range(0, w, 48):
            c.stroke_line([(x + 24, 0), (x + 24, 86)], 3.0, rgb("#8E2A2A"))
        c.stroke_line([(0, 90), (w, 90)], 3.0)
        c.rounded_rect(40, horizon - 20, w - 80, 40, 8)
        c.lit_fill(rgb("#8E5B3A"), (40, horizon - 20, w - 80, 40))
        c.outline()
        for x in range(0, w, 80):
            c.stroke_line([(x, horizon + 20), (x - 60, h)], 1.5, theme["shade"])
        for k in range(3):
            px = 112 + k * 290
            c.rounded_rect(px, 480, 220, 70, 10)
            c.lit_fill(rgb("#6B4A9A"), (px, 480, 220, 70))
            c.outline()
        # a row of bidders' chairs at the front
        for x in range(60, w, 120):
            c.rounded_rect(x, 640, 70, 90, 8)
            c.lit_fill(rgb("#7A3A2A"), (x, 640, 70, 90))
            c.outline()
    else:
        # ground patches, houses or stalls along the horizon, trees, then clutter in front
        for _ in range(18):
            x, y = rng.randrange(w), rng.randrange(horizon + 40, h)
            c.ctx.new_path()
            c.ctx.save()
            c.ctx.translate(x, y)
            c.ctx.scale(60 + rng.randrange(60), 14 + rng.randrange(10))
            c.ctx.arc(0, 0, 1, 0, 2 * math.pi)
            c.ctx.restore()
            c.fill(theme["shade"], alpha=0.6, preserve=False)
        if game["theme"] == "park":
            for k, x in enumerate((40, 600, 820)):
                _house(c, x, horizon - 70, 150, 80, Palette.PANEL, Palette.ROOFS[k])
            c.rounded_rect(0, horizon + 150, w, 40, 0)
            c.fill(Palette.KERB, preserve=False)
            for x in range(0, w, 90):
                c.rounded_rect(x + 10, horizon + 300, 60, 12, 3)
                c.lit_fill(rgb("#8E6F4E"), (x, horizon + 300, 60, 12))
                c.outline(Style.OUTLINE_SMALL)
        if game["theme"] == "market":
            for k, x in enumerate((60, 330, 600, 860)):
                _stall(c, x, horizon + 20, 140, Palette.ROOFS[(k * 3) % 8])
        if game["theme"] == "beach":
            for x, colour in ((150, Palette.DANGER), (650, Palette.ROOFS[1]),
                              (900, Palette.WARNING)):
                c.stroke_line([(x, horizon + 190), (x, horizon + 330)], 4.0)
                c.polygon([(x - 80, horizon + 200), (x, horizon + 150), (x + 80, horizon + 200)])
                c.lit_fill(colour, (x - 80, horizon + 150, 160, 50))
                c.outline()
        for _ in range(6):
            x = rng.randrange(w)
            if game["theme"] != "beach":
                _tree(c, x, horizon + 10 + rng.randrange(30), 50 + rng.randrange(30),
                      Palette.GRASS_SHADE if game["theme"] == "park" else Palette.AUTUMN_SHADE)
        for _ in range(170):
            x, y = rng.randrange(w), rng.randrange(horizon + 30, h)
            _blob(c, rng, x, y, 8 + rng.randrange(16), rgb(rng.choice(theme["clutter"])))
    image = c.image()
    flat = Image.new("RGBA", image.size, (255, 255, 255, 255))
    flat.alpha_composite(image)
    return flat


# --- The auction's banknotes ----------------------------------------------------------------

def banknote(value, colour, over):
    w, h = BANKNOTE
    canvas = Canvas(w, h)
    base = shade(colour, 0.12) if over else colour
    canvas.rounded_rect(2, 2, w - 8, h - 8, 10)
    canvas.lit_fill(base, (0, 0, w, h))
    canvas.outline()
    canvas.rounded_rect(10, 10, w - 24, h - 24, 8)
    canvas.outline(1.5, shade(base, 0.45))
    canvas.circle(w / 2.0 - 3, h / 2.0 - 3, 30)
    canvas.fill(shade(base, 0.5))
    canvas.outline(1.5)
    for cx in (28, w - 34):
        canvas.circle(cx, h / 2.0 - 3, 10)
        canvas.fill(shade(base, -0.2))
        canvas.outline(1.2)
    image = canvas.image()
    shadow = soft_shadow(image, offset=Style.SHADOW_OFFSET)
    if over:
        glow = soft_shadow(image, blur=5, alpha=0.9)
        glow_np = glow.copy()
        glow_np.putdata([(255, 229, 138, a) for (_, _, _, a) in glow.getdata()])
        image = compose(glow_np, shadow, image)
    else:
        image = compose(shadow, image)
    draw = ImageDraw.Draw(image)
    font = ImageFont.truetype(BOLD_FONT, 44)
    text = str(value)
    box = draw.textbbox((0, 0), text, font=font, stroke_width=3)
    tx = (w - 4) // 2 - (box[2] - box[0]) // 2 - box[0]
    ty = (h - 4) // 2 - (box[3] - box[1]) // 2 - box[1]
    draw.text((tx, ty), text, font=font, fill=(255, 255, 255, 255), stroke_width=3,
              stroke_fill=(0x3A, 0x2A, 0x1E, 255))
    small = ImageFont.truetype(BOLD_FONT, 14)
    for cx in (28, w - 34):
        box = draw.textbbox((0, 0), text, font=small)
        draw.text((cx - (box[2] - box[0]) // 2 - box[0], h // 2 - 3 - (box[3] - box[1]) // 2 -
                   box[1]), text, font=small, fill=(255, 255, 255, 255))
    return image


# --- Shared pieces --------------------------------------------------------------------------

def guide():
    """Linet, the town's guide: waving, in a green jacket, with a clipboard."""
    w, h = GUIDE
    c = Canvas(w, h)
    skin, hair, jacket = rgb("#F2C9A0"), rgb("#8A4A24"), Palette.PRIMARY["normal"]
    c.rounded_rect(40, 120, 70, 96, 20, (True, True, False, False))
    c.lit_fill(jacket, (40, 120, 70, 96))
    c.outline()
    c.rounded_rect(62, 124, 26, 40, 4)
    c.fill(Palette.PANEL)
    c.outline(Style.OUTLINE_SMALL)
    # the waving arm
    c.polygon([(100, 132), (132, 78), (144, 86), (112, 146)])
    c.lit_fill(jacket, (100, 78, 44, 68))
    c.outline()
    c.circle(138, 74, 11)
    c.lit_fill(skin, (127, 63, 22, 22))
    c.outline()
    # the clipboard arm
    c.rounded_rect(22, 150, 34, 44, 4)
    c.lit_fill(rgb("#C9A26A"), (22, 150, 34, 44))
    c.outline()
    c.rounded_rect(28, 158, 22, 28, 2)
    c.fill(Palette.WHITE)
    c.outline(1.0)
    # head and hair
    c.circle(75, 80, 40)
    c.lit_fill(hair, (35, 40, 80, 80))
    c.outline()
    c.circle(75, 88, 32)
    c.lit_fill(skin, (43, 56, 64, 64))
    c.outline()
    c.rounded_rect(44, 52, 62, 20, 10)
    c.lit_fill(hair, (44, 52, 62, 20))
    c.outline()
    for ex in (63, 87):
        c.circle(ex, 88, 4)
        c.fill(Palette.OUTLINE, preserve=False)
    c.ctx.new_path()
    c.ctx.arc(75, 98, 11, 0.2 * math.pi, 0.8 * math.pi)
    c.ctx.set_line_width(2.5)
    c.ctx.set_source_rgb(*Palette.OUTLINE)
    c.ctx.stroke()
    for cx in (56, 94):
        c.circle(cx, 100, 5)
        c.fill(rgb("#F29A8A"), alpha=0.6, preserve=False)
    image = c.image()
    return compose(soft_shadow(image, offset=Style.SHADOW_OFFSET), image)


def bubble():
    """The guide's speech bubble, its tail to the lower left."""
    w, h = BUBBLE
    c = Canvas(w, h)
    c.rounded_rect(18, 2, w - 24, h - 10, Style.PANEL_RADIUS)
    c.ctx.new_sub_path()
    c.ctx.move_to(30, h - 30)
    c.ctx.line_to(2, h - 6)
    c.ctx.line_to(56, h - 12)
    c.ctx.close_path()
    c.fill(Palette.PANEL)
    c.outline()
    image = c.image()
    return compose(soft_shadow(image, offset=Style.SHADOW_OFFSET), image)


def found_star():
    w, h = STAR
    c = Canvas(w, h)
    star(c, Palette.GOLD)
    return c.image()


def sparkle():
    w, h = SPARKLE
    c = Canvas(w, h)
    cx, cy = w / 2.0, h / 2.0
    for r in range(12, 0, -2):
        c.circle(cx, cy, r)
        c.fill(Palette.GOLD_HIGHLIGHT, alpha=0.12, preserve=False)
    points = []
    for k in range(8):
        a = k * math.pi / 4
        r = 13 if k % 2 == 0 else 4
        points.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    c.polygon(points)
    c.fill(Palette.WHITE, preserve=False)
    return c.image()


def dial():
    w, h = DIAL
    c = Canvas(w, h)
    c.circle(w / 2.0, h / 2.0, w / 2.0 - 2)
    c.lit_fill(Palette.PANEL, (0, 0, w, h))
    c.outline()
    for k in range(12):
        a = k * math.pi / 6
        r0, r1 = w / 2.0 - 8, w / 2.0 - (14 if k % 3 == 0 else 11)
        c.stroke_line([(w / 2.0 + r0 * math.sin(a), h / 2.0 - r0 * math.cos(a)),
                       (w / 2.0 + r1 * math.sin(a), h / 2.0 - r1 * math.cos(a))], 2.0)
    return c.image()


def hand():
    w, h = HAND
    c = Canvas(w, h)
    c.rounded_rect(1, 1, w - 2, h - 2, 3)
    c.fill(Palette.DANGER)
    c.outline(1.0)
    return c.image()


def draw():
    pictures = [Picture(SHARED + "Guide.png", guide()),
                Picture(SHARED + "Bubble.png", bubble(), trim=False),
                Picture(SHARED + "Star.png", found_star(), trim=False),
                Picture(SHARED + "Sparkle.png", sparkle(), trim=False),
                Picture(SHARED + "Dial.png", dial(), trim=False),
                Picture(SHARED + "Hand.png", hand(), trim=False)]
    for game in description.games():
        base = folder(game)
        for item in game.get("items", []):
            size = tuple(item["box"][2:])
            pictures.append(Picture(base + "Items/%s.png" % item["name"],
                                    item_image(item["shape"], size, rgb(item["colour"])),
                                    trim=False))
            if game["class"] == "GMiniGameHidden2Scene":
                pictures.append(Picture(base + "Preview/%s.png" % item["name"],
                                        preview_image(item), trim=False))
        for value, colour in enumerate(game.get("banknotes", []), start=1):
            pictures.append(Picture(base + "Money/%d.png" % value,
                                    banknote(value, rgb(colour), False), trim=False))
            pictures.append(Picture(base + "Money/%dover.png" % value,
                                    banknote(value, rgb(colour), True), trim=False))
    return pictures


CATEGORY = Category("minigames", [SHARED] + ["levels/%s/" % g["folder"]
                                             for g in description.games()],
                    draw, __file__)
