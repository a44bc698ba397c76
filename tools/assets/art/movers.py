"""Movers of the level world, drawn at the level's scale in the eight directions the path movers
turn to ("Right", "RightUp", "Up", "LeftUp", "Left", "LeftDown", "Down", "RightDown"):
- four passing cars (about 44 px long), a body seen from above in the level's three-quarter view;
- three walkers (about 22 px tall), two steps each;
- a bird crossing the sky (about 22 px wide), wings spread and wings up.

The view squeezes ground distances into the screen to 55 %, as the level's lots do.
"""
import math

from .kit import Canvas, Category, Palette, Picture, Style, rgb, shade

FOLDER = "levels/common/Env/Movers/"
FOLDERS = [FOLDER]

DIRECTIONS = ("Right", "RightUp", "Up", "LeftUp", "Left", "LeftDown", "Down", "RightDown")
# The screen angle of each direction, in degrees anticlockwise from the right.
ANGLES = {name: 45.0 * index for index, name in enumerate(DIRECTIONS)}
DEPTH = 0.55

CAR_SIZE = (56, 44)
CAR_COLOURS = (rgb("#E0533D"), rgb("#3F7FD0"), rgb("#F7C331"), rgb("#2FAF9A"))
WALKER_SIZE = (20, 28)
# shirt, trousers, hair, skin
WALKERS = (
    (rgb("#E0533D"), rgb("#3F5E8C"), rgb("#5A3A22"), rgb("#F3C9A0")),
    (rgb("#8E5BC8"), rgb("#4A4A52"), rgb("#E8B34A"), rgb("#FAD9B8")),
    (rgb("#F39A2B"), rgb("#2F5F3F"), rgb("#2E2320"), rgb("#C68A5E")),
)
BIRD_SIZE = (28, 24)
BIRD_COLOUR = rgb("#5B6470")


def car_name(index, direction):
    return "%sCar%d_%s.png" % (FOLDER, index, direction)


def walker_name(index, direction, step):
    return "%sWalker%d_%s%04d.png" % (FOLDER, index, direction, step)


def bird_name(direction, flap):
    return "%sFlyingBird_%s%s.png" % (FOLDER, direction, "_Flap" if flap else "")


def _ground(angle):
    """The unit vectors along and across a heading, on the screen."""
    a = math.radians(angle)
    along = (math.cos(a), -math.sin(a) * DEPTH)
    across = (-math.sin(a), -math.cos(a) * DEPTH)
    return along, across


def _box(centre, along, across, length, width, lift):
    cx, cy = centre
    half_l, half_w = length / 2.0, width / 2.0
    corners = []
    for sl, sw in ((1, 1), (1, -1), (-1, -1), (-1, 1)):
        corners.append((cx + along[0] * half_l * sl + across[0] * half_w * sw,
                        cy + along[1] * half_l * sl + across[1] * half_w * sw - lift))
    return corners


def _solid(canvas, bottom, top, side, face):
    """A box from its bottom and top outlines: the side faces, the far ones first, then the top."""
    n = len(bottom)
    quads = []
    for i in range(n):
        j = (i + 1) % n
        quad = [bottom[i], bottom[j], top[j], top[i]]
        quads.append((sum(p[1] for p in quad) / 4.0, quad))
    for _, quad in sorted(quads):
        canvas.polygon(quad)
        canvas.fill(side, preserve=True)
        canvas.outline(1.0)
    canvas.polygon(top)
    canvas.lit_fill(face, (min(p[0] for p in top), min(p[1] for p in top),
                           max(p[0] for p in top) - min(p[0] for p in top) + 1,
                           max(p[1] for p in top) - min(p[1] for p in top) + 1))
    canvas.outline(Style.OUTLINE_SMALL)


def car(colour, direction):
    w, h = CAR_SIZE
    canvas = Canvas(w, h)
    ctx = canvas.ctx
    along, across = _ground(ANGLES[direction])
    ground = (w / 2.0, h * 0.62)
    # shadow
    ctx.save()
    ctx.translate(ground[0] + 2, ground[1] + 3)
    ctx.scale(20 * max(0.55, abs(along[0])) + 6, 7)
    canvas.circle(0, 0, 1)
    ctx.restore()
    canvas.fill(Palette.BLACK, alpha=Style.SHADOW_ALPHA, preserve=False)
    length, width = 36.0, 18.0
    # wheels at the four corners
    for sl in (-0.62, 0.62):
        for sw in (-1.0, 1.0):
            x = ground[0] + along[0] * length / 2 * sl + across[0] * width / 2 * sw
            y = ground[1] + along[1] * length / 2 * sl + across[1] * width / 2 * sw
            canvas.circle(x, y - 1, 3.2)
            canvas.fill(Palette.OUTLINE, preserve=False)
    # the body: its sides between the footprint and the top, the faces turned to the viewer last
    _solid(canvas, _box(ground, along, across, length, width, 2),
           _box(ground, along, across, length, width, 9), shade(colour, -0.28), colour)
    canvas.highlight_band(ground[0] - 8, ground[1] - 13, 16, 3, 1.5)
    # the cabin: glass sides up to the roof
    back = (ground[0] - along[0] * 3.0, ground[1] - along[1] * 3.0)
    _solid(canvas, _box(back, along, across, 19, 15, 9), _box(back, along, across, 14, 12, 16),
           shade(rgb("#8CD3F5"), -0.12), shade(colour, 0.15))
    # headlights at the front corners, tail lights at the back
    for sign, lamp in ((1, Palette.GOLD_HIGHLIGHT), (-1, Palette.DANGER)):
        for sw in (-0.7, 0.7):
            x = ground[0] + along[0] * length / 2 * sign * 0.94 + across[0] * width / 2 * sw
            y = ground[1] + along[1] * length / 2 * sign * 0.94 + across[1] * width / 2 * sw - 9
            canvas.circle(x, y, 1.7)
            canvas.fill(lamp, preserve=True)
            canvas.outline(0.6)
    return canvas.image()


def walker(look, direction, step):
    shirt, trousers, hair, skin = look
    w, h = WALKER_SIZE
    canvas = Canvas(w, h)
    ctx = canvas.ctx
    a = math.radians(ANGLES[direction])
    side = math.cos(a)  # + to the right, - to the left
    facing = -math.sin(a)  # + towards the viewer
    cx = w / 2.0
    swing = (2.0 if step == 1 else -2.0)
    # shadow
    ctx.save()
    ctx.translate(cx + 1.5, h - 2.5)
    ctx.scale(5.5, 1.8)
    canvas.circle(0, 0, 1)
    ctx.restore()
    canvas.fill(Palette.BLACK, alpha=Style.SHADOW_ALPHA, preserve=False)
    spread = 2.0 * (1.0 - abs(side) * 0.7)
    # legs: apart across the view, one ahead along the walk
    for index, lift in ((-1, swing), (1, -swing)):
        x = cx + index * spread + side * lift * 0.8
        bottom = h - 3.0 - (max(0.0, lift) * 0.4 if abs(side) < 0.5 else 0.0)
        canvas.rounded_rect(x - 1.7, 16.0, 3.4, bottom - 16.0, 1.5)
        canvas.fill(trousers, preserve=True)
        canvas.outline(0.8)
    # body
    body_w = 9.0 - abs(side) * 2.5
    canvas.rounded_rect(cx - body_w / 2, 8.5, body_w, 9.5, 3)
    canvas.lit_fill(shirt, (cx - body_w / 2, 8.5, body_w, 9.5))
    canvas.outline(Style.OUTLINE_SMALL * 0.8)
    # an arm swinging on the near side
    arm_x = cx + (side * 1.0 if abs(side) > 0.3 else 4.8)
    canvas.rounded_rect(arm_x - 1.4 - side * swing * 0.6, 9.5, 2.8, 7.0, 1.4)
    canvas.fill(shade(shirt, -0.12), preserve=True)
    canvas.outline(0.7)
    # head: the face shows as the walker turns towards the viewer
    hx = cx + side * 1.2
    canvas.circle(hx, 5.0, 4.2)
    canvas.fill(skin if facing > -0.2 else hair, preserve=True)
    canvas.outline(Style.OUTLINE_SMALL * 0.8)
    if facing > -0.2:
        ctx.new_path()
        start = math.pi * (1.05 - 0.25 * side)
        ctx.arc(hx, 5.0, 4.2, start, start + math.pi * 0.95)
        ctx.close_path()
        canvas.fill(hair, preserve=True)
        canvas.outline(0.7)
        for ex in ((-1.4, 1.4) if abs(side) < 0.5 else (1.6 * side,)):
            canvas.circle(hx + ex + side * 0.8, 5.8, 0.6)
            canvas.fill(Palette.OUTLINE, preserve=False)
    return canvas.image()


def bird(direction, flap):
    w, h = BIRD_SIZE
    canvas = Canvas(w, h)
    ctx = canvas.ctx
    a = math.radians(ANGLES[direction])
    along = (math.cos(a), -math.sin(a) * 0.7)
    across = (-along[1], along[0])
    c = (w / 2.0, h / 2.0 + 2)
    wing = 10.0
    lift = -6.0 if flap else 1.5
    for sign in (-1, 1):
        tip = (c[0] + across[0] * wing * sign - along[0] * 2, c[1] + across[1] * wing * sign * 0.6 + lift)
        root_front = (c[0] + along[0] * 2.5, c[1] + along[1] * 2.5)
        root_back = (c[0] - along[0] * 3.5, c[1] - along[1] * 3.5)
        canvas.polygon([root_front, tip, root_back])
        canvas.fill(shade(BIRD_COLOUR, 0.1 if sign > 0 else -0.05), preserve=True)
        canvas.outline(0.9)
    ctx.save()
    ctx.translate(*c)
    ctx.rotate(math.atan2(along[1], along[0]))
    ctx.scale(6.0, 2.6)
    canvas.circle(0, 0, 1)
    ctx.restore()
    canvas.fill(BIRD_COLOUR, preserve=True)
    canvas.outline(0.9)
    head = (c[0] + along[0] * 6.0, c[1] + along[1] * 6.0)
    canvas.circle(head[0], head[1], 2.2)
    canvas.fill(shade(BIRD_COLOUR, -0.1), preserve=True)
    canvas.outline(0.8)
    beak = (head[0] + along[0] * 3.2, head[1] + along[1] * 3.2)
    canvas.stroke_line([head, beak], 1.2, Palette.GOLD)
    return canvas.image()


def draw():
    pictures = []
    for index, colour in enumerate(CAR_COLOURS, start=1):
        for direction in DIRECTIONS:
            pictures.append(Picture(car_name(index, direction), car(colour, direction),
                                    sample=direction in ("Down", "RightUp")))
    for index, look in enumerate(WALKERS, start=1):
        for direction in DIRECTIONS:
            for step in (1, 2):
                pictures.append(Picture(walker_name(index, direction, step),
                                        walker(look, direction, step),
                                        sample=step == 1 and direction in ("Down", "Left")))
    for direction in DIRECTIONS:
        for flap in (False, True):
            pictures.append(Picture(bird_name(direction, flap), bird(direction, flap),
                                    sample=direction == "Right"))
    return pictures


CATEGORY = Category("movers", FOLDERS, draw, __file__)
