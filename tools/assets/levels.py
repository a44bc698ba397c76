"""The levels: each folder written from one TOML description under tools/assets/levels/.

A description gives what a designer chooses: the lots (name, place, initial type, owned,
luckiness), the start values, "DayLength", the building types on offer, the
objectives, the requests, the roads and walkways, the backdrop's ground and its decor. What
follows from them is derived here, never written by hand:
- a car path per lot, named by the lot, from where its road enters the screen to the lot's front
  (its Position plus (70, 40)), for the vehicles of the lot's building work;
- "NeutralCar" paths along the roads (one per lane) for the passing cars;
- pedestrian paths along the walkways, usable both ways, with the walkers' sideways spread;
- the scene file: the backdrop, the lots under "Buildings", the vehicle layer "CargosNode", the
  parked cars (a OnceSpawnerNode each: on some loads a car of the list stands there), a
  walker spawner two levels below the level scene (the walkers find their level as their third
  ancestor) and a bird spawner.
A folder gets "Level.oscn", "LevelConfiguration.xml", "LevelPaths.xml" and "Backdrop.jpg"; the
tutorials of a level are not this generator's.

Descriptions: levels/campaign/levelNN.toml -> assets/levels/levelN/; levels/bench.toml ->
bench/levels/bench/ (the benchmark's level lives only beside the benchmark).
"""
import glob
import math
import os
import random
import tomllib

from PIL import Image, ImageDraw, ImageFilter

from . import movertemplates
from .art.kit import Palette
from .common import ASSETS, PACKAGE, REPO, Output, element, escape, fmt_float, stable_seed
from .registry import Module
from .scene import Node, Prop, properties_element, scene_text

DESCRIPTIONS = "tools/assets/levels"
SCREEN = (1024, 768)
LOT_SIZE = (135, 60)
LOT_FRONT = (70, 40)
LANE_OFFSET = 8.0
ROAD_WIDTH = 44
WALK_WIDTH = 14
WALKER_SPREAD = 4.0
BIRD_SPREAD = (0.02, 0.05)
WALKER_RATE = (0.08, 0.16)


def load(path):
    with open(path, "rb") as f:
        return tomllib.load(f)


def campaign_files():
    return sorted(glob.glob(os.path.join(PACKAGE, "levels", "campaign", "level*.toml")))


def target_folder(path):
    """The folder a description writes, relative to the repository."""
    name = os.path.splitext(os.path.basename(path))[0]
    if name == "bench":
        return "bench/levels/bench"
    number = int(name[len("level"):])
    return "%s/levels/level%d" % (ASSETS, number)


# --- Geometry -------------------------------------------------------------------------------

def _closest_on(points, target):
    """The segment index and the point of a polyline closest to the target."""
    best = None
    for i in range(len(points) - 1):
        (ax, ay), (bx, by) = points[i], points[i + 1]
        dx, dy = bx - ax, by - ay
        length2 = dx * dx + dy * dy
        t = 0.0 if length2 == 0 else max(0.0, min(1.0, ((target[0] - ax) * dx +
                                                        (target[1] - ay) * dy) / length2))
        p = (ax + dx * t, ay + dy * t)
        d = math.hypot(p[0] - target[0], p[1] - target[1])
        if best is None or d < best[0]:
            best = (d, i, p)
    return best


def _offset(points, amount):
    """The polyline moved sideways (to the right of its direction on the screen) by the amount."""
    out = []
    n = len(points)
    for i, (x, y) in enumerate(points):
        a = points[max(0, i - 1)]
        b = points[min(n - 1, i + 1)]
        dx, dy = b[0] - a[0], b[1] - a[1]
        length = math.hypot(dx, dy) or 1.0
        out.append((x - dy / length * amount, y + dx / length * amount))
    return out


def _rounded(points):
    return [(round(x, 1), round(y, 1)) for x, y in points]


def lot_front(lot):
    return (lot["position"][0] + LOT_FRONT[0], lot["position"][1] + LOT_FRONT[1])


def lot_path(description, lot):
    """The way from the entry of the road nearest to the lot to the lot's front."""
    front = lot_front(lot)
    best = None
    for road in description["roads"]:
        found = _closest_on(road["points"], front)
        if best is None or found[0] < best[0][0]:
            best = (found, road)
    (_, index, point), road = best
    points = [tuple(p) for p in road["points"][:index + 1]] + [point, front]
    cleaned = []
    for p in points:
        if not cleaned or math.hypot(p[0] - cleaned[-1][0], p[1] - cleaned[-1][1]) > 0.5:
            cleaned.append(p)
    return _rounded(cleaned)


def neutral_paths(description):
    """One path per lane of each road: along it on the right-hand lane, and back on the other
    when the road is two-way."""
    paths = []
    for road in description["roads"]:
        points = [tuple(p) for p in road["points"]]
        time = road.get("time", [3000, 6000])
        cars = road.get("cars", list(movertemplates.CAR_TEMPLATES))
        paths.append((_rounded(_offset(points, LANE_OFFSET)), time, cars))
        if road.get("two_way", True):
            back = list(reversed(points))
            paths.append((_rounded(_offset(back, LANE_OFFSET)), time, cars))
    return paths


# --- Files ----------------------------------------------------------------------------------

def _point_line(x, y, d1=0.0, d2=0.0):
    attributes = [("p", "%s;%s" % (fmt_float(x), fmt_float(y)))]
    if d1 or d2:
        attributes += [("d1", fmt_float(d1)), ("d2", fmt_float(d2))]
    return "\t\t\t" + element("p", attributes)


def _path_lines(points, attributes, deviation=0.0):
    lines = ["\t\t" + element("Path", attributes, empty=False)]
    lines += [_point_line(x, y, deviation, deviation) for x, y in points]
    lines.append("\t\t</Path>")
    return lines


def paths_text(description):
    lines = ["<LevelPaths>", "\t<CarPaths>"]
    for lot in description["lots"]:
        lines += _path_lines(lot_path(description, lot), [("ID", lot["name"])])
    for points, time, cars in neutral_paths(description):
        lines += _path_lines(points, [("ID", "NeutralCar"), ("Time", "%d;%d" % tuple(time)),
                                      ("Cars", ";".join(cars))])
    lines += ["\t</CarPaths>", "\t<PedestrianPaths>"]
    for walk in description.get("walkways", []):
        lines += _path_lines([tuple(p) for p in walk["points"]], [("b", "1")],
                             walk.get("spread", WALKER_SPREAD))
    lines += ["\t</PedestrianPaths>", "</LevelPaths>"]
    return "\n".join(lines) + "\n"


def configuration_text(description):
    start = description["start"]
    props = [
        ("Name", Prop("stringw", str(description["name"]))),
        ("Description", Prop("stringw", description.get("description", ""))),
        ("SettingIndex", Prop("int", description.get("setting", 1))),
        ("AvailableBuildingsForBuild", Prop("string", ";".join(description["allowed"]))),
        ("DayLength", Prop("int", description.get("DayLength", 60))),
        ("InitMoney", Prop("float", start["money"])),
        ("InitRating", Prop("float", start.get("rating", 0))),
        ("InitMaterialsCount", Prop("float", start.get("materials", 0))),
        ("InitWorkersCount", Prop("int", start.get("workers", 0))),
    ]
    for key in ("IncomeBonus1", "IncomeBonus2"):
        if key in start:
            props.append((key, Prop("float", start[key])))
    if "unlock" in description:
        props.append(("UnlockLevels", Prop("string", ";".join(description["unlock"]))))
    for key in ("IsSellOn", "IsClockOn"):
        if key in description:
            props.append((key, Prop("bool", description[key])))
    lines = ["<Level>"] + properties_element(props, 1) + ["\t<Objectives>"]
    for objective in description.get("objectives", []):
        attributes = [("Type", objective["type"])]
        attributes += [(k, _attribute(v)) for k, v in objective.items() if k != "type"]
        lines.append("\t\t" + element("Objective", attributes))
    lines.append("\t</Objectives>")
    lines.append("\t<RandomEvents>")
    for request in description.get("requests", []):
        attributes = [("Type", request["type"])]
        attributes += [(k, _attribute(v)) for k, v in request.items() if k != "type"]
        lines.append("\t\t" + element("Event", attributes))
    lines.append("\t</RandomEvents>")
    lines.append("</Level>")
    return "\n".join(lines) + "\n"


def _attribute(value):
    if isinstance(value, bool):
        return "true" if value else "false"
    if isinstance(value, (list, tuple)):
        return ";".join(_attribute(v) for v in value)
    if isinstance(value, float):
        return fmt_float(value)
    return str(value)


def scene(description):
    root = Node("GGameLevelScene", "Level", Bounds=Prop("vector3d", (SCREEN[0], SCREEN[1], 0)))
    root.add(Node("SpriteNode", "Backdrop", Position=(0, 0, -10000),
                  AtlasTexture=Prop("atlasTexture", "Backdrop.jpg"), CanBeHit=False))
    lots = root.add(Node("ControlNode", "Buildings", CanBeHit=False))
    for lot in description["lots"]:
        props = dict(TemplateName=Prop("string", lot["type"]),
                     Position=(lot["position"][0], lot["position"][1], 0),
                     Bounds=Prop("vector3d", (LOT_SIZE[0], LOT_SIZE[1], 0)))
        node = Node("GBuildingNode", lot["name"], **props)
        if lot.get("owned", False):
            node.set("IsOwnedByThePlayer", Prop("bool", True))
        if lot.get("luckiness", 0):
            node.set("LuckinessType", Prop("int", lot["luckiness"]))
        lots.add(node)
    root.add(Node("BaseNode", "CargosNode", CanBeHit=False))
    for index, parked in enumerate(description.get("parked", [])):
        x, y = parked["position"]
        root.add(Node("BaseNode", "ParkedCar%d" % (index + 1), class_override="OnceSpawnerNode",
                      Position=(x, y, parked.get("depth", 0)), CanBeHit=False,
                      ObjTemplateIDs=Prop("string", ";".join(parked["cars"])),
                      ObjState=Prop("string", ";".join(parked["states"])),
                      ShowLevelPercent=Prop("int", parked.get("percent", 50))))
    walkers = root.add(Node("BaseNode", "Walkers", CanBeHit=False))
    if description.get("walkways"):
        walkers.add(Node("SpawnerNode", "WalkerSpawner", CanBeHit=False,
                         ObjTemplate=Prop("string", ";".join(movertemplates.WALKER_TEMPLATES)),
                         Enabled=Prop("bool", True),
                         ObjectsPerSecRange=Prop("vector2d", description.get("walker_rate",
                                                                             WALKER_RATE))))
    sky = root.add(Node("BaseNode", "Sky", Position=(0, 0, 5000), CanBeHit=False))
    sky.add(Node("SpawnerNode", "BirdSpawner", CanBeHit=False,
                 ObjTemplate=Prop("string", movertemplates.BIRD_TEMPLATE),
                 Enabled=Prop("bool", True),
                 ObjectsPerSecRange=Prop("vector2d", BIRD_SPREAD)))
    return root


# --- The backdrop ---------------------------------------------------------------------------

GROUNDS = {"grass": (Palette.GRASS, Palette.GRASS_SHADE), "autumn": (Palette.AUTUMN,
                                                                    Palette.AUTUMN_SHADE),
           "snow": (Palette.SNOW, Palette.SNOW_SHADE), "sand": (Palette.SAND, Palette.GRASS)}


def _rgb(colour):
    return tuple(int(round(c * 255)) if isinstance(c, float) else int(c) for c in colour[:3])


def _line(draw, points, width, fill):
    pts = [tuple(p) for p in points]
    draw.line(pts, fill=fill, width=width, joint="curve")
    r = width / 2.0
    for x, y in (pts[0], pts[-1]):
        draw.ellipse((x - r, y - r, x + r, y + r), fill=fill)


def backdrop(description, name):
    rng = random.Random(stable_seed("level backdrop", name))
    ground, shade_colour = (_rgb(c) for c in GROUNDS[description.get("backdrop", {})
                                                     .get("ground", "grass")])
    image = Image.new("RGB", SCREEN, ground)
    draw = ImageDraw.Draw(image)
    # mottled ground
    for _ in range(260):
        x, y = rng.uniform(0, SCREEN[0]), rng.uniform(0, SCREEN[1])
        r = rng.uniform(14, 46)
        draw.ellipse((x - r, y - r * 0.55, x + r, y + r * 0.55), fill=shade_colour)
    image = image.filter(ImageFilter.GaussianBlur(10))
    draw = ImageDraw.Draw(image)
    kerb, road, marking = _rgb(Palette.KERB), _rgb(Palette.ROAD), _rgb(Palette.MARKING)
    for walk in description.get("walkways", []):
        _line(draw, walk["points"], WALK_WIDTH + 4, kerb)
        _line(draw, walk["points"], WALK_WIDTH, (222, 206, 172))
    for r in description["roads"]:
        _line(draw, r["points"], ROAD_WIDTH + 8, kerb)
    for r in description["roads"]:
        _line(draw, r["points"], ROAD_WIDTH, road)
    for r in description["roads"]:
        pts = r["points"]
        for i in range(len(pts) - 1):
            (ax, ay), (bx, by) = pts[i], pts[i + 1]
            length = math.hypot(bx - ax, by - ay)
            steps = int(length // 36)
            for s in range(steps):
                t0, t1 = s / max(steps, 1), (s + 0.5) / max(steps, 1)
                draw.line((ax + (bx - ax) * t0, ay + (by - ay) * t0,
                           ax + (bx - ax) * t1, ay + (by - ay) * t1), fill=marking, width=3)
    # drives from the roads to the lots
    for lot in description["lots"]:
        path = lot_path(description, lot)
        _line(draw, path[-2:], 18, (196, 190, 180))
        x, y = lot["position"]
        draw.rounded_rectangle((x - 4, y - 4, x + LOT_SIZE[0] + 4, y + LOT_SIZE[1] + 4), 10,
                               fill=(214, 200, 160))
    # decor: trees and bushes where nothing else stands
    decor = description.get("backdrop", {}).get("decor", 40)
    blocked = []
    for lot in description["lots"]:
        x, y = lot["position"]
        blocked.append((x - 30, y - 130, x + LOT_SIZE[0] + 30, y + LOT_SIZE[1] + 20))
    placed = 0
    tries = 0
    while placed < decor and tries < decor * 40:
        tries += 1
        x, y = rng.uniform(10, SCREEN[0] - 10), rng.uniform(90, SCREEN[1] - 20)
        if any(a <= x <= c and b <= y <= d for a, b, c, d in blocked):
            continue
        if _near_any(description, x, y):
            continue
        r = rng.uniform(9, 17)
        draw.ellipse((x - r + 3, y - r * 0.4 + r * 0.9, x + r + 3, y + r * 0.4 + r * 0.9),
                     fill=tuple(int(c * 0.75) for c in ground))
        leaf = rng.choice([(86, 160, 70), (70, 140, 60), (104, 176, 82)])
        draw.ellipse((x - r, y - r, x + r, y + r), fill=leaf, outline=(58, 42, 30), width=2)
        draw.ellipse((x - r * 0.5, y - r * 0.7, x + r * 0.1, y - r * 0.1),
                     fill=tuple(min(255, c + 30) for c in leaf))
        blocked.append((x - r, y - r, x + r, y + r))
        placed += 1
    return image


def _near_any(description, x, y):
    for r in description["roads"]:
        if _closest_on([tuple(p) for p in r["points"]], (x, y))[0] < ROAD_WIDTH / 2 + 22:
            return True
    for w in description.get("walkways", []):
        if _closest_on([tuple(p) for p in w["points"]], (x, y))[0] < WALK_WIDTH / 2 + 18:
            return True
    return False


# --- The module -----------------------------------------------------------------------------

def check(description, where):
    """Refuses a description the game could not use."""
    names = [lot["name"] for lot in description["lots"]]
    if len(names) != len(set(names)):
        raise ValueError("%s: lot names repeat" % where)
    if not description.get("roads"):
        raise ValueError("%s: a level needs a road" % where)
    for road in description["roads"]:
        if len(road["points"]) < 2:
            raise ValueError("%s: a road needs two points" % where)
        for car in road.get("cars", []):
            if car not in movertemplates.CAR_TEMPLATES:
                raise ValueError("%s: no car template %s" % (where, car))
    for parked in description.get("parked", []):
        for car in parked["cars"]:
            if car not in movertemplates.CAR_TEMPLATES:
                raise ValueError("%s: no car template %s" % (where, car))
        if not parked["states"] or not 0 <= parked.get("percent", 50) <= 100:
            raise ValueError("%s: a parked car needs a state and a chance of 0 to 100" % where)
    for walk in description.get("walkways", []):
        if len(walk["points"]) < 2:
            raise ValueError("%s: a walkway needs two points" % where)


def level_files(path):
    """The files of one description, by repository-relative path."""
    description = load(path)
    check(description, os.path.relpath(path, REPO))
    folder = target_folder(path)
    out = Output()
    out.add_xml(folder + "/Level.oscn", scene_text(scene(description)))
    out.add_xml(folder + "/LevelConfiguration.xml", configuration_text(description))
    out.add_xml(folder + "/LevelPaths.xml", paths_text(description))
    out.add_jpeg(folder + "/Backdrop.jpg", backdrop(description, folder))
    return out


def description_files():
    return campaign_files() + [os.path.join(PACKAGE, "levels", "bench.toml")]


def build():
    out = Output()
    for path in description_files():
        out.update(level_files(path))
    return out


MODULE = Module("levels", build, __file__, inputs=[DESCRIPTIONS + "/**/*.toml"],
                outputs=[ASSETS + "/levels/level*/Level.oscn",
                         ASSETS + "/levels/level*/LevelConfiguration.xml",
                         ASSETS + "/levels/level*/LevelPaths.xml",
                         ASSETS + "/levels/level*/Backdrop.jpg", "bench/levels/bench/*"])
