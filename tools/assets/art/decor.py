"""Decor: the houses, trees, bushes, fences, benches, rocks, lamps and piers that stand between
the lots of a level, in the four settings of the campaign:
1 "Town" (a green summer town), 2 "Seaside" (a seaside resort), 3 "Autumn" (autumn hills) and
4 "Winter" (under snow: snow on the roofs, the trees and at the foot of everything).

Every picture is "levels/common/Env/Decor/<Name>_<Setting>.png" (the setting by its name, so that
no picture name ends in a digit, which would read as a frame number). A picture stands on the
ground at its feet (a point of the picture), and covers the ground in its footprint (a box of the
picture) that the placement keeps clear of lots, roads, walkways and water. Piers are flat: they
lie on the water with their land end (their footprint) on the shore.

Scale: the decor houses are smaller than the lots' buildings (80 to 100 px wide), trees about
60 to 100 px tall, walkers stand 28 px tall beside a 30 px bench.
"""
import math

from PIL import ImageOps

from .kit import Canvas, Category, Palette, Picture, Style, compose, rgb, shade, soft_shadow

FOLDER = "levels/common/Env/Decor/"
FOLDERS = [FOLDER]

SETTINGS = {1: "Town", 2: "Seaside", 3: "Autumn", 4: "Winter"}
WINTER = 4

TRUNK = rgb("#8A5A3B")
WOOD = rgb("#C8955A")
WOOD_DARK = rgb("#9C6B3C")
STONE = rgb("#A3A9B2")
GLASS = rgb("#8CD3F5")
METAL = rgb("#5B6470")
PINE = rgb("#3E8A4A")
PALM = rgb("#5FB04A")
FLOWERS = (rgb("#E0533D"), rgb("#D94F8A"), rgb("#F7C331"), Palette.WHITE)


class Look:
    """The colours of one setting."""

    def __init__(self, setting):
        self.setting = setting
        self.winter = setting == WINTER
        roofs = {1: (Palette.ROOFS[0], Palette.ROOFS[2], Palette.ROOFS[1]),
                 2: (Palette.ROOFS[1], Palette.ROOFS[4], Palette.ROOFS[0]),
                 3: (Palette.ROOFS[7], Palette.ROOFS[6], Palette.ROOFS[0]),
                 4: (Palette.ROOFS[0], Palette.ROOFS[1], Palette.ROOFS[7])}[setting]
        self.roofs = roofs
        self.walls = {1: (rgb("#FFF4DC"), rgb("#F6E3C3"), rgb("#FCE9D9")),
                      2: (rgb("#FFFFFF"), rgb("#E8F7FF"), rgb("#FCE9D9")),
                      3: (rgb("#F6E3C3"), rgb("#EAD3AE"), rgb("#F3DFC6")),
                      4: (rgb("#EFE9E0"), rgb("#F2E6D6"), rgb("#E9E4EC"))}[setting]
        self.leaves = {1: (rgb("#4E9A3A"), rgb("#6FAE43"), rgb("#5AA845")),
                       2: (rgb("#5FB04A"), rgb("#74BF55"), rgb("#4E9A3A")),
                       3: (rgb("#E0533D"), rgb("#F39A2B"), rgb("#F7C331")),
                       4: (Palette.SNOW, Palette.SNOW_SHADE, Palette.SNOW)}[setting]
        self.windows = Palette.GOLD_HIGHLIGHT if self.winter else GLASS


# --- Helpers --------------------------------------------------------------------------------

def _ellipse(canvas, cx, cy, rx, ry):
    ctx = canvas.ctx
    ctx.save()
    ctx.translate(cx, cy)
    ctx.scale(rx, ry)
    ctx.new_path()
    ctx.arc(0, 0, 1, 0, 2 * math.pi)
    ctx.restore()


def _with_shadow(size, shadow, draw):
    """A picture: the soft shadow of the shape `shadow` draws (offset right and down), under what
    `draw` draws."""
    w, h = size
    mask = Canvas(w, h)
    shadow(mask)
    mask.fill(Palette.BLACK, preserve=False)
    back = soft_shadow(mask.image(), offset=Style.SHADOW_OFFSET)
    front = Canvas(w, h)
    draw(front)
    return compose(back, front.image())


def _snow_cap(canvas, points, thickness=4.0):
    """A soft band of snow along a line (the top of a roof, a rail, a branch)."""
    canvas.stroke_line(points, thickness + 2.4, Palette.OUTLINE)
    canvas.stroke_line(points, thickness, Palette.SNOW)
    highlight = [(x - 0.6, y - thickness * 0.25) for x, y in points]
    canvas.stroke_line(highlight, max(1.0, thickness * 0.35), Palette.WHITE)


def _snow_mound(canvas, cx, cy, rx, ry):
    _ellipse(canvas, cx, cy, rx, ry)
    canvas.lit_fill(Palette.SNOW, (cx - rx, cy - ry, 2 * rx, 2 * ry))
    canvas.outline(1.2)


def _window(canvas, x, y, w, h, look):
    canvas.rounded_rect(x, y, w, h, 2)
    canvas.fill(look.windows, preserve=True)
    canvas.outline(1.0)
    canvas.stroke_line([(x + w / 2.0, y + 1), (x + w / 2.0, y + h - 1)], 1.0, Palette.OUTLINE)
    if look.winter:
        canvas.stroke_line([(x - 1, y + 0.5), (x + w + 1, y + 0.5)], 2.2, Palette.SNOW)


def _door(canvas, x, bottom, w, h, colour):
    canvas.rounded_rect(x - w / 2.0, bottom - h, w, h, 3, corners=(True, True, False, False))
    canvas.lit_fill(colour, (x - w / 2.0, bottom - h, w, h))
    canvas.outline(1.2)
    canvas.circle(x + w * 0.25, bottom - h * 0.45, 1.0)
    canvas.fill(Palette.GOLD, preserve=False)


def _block(canvas, left, right, top, bottom, depth, wall):
    """A building's walls: the front face and its right side going back by `depth` (the side
    rises 0.6 of the depth on the screen)."""
    rise = depth * 0.6
    canvas.polygon([(right, top), (right + depth, top - rise), (right + depth, bottom - rise),
                    (right, bottom)])
    canvas.fill(shade(wall, Style.DARK), preserve=True)
    canvas.outline(1.5)
    canvas.polygon([(left, top), (right, top), (right, bottom), (left, bottom)])
    canvas.lit_fill(wall, (left, top, right - left, bottom - top))
    canvas.outline(1.5)
    return rise


def _gable_roof(canvas, left, right, top, depth, height, colour, winter):
    """A pitched roof whose gable faces the viewer; under snow it is white with the roof's colour
    showing along the eaves."""
    rise = depth * 0.6
    mid = (left + right) / 2.0
    peak = top - height
    back = [(left - 5, top), (mid, peak), (mid + depth, peak - rise),
            (right + depth + 5, top - rise), (right + 5, top)]
    canvas.polygon(back)
    canvas.lit_fill(colour, (left, peak - rise, right - left + depth, height + rise))
    canvas.outline(1.5)
    # the side slope seen beyond the gable
    canvas.polygon([(mid, peak), (mid + depth, peak - rise), (right + depth + 5, top - rise),
                    (right + 5, top)])
    canvas.fill(shade(colour, Style.DARK * 0.6), preserve=True)
    canvas.outline(1.5)
    if winter:
        canvas.polygon([(mid, peak + 2), (mid + depth, peak - rise + 2),
                        (right + depth + 2, top - rise - 4), (right + 1, top - 4)])
        canvas.lit_fill(Palette.SNOW, (mid, peak - rise, right - mid + depth, top - peak + rise))
        canvas.outline(1.2)
    # the gable
    canvas.polygon([(left - 5, top), (mid, peak), (right + 5, top)])
    canvas.lit_fill(shade(colour, 0.06), (left, peak, right - left, height))
    canvas.outline(1.5)
    if winter:
        _snow_cap(canvas, [(left - 3, top - 2), (mid, peak + 1), (right + 3, top - 2)], 4.0)


# --- Houses ---------------------------------------------------------------------------------

COTTAGE = (100, 100)


def cottage(look):
    """A small one-storey house with a gable roof, a chimney and a door between two windows."""
    left, right, top, bottom, depth = 12.0, 64.0, 58.0, 92.0, 28.0
    wall, roof = look.walls[0], look.roofs[0]

    def shadow(c):
        c.polygon([(left, bottom), (right + depth, bottom - depth * 0.6), (right + depth + 6,
                   bottom - depth * 0.6 + 4), (left + 6, bottom + 4)])

    def draw(c):
        _block(c, left, right, top, bottom, depth, wall)
        # chimney on the roof's far slope
        c.rounded_rect(right + 6, top - 44, 9, 22, 1.5)
        c.lit_fill(shade(roof, -0.25), (right + 6, top - 44, 9, 22))
        c.outline(1.2)
        if look.winter:
            _snow_cap(c, [(right + 6, top - 44), (right + 15, top - 44)], 3.0)
        _gable_roof(c, left, right, top, depth, 26.0, roof, look.winter)
        _window(c, left + 6, top + 9, 11, 11, look)
        _window(c, right - 17, top + 9, 11, 11, look)
        _door(c, (left + right) / 2.0, bottom, 12, 20, shade(roof, -0.2))
        _side_window(c, right, top, bottom, depth, look)
        _base(c, left, right, bottom, depth, look)
    return _with_shadow(COTTAGE, shadow, draw)


def _side_window(canvas, right, top, bottom, depth, look):
    rise = depth * 0.6
    x0, x1 = right + depth * 0.3, right + depth * 0.7
    y0 = top + (bottom - top) * 0.3
    h = (bottom - top) * 0.32
    canvas.polygon([(x0, y0 - rise * 0.3), (x1, y0 - rise * 0.7), (x1, y0 - rise * 0.7 + h),
                    (x0, y0 - rise * 0.3 + h)])
    canvas.fill(shade(look.windows, Style.DARK), preserve=True)
    canvas.outline(1.0)


def _base(canvas, left, right, bottom, depth, look):
    """Flowers along the front of a summer house; snow heaped along a winter one."""
    if look.winter:
        for i, x in enumerate(range(int(left) + 2, int(right + depth), 9)):
            y = bottom - max(0.0, x - right) * 0.6
            _snow_mound(canvas, x, y, 6.0, 3.0 + (i % 2))
    elif look.setting in (1, 2):
        for i, x in enumerate(range(int(left) + 3, int(right) - 2, 6)):
            if abs(x - (left + right) / 2.0) < 9:
                continue
            canvas.circle(x, bottom - 2, 2.0)
            canvas.fill(FLOWERS[i % len(FLOWERS)], preserve=True)
            canvas.outline(0.8)


TOWN_HOUSE = (92, 124)


def town_house(look):
    """A narrow two-storey house with a flat roof behind its parapet, an awning over the door."""
    left, right, top, bottom, depth = 10.0, 64.0, 34.0, 116.0, 22.0
    rise = depth * 0.6
    wall, roof = look.walls[1], look.roofs[1]

    def shadow(c):
        c.polygon([(left, bottom), (right + depth, bottom - rise), (right + depth + 8,
                   bottom - rise + 5), (left + 8, bottom + 5)])

    def draw(c):
        _block(c, left, right, top, bottom, depth, wall)
        # the flat roof and its parapet
        c.polygon([(left - 2, top), (right + 2, top), (right + depth + 2, top - rise),
                   (left + depth - 2, top - rise)])
        c.lit_fill(Palette.SNOW if look.winter else shade(roof, -0.1),
                   (left, top - rise, right - left + depth, rise))
        c.outline(1.5)
        c.rounded_rect(left - 3, top - 4, right - left + 6, 8, 2)
        c.lit_fill(roof, (left - 3, top - 4, right - left + 6, 8))
        c.outline(1.2)
        if look.winter:
            _snow_cap(c, [(left - 2, top - 4), (right + 2, top - 4)], 3.5)
        for row in range(2):
            for col in range(2):
                _window(c, left + 8 + col * 26, top + 12 + row * 26, 12, 15, look)
        # awning over the door
        mid = (left + right) / 2.0
        aw_top = bottom - 30
        c.polygon([(mid - 14, aw_top), (mid + 14, aw_top), (mid + 17, aw_top + 9),
                   (mid - 17, aw_top + 9)])
        c.lit_fill(Palette.SNOW if look.winter else roof, (mid - 17, aw_top, 34, 9))
        c.outline(1.2)
        if not look.winter:
            for k in range(-2, 3, 2):
                c.polygon([(mid + k * 6 - 2.5, aw_top), (mid + k * 6 + 2.5, aw_top),
                           (mid + k * 6 + 3.2, aw_top + 9), (mid + k * 6 - 3.2, aw_top + 9)])
                c.fill(Palette.WHITE, alpha=0.75, preserve=False)
        _door(c, mid, bottom, 13, 19, shade(roof, -0.3))
        for row in range(2):
            _side_window(c, right, top + row * 26 - 8, top + row * 26 + 32, depth, look)
        _base(c, left, right, bottom, depth, look)
    return _with_shadow(TOWN_HOUSE, shadow, draw)


SHED = (96, 84)


def shed(look):
    """A wide low shed (a barn in the hills, a beach hut by the sea) with a big door and a roof
    whose ridge runs across the front."""
    left, right, top, bottom, depth = 8.0, 66.0, 46.0, 78.0, 24.0
    rise = depth * 0.6
    wall, roof = look.walls[2], look.roofs[2]
    if look.setting == 3:
        wall = shade(Palette.ROOFS[0], -0.05)

    def shadow(c):
        c.polygon([(left, bottom), (right + depth, bottom - rise), (right + depth + 6,
                   bottom - rise + 4), (left + 6, bottom + 4)])

    def draw(c):
        _block(c, left, right, top, bottom, depth, wall)
        if look.setting == 2:  # the beach hut's stripes
            for x in range(int(left) + 6, int(right), 12):
                c.rounded_rect(x, top + 2, 5, bottom - top - 3, 1)
                c.fill(Palette.ROOFS[1], alpha=0.55, preserve=False)
        # a roof sloping back from the front eave to the ridge, then down behind it
        ridge = top - 16
        top_colour = Palette.SNOW if look.winter else roof
        c.polygon([(left - 4, top + 2), (right + 4, top + 2),
                   (right + depth * 0.5 + 4, ridge - rise * 0.5),
                   (left + depth * 0.5 - 4, ridge - rise * 0.5)])
        c.lit_fill(top_colour, (left, ridge - rise, right - left + depth, top - ridge + rise))
        c.outline(1.5)
        c.polygon([(right + 4, top + 2), (right + depth + 4, top - rise + 2),
                   (right + depth * 0.5 + 4, ridge - rise * 0.5)])
        c.fill(shade(top_colour, Style.DARK), preserve=True)
        c.outline(1.5)
        if look.winter:
            _snow_cap(c, [(left - 3, top + 1), (right + 3, top + 1)], 3.0)
        mid = (left + right) / 2.0
        door = shade(wall, -0.2) if look.setting == 3 else shade(roof, -0.25)
        c.rounded_rect(mid - 12, bottom - 24, 24, 24, 2, corners=(True, True, False, False))
        c.lit_fill(door, (mid - 12, bottom - 24, 24, 24))
        c.outline(1.2)
        if look.setting == 3:  # the barn door's cross
            c.stroke_line([(mid - 11, bottom - 23), (mid + 11, bottom - 1)], 2.0, Palette.WHITE)
            c.stroke_line([(mid + 11, bottom - 23), (mid - 11, bottom - 1)], 2.0, Palette.WHITE)
        _side_window(c, right, top, bottom, depth, look)
        _base(c, left, right, bottom, depth, look)
    return _with_shadow(SHED, shadow, draw)


# --- Trees ----------------------------------------------------------------------------------

TREE_ROUND = (70, 96)


def tree_round(look):
    """A leafy tree: a trunk under three round masses of leaves (green, or the autumn's reds and
    yellows); bare branches with snow on them in the winter."""
    w, h = TREE_ROUND
    fx, fy = w / 2.0 - 2, h - 8.0

    def shadow(c):
        _ellipse(c, fx, fy, 22, 7)

    def draw(c):
        c.rounded_rect(fx - 4, fy - 40, 8, 42, 2.5)
        c.lit_fill(TRUNK, (fx - 4, fy - 40, 8, 42))
        c.outline(1.5)
        if look.winter:
            branches = [((fx, fy - 30), (fx - 20, fy - 62)), ((fx, fy - 36), (fx + 20, fy - 66)),
                        ((fx, fy - 38), (fx - 4, fy - 78)),
                        ((fx - 10, fy - 47), (fx - 26, fy - 52)),
                        ((fx + 10, fy - 50), (fx + 26, fy - 56)),
                        ((fx - 2, fy - 60), (fx + 9, fy - 80))]
            for a, b in branches:
                c.stroke_line([a, b], 5.0, Palette.OUTLINE)
                c.stroke_line([a, b], 2.8, TRUNK)
            for a, b in branches:
                mx, my = (a[0] + b[0]) / 2.0, (a[1] + b[1]) / 2.0
                _snow_cap(c, [(mx, my - 1.5), (b[0], b[1] - 1.5)], 2.2)
            _snow_mound(c, fx, fy + 1, 14, 4)
            return
        blobs = [(fx - 14, fy - 47, 18), (fx + 13, fy - 49, 18), (fx, fy - 64, 21)]
        for i, (x, y, r) in enumerate(blobs):
            c.circle(x, y, r)
            c.lit_fill(look.leaves[i % len(look.leaves)], (x - r, y - r, 2 * r, 2 * r))
            c.outline(1.5)
        if look.setting == 3:  # a few leaves on the ground
            for i, (x, y) in enumerate(((fx - 16, fy + 2), (fx + 14, fy), (fx + 4, fy + 4))):
                _ellipse(c, x, y, 3.2, 1.8)
                c.fill(look.leaves[i % 3], preserve=True)
                c.outline(0.8)
    return _with_shadow(TREE_ROUND, shadow, draw)


TREE_PINE = (56, 104)


def tree_pine(look):
    """A fir: three tiers of needles on a short trunk, each tier edged with snow in the winter."""
    w, h = TREE_PINE
    fx, fy = w / 2.0 - 2, h - 8.0

    def shadow(c):
        _ellipse(c, fx, fy, 17, 6)

    def draw(c):
        c.rounded_rect(fx - 3.5, fy - 18, 7, 20, 2)
        c.lit_fill(TRUNK, (fx - 3.5, fy - 18, 7, 20))
        c.outline(1.5)
        needles = shade(PINE, -0.08) if look.setting == 3 else PINE
        tiers = [(fy - 12, 24, 34), (fy - 36, 19, 30), (fy - 58, 14, 30)]
        for base, half, height in tiers:
            c.polygon([(fx - half, base), (fx, base - height), (fx + half, base)])
            c.lit_fill(needles, (fx - half, base - height, 2 * half, height))
            c.outline(1.5)
            if look.winter:
                c.polygon([(fx - half + 3, base - 3), (fx - half * 0.45, base - height * 0.45),
                           (fx, base - height + 1), (fx + half * 0.35, base - height * 0.55),
                           (fx + half * 0.2, base - height * 0.35), (fx - half * 0.3, base - 5)])
                c.lit_fill(Palette.SNOW, (fx - half, base - height, 2 * half, height))
                c.outline(1.0)
                _snow_cap(c, [(fx - half + 2, base - 1), (fx + half - 2, base - 1)], 2.6)
        if look.winter:
            _snow_mound(c, fx, fy + 1, 13, 4)
    return _with_shadow(TREE_PINE, shadow, draw)


TREE_PALM = (80, 108)


def tree_palm(look):
    """A palm: a leaning ringed trunk, a crown of long fronds and a few coconuts."""
    w, h = TREE_PALM
    fx, fy = 34.0, h - 8.0
    top = (fx + 12, fy - 74)

    def shadow(c):
        _ellipse(c, fx + 10, fy, 24, 6)

    def trunk_point(t):
        # a gentle curve from the foot to the crown
        x = fx + (top[0] - fx) * t * t
        y = fy + (top[1] - fy) * t
        return x, y

    def draw(c):
        points = [trunk_point(i / 12.0) for i in range(13)]
        c.stroke_line(points, 10.0, Palette.OUTLINE)
        c.stroke_line(points, 6.5, WOOD)
        for i in range(1, 12):
            x, y = trunk_point(i / 12.0)
            c.stroke_line([(x - 3.2, y), (x + 3.2, y - 1)], 1.2, WOOD_DARK)
        fronds = [(-34, 8), (-26, -12), (-8, -22), (14, -22), (30, -8), (34, 12), (-16, 16),
                  (18, 18)]
        leaf = look.leaves[0] if look.setting == 2 else PALM
        for i, (dx, dy) in enumerate(fronds):
            tip = (top[0] + dx, top[1] + dy)
            mid = (top[0] + dx * 0.5, top[1] + dy * 0.5 - 9)
            nx, ny = -(dy), dx
            length = math.hypot(nx, ny) or 1.0
            nx, ny = nx / length * 7.5, ny / length * 7.5
            c.ctx.new_path()
            c.ctx.move_to(*top)
            c.ctx.curve_to(mid[0] + nx, mid[1] + ny, tip[0], tip[1], tip[0], tip[1])
            c.ctx.curve_to(tip[0], tip[1], mid[0] - nx, mid[1] - ny, *top)
            c.ctx.close_path()
            c.lit_fill(shade(leaf, -0.06 * (i % 3)), (top[0] - 34, top[1] - 30, 68, 50))
            c.outline(1.3)
        for dx, dy in ((-4, 4), (3, 5), (0, 9)):
            c.circle(top[0] + dx, top[1] + dy, 3.4)
            c.lit_fill(WOOD_DARK, (top[0] + dx - 4, top[1] + dy - 4, 8, 8))
            c.outline(1.0)
    return _with_shadow(TREE_PALM, shadow, draw)


BUSH = (52, 38)


def bush(look):
    """A low bush: three leafy lumps (with flowers in summer), or a snowy mound in winter."""
    w, h = BUSH
    fx, fy = w / 2.0 - 2, h - 7.0

    def shadow(c):
        _ellipse(c, fx, fy - 2, 20, 7)

    def draw(c):
        blobs = [(fx - 11, fy - 9, 10), (fx + 11, fy - 9, 10), (fx, fy - 15, 12)]
        colours = (look.leaves[1], look.leaves[2], look.leaves[0])
        if look.setting == 3:
            colours = (shade(Palette.AUTUMN_SHADE, -0.05), look.leaves[1], look.leaves[0])
        for (x, y, r), colour in zip(blobs, colours):
            c.circle(x, y, r)
            c.lit_fill(colour, (x - r, y - r, 2 * r, 2 * r))
            c.outline(1.5)
        if look.winter:
            for x, y, r in blobs:
                c.stroke_line([(x - r * 0.7, y - r * 0.2), (x + r * 0.8, y + r * 0.5)], 1.2,
                              TRUNK)
            return
        if look.setting in (1, 2):
            for i, (dx, dy) in enumerate(((-12, -12), (-4, -20), (6, -16), (13, -9), (-2, -9))):
                c.circle(fx + dx, fy + dy, 2.2)
                c.fill(FLOWERS[i % 3], preserve=True)
                c.outline(0.8)
    return _with_shadow(BUSH, shadow, draw)


# --- Small things ---------------------------------------------------------------------------

FENCE = (76, 36)


def fence(look):
    """A short picket fence: five posts on two rails."""
    w, h = FENCE
    base = h - 8.0

    def shadow(c):
        c.rounded_rect(4, base - 3, w - 10, 5, 2.5)

    def draw(c):
        wood = shade(WOOD, 0.15) if look.setting == 2 else WOOD
        for y in (base - 18, base - 8):
            c.rounded_rect(4, y, w - 10, 4.5, 1.5)
            c.lit_fill(shade(wood, -0.08), (4, y, w - 10, 4.5))
            c.outline(1.2)
        for i in range(5):
            x = 6 + i * 15.0
            c.polygon([(x, base), (x, base - 20), (x + 3.5, base - 25), (x + 7, base - 20),
                       (x + 7, base)])
            c.lit_fill(wood, (x, base - 25, 7, 25))
            c.outline(1.2)
            if look.winter:
                _snow_cap(c, [(x + 0.5, base - 21), (x + 3.5, base - 24.5),
                              (x + 6.5, base - 21)], 2.6)
        if look.winter:
            _snow_cap(c, [(5, base - 18.5), (w - 7, base - 18.5)], 2.0)
            for x in range(8, w - 6, 12):
                _snow_mound(c, x, base, 7, 2.6)
    return _with_shadow(FENCE, shadow, draw)


BENCH = (44, 34)


def bench(look):
    """A park bench: a slatted seat and back on dark iron legs."""
    w, h = BENCH
    base = h - 7.0

    def shadow(c):
        c.rounded_rect(5, base - 4, w - 12, 6, 3)

    def draw(c):
        for x in (8, w - 12):
            c.stroke_line([(x, base), (x, base - 10)], 3.0, Palette.OUTLINE)
            c.stroke_line([(x + 2, base - 4), (x + 2, base - 22)], 3.0, Palette.OUTLINE)
        c.rounded_rect(6, base - 24, w - 14, 8, 2)  # the back
        c.lit_fill(WOOD, (6, base - 24, w - 14, 8))
        c.outline(1.2)
        c.stroke_line([(8, base - 20), (w - 10, base - 20)], 1.0, WOOD_DARK)
        c.polygon([(4, base - 9), (w - 10, base - 9), (w - 6, base - 14), (8, base - 14)])
        c.lit_fill(shade(WOOD, 0.05), (4, base - 14, w - 10, 5))
        c.outline(1.2)
        if look.winter:
            _snow_cap(c, [(6, base - 12), (w - 9, base - 12)], 3.0)
            _snow_cap(c, [(7, base - 24.5), (w - 9, base - 24.5)], 2.4)
    return _with_shadow(BENCH, shadow, draw)


ROCK = (46, 34)


def rock(look):
    """A weathered boulder with a smaller stone beside it."""
    w, h = ROCK
    base = h - 7.0

    def shadow(c):
        _ellipse(c, w / 2.0 - 2, base - 2, 19, 6)

    def draw(c):
        stone = shade(STONE, 0.12) if look.setting == 2 else STONE
        c.polygon([(4, base), (6, base - 12), (14, base - 21), (27, base - 23), (35, base - 14),
                   (36, base)])
        c.lit_fill(stone, (4, base - 23, 32, 23))
        c.outline(1.5)
        c.stroke_line([(14, base - 21), (18, base - 8), (27, base - 4)], 1.0, shade(stone, -0.3))
        c.polygon([(30, base + 1), (33, base - 7), (39, base - 8), (42, base)])
        c.lit_fill(shade(stone, 0.05), (30, base - 8, 12, 9))
        c.outline(1.2)
        if look.setting == 3:  # moss
            _ellipse(c, 12, base - 16, 5, 2.5)
            c.fill(Palette.GRASS_SHADE, preserve=True)
            c.outline(0.8)
        if look.winter:
            c.polygon([(6, base - 12), (14, base - 21), (27, base - 23), (35, base - 14),
                       (27, base - 16), (16, base - 14)])
            c.lit_fill(Palette.SNOW, (6, base - 23, 29, 11))
            c.outline(1.0)
    return _with_shadow(ROCK, shadow, draw)


LAMP = (22, 68)


def lamp(look):
    """A street lamp: a slim post with a lantern."""
    w, h = LAMP
    x, base = w / 2.0 - 1, h - 6.0

    def shadow(c):
        _ellipse(c, x, base, 6, 2.5)

    def draw(c):
        c.rounded_rect(x - 4, base - 6, 8, 7, 2)
        c.lit_fill(METAL, (x - 4, base - 6, 8, 7))
        c.outline(1.2)
        c.stroke_line([(x, base - 4), (x, base - 50)], 4.6, Palette.OUTLINE)
        c.stroke_line([(x, base - 4), (x, base - 50)], 2.2, METAL)
        c.polygon([(x - 6, base - 50), (x + 6, base - 50), (x + 4, base - 58), (x - 4, base - 58)])
        c.fill(Palette.GOLD_HIGHLIGHT, preserve=True)
        c.outline(1.2)
        c.polygon([(x - 7, base - 58), (x + 7, base - 58), (x, base - 62)])
        c.lit_fill(METAL, (x - 7, base - 62, 14, 4))
        c.outline(1.2)
        if look.winter:
            _snow_cap(c, [(x - 6, base - 59), (x, base - 62), (x + 6, base - 59)], 2.4)
    return _with_shadow(LAMP, shadow, draw)


# --- Piers ----------------------------------------------------------------------------------

PIER_UP = (40, 118)
PIER_SIDE = (124, 44)


def _planks(canvas, boards, look):
    """Boards (quadrilaterals) in the wood colour, a little snow on every other one in winter."""
    for i, quad in enumerate(boards):
        canvas.polygon(quad)
        xs, ys = [p[0] for p in quad], [p[1] for p in quad]
        canvas.lit_fill(shade(WOOD, 0.04 * (i % 2)), (min(xs), min(ys), max(xs) - min(xs),
                                                     max(ys) - min(ys)))
        canvas.outline(1.0)
        if look.winter and i % 2 == 0:
            canvas.polygon([quad[0], quad[1], ((quad[1][0] + quad[2][0]) / 2.0,
                                               (quad[1][1] + quad[2][1]) / 2.0),
                            ((quad[0][0] + quad[3][0]) / 2.0, (quad[0][1] + quad[3][1]) / 2.0)])
            canvas.fill(Palette.SNOW, alpha=0.9, preserve=False)


def _post(canvas, x, top, bottom, look):
    canvas.rounded_rect(x - 2.5, top, 5, bottom - top, 1.5)
    canvas.lit_fill(WOOD_DARK, (x - 2.5, top, 5, bottom - top))
    canvas.outline(1.0)
    if look.winter:
        _snow_cap(canvas, [(x - 2, top + 0.5), (x + 2, top + 0.5)], 2.0)


def pier_up(look):
    """A jetty running from the shore (its foot, at the bottom) out over the water (up)."""
    w, h = PIER_UP
    left, right = 8.0, w - 10.0

    def shadow(c):
        c.rounded_rect(left, 10, right - left, h - 16, 3)

    def draw(c):
        # the posts stand in the water beside the boards
        for y in range(14, h - 20, 22):
            for x in (left - 1, right + 1):
                _post(c, x, y - 6, y + 8, look)
        step = 8.0
        boards = []
        y = h - 6.0
        while y - step >= 8:
            boards.append([(left, y - step + 1), (right, y - step + 1), (right, y), (left, y)])
            y -= step
        _planks(c, boards, look)
        c.rounded_rect(left, y + 1, right - left, h - 6 - y - 1, 2)
        c.outline(1.5)
    return _with_shadow(PIER_UP, shadow, draw)


def pier_right(look):
    """A jetty running from the shore (its foot, at the left) out over the water (right)."""
    w, h = PIER_SIDE
    top, bottom = 10.0, 26.0

    def shadow(c):
        c.rounded_rect(8, top + 4, w - 14, bottom - top + 4, 3)

    def draw(c):
        for x in range(20, w - 4, 26):
            _post(c, x, bottom - 2, h - 4, look)
        step = 7.0
        boards = []
        x = 4.0
        while x + step <= w - 6:
            boards.append([(x, top), (x + step - 1, top), (x + step - 1, bottom), (x, bottom)])
            x += step
        _planks(c, boards, look)
        c.rounded_rect(4, top, x - 5, bottom - top, 2)
        c.outline(1.5)
        c.rounded_rect(4, bottom - 1, x - 5, 4, 1.5)  # the edge facing the viewer
        c.fill(WOOD_DARK, preserve=True)
        c.outline(1.0)
    return _with_shadow(PIER_SIDE, shadow, draw)


def pier_left(look):
    return ImageOps.mirror(pier_right(look))


# --- The catalogue --------------------------------------------------------------------------

class Decor:
    """One decor picture: its kind, how it is drawn, where its feet and footprint lie in the
    picture, the settings it is drawn for, and whether it lies flat on the ground (a pier: drawn
    behind whatever stands on it) or stands up."""

    def __init__(self, name, kind, draw, size, feet, footprint, settings=tuple(SETTINGS),
                 flat=False, reach=None):
        self.name = name
        self.kind = kind
        self.draw = draw
        self.size = size
        self.feet = feet
        self.footprint = footprint  # (x0, y0, x1, y1) in the picture
        self.settings = tuple(settings)
        self.flat = flat
        self.reach = reach  # a pier's far end, in the picture

    def picture_name(self, setting):
        return "%s%s_%s.png" % (FOLDER, self.name, SETTINGS[setting])


def _standing(name, kind, draw, size, feet, half_width, depth, settings=tuple(SETTINGS)):
    """A standing thing whose footprint reaches `half_width` to each side of its feet and `depth`
    back from them."""
    fx, fy = feet
    return Decor(name, kind, draw, size, feet, (fx - half_width, fy - depth, fx + half_width,
                                               fy + 2), settings)


DECOR = [
    Decor("Cottage", "house", cottage, COTTAGE, (38, 92), (10, 74, 94, 94)),
    Decor("TownHouse", "house", town_house, TOWN_HOUSE, (37, 116), (8, 101, 88, 118)),
    Decor("Shed", "house", shed, SHED, (37, 78), (6, 63, 92, 80)),
    _standing("TreeRound", "tree", tree_round, TREE_ROUND, (33, 88), 12, 8),
    _standing("TreePine", "tree", tree_pine, TREE_PINE, (26, 96), 12, 8),
    _standing("TreePalm", "tree", tree_palm, TREE_PALM, (34, 100), 10, 7, settings=(2,)),
    _standing("Bush", "bush", bush, BUSH, (24, 31), 20, 10),
    _standing("Fence", "fence", fence, FENCE, (35, 28), 34, 5),
    _standing("Bench", "bench", bench, BENCH, (20, 27), 17, 8),
    _standing("Rock", "rock", rock, ROCK, (21, 27), 19, 9),
    _standing("Lamp", "lamp", lamp, LAMP, (10, 62), 5, 4),
    Decor("PierUp", "pier", pier_up, PIER_UP, (19, 112), (8, 98, 30, 114), flat=True,
          reach=(19, 12)),
    Decor("PierRight", "pier", pier_right, PIER_SIDE, (10, 26), (2, 8, 22, 28), flat=True,
          reach=(112, 18)),
    Decor("PierLeft", "pier", pier_left, PIER_SIDE, (114, 26), (102, 8, 122, 28), flat=True,
          reach=(12, 18)),
]
BY_NAME = {d.name: d for d in DECOR}
KINDS = ("house", "tree", "bush", "fence", "bench", "rock", "lamp", "pier")
# The trees a setting prefers, the first most often.
TREES = {1: ("TreeRound", "TreeRound", "TreePine"), 2: ("TreePalm", "TreePalm", "TreeRound"),
         3: ("TreeRound", "TreeRound", "TreePine"), 4: ("TreePine", "TreePine", "TreeRound")}


def choices(kind, setting):
    """The decor names a kind may draw in a setting (repeated names are picked more often)."""
    if kind == "tree":
        return TREES[setting]
    return tuple(d.name for d in DECOR if d.kind == kind and setting in d.settings)


def picture_names():
    return [d.picture_name(s) for d in DECOR for s in d.settings]


def draw():
    pictures = []
    for decor in DECOR:
        for setting in decor.settings:
            image = decor.draw(Look(setting))
            if image.size != decor.size:
                raise ValueError("%s is drawn at %r, not %r" % (decor.name, image.size, decor.size))
            pictures.append(Picture(decor.picture_name(setting), image,
                                    sample=setting in (1, WINTER)))
    return pictures


CATEGORY = Category("decor", FOLDERS, draw, __file__)
