"""The levels: each folder written from a level description (see campaign.py for the
descriptions, their town layouts and the short forms of their objectives and requests).

What follows from a description is derived here, never written by hand:
- "Name" (the level's number), "SettingIndex" (its region's), "UnlockLevels" (the next level),
  the description's and the objectives' text keys;
- a car path per lot, named by the lot, from where its road enters the screen to the lot's front
  (its Position plus (70, 40)), for the vehicles of the lot's building work;
- "NeutralCar" paths along the roads (one per lane) for the passing cars;
- pedestrian paths along the walkways, usable both ways, with the walkers' sideways spread;
- the scene file: the ground picture, the lots under "Buildings", the vehicle layer "CargosNode",
  the parked cars (a OnceSpawnerNode each: on some loads a car of the list stands there), a
  walker spawner two levels below the level scene (the walkers find their level as their third
  ancestor), a bird spawner and the decor of the town (leveldecor.py);
- the ground picture in the setting's palette (leveldecor.py).
A folder gets "Level.oscn", "LevelConfiguration.xml", "LevelPaths.xml" and "Backdrop.jpg". The
tutorials of a level are not this generator's, but a description that drops a lot or a type its
level's tutorial needs is refused, and so is one whose objectives need a type or a feature the
upgrades a player owns at the level do not allow (a player owns the free upgrades and those
some level up to this one requires).

Descriptions: levels/campaign/levelNN.toml -> assets/levels/levelN/; levels/bench.toml ->
bench/levels/bench/ (the benchmark's level lives only beside the benchmark; its town is written
in its description).
"""
import math
import os
import xml.etree.ElementTree as ET

from . import buildings, campaign, leveldecor, movertemplates, tutoriallint, upgrades
from .common import ASSETS, PACKAGE, REPO, Output, element, fmt_float
from .registry import Module
from .scene import Node, Prop, properties_element, scene_text


DESCRIPTIONS = "tools/assets/levels"
BENCH = os.path.join(PACKAGE, "levels", "bench.toml")
SCREEN = campaign.SCREEN
LOT_SIZE = campaign.LOT_SIZE
LOT_FRONT = (70, 40)
LANE_OFFSET = 8.0
WALKER_SPREAD = 4.0
BIRD_SPREAD = (0.02, 0.05)
WALKER_RATE = (0.08, 0.16)
TUTORIAL = "levels/level%d/Tutorial.xml"
BENCH_KEYS = {"name", "setting", "DayLength", "allowed", "start", "lots", "roads", "walkways"}


def campaign_files():
    return campaign.description_files()


def target_folder(path):
    """The folder a description writes, relative to the repository."""
    if os.path.abspath(path) == os.path.abspath(BENCH):
        return "bench/levels/bench"
    return "%s/levels/level%d" % (ASSETS, campaign.number_of(path))


def bench_level(path):
    """The benchmark's level: a description that holds its own town, lots with what stands on
    them, and no objectives."""
    description = campaign.load_toml(path)
    where = os.path.relpath(path, REPO)
    unknown = sorted(set(description) - BENCH_KEYS)
    if unknown:
        raise campaign.DescriptionError("%s: unknown keys %s" % (where, ", ".join(unknown)))
    town = {k: description[k] for k in ("roads", "walkways") if k in description}
    town["lots"] = [{"name": lot["name"], "position": lot["position"]}
                    for lot in description["lots"]]
    campaign.check_town(town, where)
    made = dict(description)
    made.update({
        "number": 0, "folder": "bench/levels/bench", "description": "",
        "lots": [{"name": lot["name"], "position": list(lot["position"]),
                  "type": lot.get("type", campaign.PLACE_TYPE), "owned": lot.get("owned", False),
                  "luckiness": lot.get("luckiness", 0)} for lot in description["lots"]],
        "walkways": description.get("walkways", []), "water": [], "decor_areas": [],
        "parked": [], "decor": [], "objectives": [], "requests": [], "unlock": [],
    })
    return made


def level_of(path):
    """The merged level of a description, checked against the upgrades and its tutorial."""
    if os.path.abspath(path) == os.path.abspath(BENCH):
        return bench_level(path)
    made = campaign.level(path)
    check_ownership(made)
    check_tutorial(made)
    return made


def load(path):
    return level_of(path)


# --- What a player owns at a level ----------------------------------------------------------

def owned_upgrades(number):
    """The upgrades the campaign expects a player to own at regular level `number`: the free
    ones and those a level up to this one requires, as far as they apply there (Level below
    the level's number)."""
    return [u for u in upgrades.UPGRADES
            if u[1] <= number - 1 and (u[2] == 0 or (u[6] is not None and u[6] <= number))]


def check_ownership(made):
    """Every type an objective needs is allowed by the owned upgrades, every feature it uses is
    one of the type's and allowed."""
    where = "%s/level%02d.toml" % (campaign.DESCRIPTIONS, made["number"])
    owned = owned_upgrades(made["number"])
    allowed = {name for u in owned for name in u[3]}
    features = {pair for u in owned for pair in u[4]}
    counts = {b["Name"]: len(b.get("features", [])) for b in buildings.catalogue()}
    for objective in made["objectives"]:
        for type_name in campaign.objective_types(objective):
            if type_name not in allowed:
                raise campaign.DescriptionError(
                    "%s: objective %r needs %s, which no upgrade owned at level %d allows"
                    % (where, objective["goal"], type_name, made["number"]))
        used = []
        if objective["Type"] == "HaveConcurrentFeatures":
            used = [(t, i + 1) for t, i in zip(objective["BuildingTypes"],
                                               objective["FeatureIndices"])]
        elif objective.get("Action") in (5, 6, 7):
            used = [(t, objective["Action"] - 4) for t in objective["BuildingTypes"]]
        for type_name, number in used:
            if number > counts.get(type_name, 0):
                raise campaign.DescriptionError("%s: objective %r: %s has no feature %d"
                                                % (where, objective["goal"], type_name, number))
            if number > 1 and (type_name, number) not in features:
                raise campaign.DescriptionError(
                    "%s: objective %r: feature %d of %s needs an upgrade not owned at level %d"
                    % (where, objective["goal"], number, type_name, made["number"]))


def check_tutorial(made, data=None):
    """Refuses a level that lacks a lot, a type or an offer its tutorial's steps need (the
    level's committed step file, or the given bytes of one)."""
    path = TUTORIAL % made["number"]
    if data is None:
        full = os.path.join(REPO, ASSETS, path)
        if not os.path.exists(full):
            return
        with open(full, "rb") as source:
            data = source.read()
    root = ET.fromstring(data)
    level = tutoriallint.Level.of(made["allowed"], {lot["type"] for lot in made["lots"]},
                                  [lot["name"] for lot in made["lots"]])
    problems = tutoriallint.level_problems(path, root, level)
    if problems:
        raise campaign.DescriptionError(
            "%s/level%02d.toml does not give its tutorial what it needs: %s"
            % (campaign.DESCRIPTIONS, made["number"], "; ".join(problems)))


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


def configuration_text(level):
    start = level["start"]
    description = "%" + level["description_key"] + "%" if "description_key" in level else ""
    props = [
        ("Name", Prop("stringw", str(level["name"]))),
        ("Description", Prop("stringw", description)),
        ("SettingIndex", Prop("int", level.get("setting", 1))),
        ("AvailableBuildingsForBuild", Prop("string", ";".join(level["allowed"]))),
        ("DayLength", Prop("int", level.get("DayLength", 60))),
        ("InitMoney", Prop("float", start["money"])),
        ("InitRating", Prop("float", start.get("rating", 0))),
        ("InitMaterialsCount", Prop("float", start.get("materials", 0))),
        ("InitWorkersCount", Prop("int", start.get("workers", 0))),
    ]
    for key in ("IncomeBonus1", "IncomeBonus2"):
        if key in start:
            props.append((key, Prop("float", start[key])))
    if level.get("unlock"):
        props.append(("UnlockLevels", Prop("string", ";".join(level["unlock"]))))
    for key in ("IsSellOn", "IsClockOn"):
        if key in level:
            props.append((key, Prop("bool", level[key])))
    lines = ["<Level>"] + properties_element(props, 1) + ["\t<Objectives>"]
    for objective in level["objectives"]:
        lines.append("\t\t" + objective_element(objective))
    lines.append("\t</Objectives>")
    lines.append("\t<RandomEvents>")
    for request in level["requests"]:
        lines.append("\t\t" + request_element(request))
    lines.append("\t</RandomEvents>")
    lines.append("</Level>")
    return "\n".join(lines) + "\n"


def objective_element(objective):
    """The "Objective" element of a parsed objective."""
    return element("Objective", [(k, _attribute(v))
                                 for k, v in campaign.objective_attributes(objective)])


def request_element(request):
    """The "Event" element of a parsed request."""
    return element("Event", [(k, _attribute(v)) for k, v in campaign.request_attributes(request)])


def _attribute(value):
    if isinstance(value, bool):
        return "true" if value else "false"
    if isinstance(value, (list, tuple)):
        return ";".join(_attribute(v) for v in value)
    if isinstance(value, float):
        return fmt_float(value)
    return str(value)


def scene(description):
    """The level's scene: the ground, the lots, the movers' layers and the town's decor."""
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
                      Position=(x, y, 0), CanBeHit=False,
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
    for node in leveldecor.scene_nodes(description):
        root.add(node)
    return root


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
    level = level_of(path)
    check(level, os.path.relpath(path, REPO))
    folder = target_folder(path)
    out = Output()
    out.add_xml(folder + "/Level.oscn", scene_text(scene(level)))
    out.add_xml(folder + "/LevelConfiguration.xml", configuration_text(level))
    out.add_xml(folder + "/LevelPaths.xml", paths_text(level))
    out.add_jpeg(folder + "/Backdrop.jpg", leveldecor.ground(level))
    return out


def description_files():
    return campaign_files() + [BENCH]


def build():
    out = Output()
    for path in description_files():
        out.update(level_files(path))
    return out


MODULE = Module("levels", build, __file__,
                inputs=[DESCRIPTIONS + "/**/*.toml", ASSETS + "/levels/level*/Tutorial.xml"],
                # the step files' reader, not the whole lint it belongs to
                code_excludes=[tutoriallint.__file__],
                outputs=[ASSETS + "/levels/level*/Level.oscn",
                         ASSETS + "/levels/level*/LevelConfiguration.xml",
                         ASSETS + "/levels/level*/LevelPaths.xml",
                         ASSETS + "/levels/level*/Backdrop.jpg", "bench/levels/bench/*"])
