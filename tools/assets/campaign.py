"""The campaign's level descriptions, read and checked: what the level generator writes, what the
dictionary takes of their texts and what the level scores take of their scores.

A town layout (levels/layouts/NAME.toml) holds the named lots with their places, the roads, the
walkways, the water, the areas for decor and the parked cars. A level description
(levels/campaign/levelNN.toml) names its layout and chooses the rest: which lots it leaves out,
what stands on the others and who owns them, the start values, the types on offer, the
objectives and requests in their short forms, the decor effects, the texts and the scores.
`level` merges both into one plain dict; everything derived from the number (the name, the
setting of its region, the next level) is added there and never written by hand.

Objectives, in short form:
    money N | income N | workers N | guests N
    have TYPES xN [at LOTS]              a count of buildings the player owns
    each TYPES xN                        N of each listed type, owned
    history ACTION TYPES xN [at LOTS]    what happened so often (ACTION: see HISTORY_ACTIONS)
    features TYPE:NUM [TYPE:NUM ...]     features running at the same time (NUM from 1)
TYPES is "any" (have, history) or names joined by ";"; LOTS lot names joined by ";". An
objective may be an inline table {goal = ..., info = English text, key = dictionary key}.

Requests, as presets:
    letters rare | letters often | letters A-Bs
    broken A-Bs | dirty A-Bs | sell A-Bs | cafe A-Bs | weather A-Bs
each optionally followed by "on TYPES" (the buildings it may pick) and "first A-Bs" (when it
comes first; by default after half a period). Dirt needs its "on TYPES", all of them types a
player can clean: a dirty lot stops working until it is cleaned, and the play screen offers the
cleaning only to types that lend the lots around them an income bonus.

A money goal lies above the start money: one the player has at the start is met at once.
An income goal lies above what the owned buildings earn at the start; the level lint of the
tests checks it, since the serve areas' shares of a lot's income are the game's to work out.
"""
import glob
import math
import os
import re
import tomllib

from .buildingnames import HOTEL_FAMILIES, HOTEL_LEVELS, building_names
from .buildings import catalogue
from .common import REPO

LAYOUTS = "tools/assets/levels/layouts"
DESCRIPTIONS = "tools/assets/levels/campaign"
LEVEL_COUNT = 35
REGION_LEVELS = 7
# The setting of each region: a green summer town, a seaside resort, autumn hills, winter under
# snow, and the summer town again for the last and hardest region.
REGION_SETTINGS = (1, 2, 3, 4, 1)
PLACE_TYPE = "BuildingPlace"

# The playfield: the screen less the top bar and the panel at the bottom.
SCREEN = (1024, 768)
PLAYFIELD_TOP = 90
PLAYFIELD_BOTTOM = 640
LOT_SIZE = (135, 60)
LOT_GAP = 10
# Half a road's width: a lot keeps off this band around a road's middle line.
ROAD_MARGIN = 22

DESCRIPTION_KEYS = {"layout", "description", "DayLength", "allowed", "IsSellOn", "IsClockOn",
                    "Score", "ExpertScore", "Time", "start", "lots", "drop", "objectives",
                    "requests", "decor"}
START_KEYS = {"money", "rating", "materials", "workers", "IncomeBonus1", "IncomeBonus2"}
LOT_KEYS = {"owned", "type", "luckiness"}
OBJECTIVE_KEYS = {"goal", "info", "key"}
LAYOUT_KEYS = {"lots", "roads", "walkways", "water", "decor_areas", "parked"}
LAYOUT_PARTS = {"lots": {"name", "position"}, "roads": {"points", "time", "cars", "two_way"},
                "walkways": {"points"}, "water": {"kind", "points"},
                "decor_areas": {"rect", "kinds", "count"},
                "parked": {"position", "cars", "states", "percent"}}
WATER_KINDS = ("lake", "sea", "river")
DECOR_EFFECTS = ("lake", "birds", "balloons", "fireworks")
MIN_DAY_LENGTH = 20

# The history actions an objective can count, by their codes in the level's history.
HISTORY_ACTIONS = {"built": 0, "demolished": 1, "bought": 2, "sold": 3, "repaired": 4,
                   "feature1": 5, "feature2": 6, "feature3": 7, "cleaned": 8}
FEATURE_ACTIONS = {"feature1": 1, "feature2": 2, "feature3": 3}
# The objectives whose own text the game shows from InfoStr; the others show texts of their kind.
INFO_KINDS = {"Money", "HaveTypedBuildingsCount", "HaveEachTypeBuildingsCount",
              "TypedHistoryActionsCount", "HaveConcurrentFeatures"}
# Attribute order of an objective element (after its Type).
OBJECTIVE_ATTRIBUTES = ("InfoStr", "BuildingTypes", "PlaceNames", "Action", "FeatureIndices",
                        "Value", "MustOwn")

REQUEST_TYPES = {"letters": "RegularLetterRequest", "broken": "RegularBrokenBuildingRequest",
                 "dirty": "RegularDirtyBuildingRequest", "sell": "RegularSellBuildingRequest",
                 "cafe": "RegularCafeBuildingRequest", "weather": "RegularWeatherEffectRequest"}
LETTER_PERIODS = {"rare": (60, 120), "often": (25, 45)}
# A letter pays 40 to 80 percent of its building's daily income and waits 10 to 15 seconds to be
# picked up; a shower or a snowfall lasts 20 to 40 seconds.
LETTER_MONEY = (0.4, 0.8)
LETTER_WAIT_MS = (10000, 15000)
WEATHER_DURATION_MS = (20000, 40000)
REQUEST_ATTRIBUTES = ("FirstTimeRange", "PeriodRange", "BuildingTypes", "MoneyRange",
                      "WaitTimeRange", "DurationTimeRange")

_NUMBER = re.compile(r"^[0-9]+$")
_COUNT = re.compile(r"^x([0-9]+)$")
_SECONDS = re.compile(r"^([0-9]+)-([0-9]+)s$")
_FILE = re.compile(r"^level([0-9]{2})\.toml$")
_KEY = re.compile(r"^[A-Za-z0-9_]+$")


class DescriptionError(ValueError):
    """A description (or layout) the generator cannot use; the message names the file."""


# --- Regions and names ----------------------------------------------------------------------

def region_of(number):
    """The region (1 to 5) of a regular level."""
    return (number - 1) // REGION_LEVELS + 1


def setting_of(number):
    return REGION_SETTINGS[region_of(number) - 1]


def folder_name(number):
    return "level%d" % number


def description_path(number):
    return os.path.join(REPO, DESCRIPTIONS, "level%02d.toml" % number)


def description_files():
    return sorted(glob.glob(os.path.join(REPO, DESCRIPTIONS, "level*.toml")))


def number_of(path, where=None):
    found = _FILE.match(os.path.basename(path))
    number = int(found.group(1)) if found else 0
    if not 1 <= number <= LEVEL_COUNT:
        raise DescriptionError("%s: a level description is named level01.toml to level%02d.toml"
                               % (where or _where(path), LEVEL_COUNT))
    return number


def description_key(number):
    return "Level%d_Description" % number


def objective_key(number, index):
    """The default text key of a level's objective (index from 1)."""
    return "Obj_Level%d_%d" % (number, index)


def _where(path):
    return os.path.relpath(path, REPO)


def load_toml(path):
    try:
        with open(path, "rb") as source:
            return tomllib.load(source)
    except tomllib.TOMLDecodeError as error:
        raise DescriptionError("%s: %s" % (_where(path), error)) from None


# --- Building names --------------------------------------------------------------------------

def family_of(type_name):
    """The family of a type and its level in the family (None for the one-level types)."""
    for family in HOTEL_FAMILIES:
        rest = type_name[len(family):]
        if type_name.startswith(family) and rest.isdigit() and 1 <= int(rest) <= HOTEL_LEVELS:
            return family, int(rest)
    return type_name, None


def _types(text, where, allow_any=False):
    """A ";" list of building type names ("any": every type, an empty list)."""
    if allow_any and text == "any":
        return []
    names = text.split(";")
    known = set(building_names())
    for name in names:
        if name not in known:
            raise DescriptionError("%s: %r is not a building type" % (where, name))
    if len(set(names)) != len(names):
        raise DescriptionError("%s: a type is named twice in %r" % (where, text))
    return names


def _lots(text, where):
    names = text.split(";")
    if not all(names) or len(set(names)) != len(names):
        raise DescriptionError("%s: %r is no list of lot names" % (where, text))
    return names


def _count(token, where):
    found = _COUNT.match(token or "")
    if not found or int(found.group(1)) < 1:
        raise DescriptionError("%s: %r is no count (x1, x2, ...)" % (where, token))
    return int(found.group(1))


def _seconds(token, where, least=1):
    """A range of seconds "A-Bs" as milliseconds."""
    found = _SECONDS.match(token or "")
    if not found:
        raise DescriptionError("%s: %r is no range of seconds (like 60-90s)" % (where, token))
    low, high = int(found.group(1)), int(found.group(2))
    if low > high or low < least or high < 1:
        raise DescriptionError("%s: the range %r must run from %d seconds up" % (where, token,
                                                                                 least))
    return (low * 1000, high * 1000)


# --- Objectives ------------------------------------------------------------------------------

def parse_objective(goal, where):
    """The attributes of one objective element from its short form: a dict with "Type" and the
    element's other attributes but InfoStr (given by `level`)."""
    if not isinstance(goal, str):
        raise DescriptionError("%s: an objective is a text, not %r" % (where, goal))
    where = "%s: objective %r" % (where, goal)
    words = goal.split()
    if not words:
        raise DescriptionError("%s: empty" % where)
    kind, rest = words[0], words[1:]
    simple = {"money": "Money", "income": "Income", "workers": "Workers", "guests": "GuestsCount"}
    if kind in simple:
        if len(rest) != 1 or not _NUMBER.match(rest[0]) or int(rest[0]) < 1:
            raise DescriptionError("%s: give one whole number above 0 (%s N)" % (where, kind))
        value = int(rest[0])
        return {"Type": simple[kind], "Value": float(value) if kind in ("money", "income")
                else value}
    if kind == "have":
        if len(rest) not in (2, 4) or (len(rest) == 4 and rest[2] != "at"):
            raise DescriptionError("%s: write have TYPES xN [at LOTS]" % where)
        made = {"Type": "HaveTypedBuildingsCount",
                "BuildingTypes": _types(rest[0], where, allow_any=True)}
        if len(rest) == 4:
            made["PlaceNames"] = _lots(rest[3], where)
        made["Value"] = _count(rest[1], where)
        made["MustOwn"] = True
        return made
    if kind == "each":
        if len(rest) != 2:
            raise DescriptionError("%s: write each TYPES xN" % where)
        return {"Type": "HaveEachTypeBuildingsCount", "BuildingTypes": _types(rest[0], where),
                "Value": _count(rest[1], where), "MustOwn": True}
    if kind == "history":
        if len(rest) not in (3, 5) or (len(rest) == 5 and rest[3] != "at"):
            raise DescriptionError("%s: write history ACTION TYPES xN [at LOTS]" % where)
        if rest[0] not in HISTORY_ACTIONS:
            raise DescriptionError("%s: the action is one of %s" % (
                where, ", ".join(sorted(HISTORY_ACTIONS, key=HISTORY_ACTIONS.get))))
        made = {"Type": "TypedHistoryActionsCount",
                "BuildingTypes": _types(rest[1], where, allow_any=True)}
        if len(rest) == 5:
            made["PlaceNames"] = _lots(rest[4], where)
        made["Action"] = HISTORY_ACTIONS[rest[0]]
        made["Value"] = _count(rest[2], where)
        return made
    if kind == "features":
        if not rest:
            raise DescriptionError("%s: write features TYPE:NUM [TYPE:NUM ...]" % where)
        types, numbers = [], []
        for pair in rest:
            name, _, number = pair.partition(":")
            if not _NUMBER.match(number) or int(number) < 1:
                raise DescriptionError("%s: %r is no TYPE:NUM (NUM from 1)" % (where, pair))
            types += _types(name, where)
            numbers.append(int(number))
        return {"Type": "HaveConcurrentFeatures", "BuildingTypes": types,
                "FeatureIndices": [n - 1 for n in numbers]}
    raise DescriptionError("%s: an objective starts with money, income, workers, guests, have, "
                           "each, history or features" % where)


def objective_attributes(objective):
    """The element's attributes in file order, as (name, value) pairs."""
    pairs = [("Type", objective["Type"])]
    pairs += [(name, objective[name]) for name in OBJECTIVE_ATTRIBUTES
              if name in objective and objective[name] != []]
    return pairs


def objective_types(objective):
    return list(objective.get("BuildingTypes", []))


# --- Requests --------------------------------------------------------------------------------

def cleanable_types():
    """The types a player can clean: those whose serve area lends an income bonus."""
    return [b["Name"] for b in catalogue() if b.get("ServeAreaIncomeBonus", 0) > 0]


def parse_request(text, where):
    """The attributes of one request element from its preset, a dict with "Type" first."""
    if not isinstance(text, str):
        raise DescriptionError("%s: a request is a text, not %r" % (where, text))
    where = "%s: request %r" % (where, text)
    words = text.split()
    if len(words) < 2 or words[0] not in REQUEST_TYPES:
        raise DescriptionError("%s: a request starts with %s and its period" % (
            where, ", ".join(REQUEST_TYPES)))
    kind, period = words[0], words[1]
    if kind == "letters" and period in LETTER_PERIODS:
        low, high = LETTER_PERIODS[period]
        period_ms = (low * 1000, high * 1000)
    else:
        period_ms = _seconds(period, where)
    clauses = {}
    rest = words[2:]
    while rest:
        if len(rest) < 2 or rest[0] not in ("on", "first") or rest[0] in clauses:
            raise DescriptionError("%s: after the period come \"on TYPES\" and \"first A-Bs\", "
                                   "each once" % where)
        clauses[rest[0]] = rest[1]
        rest = rest[2:]
    first = _seconds(clauses["first"], where, least=0) if "first" in clauses else \
        (period_ms[0] // 2, period_ms[1] // 2)
    made = {"Type": REQUEST_TYPES[kind], "FirstTimeRange": first, "PeriodRange": period_ms}
    if "on" in clauses:
        if kind == "weather":
            raise DescriptionError("%s: the weather falls on no building" % where)
        made["BuildingTypes"] = _types(clauses["on"], where)
    if kind == "dirty":
        if "on" not in clauses:
            raise DescriptionError("%s: dirt needs \"on TYPES\": a dirty lot of some types could "
                                   "never be cleaned" % where)
        cleanable = cleanable_types()
        for type_name in made["BuildingTypes"]:
            if type_name not in cleanable:
                raise DescriptionError("%s: a dirty %s could never be cleaned (cleanable: %s)"
                                       % (where, type_name, ", ".join(cleanable)))
    if kind == "letters":
        made["MoneyRange"] = LETTER_MONEY
        made["WaitTimeRange"] = LETTER_WAIT_MS
    if kind == "weather":
        made["DurationTimeRange"] = WEATHER_DURATION_MS
    return made


def request_attributes(request):
    pairs = [("Type", request["Type"])]
    pairs += [(name, request[name]) for name in REQUEST_ATTRIBUTES if name in request]
    return pairs


# --- Layouts ---------------------------------------------------------------------------------

def _point(value, where):
    if (not isinstance(value, list) or len(value) != 2 or
            not all(isinstance(v, (int, float)) and not isinstance(v, bool) for v in value)):
        raise DescriptionError("%s: %r is no point [x, y]" % (where, value))
    return value


def _points(value, where, least=2):
    if not isinstance(value, list) or len(value) < least:
        raise DescriptionError("%s: give %d points or more" % (where, least))
    return [_point(p, where) for p in value]


def _strings(value, where):
    if not isinstance(value, list) or not value or not all(isinstance(v, str) and v
                                                           for v in value):
        raise DescriptionError("%s: give a list of names" % where)
    return value


def _known(table, keys, where):
    if not isinstance(table, dict):
        raise DescriptionError("%s: not a table" % where)
    unknown = sorted(set(table) - set(keys))
    if unknown:
        raise DescriptionError("%s: unknown key%s %s" % (where, "s" if len(unknown) > 1 else "",
                                                         ", ".join(unknown)))


def check_town(town, where):
    """The parts of a town (a layout) in their shapes."""
    _known(town, LAYOUT_KEYS, where)
    for part, keys in LAYOUT_PARTS.items():
        entries = town.get(part, [])
        if not isinstance(entries, list):
            raise DescriptionError("%s: %s is a list of tables ([[%s]])" % (where, part, part))
        for index, entry in enumerate(entries, 1):
            at = "%s: %s %d" % (where, part, index)
            _known(entry, keys, at)
            missing = sorted({"lots": {"name", "position"}, "roads": {"points"},
                              "walkways": {"points"}, "water": {"kind", "points"},
                              "decor_areas": {"rect", "kinds", "count"},
                              "parked": {"position", "cars", "states"}}[part] - set(entry))
            if missing:
                raise DescriptionError("%s lacks %s" % (at, ", ".join(missing)))
            if "points" in entry:
                _points(entry["points"], at, 3 if part == "water" else 2)
            if "position" in entry:
                _point(entry["position"], at)
            for key in ("cars", "states", "kinds"):
                if key in entry:
                    _strings(entry[key], "%s: %s" % (at, key))
            if "time" in entry:
                time = entry["time"]
                if (not isinstance(time, list) or len(time) != 2 or
                        not all(isinstance(t, int) and t > 0 for t in time) or time[0] > time[1]):
                    raise DescriptionError("%s: time is [least, most] in milliseconds" % at)
            if part == "water" and entry["kind"] not in WATER_KINDS:
                raise DescriptionError("%s: the water is a %s" % (at, ", ".join(WATER_KINDS)))
            if part == "decor_areas":
                rect = entry["rect"]
                if (not isinstance(rect, list) or len(rect) != 4 or rect[0] >= rect[2] or
                        rect[1] >= rect[3]):
                    raise DescriptionError("%s: rect is [x0, y0, x1, y1]" % at)
                if not isinstance(entry["count"], int) or entry["count"] < 0:
                    raise DescriptionError("%s: count is a whole number" % at)
            if part == "parked" and not 0 <= entry.get("percent", 50) <= 100:
                raise DescriptionError("%s: percent runs from 0 to 100" % at)
            if part == "lots" and not isinstance(entry["name"], str):
                raise DescriptionError("%s: a lot's name is a text" % at)
    names = [lot["name"] for lot in town.get("lots", [])]
    if len(names) != len(set(names)):
        raise DescriptionError("%s: lot names repeat" % where)
    if not town.get("roads"):
        raise DescriptionError("%s: a town needs a road" % where)


def layout_path(name, folder=None):
    return os.path.join(folder or os.path.join(REPO, LAYOUTS), name + ".toml")


def layout_files():
    return sorted(glob.glob(os.path.join(REPO, LAYOUTS, "*.toml")))


def load_layout(name, where, folder=None):
    """A town layout by name, from the campaign's layouts (or another folder's)."""
    if not isinstance(name, str) or not _KEY.match(name):
        raise DescriptionError("%s: the layout is a name, not %r" % (where, name))
    path = layout_path(name, folder)
    if not os.path.exists(path):
        raise DescriptionError("%s: no layout %s (%s)" % (where, name, _where(path)))
    town = load_toml(path)
    check_town(town, _where(path))
    return town


# --- Geometry checks on the playfield -----------------------------------------------------------

def _distance_to_segment(point, a, b):
    (px, py), (ax, ay), (bx, by) = point, a, b
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy
    t = 0.0 if length2 == 0 else max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / length2))
    return math.hypot(ax + dx * t - px, ay + dy * t - py)


def _rect_gap(a, b):
    """The gap between two rectangles (x0, y0, x1, y1); negative when they overlap."""
    return max(b[0] - a[2], a[0] - b[2], b[1] - a[3], a[1] - b[3])


def lot_rect(lot):
    x, y = lot["position"]
    return (x, y, x + LOT_SIZE[0], y + LOT_SIZE[1])


def _segment_meets_rect(a, b, rect, margin):
    """Whether a road's segment, widened by the margin on each side, covers part of the rect."""
    x0, y0, x1, y1 = rect
    corners = [(x0, y0), (x1, y0), (x1, y1), (x0, y1)]
    if any(_distance_to_segment(c, a, b) < margin for c in corners):
        return True
    # a segment crossing the rectangle (or ending inside it)
    steps = max(2, int(math.hypot(b[0] - a[0], b[1] - a[1]) // 4))
    for i in range(steps + 1):
        x = a[0] + (b[0] - a[0]) * i / steps
        y = a[1] + (b[1] - a[1]) * i / steps
        if x0 - margin < x < x1 + margin and y0 - margin < y < y1 + margin:
            return True
    return False


def check_playfield(level, where, road_margin):
    """Every lot on the playfield, apart from the others and off the roads."""
    rects = [(lot["name"], lot_rect(lot)) for lot in level["lots"]]
    for name, (x0, y0, x1, y1) in rects:
        if x0 < 0 or x1 > SCREEN[0] or y0 < PLAYFIELD_TOP or y1 > PLAYFIELD_BOTTOM:
            raise DescriptionError("%s: the lot %s (%d, %d) leaves the playfield (x 0 to %d, y %d "
                                   "to %d)" % (where, name, x0, y0, SCREEN[0], PLAYFIELD_TOP,
                                               PLAYFIELD_BOTTOM))
    for i, (first, a) in enumerate(rects):
        for second, b in rects[i + 1:]:
            if _rect_gap(a, b) < LOT_GAP:
                raise DescriptionError("%s: the lots %s and %s are closer than %d px"
                                       % (where, first, second, LOT_GAP))
    for name, rect in rects:
        for index, road in enumerate(level["roads"], 1):
            points = road["points"]
            for a, b in zip(points, points[1:]):
                if _segment_meets_rect(a, b, rect, road_margin):
                    raise DescriptionError("%s: the lot %s lies on road %d" % (where, name, index))


# --- Level descriptions ---------------------------------------------------------------------

def _lot_overrides(description, town, where):
    names = [lot["name"] for lot in town.get("lots", [])]
    drop = description.get("drop", [])
    if drop:
        _strings(drop, "%s: drop" % where)
    for name in drop:
        if name not in names:
            raise DescriptionError("%s: drops %s, which the layout does not have" % (where, name))
    overrides = description.get("lots", {})
    if not isinstance(overrides, dict):
        raise DescriptionError("%s: lots are tables of overrides ([lots.NAME])" % where)
    known = set(building_names()) | {PLACE_TYPE}
    lots = []
    for name, changes in overrides.items():
        at = "%s: lots.%s" % (where, name)
        if name not in names:
            raise DescriptionError("%s: the layout has no lot %s" % (at, name))
        if name in drop:
            raise DescriptionError("%s: the lot is dropped" % at)
        _known(changes, LOT_KEYS, at)
        if changes.get("type", PLACE_TYPE) not in known:
            raise DescriptionError("%s: %r is not a building type" % (at, changes["type"]))
        if not isinstance(changes.get("owned", False), bool):
            raise DescriptionError("%s: owned is true or false" % at)
        if changes.get("luckiness", 1) not in (1, -1) or isinstance(changes.get("luckiness"),
                                                                    bool):
            raise DescriptionError("%s: luckiness is 1 or -1" % at)
    for lot in town.get("lots", []):
        if lot["name"] in drop:
            continue
        changes = overrides.get(lot["name"], {})
        lots.append({"name": lot["name"], "position": list(lot["position"]),
                     "type": changes.get("type", PLACE_TYPE),
                     "owned": changes.get("owned", False),
                     "luckiness": changes.get("luckiness", 0)})
    if not lots:
        raise DescriptionError("%s: the level keeps no lot" % where)
    return lots


def _start(description, where):
    start = description.get("start")
    if start is None:
        raise DescriptionError("%s: no [start] (money, rating, materials, workers)" % where)
    _known(start, START_KEYS, "%s: start" % where)
    if "money" not in start:
        raise DescriptionError("%s: the start needs its money" % where)
    for key, value in start.items():
        if isinstance(value, bool) or not isinstance(value, (int, float)):
            raise DescriptionError("%s: start.%s is a number" % (where, key))
        if key.startswith("IncomeBonus"):
            # a bonus in percent: an unlucky lot's may be a loss, never all of its income
            if value <= -100:
                raise DescriptionError("%s: start.%s is a percentage above -100" % (where, key))
        elif value < 0:
            raise DescriptionError("%s: start.%s is a number of 0 or more" % (where, key))
    if not isinstance(start.get("workers", 0), int):
        raise DescriptionError("%s: start.workers is a whole number" % where)
    return dict(start)


def _scores(description, where):
    given = [k for k in ("Score", "ExpertScore", "Time") if k in description]
    if not given:
        return None
    if len(given) != 3:
        raise DescriptionError("%s: give Score, ExpertScore and Time together" % where)
    score, expert, time = (description[k] for k in ("Score", "ExpertScore", "Time"))
    if not all(isinstance(v, int) and not isinstance(v, bool) for v in (score, expert, time)):
        raise DescriptionError("%s: Score, ExpertScore and Time are whole numbers" % where)
    if not 0 < score < expert or time <= 0:
        raise DescriptionError("%s: Score must lie above 0 and below ExpertScore, Time above 0"
                               % where)
    return (score, expert, time)


def _objectives(description, number, lot_names, where):
    entries = description.get("objectives", [])
    if not isinstance(entries, list):
        raise DescriptionError("%s: objectives is a list" % where)
    objectives = []
    for index, entry in enumerate(entries, 1):
        if isinstance(entry, dict):
            _known(entry, OBJECTIVE_KEYS, "%s: objective %d" % (where, index))
            if "goal" not in entry:
                raise DescriptionError("%s: objective %d has no goal" % (where, index))
            goal, info, key = entry["goal"], entry.get("info"), entry.get("key")
        else:
            goal, info, key = entry, None, None
        objective = parse_objective(goal, where)
        objective["goal"] = goal
        if objective["Type"] in INFO_KINDS:
            key = key if key is not None else objective_key(number, index)
            if not isinstance(key, str) or not _KEY.match(key):
                raise DescriptionError("%s: objective %r: the key %r cannot be looked up"
                                       % (where, goal, key))
            if info is not None and (not isinstance(info, str) or not info.strip()):
                raise DescriptionError("%s: objective %r: info is an English text"
                                       % (where, goal))
            objective["InfoStr"] = "%" + key + "%"
            objective["key"], objective["info"] = key, info
        elif info is not None or key is not None:
            raise DescriptionError("%s: objective %r shows the game's own text: no info or key"
                                   % (where, goal))
        for place in objective.get("PlaceNames", []):
            if place not in lot_names:
                raise DescriptionError("%s: objective %r names the lot %s, which the level does "
                                       "not have" % (where, goal, place))
        objectives.append(objective)
    keys = [o["key"] for o in objectives if "key" in o]
    if len(keys) != len(set(keys)):
        raise DescriptionError("%s: two objectives share a text key" % where)
    return objectives


def level(path, layouts=None):
    """The merged level of a description: the description's keys, its layout's town and what
    follows from the level's number. Refuses (DescriptionError) what the game could not use.
    The layout comes from the campaign's layouts unless another folder is given."""
    where = _where(path)
    number = number_of(path, where)
    description = load_toml(path)
    _known(description, DESCRIPTION_KEYS, where)
    for key in ("layout", "description", "allowed"):
        if key not in description:
            raise DescriptionError("%s: no %s" % (where, key))
    if not isinstance(description["description"], str) or not description["description"].strip():
        raise DescriptionError("%s: the description is an English text" % where)
    town = load_layout(description["layout"], where, layouts)
    allowed = _strings(description["allowed"], "%s: allowed" % where)
    _types(";".join(allowed), "%s: allowed" % where)
    day = description.get("DayLength", 60)
    if not isinstance(day, int) or isinstance(day, bool) or day < MIN_DAY_LENGTH:
        raise DescriptionError("%s: DayLength is a whole number of %d seconds or more"
                               % (where, MIN_DAY_LENGTH))
    for flag in ("IsSellOn", "IsClockOn"):
        if not isinstance(description.get(flag, True), bool):
            raise DescriptionError("%s: %s is true or false" % (where, flag))
    decor = description.get("decor", [])
    if decor:
        _strings(decor, "%s: decor" % where)
    for effect in decor:
        if effect not in DECOR_EFFECTS:
            raise DescriptionError("%s: decor %r is none of %s" % (where, effect,
                                                                   ", ".join(DECOR_EFFECTS)))
    if "lake" in decor and not town.get("water"):
        raise DescriptionError("%s: lake waves want water in the layout" % where)
    if len(set(decor)) != len(decor):
        raise DescriptionError("%s: a decor effect is named twice" % where)

    made = {k: v for k, v in description.items() if k not in ("lots", "drop")}
    made.update({
        "number": number,
        "name": str(number),
        "folder": "levels/" + folder_name(number),
        "setting": setting_of(number),
        "region": region_of(number),
        "unlock": [str(number + 1)] if number < LEVEL_COUNT else [],
        "description_key": description_key(number),
        "DayLength": day,
        "allowed": list(allowed),
        "start": _start(description, where),
        "lots": _lot_overrides(description, town, where),
        "roads": town["roads"],
        "walkways": town.get("walkways", []),
        "water": town.get("water", []),
        "decor_areas": town.get("decor_areas", []),
        "parked": town.get("parked", []),
        "decor": list(decor),
        "scores": _scores(description, where),
    })
    lot_names = [lot["name"] for lot in made["lots"]]
    made["objectives"] = _objectives(description, number, lot_names, where)
    for objective in made["objectives"]:
        if objective["Type"] == "Money" and objective["Value"] <= made["start"]["money"]:
            raise DescriptionError("%s: objective %r is met from the start: the level starts with "
                                   "%s" % (where, objective["goal"], _money(made["start"]["money"])))
    requests = description.get("requests", [])
    if not isinstance(requests, list):
        raise DescriptionError("%s: requests is a list" % where)
    made["requests"] = [parse_request(r, where) for r in requests]
    offered = set(allowed)
    standing = {lot["type"] for lot in made["lots"]}
    for objective in made["objectives"]:
        for type_name in objective_types(objective):
            if type_name not in offered:
                raise DescriptionError("%s: objective %r needs %s, which allowed does not list"
                                       % (where, objective["goal"], type_name))
    for request in made["requests"]:
        for type_name in request.get("BuildingTypes", []):
            if type_name not in offered | standing:
                raise DescriptionError("%s: a request falls on %s, which the level neither "
                                       "offers nor has" % (where, type_name))
    check_playfield(made, where, road_margin=ROAD_MARGIN)
    return made


def levels():
    """Every described level, by number."""
    return {number_of(path): level(path) for path in description_files()}


def scores():
    """Score, ExpertScore and Time of every described level that gives them, by folder name."""
    found = {}
    for path in description_files():
        made = level(path)
        if made["scores"] is not None:
            found[folder_name(made["number"])] = made["scores"]
    return found


# --- Texts -----------------------------------------------------------------------------------

def _display(table, family):
    key = family
    if key not in table:
        raise DescriptionError("the English texts have no name for the buildings %s" % family)
    name = table[key]
    # "Five-star hotel" inside a sentence; "PR agency" keeps its capitals
    if len(name) > 1 and name[1].islower():
        name = name[0].lower() + name[1:]
    return name


def _plural(words):
    head, _, last = words.rpartition(" ")
    if last.endswith("y") and last[-2:-1] not in "aeiou":
        last = last[:-1] + "ies"
    elif last.endswith(("s", "sh", "ch", "x")):
        last += "es"
    else:
        last += "s"
    return (head + " " + last) if head else last


def _article(words):
    return ("an " if words[0].lower() in "aeiou" else "a ") + words


def _type_name(table, type_name):
    family, level_in_family = family_of(type_name)
    name = _display(table, family)
    return name if level_in_family is None else "level-%d %s" % (level_in_family, name)


def _join(parts, word):
    return parts[0] if len(parts) == 1 else ", ".join(parts[:-1]) + " " + word + " " + parts[-1]


def _groups(table, types):
    """The types as phrases, the levels of one family together: ["level-2 or level-3 hostel",
    "cafe"]; a family with all its levels listed is any of its buildings ("camping")."""
    families = {}
    for type_name in types:
        family, level_in_family = family_of(type_name)
        families.setdefault(family, []).append(level_in_family)
    phrases = []
    for family, found in families.items():
        name = _display(table, family)
        if None in found or len(set(found)) == HOTEL_LEVELS:
            phrases.append(name)
        else:
            phrases.append("%s %s" % (_join(["level-%d" % n for n in found], "or"), name))
    return phrases


def _counted(table, types, count):
    """ "a cafe", "3 level-1 campings or cafes", "2 level-2 or level-3 hostels", "2 buildings"."""
    if not types:
        return "a building" if count == 1 else "%d buildings" % count
    names = _groups(table, types)
    if count == 1:
        return _join([_article(n) for n in names], "or")
    return "%d %s" % (count, _join([_plural(n) for n in names], "or"))


def _times(count):
    return {1: "once", 2: "twice"}.get(count, "%d times" % count)


def _feature_name(table, type_name, number):
    family, _ = family_of(type_name)
    key = "Bld_%s_Feature%d" % (family, number)
    if key not in table:
        raise DescriptionError("the %s has no feature %d (no text %s)"
                               % (type_name, number, key))
    return '"%s"' % table[key]


def _money(value):
    return "$" + "{:,}".format(int(value))


def objective_english(objective, table):
    """The English text of an objective that shows its own text, made from its goal."""
    kind = objective["Type"]
    types = objective.get("BuildingTypes", [])
    count = objective.get("Value", 1)
    places = " on the chosen lots" if objective.get("PlaceNames") else ""
    if kind == "Money":
        return "Save up %s" % _money(objective["Value"])
    if kind == "HaveTypedBuildingsCount":
        return "Own %s%s" % (_counted(table, types, count), places)
    if kind == "HaveEachTypeBuildingsCount":
        names = [_type_name(table, t) for t in types]
        if count == 1:
            return "Own one of each: %s" % _join(names, "and")
        return "Own %d of each: %s" % (count, _join([_plural(n) for n in names], "and"))
    if kind == "TypedHistoryActionsCount":
        action = next(a for a, code in HISTORY_ACTIONS.items() if code == objective["Action"])
        if action in FEATURE_ACTIONS:
            number = FEATURE_ACTIONS[action]
            if not types:
                return "Use building features %s%s" % (_times(count), places)
            names = []
            for type_name in types:
                name = _feature_name(table, type_name, number)
                if name not in names:
                    names.append(name)
            return "Run %s %s%s" % (_join(names, "or"), _times(count), places)
        verbs = {"built": "Build", "demolished": "Demolish", "bought": "Buy", "sold": "Sell",
                 "repaired": "Repair", "cleaned": "Clean"}
        return "%s %s%s" % (verbs[action], _counted(table, types, count), places)
    if kind == "HaveConcurrentFeatures":
        pairs = {}
        for pair in zip(types, objective["FeatureIndices"]):
            pairs[pair] = pairs.get(pair, 0) + 1
        phrases = ["%s at %s" % (_feature_name(table, t, n + 1), _counted(table, [t], times))
                   for (t, n), times in pairs.items()]
        if len(types) == 1:
            return "Run %s" % phrases[0]
        return "Run at the same time: %s" % _join(phrases, "and")
    raise DescriptionError("objectives of the kind %s show the game's own text" % kind)


def _check_text(text, where):
    if "#p" in text or "%" in text:
        raise DescriptionError("%s: a level's text holds no \"#p\" or \"%%\"" % where)
    return text


def level_texts(made, table):
    """The dictionary entries of one merged level: its description and its objectives' texts."""
    where = "%s/level%02d.toml" % (DESCRIPTIONS, made["number"])
    texts = {made["description_key"]: _check_text(made["description"], where)}
    for objective in made["objectives"]:
        if "key" not in objective:
            continue
        text = objective["info"] if objective["info"] is not None else \
            objective_english(objective, table)
        texts[objective["key"]] = _check_text(text, where)
    return texts


def texts(table):
    """The dictionary entries of every described level; `table` holds the English texts the
    generated ones take their building and feature names from."""
    found = {}
    for made in levels().values():
        for key, text in level_texts(made, table).items():
            if key in found:
                raise DescriptionError("the text key %s is used by two levels" % key)
            found[key] = text
    return found
