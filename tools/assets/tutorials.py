"""The tutorials' step files: "levels/level1/Tutorial.xml", "levels/level2/Tutorial.xml" (the play
screen), "scenes/MapTutorial1.xml", "scenes/MapTutorial2.xml" (the world map) and
"scenes/ShopTutorial1.xml", "scenes/ShopTutorial2.xml" (the shop).

A file is a "Tutorial" of "Hint" steps. Every step is written in full: its window Position and
TextPosition, its TextBgType (1 for a step closed by the window's OK "Button", MessageBox "true",
0 for the others), its "Text" (a "%Tut_...%" key of the English texts), its "Actions" and its
"Arrows" ("Hint", "Actions" and "Arrows" always with an end tag, since the game's reader does not
know an element that closes itself). Numbers are whole; flags are written only when "true".

Nothing is placed by hand: an arrow stands over its target's rectangle as the target's scene
(the play screen's, the map's, the shop's, or a level's lots) lays it out, the tip on the middle
of the top edge pointing down, or on the middle of the bottom edge pointing up when there is no
room above; the window takes the first of its places that keeps clear of the step's arrows.
Generators name building types, never lots.

Level 2's file is made before level 2 itself. Its steps ask of that level: "Cafe" on offer
(the joys list's first entry), an empty lot of the player's, a "Statue" and a "Camping1" standing
on lots. Arrows at level 2's lots come when its description exists.
"""
import os

from . import levels, mapscene, playscene, shopscenes
from .art import shop as shopart
from .common import PACKAGE, Output, asset, escape, xml_document
from .fonts import DESCRIPTION as FONT_DESCRIPTION
from .registry import Module

PLAY_HOST = "InternalGamePlayScene"
SCENE_HOST = "Scene"
WINDOW = (420, 150)
WINDOW_LEFT = 96  # the guide stands left of the window
WINDOW_DEFAULT = playscene.HINT_WINDOW_AT[:2]
# Where the window may stand, in order of preference (a step without arrows takes the middle).
WINDOW_PLACES = (WINDOW_DEFAULT, (570, 120), (130, 120), (130, 516), (570, 330), (130, 330))
WINDOW_MIDDLE = (352, 300)
ARROW_GAP = 4  # the tip reaches this far into the target
ARROW_LENGTH = playscene.TUTORIAL_ARROW[1] + playscene.TUTORIAL_ARROW_BOB

# The step file's vocabulary (the lint checks the files against it).
ELEMENTS = {"Tutorial": set(), "Hint": {"Tip", "MessageBox", "Linnet"},
            "Position": {"Value"}, "TextBgType": {"Value"}, "TextPosition": {"Value"},
            "Text": {"Value"}, "ImageFilename": {"Value"}, "Actions": set(), "Arrows": set(),
            "Action": {"Type"}, "Arrow": {"Position", "Rotation"}}
ACTIONS = {
    "Timed": {"Time"}, "MouseClick": set(), "BuildingPress": {"BuildingTypes"},
    "ControlPress": {"Controls"}, "ListItemPress": {"List", "Indices"},
    "ListItemHovered": {"List", "Indices"}, "BuildingCompleted": {"Buildings"},
    "BuildingCompletedOrExist": {"BuildingTypes"}, "WaitDirty": set(), "WaitLetter": set(),
    "GenerateSellBuildingRequest": {"BuildingTypes", "PlaceNames"},
    "GenerateBrokenBuildingRequest": {"BuildingTypes", "PlaceNames"},
    "GenerateDirtyBuildingRequest": {"BuildingTypes", "PlaceNames"},
    "GenerateLetterRequest": {"BuildingTypes", "PlaceNames"},
    "GeneratePauseRequest": set()}
GENERATORS = {"GenerateSellBuildingRequest", "GenerateBrokenBuildingRequest",
              "GenerateDirtyBuildingRequest", "GenerateLetterRequest"}


# --- What a step says -------------------------------------------------------------------------

class Step:
    """One "Hint". `targets` name what its arrows point at: ("node", name), ("item", list, index)
    or ("lot", building type)."""

    def __init__(self, key, actions=(), targets=(), tip=False, message_box=False):
        self.key = key
        self.actions = list(actions)
        self.targets = list(targets)
        self.tip = tip
        self.message_box = message_box

    @property
    def text(self):
        return "%" + self.key + "%" if self.key else ""


def action(kind, **attributes):
    assert set(attributes) <= ACTIONS[kind], kind
    return (kind, attributes)


def press(control):
    return action("ControlPress", Controls=control)


def pick(list_name, index):
    return action("ListItemPress", List=list_name, Indices=str(index))


def note(key, targets=(), tip=False, pause=False):
    """A step the player closes with the window's OK button."""
    actions = [action("GeneratePauseRequest")] if pause else []
    return Step(key, actions, targets, tip=tip, message_box=True)


def level1():
    """A first camping, materials and workers, an upgrade, the goals; tips on the clock and the
    goals button."""
    return [
        note("Tut_L1_Welcome", pause=True),
        Step("Tut_L1_Lot", [action("BuildingPress", BuildingTypes="BuildingPlace")],
             [("lot", "BuildingPlace")]),
        Step("Tut_L1_Hotels", [press("HotelsButton")], [("node", "HotelsButton")]),
        Step("Tut_L1_Camping", [pick("HotelsBuildList", 0)], [("item", "HotelsBuildList", 0)]),
        Step("Tut_L1_Building", [action("BuildingCompleted", Buildings="Camping1")]),
        Step("Tut_L1_MaterialsTab", [press("Tab4Button")], [("node", "Tab4Button")]),
        Step("Tut_L1_Materials", [pick("BuyMaterialsList", 0)],
             [("item", "BuyMaterialsList", 0)]),
        Step("Tut_L1_WorkersTab", [press("Tab5Button")], [("node", "Tab5Button")]),
        Step("Tut_L1_Workers", [pick("TrainWorkersList", 0)], [("item", "TrainWorkersList", 0)]),
        Step("Tut_L1_OldCamping", [action("BuildingPress", BuildingTypes="Camping1")],
             [("lot", "Camping1")]),
        Step("Tut_L1_Upgrade", [press("UpgradeButton")], [("node", "UpgradeButton")]),
        Step("Tut_L1_Upgrading", [action("BuildingCompleted", Buildings="Camping2")]),
        note("Tut_L1_Goals", [("node", "GoalsNode")], pause=True),
        note("Tut_L1_TipClock", [("node", "TimeNode")], tip=True),
        note("Tut_L1_TipGoals", [("node", "GoalsButton")], tip=True),
    ]


def level2():
    """A cafe and its serve area, a dirty statue cleaned, a broken camping repaired; a tip on
    money letters."""
    return [
        Step("Tut_L2_Lot", [action("BuildingPress", BuildingTypes="BuildingPlace")],
             [("lot", "BuildingPlace")]),
        Step("Tut_L2_Joys", [press("JoysButton")], [("node", "JoysButton")]),
        Step("Tut_L2_ServeArea", [action("ListItemHovered", List="JoysBuildList", Indices="0")],
             [("item", "JoysBuildList", 0)]),
        Step("Tut_L2_Cafe", [pick("JoysBuildList", 0)], [("item", "JoysBuildList", 0)]),
        Step("Tut_L2_Building", [action("BuildingCompleted", Buildings="Cafe")]),
        Step("", [action("GenerateDirtyBuildingRequest", BuildingTypes="Statue"),
                  action("WaitDirty")]),
        Step("Tut_L2_Dirty", [action("BuildingPress", BuildingTypes="Statue")],
             [("lot", "Statue")]),
        Step("Tut_L2_Clean", [press("CleanButton")], [("node", "CleanButton")]),
        Step("", [action("GenerateBrokenBuildingRequest", BuildingTypes="Camping1")]),
        Step("Tut_L2_Broken", [action("BuildingPress", BuildingTypes="Camping1")],
             [("lot", "Camping1")]),
        Step("Tut_L2_Repair", [press("RepairButton")], [("node", "RepairButton")]),
        Step("", [action("GenerateLetterRequest", BuildingTypes="Cafe"), action("WaitLetter")],
             tip=True),
        note("Tut_L2_TipLetter", tip=True),
    ]


def map1():
    return [note("Tut_Map1_Locations", [("node", "Location0")]),
            Step("Tut_Map1_Play", [press("PlayButton")], [("node", "PlayButton")])]


def map2():
    return [note("Tut_Map2_Upgrades", [("node", "Location3")]),
            Step("Tut_Map2_Shop", [press("ShopButton")], [("node", "ShopButton")])]


# The upgrade the first shop tutorial has the player buy: on sale once three levels are done.
SHOP1_UPGRADE = "Hostel"
# The second-stage card the second shop tutorial shows.
SHOP2_FEATURE = "TruckStationFeature2"


def shop1():
    return [note("Tut_Shop1_Points", [("node", "ScoreText")]),
            Step("Tut_Shop1_Buy", [press(SHOP1_UPGRADE)], [("node", SHOP1_UPGRADE)]),
            note("Tut_Shop1_Bought")]


def shop2():
    return [note("Tut_Shop2_Features", [("node", SHOP2_FEATURE)]),
            note("Tut_Shop2_Later")]


# --- The hosts' layouts -----------------------------------------------------------------------

class Layout:
    """Where a host's nodes lie, in the coordinates of the tutorial's host node."""

    def __init__(self, root, host, templates=None, level=None):
        self.rects = {}
        self.lists = {}
        self.templates = templates or {}
        start = root.find(host)
        self._walk(start, (0.0, 0.0, 1.0, 1.0))
        self.level = level  # the level's description, or None
        self.lots = []
        if level is not None:
            for lot in level["lots"]:
                x, y = lot["position"]
                self.lots.append((lot["type"], (x, y, x + levels.LOT_SIZE[0],
                                                y + levels.LOT_SIZE[1])))

    def _walk(self, node, frame):
        ox, oy, sx, sy = frame
        px, py = _pair(node.get("Position"), (0.0, 0.0))
        kx, ky = _pair(node.get("Scale"), (1.0, 1.0))
        vx, vy = _pair(node.get("PivotPoint"), (0.0, 0.0))
        rotation = node.get("Rotation")
        assert not rotation or not any(rotation), "a rotated node on the way to %s" % node.name
        own = (ox + sx * (px - kx * vx), oy + sy * (py - ky * vy), sx * kx, sy * ky)
        bw, bh = _pair(node.get("Bounds"), (0.0, 0.0))
        name = node.name
        if name is not None and name not in self.rects:
            self.rects[name] = (own[0], own[1], own[0] + own[2] * bw, own[1] + own[3] * bh)
            if node.type == "ListNode":
                self.lists[name] = (node, own)
        for child in node.children:
            self._walk(child, own)

    def item_rect(self, list_name, index):
        node, (ox, oy, sx, sy) = self.lists[list_name]
        element = self.templates[node.get("TemplateName")].find("Element")
        ew, eh = _pair(element.get("Bounds"), (0.0, 0.0))
        orientation = node.get("Orientation", 0)
        col, row = (index, 0) if orientation == 1 else (0, index)
        x, y = ox + sx * col * ew, oy + sy * row * eh
        return (x, y, x + sx * ew, y + sy * eh)

    def lot_rect(self, type_name):
        """The first lot of the type the player owns (any lot of it when none is owned); None
        when the level is not there yet."""
        if self.level is None:
            return None
        owned = [lot for lot in self.level["lots"] if lot["type"] == type_name and lot.get("owned")]
        chosen = (owned or [lot for lot in self.level["lots"] if lot["type"] == type_name])[:1]
        for lot in chosen:
            x, y = lot["position"]
            return (x, y, x + levels.LOT_SIZE[0], y + levels.LOT_SIZE[1])
        raise ValueError("no lot of the type %s" % type_name)

    def target_rect(self, target):
        if target[0] == "node":
            return self.rects[target[1]]
        if target[0] == "item":
            return self.item_rect(target[1], target[2])
        return self.lot_rect(target[1])


def _pair(value, default):
    if value is None:
        return default
    return float(value[0]), float(value[1])


def play_layout(level_number):
    path = os.path.join(PACKAGE, "levels", "campaign", "level%02d.toml" % level_number)
    description = levels.load(path) if os.path.exists(path) else None
    templates = {t.name: t for t in playscene.templates()}
    return Layout(playscene.play_scene(), PLAY_HOST, templates, description)


def map_layout():
    return Layout(mapscene.map_scene(), SCENE_HOST)


def shop_layout():
    return Layout(shopscenes.shop_scene(shopart.upgrade_names()), SCENE_HOST)


# --- Placing arrows and windows ---------------------------------------------------------------

def arrow_for(rect):
    """(tip x, tip y, rotation): down onto the top edge, or up onto the bottom edge when the arrow
    would leave the screen above."""
    x0, y0, x1, y1 = rect
    cx = round((x0 + x1) / 2.0)
    if y0 + ARROW_GAP - ARROW_LENGTH >= 0:
        return (cx, round(y0 + ARROW_GAP), 0)
    return (cx, round(y1 - ARROW_GAP), 180)


def arrow_box(arrow):
    x, y, rotation = arrow
    half = playscene.TUTORIAL_ARROW[0] / 2.0
    if rotation == 0:
        return (x - half, y - ARROW_LENGTH, x + half, y)
    return (x - half, y, x + half, y + ARROW_LENGTH)


def _overlap(a, b):
    return a[0] < b[2] and b[0] < a[2] and a[1] < b[3] and b[1] < a[3]


def window_box(place):
    x, y = place
    return (x - WINDOW_LEFT, y, x + WINDOW[0], y + WINDOW[1])


def window_place(keep_clear):
    if not keep_clear:
        return WINDOW_MIDDLE
    for place in WINDOW_PLACES:
        if not any(_overlap(window_box(place), box) for box in keep_clear):
            return place
    raise ValueError("no place for the window clears the step's arrows")


# --- Writing ----------------------------------------------------------------------------------

def _attributes(pairs):
    return "".join(' %s="%s"' % (name, escape(str(value))) for name, value in pairs)


def _vector(x, y):
    return "%d;%d;0" % (round(x), round(y))


def step_lines(step, layout):
    arrows = []
    keep_clear = []
    for target in step.targets:
        rect = layout.target_rect(target)
        if rect is None:
            continue
        arrow = arrow_for(rect)
        arrows.append(arrow)
        keep_clear += [rect, arrow_box(arrow)]
    place = window_place(keep_clear)
    flags = [(flag, "true") for flag, on in (("Tip", step.tip), ("MessageBox", step.message_box))
             if on]
    text_x, text_y = playscene.TUTORIAL_TEXT_AT
    lines = ["\t<Hint%s>" % _attributes(flags),
             "\t\t<Position Value=\"%s\" />" % _vector(*place),
             "\t\t<TextBgType Value=\"%d\" />" % (1 if step.message_box else 0),
             "\t\t<TextPosition Value=\"%s\" />" % _vector(text_x, text_y),
             "\t\t<Text%s />" % _attributes([("Value", step.text)]),
             "\t\t<Actions>"]
    for kind, attributes in step.actions:
        lines.append("\t\t\t<Action%s />" % _attributes([("Type", kind)] +
                                                        sorted(attributes.items())))
    lines.append("\t\t</Actions>")
    lines.append("\t\t<Arrows>")
    for x, y, rotation in arrows:
        lines.append("\t\t\t<Arrow%s />" % _attributes([("Position", _vector(x, y)),
                                                         ("Rotation", rotation)]))
    lines.append("\t\t</Arrows>")
    lines.append("\t</Hint>")
    return lines


def tutorial_file(steps, layout):
    lines = ["<Tutorial>"]
    for step in steps:
        lines += step_lines(step, layout)
    lines.append("</Tutorial>")
    return xml_document("\n".join(lines) + "\n")


# file -> (steps, layout maker, the host's scene file)
FILES = {
    "levels/level1/Tutorial.xml": (level1, lambda: play_layout(1), playscene.FILE),
    "levels/level2/Tutorial.xml": (level2, lambda: play_layout(2), playscene.FILE),
    "scenes/MapTutorial1.xml": (map1, map_layout, mapscene.MAP_FILE),
    "scenes/MapTutorial2.xml": (map2, map_layout, mapscene.MAP_FILE),
    "scenes/ShopTutorial1.xml": (shop1, shop_layout, shopscenes.SHOP_FILE),
    "scenes/ShopTutorial2.xml": (shop2, shop_layout, shopscenes.SHOP_FILE),
}


def text_keys():
    """Every dictionary key the files use."""
    return sorted({step.key for steps, _, _ in FILES.values() for step in steps() if step.key})


def build():
    out = Output()
    for path, (steps, layout, _) in FILES.items():
        out.add(asset(path), tutorial_file(steps(), layout()))
    return out


MODULE = Module("tutorials", build, __file__,
                inputs=[FONT_DESCRIPTION, levels.DESCRIPTIONS + "/campaign/*.toml",
                        levels.DESCRIPTIONS + "/layouts/*.toml"],
                # the level generator reads step files with the lint's reader, not the whole lint
                code_excludes=[levels.tutoriallint.__file__],
                outputs=[asset(path) for path in FILES])
