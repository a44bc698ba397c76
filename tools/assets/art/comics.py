"""The comic pages of the story: each page's panels as pictures of their own under
scenes/images/Comics/ ("Page<p>_<k>.jpg"), and the boxes the words sit in (a speech bubble with
its tail left or right, a caption box and the page's paper). The figures: the young mayor (green
jacket), Nora the town planner (orange), the auctioneer (purple) and the town's folk.
"""
import math
import random

from .kit import Canvas, Category, Palette, Picture, Style, compose, rgb, shade, soft_shadow

FOLDER = "scenes/images/Comics/"
# Opaque pictures are written as JPEG files.
PAPER_FILE = FOLDER + "Paper.jpg"
SKIN = rgb("#F2C7A5")
HAIR = {"mayor": rgb("#6B4226"), "nora": rgb("#C0392B"), "auctioneer": rgb("#B9BDC4"),
        "folk": rgb("#3A2A1E")}
COAT = {"mayor": Palette.PRIMARY["normal"], "nora": Palette.SECONDARY["normal"],
        "auctioneer": Palette.ROOFS[3], "folk": Palette.ROOFS[1]}
PAPER = rgb("#FBF3E4")
BUBBLE = (330, 120)
CAPTION = (380, 64)

# Page -> panel sizes (w, h) in page order; the scene file lays them out.
PAGES = {
    1: [(470, 330), (470, 330), (960, 300)],
    2: [(310, 330), (310, 330), (310, 330), (960, 300)],
    3: [(470, 330), (470, 330), (470, 300), (470, 300)],
    4: [(960, 330), (470, 300), (470, 300)],
    5: [(310, 330), (310, 330), (310, 330), (470, 300), (470, 300)],
}


def name(page, index):
    return "%sPage%d_%d.jpg" % (FOLDER, page, index + 1)


# --- Pieces ---------------------------------------------------------------------------------

def _sky(canvas, w, h, top, bottom):
    import cairo
    gradient = cairo.LinearGradient(0, 0, 0, h)
    gradient.add_color_stop_rgb(0, *top)
    gradient.add_color_stop_rgb(1, *bottom)
    canvas.ctx.rectangle(0, 0, w, h)
    canvas.ctx.set_source(gradient)
    canvas.ctx.fill()


def _ground(canvas, w, h, y, colour):
    canvas.ctx.rectangle(0, y, w, h - y)
    canvas.fill(colour, preserve=False)
    canvas.ctx.rectangle(0, y, w, 3)
    canvas.fill(shade(colour, -0.25), preserve=False)


def _house(canvas, x, base, w, h, roof, wall=rgb("#FFF4DC"), snow=False):
    canvas.rounded_rect(x, base - h, w, h, 3)
    canvas.lit_fill(wall, (x, base - h, w, h))
    canvas.outline(1.5)
    roof_h = min(34.0, w * 0.45)
    canvas.polygon([(x - 6, base - h + 2), (x + w / 2.0, base - h - roof_h), (x + w + 6, base - h + 2)])
    canvas.lit_fill(Palette.SNOW if snow else roof, (x - 6, base - h - roof_h, w + 12, roof_h))
    canvas.outline(1.5)
    cols = max(1, int((w - 8) // 20))
    rows = max(1, int((h - 22) // 26))
    for r in range(rows):
        for c in range(cols):
            canvas.rounded_rect(x + 8 + c * 20, base - h + 8 + r * 26, 11, 14, 2)
            canvas.fill(Palette.GOLD_HIGHLIGHT if (r + c) % 3 == 0 else Palette.SKY_TOP, preserve=True)
            canvas.outline(1.0)


def _town(canvas, w, base, rng, snow=False, tall=1.0):
    x = -8.0
    while x < w:
        bw = rng.choice((48, 60, 72, 86))
        bh = rng.choice((50, 66, 84, 104)) * tall
        _house(canvas, x, base, bw, bh, rng.choice(Palette.ROOFS), snow=snow)
        x += bw + rng.choice((6, 10, 16))


def _tree(canvas, x, base, size, colour=Palette.GRASS_SHADE):
    canvas.rounded_rect(x - 3, base - size * 0.4, 6, size * 0.4, 2)
    canvas.fill(rgb("#8B5A2B"), preserve=True)
    canvas.outline(1.2)
    r = size * 0.34
    canvas.circle(x, base - size * 0.4 - r * 0.8, r)
    canvas.lit_fill(colour, (x - r, base - size, 2 * r, 2 * r))
    canvas.outline(1.5)


def figure(canvas, x, base, height, who, facing=1, arm_up=False, mouth_open=False, prop=None):
    """A standing figure whose feet are at (x, base)."""
    s = height / 100.0
    coat, hair = COAT[who], HAIR[who]
    ctx = canvas.ctx
    # shadow
    ctx.save()
    ctx.translate(x + 4 * s, base)
    ctx.scale(22 * s, 5 * s)
    canvas.circle(0, 0, 1)
    ctx.restore()
    canvas.fill(Palette.BLACK, alpha=Style.SHADOW_ALPHA, preserve=False)
    # legs
    for side in (-1, 1):
        canvas.rounded_rect(x + side * 8 * s - 5 * s, base - 38 * s, 10 * s, 36 * s, 4 * s)
        canvas.lit_fill(rgb("#3B4A6B"), (x - 14 * s, base - 38 * s, 28 * s, 36 * s))
        canvas.outline(1.5)
        canvas.rounded_rect(x + side * 8 * s - 7 * s + facing * 2 * s, base - 6 * s, 14 * s, 7 * s, 3 * s)
        canvas.fill(Palette.OUTLINE, preserve=False)
    # body
    canvas.rounded_rect(x - 18 * s, base - 78 * s, 36 * s, 44 * s, 12 * s)
    canvas.lit_fill(coat, (x - 18 * s, base - 78 * s, 36 * s, 44 * s))
    canvas.outline()
    # arms
    back_arm = [(x - facing * 14 * s, base - 72 * s), (x - facing * 20 * s, base - 44 * s)]
    if arm_up:
        front_arm = [(x + facing * 14 * s, base - 72 * s), (x + facing * 30 * s, base - 98 * s)]
    else:
        front_arm = [(x + facing * 14 * s, base - 72 * s), (x + facing * 24 * s, base - 46 * s)]
    for arm in (back_arm, front_arm):
        canvas.stroke_line(arm, 11 * s + 4, Palette.OUTLINE)
        canvas.stroke_line(arm, 11 * s, shade(coat, -0.08))
        canvas.circle(arm[1][0], arm[1][1], 5.5 * s)
        canvas.fill(SKIN, preserve=True)
        canvas.outline(1.2)
    if prop == "gavel":
        hx, hy = front_arm[1]
        canvas.stroke_line([(hx, hy), (hx + facing * 12 * s, hy - 16 * s)], 4 * s, rgb("#8B5A2B"))
        canvas.rounded_rect(hx + facing * 12 * s - 9 * s, hy - 24 * s, 18 * s, 10 * s, 3 * s)
        canvas.lit_fill(rgb("#8B5A2B"), (hx - 10 * s, hy - 24 * s, 30 * s, 10 * s))
        canvas.outline(1.2)
    elif prop == "case":
        hx, hy = back_arm[1]
        canvas.rounded_rect(hx - 12 * s, hy, 24 * s, 18 * s, 3 * s)
        canvas.lit_fill(rgb("#8B5A2B"), (hx - 12 * s, hy, 24 * s, 18 * s))
        canvas.outline(1.5)
    elif prop == "plan":
        hx, hy = front_arm[1]
        canvas.rounded_rect(hx - 4 * s, hy - 22 * s, 26 * s * facing if facing > 0 else 26 * s,
                            30 * s, 2 * s)
        canvas.fill(rgb("#DDEBF7"), preserve=True)
        canvas.outline(1.2)
    # head
    hx, hy, r = x, base - 92 * s, 16 * s
    canvas.circle(hx, hy, r)
    canvas.lit_fill(SKIN, (hx - r, hy - r, 2 * r, 2 * r))
    canvas.outline()
    ctx.new_path()
    ctx.arc(hx, hy, r, math.pi * 1.02, math.pi * 1.98)
    ctx.close_path()
    canvas.fill(hair, preserve=True)
    canvas.outline(1.5)
    if who == "nora":  # a pony tail
        canvas.circle(hx - facing * r * 1.05, hy - 2 * s, 6 * s)
        canvas.fill(hair, preserve=True)
        canvas.outline(1.2)
    for e in (-1, 1):
        canvas.circle(hx + facing * 4 * s + e * 5 * s, hy + 1 * s, 2.0 * s)
        canvas.fill(Palette.OUTLINE, preserve=False)
    if mouth_open:
        canvas.circle(hx + facing * 5 * s, hy + 8 * s, 3 * s)
        canvas.fill(rgb("#8E3B2F"), preserve=True)
        canvas.outline(1.0)
    else:
        ctx.new_path()
        ctx.arc(hx + facing * 4 * s, hy + 5 * s, 5 * s, 0.3, math.pi - 0.3)
        ctx.set_line_width(1.6)
        ctx.set_source_rgb(*Palette.OUTLINE)
        ctx.stroke()


def _coin(canvas, x, y, r=10):
    canvas.circle(x, y, r)
    canvas.lit_fill(Palette.GOLD, (x - r, y - r, 2 * r, 2 * r))
    canvas.outline(1.5)


def _crane(canvas, x, base, h):
    canvas.rounded_rect(x, base - h, 8, h, 1)
    canvas.fill(Palette.WARNING, preserve=True)
    canvas.outline(1.2)
    canvas.stroke_line([(x - 30, base - h), (x + 90, base - h)], 6, Palette.OUTLINE)
    canvas.stroke_line([(x - 30, base - h), (x + 90, base - h)], 3, Palette.WARNING)
    canvas.stroke_line([(x + 70, base - h), (x + 70, base - h + 50)], 1.5, Palette.OUTLINE)
    canvas.rounded_rect(x + 60, base - h + 50, 20, 14, 2)
    canvas.fill(rgb("#B9BDC4"), preserve=True)
    canvas.outline(1.2)


def _firework(canvas, x, y, r, colour):
    for k in range(12):
        a = k * math.pi / 6
        canvas.stroke_line([(x + r * 0.3 * math.cos(a), y + r * 0.3 * math.sin(a)),
                            (x + r * math.cos(a), y + r * math.sin(a))], 3, colour)


def _frame(canvas, w, h):
    canvas.rounded_rect(1, 1, w - 2, h - 2, 6)
    canvas.outline(3.0)


# --- Panels ---------------------------------------------------------------------------------

def panel(page, index, size):
    w, h = size
    rng = random.Random(page * 100 + index)
    canvas = Canvas(w, h)
    winter = page == 4
    night = page == 5 and index >= 3
    top = rgb("#1E2A5A") if night else (rgb("#B8CFE0") if winter else Palette.SKY_TOP)
    bottom = rgb("#4B3F7A") if night else (Palette.SNOW if winter else Palette.SKY_HORIZON)
    _sky(canvas, w, h, top, bottom)
    base = h - 46
    town_base = base - 26
    _town(canvas, w, town_base, rng, snow=winter, tall=1.0 + 0.25 * (page - 1))
    _ground(canvas, w, h, town_base, Palette.SNOW if winter else Palette.GRASS)
    canvas.ctx.rectangle(0, base, w, h - base)
    canvas.fill(Palette.KERB if not winter else Palette.SNOW_SHADE, preserve=False)
    if not winter:
        for k in range(3):
            _tree(canvas, 30 + k * (w // 3) + rng.randint(0, 40), town_base + 6, 54)
    big = h * 0.62
    if page == 1:
        if index == 0:
            figure(canvas, w * 0.35, base + 20, big, "mayor", 1, prop="case")
            figure(canvas, w * 0.7, base + 20, big, "nora", -1, arm_up=True, mouth_open=True)
        elif index == 1:
            figure(canvas, w * 0.3, base + 20, big, "nora", 1, prop="plan", mouth_open=True)
            figure(canvas, w * 0.7, base + 20, big, "mayor", -1)
        else:
            for k in range(6):
                figure(canvas, 90 + k * 150, base + 20, big * 0.8, "folk" if k % 2 else "nora",
                       1 if k < 3 else -1, arm_up=k in (1, 4))
            figure(canvas, w * 0.5, base + 20, big, "mayor", 1, arm_up=True, mouth_open=True)
    elif page == 2:
        if index < 3:
            _crane(canvas, 40 + index * 40, town_base, h * 0.6)
            figure(canvas, w * 0.6, base + 20, big, ("mayor", "nora", "folk")[index],
                   -1, mouth_open=index == 1)
        else:
            for k in range(9):
                _coin(canvas, 120 + k * 90, 60 + (k % 3) * 24, 14)
            figure(canvas, w * 0.3, base + 20, big, "mayor", 1, arm_up=True, mouth_open=True)
            figure(canvas, w * 0.7, base + 20, big, "nora", -1, arm_up=True)
    elif page == 3:
        if index == 0:
            canvas.rounded_rect(w * 0.55, base - 70, 120, 70, 6)
            canvas.lit_fill(rgb("#8B5A2B"), (w * 0.55, base - 70, 120, 70))
            canvas.outline()
            figure(canvas, w * 0.68, base - 40, big * 0.9, "auctioneer", -1, prop="gavel",
                   mouth_open=True)
            figure(canvas, w * 0.22, base + 20, big, "mayor", 1)
        elif index == 1:
            figure(canvas, w * 0.3, base + 20, big, "nora", 1, mouth_open=True)
            figure(canvas, w * 0.65, base + 20, big, "mayor", -1, arm_up=True)
        elif index == 2:
            for k in range(5):
                _coin(canvas, 60 + k * 40, 60, 14)
            figure(canvas, w * 0.6, base + 20, big, "auctioneer", -1, prop="gavel", arm_up=True,
                   mouth_open=True)
        else:
            figure(canvas, w * 0.35, base + 20, big, "mayor", 1, arm_up=True, mouth_open=True)
            figure(canvas, w * 0.7, base + 20, big, "nora", -1, arm_up=True)
    elif page == 4:
        for k in range(30):
            canvas.circle(rng.uniform(0, w), rng.uniform(0, h * 0.7), rng.uniform(2, 4))
            canvas.fill(Palette.WHITE, preserve=False)
        if index == 0:
            figure(canvas, w * 0.4, base + 20, big, "mayor", 1, mouth_open=True)
            figure(canvas, w * 0.6, base + 20, big, "nora", -1)
        else:
            figure(canvas, w * 0.5, base + 20, big, ("folk", "nora")[index - 1], 1,
                   arm_up=True, mouth_open=True)
    else:
        if night:
            for k, colour in enumerate((Palette.GOLD, Palette.DANGER, Palette.SKY_TOP,
                                        Palette.PRIMARY["hover"])):
                _firework(canvas, 60 + k * 110, 60 + (k % 2) * 40, 36, colour)
        figure(canvas, w * 0.5, base + 20, big, ("mayor", "nora", "folk", "mayor", "nora")[index],
               1 if index % 2 else -1, arm_up=True, mouth_open=index in (0, 3))
    _frame(canvas, w, h)
    return canvas.image()


# --- Boxes ----------------------------------------------------------------------------------

def bubble(size=BUBBLE, tail=1):
    """A speech bubble, its tail at the bottom pointing down to the left (-1) or right (1)."""
    w, h = size
    canvas = Canvas(w + 8, h + 8)
    body_h = h - 28
    ctx = canvas.ctx
    ctx.new_path()
    ctx.save()
    ctx.translate(w / 2.0, body_h / 2.0 + 2)
    ctx.scale(w / 2.0 - 4, body_h / 2.0 - 2)
    ctx.arc(0, 0, 1, 0, 2 * math.pi)
    ctx.restore()
    tx = w * (0.3 if tail < 0 else 0.7)
    ctx.move_to(tx - 18, body_h - 8)
    ctx.line_to(tx + tail * 26, h - 4)
    ctx.line_to(tx + 18, body_h - 8)
    ctx.close_path()
    canvas.fill(Palette.WHITE, preserve=True)
    canvas.outline(2.5)
    image = canvas.image()
    return compose(soft_shadow(image, offset=Style.SHADOW_OFFSET), image)


def caption(size=CAPTION):
    w, h = size
    canvas = Canvas(w + 8, h + 8)
    canvas.rounded_rect(2, 2, w - 4, h - 4, 6)
    canvas.lit_fill(Palette.GOLD_HIGHLIGHT, (2, 2, w, h))
    canvas.outline(2.5)
    image = canvas.image()
    return compose(soft_shadow(image, offset=Style.SHADOW_OFFSET), image)


def paper(size=(64, 64)):
    """The page's paper, opaque: clicks anywhere on the page land on it."""
    canvas = Canvas(*size)
    canvas.ctx.rectangle(0, 0, size[0], size[1])
    canvas.fill(PAPER, preserve=False)
    return canvas.image()


def draw():
    pictures = []
    for page, sizes in PAGES.items():
        for index, size in enumerate(sizes):
            pictures.append(Picture(name(page, index), panel(page, index, size), single=True))
    pictures.append(Picture(FOLDER + "BubbleLeft.png", bubble(tail=-1), single=True))
    pictures.append(Picture(FOLDER + "BubbleRight.png", bubble(tail=1), single=True))
    pictures.append(Picture(FOLDER + "Caption.png", caption(), single=True))
    pictures.append(Picture(PAPER_FILE, paper(), single=True))
    return pictures


CATEGORY = Category("comics", [FOLDER], draw, __file__, single_files=True)
