"""The main menu's own pictures under scenes/images/MainMenu/: the town backdrop with its street,
the clouds, the title, the balloons and the ribbon the final credits roll on.
"""
import math
import random

import cairo
from PIL import Image, ImageDraw, ImageFont

from . import street
from .kit import (DESIGN_SIZE, Canvas, Category, Palette, Picture, Style, compose, rgb, shade,
                  soft_shadow)

FOLDER = "scenes/images/MainMenu/"
BOLD_FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"


CLOUDS = ("Small", "Wide", "Round")


def name(base):
    return FOLDER + base + ".png"


# --- The backdrop ---------------------------------------------------------------------------

def _vertical_gradient(canvas, y0, y1, top, bottom):
    gradient = cairo.LinearGradient(0, y0, 0, y1)
    gradient.add_color_stop_rgb(0.0, *top)
    gradient.add_color_stop_rgb(1.0, *bottom)
    canvas.ctx.rectangle(0, y0, canvas.width, y1 - y0)
    canvas.ctx.set_source(gradient)
    canvas.ctx.fill()


def _hills(canvas, rng):
    far = shade(Palette.GRASS, 0.28)
    near = shade(Palette.GRASS, 0.12)
    for colour, base, height, phase in ((far, 600, 70, 0.7), (near, 628, 46, 2.1)):
        ctx = canvas.ctx
        ctx.new_path()
        ctx.move_to(0, street.HORIZON + 10)
        for x in range(0, canvas.width + 16, 16):
            y = base - height * (0.55 + 0.45 * math.sin(x / 170.0 + phase)) \
                * (0.8 + 0.2 * math.sin(x / 61.0 + phase * 3))
            ctx.line_to(x, y)
        ctx.line_to(canvas.width, street.HORIZON + 10)
        ctx.close_path()
        canvas.fill(colour, preserve=True)
        canvas.ctx.set_source_rgba(*shade(colour, -0.25), 1.0)
        canvas.ctx.set_line_width(1.5)
        canvas.ctx.stroke()


def _house(canvas, x, base, w, h, roof, wall, rng):
    """A town house standing on `base`: walls with windows, a pitched roof, a door."""
    roof_h = min(40.0, w * 0.45)
    canvas.rounded_rect(x, base - h, w, h, 3, (False, False, True, True))
    canvas.lit_fill(wall, (x, base - h, w, h))
    canvas.outline(1.5)
    canvas.polygon([(x - 5, base - h + 2), (x + w / 2.0, base - h - roof_h), (x + w + 5, base - h + 2)])
    canvas.lit_fill(roof, (x - 5, base - h - roof_h, w + 10, roof_h))
    canvas.outline(1.5)
    cols = max(1, int((w - 10) // 18))
    rows = max(1, int((h - 26) // 24))
    gap = (w - cols * 10) / (cols + 1)
    glass = shade(rgb("#8CD3F5"), -0.05)
    for r in range(rows):
        for c in range(cols):
            wx = x + gap + c * (10 + gap)
            wy = base - h + 10 + r * 24
            canvas.rounded_rect(wx, wy, 10, 13, 2)
            canvas.fill(glass if rng.random() > 0.25 else Palette.GOLD_HIGHLIGHT, preserve=True)
            canvas.outline(1.0)
    door_w = 10
    canvas.rounded_rect(x + w / 2.0 - door_w / 2.0, base - 16, door_w, 16, 3, (True, True, False, False))
    canvas.fill(shade(roof, -0.25), preserve=True)
    canvas.outline(1.0)


def _town(canvas, rng):
    walls = [rgb(c) for c in ("#FFF4DC", "#F6E3C3", "#FCE9D9", "#EFF1E0", "#F9DDC4")]
    x = -10.0
    base = street.HORIZON + 6
    while x < canvas.width:
        w = rng.choice((46, 54, 62, 70, 80))
        h = rng.choice((48, 60, 72, 86, 100))
        if abs(x + w / 2.0 - street.ROAD_FAR[0]) < 40:  # the road leaves the town here
            x += 60
            continue
        _house(canvas, x, base, w, h, rng.choice(Palette.ROOFS), rng.choice(walls), rng)
        x += w + rng.choice((4, 8, 14))


def _tree(canvas, x, y, size, rng):
    """A round tree whose trunk stands at (x, y)."""
    trunk_w = max(3.0, size * 0.14)
    canvas.rounded_rect(x - trunk_w / 2.0, y - size * 0.45, trunk_w, size * 0.45, 1.5)
    canvas.fill(rgb("#8B5A2B"), preserve=True)
    canvas.outline(1.2)
    canvas.ctx.save()
    canvas.ctx.translate(x + 3, y + 1)
    canvas.ctx.scale(1.0, 0.35)
    canvas.circle(0, 0, size * 0.35)
    canvas.ctx.restore()
    canvas.fill(Palette.BLACK, alpha=Style.SHADOW_ALPHA, preserve=False)
    r = size * 0.38
    cy = y - size * 0.45 - r * 0.8
    canvas.circle(x, cy, r)
    canvas.lit_fill(shade(Palette.GRASS_SHADE, rng.uniform(-0.08, 0.05)), (x - r, cy - r, 2 * r, 2 * r))
    canvas.outline(1.5)


def _road(canvas):
    ctx = canvas.ctx
    # the pavements, wider than the road
    far_l, far_r = street.lane(street.ROAD_FAR[1], -1.5), street.lane(street.ROAD_FAR[1], 1.5)
    near_l, near_r = street.lane(street.ROAD_NEAR_Y, -1.5), street.lane(street.ROAD_NEAR_Y, 1.5)
    canvas.polygon([far_l, far_r, near_r, near_l])
    canvas.fill(Palette.KERB, preserve=False)
    # paving joints across the pavements
    for i in range(1, 16):
        y = street.ROAD_FAR[1] + (street.ROAD_NEAR_Y - street.ROAD_FAR[1]) * (i / 16.0) ** 1.6
        for a, b in ((-1.5, -1.0), (1.0, 1.5)):
            canvas.stroke_line([street.lane(y, a), street.lane(y, b)], 1.0, shade(Palette.KERB, -0.12))
    # the road
    canvas.polygon([street.road_edge(0, -1), street.road_edge(0, 1), street.road_edge(1, 1),
                    street.road_edge(1, -1)])
    canvas.lit_fill(Palette.ROAD, (600, 660, 400, 200))
    canvas.outline(1.5)
    # the kerb lines
    for side in (-1, 1):
        canvas.stroke_line([street.road_edge(0, side), street.road_edge(1, side)], 2.0, Palette.OUTLINE)
    # dashes down the middle, longer and wider nearer the viewer
    t = 0.02
    while t < 1.0:
        length = 0.035 + 0.05 * t
        a, b = street.road_edge(t, 0), street.road_edge(min(1.0, t + length), 0)
        canvas.stroke_line([a, b], 1.0 + 4.0 * t, Palette.MARKING, cap=cairo.LINE_CAP_BUTT)
        t += length * 2.0
    # a zebra crossing near the viewer
    y0, y1 = 742.0, 760.0
    for i in range(7):
        o0 = -0.9 + i * 0.27
        canvas.polygon([street.lane(y0, o0), street.lane(y0, o0 + 0.14), street.lane(y1, o0 + 0.14),
                        street.lane(y1, o0)])
        canvas.fill(Palette.MARKING, alpha=0.9, preserve=False)


def _park(canvas, rng):
    cx, cy = street.PARK_CENTRE
    rx, ry = street.PARK_RADII
    ctx = canvas.ctx
    # the lawn inside and the ring of the bike path
    for radius_x, radius_y, colour in ((rx + 14, ry + 9, Palette.KERB), (rx - 12, ry - 7, Palette.GRASS)):
        ctx.save()
        ctx.translate(cx, cy)
        ctx.scale(radius_x, radius_y)
        ctx.new_path()
        ctx.arc(0, 0, 1, 0, 2 * math.pi)
        ctx.restore()
        canvas.fill(colour, preserve=True)
        canvas.outline(1.5)
    # a fountain in the middle
    ctx.save()
    ctx.translate(cx, cy - 2)
    ctx.scale(34, 8)
    ctx.new_path()
    ctx.arc(0, 0, 1, 0, 2 * math.pi)
    ctx.restore()
    canvas.fill(Palette.WATER, preserve=True)
    canvas.outline(1.5)
    canvas.rounded_rect(cx - 4, cy - 22, 8, 20, 3)
    canvas.fill(Palette.KERB, preserve=True)
    canvas.outline(1.2)
    for dx in (-9, -4, 4, 9):
        canvas.stroke_line([(cx, cy - 22), (cx + dx * 1.6, cy - 6)], 1.5, Palette.FOAM)
    # flower beds along the ring
    for i in range(10):
        a = 2 * math.pi * i / 10 + 0.3
        fx, fy = cx + (rx - 40) * math.sin(a), cy + (ry - 10) * math.cos(a)
        if abs(fx - cx) < 40:
            continue
        canvas.circle(fx, fy, 3.0)
        canvas.fill(rng.choice((Palette.DANGER, Palette.GOLD, rgb("#D94F8A"))), preserve=True)
        canvas.outline(1.0)


def _lamp(canvas, x, y, height):
    canvas.stroke_line([(x, y), (x, y - height)], 3.0, Palette.OUTLINE)
    canvas.stroke_line([(x, y), (x, y - height)], 1.4, rgb("#5B6470"))
    canvas.circle(x, y - height - 3, 4.0)
    canvas.fill(Palette.GOLD_HIGHLIGHT, preserve=True)
    canvas.outline(1.2)


def backdrop():
    rng = random.Random(7103)
    w, h = DESIGN_SIZE
    canvas = Canvas(w, h)
    _vertical_gradient(canvas, 0, street.HORIZON, Palette.SKY_TOP, Palette.SKY_HORIZON)
    # the sun, soft, top right
    canvas.circle(900, 96, 46)
    canvas.fill(Palette.GOLD_HIGHLIGHT, alpha=0.55, preserve=False)
    canvas.circle(900, 96, 34)
    canvas.fill(Palette.GOLD_HIGHLIGHT, preserve=True)
    canvas.outline(2.0, shade(Palette.GOLD, -0.1))
    _hills(canvas, rng)
    _town(canvas, rng)
    _vertical_gradient(canvas, street.HORIZON, h, Palette.GRASS, Palette.GRASS_SHADE)
    canvas.stroke_line([(0, street.HORIZON), (w, street.HORIZON)], 1.5, shade(Palette.GRASS_SHADE, -0.2))
    # hedges along the grass edge
    for x in range(-10, w, 34):
        if abs(x + 14 - street.ROAD_FAR[0]) < 34:
            continue
        canvas.rounded_rect(x, street.HORIZON - 6, 30, 14, 7)
        canvas.lit_fill(Palette.GRASS_SHADE, (x, street.HORIZON - 6, 30, 14))
        canvas.outline(1.2)
    _park(canvas, rng)
    _road(canvas)
    for x, y, size in ((40, 700, 46), (470, 706, 50), (520, 748, 60), (990, 700, 48), (1010, 760, 64),
                       (120, 765, 58), (395, 764, 54)):
        _tree(canvas, x, y, size, rng)
    for t in (0.12, 0.3, 0.6):
        for side in (-1.55, 1.55):
            x, y = street.lane(street.ROAD_FAR[1] + (street.ROAD_NEAR_Y - street.ROAD_FAR[1]) * t, side)
            _lamp(canvas, x, y, 10 + 80 * t)
    image = canvas.image()
    return image.convert("RGB").convert("RGBA")


# --- Clouds, balloons, the title and the credits ribbon --------------------------------------

def cloud(variant):
    """A puffy cloud: overlapping round parts on a flat base, white above, a little bluer below,
    one soft outline around the whole."""
    sizes = ((150, 70), (200, 84), (120, 58))
    w, h = sizes[variant]
    rng = random.Random(4100 + variant)
    pad = 4
    canvas = Canvas(w + 2 * pad, h + 2 * pad)
    ctx = canvas.ctx
    n = 4 + variant % 2
    ctx.new_path()
    for i in range(n):
        cx = pad + w * (i + 0.5) / n
        r = h * rng.uniform(0.27, 0.34) * (1.35 if 0 < i < n - 1 else 1.0)
        cy = pad + h - r - rng.uniform(0, h * 0.12)
        cx = min(max(cx, pad + r + 1.5), pad + w - r - 1.5)
        ctx.new_sub_path()
        ctx.arc(cx, max(cy, pad + r + 1.5), r, 0, 2 * math.pi)
    # a flat base with round ends (drawn the same way round as the parts, so they unite)
    base_h = h * 0.42
    r = base_h / 2.0
    x0, x1, y0 = pad + h * 0.12 + r, pad + w - h * 0.12 - r, pad + h - base_h - 1
    ctx.new_sub_path()
    ctx.arc(x1, y0 + r, r, -math.pi / 2, math.pi / 2)
    ctx.arc(x0, y0 + r, r, math.pi / 2, 3 * math.pi / 2)
    ctx.close_path()
    path = ctx.copy_path()
    ctx.set_line_width(3.0)
    ctx.set_line_join(cairo.LINE_JOIN_ROUND)
    ctx.set_source_rgb(*shade(Palette.SKY_TOP, -0.3))
    ctx.stroke()
    ctx.append_path(path)
    gradient = cairo.LinearGradient(0, pad, 0, pad + h)
    gradient.add_color_stop_rgb(0.0, *Palette.WHITE)
    gradient.add_color_stop_rgb(0.55, *Palette.WHITE)
    gradient.add_color_stop_rgb(1.0, *shade(Palette.SKY_HORIZON, -0.06))
    ctx.set_source(gradient)
    ctx.fill()
    return canvas.image()


def balloon(colour):
    w, h = 52, 104
    canvas = Canvas(w, h)
    ctx = canvas.ctx
    cx, cy, r = w / 2.0, 30.0, 22.0
    # string
    ctx.new_path()
    ctx.move_to(cx, cy + r + 6)
    ctx.curve_to(cx + 8, cy + r + 25, cx - 8, cy + r + 45, cx + 2, h - 2)
    ctx.set_line_width(1.5)
    ctx.set_source_rgb(*Palette.OUTLINE)
    ctx.stroke()
    # knot
    canvas.polygon([(cx - 4, cy + r + 7), (cx + 4, cy + r + 7), (cx, cy + r - 1)])
    canvas.fill(shade(colour, -0.15), preserve=True)
    canvas.outline(1.2)
    # body: a slightly tall ellipse
    ctx.save()
    ctx.translate(cx, cy)
    ctx.scale(1.0, 1.15)
    ctx.new_path()
    ctx.arc(0, 0, r, 0, 2 * math.pi)
    ctx.restore()
    canvas.lit_fill(colour, (cx - r, cy - r * 1.15, 2 * r, 2.3 * r))
    canvas.outline()
    # shine
    ctx.save()
    ctx.translate(cx - 8, cy - 12)
    ctx.rotate(-0.5)
    ctx.scale(4.0, 8.0)
    ctx.new_path()
    ctx.arc(0, 0, 1, 0, 2 * math.pi)
    ctx.restore()
    canvas.fill(Palette.WHITE, alpha=0.6, preserve=False)
    return canvas.image()


def title():
    text = "Brasquel"
    font = ImageFont.truetype(BOLD_FONT, 96)
    stroke = 5
    left, top, right, bottom = font.getbbox(text, stroke_width=stroke)
    pad = 14
    w, h = right - left + 2 * pad, bottom - top + 2 * pad + 6
    origin = (pad - left, pad - top)
    mask = Image.new("L", (w, h), 0)
    ImageDraw.Draw(mask).text(origin, text, font=font, fill=255)
    outer = Image.new("L", (w, h), 0)
    ImageDraw.Draw(outer).text(origin, text, font=font, fill=255, stroke_width=stroke, stroke_fill=255)
    # the letters: gold lit from above, a white gloss on their upper half
    fill = Image.new("RGBA", (w, h))
    top_colour = [int(c * 255) for c in Palette.GOLD_HIGHLIGHT]
    bottom_colour = [int(c * 255) for c in shade(Palette.SECONDARY["normal"], -0.05)]
    draw = ImageDraw.Draw(fill)
    for y in range(h):
        f = min(1.0, max(0.0, (y - pad) / float(h - 2 * pad)))
        draw.line([(0, y), (w, y)], fill=tuple(int(round(a + (b - a) * f)) for a, b in
                                             zip(top_colour, bottom_colour)) + (255,))
    outline_colour = tuple(int(c * 255) for c in Palette.OUTLINE) + (255,)
    letters = Image.new("RGBA", (w, h), (0, 0, 0, 0))
    letters.paste(Image.new("RGBA", (w, h), outline_colour), (0, 0), outer)
    letters.paste(fill, (0, 0), mask)
    shadow = soft_shadow(letters, offset=(4, 6))
    return compose(shadow, letters)


def credits_ribbon():
    """A ribbon banner the credits lines roll on: panel colours, folded ends."""
    w, h = 560, 92
    canvas = Canvas(w, h)
    colour = Palette.SECONDARY["normal"]
    for side in (0, 1):
        x0 = 0 if side == 0 else w - 70
        tail = [(x0, 24), (x0 + 70, 24), (x0 + 70, h - 6), (x0, h - 6), (x0 + 20, (24 + h - 6) / 2.0)] \
            if side == 0 else \
            [(x0, 24), (x0 + 70, 24), (x0 + 50, (24 + h - 6) / 2.0), (x0 + 70, h - 6), (x0, h - 6)]
        canvas.polygon(tail)
        canvas.fill(shade(colour, -0.2), preserve=True)
        canvas.outline(1.5)
    canvas.rounded_rect(40, 4, w - 80, h - 22, 10)
    canvas.lit_fill(Palette.PANEL, (40, 4, w - 80, h - 22))
    canvas.outline()
    canvas.rounded_rect(48, 11, w - 96, h - 36, 7)
    canvas.outline(1.0, Palette.PANEL_EDGE)
    return compose(soft_shadow(canvas.image(), offset=Style.SHADOW_OFFSET), canvas.image())


def draw():
    pictures = [Picture(name("Backdrop"), backdrop(), trim=False)]
    for i, kind in enumerate(CLOUDS):
        pictures.append(Picture(name("Cloud" + kind), cloud(i)))
    pictures.append(Picture(name("BaloonRed"), balloon(Palette.DANGER)))
    pictures.append(Picture(name("BaloonBlue"), balloon(Palette.ROOFS[1])))
    pictures.append(Picture(name("Title"), title()))
    pictures.append(Picture(name("CreditsStrip"), credits_ribbon()))
    return pictures


CATEGORY = Category("menu", [FOLDER], draw, __file__)
