"""A level's decor and ground, from its merged description (the level's own values over its
town's layout: "number", "folder", "setting", "lots", "roads", "walkways", "water",
"decor_areas", "parked", "decor").

- `scene_nodes(level)`: the nodes the level scene holds besides its lots and movers:
  - "Decor": the decor pictures (art/decor.py) standing in the layout's decor areas. A decor
    area (`rect` x0, y0, x1, y1, the `kinds` it holds, `count`) holds the footprints of its
    decor: each picture stands with its feet inside the rectangle, never on a lot, a road, a
    walkway, a drive, a parked car's place or the water (a pier reaches out over the water from
    its foot on the shore), and its picture never covers a road or the space above a lot where
    the lot's building and its icons stand. Each picture's depth (its z) is the height of its
    feet on the screen, as the movers' is, so that what stands lower is drawn in front; flat
    pictures (piers) lie under everything standing on them. Places are drawn from a random
    generator seeded by the level's folder, so every run places the same decor.
  - "LakeWaves", when the level's decor asks for "lake": spawners of the "LakeWave" template
    spread over the lakes, the sea and the rivers, each where its waves stay on the water for
    their whole drift; the first wave of each comes at once.
  - "Birds" ("birds"): a circling bird ("CircularBird") above the town.
  - "Balloons" ("balloons"): now and then a balloon ("Balloon1" to "Balloon3") rises from
    below the town.
  - "Fireworks" ("fireworks"): now and then a rocket ("Firework1" to "Firework4") goes up.
- `ground(level)`: the 1024 x 768 ground picture in the setting's colours: grass (1), grass
  with sand along the water (2), autumn ground with fallen leaves (3) or snow (4); the water
  with its shore; the walkways; a drive from the nearest road to each lot's front; the lot
  pads; the roads with their kerbs and centre markings.
"""
import math
import random

import cairo
import numpy as np
from PIL import Image, ImageDraw, ImageFilter

from .art import decor as art
from .art import effects as effect_art
from .art.kit import Canvas, Palette, Style, rgb, shade
from .common import stable_seed
from .scene import Node, Prop

SCREEN = (1024, 768)
LOT_SIZE = (135, 60)
LOT_FRONT = (70, 40)
ROAD_WIDTH = 44
KERB_WIDTH = 4
WALK_WIDTH = 14
DRIVE_WIDTH = 18
# Above a lot stand its building (up to 78 px above the lot) and the icons over it.
BUILDING_RISE = 130
BUILDING_SIDE = 10
# Where a parked car stands around its place (left, top, right, bottom).
PARKED_BOX = (-34, -40, 34, 12)
# The space kept between decor and what it must not stand on.
CLEARANCE = 4
DECOR_GAP = 4
# How much two decor pictures may cover of each other (of the smaller one's area).
MAX_COVER = 0.15
PLACE_TRIES = 120
# Of a pier, the share of its length from its foot that lies over the water at the least.
PIER_WET = 0.45
PIER_HALF_WIDTH = 8

WATER_KINDS = ("lake", "sea", "river")
SHORE = {"lake": 10, "river": 8, "sea": 70}

# Draw depths (z) of the layers: the ground lies at -10000, movers at their height on the
# screen, money trails at 3000, the weather at 5000.
WAVE_DEPTH = -9000
BALLOON_DEPTH = 2200
BIRD_DEPTH = 2400
FIREWORK_DEPTH = 600  # a rocket adds 2000 when it starts

WAVE_TEMPLATE = "LakeWave"
WAVE_VELOCITY = 5.0  # the template's drift to the left, px/s
WAVE_LIFE = (6000, 7000)
WAVE_RATE = 0.15  # waves per second: about one on the water at a time per spawner
WAVE_HEAD_START = (-7200, -6800)  # a negative start delay: the first wave comes at once
WAVE_SPREAD = (12, 6)
WAVE_SPACING = (100, 44)
MAX_WAVES = 14
BIRD_TEMPLATE = "CircularBird"
BALLOON_TEMPLATES = ("Balloon1", "Balloon2", "Balloon3")
BALLOON_RATE = (0.04, 0.07)
BALLOON_LIFE = (9000, 12000)
BALLOON_HEAD_START = (-24000, -18000)
FIREWORK_TEMPLATES = tuple("Firework%d" % n for n in range(1, 5))
FIREWORK_RATE = (0.15, 0.3)
PLAYFIELD = (90, 640)  # below the top bar, above the HUD

# Ground colours by setting: the ground, its mottled shade, the speckles on it.
GROUNDS = {
    1: (Palette.GRASS, Palette.GRASS_SHADE, (rgb("#FFFFFF"), rgb("#F7C331"), rgb("#D94F8A"))),
    2: (Palette.GRASS, Palette.GRASS_SHADE, (rgb("#FFFFFF"), rgb("#F7C331"))),
    3: (Palette.AUTUMN, Palette.AUTUMN_SHADE, (rgb("#E0533D"), rgb("#F39A2B"), rgb("#B5651D"))),
    4: (Palette.SNOW, Palette.SNOW_SHADE, (Palette.WHITE,)),
}
PAVING = rgb("#DECEAC")
DRIVE = rgb("#C4BEB4")
LOT_PAD = rgb("#D6C8A0")
ICE = rgb("#B8DDF0")


# --- Geometry -------------------------------------------------------------------------------

def _points(line):
    return [(float(x), float(y)) for x, y in line]


def segment_distance(p, a, b):
    """The distance of a point from a segment."""
    dx, dy = b[0] - a[0], b[1] - a[1]
    length2 = dx * dx + dy * dy
    t = 0.0 if length2 == 0 else max(0.0, min(1.0, ((p[0] - a[0]) * dx + (p[1] - a[1]) * dy)
                                              / length2))
    return math.hypot(a[0] + dx * t - p[0], a[1] + dy * t - p[1])


def closest_on(points, target):
    """The distance to, and the point of, a polyline closest to the target."""
    best = None
    for a, b in zip(points, points[1:]):
        dx, dy = b[0] - a[0], b[1] - a[1]
        length2 = dx * dx + dy * dy
        t = 0.0 if length2 == 0 else max(0.0, min(1.0, ((target[0] - a[0]) * dx +
                                                        (target[1] - a[1]) * dy) / length2))
        p = (a[0] + dx * t, a[1] + dy * t)
        d = math.hypot(p[0] - target[0], p[1] - target[1])
        if best is None or d < best[0]:
            best = (d, p)
    return best


def _segments_cross(a, b, c, d):
    def orient(p, q, r):
        return (q[0] - p[0]) * (r[1] - p[1]) - (q[1] - p[1]) * (r[0] - p[0])
    o1, o2, o3, o4 = orient(a, b, c), orient(a, b, d), orient(c, d, a), orient(c, d, b)
    return (o1 > 0) != (o2 > 0) and (o3 > 0) != (o4 > 0) and o1 * o2 < 0 and o3 * o4 < 0


def _corners(rect):
    x0, y0, x1, y1 = rect
    return [(x0, y0), (x1, y0), (x1, y1), (x0, y1)]


def _inside_rect(p, rect):
    return rect[0] <= p[0] <= rect[2] and rect[1] <= p[1] <= rect[3]


def rect_segment_distance(rect, a, b):
    """The distance between a rectangle and a segment (0 when they touch)."""
    if _inside_rect(a, rect) or _inside_rect(b, rect):
        return 0.0
    corners = _corners(rect)
    for c, d in zip(corners, corners[1:] + corners[:1]):
        if _segments_cross(a, b, c, d):
            return 0.0
    found = min(segment_distance(c, a, b) for c in corners)
    for p in (a, b):
        cx = min(max(p[0], rect[0]), rect[2])
        cy = min(max(p[1], rect[1]), rect[3])
        found = min(found, math.hypot(p[0] - cx, p[1] - cy))
    return found


def rect_line_distance(rect, line):
    return min(rect_segment_distance(rect, a, b) for a, b in zip(line, line[1:]))


def point_in_polygon(p, polygon):
    x, y = p
    inside = False
    n = len(polygon)
    for i in range(n):
        (x0, y0), (x1, y1) = polygon[i], polygon[(i + 1) % n]
        if (y0 > y) != (y1 > y):
            if x < x0 + (y - y0) * (x1 - x0) / (y1 - y0):
                inside = not inside
    return inside


def _edges_cross(rect, polygon):
    """Whether an edge of the rectangle crosses an edge of the polygon."""
    corners = _corners(rect)
    n = len(polygon)
    for i in range(n):
        a, b = polygon[i], polygon[(i + 1) % n]
        for c, d in zip(corners, corners[1:] + corners[:1]):
            if _segments_cross(a, b, c, d):
                return True
    return False


def rect_meets_polygon(rect, polygon):
    """Whether a rectangle and a polygon share any point."""
    if any(point_in_polygon(c, polygon) for c in _corners(rect)):
        return True
    if any(_inside_rect(p, rect) for p in polygon):
        return True
    return _edges_cross(rect, polygon)


def rect_in_polygon(rect, polygon):
    """Whether a rectangle lies wholly inside a polygon."""
    if not all(point_in_polygon(c, polygon) for c in _corners(rect)):
        return False
    if any(rect[0] < p[0] < rect[2] and rect[1] < p[1] < rect[3] for p in polygon):
        return False
    return not _edges_cross(rect, polygon)


def grow(rect, amount):
    return (rect[0] - amount, rect[1] - amount, rect[2] + amount, rect[3] + amount)


def overlap_area(a, b):
    w = min(a[2], b[2]) - max(a[0], b[0])
    h = min(a[3], b[3]) - max(a[1], b[1])
    return w * h if w > 0 and h > 0 else 0.0


def area(rect):
    return max(0.0, rect[2] - rect[0]) * max(0.0, rect[3] - rect[1])


def lot_rect(lot):
    x, y = lot["position"]
    return (x, y, x + LOT_SIZE[0], y + LOT_SIZE[1])


def building_rect(lot):
    """The lot with the space above it where its building and its icons stand."""
    x, y = lot["position"]
    return (x - BUILDING_SIDE, y - BUILDING_RISE, x + LOT_SIZE[0] + BUILDING_SIDE,
            y + LOT_SIZE[1] + 6)


def lot_front(lot):
    return (lot["position"][0] + LOT_FRONT[0], lot["position"][1] + LOT_FRONT[1])


def drive(level, lot):
    """The drive of a lot: from the nearest point of the nearest road to the lot's front."""
    front = lot_front(lot)
    best = None
    for road in level.get("roads", []):
        found = closest_on(_points(road["points"]), front)
        if best is None or found[0] < best[0]:
            best = found
    return None if best is None else (best[1], front)


# --- Decor placement ------------------------------------------------------------------------

class Placement:
    """One decor picture on the screen: `origin` is its top-left corner; `feet`, `footprint`
    (x0, y0, x1, y1), `body` (the box of its visible pixels) and `reach` (a pier's far end) are
    on the screen too."""

    def __init__(self, decor, setting, feet):
        self.decor = decor
        self.setting = setting
        self.feet = feet
        fx, fy = decor.feet
        self.origin = (feet[0] - fx, feet[1] - fy)
        ox, oy = self.origin
        x0, y0, x1, y1 = decor.footprint
        self.footprint = (ox + x0, oy + y0, ox + x1, oy + y1)
        bx0, by0, bx1, by1 = body_box(decor.name, setting)
        self.body = (ox + bx0, oy + by0, ox + bx1, oy + by1)
        self.reach = None if decor.reach is None else (ox + decor.reach[0], oy + decor.reach[1])

    @property
    def picture(self):
        return self.decor.picture_name(self.setting)

    @property
    def depth(self):
        """Standing things go by their feet; flat ones lie under whatever stands on them."""
        return self.body[1] if self.decor.flat else self.feet[1]

    def __repr__(self):
        return "Placement(%s at %r)" % (self.picture, self.feet)


_BODIES = {}


def body_box(name, setting):
    """The box of a decor picture's visible pixels (its shadow left out: alpha above a half)."""
    key = (name, setting)
    if key not in _BODIES:
        image = art.BY_NAME[name].draw(art.Look(setting))
        alpha = image.getchannel("A").point(lambda a: 255 if a > 128 else 0)
        _BODIES[key] = alpha.getbbox() or (0, 0, 1, 1)
    return _BODIES[key]


class Obstacles:
    """What decor must keep clear of in one level."""

    def __init__(self, level):
        lots = level.get("lots", [])
        self.lots = [lot_rect(lot) for lot in lots]
        self.buildings = [building_rect(lot) for lot in lots]
        self.roads = [_points(r["points"]) for r in level.get("roads", [])]
        self.walkways = [_points(w["points"]) for w in level.get("walkways", [])]
        self.drives = [d for d in (drive(level, lot) for lot in lots) if d]
        self.water = [_points(w["points"]) for w in level.get("water", [])]
        self.parked = []
        for parked in level.get("parked", []):
            x, y = parked["position"]
            self.parked.append((x + PARKED_BOX[0], y + PARKED_BOX[1], x + PARKED_BOX[2],
                                y + PARKED_BOX[3]))

    def ground_clear(self, rect):
        """Whether a footprint keeps clear of lots, roads, walkways, drives and parked cars."""
        if any(overlap_area(grow(rect, CLEARANCE), lot) for lot in self.lots):
            return False
        if any(overlap_area(rect, p) for p in self.parked):
            return False
        road_half = ROAD_WIDTH / 2.0 + KERB_WIDTH + CLEARANCE
        if any(rect_line_distance(rect, road) < road_half for road in self.roads):
            return False
        walk_half = WALK_WIDTH / 2.0 + 2 + CLEARANCE
        if any(rect_line_distance(rect, walk) < walk_half for walk in self.walkways):
            return False
        drive_half = DRIVE_WIDTH / 2.0 + 2 + CLEARANCE
        return not any(rect_segment_distance(rect, a, b) < drive_half for a, b in self.drives)

    def dry(self, rect):
        return not any(rect_meets_polygon(grow(rect, CLEARANCE), w) for w in self.water)

    def wet(self, point):
        return any(point_in_polygon(point, w) for w in self.water)

    def view_clear(self, rect):
        """Whether a picture leaves the roads, the lots' buildings and the parked cars in
        sight."""
        if any(overlap_area(rect, b) for b in self.buildings):
            return False
        if any(overlap_area(rect, p) for p in self.parked):
            return False
        road_half = ROAD_WIDTH / 2.0 + KERB_WIDTH
        return not any(rect_line_distance(rect, road) < road_half for road in self.roads)


def wet_points(placement):
    """The points of a pier that lie over the water: along its middle from a little before its
    half to its far end, and beside them at the boards' edges."""
    fx, fy = placement.feet
    rx, ry = placement.reach
    length = math.hypot(rx - fx, ry - fy) or 1.0
    nx, ny = -(ry - fy) / length * PIER_HALF_WIDTH, (rx - fx) / length * PIER_HALF_WIDTH
    points = []
    for t in (PIER_WET, 0.6, 0.8, 1.0):
        x, y = fx + (rx - fx) * t, fy + (ry - fy) * t
        points += [(x, y), (x + nx, y + ny), (x - nx, y - ny)]
    return points


def _fits(placement, area_rect, obstacles, placed):
    decor = placement.decor
    x0, y0, x1, y1 = placement.body
    if x0 < 0 or y0 < 0 or x1 > SCREEN[0] or y1 > SCREEN[1]:
        return False
    fx0, fy0, fx1, fy1 = placement.footprint
    if fx0 < area_rect[0] or fy0 < area_rect[1] or fx1 > area_rect[2] or fy1 > area_rect[3]:
        return False
    if not obstacles.ground_clear(placement.footprint) or not obstacles.view_clear(placement.body):
        return False
    if not obstacles.dry(placement.footprint):
        return False
    if decor.flat and not all(obstacles.wet(p) for p in wet_points(placement)):
        return False
    for other in placed:
        if overlap_area(grow(placement.footprint, DECOR_GAP), other.footprint):
            return False
        smaller = min(area(placement.body), area(other.body))
        if overlap_area(placement.body, other.body) > MAX_COVER * smaller:
            return False
    return True


def place_decor(level):
    """The decor of a level, in the order of its areas and, within each, of placing."""
    setting = level.get("setting", 1)
    obstacles = Obstacles(level)
    placed = []
    folder = level.get("folder", "level%s" % level.get("number", ""))
    for index, decor_area in enumerate(level.get("decor_areas", [])):
        rng = random.Random(stable_seed("level decor", folder, index))
        rect = tuple(float(v) for v in decor_area["rect"])
        kinds = [k for k in decor_area.get("kinds", ["tree"]) if art.choices(k, setting)]
        for _ in range(int(decor_area.get("count", 0))):
            if not kinds:
                break
            names = art.choices(rng.choice(kinds), setting)
            found = None
            for name in _order(names, rng, placed):
                for _ in range(PLACE_TRIES):
                    feet = (round(rng.uniform(rect[0], rect[2])),
                            round(rng.uniform(rect[1], rect[3])))
                    candidate = Placement(art.BY_NAME[name], setting, feet)
                    if _fits(candidate, rect, obstacles, placed):
                        found = candidate
                        break
                if found:
                    placed.append(found)
                    break
    return placed


def _order(names, rng, placed):
    """The names to try for one piece of decor: one drawn (the repeated ones more often) first,
    unless another of them stands less often, then the others."""
    used = {n: sum(1 for p in placed if p.decor.name == n) for n in set(names)}
    first = rng.choice(names)
    if used[first] > min(used.values()) + 1:
        first = min(sorted(used), key=lambda n: used[n])
    rest = sorted(set(names) - {first})
    return [first] + rest


def picture_reference(picture):
    """The name a level's scene gives a picture of levels/common/: relative to the level's
    folder (levels/<name>/)."""
    return "../" + picture[len("levels/"):]


def decor_node(level, placements=None):
    placements = place_decor(level) if placements is None else placements
    root = Node("BaseNode", "Decor", CanBeHit=False)
    counts = {}
    for p in sorted(placements, key=lambda p: (p.depth, p.feet[0], p.decor.name)):
        counts[p.decor.name] = counts.get(p.decor.name, 0) + 1
        w, h = p.decor.size
        root.add(Node("SpriteNode", "%s%d" % (p.decor.name, counts[p.decor.name]),
                      AtlasTexture=picture_reference(p.picture),
                      Position=(p.origin[0], p.origin[1], p.depth), Bounds=(w, h, 0),
                      CanBeHit=False))
    return root


# --- Effects --------------------------------------------------------------------------------

def _vec2(a, b):
    return Prop("vector2d", (a, b))


def wave_sweep(anchor):
    """The water a spawner's waves cover from their birth to the end of their drift."""
    ax, ay = anchor
    w, h = effect_art.WAVE_SIZE
    drift = WAVE_VELOCITY * WAVE_LIFE[1] / 1000.0
    sx, sy = WAVE_SPREAD
    return (ax - sx - drift, ay - sy, ax + sx + w, ay + sy + h + 6)


def wave_anchors(level):
    """Where the wave spawners stand: spread over the water, each where its waves stay on it."""
    rng = random.Random(stable_seed("level waves", level.get("folder", "")))
    anchors = []
    for water in level.get("water", []):
        if water.get("kind") not in WATER_KINDS:
            continue
        polygon = _points(water["points"])
        xs, ys = [p[0] for p in polygon], [p[1] for p in polygon]
        sx, sy = WAVE_SPACING
        found = []
        y = max(min(ys), PLAYFIELD[0]) + sy / 2.0
        row = 0
        while y < min(max(ys), PLAYFIELD[1]):
            x = max(min(xs), 0) + (sx / 2.0 if row % 2 else 0.0) + sx / 2.0
            while x < min(max(xs), SCREEN[0]):
                anchor = (round(x + rng.uniform(-12, 12)), round(y + rng.uniform(-6, 6)))
                sweep = wave_sweep(anchor)
                if sweep[0] >= 0 and sweep[2] <= SCREEN[0] and rect_in_polygon(sweep, polygon):
                    found.append(anchor)
                x += sx
            y += sy
            row += 1
        rng.shuffle(found)
        anchors += found
    return sorted(anchors[:MAX_WAVES], key=lambda a: (a[1], a[0]))


def waves_node(level):
    root = Node("BaseNode", "LakeWaves", Position=(0, 0, WAVE_DEPTH), CanBeHit=False)
    for i, (x, y) in enumerate(wave_anchors(level)):
        root.add(Node("SpawnerNode", "LakeWave%d" % (i + 1), Position=(x, y, 0), CanBeHit=False,
                      ObjTemplate=WAVE_TEMPLATE, Enabled=True,
                      ObjectsSpawnStartDelayRange=_vec2(*WAVE_HEAD_START),
                      ObjectsPerSecRange=_vec2(WAVE_RATE, WAVE_RATE),
                      ObjectsLifeTimeRange=_vec2(*WAVE_LIFE),
                      ObjectsXDeltaRange=_vec2(-WAVE_SPREAD[0], WAVE_SPREAD[0]),
                      ObjectsYDeltaRange=_vec2(-WAVE_SPREAD[1], WAVE_SPREAD[1])))
    return root


def birds_node(level):
    rng = random.Random(stable_seed("level birds", level.get("folder", "")))
    x, y = rng.randint(300, 724), rng.randint(180, 300)
    root = Node("BaseNode", "Birds", Position=(0, 0, BIRD_DEPTH), CanBeHit=False)
    root.add(Node("BaseNode", "CircularBird1", class_override="OnceSpawnerNode",
                  Position=(x, y, 0), CanBeHit=False,
                  ObjTemplateIDs=Prop("string", BIRD_TEMPLATE),
                  ShowLevelPercent=Prop("int", 100)))
    return root


def balloons_node(level):
    root = Node("BaseNode", "Balloons", Position=(SCREEN[0] / 2.0, PLAYFIELD[1], BALLOON_DEPTH),
                CanBeHit=False)
    root.add(Node("SpawnerNode", "BalloonSpawner", CanBeHit=False,
                  ObjTemplate=";".join(BALLOON_TEMPLATES), Enabled=True,
                  ObjectsSpawnStartDelayRange=_vec2(*BALLOON_HEAD_START),
                  ObjectsPerSecRange=_vec2(*BALLOON_RATE),
                  ObjectsLifeTimeRange=_vec2(*BALLOON_LIFE),
                  ObjectsXDeltaRange=_vec2(-420, 420), ObjectsYDeltaRange=_vec2(-10, 30)))
    return root


def fireworks_node(level):
    root = Node("BaseNode", "Fireworks", Position=(SCREEN[0] / 2.0, 600, FIREWORK_DEPTH),
                CanBeHit=False)
    root.add(Node("SpawnerNode", "FireworkSpawner", CanBeHit=False,
                  ObjTemplate=";".join(FIREWORK_TEMPLATES), Enabled=True,
                  ObjectsPerSecRange=_vec2(*FIREWORK_RATE),
                  ObjectsXDeltaRange=_vec2(-380, 380), ObjectsYDeltaRange=_vec2(-30, 30)))
    return root


EFFECTS = (("lake", waves_node), ("birds", birds_node), ("balloons", balloons_node),
           ("fireworks", fireworks_node))


def check(level):
    """Refuses decor a level could not show."""
    wanted = level.get("decor", [])
    unknown = [d for d in wanted if d not in dict(EFFECTS)]
    if unknown:
        raise ValueError("%s: no decor effect %s (known: %s)"
                         % (level.get("folder"), ", ".join(unknown), ", ".join(dict(EFFECTS))))
    for decor_area in level.get("decor_areas", []):
        bad = [k for k in decor_area.get("kinds", []) if k not in art.KINDS]
        if bad:
            raise ValueError("%s: no decor kind %s (known: %s)"
                             % (level.get("folder"), ", ".join(bad), ", ".join(art.KINDS)))
        x0, y0, x1, y1 = decor_area["rect"]
        if not (x0 < x1 and y0 < y1):
            raise ValueError("%s: a decor area's rect runs x0, y0, x1, y1" % level.get("folder"))
    for water in level.get("water", []):
        if water.get("kind") not in WATER_KINDS or len(water.get("points", [])) < 3:
            raise ValueError("%s: water needs a kind (%s) and three points or more"
                             % (level.get("folder"), ", ".join(WATER_KINDS)))


def scene_nodes(level):
    """The decor nodes of a level's scene, for its root, in a fixed order."""
    check(level)
    nodes = [decor_node(level)]
    wanted = level.get("decor", [])
    for name, make in EFFECTS:
        if name in wanted:
            nodes.append(make(level))
    return nodes


# --- The ground -----------------------------------------------------------------------------

def _to_canvas(image):
    """A cairo canvas holding an opaque Pillow image."""
    canvas = Canvas(*image.size)
    rgba = np.asarray(image.convert("RGBA"))
    bgra = np.ascontiguousarray(rgba[..., [2, 1, 0, 3]])
    source = cairo.ImageSurface.create_for_data(bytearray(bgra.tobytes()), cairo.FORMAT_ARGB32,
                                                image.size[0], image.size[1],
                                                image.size[0] * 4)
    canvas.ctx.set_source_surface(source, 0, 0)
    canvas.ctx.paint()
    return canvas


def _byte(colour):
    return tuple(int(round(c * 255)) for c in colour[:3])


def _base(level, rng):
    """The setting's ground, mottled with its shade and speckled with flowers or leaves."""
    setting = level.get("setting", 1)
    colour, mottle, speckles = GROUNDS[setting]
    image = Image.new("RGB", SCREEN, _byte(colour))
    draw = ImageDraw.Draw(image)
    for _ in range(240):
        x, y = rng.uniform(-40, SCREEN[0] + 40), rng.uniform(-40, SCREEN[1] + 40)
        r = rng.uniform(16, 52)
        draw.ellipse((x - r, y - r * 0.55, x + r, y + r * 0.55), fill=_byte(mottle))
    if setting == 2:  # sandy patches between the grass
        for _ in range(26):
            x, y = rng.uniform(0, SCREEN[0]), rng.uniform(0, SCREEN[1])
            r = rng.uniform(30, 70)
            draw.ellipse((x - r, y - r * 0.5, x + r, y + r * 0.5), fill=_byte(Palette.SAND))
    image = image.filter(ImageFilter.GaussianBlur(12))
    draw = ImageDraw.Draw(image)
    for _ in range(700 if setting == 3 else 420):
        x, y = rng.uniform(0, SCREEN[0]), rng.uniform(0, SCREEN[1])
        if setting == 3:
            r = rng.uniform(1.6, 3.2)
            draw.ellipse((x - r, y - r * 0.6, x + r, y + r * 0.6),
                         fill=_byte(rng.choice(speckles)))
        elif setting == 4:
            draw.ellipse((x - 6, y - 2, x + 6, y + 2), fill=_byte(Palette.WHITE))
        else:  # a tuft of grass, now and then a flower
            dark = _byte(shade(mottle, -0.12))
            draw.line((x - 2, y, x - 3, y - 4), fill=dark, width=1)
            draw.line((x + 1, y, x + 2, y - 5), fill=dark, width=1)
            if rng.random() < 0.25:
                draw.ellipse((x - 1.6, y - 7.6, x + 1.6, y - 4.4),
                             fill=_byte(rng.choice(speckles)))
    return image


def _path(canvas, points):
    ctx = canvas.ctx
    ctx.new_path()
    ctx.move_to(*points[0])
    for p in points[1:]:
        ctx.line_to(*p)


def _stroke(canvas, points, width, colour, alpha=1.0):
    ctx = canvas.ctx
    _path(canvas, points)
    ctx.set_line_width(width)
    ctx.set_line_cap(cairo.LINE_CAP_ROUND)
    ctx.set_line_join(cairo.LINE_JOIN_ROUND)
    ctx.set_source_rgba(*colour[:3], alpha)
    ctx.stroke()


def _water(canvas, level):
    setting = level.get("setting", 1)
    ctx = canvas.ctx
    bodies = [(w.get("kind", "lake"), _points(w["points"])) for w in level.get("water", [])]
    # the shore: sand (a beach by the sea), frozen in winter
    for kind, polygon in bodies:
        band = SHORE.get(kind, 10)
        canvas.polygon(polygon)
        ctx.set_line_join(cairo.LINE_JOIN_ROUND)
        shore = Palette.SNOW_SHADE if setting == 4 else Palette.SAND
        ctx.set_source_rgb(*shore)
        ctx.set_line_width(band * 2.0)
        ctx.stroke_preserve()
        ctx.fill()
    for kind, polygon in bodies:
        xs, ys = [p[0] for p in polygon], [p[1] for p in polygon]
        box = (min(xs), min(ys), max(xs) - min(xs), max(ys) - min(ys))
        water = shade(Palette.WATER, -0.08) if setting == 4 else Palette.WATER
        canvas.polygon(polygon)
        canvas.lit_fill(water, box)
        # the foam (or the ice) along the shore, inside the water
        ctx.save()
        ctx.clip_preserve()
        ctx.set_line_width(16.0 if setting == 4 else 9.0)
        ctx.set_line_join(cairo.LINE_JOIN_ROUND)
        ctx.set_source_rgba(*(ICE if setting == 4 else Palette.FOAM), 0.9)
        ctx.stroke_preserve()
        ctx.restore()
        canvas.outline(Style.OUTLINE)


def _line_at(points, distance):
    """The point at a distance along a polyline (None past its end)."""
    for a, b in zip(points, points[1:]):
        length = math.hypot(b[0] - a[0], b[1] - a[1])
        if distance <= length and length > 0:
            t = distance / length
            return (a[0] + (b[0] - a[0]) * t, a[1] + (b[1] - a[1]) * t)
        distance -= length
    return None


def _length(points):
    return sum(math.hypot(b[0] - a[0], b[1] - a[1]) for a, b in zip(points, points[1:]))


def _roads(canvas, level, rng):
    setting = level.get("setting", 1)
    roads = [_points(r["points"]) for r in level.get("roads", [])]
    kerb = Palette.SNOW if setting == 4 else Palette.KERB
    width = ROAD_WIDTH + 2 * KERB_WIDTH
    for road in roads:
        _stroke(canvas, road, width + 2 * Style.OUTLINE, Palette.OUTLINE)
    for road in roads:
        _stroke(canvas, road, width, kerb)
    for road in roads:
        _stroke(canvas, road, ROAD_WIDTH, Palette.ROAD)
    # the dashed centre lines, left out where another road joins or crosses
    dash, gap = 18.0, 16.0
    for index, road in enumerate(roads):
        others = [r for i, r in enumerate(roads) if i != index]
        total, at = _length(road), 8.0
        while at + dash <= total:
            a, b = _line_at(road, at), _line_at(road, at + dash)
            middle = _line_at(road, at + dash / 2.0)
            if not any(closest_on(o, middle)[0] < ROAD_WIDTH / 2.0 + dash for o in others):
                _stroke_butt(canvas, [a, middle, b], 3.0, Palette.MARKING)
            at += dash + gap
    if setting == 4:  # snow heaped along the kerbs
        for road in roads:
            total, at = _length(road), rng.uniform(0, 20)
            while at < total:
                p = _line_at(road, at)
                q = _line_at(road, min(total, at + 1.0)) or p
                dx, dy = q[0] - p[0], q[1] - p[1]
                length = math.hypot(dx, dy) or 1.0
                nx, ny = -dy / length, dx / length
                for side in (-1, 1):
                    r = rng.uniform(4, 7)
                    cx = p[0] + nx * side * (ROAD_WIDTH / 2.0 + 1)
                    cy = p[1] + ny * side * (ROAD_WIDTH / 2.0 + 1)
                    canvas.ctx.new_path()
                    canvas.ctx.arc(cx, cy, r, 0, 2 * math.pi)
                    canvas.fill(Palette.WHITE, alpha=0.85, preserve=False)
                at += rng.uniform(10, 22)


def _stroke_butt(canvas, points, width, colour):
    ctx = canvas.ctx
    _path(canvas, points)
    ctx.set_line_width(width)
    ctx.set_line_cap(cairo.LINE_CAP_BUTT)
    ctx.set_source_rgb(*colour[:3])
    ctx.stroke()


def _walkways(canvas, level):
    setting = level.get("setting", 1)
    paving = Palette.SNOW_SHADE if setting == 4 else PAVING
    walks = [_points(w["points"]) for w in level.get("walkways", [])]
    for walk in walks:
        _stroke(canvas, walk, WALK_WIDTH + 4, shade(Palette.KERB, -0.1))
    for walk in walks:
        _stroke(canvas, walk, WALK_WIDTH, paving)


def _drives_and_pads(canvas, level):
    drives = [d for d in (drive(level, lot) for lot in level.get("lots", [])) if d]
    for a, b in drives:
        _stroke(canvas, [a, b], DRIVE_WIDTH + 4, shade(Palette.KERB, -0.1))
    for a, b in drives:
        _stroke(canvas, [a, b], DRIVE_WIDTH, DRIVE)
    for lot in level.get("lots", []):
        x, y = lot["position"]
        w, h = LOT_SIZE
        canvas.rounded_rect(x - 5, y - 5, w + 10, h + 10, 12)
        canvas.lit_fill(Palette.SNOW_SHADE if level.get("setting", 1) == 4 else LOT_PAD,
                        (x - 5, y - 5, w + 10, h + 10))
        canvas.outline(1.5, shade(LOT_PAD, -0.35))


def ground(level):
    """The level's ground picture (1024 x 768, RGB), the same on every run."""
    rng = random.Random(stable_seed("level ground", level.get("folder", ""),
                                    level.get("setting", 1)))
    canvas = _to_canvas(_base(level, rng))
    _water(canvas, level)
    _walkways(canvas, level)
    _drives_and_pads(canvas, level)
    _roads(canvas, level, rng)
    return canvas.image().convert("RGB")
