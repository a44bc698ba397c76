"""Effects: the pictures of the level world's self-running decorations.

- "particles/": the weather and hint particles, one small picture each, drawn upright and white
  so that the particle nodes' opacity and the level's tint colour them: a rain streak, a snow
  flake and a hint spark.
- "levels/common/Env/Effects/": balloons in three colours, the rising pictures (a heart, a
  note, a coin), the shield spark, a leaf and a flake for the spirals, a bird seen from the side
  (looking right and left, wings up and down), a lake wave and its glint, and the firework
  rocket with its trail and the white burst pieces the fireworks tint.

Small objects keep the kit's thin outline; glows and particles have none.
"""
import math

import cairo

from .kit import Canvas, Category, Palette, Picture, Style, rgb, shade

PARTICLES = "particles/"
EFFECTS = "levels/common/Env/Effects/"
FOLDERS = [PARTICLES, EFFECTS]

RAIN_SIZE = (6, 28)
SNOW_SIZE = (16, 16)
SPARK_SIZE = (20, 20)
BALLOON_SIZE = (40, 72)
BALLOONS = (("Red", rgb("#E0533D")), ("Blue", rgb("#3F7FD0")), ("Yellow", rgb("#F7C331")))
PICTURE_SIZE = (30, 30)
BIRD_SIZE = (34, 24)
WAVE_SIZE = (72, 18)
GLINT_SIZE = (18, 18)
ROCKET_SIZE = (12, 30)
TRAIL_SIZE = (10, 34)
BURST_SIZE = (96, 96)
PIECE_SIZE = (16, 16)


def _glow(canvas, cx, cy, radius, colour, alpha=1.0):
    """A round glow fading from the colour at the centre to nothing at the radius."""
    ctx = canvas.ctx
    gradient = cairo.RadialGradient(cx, cy, 0, cx, cy, radius)
    gradient.add_color_stop_rgba(0.0, *colour[:3], alpha)
    gradient.add_color_stop_rgba(0.45, *colour[:3], alpha * 0.55)
    gradient.add_color_stop_rgba(1.0, *colour[:3], 0.0)
    ctx.set_source(gradient)
    canvas.circle(cx, cy, radius)
    ctx.fill()


def _star(canvas, cx, cy, outer, inner, points=4, turn=0.0):
    pts = []
    for i in range(points * 2):
        r = outer if i % 2 == 0 else inner
        a = turn + math.pi * i / points - math.pi / 2
        pts.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    canvas.polygon(pts)


def rain():
    w, h = RAIN_SIZE
    canvas = Canvas(w, h)
    ctx = canvas.ctx
    gradient = cairo.LinearGradient(0, 0, 0, h)
    gradient.add_color_stop_rgba(0.0, 1, 1, 1, 0.0)
    gradient.add_color_stop_rgba(0.7, 0.85, 0.93, 1.0, 0.75)
    gradient.add_color_stop_rgba(1.0, 1, 1, 1, 0.95)
    canvas.rounded_rect(w / 2.0 - 1.4, 1, 2.8, h - 2, 1.4)
    ctx.set_source(gradient)
    ctx.fill()
    return canvas.image()


def snow():
    w, h = SNOW_SIZE
    canvas = Canvas(w, h)
    _glow(canvas, w / 2.0, h / 2.0, w / 2.0, Palette.WHITE, 0.9)
    canvas.circle(w / 2.0, h / 2.0, 3.2)
    canvas.fill(Palette.WHITE, preserve=False)
    return canvas.image()


def hint_spark():
    w, h = SPARK_SIZE
    canvas = Canvas(w, h)
    _glow(canvas, w / 2.0, h / 2.0, w / 2.0, Palette.GOLD_HIGHLIGHT, 0.8)
    _star(canvas, w / 2.0, h / 2.0, w / 2.0 - 1, 2.2)
    canvas.fill(Palette.WHITE, preserve=False)
    return canvas.image()


def balloon(colour):
    w, h = BALLOON_SIZE
    canvas = Canvas(w, h)
    ctx = canvas.ctx
    cx, cy, rx, ry = w / 2.0, 22.0, 16.0, 19.0
    # the string, swinging a little under the knot
    canvas.stroke_line([(cx, cy + ry + 3), (cx - 3, cy + ry + 14), (cx + 2, cy + ry + 24),
                        (cx - 1, h - 2)], 1.2, shade(Palette.OUTLINE, 0.3))
    ctx.save()
    ctx.translate(cx, cy)
    ctx.scale(rx, ry)
    canvas.circle(0, 0, 1)
    ctx.restore()
    canvas.lit_fill(colour, (cx - rx, cy - ry, 2 * rx, 2 * ry))
    canvas.outline(Style.OUTLINE)
    canvas.polygon([(cx - 3.5, cy + ry + 4), (cx + 3.5, cy + ry + 4), (cx, cy + ry - 1.5)])
    canvas.fill(shade(colour, -0.2), preserve=True)
    canvas.outline(1.0)
    ctx.save()  # the shine in the top left
    ctx.translate(cx - 6.5, cy - 9)
    ctx.rotate(-0.6)
    ctx.scale(3.2, 6.0)
    canvas.circle(0, 0, 1)
    ctx.restore()
    canvas.fill(Palette.WHITE, alpha=0.55, preserve=False)
    return canvas.image()


def heart():
    w, h = PICTURE_SIZE
    canvas = Canvas(w, h)
    ctx = canvas.ctx
    ctx.new_path()
    ctx.move_to(w / 2.0, h - 4)
    ctx.curve_to(2, h * 0.55, 1, 7, w / 2.0 - 6.5, 4.5)
    ctx.curve_to(w / 2.0 - 3, 3.5, w / 2.0, 6, w / 2.0, 9)
    ctx.curve_to(w / 2.0, 6, w / 2.0 + 3, 3.5, w / 2.0 + 6.5, 4.5)
    ctx.curve_to(w - 1, 7, w - 2, h * 0.55, w / 2.0, h - 4)
    ctx.close_path()
    canvas.lit_fill(rgb("#E04868"), (2, 3, w - 4, h - 6))
    canvas.outline(Style.OUTLINE_SMALL)
    canvas.circle(9.5, 10, 2.6)
    canvas.fill(Palette.WHITE, alpha=0.6, preserve=False)
    return canvas.image()


def note():
    w, h = PICTURE_SIZE
    canvas = Canvas(w, h)
    colour = rgb("#8E5BC8")
    canvas.polygon([(11, 21), (11, 5), (25, 2), (25, 18), (22, 18), (22, 7.5), (14, 9.3),
                    (14, 21)])
    canvas.lit_fill(colour, (11, 2, 14, 19))
    canvas.outline(Style.OUTLINE_SMALL)
    for x, y in ((9, 22), (20, 19)):
        canvas.ctx.save()
        canvas.ctx.translate(x, y)
        canvas.ctx.rotate(-0.35)
        canvas.ctx.scale(5.2, 3.8)
        canvas.circle(0, 0, 1)
        canvas.ctx.restore()
        canvas.lit_fill(colour, (x - 5, y - 4, 10, 8))
        canvas.outline(Style.OUTLINE_SMALL)
    return canvas.image()


def coin():
    w, h = PICTURE_SIZE
    canvas = Canvas(w, h)
    cx, cy = w / 2.0, h / 2.0
    canvas.circle(cx, cy, 12.5)
    canvas.lit_fill(Palette.GOLD, (cx - 12.5, cy - 12.5, 25, 25))
    canvas.outline(Style.OUTLINE_SMALL)
    canvas.circle(cx, cy, 8.5)
    canvas.fill(shade(Palette.GOLD, -0.12), preserve=True)
    canvas.outline(1.0, shade(Palette.GOLD, -0.35))
    canvas.rounded_rect(cx - 1.6, cy - 5.5, 3.2, 11, 1.2)
    canvas.fill(Palette.GOLD_HIGHLIGHT, preserve=False)
    canvas.circle(cx - 5, cy - 6, 2.2)
    canvas.fill(Palette.WHITE, alpha=0.7, preserve=False)
    return canvas.image()


def shield_spark():
    w, h = SPARK_SIZE
    canvas = Canvas(w, h)
    _glow(canvas, w / 2.0, h / 2.0, w / 2.0, rgb("#8CD3F5"), 0.9)
    _star(canvas, w / 2.0, h / 2.0, w / 2.0 - 2, 2.0)
    canvas.fill(Palette.WHITE, preserve=False)
    return canvas.image()


def leaf():
    w, h = (22, 22)
    canvas = Canvas(w, h)
    ctx = canvas.ctx
    ctx.new_path()
    ctx.move_to(3, h - 3)
    ctx.curve_to(2, 8, 10, 2, w - 3, 3)
    ctx.curve_to(w - 2, 12, 14, h - 2, 3, h - 3)
    ctx.close_path()
    colour = Palette.AUTUMN
    canvas.lit_fill(colour, (2, 2, w - 4, h - 4))
    canvas.outline(Style.OUTLINE_SMALL)
    canvas.stroke_line([(4, h - 4), (w - 6, 6)], 1.0, shade(colour, -0.35))
    return canvas.image()


def flake():
    w, h = (22, 22)
    canvas = Canvas(w, h)
    cx, cy = w / 2.0, h / 2.0
    _glow(canvas, cx, cy, w / 2.0, Palette.FOAM, 0.5)
    for k in range(3):
        a = math.pi * k / 3
        dx, dy = math.cos(a) * 8.5, math.sin(a) * 8.5
        canvas.stroke_line([(cx - dx, cy - dy), (cx + dx, cy + dy)], 2.4,
                           shade(Palette.WATER, -0.1))
        canvas.stroke_line([(cx - dx, cy - dy), (cx + dx, cy + dy)], 1.2, Palette.WHITE)
    return canvas.image()


def bird(facing, wings_up):
    w, h = BIRD_SIZE
    canvas = Canvas(w, h)
    ctx = canvas.ctx
    ctx.save()
    if facing == "Left":
        ctx.translate(w, 0)
        ctx.scale(-1, 1)
    body = rgb("#5B6470")
    # the far wing, then the body, then the near wing
    tip = 3.0 if wings_up else h - 3.0
    canvas.polygon([(14, 13), (20, 13), (12, tip + (2 if wings_up else -2))])
    canvas.fill(shade(body, -0.25), preserve=True)
    canvas.outline(1.0)
    ctx.save()
    ctx.translate(16, 14)
    ctx.scale(10, 4.6)
    canvas.circle(0, 0, 1)
    ctx.restore()
    canvas.lit_fill(body, (6, 9, 20, 10))
    canvas.outline(Style.OUTLINE_SMALL)
    canvas.circle(26, 11, 4.2)  # the head
    canvas.lit_fill(body, (22, 7, 8, 8))
    canvas.outline(Style.OUTLINE_SMALL)
    canvas.polygon([(29.5, 10), (33.5, 11.5), (29.5, 13)])
    canvas.fill(Palette.GOLD, preserve=True)
    canvas.outline(0.8)
    canvas.circle(27, 10, 1.0)
    canvas.fill(Palette.WHITE, preserve=False)
    canvas.polygon([(7, 13), (1, 10), (2, 16)])  # the tail
    canvas.fill(shade(body, -0.15), preserve=True)
    canvas.outline(1.0)
    canvas.polygon([(13, 14), (21, 14), (15, tip)])
    canvas.lit_fill(shade(body, 0.15), (13, min(tip, 14), 8, abs(tip - 14) + 1))
    canvas.outline(1.0)
    ctx.restore()
    return canvas.image()


def wave():
    w, h = WAVE_SIZE
    canvas = Canvas(w, h)
    ctx = canvas.ctx
    points = [(x, h / 2.0 + 3.5 * math.sin(x / w * 2 * math.pi * 1.5)) for x in range(4, w - 3)]
    ctx.new_path()
    ctx.move_to(*points[0])
    for point in points[1:]:
        ctx.line_to(*point)
    gradient = cairo.LinearGradient(0, 0, w, 0)
    gradient.add_color_stop_rgba(0.0, *Palette.FOAM, 0.0)
    gradient.add_color_stop_rgba(0.3, *Palette.FOAM, 0.95)
    gradient.add_color_stop_rgba(0.7, *Palette.FOAM, 0.95)
    gradient.add_color_stop_rgba(1.0, *Palette.FOAM, 0.0)
    ctx.set_line_width(3.0)
    ctx.set_line_cap(cairo.LINE_CAP_ROUND)
    ctx.set_source(gradient)
    ctx.stroke()
    return canvas.image()


def glint():
    w, h = GLINT_SIZE
    canvas = Canvas(w, h)
    _glow(canvas, w / 2.0, h / 2.0, w / 2.0, Palette.WHITE, 0.7)
    _star(canvas, w / 2.0, h / 2.0, w / 2.0 - 1, 1.6)
    canvas.fill(Palette.WHITE, preserve=False)
    return canvas.image()


def rocket():
    w, h = ROCKET_SIZE
    canvas = Canvas(w, h)
    cx = w / 2.0
    canvas.polygon([(cx, 1.5), (w - 2, 9), (w - 2, h - 6), (2, h - 6), (2, 9)])
    canvas.lit_fill(Palette.DANGER, (2, 1.5, w - 4, h - 7))
    canvas.outline(Style.OUTLINE_SMALL)
    canvas.rounded_rect(2.5, 13, w - 5, 4, 1)
    canvas.fill(Palette.GOLD, preserve=False)
    canvas.stroke_line([(cx, h - 6), (cx, h - 1)], 1.4, shade(Palette.OUTLINE, 0.2))
    return canvas.image()


def trail():
    w, h = TRAIL_SIZE
    canvas = Canvas(w, h)
    ctx = canvas.ctx
    gradient = cairo.LinearGradient(0, 0, 0, h)
    gradient.add_color_stop_rgba(0.0, *Palette.GOLD_HIGHLIGHT, 1.0)
    gradient.add_color_stop_rgba(0.35, *Palette.SECONDARY["normal"], 0.8)
    gradient.add_color_stop_rgba(1.0, *Palette.SECONDARY["normal"], 0.0)
    ctx.new_path()
    ctx.move_to(w / 2.0 - 4, 1)
    ctx.line_to(w / 2.0 + 4, 1)
    ctx.line_to(w / 2.0 + 1, h - 1)
    ctx.line_to(w / 2.0 - 1, h - 1)
    ctx.close_path()
    ctx.set_source(gradient)
    ctx.fill()
    return canvas.image()


def burst():
    """The white flash of a burst: rays around a glow (the fireworks tint it)."""
    w, h = BURST_SIZE
    canvas = Canvas(w, h)
    cx, cy = w / 2.0, h / 2.0
    _glow(canvas, cx, cy, w / 2.0, Palette.WHITE, 0.55)
    for k in range(12):
        a = 2 * math.pi * k / 12
        inner, outer = 9.0, (w / 2.0 - 3) * (1.0 if k % 2 == 0 else 0.72)
        canvas.ctx.set_source_rgba(1, 1, 1, 0.9)
        canvas.stroke_line([(cx + math.cos(a) * inner, cy + math.sin(a) * inner),
                            (cx + math.cos(a) * outer, cy + math.sin(a) * outer)], 2.6,
                           Palette.WHITE)
    canvas.circle(cx, cy, 7)
    canvas.fill(Palette.WHITE, preserve=False)
    return canvas.image()


def piece():
    """One flying piece of a burst, white."""
    w, h = PIECE_SIZE
    canvas = Canvas(w, h)
    _glow(canvas, w / 2.0, h / 2.0, w / 2.0, Palette.WHITE, 0.8)
    _star(canvas, w / 2.0, h / 2.0, w / 2.0 - 1, 2.0, turn=math.pi / 4)
    canvas.fill(Palette.WHITE, preserve=False)
    return canvas.image()


BIRD_FRAMES = [("Bird_%s%s.png" % (facing, "_Flap" if up else ""), facing, up)
               for facing in ("Right", "Left") for up in (False, True)]


def draw():
    pictures = [Picture(PARTICLES + "Rain.png", rain()),
                Picture(PARTICLES + "Snow.png", snow()),
                Picture(PARTICLES + "HintSpark.png", hint_spark())]
    for name, colour in BALLOONS:
        pictures.append(Picture("%sBalloon_%s.png" % (EFFECTS, name), balloon(colour)))
    pictures += [Picture(EFFECTS + "Heart.png", heart()), Picture(EFFECTS + "Note.png", note()),
                 Picture(EFFECTS + "Coin.png", coin()),
                 Picture(EFFECTS + "ShieldSpark.png", shield_spark()),
                 Picture(EFFECTS + "Leaf.png", leaf()), Picture(EFFECTS + "Flake.png", flake()),
                 Picture(EFFECTS + "Wave.png", wave()), Picture(EFFECTS + "Glint.png", glint()),
                 Picture(EFFECTS + "Rocket.png", rocket()), Picture(EFFECTS + "Trail.png", trail()),
                 Picture(EFFECTS + "Burst.png", burst()), Picture(EFFECTS + "Piece.png", piece())]
    for name, facing, up in BIRD_FRAMES:
        pictures.append(Picture(EFFECTS + name, bird(facing, up), sample=not up))
    return pictures


CATEGORY = Category("effects", FOLDERS, draw, __file__)
