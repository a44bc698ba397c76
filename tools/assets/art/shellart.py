"""The pictures of the panels over the menus and the play screen: the objectives and results
(stars, clock, trophy, the panels' ribbon, under scenes/images/ObjMenu/), the options' and the
players' symbols (scenes/images/Options/, scenes/images/Players/), and the in-game menu, the
quit question, the help pages and the credits (scenes/images/GameMenu/).
"""
import math

from .kit import Canvas, Category, Palette, Picture, Style, compose, rgb, shade, soft_shadow

OBJ = "scenes/images/ObjMenu/"
OPTIONS = "scenes/images/Options/"
PLAYERS = "scenes/images/Players/"
GAME = "scenes/images/GameMenu/"
FOLDERS = [OBJ, OPTIONS, PLAYERS, GAME]

SYMBOL = 56
RIBBON = (420, 72)
HELP_PAGE = (300, 190)
HELP_PAGES = ("Build", "Earn", "Deliveries", "Stars")

SILVER = rgb("#C9D3DC")
BLUE = rgb("#3F7FD0")


def _shadowed(canvas):
    image = canvas.image()
    return compose(soft_shadow(image, offset=Style.SHADOW_OFFSET), image)


def star(colour, size=SYMBOL):
    canvas = Canvas(size, size)
    c = size / 2.0 - 2
    outer, inner = size * 0.44, size * 0.19
    points = []
    for k in range(10):
        r = outer if k % 2 == 0 else inner
        a = -math.pi / 2 + k * math.pi / 5
        points.append((c + r * math.cos(a), c + 1 + r * math.sin(a)))
    canvas.polygon(points)
    canvas.lit_fill(colour, (0, 0, size, size))
    canvas.outline()
    canvas.circle(c - size * 0.1, c - size * 0.08, size * 0.06)
    canvas.fill(Palette.WHITE, alpha=0.6, preserve=False)
    return _shadowed(canvas)


def clock(size=SYMBOL):
    canvas = Canvas(size, size)
    c = size / 2.0 - 2
    r = size * 0.42
    canvas.circle(c, c, r)
    canvas.lit_fill(Palette.PANEL, (c - r, c - r, 2 * r, 2 * r))
    canvas.outline()
    canvas.circle(c, c, r - 5)
    canvas.outline(1.0, shade(Palette.PANEL_EDGE, -0.2))
    for k in range(12):
        a = k * math.pi / 6
        canvas.stroke_line([(c + (r - 9) * math.cos(a), c + (r - 9) * math.sin(a)),
                            (c + (r - 6) * math.cos(a), c + (r - 6) * math.sin(a))], 2.0)
    canvas.stroke_line([(c, c), (c, c - r * 0.6)], 3.0)
    canvas.stroke_line([(c, c), (c + r * 0.45, c + r * 0.1)], 3.0, Palette.DANGER)
    canvas.circle(c, c, 3)
    canvas.fill(Palette.OUTLINE, preserve=False)
    return _shadowed(canvas)


def trophy(size=96):
    canvas = Canvas(size, size)
    gold = Palette.GOLD
    cx = size / 2.0 - 2
    # handles
    for side in (-1, 1):
        canvas.ctx.new_path()
        canvas.ctx.arc(cx + side * 24, 34, 11, 0, 2 * math.pi)
        canvas.ctx.set_line_width(9)
        canvas.ctx.set_source_rgb(*Palette.OUTLINE)
        canvas.ctx.stroke()
        canvas.ctx.new_path()
        canvas.ctx.arc(cx + side * 24, 34, 11, 0, 2 * math.pi)
        canvas.ctx.set_line_width(5)
        canvas.ctx.set_source_rgb(*shade(gold, -0.1))
        canvas.ctx.stroke()
    # cup
    canvas.ctx.new_path()
    canvas.ctx.move_to(cx - 26, 14)
    canvas.ctx.line_to(cx + 26, 14)
    canvas.ctx.curve_to(cx + 26, 52, cx + 10, 60, cx, 60)
    canvas.ctx.curve_to(cx - 10, 60, cx - 26, 52, cx - 26, 14)
    canvas.ctx.close_path()
    canvas.lit_fill(gold, (cx - 26, 14, 52, 46))
    canvas.outline()
    canvas.rounded_rect(cx - 5, 58, 10, 14, 2)
    canvas.lit_fill(shade(gold, -0.1), (cx - 5, 58, 10, 14))
    canvas.outline(1.5)
    canvas.rounded_rect(cx - 20, 72, 40, 12, 4)
    canvas.lit_fill(rgb("#8B5A2B"), (cx - 20, 72, 40, 12))
    canvas.outline(1.5)
    canvas.highlight_band(cx - 20, 18, 14, 26, 6, alpha=0.45)
    return _shadowed(canvas)


def ribbon(size=RIBBON, colour=Palette.SECONDARY["normal"]):
    """The banner a panel's title sits on."""
    w, h = size
    canvas = Canvas(w, h)
    fold = 26
    for side in (-1, 1):
        x = 4 if side < 0 else w - 4 - fold * 1.6
        canvas.polygon([(x, 18), (x + fold * 1.6, 18), (x + fold * 1.6, h - 10), (x, h - 10),
                        (x + (fold * 0.6 if side < 0 else fold), (h + 8) / 2.0)]
                       if side < 0 else
                       [(x, 18), (x + fold * 1.6, 18), (x + fold * 1.0, (h + 8) / 2.0),
                        (x + fold * 1.6, h - 10), (x, h - 10)])
        canvas.lit_fill(shade(colour, -0.2), (x, 18, fold * 1.6, h - 28))
        canvas.outline(1.5)
    canvas.rounded_rect(fold, 6, w - 2 * fold - 4, h - 22, 10)
    canvas.lit_fill(colour, (fold, 6, w - 2 * fold, h - 22))
    canvas.outline()
    canvas.highlight_band(fold + 4, 9, w - 2 * fold - 12, 14, 8, alpha=0.3)
    return _shadowed(canvas)


def speaker(size=SYMBOL):
    canvas = Canvas(size, size)
    canvas.polygon([(8, 20), (18, 20), (30, 9), (30, 45), (18, 34), (8, 34)])
    canvas.lit_fill(BLUE, (8, 9, 22, 36))
    canvas.outline()
    for r in (10, 17):
        canvas.ctx.new_path()
        canvas.ctx.arc(30, 27, r, -0.8, 0.8)
        canvas.ctx.set_line_width(3.5)
        canvas.ctx.set_line_cap(1)
        canvas.ctx.set_source_rgb(*Palette.OUTLINE)
        canvas.ctx.stroke()
    return _shadowed(canvas)


def note(size=SYMBOL):
    canvas = Canvas(size, size)
    for x in (12, 34):
        canvas.circle(x + 5, 41, 7)
        canvas.lit_fill(Palette.ROOFS[3], (x - 2, 34, 14, 14))
        canvas.outline()
    canvas.polygon([(21, 10), (46, 5), (46, 40), (42, 40), (42, 13), (25, 17), (25, 42), (21, 42)])
    canvas.fill(Palette.OUTLINE, preserve=False)
    return _shadowed(canvas)


def screen(size=SYMBOL):
    canvas = Canvas(size, size)
    canvas.rounded_rect(5, 8, 44, 30, 4)
    canvas.fill(Palette.OUTLINE, preserve=False)
    canvas.rounded_rect(9, 12, 36, 22, 2)
    canvas.lit_fill(Palette.SKY_TOP, (9, 12, 36, 22), preserve=False)
    canvas.rounded_rect(9, 27, 36, 7, 1)
    canvas.fill(Palette.GRASS, preserve=False)
    canvas.rounded_rect(21, 38, 12, 6, 1)
    canvas.fill(Palette.OUTLINE, preserve=False)
    canvas.rounded_rect(14, 43, 26, 5, 2)
    canvas.fill(Palette.OUTLINE, preserve=False)
    return _shadowed(canvas)


def pointer(size=SYMBOL):
    canvas = Canvas(size, size)
    canvas.polygon([(14, 6), (14, 44), (23, 35), (30, 49), (36, 46), (29, 32), (41, 32)])
    canvas.lit_fill(Palette.WHITE, (14, 6, 28, 44))
    canvas.outline()
    return _shadowed(canvas)


def player(size=SYMBOL, shirt=Palette.PRIMARY["normal"]):
    canvas = Canvas(size, size)
    c = size / 2.0 - 2
    canvas.rounded_rect(c - 16, 30, 32, 20, 10)
    canvas.lit_fill(shirt, (c - 16, 30, 32, 20))
    canvas.outline()
    canvas.circle(c, 20, 11)
    canvas.lit_fill(rgb("#F2C7A5"), (c - 11, 9, 22, 22))
    canvas.outline()
    canvas.ctx.new_path()
    canvas.ctx.arc(c, 20, 11, 3.4, 6.0)
    canvas.ctx.close_path()
    canvas.fill(rgb("#6B4226"), preserve=True)
    canvas.outline(1.5)
    return _shadowed(canvas)


def pause(size=64):
    canvas = Canvas(size, size)
    c = size / 2.0 - 2
    canvas.circle(c, c, 26)
    canvas.lit_fill(Palette.SECONDARY["normal"], (c - 26, c - 26, 52, 52))
    canvas.outline()
    for x in (c - 10, c + 3):
        canvas.rounded_rect(x, c - 13, 8, 26, 2)
        canvas.lit_fill(Palette.WHITE, (x, c - 13, 8, 26))
        canvas.outline(1.5)
    return _shadowed(canvas)


def door(size=64):
    canvas = Canvas(size, size)
    canvas.rounded_rect(14, 6, 34, 52, 4, (True, True, False, False))
    canvas.lit_fill(rgb("#8B5A2B"), (14, 6, 34, 52))
    canvas.outline()
    for y in (12, 33):
        canvas.rounded_rect(19, y, 24, 17, 2)
        canvas.fill(shade(rgb("#8B5A2B"), -0.15), preserve=True)
        canvas.outline(1.0)
    canvas.circle(41, 33, 2.5)
    canvas.fill(Palette.GOLD, preserve=True)
    canvas.outline(1.0)
    return _shadowed(canvas)


def heart(size=64):
    canvas = Canvas(size, size)
    ctx = canvas.ctx
    ctx.new_path()
    ctx.move_to(30, 52)
    ctx.curve_to(4, 34, 6, 10, 20, 10)
    ctx.curve_to(26, 10, 30, 15, 30, 19)
    ctx.curve_to(30, 15, 34, 10, 40, 10)
    ctx.curve_to(54, 10, 56, 34, 30, 52)
    ctx.close_path()
    canvas.lit_fill(Palette.DANGER, (6, 10, 48, 42))
    canvas.outline()
    canvas.circle(20, 20, 4)
    canvas.fill(Palette.WHITE, alpha=0.55, preserve=False)
    return _shadowed(canvas)


def _page_frame(canvas, w, h):
    canvas.rounded_rect(2, 2, w - 4, h - 4, 10)
    canvas.lit_fill(Palette.SKY_HORIZON, (0, 0, w, h), preserve=True)
    canvas.outline()


def _house(canvas, x, base, w, h, roof):
    canvas.rounded_rect(x, base - h, w, h, 3)
    canvas.lit_fill(rgb("#FFF4DC"), (x, base - h, w, h))
    canvas.outline(1.5)
    canvas.polygon([(x - 5, base - h + 2), (x + w / 2.0, base - h - 22), (x + w + 5, base - h + 2)])
    canvas.lit_fill(roof, (x - 5, base - h - 22, w + 10, 24))
    canvas.outline(1.5)
    for k in range(max(1, int(w // 18))):
        canvas.rounded_rect(x + 6 + k * 18, base - h + 10, 9, 11, 2)
        canvas.fill(Palette.SKY_TOP, preserve=True)
        canvas.outline(1.0)


def _coin(canvas, x, y, r=12):
    canvas.circle(x, y, r)
    canvas.lit_fill(Palette.GOLD, (x - r, y - r, 2 * r, 2 * r))
    canvas.outline(1.5)
    canvas.stroke_line([(x, y - r * 0.5), (x, y + r * 0.5)], 2.5, shade(Palette.GOLD, -0.35))


def help_page(index, size=HELP_PAGE):
    """The picture of a help page: building on a lot, earning, deliveries and workers, stars."""
    w, h = size
    canvas = Canvas(w, h)
    _page_frame(canvas, w, h)
    ground = h - 40
    canvas.rounded_rect(6, ground, w - 12, 34, 8, (False, False, True, True))
    canvas.fill(Palette.GRASS, preserve=False)
    if index == 0:
        _house(canvas, 40, ground + 4, 70, 60, Palette.ROOFS[0])
        canvas.rounded_rect(150, ground - 6, 110, 14, 4)
        canvas.lit_fill(Palette.SAND, (150, ground - 6, 110, 14))
        canvas.outline(1.5)
        for k, tall in enumerate((40, 60, 80)):
            canvas.rounded_rect(160 + k * 30, ground - tall, 20, tall - 4, 2)
            canvas.lit_fill(rgb("#B9BDC4"), (160 + k * 30, ground - tall, 20, tall))
            canvas.outline(1.2)
        canvas.stroke_line([(150, 40), (270, 40)], 4, Palette.WARNING)
        canvas.stroke_line([(255, 40), (255, ground - 84)], 2, Palette.OUTLINE)
    elif index == 1:
        _house(canvas, 30, ground + 4, 80, 70, Palette.ROOFS[1])
        for k in range(5):
            _coin(canvas, 160 + (k % 3) * 36, 60 + (k // 3) * 36 + (k % 2) * 8)
        canvas.stroke_line([(120, 90), (146, 70)], 4, Palette.PRIMARY["normal"])
    elif index == 2:
        canvas.rounded_rect(30, ground - 46, 110, 40, 6)
        canvas.lit_fill(Palette.SECONDARY["normal"], (30, ground - 46, 110, 40))
        canvas.outline()
        canvas.rounded_rect(140, ground - 34, 40, 28, 5)
        canvas.lit_fill(BLUE, (140, ground - 34, 40, 28))
        canvas.outline()
        for x in (56, 150):
            canvas.circle(x, ground - 4, 9)
            canvas.fill(Palette.OUTLINE, preserve=False)
        for k in range(3):
            px = 200 + k * 26
            canvas.circle(px, ground - 46, 8)
            canvas.fill(rgb("#F2C7A5"), preserve=True)
            canvas.outline(1.2)
            canvas.rounded_rect(px - 8, ground - 38, 16, 26, 5)
            canvas.lit_fill(Palette.WARNING, (px - 8, ground - 38, 16, 26))
            canvas.outline(1.2)
    else:
        for k in range(3):
            s = star(Palette.GOLD if k < 2 else SILVER, 64)
            canvas.surface.flush()
            _paste(canvas, s, 40 + k * 80, 40 - (12 if k == 1 else 0))
    return canvas.image()


def _paste(canvas, image, x, y):
    """Draws a straight-alpha Pillow image onto the canvas."""
    import cairo
    import numpy as np
    arr = np.asarray(image.convert("RGBA")).astype(np.float64)
    a = arr[..., 3:4] / 255.0
    bgra = np.concatenate([arr[..., 2:3] * a, arr[..., 1:2] * a, arr[..., 0:1] * a,
                           arr[..., 3:4]], axis=2).round().astype(np.uint8)
    h, w = bgra.shape[:2]
    stride = cairo.ImageSurface.format_stride_for_width(cairo.FORMAT_ARGB32, w)
    data = bytearray(stride * h)
    for row in range(h):
        data[row * stride:row * stride + w * 4] = bgra[row].tobytes()
    surface = cairo.ImageSurface.create_for_data(data, cairo.FORMAT_ARGB32, w, h, stride)
    canvas.ctx.set_source_surface(surface, x, y)
    canvas.ctx.paint()


def draw():
    pictures = [
        Picture(OBJ + "GStar.png", star(Palette.GOLD)),
        Picture(OBJ + "SStar.png", star(SILVER)),
        Picture(OBJ + "Clock.png", clock()),
        Picture(OBJ + "Trophy.png", trophy()),
        Picture(OBJ + "Ribbon.png", ribbon(), trim=False),
        Picture(OPTIONS + "Speaker.png", speaker()),
        Picture(OPTIONS + "Note.png", note()),
        Picture(OPTIONS + "Screen.png", screen()),
        Picture(OPTIONS + "Pointer.png", pointer()),
        Picture(PLAYERS + "Player.png", player()),
        Picture(GAME + "Pause.png", pause()),
        Picture(GAME + "Door.png", door()),
        Picture(GAME + "Heart.png", heart()),
        Picture(GAME + "Ribbon.png", ribbon(colour=Palette.PRIMARY["normal"]), trim=False),
    ]
    for index, page in enumerate(HELP_PAGES):
        pictures.append(Picture(GAME + "Help%s.png" % page, help_page(index), trim=False))
    return pictures


CATEGORY = Category("shellart", FOLDERS, draw, __file__)
