"""Building work: what the lots show while they are built, pulled down and restored, and the
vehicles and shadows that come and go over the level world.

- levels/common/Buildings/Construction/: the site's dug-up ground, its fence with its cones, the
  scaffold, the crane and its hook, the foundation, the dust cloud, rubble in summer and under
  snow (all drawn in the 150 x 140 frame of a building picture, so that they stand on the lot at the building's place
  unless they say otherwise), the construction selector (150 x 70, like the focus ring), the bar
  over a building (track and fill, nine-grids) and the glow of the star effect.
- levels/common/Env/Vehicles/: the supply helicopter in its four diagonal directions (about 96 px
  long), the crate it carries (hanging on its cable, and landed) with the crate's shadow, the
  cable that lowers it, and the
  workers' bus in eight directions (96 px long on the ground).
- levels/common/Env/Clouds/: three soft cloud shadows (CloudShadowA to C).

The view is the game's three-quarter view from above: ground distances into the screen shrink to
45 %, heights to 90 %.
"""
import math

from PIL import ImageFilter

from .kit import Canvas, Category, Palette, Picture, Style, rgb, shade

CONSTRUCTION = "levels/common/Buildings/Construction/"
VEHICLES = "levels/common/Env/Vehicles/"
CLOUDS = "levels/common/Env/Clouds/"
FOLDERS = [CONSTRUCTION, VEHICLES, CLOUDS]

# The frame of a building picture and the lot's ground slab in it, as the building art draws
# them (kept here so that the vehicles' atlases do not follow every change of the buildings).
SIZE = (150, 140)
GROUND = (8, 84, 135, 52)

DEPTH = 0.45
UPRIGHT = 0.9

STEEL = rgb("#8A8F98")
POLE = rgb("#C98A3C")
PLANK = rgb("#D9A866")
NET = rgb("#43B047")
CONE = rgb("#F39A2B")
CONCRETE = rgb("#B9BDC4")
EARTH = rgb("#B8936A")
BRICK = rgb("#C0623F")
DUST = rgb("#E8D7B8")
BUS_BODY = rgb("#F7C331")
HELICOPTER_BODY = rgb("#E04848")
CRATE = rgb("#C98A3C")

HELICOPTER_SIZE = (112, 76)
HELICOPTER_DIRECTIONS = ("LeftUp", "LeftDown", "RightUp", "RightDown")
BUS_SIZE = (112, 84)
BUS_DIRECTIONS = ("Right", "RightUp", "Up", "LeftUp", "Left", "LeftDown", "Down", "RightDown")
# The screen angle (degrees anticlockwise from "Right") each bus picture shows.
BUS_ANGLES = {name: 45.0 * i for i, name in enumerate(BUS_DIRECTIONS)}
CRATE_SIZE = (32, 56)  # the hanging crate with its cable
CRATE_LANDED = (32, 30)
CABLE_LENGTH = 42
CLOUD_SIZES = ((280, 150), (220, 130), (320, 170))
BAR_SIZE = (90, 14)
BAR_GRID = 6
SELECTOR_SIZE = (150, 70)
GLOW_SIZE = (48, 48)


# --- The site -------------------------------------------------------------------------------

def fence():
    """Boards along the front of the lot with two cones and a sign: what a site shows first."""
    canvas = Canvas(*SIZE)
    x, y, w, h = GROUND
    bottom = y + h - 6
    # posts and two rails along the front and the sides
    for px in range(int(x) + 10, int(x + w) - 4, 16):
        canvas.rounded_rect(px - 2, bottom - 20, 4, 22, 1.5)
        canvas.fill(PLANK, preserve=True)
        canvas.outline(1.0)
    for ry in (bottom - 16, bottom - 8):
        canvas.rounded_rect(x + 6, ry, w - 12, 4, 2)
        canvas.lit_fill(shade(PLANK, 0.05), (x + 6, ry, w - 12, 4))
        canvas.outline(1.0)
    # red and white warning stripes on the lower rail
    for i in range(8):
        sx = x + 10 + i * 15
        canvas.polygon([(sx, bottom - 8), (sx + 7, bottom - 8), (sx + 4, bottom - 4),
                        (sx - 3, bottom - 4)])
        canvas.fill(Palette.DANGER, preserve=False)
    for cx in (x + 4, x + w - 6):
        _cone(canvas, cx, bottom + 4)
    canvas.rounded_rect(x + w / 2.0 - 15, bottom - 34, 30, 16, 3)
    canvas.lit_fill(Palette.WARNING, (x + w / 2.0 - 15, bottom - 34, 30, 16))
    canvas.outline(1.2)
    canvas.polygon([(x + w / 2.0 - 4, bottom - 22), (x + w / 2.0, bottom - 31),
                    (x + w / 2.0 + 4, bottom - 22)])
    canvas.fill(Palette.OUTLINE, preserve=False)
    return canvas.image()


def _cone(canvas, cx, base, size=14):
    canvas.polygon([(cx - size / 2.0, base), (cx - 2, base - size), (cx + 2, base - size),
                    (cx + size / 2.0, base)])
    canvas.lit_fill(CONE, (cx - size / 2.0, base - size, size, size))
    canvas.outline(1.0)
    canvas.rounded_rect(cx - size / 2.0 + 2.5, base - size * 0.55, size - 5, 3, 1)
    canvas.fill(Palette.WHITE, preserve=False)


def site_ground():
    """The lot's slab dug up: bare earth with tyre tracks, where the building stood."""
    canvas = Canvas(*SIZE)
    x, y, w, h = GROUND
    canvas.rounded_rect(x + 3, y + 4, w, h, 14)
    canvas.fill(Palette.BLACK, alpha=Style.SHADOW_ALPHA, preserve=False)
    canvas.rounded_rect(x, y, w, h, 14)
    canvas.lit_fill(EARTH, (x, y, w, h))
    canvas.outline(Style.OUTLINE)
    for offset in (14, 24):
        canvas.stroke_line([(x + 16, y + offset + 12), (x + w / 2.0, y + offset),
                            (x + w - 14, y + offset + 8)], 3.0, shade(EARTH, -0.2))
    for cx, cy in ((x + 26, y + 38), (x + 104, y + 40), (x + 70, y + 44)):
        canvas.circle(cx, cy, 3)
        canvas.fill(shade(EARTH, -0.3), preserve=False)
    return canvas.image()


def foundation():
    """A concrete slab with rebar sticking out: the work has begun."""
    canvas = Canvas(*SIZE)
    left, right, top, bottom = 30, 108, 96, 118
    canvas.polygon([(left, bottom), (right, bottom), (right + 18, bottom - 11),
                    (left + 18, top)])
    canvas.lit_fill(CONCRETE, (left, top, right - left + 18, bottom - top))
    canvas.outline(1.5)
    canvas.rounded_rect(left, bottom - 6, right - left, 8, 2)
    canvas.fill(shade(CONCRETE, -0.15), preserve=True)
    canvas.outline(1.2)
    for i in range(6):
        rx = left + 10 + i * 13
        canvas.stroke_line([(rx, bottom - 6), (rx + 2, bottom - 26)], 2.0, shade(BRICK, -0.3))
    return canvas.image()


def scaffold():
    """Poles, planks and a green net round the building to be."""
    canvas = Canvas(*SIZE)
    left, right, bottom, top = 26, 106, 120, 34
    depth = 22
    rise = depth * 0.6
    # the net behind the poles, on the front and the side
    canvas.polygon([(left, top), (right, top), (right, bottom), (left, bottom)])
    canvas.fill(NET, alpha=0.55, preserve=True)
    canvas.outline(1.2)
    canvas.polygon([(right, top), (right + depth, top - rise), (right + depth, bottom - rise),
                    (right, bottom)])
    canvas.fill(shade(NET, -0.2), alpha=0.55, preserve=True)
    canvas.outline(1.2)
    # the net's mesh
    for gx in range(left + 8, right, 8):
        canvas.stroke_line([(gx, top + 2), (gx, bottom - 2)], 0.6, shade(NET, -0.35))
    for gy in range(int(top) + 8, bottom, 8):
        canvas.stroke_line([(left + 2, gy), (right - 2, gy)], 0.6, shade(NET, -0.35))
    # poles
    for px in (left, (left + right) / 2.0, right):
        canvas.stroke_line([(px, bottom + 2), (px, top - 8)], 4.5, Palette.OUTLINE)
        canvas.stroke_line([(px, bottom + 2), (px, top - 8)], 2.5, POLE)
    canvas.stroke_line([(right + depth, bottom - rise), (right + depth, top - rise - 8)], 4.5,
                       Palette.OUTLINE)
    canvas.stroke_line([(right + depth, bottom - rise), (right + depth, top - rise - 8)], 2.5,
                       POLE)
    # planks on three levels
    for level in range(3):
        py = bottom - 28 - level * 28
        canvas.rounded_rect(left - 6, py, right - left + 12, 5, 2)
        canvas.lit_fill(PLANK, (left - 6, py, right - left + 12, 5))
        canvas.outline(1.0)
        canvas.polygon([(right + 6, py), (right + depth + 4, py - rise), (right + depth + 4,
                                                                          py - rise + 5),
                        (right + 6, py + 5)])
        canvas.fill(shade(PLANK, -0.15), preserve=True)
        canvas.outline(1.0)
    # diagonal braces
    canvas.stroke_line([(left, bottom - 28), ((left + right) / 2.0, bottom - 56)], 2.0, STEEL)
    canvas.stroke_line([((left + right) / 2.0, bottom - 56), (right, bottom - 84)], 2.0, STEEL)
    return canvas.image()


def crane():
    """A tower crane beside the scaffold: mast at the right, jib over the site. Drawn in the
    building frame."""
    canvas = Canvas(*SIZE)
    mast_x, base, top = 126, 122, 10
    # shadow of the base
    canvas.ctx.save()
    canvas.ctx.translate(mast_x + 3, base + 2)
    canvas.ctx.scale(12, 4)
    canvas.circle(0, 0, 1)
    canvas.ctx.restore()
    canvas.fill(Palette.BLACK, alpha=Style.SHADOW_ALPHA, preserve=False)
    yellow = Palette.WARNING
    # the lattice mast
    for side in (-4, 4):
        canvas.stroke_line([(mast_x + side, base), (mast_x + side, top)], 4.0, Palette.OUTLINE)
        canvas.stroke_line([(mast_x + side, base), (mast_x + side, top)], 2.2, yellow)
    for y in range(base, top, -10):
        canvas.stroke_line([(mast_x - 4, y), (mast_x + 4, y - 10)], 1.2, shade(yellow, -0.35))
    # the jib to the left and the counter-jib to the right
    canvas.rounded_rect(40, top - 3, mast_x - 36, 6, 2)
    canvas.lit_fill(yellow, (40, top - 3, mast_x - 36, 6))
    canvas.outline(1.2)
    canvas.rounded_rect(mast_x, top - 3, 20, 6, 2)
    canvas.fill(yellow, preserve=True)
    canvas.outline(1.2)
    canvas.rounded_rect(mast_x + 8, top + 2, 12, 10, 2)
    canvas.lit_fill(CONCRETE, (mast_x + 8, top + 2, 12, 10))
    canvas.outline(1.2)
    # the cab
    canvas.rounded_rect(mast_x - 8, top + 4, 14, 12, 3)
    canvas.lit_fill(Palette.SECONDARY["normal"], (mast_x - 8, top + 4, 14, 12))
    canvas.outline(1.2)
    canvas.rounded_rect(mast_x - 6, top + 6, 8, 5, 1)
    canvas.fill(rgb("#8CD3F5"), preserve=False)
    return canvas.image()


def hook():
    """The crane's hook on its cable (the cable is part of the picture): 16 x 60."""
    canvas = Canvas(16, 60)
    canvas.stroke_line([(8, 0), (8, 44)], 1.2, Palette.OUTLINE)
    canvas.rounded_rect(3, 42, 10, 6, 2)
    canvas.fill(STEEL, preserve=True)
    canvas.outline(1.0)
    ctx = canvas.ctx
    ctx.new_path()
    ctx.arc(8, 52, 4, -0.2, math.pi * 1.1)
    ctx.set_line_width(2.2)
    ctx.set_source_rgb(*Palette.OUTLINE)
    ctx.stroke()
    return canvas.image()


def dust():
    """A soft cloud of building dust over the lot."""
    canvas = Canvas(*SIZE)
    puffs = ((40, 100, 22), (62, 88, 26), (88, 92, 24), (108, 104, 20), (74, 110, 24),
             (50, 114, 18), (98, 116, 18))
    for cx, cy, r in puffs:
        canvas.circle(cx, cy, r)
        canvas.lit_fill(DUST, (cx - r, cy - r, 2 * r, 2 * r), alpha=0.9)
    for cx, cy, r in puffs:
        canvas.circle(cx - r * 0.25, cy - r * 0.3, r * 0.45)
        canvas.fill(Palette.WHITE, alpha=0.35, preserve=False)
    image = canvas.image()
    return image.filter(ImageFilter.GaussianBlur(1.2))


def rubble(winter):
    """What is left of a building pulled down: broken concrete, bricks and planks in a heap."""
    canvas = Canvas(*SIZE)
    canvas.ctx.save()
    canvas.ctx.translate(76, 112)
    canvas.ctx.scale(56, 16)
    canvas.circle(0, 0, 1)
    canvas.ctx.restore()
    canvas.fill(Palette.BLACK, alpha=Style.SHADOW_ALPHA, preserve=False)
    # the heap
    heap = [(24, 118), (36, 96), (58, 84), (80, 80), (102, 90), (122, 104), (128, 120)]
    canvas.polygon(heap)
    canvas.lit_fill(rgb("#9A8F80"), (24, 80, 104, 40))
    canvas.outline(1.5)
    slabs = ((44, 100, 12, 0.3), (70, 90, 14, -0.4), (96, 98, 11, 0.6), (58, 110, 10, 1.2),
             (110, 112, 9, -0.8), (84, 108, 12, 0.1))
    for cx, cy, r, turn in slabs:
        points = [(cx + math.cos(turn + a) * r, cy + math.sin(turn + a) * r * 0.6)
                  for a in (0.0, 1.9, 3.3, 4.6)]
        canvas.polygon(points)
        canvas.lit_fill(CONCRETE, (cx - r, cy - r, 2 * r, 2 * r))
        canvas.outline(1.2)
    for bx, by in ((34, 112), (50, 92), (118, 110), (88, 86), (66, 118)):
        canvas.rounded_rect(bx, by, 10, 5, 1)
        canvas.fill(BRICK, preserve=True)
        canvas.outline(1.0)
    for start, end in (((40, 86), (70, 76)), ((92, 80), (118, 96))):
        canvas.stroke_line([start, end], 5.0, Palette.OUTLINE)
        canvas.stroke_line([start, end], 3.0, PLANK)
    if winter:
        for cx, cy, rx in ((60, 84, 16), (86, 80, 14), (104, 92, 12), (44, 98, 10)):
            canvas.ctx.save()
            canvas.ctx.translate(cx, cy)
            canvas.ctx.scale(rx, 4)
            canvas.circle(0, 0, 1)
            canvas.ctx.restore()
            canvas.fill(Palette.SNOW, preserve=True)
            canvas.outline(1.0)
    return canvas.image()


def construction_selector():
    """The focus ring of a lot under construction: orange, with warning dashes."""
    w, h = SELECTOR_SIZE
    canvas = Canvas(w, h)
    ctx = canvas.ctx
    ctx.save()
    ctx.translate(w / 2.0, h / 2.0)
    ctx.scale(70, 30)
    canvas.circle(0, 0, 1)
    ctx.restore()
    canvas.fill(Palette.SECONDARY["hover"], alpha=0.3, preserve=True)
    ctx.set_line_width(5)
    ctx.set_source_rgb(*Palette.SECONDARY["normal"])
    ctx.stroke_preserve()
    ctx.set_dash([10, 8])
    ctx.set_line_width(3)
    ctx.set_source_rgb(*Palette.OUTLINE)
    ctx.stroke()
    ctx.set_dash([])
    return canvas.image()


def bar_track():
    size = BAR_GRID * 3
    canvas = Canvas(size, size)
    canvas.rounded_rect(0.5, 0.5, size - 1, size - 1, 5)
    canvas.fill(Palette.PANEL, preserve=True)
    canvas.outline(Style.OUTLINE_SMALL)
    return canvas.image()


def bar_fill():
    size = BAR_GRID * 3
    canvas = Canvas(size, size)
    canvas.rounded_rect(0.5, 0.5, size - 1, size - 1, 4)
    canvas.lit_fill(Palette.PRIMARY["normal"], (0, 0, size, size))
    canvas.outline(1.0, shade(Palette.PRIMARY["press"], -0.2))
    canvas.highlight_band(2, 2, size - 4, 5, 2, alpha=0.35)
    return canvas.image()


def star_glow():
    w, h = GLOW_SIZE
    canvas = Canvas(w, h)
    for r, alpha in ((22, 0.25), (16, 0.4), (10, 0.6)):
        canvas.circle(w / 2.0, h / 2.0, r)
        canvas.fill(Palette.GOLD_HIGHLIGHT, alpha=alpha, preserve=False)
    for i in range(8):
        a = i * math.pi / 4
        canvas.stroke_line([(w / 2.0 + math.cos(a) * 8, h / 2.0 + math.sin(a) * 8),
                            (w / 2.0 + math.cos(a) * 22, h / 2.0 + math.sin(a) * 22)], 2.0,
                           Palette.GOLD)
    return canvas.image().filter(ImageFilter.GaussianBlur(0.6))


# --- Vehicles -------------------------------------------------------------------------------

def helicopter(direction):
    """The supply helicopter seen from the side, tilted into its flight: nose to the right for
    the Right directions (mirrored for Left), nose down when it flies down the screen."""
    w, h = HELICOPTER_SIZE
    canvas = Canvas(w, h)
    ctx = canvas.ctx
    ctx.save()
    if direction.startswith("Left"):
        ctx.translate(w, 0)
        ctx.scale(-1, 1)
    tilt = -10.0 if direction.endswith("Up") else 10.0
    ctx.translate(w / 2.0, h / 2.0 + 2)
    ctx.rotate(math.radians(tilt))
    ctx.translate(-w / 2.0, -(h / 2.0 + 2))
    body = HELICOPTER_BODY
    # tail boom and fin
    canvas.polygon([(14, 30), (50, 32), (50, 42), (14, 36)])
    canvas.lit_fill(body, (14, 30, 36, 12))
    canvas.outline(1.5)
    canvas.polygon([(8, 20), (18, 20), (22, 34), (12, 36)])
    canvas.lit_fill(shade(body, -0.05), (8, 20, 14, 16))
    canvas.outline(1.5)
    canvas.circle(14, 34, 5)  # the tail rotor
    canvas.fill(Palette.WHITE, alpha=0.45, preserve=True)
    canvas.outline(1.0)
    # the cabin
    canvas.rounded_rect(44, 26, 50, 28, 13)
    canvas.lit_fill(body, (44, 26, 50, 28))
    canvas.outline()
    canvas.highlight_band(50, 28, 38, 8, 4, alpha=0.3)
    canvas.polygon([(76, 29), (88, 31), (92, 41), (76, 41)])  # the windscreen
    canvas.fill(rgb("#8CD3F5"), preserve=True)
    canvas.outline(1.2)
    canvas.rounded_rect(58, 31, 12, 9, 2)  # the side window
    canvas.fill(rgb("#8CD3F5"), preserve=True)
    canvas.outline(1.2)
    canvas.stroke_line([(56, 46), (84, 46)], 1.2, shade(body, -0.4))
    # the skids
    for x in (56, 80):
        canvas.stroke_line([(x, 52), (x - 2, 60)], 2.0, Palette.OUTLINE)
    canvas.stroke_line([(46, 60), (94, 60), (98, 56)], 3.0, Palette.OUTLINE)
    canvas.stroke_line([(46, 60), (94, 60), (98, 56)], 1.4, STEEL)
    # the mast and the turning rotor, a pale disc seen edge on
    canvas.stroke_line([(69, 26), (69, 18)], 3.0, Palette.OUTLINE)
    ctx.save()
    ctx.translate(69, 16)
    ctx.scale(46, 4.5)
    canvas.circle(0, 0, 1)
    ctx.restore()
    canvas.fill(Palette.WHITE, alpha=0.5, preserve=True)
    canvas.outline(1.0, shade(STEEL, -0.3))
    canvas.stroke_line([(30, 16), (108, 16)], 2.0, shade(STEEL, -0.3))
    ctx.restore()
    return canvas.image()


def crate(hanging):
    """The supply crate: on its cable under the helicopter, or landed on the lot."""
    w, h = CRATE_SIZE if hanging else CRATE_LANDED
    canvas = Canvas(w, h)
    top = h - 28
    if hanging:
        canvas.stroke_line([(w / 2.0, 0), (6, top + 2)], 1.2, Palette.OUTLINE)
        canvas.stroke_line([(w / 2.0, 0), (w - 6, top + 2)], 1.2, Palette.OUTLINE)
    else:
        canvas.ctx.save()
        canvas.ctx.translate(w / 2.0 + 2, h - 3)
        canvas.ctx.scale(14, 3)
        canvas.circle(0, 0, 1)
        canvas.ctx.restore()
        canvas.fill(Palette.BLACK, alpha=Style.SHADOW_ALPHA, preserve=False)
    canvas.polygon([(3, top + 6), (9, top + 1), (w - 2, top + 1), (w - 8, top + 6)])
    canvas.lit_fill(shade(CRATE, 0.1), (3, top + 1, w - 5, 5))
    canvas.outline(1.2)
    canvas.rounded_rect(3, top + 6, w - 11, 19, 2)
    canvas.lit_fill(CRATE, (3, top + 6, w - 11, 19))
    canvas.outline(1.5)
    canvas.polygon([(w - 8, top + 6), (w - 2, top + 1), (w - 2, top + 20), (w - 8, top + 25)])
    canvas.fill(shade(CRATE, -0.18), preserve=True)
    canvas.outline(1.2)
    canvas.stroke_line([(5, top + 8), (w - 10, top + 23)], 2.0, shade(CRATE, -0.35))
    canvas.stroke_line([(5, top + 23), (w - 10, top + 8)], 2.0, shade(CRATE, -0.35))
    return canvas.image()


def cable():
    """The helicopter's cable, stretched by its node as the crate is lowered: 4 x 42."""
    canvas = Canvas(4, CABLE_LENGTH)
    canvas.stroke_line([(2, 0), (2, CABLE_LENGTH)], 1.4, Palette.OUTLINE)
    return canvas.image()


def crate_shadow():
    canvas = Canvas(36, 14)
    canvas.ctx.save()
    canvas.ctx.translate(18, 7)
    canvas.ctx.scale(16, 5)
    canvas.circle(0, 0, 1)
    canvas.ctx.restore()
    canvas.fill(Palette.BLACK, alpha=Style.SHADOW_ALPHA, preserve=False)
    return canvas.image().filter(ImageFilter.GaussianBlur(1.5))


def bus(angle):
    """The workers' bus as a box seen from above at three quarters, heading at `angle` degrees
    on the screen (anticlockwise from "Right")."""
    w, h = BUS_SIZE
    canvas = Canvas(w, h)
    length, width, height = 92.0, 30.0, 32.0
    a = math.radians(angle)
    # the heading on the ground plane (x right, z into the screen), drawn with the view's depth
    forward = (math.cos(a), math.sin(a))
    side = (-math.sin(a), math.cos(a))
    centre = (w / 2.0, h - 26.0)

    def project(f, s, up):
        gx = forward[0] * f + side[0] * s
        gz = forward[1] * f + side[1] * s
        return (centre[0] + gx, centre[1] - gz * DEPTH - up * UPRIGHT)

    # the shadow on the ground
    ground = [project(f * length / 2, s * width / 2, 0) for f, s in ((1, 1), (1, -1), (-1, -1),
                                                                      (-1, 1))]
    canvas.polygon([(x + 3, y + 3) for x, y in ground])
    canvas.fill(Palette.BLACK, alpha=Style.SHADOW_ALPHA, preserve=False)
    body = BUS_BODY
    # faces: front, back, left, right as (corner list in f, s), outward normal on the ground
    faces = [
        ([(1, 1), (1, -1)], (forward[0], forward[1]), "front"),
        ([(-1, -1), (-1, 1)], (-forward[0], -forward[1]), "back"),
        ([(1, -1), (-1, -1)], (-side[0], -side[1]), "side"),
        ([(-1, 1), (1, 1)], (side[0], side[1]), "side"),
    ]
    # A face is seen when its normal points towards the viewer (down the screen: negative
    # ground z); draw the far ones first.
    seen = [f for f in faces if f[1][1] < 0.01]
    seen.sort(key=lambda f: -f[1][1])
    for corners, normal, kind in seen:
        (f0, s0), (f1, s1) = corners
        p0 = project(f0 * length / 2, s0 * width / 2, 0)
        p1 = project(f1 * length / 2, s1 * width / 2, 0)
        q1 = project(f1 * length / 2, s1 * width / 2, height)
        q0 = project(f0 * length / 2, s0 * width / 2, height)
        light = 0.06 if normal[0] < 0 else -0.12
        canvas.polygon([p0, p1, q1, q0])
        canvas.fill(shade(body, light), preserve=True)
        canvas.outline(1.5)
        # a band of windows in the upper half, and the wheels at the bottom of the sides
        def along(t, up):
            return (p0[0] + (p1[0] - p0[0]) * t, p0[1] + (p1[1] - p0[1]) * t - up * UPRIGHT)
        if kind == "side":
            glass = [along(0.06, height * 0.55), along(0.94, height * 0.55),
                     along(0.94, height * 0.88), along(0.06, height * 0.88)]
            canvas.polygon(glass)
            canvas.fill(rgb("#8CD3F5"), preserve=True)
            canvas.outline(1.0)
            for t in (0.3, 0.55, 0.8):
                canvas.stroke_line([along(t, height * 0.55), along(t, height * 0.88)], 1.2,
                                   Palette.OUTLINE)
            canvas.stroke_line([along(0.02, height * 0.35), along(0.98, height * 0.35)], 2.0,
                               Palette.SECONDARY["press"])
            for t in (0.2, 0.8):
                cx, cy = along(t, 0)
                canvas.circle(cx, cy, 5)
                canvas.fill(Palette.OUTLINE, preserve=False)
        else:
            glass = [along(0.12, height * 0.5), along(0.88, height * 0.5),
                     along(0.88, height * 0.88), along(0.12, height * 0.88)]
            canvas.polygon(glass)
            canvas.fill(rgb("#8CD3F5") if kind == "front" else shade(rgb("#8CD3F5"), -0.2),
                        preserve=True)
            canvas.outline(1.0)
            lamp = Palette.GOLD_HIGHLIGHT if kind == "front" else Palette.DANGER
            for t in (0.2, 0.8):
                cx, cy = along(t, height * 0.22)
                canvas.circle(cx, cy, 2.5)
                canvas.fill(lamp, preserve=True)
                canvas.outline(0.8)
    # the roof
    roof = [project(f * length / 2, s * width / 2, height) for f, s in ((1, 1), (1, -1),
                                                                        (-1, -1), (-1, 1))]
    canvas.polygon(roof)
    xs = [p[0] for p in roof]
    ys = [p[1] for p in roof]
    canvas.lit_fill(shade(body, 0.12), (min(xs), min(ys), max(xs) - min(xs), max(ys) - min(ys)))
    canvas.outline(1.5)
    return canvas.image()


def cloud_shadow(index):
    """A cloud's shadow on the ground: a soft, flat blob of dark blue-grey."""
    w, h = CLOUD_SIZES[index]
    canvas = Canvas(w, h)
    lobes = {
        0: ((0.25, 0.55, 0.22), (0.45, 0.42, 0.26), (0.68, 0.5, 0.24), (0.5, 0.65, 0.22)),
        1: ((0.3, 0.5, 0.26), (0.58, 0.45, 0.28), (0.45, 0.66, 0.22)),
        2: ((0.2, 0.58, 0.18), (0.38, 0.44, 0.22), (0.6, 0.4, 0.24), (0.8, 0.56, 0.18),
            (0.5, 0.66, 0.24)),
    }[index]
    shadow = rgb("#1E2A3A")
    for cx, cy, r in lobes:
        canvas.ctx.save()
        canvas.ctx.translate(cx * w, cy * h)
        canvas.ctx.scale(r * w, r * w * 0.55)
        canvas.circle(0, 0, 1)
        canvas.ctx.restore()
        canvas.fill(shadow, alpha=1.0, preserve=False)
    image = canvas.image().filter(ImageFilter.GaussianBlur(8))
    # the shadow darkens the ground by about a quarter
    alpha = image.getchannel("A").point(lambda v: v * 30 // 100)
    image.putalpha(alpha)
    return image


PICTURES = {
    CONSTRUCTION + "Fence.png": fence,
    CONSTRUCTION + "Ground.png": site_ground,
    CONSTRUCTION + "Foundation.png": foundation,
    CONSTRUCTION + "Scaffold.png": scaffold,
    CONSTRUCTION + "Crane.png": crane,
    CONSTRUCTION + "Hook.png": hook,
    CONSTRUCTION + "Dust.png": dust,
    CONSTRUCTION + "Rubble_Summer.png": lambda: rubble(False),
    CONSTRUCTION + "Rubble_Winter.png": lambda: rubble(True),
    CONSTRUCTION + "Selector.png": construction_selector,
    CONSTRUCTION + "StarGlow.png": star_glow,
    VEHICLES + "Crate.png": lambda: crate(False),
    VEHICLES + "CrateHanging.png": lambda: crate(True),
    VEHICLES + "CrateShadow.png": crate_shadow,
    VEHICLES + "Cable.png": cable,
}
BAR_TRACK = CONSTRUCTION + "BarTrack.png"
BAR_FILL = CONSTRUCTION + "BarFill.png"


def helicopter_picture(direction):
    return "%sHelicopter_%s.png" % (VEHICLES, direction)


def bus_picture(direction):
    return "%sBus_%s.png" % (VEHICLES, direction)


def cloud_picture(index):
    return "%sCloudShadow%s.png" % (CLOUDS, "ABC"[index])


def draw():
    pictures = []
    for name, make in PICTURES.items():
        pictures.append(Picture(name, make(), trim=False,
                                sample=name.endswith(("Scaffold.png", "Rubble_Summer.png"))))
    g = BAR_GRID
    pictures.append(Picture(BAR_TRACK, bar_track(), grid=(g, g, g, g)))
    pictures.append(Picture(BAR_FILL, bar_fill(), grid=(g, g, g, g)))
    for direction in HELICOPTER_DIRECTIONS:
        pictures.append(Picture(helicopter_picture(direction), helicopter(direction), trim=False,
                                sample=direction == "RightUp"))
    for direction in BUS_DIRECTIONS:
        pictures.append(Picture(bus_picture(direction), bus(BUS_ANGLES[direction]), trim=False,
                                sample=direction in ("Right", "LeftDown")))
    for index in range(len(CLOUD_SIZES)):
        pictures.append(Picture(cloud_picture(index), cloud_shadow(index), trim=False,
                                sample=index == 0))
    return pictures


CATEGORY = Category("processes", FOLDERS, draw, __file__)
